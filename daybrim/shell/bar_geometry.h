// Where the tab bar's buttons, arrows and settings icon are, how it scrolls, how
// the caption of a built-in tab answers a tap, and which buttons blink. All in
// design pixels through a Scaler, platform-neutral, so that every dpi is tested.
#pragma once
#include <cstdint>
#include <vector>

#include "scale.h"

namespace daybrim {

struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// A horizontal bar: buttons packed against its right end, scrolled by `scroll`.
struct HorizontalBar {
    Scaler sc;
    int width = 0;     // the bar's width
    int count = 0;     // buttons
    int reserved = 0;  // room for the settings icon: X(20), or 0 when it is removed

    int Button() const { return sc.X(20); }
    int Height() const { return sc.Y(20); }
    // The visible strip of buttons, at the bar's right end.
    int Strip() const;
    int StripLeft() const { return width - Strip(); }
    int MaxScroll() const;
    BarRect ButtonRect(int i, int scroll) const;
    bool RightArrow(int scroll) const { return count * Button() - scroll > Strip(); }
    bool LeftArrow(int scroll) const { return scroll > 0; }
    BarRect RightArrowArea() const;  // the X(9) square at the bar's lower-right corner
    BarRect LeftArrowArea() const;   // the X(9) square at the strip's lower-left corner
    BarRect SettingsIcon() const;    // X(18) x Y(18) left of the strip
    // The button under a point, or -1 (the strip only: buttons scrolled out of it
    // lie under the settings icon and the caption).
    int HitButton(int x, int y, int scroll) const;
    // The offset that shows the selected button (1-based position) at bar creation.
    int InitialScroll(int position) const;
    // Buttons to scroll so that button i is wholly visible: negative to the left.
    int ScrollToShow(int i, int scroll) const;
    // The offsets of the four animation steps of a scroll by n buttons: they move
    // by n x (X(8), X(6), X(4), X(2)), but the last one lands exactly on whole
    // buttons (those four need not add up to X(20) at every dpi) and none passes
    // the ends.
    std::vector<int> ScrollSteps(int scroll, int n) const;
};

// A vertical bar: one button every Y(23), the full width of the bar.
struct VerticalBar {
    Scaler sc;
    int count = 0;
    BarRect ButtonRect(int i, int width) const { return BarRect{0, i * sc.Y(23), width, (i + 1) * sc.Y(23)}; }
    int HitButton(int y) const;
    int MinimumHeight() const { return count > 0 ? count * sc.Y(23) - sc.Y(1) : 0; }
};

// Caption flags of a built-in tab.
const uint32_t kCaptionSlideout = 1;  // grouping selector and sort direction
const uint32_t kCaptionCategory = 2;  // category selector

enum class CaptionAction { kNone, kCategoryMenu, kGroupingMenu, kToggleDirection, kOpenSlideout, kCloseSlideout };

CaptionAction CaptionHit(const Scaler& sc, uint32_t flags, bool slideOpen, int x, int y);

// The buttons that blink and the phase they are in; the bar runs one timer while
// any blinks.
class BlinkSet {
public:
    // True when the timer has to start (the first blinking button).
    bool Start(int id);
    // True when the timer has to stop (the last blinking button stopped).
    bool Stop(int id);
    // A timer tick: flips every blinking button; the ids to repaint.
    std::vector<int> Tick();
    bool Blinking(int id) const;
    bool On(int id) const;  // blinking and in its "on" phase
    bool Any() const { return !entries_.empty(); }

private:
    struct Entry {
        int id;
        bool on;
    };
    std::vector<Entry> entries_;
};

}  // namespace daybrim
