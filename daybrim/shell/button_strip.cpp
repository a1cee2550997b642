#include "button_strip.h"

#include <utility>

namespace daybrim {

ButtonStrip::ButtonStrip(const Scaler& sc, std::vector<int> ids)
    : sc_(sc), ids_(std::move(ids)), enabled_(ids_.size(), true) {}

BarRect ButtonStrip::Place(const Scaler& sc, int ownerClientWidth, size_t count) {
    BarRect r;
    const int width = sc.X(20) * static_cast<int>(count);
    r.left = ownerClientWidth - width;
    r.top = sc.Y(3);
    r.right = ownerClientWidth;
    r.bottom = r.top + sc.Y(16);
    return r;
}

int ButtonStrip::IndexOf(int id) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id) return static_cast<int>(i);
    return kNone;
}

BarRect ButtonStrip::ButtonRect(size_t index) const {
    BarRect r;
    r.left = static_cast<int>(index) * sc_.X(20);
    r.top = 0;
    r.right = r.left + sc_.X(16);
    r.bottom = sc_.Y(16);
    return r;
}

BarRect ButtonStrip::PictureRect(size_t index, int w, int h) const {
    const BarRect cell = ButtonRect(index);
    w = w > 0 ? w : 0;
    h = h > 0 ? h : 0;
    BarRect r;
    // Floor division: an odd surplus or overhang puts the extra pixel right and
    // below, the same way at both ends of the range.
    auto half = [](int d) { return d >= 0 ? d / 2 : -((1 - d) / 2); };
    r.left = cell.left + half(cell.right - cell.left - w);
    r.top = cell.top + half(cell.bottom - cell.top - h);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

int ButtonStrip::HitTest(int x, int y) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (enabled_[i] && ButtonRect(i).Contains(x, y)) return static_cast<int>(i);
    return kNone;
}

bool ButtonStrip::SetEnabled(int id, bool on) {
    const int i = IndexOf(id);
    if (i == kNone) return false;
    enabled_[size_t(i)] = on;
    if (!on && mark_ == i) mark_ = Step(+1);
    return true;
}

bool ButtonStrip::AnyEnabled() const {
    for (bool e : enabled_)
        if (e) return true;
    return false;
}

void ButtonStrip::SetMark(int index) {
    mark_ = index >= 0 && Enabled(size_t(index)) ? index : kNone;
}

int ButtonStrip::FirstEnabled() const {
    for (size_t i = 0; i < enabled_.size(); ++i)
        if (enabled_[i]) return static_cast<int>(i);
    return kNone;
}

int ButtonStrip::Step(int step) const {
    const int n = static_cast<int>(ids_.size());
    if (n == 0) return kNone;
    step = step < 0 ? -1 : 1;
    // From no mark, the walk starts just outside the end it enters from.
    int i = mark_ == kNone ? (step > 0 ? n - 1 : 0) : mark_;
    // At most one full turn: with every button disabled the walk ends empty
    // instead of going round for ever.
    for (int k = 0; k < n; ++k) {
        i = (i + step + n) % n;
        if (enabled_[size_t(i)]) return i;
    }
    return kNone;
}

int ButtonStrip::MarkedId() const {
    return mark_ != kNone && Enabled(size_t(mark_)) ? ids_[size_t(mark_)] : kNone;
}

}  // namespace daybrim
