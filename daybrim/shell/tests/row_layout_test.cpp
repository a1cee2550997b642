// Row geometry with a fixed-width font (every character 6 pixels, lines 10
// high), at 96 and 192 dpi: wrapping, icon strips and their hot zones, the
// compact form's limits, and settings out of their range.
#include <gtest/gtest.h>

#include "row_layout.h"

namespace {

using namespace daybrim;

class FixedFont : public TextMeasurer {
public:
    FixedFont(int cw, int ch) : cw_(cw), ch_(ch) {}
    TextSize Measure(std::wstring_view t) const override { return {static_cast<int>(t.size()) * cw_, ch_}; }
    int Height() const override { return ch_; }

private:
    int cw_, ch_;
};

Scaler At(int dpi) {
    Scaler s;
    s.dpiX = s.dpiY = dpi;
    return s;
}

const FixedFont kFont(6, 10);
const RowFonts kFonts{&kFont, &kFont, &kFont};

std::vector<std::wstring> Texts(const WrapResult& w) {
    std::vector<std::wstring> out;
    for (const auto& l : w.lines) out.emplace_back(l.text);
    return out;
}

TEST(RowLayout, WordsEndAfterTheirBreakCharacter) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> words;
    } cases[] = {
        {L"", {}},
        {L"one", {L"one"}},
        {L"one two", {L"one ", L"two"}},
        {L"x-ray\tnight\nend ", {L"x-", L"ray\t", L"night\n", L"end "}},
        {L"  ", {L" ", L" "}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> got;
        for (auto w : SplitWords(c.text)) got.emplace_back(w);
        EXPECT_EQ(got, c.words) << c.text;
    }
}

TEST(RowLayout, WrapNeverSplitsAWord) {
    struct Case {
        const wchar_t* text;
        int width;  // box width in pixels
        std::vector<std::wstring> lines;
        int endX;
    } cases[] = {
        {L"Lunch with Ann", 200, {L"Lunch with Ann"}, 84},
        {L"Lunch with Ann", 70, {L"Lunch with ", L"Ann"}, 18},
        {L"Lunch with Ann", 60, {L"Lunch ", L"with Ann"}, 48},
        {L"Lunch with Ann", 36, {L"Lunch ", L"with ", L"Ann"}, 18},
        // One unbreakable word wider than the box stands alone, whole, with no
        // empty line before it.
        {L"Supercalifragilistic", 30, {L"Supercalifragilistic"}, 120},
        {L"a Supercalifragilistic b", 30, {L"a ", L"Supercalifragilistic ", L"b"}, 6},
        {L"pre-meeting", 30, {L"pre-", L"meeting"}, 42},
        {L"", 30, {}, 0},
    };
    for (const auto& c : cases) {
        const WrapResult w = WrapText(kFont, c.text, 0, c.width, 100);
        EXPECT_EQ(Texts(w), c.lines) << c.text;
        EXPECT_EQ(w.endX, c.endX) << c.text;
        const int lines = std::max<int>(1, static_cast<int>(c.lines.size()));
        EXPECT_EQ(w.top, 100 + (lines - 1) * 10) << c.text;
        EXPECT_EQ(w.bottom, w.top + 10) << c.text;
    }
}

TEST(RowLayout, RightStripOrderFollowsTheMask) {
    RightIcons ic;
    ic.importance = 2;
    ic.reminder = ic.isPrivate = ic.note = ic.link = ic.attendees = true;
    ic.recurrence = 2;
    ic.regenerated = 1;
    ic.ownWidth = 16;
    ic.ownHeight = 16;
    ic.categories = {{10, 10}, {0, 0}, {8, 8}};
    struct Case {
        unsigned mask;
        std::vector<IconId> ids;
    } cases[] = {
        {0, {IconId::Regenerated}},
        {kIconReminder | kIconNote, {IconId::Reminder, IconId::Regenerated, IconId::Note}},
        {0x1FF,
         {IconId::HighImportance, IconId::Reminder, IconId::Private, IconId::Exception, IconId::Regenerated,
          IconId::Note, IconId::Link, IconId::Attendees, IconId::OwnIcon, IconId::Category, IconId::Category}},
    };
    for (const auto& c : cases) {
        std::vector<IconId> got;
        for (const auto& s : CollectRightIcons(ic, c.mask)) got.push_back(s.id);
        EXPECT_EQ(got, c.ids) << c.mask;
    }
}

TEST(RowLayout, RightStripWrapsOrStopsAndSetsHotZones) {
    for (int dpi : {96, 192}) {
        const Scaler sc = At(dpi);
        RightIcons ic;
        ic.reminder = ic.note = ic.link = true;
        const auto icons = CollectRightIcons(ic, 0x1FF);
        const int step = sc.X(13);
        // Room for exactly two fixed icons on the first line.
        StripCursor c{100, 20, 100 + step + sc.X(12), 30, 40};
        const StripResult wrapped = LayOutRightStrip(sc, icons, c, 10, 500, false, false);
        ASSERT_EQ(wrapped.placed.size(), 3u) << dpi;
        EXPECT_EQ(wrapped.placed[2].x, 40) << dpi;
        EXPECT_EQ(wrapped.top, 20 + 10 + sc.X(2)) << dpi;
        EXPECT_EQ(wrapped.x, 40 + step) << dpi;
        // Hot zones are the drawn squares, shifted by the row's offset.
        EXPECT_EQ(wrapped.reminder.left, 100 + step - sc.X(12)) << dpi;
        EXPECT_EQ(wrapped.reminder.top, 20 - sc.X(6) + 5 + 500) << dpi;
        EXPECT_EQ(wrapped.reminder.right - wrapped.reminder.left, sc.X(12)) << dpi;
        EXPECT_EQ(wrapped.link.left, 40 + step - sc.X(12)) << dpi;

        const StripResult single = LayOutRightStrip(sc, icons, c, 10, 0, true, false);
        EXPECT_EQ(single.placed.size(), 2u) << dpi;
        EXPECT_EQ(single.link.left, -10) << dpi;  // not drawn: no hot zone
        EXPECT_EQ(single.top, 20) << dpi;

        EXPECT_EQ(MeasureRightStrip(sc, icons, 1000, 10), 3 * step) << dpi;
        EXPECT_EQ(MeasureRightStrip(sc, icons, step + sc.X(12), 10), 2 * step) << dpi;
        EXPECT_EQ(MeasureRightStrip(sc, icons, 0, 10), 0) << dpi;
    }
}

TEST(RowLayout, IconsAboveTheBufferAreNotDrawn) {
    const Scaler sc = At(96);
    RightIcons ic;
    ic.reminder = true;
    const auto icons = CollectRightIcons(ic, kIconReminder);
    const StripResult r = LayOutRightStrip(sc, icons, {0, -12, 100, -2, 0}, 10, 0, false, false);
    EXPECT_TRUE(r.placed.empty());
    EXPECT_EQ(r.reminder.left, -10);
    EXPECT_EQ(r.x, 13);
}

TEST(RowLayout, TimeColumnWidth) {
    const Scaler sc = At(96);
    struct Case {
        int format, leading, apptSlots, taskSlots;
        bool indent;
        int width;
    } cases[] = {
        {0, 0, 0, 0, false, 0},
        {3, 0, 0, 0, false, 16 * 6},  // "X22:22-Multiday:" and nothing more
        {1, 1, 0, 0, false, 16 * 6 + 12},
        {2, 0, 2, 0, true, 11 * 6 + 26 + 8},
        {7, 1, 0, 0, false, 2},
        {99, 0, 1, 0, false, 2 + 13},
        {-5, 0, 0, 0, false, 0},
        {1, 0, 50, 0, false, 96 + 26},  // slot count beyond the two codes
        // The Calendar's tasks line up with the column: it holds the wider strip.
        {1, 0, 0, 2, false, 96 + 26},
        {1, 0, 1, 2, false, 96 + 26},
        {1, 0, 2, -3, false, 96 + 26},
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.apptDisplayFormat = c.format;
        s.leadingRects = c.leading;
        s.apptLeftSlots = c.apptSlots;
        s.taskLeftSlots = c.taskSlots;
        s.indentItems = c.indent;
        EXPECT_EQ(TimeColumnWidth(sc, s, kFont), c.width) << c.format << " " << c.apptSlots << " " << c.taskSlots;
    }
}

RowArea Area(int width, bool highlighted = false, bool draw = true) {
    RowArea a;
    a.right = width;
    a.bottom = 400;
    a.top = 50;
    a.contentRight = width;
    a.highlighted = highlighted;
    a.draw = draw;
    return a;
}

TEST(RowLayout, AppointmentHeightsByForm) {
    const Scaler sc = At(96);
    RowSettings s;
    s.apptDisplayFormat = 3;
    const int W = TimeColumnWidth(sc, s, kFont);  // 96
    ApptInput in;
    in.subject = L"Planning meeting with the team";  // 30 characters, 180 px
    in.timeText = L"9:00-10:00";
    in.secondLine = L"Room 4";
    struct Case {
        int folding;
        bool highlighted, draw;
        int width, height;
    } cases[] = {
        {0, false, true, 400, 10 + 10 + 1},           // one line, second line below
        {0, false, true, 200, 10 + 10 + 10 + 1},       // subject wraps to two lines
        {1, false, true, 200, 10 + 1},                 // compact: no second line
        {1, false, false, 200, 10 + 1},
        {2, true, true, 200, 10 + 10 + 10 + 1},        // highlighted unfolds
        {2, false, true, 200, 10 + 1},
    };
    for (const auto& c : cases) {
        s.foldingType = c.folding;
        const RowLayout r = LayOutAppointment(sc, s, Area(c.width, c.highlighted, c.draw), W, kFonts, in);
        EXPECT_EQ(r.height, c.height) << c.folding << " " << c.width << " " << c.highlighted;
        EXPECT_EQ(r.textBox.left, W) << c.folding;
    }
    // The time line of the late formats shows in both forms.
    s.apptDisplayFormat = 11;
    s.foldingType = 1;
    for (bool draw : {true, false}) {
        const RowLayout r = LayOutAppointment(sc, s, Area(400, false, draw), TimeColumnWidth(sc, s, kFont), kFonts, in);
        EXPECT_EQ(r.height, 21) << draw;
    }
}

TEST(RowLayout, AppointmentTimeColumnByFormat) {
    const Scaler sc = At(96);
    struct Case {
        int format;
        bool allDay;
        const wchar_t* time;
        int subjectLeft, allDayX;
    } cases[] = {
        {3, false, L"9:00", 50, -1},
        {3, true, L"", 50, 50 - 2 - 12},
        {7, false, L"9:00", 50 + 24 + 4, -1},
        {7, false, L"", 50, -1},
        {8, true, L"", 50 + 14, 49},
        {11, false, L"9:00", 50, -1},
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.apptDisplayFormat = c.format;
        ApptInput in;
        in.subject = L"Dentist";
        in.allDay = c.allDay;
        in.timeText = c.time;
        const RowLayout r = LayOutAppointment(sc, s, Area(240), 50, kFonts, in);
        EXPECT_EQ(r.textBox.left, c.subjectLeft) << c.format << c.allDay;
        EXPECT_EQ(r.allDayX, c.allDayX) << c.format << c.allDay;
        // A time drawn beside the subject keeps a visible gap before it.
        if (r.timeBox.right > r.timeBox.left) {
            const int timeEnd = r.timeRightAligned ? r.timeBox.right : r.timeBox.left + 24;
            EXPECT_GE(r.textBox.left - timeEnd, sc.X(4)) << c.format;
        }
    }
}

TEST(RowLayout, CompactSubjectKeepsItsMinimumWidth) {
    for (int dpi : {96, 192}) {
        const Scaler sc = At(dpi);
        RowSettings s;
        s.apptDisplayFormat = 7;
        s.foldingType = 1;
        ApptInput in;
        in.subject = L"Quarterly review";
        in.icons.reminder = in.icons.isPrivate = in.icons.note = in.icons.link = in.icons.attendees = true;
        in.icons.recurrence = 1;
        in.rightMask = 0x1FF;
        for (int width : {120, 240, 480}) {
            const RowLayout r = LayOutAppointment(sc, s, Area(width), 10, kFonts, in);
            EXPECT_GE(r.textBox.Width(), sc.X(20)) << dpi << " " << width;
            if (width == 120) {
                EXPECT_TRUE(r.subjectEllipsis) << dpi;
            }
            // Only icons that fit are placed, all on the subject's line.
            for (const auto& p : r.strip.placed) {
                EXPECT_LE(p.x + sc.X(12), width - sc.X(2)) << dpi << " " << width;
                EXPECT_EQ(p.y, 50 - sc.X(6) + 5) << dpi;
            }
        }
        // With plenty of room every icon shows and the subject is whole.
        const RowLayout wide = LayOutAppointment(sc, s, Area(1000), 10, kFonts, in);
        EXPECT_EQ(wide.strip.placed.size(), 6u) << dpi;
        EXPECT_FALSE(wide.subjectEllipsis) << dpi;
        EXPECT_EQ(wide.strip.placed[0].x, wide.textBox.left + 16 * 6 + sc.X(2)) << dpi;
    }
}

TEST(RowLayout, LeadingRectangleSpansTheRow) {
    const Scaler sc = At(96);
    struct Case {
        int format, leading, apptSlots, taskSlots, left;
    } cases[] = {
        {3, 1, 0, 0, 5},
        {3, 2, 0, 0, 5},
        {8, 1, 0, 0, 40 + 12 - 10},
        {3, 0, 0, 0, 0},
        {3, 1, 2, 0, 5 + 26},  // after the appointment's own left icons...
        {3, 1, 0, 2, 5},       // ...not the tasks'
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.apptDisplayFormat = c.format;
        s.leadingRects = c.leading;
        s.apptLeftSlots = c.apptSlots;
        s.taskLeftSlots = c.taskSlots;
        ApptInput in;
        in.subject = L"Call";
        const RowLayout r = LayOutAppointment(sc, s, Area(240), 40, kFonts, in);
        if (c.leading == 0) {
            EXPECT_EQ(r.leading.Width(), 0);
            continue;
        }
        EXPECT_EQ(r.leading.left, c.left) << c.format;
        EXPECT_EQ(r.leading.Width(), 6);
        EXPECT_EQ(r.leading.top, 51);
        EXPECT_EQ(r.leading.bottom, 50 + r.height - 1);
    }
}

TEST(RowLayout, TaskCheckBoxAndPrefix) {
    const Scaler sc = At(96);
    struct Case {
        bool onCalendar, timeOfDay;
        int format;
        const wchar_t* prefix;
        int checkX, subjectLeft, activeX;
    } cases[] = {
        {true, false, 3, L"", 60 - 12, 60 - 12 + 11 + 1, -1},
        {true, true, 3, L"Fri", 48, 60, 48 - 12 - 18},
        // A date wider than the column follows the check box, whole.
        {true, true, 3, L"11/20/2026 ", 48, 48 + 11 + 66, 48 - 12},
        {true, true, 8, L"", 61, 61 + 11 + 12 + 1, 71},
        // A task list keeps no time column: the check box starts at the content edge.
        {false, true, 3, L"Fri ", 1, 1 + 11 + 24, -1},
        {false, false, 8, L"", 1, 1 + 11 + 1, -1},
        {false, false, 0, L"", 1, 1 + 11 + 1, -1},
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.apptDisplayFormat = c.format;
        TaskInput in;
        in.subject = L"Buy milk";
        in.onCalendar = c.onCalendar;
        in.timeOfDay = c.timeOfDay;
        in.duePrefix = c.prefix;
        const RowLayout r = LayOutTask(sc, s, Area(240), 60, kFonts, in);
        EXPECT_EQ(r.checkX, c.checkX) << c.format << c.prefix;
        EXPECT_EQ(r.textBox.left, c.subjectLeft) << c.format << c.prefix;
        EXPECT_EQ(r.activeX, c.activeX) << c.format << c.prefix;
        EXPECT_EQ(r.height, 11);
    }
}

TEST(RowLayout, TaskListCheckBoxFollowsOnlyTheLeftIcons) {
    const Scaler sc = At(96);
    const struct {
        int slots, apptSlots;
        bool indent;
        int leading, contentLeft;
        int checkX;
    } cases[] = {
        {0, 0, false, 0, 0, 1},
        {0, 0, false, 0, 7, 8},             // from the content edge, not the row's
        {2, 0, false, 0, 0, 26 + 1},        // after the left icons
        {1, 0, true, 0, 0, 13 + 8 + 1},     // and the indent
        {0, 0, false, 1, 0, 1},             // leading rectangles are the appointments'
        {0, 2, false, 0, 0, 1},             // so are the appointments' left icons
        {0, 1, true, 0, 0, 8 + 1},
        {1, 2, false, 0, 0, 13 + 1},
        {9, 0, false, 0, 0, 26 + 1},        // never more than the two codes
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.taskLeftSlots = c.slots;
        s.apptLeftSlots = c.apptSlots;
        s.indentItems = c.indent;
        s.leadingRects = c.leading;
        TaskInput in;
        in.subject = L"Buy milk";
        RowArea a = Area(240);
        a.contentLeft = c.contentLeft;
        // However wide the Calendar's time column is measured.
        for (int W : {0, 70, 140}) {
            const RowLayout r = LayOutTask(sc, s, a, W, kFonts, in);
            EXPECT_EQ(c.checkX, r.checkX) << c.slots << " " << c.contentLeft << " W " << W;
            EXPECT_EQ(c.checkX + 11 + 1, r.textBox.left) << c.slots;
        }
        in.onCalendar = true;  // the Calendar still lines its tasks up with the time column
        EXPECT_EQ(c.contentLeft + 70 - 12, LayOutTask(sc, s, a, 70, kFonts, in).checkX);
    }
}

TEST(RowLayout, TaskCompactBoxNeverTurnsNegative) {
    const Scaler sc = At(192);
    RowSettings s;
    TaskInput in;
    in.subject = L"Pay the electricity bill";
    in.icons.reminder = in.icons.note = in.icons.link = true;
    in.icons.importance = 2;
    in.icons.regenerated = 3;
    in.rightMask = 0x1FF;
    in.foldingType = 1;
    for (int width : {60, 120, 240, 480}) {
        const RowLayout r = LayOutTask(sc, s, Area(width), 20, kFonts, in);
        EXPECT_GE(r.textBox.Width(), 0) << width;
        EXPECT_EQ(r.height, 10 + sc.Y(1)) << width;
    }
    // Full form: the icons follow the wrapped subject and the height includes them.
    in.foldingType = 0;
    const RowLayout full = LayOutTask(sc, s, Area(120), 20, kFonts, in);
    EXPECT_EQ(full.height, full.strip.bottom + sc.Y(1) - 50);
    EXPECT_GT(full.height, 20);
}

TEST(RowLayout, CalendarEventsAndAccountLines) {
    const Scaler sc = At(96);
    EventInput ev;
    ev.subject = L"Birthday of Ann Smith-Jones";  // 27 characters
    ev.icons.reminder = ev.icons.note = true;
    ev.rightMask = 0x1FF;
    struct Case {
        int format, folding, width;
        int boxLeft, height;
        bool ellipsis;
    } cases[] = {
        {3, 0, 400, 30, 10, false},          // one line, icons beside it
        {8, 0, 400, 30 + 14, 10, false},
        {3, 0, 120, 30, 30, false},          // three lines, icons after the last word
        {3, 1, 120, 30, 10, true},
        {3, 1, 20, 30, 10, true},             // no room at all: the box is empty, not negative
    };
    for (const auto& c : cases) {
        RowSettings s;
        s.apptDisplayFormat = c.format;
        s.foldingType = c.folding;
        const RowLayout r = LayOutCalendarEvent(sc, s, Area(c.width), 30, kFont, ev);
        EXPECT_EQ(r.textBox.left, c.boxLeft) << c.format << " " << c.width;
        EXPECT_EQ(EventIconX(sc, r), c.boxLeft - 14);
        EXPECT_EQ(r.height, c.height) << c.format << " " << c.width;
        EXPECT_EQ(r.subjectEllipsis, c.ellipsis) << c.format << " " << c.width;
        EXPECT_GE(r.textBox.Width(), 0);
    }

    RowSettings s;
    s.foldingType = 2;
    const std::wstring title = L"Work mail: 3 unread";
    EXPECT_EQ(LayOutAccountLine(s, Area(100, true), 20, kFont, title).height, 20);
    const RowLayout folded = LayOutAccountLine(s, Area(100, false), 20, kFont, title);
    EXPECT_EQ(folded.height, 10);
    EXPECT_TRUE(folded.subjectEllipsis);
}

TEST(RowLayout, PlaceholderFrameIsCentred) {
    for (int dpi : {96, 192}) {
        const Scaler sc = At(dpi);
        const Box b = PlaceholderFrame(sc, 240, 100, {100, 12});
        EXPECT_EQ(b.left, 70 - sc.Y(8)) << dpi;
        EXPECT_EQ(b.Width(), 100 + sc.X(16)) << dpi;
        EXPECT_EQ(b.top, 44 - sc.Y(4)) << dpi;
        EXPECT_EQ(b.bottom - b.top, 12 + sc.Y(8)) << dpi;
    }
}

TEST(RowLayout, FixedHeightsAndOutOfRangeSettings) {
    const Scaler sc = At(192);
    EXPECT_EQ(GroupTitleHeight(sc, 10), 18);
    EXPECT_EQ(NoteRowHeight(sc, 10), 32);
    EXPECT_EQ(NoteRowHeight(sc, 40), 40);
    EXPECT_EQ(MessageRowMeasuredHeight(sc, 10, 8), 10 + 2 + 8 + 2);

    struct ContactCase {
        int layout;
        bool picture, hide;
        ContactForm form;
        int height;
    } contacts[] = {
        {0, false, false, ContactForm::List, 12},
        {1, true, false, ContactForm::List, 12},
        {2, true, true, ContactForm::Picture, 72},
        {2, false, true, ContactForm::List, 12},
        {2, false, false, ContactForm::Picture, 72},
        {3, true, false, ContactForm::None, 0},
        {-1, true, false, ContactForm::None, 0},
        {1 << 30, true, false, ContactForm::None, 0},
    };
    for (const auto& c : contacts) {
        const ContactForm f = ContactFormFor(c.layout, c.picture, c.hide);
        EXPECT_EQ(f, c.form) << c.layout;
        EXPECT_EQ(ContactRowHeight(sc, f, 10), c.height) << c.layout;
    }

    struct TimelineCase {
        TimelineSettings t;
        int width;
    } timelines[] = {
        {{8, 10, 1, 1}, 16 * 2},
        {{20, 10, 1, 1}, 4 * 2},    // cut at midnight
        {{30, 10, 1, 1}, 0},        // start past the day: empty, not negative
        {{-4, 10, 2, 1}, 16 * 2 * 2},
        {{8, -100, 1, 1}, 6 * 2},
        {{8, 10, -3, -3}, 0},
    };
    for (const auto& c : timelines) {
        const Box b = TimelineBox(sc, c.t, 200, 0, 10);
        EXPECT_EQ(b.Width(), c.width) << c.t.start << " " << c.t.length;
        EXPECT_GE(b.bottom - b.top, 0);
        EXPECT_GE(TimelineRoom(sc, c.t), sc.X(12));
    }
}

}  // namespace

namespace {

RowArea AreaAt100(int width) {
    RowArea a;
    a.right = a.contentRight = width;
    a.bottom = 400;
    a.top = 100;
    a.yOffset = 1000;
    return a;
}

}  // namespace

TEST(RowLayout, GroupTitleCountersTimelineAndLines) {
    struct Case {
        int dpi;
        TitleCounter first, second;
        bool fold, timeline;
        int style;
        // Expected: counter kinds in drawing order with their value box widths.
        std::vector<std::pair<int, int>> counters;
        int titleLeft;
    } cases[] = {
        // Alone, a counter keeps room for three digits; beside another, two.
        {96, {1, 5}, {}, false, false, 1, {{1, 3 * (2 + 6)}}, 3},
        {96, {1, 5}, {2, 1234}, true, false, 1, {{2, 4 * (2 + 6)}, {1, 2 * (2 + 6)}}, 3 + 12},
        {192, {1, 7}, {2, -1}, false, true, 3, {{1, 3 * (4 + 6)}}, 3},
        {96, {0, 9}, {}, false, false, 0, {}, 3},  // no kind: no counter
    };
    for (const auto& c : cases) {
        const Scaler sc = At(c.dpi);
        GroupTitleInput in;
        in.titleWidth = 60;
        in.titleHeight = 10;
        in.avgCharWidth = 6;
        in.counters[0] = c.first;
        in.counters[1] = c.second;
        in.foldButton = c.fold;
        in.lineStyle = c.style;
        in.timeline = c.timeline;
        in.timelineSettings = {8, 10, 1, 1};
        const RowArea a = AreaAt100(240 * c.dpi / 96);
        const GroupTitleLayout r = LayOutGroupTitle(sc, a, 10, in);
        const std::string what = std::to_string(c.dpi) + " style " + std::to_string(c.style);
        EXPECT_EQ(r.height, sc.Y(4) + 10) << what;
        EXPECT_EQ(r.title.left, sc.X(c.titleLeft)) << what;
        EXPECT_EQ(r.foldX >= 0, c.fold) << what;
        ASSERT_EQ(r.counters.size(), c.counters.size()) << what;
        int x = a.contentRight - sc.X(6);
        for (size_t i = 0; i < c.counters.size(); ++i) {
            const PlacedCounter& p = r.counters[i];
            EXPECT_EQ(p.kind, c.counters[i].first) << what;
            EXPECT_EQ(p.valueBox.Width(), c.counters[i].second) << what;
            // Right to left without overlap: icon, then its value left of it.
            EXPECT_EQ(p.iconX, x - sc.X(12)) << what;
            EXPECT_LT(p.valueBox.right, p.iconX) << what;
            x = p.valueBox.left;
        }
        // The title's box leaves the counters and the timeline their room.
        if (!r.counters.empty()) EXPECT_LE(r.title.right, r.counters.back().valueBox.left) << what;
        if (c.timeline) {
            EXPECT_GT(r.timeline.Width(), 0) << what;
            EXPECT_LE(r.timeline.right, r.counters.back().valueBox.left) << what;
            EXPECT_EQ(r.timelineHot.top, r.timeline.top - sc.Y(1) + 1000) << what;
            EXPECT_EQ(r.timelineHot.bottom, r.timeline.bottom + sc.Y(1) + 1000) << what;
            EXPECT_LT(r.timelineFrame.left, r.timeline.left) << what;
        }
        // Style 1 draws a line that starts past the title's text; the others none.
        EXPECT_EQ(!r.segments.empty(), c.style == 1) << what;
        for (const Box& b : r.segments) EXPECT_GT(b.Width(), 0) << what;
        if (c.style == 1) EXPECT_GE(r.segments.back().left, r.title.left + 60) << what;
        if (c.style == 0) EXPECT_EQ(r.line.top, a.top + sc.X(1) + 10) << what;
    }
}

TEST(RowLayout, SpecialEventsNotesMessagesAndContacts) {
    for (int dpi : {96, 192}) {
        const Scaler sc = At(dpi);
        const RowArea a = AreaAt100(240 * dpi / 96);
        RowSettings s;
        const std::string what = std::to_string(dpi);

        // Days first, the event's text from their right edge; the lower of the two ends the row.
        const SpecialEventLayout ev = LayOutSpecialEvent(sc, s, a, kFont, kFont, L"in 3 days", L"Ann (30)", true);
        EXPECT_EQ(ev.box.left, sc.X(14)) << what;
        EXPECT_EQ(ev.text.lines.at(0).x, sc.X(14) + 9 * 6 + sc.X(6)) << what;
        EXPECT_EQ(ev.height, 10) << what;
        EXPECT_EQ(ev.reminderX, sc.X(14) - sc.X(13)) << what;
        const RowArea narrow = [&] {
            RowArea n = a;
            n.contentRight = sc.X(14) + 10 * 6;
            return n;
        }();
        const SpecialEventLayout wrapped =
            LayOutSpecialEvent(sc, s, narrow, kFont, kFont, L"Today", L"Birthday of Ann Smith-Jones", false);
        EXPECT_EQ(wrapped.reminderX, -1) << what;
        EXPECT_GT(wrapped.height, 10) << what;
        EXPECT_EQ(wrapped.height, wrapped.text.bottom - a.top) << what;

        // Message rows: the height a list measures is the height they draw.
        const MessageLayout m = LayOutMessage(sc, s, a, 10, 8);
        EXPECT_EQ(m.height, MessageRowMeasuredHeight(sc, 10, 8)) << what;
        EXPECT_EQ(m.date.right, a.contentRight - sc.X(4)) << what;
        EXPECT_LE(m.sender.right, m.date.left) << what;
        EXPECT_EQ(m.separator.top, a.top + 10 + sc.X(1) + 8) << what;

        // Note columns by "DisplayOnNotesTab"; the bar only for lists with a value.
        struct NoteCase {
            int display;
            bool completion;
            int columnsWidth;
        } notes[] = {{0, true, 0}, {1, false, 40}, {3, false, 80}, {7, false, 80}, {7, true, 110}, {4, true, 30}};
        for (const auto& n : notes) {
            const NoteLayout l = LayOutNote(sc, s, a, 10, NoteColumnsFor(n.display, n.completion), 60);
            EXPECT_EQ(l.name.right, a.contentRight - sc.X(n.columnsWidth)) << what << " " << n.display;
            EXPECT_EQ(l.height, NoteRowHeight(sc, 10)) << what;
            if (n.completion && (n.display & 4)) EXPECT_EQ(l.barFill.Width(), sc.X(12)) << what;
        }

        // Contacts: markers and text boxes inside the row, the number column by its width.
        for (ContactForm form : {ContactForm::List, ContactForm::Picture}) {
            for (int layout : {0, 1, 2}) {
                const ContactLayout c = LayOutContact(sc, s, a, 10, form, layout, 90, 8);
                EXPECT_EQ(c.height, ContactRowHeight(sc, form, 10)) << what;
                EXPECT_GE(c.name.left, 0) << what;
                EXPECT_LE(c.name.right, a.contentRight) << what;
                EXPECT_LE(c.typeX + sc.X(12), a.contentRight) << what;
                EXPECT_LE(c.number.bottom, a.top + c.height) << what;
                if (form == ContactForm::List)
                    EXPECT_EQ(c.number.right > c.number.left, layout != 1) << what << " layout " << layout;
            }
        }
    }
}
