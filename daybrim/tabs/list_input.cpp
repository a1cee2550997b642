#include "list_input.h"

#include <algorithm>

namespace daybrim {

void KeyStepper::Press(int direction) {
    direction = direction < 0 ? -1 : 1;
    if (idleRunning_ && direction == direction_) {
        // Auto-repeat: the step timer already runs; only the idle timer restarts.
        t_.Stop(kTimerKeyIdle);
    } else {
        if (direction_ != 0) t_.Stop(direction_ < 0 ? kTimerStepUp : kTimerStepDown);
        direction_ = direction;
        t_.Start(direction < 0 ? kTimerStepUp : kTimerStepDown, kStepMs);
    }
    t_.Start(kTimerKeyIdle, kIdleMs);
    idleRunning_ = true;
}

int KeyStepper::OnTimer(unsigned id) {
    switch (id) {
    case kTimerKeyIdle: {
        // The first step of a single press is still due when the idle timer
        // fires first; it is taken now so that a press always moves.
        Cancel();
        return 0;
    }
    case kTimerStepUp:
        return direction_ < 0 ? -1 : 0;
    case kTimerStepDown:
        return direction_ > 0 ? 1 : 0;
    default:
        return 0;
    }
}

void KeyStepper::Cancel() {
    t_.Stop(kTimerKeyIdle);
    t_.Stop(kTimerStepUp);
    t_.Stop(kTimerStepDown);
    idleRunning_ = false;
    direction_ = 0;
}

bool DoubleTap::Tap(const TItem* item) {
    const ItemKey key = KeyOf(item);
    if (running_) {
        t_.Stop(kTimerDoubleTap);
        running_ = false;
        const bool same = pending_.IsSet() && key == pending_;
        pending_ = ItemKey();
        if (same) return true;
        // A tap elsewhere starts a window of its own.
    }
    pending_ = ItemKey();
    if (item && IsRealItem(item->Kind())) {
        pending_ = key;
        running_ = true;
        t_.Start(kTimerDoubleTap, kWindowMs);
    }
    return false;
}

bool DoubleTap::OnTimer(unsigned id) {
    if (id != kTimerDoubleTap) return false;
    t_.Stop(kTimerDoubleTap);
    running_ = false;
    pending_ = ItemKey();
    return true;
}

void FoldWithSound(TGroupingItem& group, bool soundOn, const std::wstring& installFolder, FoldSound& sound,
                   const std::function<void()>& rebuild) {
    if (soundOn) sound.Play(installFolder + (group.folded ? L"\\expand.wav" : L"\\fold.wav"));
    group.Fold();
    if (rebuild) rebuild();
    if (soundOn) {
        sound.Wait(200);
        sound.Stop();
    }
}

bool FoldAll(const std::vector<TGroupingItem*>& groups, bool folded) {
    bool any = false;
    for (TGroupingItem* g : groups) {
        if (!g || (g->folded != 0) == folded) continue;
        g->Fold();
        any = true;
    }
    return any;
}

NoteBox PlaceNoteBox(int tapX, int tapY, int width, int height, const NoteBox& list) {
    width = std::max(0, width);
    height = std::max(0, height);
    NoteBox b;
    b.left = tapX;
    if (b.left + width > list.right + kNoteOverhang) b.left = list.right - width;
    b.left = std::max(b.left, list.left);
    b.top = tapY;
    if (b.top + height > list.bottom) b.top = list.bottom - height;
    b.top = std::max(b.top, list.top);
    b.right = b.left + width;
    b.bottom = b.top + height;
    return b;
}

}  // namespace daybrim
