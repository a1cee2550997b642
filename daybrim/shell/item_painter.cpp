#include "item_painter.h"

#include <algorithm>
#include <string>

#include "alpha_image.h"
#include "raii.h"

namespace daybrim {

GdiMeasurer::GdiMeasurer(HDC dc, HFONT font) : dc_(dc), font_(font) {
    LOGFONTW lf{};
    if (font && GetObjectW(font, sizeof lf, &lf)) height_ = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    if (height_ == 0) {
        // A font made with height 0 takes the DC's default size: use its cell.
        raii::Select sel(dc, font);
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc, &tm)) height_ = tm.tmHeight - tm.tmInternalLeading;
    }
}

TextSize GdiMeasurer::Measure(std::wstring_view text) const {
    raii::Select sel(dc_, font_);
    RECT rc{0, 0, 0, 0};
    const std::wstring s(text);
    DrawTextW(dc_, s.c_str(), static_cast<int>(s.size()), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

int CItemPainter::TimeColumnWidth(HDC dc, HFONT timeFont) {
    if (width_ < 0) width_ = daybrim::TimeColumnWidth(sc_, s_, GdiMeasurer(dc, timeFont));
    return width_;
}

COLORREF LeadingColour(int leadingRects, const LeadingFill& f) {
    if (f.markConflicts && f.conflicting) return 0x0000FF;
    if (leadingRects == 1) {
        static const COLORREF kStatus[] = {0x58FC79, 0xF8A068, 0xF80000, 0x800418};
        const int n = static_cast<int>(sizeof kStatus / sizeof kStatus[0]);
        return f.busyStatus >= 0 && f.busyStatus < n ? kStatus[f.busyStatus] : 0xFFFFFF;
    }
    if (leadingRects == 2) return f.category != 0xFFFFFFFF ? f.category : 0xFFFFFF;
    return 0xFFFFFF;
}

namespace {

void Fill(HDC dc, const Box& b, COLORREF c) {
    if (b.right <= b.left || b.bottom <= b.top) return;
    const RECT rc{b.left, b.top, b.right, b.bottom};
    raii::Brush br(CreateSolidBrush(c));
    FillRect(dc, &rc, br.get());
}

void Text(HDC dc, HFONT font, std::wstring_view text, RECT rc, UINT flags, const RowStyle& st) {
    if (text.empty()) return;
    raii::Select sel(dc, font);
    const std::wstring s(text);
    SetBkMode(dc, TRANSPARENT);
    DrawTextWithEffect(dc, &rc, s.c_str(), st.effect, flags | DT_NOPREFIX, -1, st.text);
}

}  // namespace

void CItemPainter::DrawSubject(HDC dc, const RowLayout& r, const RowStyle& st) {
    if (r.compact) {
        if (r.subject.lines.empty()) return;
        const RECT rc{r.textBox.left, r.subject.top, r.textBox.right, r.subject.bottom};
        Text(dc, st.font, r.subject.lines[0].text, rc,
             DT_SINGLELINE | (r.subjectEllipsis ? DT_WORD_ELLIPSIS : 0u), st);
        return;
    }
    const int h = r.subject.bottom - r.subject.top;
    for (const TextLine& l : r.subject.lines) {
        // Each line was fitted already; no clipping at the box, an over-wide word shows whole.
        const RECT rc{l.x, l.top, l.x + 0x4000, l.top + h};
        Text(dc, st.font, l.text, rc, DT_SINGLELINE, st);
    }
}

void CItemPainter::DrawStrip(HDC dc, const StripResult& s) {
    if (!icons_) return;
    for (const PlacedIcon& p : s.placed) icons_->Draw(dc, p.icon.id, p.x, p.y);
}

RowLayout CItemPainter::DrawAppointment(HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                                        const LeadingFill& fill) {
    const GdiMeasurer row(dc, st.font);
    const GdiMeasurer time(dc, st.timeFont ? st.timeFont : st.font);
    const GdiMeasurer second(dc, st.secondFont ? st.secondFont : st.font);
    const int W = TimeColumnWidth(dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutAppointment(sc_, s_, a, W, {&row, &time, &second}, in);
    if (!a.draw) return r;

    if (r.allDayX >= 0 && icons_) icons_->DrawFixed(dc, RowIcons::kAllDay, r.allDayX, r.allDayY);
    if (r.timeBox.right > r.timeBox.left) {
        const RECT rc{r.timeBox.left, r.timeBox.top, r.timeBox.right, r.timeBox.bottom};
        Text(dc, st.timeFont ? st.timeFont : st.font, in.timeText, rc,
             DT_SINGLELINE | (r.timeRightAligned ? DT_RIGHT : DT_LEFT), st);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip);
    const int h2 = r.secondLine.bottom - r.secondLine.top;
    for (const TextLine& l : r.secondLine.lines) {
        const RECT rc{l.x, l.top, r.textBox.right + 0x4000, l.top + h2};
        Text(dc, st.secondFont ? st.secondFont : st.font, l.text, rc, DT_SINGLELINE, st);
    }
    if (r.leading.Width() > 0 && r.leading.bottom > r.leading.top) {
        Fill(dc, r.leading, 0);
        const int in1 = s_.thinLines ? 1 : sc_.X(1);
        Fill(dc, {r.leading.left + in1, r.leading.top + in1, r.leading.right - in1, r.leading.bottom - in1},
             LeadingColour(s_.leadingRects, fill));
    }
    return r;
}

RowLayout CItemPainter::DrawTask(HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in) {
    const GdiMeasurer row(dc, st.font);
    const GdiMeasurer time(dc, st.timeFont ? st.timeFont : st.font);
    const int W = TimeColumnWidth(dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutTask(sc_, s_, a, W, {&row, &time, &row}, in);
    if (!a.draw) return r;

    if (icons_) {
        icons_->DrawFixed(dc, in.completed ? RowIcons::kChecked : RowIcons::kNotChecked, r.checkX, r.checkY);
        if (r.activeX >= 0) icons_->DrawFixed(dc, RowIcons::kActiveTask, r.activeX, r.activeY);
    }
    if (r.timeBox.right > r.timeBox.left) {
        const RECT rc{r.timeBox.left, r.timeBox.top, r.timeBox.right, r.timeBox.bottom};
        Text(dc, st.timeFont ? st.timeFont : st.font, in.duePrefix, rc,
             DT_SINGLELINE | (r.timeRightAligned ? DT_RIGHT : DT_LEFT), st);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip);
    return r;
}

RowLayout CItemPainter::DrawCalendarEvent(HDC dc, const RowArea& a, const RowStyle& st, const EventInput& in,
                                          EventKind kind) {
    const GdiMeasurer row(dc, st.font);
    const int W = TimeColumnWidth(dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutCalendarEvent(sc_, s_, a, W, row, in);
    if (!a.draw) return r;
    if (icons_ && kind != kOtherEvent) {
        const int half = row.Height() / 2;
        icons_->DrawFixed(dc, kind == kBirthdayEvent ? RowIcons::kBirthday : RowIcons::kAnniversary,
                          EventIconX(sc_, r), a.top - sc_.X(6) + half);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip);
    return r;
}

RowLayout CItemPainter::DrawAccountLine(HDC dc, const RowArea& a, const RowStyle& st, std::wstring_view title) {
    const GdiMeasurer row(dc, st.font);
    const int W = TimeColumnWidth(dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutAccountLine(s_, a, W, row, title);
    if (a.draw) DrawSubject(dc, r, st);
    return r;
}

}  // namespace daybrim
