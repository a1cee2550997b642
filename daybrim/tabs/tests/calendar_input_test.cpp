// The Calendar tab's input without windows: the quick picker's cells, the drag
// threshold and the reminder's lead time.
#include <gtest/gtest.h>

#include <vector>

#include "calendar_input.h"

namespace {

using namespace daybrim;

TEST(QuickRange, CellsSpanTheWidthWithTheRemainderOnBothSides) {
    struct Case {
        int first, last, width;
        int count, left0, cellAtRightEdge;
    } cases[] = {
        {0, 24, 234, 48, 21, 47},  // 234 = 48 * 4 + 42: 21 px each side
        {8, 18, 200, 20, 0, 19},
        {20, 30, 100, 8, 2, 7},    // cut at midnight
        {5, 5, 100, 0, 0, -1},     // nothing to pick
    };
    for (const Case& c : cases) {
        QuickRange q(c.first, c.last, c.width);
        EXPECT_EQ(c.count, q.CellCount()) << c.first << "-" << c.last;
        if (c.count) EXPECT_EQ(c.left0, q.CellLeft(0));
        EXPECT_EQ(c.cellAtRightEdge, q.CellAt(c.width - 1));
    }
}

TEST(QuickRange, DraggingLeftKeepsThePenDownCellAsTheAnchor) {
    struct Case {
        const char* what;
        std::vector<int> moves;  // cells the pen moves over after going down on cell 10
        int first, last;
    } cases[] = {
        {"right", {11, 12, 14}, 10, 14},
        {"left", {9, 7}, 7, 10},
        {"left then back right past the anchor", {6, 9, 12}, 10, 12},
        {"right then left past the anchor", {13, 8}, 8, 10},
    };
    for (const Case& c : cases) {
        QuickRange q(0, 24, 480);  // 10 px a cell
        q.PenDown(105);
        for (int cell : c.moves) q.PenMove(cell * 10 + 5);
        EXPECT_EQ(c.first, q.First()) << c.what;
        EXPECT_EQ(c.last, q.Last()) << c.what;
    }
}

TEST(QuickRange, TimesOfTheSelection) {
    QuickRange q(8, 18, 200);  // 20 cells of 10 px from 8:00
    double s = 0, e = 0;
    EXPECT_FALSE(q.Times(45000, &s, &e));
    q.PenDown(5);
    q.PenMove(35);
    ASSERT_TRUE(q.Times(45000, &s, &e));
    EXPECT_DOUBLE_EQ(45000 + 8 / 24.0, s);
    EXPECT_DOUBLE_EQ(45000 + 10 / 24.0, e);
    q.PenDown(25);  // inside the selection: starts over on that cell
    EXPECT_EQ(2, q.First());
    EXPECT_EQ(2, q.Last());

    QuickRange day(0, 24, 480);
    day.PenDown(475);
    ASSERT_TRUE(day.Times(45000, &s, &e));
    EXPECT_DOUBLE_EQ(45000 + 23.5 / 24.0, s);
    EXPECT_DOUBLE_EQ(45001, e) << "the last cell ends at the next midnight";
}

TEST(CalendarInput, DragStartsBeyondThreePixels) {
    EXPECT_FALSE(MovedBeyond(10, 10, 13, 7, 3));
    EXPECT_TRUE(MovedBeyond(10, 10, 14, 10, 3));
    EXPECT_TRUE(MovedBeyond(10, 10, 10, 6, 3));
}

TEST(CalendarInput, LeadTimeInTheLargestExactUnit) {
    struct Case {
        long minutes, number;
        int unit;
    } cases[] = {
        {0, 0, 0}, {15, 15, 0}, {90, 90, 0}, {120, 2, 1}, {1440, 1, 2}, {2880, 2, 2},
        {10080, 1, 3}, {20160, 2, 3}, {1500, 25, 1}, {-5, 0, 0},
    };
    for (const Case& c : cases) {
        const LeadTime t = SplitLeadTime(c.minutes);
        EXPECT_EQ(c.number, t.number) << c.minutes;
        EXPECT_EQ(c.unit, t.unit) << c.minutes;
        if (c.minutes > 0) EXPECT_EQ(c.minutes, LeadTimeMinutes(t.number, t.unit));
    }
    EXPECT_EQ(0, LeadTimeMinutes(-1, 1));
    EXPECT_EQ(0, LeadTimeMinutes(3, 7));
}

}  // namespace

namespace {

using namespace daybrim;

constexpr double kNo = 949998.0;

TEST(RedateTask, FirstModeMovesTheDueDateSecondKeepsTheSpan) {
    struct Case {
        const char* what;
        double start, due;
        int32_t day;
        bool keepSpan;
        double wantStart, wantDue;
    } cases[] = {
        {"due only, start stays before", 46360, 46362, 46370, false, 46360, 46370},
        {"due only, start follows an earlier due", 46360, 46362, 46355, false, 46355, 46355},
        {"span kept forward", 46360, 46362, 46370, true, 46368, 46370},
        {"span kept backward", 46360, 46362, 46340, true, 46338, 46340},
        {"no start stays none", kNo, 46362, 46370, true, kNo, 46370},
        {"undated task gets a due date", kNo, kNo, 46370, false, kNo, 46370},
        {"undated task with a later start", 46380, kNo, 46370, true, 46370, 46370},
    };
    for (const Case& c : cases) {
        const TaskDates d = RedateTask(c.start, c.due, c.day, c.keepSpan, kNo);
        EXPECT_EQ(c.wantStart, d.start) << c.what;
        EXPECT_EQ(c.wantDue, d.due) << c.what;
    }
}

TEST(CalendarCommands, RedateMenuCommandsPickTheMonthlyModeByKind) {
    struct Case {
        unsigned command;
        bool task;
        int mode;
    } cases[] = {
        {40177, false, 2}, {40178, false, 1}, {40177, true, 4}, {40178, true, 3}, {40179, false, 0}, {40866, true, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.mode, RedateModeFor(c.command, c.task)) << c.command << " " << c.task;
}

TEST(CalendarCommands, PinnedCalendarOnlyOnAHighEnoughHost) {
    struct Case {
        bool enabled;
        int host, want;
    } cases[] = {
        {true, 320, 100}, {true, 200, 100}, {true, 199, 0}, {false, 320, 0}, {true, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, PinnedHeight(c.enabled, c.host, 200, 100)) << c.host;
}

}  // namespace
