#include "list_scroll.h"

#include <algorithm>

namespace daybrim {

ScrollMetrics ScrollMetrics::For(const Scaler& s) {
    ScrollMetrics m;
    m.arrowBand = s.Y(14);
    m.arrowHeight = s.Y(13);
    m.minThumb = s.Y(12);
    m.column = s.X(14);
    m.lineStep = s.Y(16);
    m.keyStep = s.Y(10);
    return m;
}

void ScrollModel::SetView(int width, int height) {
    viewWidth_ = std::max(0, width);
    viewHeight_ = std::max(0, height);
    offset_ = 0;
    dragging_ = false;
}

bool ScrollModel::TakeContentHeight(int height) {
    content_ = std::max(0, height);
    if (offset_ >= 1 && content_ - offset_ < viewHeight_) {
        const int clamped = MaxOffset();
        if (clamped != offset_) {
            offset_ = clamped;
            return true;
        }
    }
    return false;
}

bool ScrollModel::SetOffset(long long offset) {
    const long long clamped = std::min<long long>(std::max<long long>(offset, 0), MaxOffset());
    if (clamped == offset_) return false;
    offset_ = static_cast<int>(clamped);
    return true;
}

Thumb ScrollModel::ThumbNow() const {
    const int band = m_.arrowBand;
    const int track = viewHeight_ - 2 * band;
    Thumb t;
    // Longer the more of the content shows; never shorter than the caps can draw.
    long long len = 2LL * viewHeight_ - content_ - 2 * band;
    len = std::min<long long>(len, track);
    len = std::max<long long>(len, m_.minThumb);
    t.length = static_cast<int>(len);
    const int range = MaxOffset();
    const int room = std::max(0, track - t.length);
    t.top = band + (range > 0 ? static_cast<int>(static_cast<long long>(room) * offset_ / range) : 0);
    return t;
}

void ScrollModel::BeginDrag(int y) {
    dragging_ = true;
    dragStartY_ = std::max(0, y);
    dragStartOffset_ = offset_;
}

bool ScrollModel::DragTo(int y) {
    if (!dragging_) return false;
    y = std::max(0, y);
    const int room = viewHeight_ - 2 * m_.arrowBand - ThumbNow().length;
    // A thumb that fills its track has nowhere to go.
    if (room <= 0) return false;
    const long long moved = static_cast<long long>(y - dragStartY_) * MaxOffset() / room;
    return SetOffset(dragStartOffset_ + moved);
}

BarPart HitScrollBar(const ScrollModel& s, bool barLeft, int x, int y) {
    if (!s.Scrollable()) return BarPart::kNone;
    const ScrollMetrics& m = s.Metrics();
    const int w = s.ViewWidth();
    const bool inColumn = barLeft ? (x >= 1 && x <= m.column) : (x >= w - m.arrowHeight && x <= w);
    if (!inColumn) return BarPart::kNone;
    const int h = s.ViewHeight();
    if (y >= h - m.arrowHeight && y <= h - 1) return BarPart::kDownArrow;
    if (y > 1 && y < m.arrowHeight) return BarPart::kUpArrow;
    const Thumb t = s.ThumbNow();
    if (y < t.top) return BarPart::kAbove;
    if (y >= t.top + t.length) return BarPart::kBelow;
    return BarPart::kThumb;
}

ContentSpan RowsSpan(const ScrollModel& s, bool barLeft) {
    const int c = s.Metrics().column;
    ContentSpan span;
    if (barLeft) {
        span.left = c;
        span.right = s.ViewWidth();
    } else {
        span.left = 0;
        span.right = std::max(0, s.ViewWidth() - c);
    }
    return span;
}

}  // namespace daybrim
