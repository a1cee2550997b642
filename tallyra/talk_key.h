// The Talk key reaches the window both as a key-down and as a key-up, each with a
// repeat count of 1, and a platform may deliver either or both: one press must dial
// once. The press dials on its first key-down; its key-up dials only when no
// key-down came before it.
#pragma once

namespace tallyra {

class TalkKeyFilter {
public:
    // previousDown: lParam bit 30 of the key-down (auto-repeat).
    bool OnKeyDown(bool previousDown) {
        if (previousDown || down_) return false;
        down_ = true;
        return true;
    }
    bool OnKeyUp() {
        if (down_) {
            down_ = false;
            return false;
        }
        return true;
    }

private:
    bool down_ = false;
};

}  // namespace tallyra
