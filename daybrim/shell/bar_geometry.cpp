#include "bar_geometry.h"

#include <algorithm>

namespace daybrim {

int HorizontalBar::Strip() const { return std::max(0, std::min(count * Button(), width - reserved)); }

int HorizontalBar::MaxScroll() const { return std::max(0, count * Button() - Strip()); }

BarRect HorizontalBar::ButtonRect(int i, int scroll) const {
    const int left = i * Button() - scroll - Strip() + width;
    return BarRect{left, 0, left + Button(), Height()};
}

BarRect HorizontalBar::RightArrowArea() const {
    const int s = sc.X(9);
    return BarRect{width - s, Height() - s, width, Height()};
}

BarRect HorizontalBar::LeftArrowArea() const {
    const int s = sc.X(9);
    return BarRect{StripLeft(), Height() - s, StripLeft() + s, Height()};
}

BarRect HorizontalBar::SettingsIcon() const {
    const int left = StripLeft() - sc.X(20);
    return BarRect{left, sc.Y(1), left + sc.X(18), sc.Y(1) + sc.Y(18)};
}

int HorizontalBar::HitButton(int x, int y, int scroll) const {
    if (x < StripLeft() || x >= width || y < 0 || y >= Height()) return -1;
    for (int i = 0; i < count; ++i)
        if (ButtonRect(i, scroll).Contains(x, y)) return i;
    return -1;
}

int HorizontalBar::InitialScroll(int position) const {
    return std::min(MaxScroll(), std::max(0, Button() * position - Strip()));
}

int HorizontalBar::ScrollToShow(int i, int scroll) const {
    const BarRect r = ButtonRect(i, scroll);
    const int b = Button();
    if (b <= 0) return 0;
    if (r.left < StripLeft()) return -((StripLeft() - r.left + b - 1) / b);
    if (r.right > width) return (r.right - width + b - 1) / b;
    return 0;
}

std::vector<int> HorizontalBar::ScrollSteps(int scroll, int n) const {
    const int target = std::max(0, std::min(MaxScroll(), scroll + n * Button()));
    std::vector<int> steps;
    const int parts[3] = {sc.X(8), sc.X(6), sc.X(4)};
    int at = scroll;
    for (int p : parts) {
        at += n * p;
        at = n > 0 ? std::min(at, target) : std::max(at, target);
        steps.push_back(at);
    }
    steps.push_back(target);
    return steps;
}

int VerticalBar::HitButton(int y) const {
    const int h = sc.Y(23);
    if (y < 0 || h <= 0) return -1;
    const int i = y / h;
    return i < count ? i : -1;
}

CaptionAction CaptionHit(const Scaler& sc, uint32_t flags, bool open, int x, int y) {
    if ((flags & kCaptionCategory) && x >= sc.X(94) && x <= sc.X(137) && y >= sc.Y(2) && y <= sc.Y(16))
        return CaptionAction::kCategoryMenu;
    if (!(flags & kCaptionSlideout)) return CaptionAction::kNone;
    const bool band = y > sc.Y(3) && y < sc.Y(18);
    if (open) {
        if (band && x > sc.X(27) && x < sc.X(73)) return CaptionAction::kGroupingMenu;
        if (band && x >= sc.X(74) && x < sc.X(81)) return CaptionAction::kToggleDirection;
        if (band && x >= sc.X(81) && x < sc.X(88)) return CaptionAction::kCloseSlideout;
        return CaptionAction::kNone;
    }
    if (x < sc.X(27) && y > 0 && y < sc.Y(20)) return CaptionAction::kOpenSlideout;
    return CaptionAction::kNone;
}

bool BlinkSet::Start(int id) {
    const bool first = entries_.empty();
    if (Blinking(id)) return false;
    entries_.push_back(Entry{id, true});
    return first;
}

bool BlinkSet::Stop(int id) {
    const size_t before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; }),
                   entries_.end());
    return before != entries_.size() && entries_.empty();
}

std::vector<int> BlinkSet::Tick() {
    std::vector<int> ids;
    for (Entry& e : entries_) {
        e.on = !e.on;
        ids.push_back(e.id);
    }
    return ids;
}

bool BlinkSet::Blinking(int id) const {
    for (const Entry& e : entries_)
        if (e.id == id) return true;
    return false;
}

bool BlinkSet::On(int id) const {
    for (const Entry& e : entries_)
        if (e.id == id) return e.on;
    return false;
}

}  // namespace daybrim
