#include "row_layout.h"

#include <algorithm>

namespace daybrim {

namespace {

bool EndsWord(wchar_t c) { return c == L' ' || c == L'-' || c == L'\t' || c == L'\n'; }

// Formats are compared, never used as indexes; a negative one behaves as 0.
int Format(const RowSettings& s) { return std::max(0, s.apptDisplayFormat); }

HotRect Square(int x, int y, int side) {
    HotRect r;
    r.left = x;
    r.top = y;
    r.right = x + side;
    r.bottom = y + side;
    return r;
}

}  // namespace

std::vector<std::wstring_view> SplitWords(std::wstring_view text) {
    std::vector<std::wstring_view> words;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (EndsWord(text[i])) {
            words.push_back(text.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < text.size()) words.push_back(text.substr(start));
    return words;
}

WrapResult WrapText(const TextMeasurer& m, std::wstring_view text, int left, int right, int top) {
    WrapResult r;
    size_t lineStart = 0, lineEnd = 0;
    int x = left;
    int lineTop = top;
    bool any = false;
    auto flush = [&] {
        r.lines.push_back({text.substr(lineStart, lineEnd - lineStart), left, lineTop});
    };
    size_t pos = 0;
    for (std::wstring_view w : SplitWords(text)) {
        const int width = m.Measure(w).cx;
        // The line so far ends first; an over-wide word then stands alone rather
        // than being cut, and never leaves an empty line before it.
        if (any && x + width > right) {
            flush();
            lineTop += m.Height();
            lineStart = pos;
            x = left;
        }
        x += width;
        pos += w.size();
        lineEnd = pos;
        any = true;
    }
    if (any) flush();
    r.endX = x;
    r.top = lineTop;
    r.bottom = lineTop + (any ? m.Measure(r.lines.back().text).cy : m.Height());
    return r;
}

SingleLine FitSingleLine(const TextMeasurer& m, std::wstring_view text, Box box) {
    const TextSize sz = m.Measure(text);
    SingleLine r;
    r.box = box;
    r.ellipsis = sz.cx > box.Width();
    r.box.right = std::min(box.right, box.left + sz.cx);
    r.box.bottom = box.top + (sz.cy > 0 ? sz.cy : m.Height());
    return r;
}

std::vector<StripIcon> CollectRightIcons(const RightIcons& ic, unsigned mask) {
    std::vector<StripIcon> out;
    auto fixed = [&](IconId id) { out.push_back({id, 0, 0, -1}); };
    if ((mask & kIconImportance) && ic.importance == 0) fixed(IconId::LowImportance);
    if ((mask & kIconImportance) && ic.importance == 2) fixed(IconId::HighImportance);
    if ((mask & kIconReminder) && ic.reminder) fixed(IconId::Reminder);
    if ((mask & kIconPrivate) && ic.isPrivate) fixed(IconId::Private);
    if ((mask & kIconRecurrence) && ic.recurrence == 1) fixed(IconId::Recurring);
    if ((mask & kIconRecurrence) && ic.recurrence == 2) fixed(IconId::Exception);
    if (ic.regenerated != 0) fixed(IconId::Regenerated);
    if ((mask & kIconNote) && ic.note) fixed(IconId::Note);
    if ((mask & kIconLink) && ic.link) fixed(IconId::Link);
    if ((mask & kIconAttendees) && ic.attendees) fixed(IconId::Attendees);
    if ((mask & kIconOwn) && ic.ownWidth > 0) out.push_back({IconId::OwnIcon, ic.ownWidth, ic.ownHeight, -1});
    if (mask & kIconCategories) {
        for (size_t i = 0; i < ic.categories.size(); ++i) {
            const auto& b = ic.categories[i];
            if (b.width > 0) out.push_back({IconId::Category, b.width, b.height, static_cast<int>(i)});
        }
    }
    return out;
}

StripResult LayOutRightStrip(const Scaler& sc, const std::vector<StripIcon>& icons, StripCursor cur,
                             int h, int yOffset, bool singleLine, bool measureOnly) {
    StripResult r;
    const int half = h / 2;
    const int side = sc.X(12);
    for (const StripIcon& ic : icons) {
        const bool bitmap = ic.width > 0;
        const int need = bitmap ? ic.width : side;
        if (cur.x + need > cur.right) {
            if (singleLine) break;
            // On a fresh line an icon is placed even when it still does not fit,
            // so a narrow box cannot stall the strip.
            const int step = ic.id == IconId::OwnIcon ? h + 2 : h + sc.X(2);
            if (cur.x != cur.wrapX) {
                cur.x = cur.wrapX;
                cur.top += step;
                cur.bottom += step;
            }
        }
        if (!bitmap) {
            const int y = cur.top - sc.X(6) + half;
            const bool drawn = !measureOnly && cur.top + side > 0;
            if (drawn) r.placed.push_back({ic, cur.x, y});
            cur.x += sc.X(13);
            if (drawn) {
                const HotRect hot = Square(cur.x - side, y + yOffset, side);
                if (ic.id == IconId::Reminder) r.reminder = hot;
                if (ic.id == IconId::Note) r.note = hot;
                if (ic.id == IconId::Link) r.link = hot;
            }
        } else {
            if (!measureOnly) r.placed.push_back({ic, cur.x, cur.top + half - ic.height / 2});
            cur.x += ic.width + (ic.id == IconId::OwnIcon ? sc.X(2) : sc.X(1));
        }
    }
    r.x = cur.x;
    r.top = cur.top;
    r.bottom = cur.bottom;
    return r;
}

int MeasureRightStrip(const Scaler& sc, const std::vector<StripIcon>& icons, int right, int h) {
    StripCursor c;
    c.right = right;
    c.bottom = h;
    return LayOutRightStrip(sc, icons, c, h, 0, true, true).x;
}

int LeftStripWidth(const Scaler& sc, const RowSettings& s, LeftStripOf kind) {
    const int appt = std::clamp(s.apptLeftSlots, 0, 2), task = std::clamp(s.taskLeftSlots, 0, 2);
    const int slots = kind == LeftStripOf::Appointment ? appt : kind == LeftStripOf::Task ? task : std::max(appt, task);
    return sc.X(13) * slots + (s.indentItems ? sc.X(8) : 0);
}

int TimeColumnWidth(const Scaler& sc, const RowSettings& s, const TextMeasurer& timeFont) {
    const int format = Format(s);
    int w;
    if (format > 6) {
        w = sc.X(2);
    } else if (format == 0) {
        w = 0;
    } else {
        const wchar_t* sample = format % 2 == 1 ? L"X22:22-Multiday:" : L"XXMultiday:";
        w = std::min(timeFont.Measure(sample).cx, sc.X(200));
    }
    w += LeftStripWidth(sc, s, LeftStripOf::Calendar);
    if (s.leadingRects != 0 && format < 7) w += sc.X(12);
    return w;
}

bool IsCompact(const RowSettings& s, bool highlighted) {
    return s.foldingType == 1 || (s.foldingType == 2 && !highlighted);
}

// A compact row's subject on one line in its text box, and the icon strip (when
// there is one) straight after it on that line.
SingleLine PlaceCompactSubject(const Scaler& sc, const TextMeasurer& font, std::wstring_view subject,
                               const std::vector<StripIcon>& icons, bool strip, int S, int t, int boxRight, int h,
                               int yOffset, RowLayout* r) {
    const SingleLine line = FitSingleLine(font, subject, r->textBox);
    r->subject.lines.push_back({subject, S, t});
    r->subject.endX = line.box.right;
    r->subject.top = t;
    r->subject.bottom = line.box.bottom;
    r->subjectEllipsis = line.ellipsis;
    if (strip) {
        StripCursor c{line.box.right + sc.X(2), t, boxRight, line.box.bottom, S};
        r->strip = LayOutRightStrip(sc, icons, c, h, yOffset, true, false);
    }
    return line;
}

// Between the time text and the subject: two pixels left the last letter of
// "11:00A" touching the subject's first, which then read as one word.
constexpr int kTimeGap = 4;

RowLayout LayOutAppointment(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                            const RowFonts& f, const ApptInput& in) {
    RowLayout r;
    const int format = Format(s);
    const int t = a.top;
    const int h = f.row->Height();
    const int half = h / 2;
    const int C = a.contentLeft + W + (s.leadingRects != 0 && format > 6 ? sc.X(12) : 0);

    int S = C;
    if (format <= 6) {
        if (in.allDay) {
            r.allDayX = C - sc.X(2) - sc.X(12);
            r.allDayY = t - sc.X(6) + half;
        } else {
            r.timeBox = {a.left + a.contentLeft + sc.X(4), t, C - sc.X(kTimeGap), t + f.time->Measure(in.timeText).cy};
            r.timeRightAligned = true;
        }
    } else if (in.allDay) {
        r.allDayX = C - sc.X(1);
        r.allDayY = t - sc.X(6) + half;
        S = C + sc.X(14);
    } else if (format <= 10 && !in.timeText.empty()) {
        const TextSize ts = f.time->Measure(in.timeText);
        r.timeBox = {C, t, C + ts.cx, t + ts.cy};
        S = C + ts.cx + sc.X(kTimeGap);
    }

    const int boxRight = a.contentRight - sc.X(2);
    r.textBox = {S, t, std::max(S, boxRight), t + h};
    r.compact = IsCompact(s, a.highlighted);
    const std::vector<StripIcon> icons = CollectRightIcons(in.icons, in.rightMask);
    const bool timeOnSecond = format >= 11;

    int y;
    if (!r.compact) {
        r.subject = WrapText(*f.row, in.subject, r.textBox.left, r.textBox.right, t);
        StripCursor c{r.subject.endX + sc.X(2), r.subject.top, r.textBox.right, r.subject.bottom, S};
        r.strip = LayOutRightStrip(sc, icons, c, h, a.yOffset, false, !a.draw);
        y = r.strip.bottom;
        if (!in.secondLine.empty()) {
            r.secondLine = WrapText(*f.second, in.secondLine, S, r.textBox.right, y);
            y = r.secondLine.bottom;
        }
    } else if (!a.draw) {
        y = t + h + (timeOnSecond ? f.second->Height() : 0);
    } else {
        const int w = MeasureRightStrip(sc, icons, r.textBox.right, h);
        if (w > 0) {
            // However many icons there are, the subject keeps a readable box.
            const int keep = std::min(r.textBox.right, S + sc.X(20));
            r.textBox.right = std::max(r.textBox.right - w - sc.X(2), keep);
        }
        PlaceCompactSubject(sc, *f.row, in.subject, icons, w > 0, S, t, boxRight, h, a.yOffset, &r);
        // One line in each font, as measured: a row drawn is as high as it was measured.
        y = t + h;
        if (timeOnSecond) {
            if (!in.secondLine.empty()) r.secondLine = WrapText(*f.second, in.secondLine, S, std::max(S, boxRight), y);
            y += f.second->Height();
        }
    }
    y += sc.Y(1);

    if (a.draw && s.leadingRects != 0) {
        const int strip = LeftStripWidth(sc, s, LeftStripOf::Appointment);
        const int left = format > 6 ? C - sc.X(10) : a.left + a.contentLeft + sc.X(5) + strip;
        r.leading = {left, t + sc.Y(1), left + sc.X(6), std::max(t + sc.Y(1), y - sc.Y(1))};
    }
    r.height = y - t;
    return r;
}

RowLayout LayOutTask(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                     const RowFonts& f, const TaskInput& in) {
    RowLayout r;
    const int format = Format(s);
    const int t = a.top;
    const int h = f.row->Height();
    const int half = h / 2;
    // The time column belongs to the Calendar, where a task lines up with the
    // appointments; a task list has only its left icons before the check box.
    const int K = a.contentLeft + (in.onCalendar ? W : LeftStripWidth(sc, s, LeftStripOf::Task));

    const int x = in.onCalendar && format < 7 ? K - sc.X(12) : K + sc.X(1);
    r.checkX = x;
    r.checkY = t - sc.X(4) + half;
    int S = x + sc.X(11);
    if (in.onCalendar && in.timeOfDay && format >= 7) {
        r.activeX = x + sc.X(10);
        r.activeY = t - sc.X(6) + half + 1;
        S += sc.X(12);
    }
    if (in.duePrefix.empty()) {
        S += sc.X(1);
    } else {
        const TextSize ps = f.time->Measure(in.duePrefix);
        // A date wider than the time column (a long system date with its year)
        // follows the check box instead of being cut at the row's left edge.
        const bool inColumn = in.onCalendar && format < 7 && ps.cx <= x - a.contentLeft;
        if (inColumn) {
            r.timeBox = {0, t, x, t + ps.cy};
            r.timeRightAligned = true;
            if (in.timeOfDay) {
                r.activeX = x - sc.X(12) - ps.cx;
                r.activeY = t - sc.X(6) + half;
            }
            S += sc.X(1);
        } else {
            if (in.onCalendar && format < 7 && in.timeOfDay) {
                r.activeX = x - sc.X(12);
                r.activeY = t - sc.X(6) + half;
            }
            r.timeBox = {S, t, S + ps.cx, t + ps.cy};
            S += ps.cx;
        }
    }

    const int boxRight = a.contentRight - sc.X(2);
    r.textBox = {S, t, std::max(S, boxRight), t + h};
    r.compact = in.foldingType == 1 || (in.foldingType == 2 && !a.highlighted);
    const std::vector<StripIcon> icons = CollectRightIcons(in.icons, in.rightMask);

    if (!r.compact) {
        r.subject = WrapText(*f.row, in.subject, r.textBox.left, r.textBox.right, t);
        StripCursor c{r.subject.endX + sc.X(2), r.subject.top, r.textBox.right, r.subject.bottom, S};
        r.strip = LayOutRightStrip(sc, icons, c, h, a.yOffset, false, !a.draw);
        r.height = r.strip.bottom + sc.Y(1) - t;
        return r;
    }
    if (a.draw) {
        const int w = MeasureRightStrip(sc, icons, a.contentRight, h);
        // Icons take the room first; the box may shrink to nothing, never below.
        if (w > 0) r.textBox.right = std::max(S, r.textBox.right - w - sc.X(2));
        PlaceCompactSubject(sc, *f.row, in.subject, icons, w > 0, S, t, boxRight, h, a.yOffset, &r);
    }
    r.height = h + sc.Y(1);
    return r;
}

RowLayout LayOutCalendarEvent(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                              const TextMeasurer& font, const EventInput& in) {
    RowLayout r;
    const int t = a.top;
    const int h = font.Height();
    const int left = a.contentLeft + W + (Format(s) > 6 ? sc.X(14) : 0);
    const int boxRight = a.contentRight - sc.X(2);
    r.textBox = {left, t, std::max(left, boxRight), t + h};
    r.compact = IsCompact(s, a.highlighted);
    const std::vector<StripIcon> icons = CollectRightIcons(in.icons, in.rightMask);
    if (!r.compact) {
        r.subject = WrapText(font, in.subject, r.textBox.left, r.textBox.right, t);
        StripCursor c{r.subject.endX + sc.X(2), r.subject.top, r.textBox.right, r.subject.bottom, left};
        r.strip = LayOutRightStrip(sc, icons, c, h, a.yOffset, false, !a.draw);
        r.height = r.strip.bottom - t;
        return r;
    }
    if (a.draw) {
        const int w = MeasureRightStrip(sc, icons, a.contentRight, h);
        if (w > 0) r.textBox.right = std::max(left, r.textBox.right - w - sc.X(2));
        const SingleLine line = FitSingleLine(font, in.subject, r.textBox);
        r.subject.lines.push_back({in.subject, left, t});
        r.subject.endX = line.box.right;
        r.subject.top = t;
        r.subject.bottom = line.box.bottom;
        r.subjectEllipsis = line.ellipsis;
        if (w > 0) {
            StripCursor c{line.box.right + sc.X(2), t, boxRight, line.box.bottom, left};
            r.strip = LayOutRightStrip(sc, icons, c, h, a.yOffset, true, false);
        }
    }
    r.height = h;
    return r;
}

RowLayout LayOutAccountLine(const RowSettings& s, const RowArea& a, int W, const TextMeasurer& font,
                            std::wstring_view title) {
    RowLayout r;
    const int t = a.top;
    const int left = a.contentLeft + W;
    r.textBox = {left, t, std::max(left, a.contentRight), t + font.Height()};
    r.compact = IsCompact(s, a.highlighted);
    if (!r.compact) {
        r.subject = WrapText(font, title, r.textBox.left, r.textBox.right, t);
    } else {
        const SingleLine line = FitSingleLine(font, title, r.textBox);
        r.subject.lines.push_back({title, left, t});
        r.subject.endX = line.box.right;
        r.subject.top = t;
        r.subject.bottom = line.box.bottom;
        r.subjectEllipsis = line.ellipsis;
    }
    r.height = r.subject.bottom - t;
    return r;
}

Box PlaceholderFrame(const Scaler& sc, int areaWidth, int areaHeight, TextSize text) {
    Box b;
    b.left = (areaWidth - text.cx) / 2 - sc.Y(8);
    b.right = b.left + text.cx + sc.X(16);
    b.top = (areaHeight - text.cy) / 2 - sc.Y(4);
    b.bottom = b.top + text.cy + sc.Y(8);
    return b;
}

int GroupTitleHeight(const Scaler& sc, int h) { return sc.Y(4) + h; }

namespace {
// Hours of a day title's timeline, kept within the day whatever the registry says.
struct Hours {
    int start, length;
};
Hours ClampHours(const TimelineSettings& t) {
    return {std::clamp(t.start, 0, 24), std::clamp(t.length, 0, 24)};
}
}  // namespace

int TimelineRoom(const Scaler& sc, const TimelineSettings& t) {
    const Hours hr = ClampHours(t);
    return sc.X(12) + (hr.length + 6) * std::max(0, t.horZ);
}

Box TimelineBox(const Scaler& sc, const TimelineSettings& t, int right, int areaTop, int h) {
    const Hours hr = ClampHours(t);
    const int horZ = std::max(0, t.horZ), vertZ = std::max(0, t.vertZ);
    const int hours = std::min(hr.start + hr.length + 6, 24) - hr.start;
    const int width = sc.X(hours) * horZ;
    const int height = 2 * sc.X(2) * vertZ;
    const int top = areaTop + sc.Y(2) + h / 2 - sc.X(2) * vertZ;
    return {right - width, top, right, top + height};
}

int NoteRowHeight(const Scaler& sc, int h) { return std::max(h, sc.Y(16)); }

ContactForm ContactFormFor(int layout, bool hasPicture, bool hideNoPicture) {
    if (layout == 0 || layout == 1) return ContactForm::List;
    if (layout == 2) return !hasPicture && hideNoPicture ? ContactForm::List : ContactForm::Picture;
    return ContactForm::None;
}

int ContactRowHeight(const Scaler& sc, ContactForm form, int h) {
    switch (form) {
        case ContactForm::List: return h + sc.X(1);
        case ContactForm::Picture: return sc.Y(36);
        case ContactForm::None: break;
    }
    return 0;
}

int MessageRowMeasuredHeight(const Scaler& sc, int h, int secondH) {
    const int y = h + sc.X(1) + secondH;
    return y + sc.X(1);
}

GroupTitleLayout LayOutGroupTitle(const Scaler& sc, const RowArea& a, int h, const GroupTitleInput& in) {
    GroupTitleLayout r;
    const int half = h / 2;
    r.height = GroupTitleHeight(sc, h);
    // Two pixels stay free beside the scroll-bar column, on whichever side it is.
    const bool columnLeft = a.contentLeft >= 1;
    int bandLeft = a.contentLeft + (columnLeft ? sc.X(2) : 0);
    int bandRight = a.contentRight - (columnLeft ? 0 : sc.X(2));
    if (in.fullWidth) {
        bandLeft = a.left;
        bandRight = a.right;
    }
    Box A{a.left, a.top + sc.Y(1), a.right, a.bottom};
    r.bandTop = A.top;
    r.band = {bandLeft, A.top, bandRight, A.top + sc.Y(1) + h + sc.X(1)};

    A.left = a.contentLeft + sc.X(3);
    A.top += sc.Y(1);
    if (in.foldButton) {
        r.foldX = A.left;
        r.foldY = A.top - sc.Y(4) + half;
        A.left += sc.Y(12);
    }
    int present = 0;
    for (const TitleCounter& c : in.counters) present += c.kind > 0 && c.value >= 0;
    const int room = sc.X(32) * present + (in.timeline ? TimelineRoom(sc, in.timelineSettings) : 0);
    A.right = std::max(A.left, a.contentRight - sc.X(6) - room);
    r.title = {A.left, A.top, A.right, A.top + in.titleHeight};
    A.top += in.titleHeight + sc.X(1);

    const int thick = in.thinLines ? 1 : sc.X(1);
    const int lineTop = A.top - sc.X(1) - half + (in.thinLines ? 1 : 0);
    int R = in.fullWidth ? a.right - sc.X(2) : bandRight;
    int T = a.contentRight - sc.X(8);
    const auto segment = [&](int left, int right) {
        if (in.lineStyle == 1 && right > left) r.segments.push_back({left, lineTop, right, lineTop + thick});
    };

    int x = a.contentRight - sc.X(6);
    segment(x, R);
    // The second counter sits rightmost; a lone counter keeps room for three digits.
    const int order[2] = {1, 0};
    for (int i : order) {
        const TitleCounter& c = in.counters[i];
        if (c.kind <= 0 || c.value < 0) continue;
        int digits = 1;
        for (int v = c.value; v >= 10; v /= 10) ++digits;
        const int minimum = present == 1 ? 3 : 2;
        PlacedCounter p;
        p.kind = c.kind;
        p.value = c.value;
        x -= sc.X(12);
        p.iconX = x;
        p.iconY = lineTop - sc.Y(5);
        const int w = (sc.X(2) + in.avgCharWidth) * std::max(digits, minimum);
        p.valueBox = {x - sc.X(2) - w, lineTop - half, x - sc.X(2), lineTop + sc.X(50)};
        x = p.valueBox.left;
        r.counters.push_back(p);
        R = x - sc.X(2);
        segment(R - sc.X(6), R);
    }
    if (!r.counters.empty()) T = R - sc.X(8);
    // The line starts after the title's text, not after its box, so a short title
    // is not left floating before an empty gap.
    segment(std::min(A.left + in.titleWidth, A.right) + sc.X(2), R);
    r.line = {std::min(A.left + in.titleWidth, A.right) + sc.X(2), lineTop, R, lineTop + thick};

    if (in.timeline) {
        r.timeline = TimelineBox(sc, in.timelineSettings, T, a.top, h);
        r.timelineFrame = {r.timeline.left - thick, r.timeline.top - thick, r.timeline.right + thick,
                           r.timeline.bottom + thick};
        r.timelineHot = {r.timeline.left, r.timeline.top - sc.Y(1) + a.yOffset, r.timeline.right,
                         r.timeline.bottom + sc.Y(1) + a.yOffset};
    }
    // The room kept is a guess at the counters' width; wide counts or a wide
    // font must still not run the title under them.
    int limit = r.timeline.Width() > 0 ? r.timelineFrame.left : a.contentRight;
    if (!r.counters.empty()) limit = std::min(limit, r.counters.back().valueBox.left);
    if (limit - sc.X(2) < r.title.right) {
        r.title.right = std::max(r.title.left, limit - sc.X(2));
        if (!r.segments.empty() && in.lineStyle == 1) {
            // The line still starts after the text, now within the narrower box.
            Box& last = r.segments.back();
            last.left = std::min(last.left, std::min(A.left + in.titleWidth, r.title.right) + sc.X(2));
        }
    }
    if (in.lineStyle == 0) {
        const int top = a.top + sc.X(1) + h;
        r.line = in.fullWidth ? Box{sc.X(3), top, a.right - sc.X(3), top + thick}
                              : Box{bandLeft, top, bandRight, top + thick};
    }
    return r;
}

SpecialEventLayout LayOutSpecialEvent(const Scaler& sc, const RowSettings& s, const RowArea& a,
                                      const TextMeasurer& font, const TextMeasurer& daysFont,
                                      std::wstring_view days, std::wstring_view text, bool alerted) {
    SpecialEventLayout r;
    const int t = a.top;
    const int left = a.contentLeft + sc.X(14) + (s.indentItems ? sc.X(8) : 0);
    r.box = {left, t, std::max(left, a.contentRight), a.bottom};
    if (alerted) {
        r.reminderX = left - sc.X(13);
        r.reminderY = t - sc.X(6) + font.Height() / 2;
    }
    r.days = WrapText(daysFont, days, left, r.box.right, t);
    int daysRight = left;
    for (const TextLine& l : r.days.lines) daysRight = std::max(daysRight, l.x + daysFont.Measure(l.text).cx);
    // A 2 px gap ran the days into the name ("In 2 daysAnn"); 6 px reads as a break.
    const int textLeft = std::min(daysRight + sc.X(6), r.box.right);
    r.text = WrapText(font, text, textLeft, r.box.right, t);
    // Whichever of the two reaches lower ends the row.
    r.height = std::max(r.text.bottom, days.empty() ? t : r.days.bottom) - t;
    return r;
}

NoteColumns NoteColumnsFor(int display, bool hasCompletion) {
    return {(display & 1) != 0, (display & 2) != 0, (display & 4) != 0 && hasCompletion};
}

NoteLayout LayOutNote(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, const NoteColumns& cols,
                      int completion) {
    NoteLayout r;
    const int t = a.top;
    const int half = h / 2;
    r.height = NoteRowHeight(sc, h);
    int x = a.contentLeft + sc.X(2) + (s.indentItems ? sc.X(8) : 0);
    const int m = t + std::max(half, sc.Y(8));
    r.iconX = x + sc.X(2);
    r.iconY = m - sc.X(6);
    r.pictureY = m - sc.Y(8);
    x += sc.X(18);
    const int total = (cols.date ? sc.X(40) : 0) + (cols.size ? sc.X(40) : 0) + (cols.bar ? sc.X(30) : 0);
    const int right = std::max(x, a.contentRight - total);
    r.name = {x, m - half, right, m - half + h};
    int cx = right;
    if (cols.bar) {
        r.bar = {cx + sc.X(4), r.name.top + sc.Y(2), cx + sc.X(4) + sc.X(22), r.name.top + h - sc.Y(2)};
        const int value = std::clamp(completion, 0, 100);
        r.barFill = {r.bar.left + sc.Y(1), r.bar.top + sc.Y(1), r.bar.left + sc.Y(1) + sc.X(value / 5),
                     r.bar.bottom - sc.Y(1)};
        cx += sc.X(30);
    }
    if (cols.date) {
        r.date = {cx, r.name.top, cx + sc.X(40), r.name.bottom};
        cx += sc.X(40);
    }
    if (cols.size) r.size = {cx, r.name.top, cx + sc.X(40), r.name.bottom};
    return r;
}

MessageLayout LayOutMessage(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, int secondH) {
    MessageLayout r;
    const int t = a.top;
    int L = a.contentLeft + sc.X(2) + (s.indentItems ? sc.X(8) : 0);
    r.iconX = L;
    r.iconY = t;
    L += sc.X(16);
    const int column = a.contentRight - sc.X(2) - sc.X(50);
    r.sender = {L, t, std::max(L, column), t + h};
    r.date = {column, t, a.contentRight - sc.X(4), t + h};
    int y = t + h;
    r.subject = {L, y, std::max(L, column), y + secondH};
    r.importanceX = a.contentRight - sc.X(4) - sc.X(12);
    r.importanceY = y;
    y += sc.X(1) + secondH;
    r.separator = {0, y, a.contentRight - sc.X(4), y + sc.Y(1)};
    r.height = y + sc.X(1) - t;
    return r;
}

ContactLayout LayOutContact(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, ContactForm form,
                            int layout, int phoneColumn, int secondH) {
    ContactLayout r;
    r.form = form;
    r.height = ContactRowHeight(sc, form, h);
    const int t = a.top;
    const int half = h / 2;
    const Box B{a.contentLeft + sc.X(2) + (s.indentItems ? sc.X(8) : 0), t, a.contentRight, t + h};
    if (form == ContactForm::List) {
        const bool narrow = layout == 1;
        r.noteX = B.left;
        r.noteY = t - sc.X(6) + half;
        const int nameLeft = B.left + sc.X(14);
        const int nameRight = a.contentRight - sc.X(narrow ? 16 : phoneColumn + 20);
        r.name = {nameLeft, t, std::max(nameLeft, nameRight), t + h};
        r.typeX = a.contentRight - sc.X(narrow ? 14 : phoneColumn + 16);
        r.typeY = r.noteY;
        if (!narrow) r.number = {r.typeX + sc.X(14), t, std::max(r.typeX + sc.X(14), a.contentRight), t + h};
    } else if (form == ContactForm::Picture) {
        r.frame = {B.left + sc.Y(1), t + sc.Y(1), B.left + sc.Y(1) + sc.X(34), t + sc.Y(1) + sc.X(34)};
        r.picture = {r.frame.left + sc.X(1), r.frame.top + sc.X(1), r.frame.right - sc.X(1), r.frame.bottom - sc.X(1)};
        const int left = r.picture.right + sc.X(1) + sc.X(4);
        const int right = std::max(left, B.right - sc.X(14));
        const int limit = t + sc.Y(2) + sc.Y(32);
        r.name = {left, t + sc.Y(2), right, std::min(limit, t + sc.Y(2) + h)};
        const int numberTop = r.name.bottom + sc.X(2);
        r.number = {left, numberTop, right, std::max(numberTop, std::min(limit, numberTop + secondH))};
        r.noteX = right;
        r.noteY = r.name.top - sc.X(6) + half;
        r.typeX = right;
        r.typeY = r.number.top - sc.X(6) + secondH / 2;
    }
    return r;
}

}  // namespace daybrim
