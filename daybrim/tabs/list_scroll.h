// The scroll arithmetic of an item list window: where the view is in the
// content, the thumb of the scroll bar and the thumb drag. Platform-neutral so
// that it is tested without a screen.
#pragma once
#include "scale.h"

namespace daybrim {

// The scroll bar's pixel sizes at the screen's resolution.
struct ScrollMetrics {
    int arrowBand = 14;  // the arrow at each end of the track, with its margin
    int arrowHeight = 13;
    int minThumb = 12;
    int column = 14;     // the column the bar takes beside the rows
    int lineStep = 16;   // one arrow-timer step
    int keyStep = 10;    // one D-pad step in scroll mode

    static ScrollMetrics For(const Scaler& s);
};

struct Thumb {
    int top = 0;
    int length = 0;
};

// Offsets and heights are full ints: a long list passes 65,535 px and the offset
// must not wrap there.
class ScrollModel {
public:
    explicit ScrollModel(const ScrollMetrics& m = ScrollMetrics()) : m_(m) {}

    // A new client size; the offset starts at the top again.
    void SetView(int width, int height);
    int ViewWidth() const { return viewWidth_; }
    int ViewHeight() const { return viewHeight_; }
    int ContentHeight() const { return content_; }
    int Offset() const { return offset_; }
    int MaxOffset() const { return content_ > viewHeight_ ? content_ - viewHeight_ : 0; }
    bool Scrollable() const { return content_ > viewHeight_; }
    const ScrollMetrics& Metrics() const { return m_; }

    // The height a paint pass measured. True when the content shrank under the
    // offset: the offset was pulled back and the rows must be painted again.
    bool TakeContentHeight(int height);
    // Both clamp to [0, MaxOffset()]; true when the offset moved.
    bool SetOffset(long long offset);
    bool ScrollBy(int delta) { return SetOffset(static_cast<long long>(offset_) + delta); }

    Thumb ThumbNow() const;

    // Thumb drag: pen down at `y`, then each move to `y`. A pen above the window
    // counts as its top edge.
    void BeginDrag(int y);
    bool DragTo(int y);
    void EndDrag() { dragging_ = false; }
    bool Dragging() const { return dragging_; }

private:
    ScrollMetrics m_;
    int viewWidth_ = 0, viewHeight_ = 0;
    int content_ = 0;
    int offset_ = 0;
    bool dragging_ = false;
    int dragStartY_ = 0, dragStartOffset_ = 0;
};

// Where a pen-down in the scroll-bar column falls.
enum class BarPart { kNone, kUpArrow, kDownArrow, kThumb, kAbove, kBelow };
// `x` and `y` are list-client coordinates; kNone outside the column, or when the
// content fits (then every pen-down is a tap on the rows).
BarPart HitScrollBar(const ScrollModel& s, bool barLeft, int x, int y);

// The horizontal extent of the rows beside the bar's column.
struct ContentSpan {
    int left = 0, right = 0;
};
ContentSpan RowsSpan(const ScrollModel& s, bool barLeft);

}  // namespace daybrim
