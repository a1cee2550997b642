// What an item's Draw works with: the row rectangle and the hot zones the row
// lays out, and the painter's context. The item painter draws every row kind; the
// item model only names these types.
#pragma once

namespace daybrim {

// Off-screen until a row is laid out.
struct HotRect {
    int left = -10, top = -10, right = -10, bottom = -10;
};

// What the list machinery passes to Draw; defined with the item painter.
struct DrawContext;

}  // namespace daybrim
