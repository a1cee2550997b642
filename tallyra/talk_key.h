// The Talk key reaches the finder both as a key-down and as a key-up, each with a
// repeat count of 1, and a platform may deliver either or both: one press must dial
// once. The press dials on its first key-down; its key-up dials only when no
// key-down came before it.
//
// There is one Talk key, so there is one filter: the main window and the expanded
// view share it. A press whose key-down dialled in the view and closed it ends with
// a key-up at the main window, which must not dial a second time.
#pragma once

namespace tallyra {

class TalkKeyFilter {
public:
    // previousDown: lParam bit 30 of the key-down (auto-repeat). A fresh key-down
    // always starts a new press: when the last press's key-up went to another
    // program (the dialler took the foreground), nothing is left to wait for.
    bool OnKeyDown(bool previousDown) {
        if (previousDown) return false;
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
    // The finder lost the keyboard to another program: the key-up of a press in
    // progress will not come back here, and a lone key-up that does come later
    // belongs to a press of its own.
    void Reset() { down_ = false; }

private:
    bool down_ = false;
};

}  // namespace tallyra
