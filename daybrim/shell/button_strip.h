// The state of a row of small caption buttons, without a window: where each
// button is, which one a point hits, and the pressed mark that the pen and the
// D-pad move over the enabled buttons. Platform-neutral; the caption-bar button
// window (caption_buttons.h) draws and feeds it.
#pragma once
#include <cstddef>
#include <vector>

#include "bar_geometry.h"
#include "scale.h"

namespace daybrim {

class ButtonStrip {
public:
    static constexpr int kNone = -1;

    ButtonStrip() = default;
    ButtonStrip(const Scaler& sc, std::vector<int> ids);

    // Where the strip sits in its owner's client area: right-aligned, Y(3) from
    // the top, one X(20) slot per button, Y(16) high.
    static BarRect Place(const Scaler& sc, int ownerClientWidth, size_t count);

    size_t Count() const { return ids_.size(); }
    int Id(size_t index) const { return ids_[index]; }
    int IndexOf(int id) const;  // kNone when no button has the id
    // The X(16) x Y(16) picture square of a button, in strip coordinates.
    BarRect ButtonRect(size_t index) const;
    // Where a w x h picture of a button goes: centred on its square, so that one
    // drawn for another resolution neither hugs a corner nor overhangs one side
    // only. The caller clips to the square.
    BarRect PictureRect(size_t index, int w, int h) const;
    // The enabled button whose square holds the point, or kNone.
    int HitTest(int x, int y) const;

    bool Enabled(size_t index) const { return index < enabled_.size() && enabled_[index]; }
    // False for an id no button has. Disabling the marked button moves the mark on
    // to the next enabled one, so that Enter never reports a disabled button.
    bool SetEnabled(int id, bool on);
    bool AnyEnabled() const;

    int Mark() const { return mark_; }
    // Puts the mark on an enabled button; anything else clears it.
    void SetMark(int index);
    // The first enabled button, or kNone.
    int FirstEnabled() const;
    // The next (step +1) or previous (-1) enabled button from the mark, wrapping
    // around the ends; from no mark, the first or the last enabled one. Stays put
    // when the marked button is the only one enabled; kNone when none is.
    int Step(int step) const;
    // The id Enter reports: the marked button's, or kNone.
    int MarkedId() const;

private:
    Scaler sc_;
    std::vector<int> ids_;
    std::vector<bool> enabled_;
    int mark_ = kNone;
};

}  // namespace daybrim
