// The timed parts of an item list's input: D-pad key repeat coalesced into a
// step timer, the double-tap window and folding with its sound. They run on
// timers they are given, so that tests drive them on a fake clock.
#pragma once
#include <string>

#include "row_list.h"

namespace daybrim {

// Timers of the tab window (the window gives real ones, tests a fake clock).
class ListTimers {
public:
    virtual ~ListTimers() = default;
    virtual void Start(unsigned id, unsigned ms) = 0;  // restarts a running timer
    virtual void Stop(unsigned id) = 0;
};

enum ListTimerId : unsigned {
    kTimerRemoveHighlight = 1474,
    kTimerDoubleTap = 1475,
    kTimerKeyIdle = 1945,   // runs while D-pad keys keep coming
    kTimerStepUp = 2225,
    kTimerStepDown = 2226,
    kTimerArrowDown = 1034,  // list window
    kTimerArrowUp = 1035,
    kTimerUpToEnd = 1036,
    kTimerDownToEnd = 1037,
};

// One press gives one step 60 ms later; a held key's auto-repeat keeps the step
// timer running, and it stops 90 ms after the last repeat.
class KeyStepper {
public:
    static constexpr unsigned kStepMs = 60;
    static constexpr unsigned kIdleMs = 90;
    explicit KeyStepper(ListTimers& t) : t_(t) {}

    // A press (or auto-repeat) the list accepted: +1 down, -1 up.
    void Press(int direction);
    // A timer of the list fired: the step to take now (+1, -1) or 0.
    int OnTimer(unsigned id);
    void Cancel();
    bool Stepping() const { return direction_ != 0; }

private:
    ListTimers& t_;
    bool idleRunning_ = false;
    int direction_ = 0;
};

// The first tap on a real item opens a 500 ms window; a second tap on the same
// item inside it is a double tap.
class DoubleTap {
public:
    static constexpr unsigned kWindowMs = 500;
    explicit DoubleTap(ListTimers& t) : t_(t) {}

    // True when this tap completes a double tap on `item`.
    bool Tap(const TItem* item);
    // True when the id was the double-tap timer's.
    bool OnTimer(unsigned id);

private:
    ListTimers& t_;
    bool running_ = false;
    ItemKey pending_;
};

// What folding needs to make its sound: play a file asynchronously, wait, stop.
class FoldSound {
public:
    virtual ~FoldSound() = default;
    virtual void Play(const std::wstring& path) = 0;
    virtual void Wait(unsigned ms) = 0;
    virtual void Stop() = 0;
};

// Toggles the group's fold flag; with sound on plays the opening or closing
// sound of the install folder first and lets it sound 200 ms before stopping it
// (after `rebuild`). Without sound nothing is played and nothing waited for.
void FoldWithSound(TGroupingItem& group, bool soundOn, const std::wstring& installFolder, FoldSound& sound,
                   const std::function<void()>& rebuild);

// Folds (or opens) every group whose flag differs; true when any changed.
bool FoldAll(const std::vector<TGroupingItem*>& groups, bool folded);

// Where an item's note shows after a tap on its note icon: a box of the given
// size beside the tap, kept inside the list. A box passing the list's right edge
// by a few pixels is left alone (the window's border may overhang); further out
// it moves left to end at the edge. All in the list's coordinates.
struct NoteBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
constexpr int kNoteOverhang = 4;
NoteBox PlaceNoteBox(int tapX, int tapY, int width, int height, const NoteBox& list);

}  // namespace daybrim
