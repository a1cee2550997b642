// The item list without a window: scroll arithmetic, rows rebuilt under a kept
// highlight, the culled layout pass, and the timed input on a fake clock.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "list_input.h"
#include "list_scroll.h"
#include "row_list.h"

namespace {

using namespace daybrim;

// --- scroll ------------------------------------------------------------------

ScrollModel Model(int view, int content, int offset = 0) {
    ScrollModel s;
    s.SetView(240, view);
    s.TakeContentHeight(content);
    s.SetOffset(offset);
    return s;
}

TEST(ListScroll, ThumbStaysBetweenItsLimits) {
    struct Case {
        int view, content, offset;
        int length, top;
    } cases[] = {
        {200, 250, 0, 122, 14},        // most of the content shows: a long thumb
        {200, 250, 50, 122, 14 + 50},  // at the end the thumb touches the lower arrow
        {200, 1000, 0, 12, 14},        // long list: never below 12
        {200, 1000, 800, 12, 14 + 160},
        {200, 201, 1, 171, 15},        // almost all of it shows
        {200, 100000, 99800, 12, 174},
        {30, 1000, 970, 12, 14},       // a track shorter than the thumb: no room to move
    };
    for (const Case& c : cases) {
        const ScrollModel s = Model(c.view, c.content, c.offset);
        const Thumb t = s.ThumbNow();
        EXPECT_EQ(c.length, t.length) << c.view << "/" << c.content << "/" << c.offset;
        EXPECT_EQ(c.top, t.top) << c.view << "/" << c.content << "/" << c.offset;
    }
}

TEST(ListScroll, OffsetsPast16BitsAreKept) {
    ScrollModel s = Model(300, 200000);
    EXPECT_TRUE(s.SetOffset(70000));
    EXPECT_EQ(70000, s.Offset());
    EXPECT_TRUE(s.ScrollBy(200000));
    EXPECT_EQ(199700, s.Offset()) << "clamped at the end, not wrapped";
    EXPECT_TRUE(s.SetOffset(-5));
    EXPECT_EQ(0, s.Offset());
    EXPECT_FALSE(s.SetOffset(-5)) << "no change reported twice";
}

TEST(ListScroll, ShrinkingContentPullsTheOffsetBackOnce) {
    struct Case {
        int offset, newContent, want;
        bool repaint;
    } cases[] = {
        {500, 1000, 500, false},  // still enough below
        {500, 600, 300, true},    // a group folded near the end
        {500, 200, 0, true},      // now shorter than the view
        {0, 100, 0, false},       // unscrolled lists never repaint for this
    };
    for (const Case& c : cases) {
        ScrollModel s = Model(300, 2000, c.offset);
        EXPECT_EQ(c.repaint, s.TakeContentHeight(c.newContent)) << c.offset << "->" << c.newContent;
        EXPECT_EQ(c.want, s.Offset());
    }
}

TEST(ListScroll, ThumbDragFollowsThePenAndNeverDividesByZero) {
    ScrollModel s = Model(200, 1000);  // room for the thumb: 200 - 28 - 12 = 160
    s.BeginDrag(20);
    EXPECT_TRUE(s.DragTo(100));
    EXPECT_EQ(80 * 800 / 160, s.Offset());
    EXPECT_TRUE(s.DragTo(5000));
    EXPECT_EQ(800, s.Offset());
    EXPECT_TRUE(s.DragTo(-30)) << "a pen above the window is its top";
    EXPECT_EQ(0, s.Offset());
    s.EndDrag();
    EXPECT_FALSE(s.DragTo(100)) << "not dragging";

    for (int view : {0, 20, 40}) {
        ScrollModel tiny = Model(view, view + 3);
        tiny.BeginDrag(0);
        tiny.DragTo(30);
        EXPECT_EQ(0, tiny.Offset()) << view;
    }
    ScrollModel fits = Model(300, 100);
    fits.BeginDrag(0);
    EXPECT_FALSE(fits.DragTo(200));
}

TEST(ListScroll, BarColumnAndRowsSpanOnEitherSide) {
    const ScrollModel s = Model(200, 1000, 0);
    struct Case {
        bool left;
        int x, y;
        BarPart part;
    } cases[] = {
        {false, 235, 5, BarPart::kUpArrow},   {false, 235, 190, BarPart::kDownArrow},
        {false, 235, 20, BarPart::kThumb},    {false, 235, 100, BarPart::kBelow},
        {false, 100, 100, BarPart::kNone},    {false, 5, 5, BarPart::kNone},
        {true, 5, 5, BarPart::kUpArrow},      {true, 10, 190, BarPart::kDownArrow},
        {true, 235, 5, BarPart::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.part, HitScrollBar(s, c.left, c.x, c.y)) << c.left << " " << c.x << "," << c.y;
    ScrollModel scrolled = Model(200, 1000, 800);
    EXPECT_EQ(BarPart::kAbove, HitScrollBar(scrolled, false, 235, 100));
    EXPECT_EQ(BarPart::kNone, HitScrollBar(Model(300, 100), false, 235, 5)) << "content fits: a tap";

    EXPECT_EQ(0, RowsSpan(s, false).left);
    EXPECT_EQ(226, RowsSpan(s, false).right);
    EXPECT_EQ(14, RowsSpan(s, true).left);
    EXPECT_EQ(240, RowsSpan(s, true).right);
}

// --- rows ----------------------------------------------------------------------

// A day that shows even when empty (as with days shown without appointments).
class Day : public TDailyList {
public:
    using TDailyList::TDailyList;
    bool IsVisible() override { return true; }
};

std::unique_ptr<TApptItem> Appt(uint32_t id, double start) {
    std::unique_ptr<TApptItem> a(new TApptItem);
    a->poomId = id;
    a->start = start;
    a->end = start + 0.01;
    return a;
}

// The data layer's view of a few days; Reload makes new objects with the same
// identities, as a reload does.
struct Agenda {
    std::vector<std::unique_ptr<Day>> days;
    void Reload(const std::vector<std::vector<uint32_t>>& ids) {
        days.clear();
        uint32_t day = 45000;
        for (const auto& list : ids) {
            days.emplace_back(new Day(day));
            for (uint32_t id : list) days.back()->AddChild(Appt(id, day + id / 100.0));
            ++day;
        }
    }
    void Rows(RowList& rows) {
        rows.Begin();
        for (auto& d : days) rows.AppendGroup(d.get());
        rows.End();
    }
};

TEST(RowList, GroupsFlattenWithPlaceholders) {
    Agenda a;
    a.Reload({{1, 2}, {}, {3}});
    a.days[2]->folded = 1;
    RowList rows;
    a.Rows(rows);
    const std::vector<int> kinds = {kKindGroup, kKindAppt, kKindAppt, kKindGroup, kKindEmpty, kKindGroup};
    ASSERT_EQ(kinds.size(), rows.Count());
    for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(kinds[i], rows.At(int(i))->Kind()) << i;
    EXPECT_EQ(45001u, KeyOf(rows.At(4)).group) << "the placeholder belongs to its day";

    a.days.clear();
    a.Rows(rows);
    ASSERT_EQ(1u, rows.Count());
    EXPECT_EQ(kKindEmptyFlagged, rows.At(0)->Kind());
}

TEST(RowList, HighlightSurvivesRebuildsByIdentity) {
    struct Case {
        const char* what;
        std::vector<std::vector<uint32_t>> before, after;
        int highlight;
        int want;  // index after the rebuild
    } cases[] = {
        {"same item, new object", {{1, 2, 3}}, {{1, 2, 3}}, 2, 2},
        {"item moved down", {{1, 2, 3}}, {{0, 1, 2, 3}}, 2, 3},
        {"item gone: same index", {{1, 2, 3}}, {{1, 3}}, 2, 2},
        {"item gone at the end: last row", {{1, 2}, {3, 4}}, {{1}}, 5, 1},
        {"day title by its day", {{1}, {2}}, {{5, 6, 7}, {2}}, 2, 4},
        {"same id on another day is another row", {{1}, {2}}, {{2}, {}}, 3, 3},
    };
    for (const Case& c : cases) {
        Agenda a;
        a.Reload(c.before);
        RowList rows;
        a.Rows(rows);
        ASSERT_TRUE(rows.SetHighlight(c.highlight)) << c.what;
        a.Reload(c.after);  // the old items are freed here
        a.Rows(rows);
        EXPECT_EQ(c.want, rows.Highlighted()) << c.what;
    }
    Agenda a;
    a.Reload({{1}});
    RowList rows;
    a.Rows(rows);
    a.Rows(rows);
    EXPECT_EQ(RowList::kNone, rows.Highlighted()) << "no highlight stays none";
}

// Paints by a table of heights and records what it painted and measured.
struct Painter {
    std::map<uint32_t, int> heights;  // by item id; 20 otherwise
    std::vector<ItemKey> painted, measured;
    int Height(TItem& item, bool highlighted) const {
        auto it = heights.find(item.Id());
        return (it == heights.end() ? 20 : it->second) + (highlighted ? 10 : 0);
    }
    RowList::RowPainter Fn() {
        return [this](TItem& item, int, bool highlighted) {
            painted.push_back(KeyOf(&item));
            return Height(item, highlighted);
        };
    }
    RowList::RowMeasure Measure() {
        return [this](TItem& item, bool highlighted) {
            measured.push_back(KeyOf(&item));
            return Height(item, highlighted);
        };
    }
};

TEST(RowList, LayoutPaintsOnlyWhatShowsOnceMeasured) {
    Agenda a;
    std::vector<uint32_t> ids;
    for (uint32_t i = 1; i <= 100; ++i) ids.push_back(i);
    a.Reload({ids});  // 101 rows of 20 px
    RowList rows;
    a.Rows(rows);
    Painter p;
    EXPECT_EQ(2020, rows.Layout(0, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(6u, p.painted.size()) << "after a rebuild only a screenful is painted";
    EXPECT_EQ(95u, p.measured.size()) << "and the rest measured";

    p.painted.clear();
    p.measured.clear();
    EXPECT_EQ(2020, rows.Layout(1000, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(7u, p.painted.size()) << "rows 49..55 touch the view [1000, 1100]";
    EXPECT_TRUE(p.measured.empty()) << "known heights are not measured again";
    EXPECT_EQ(5, rows.HitTest(100 + 5));
    EXPECT_EQ(50, rows.HitTest(1000));
    EXPECT_EQ(RowList::kNone, rows.HitTest(2020));

    // A highlight re-measures both rows wherever they are; the taller row moves
    // everything below it.
    rows.SetHighlight(3);
    p.painted.clear();
    EXPECT_EQ(2030, rows.Layout(1000, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(3u, KeyOf(rows.At(3)).id);
    EXPECT_EQ(ItemKey(KeyOf(rows.At(3))), p.measured.front()) << "off screen, but stale: measured";
    EXPECT_EQ(6u, p.painted.size()) << "rows 49..54 now at 990..1110";
    EXPECT_EQ(60, rows.At(3)->cachedTop);
    EXPECT_EQ(90, rows.At(3)->cachedBottom);
    EXPECT_EQ(1010, rows.At(50)->cachedTop);

    // A rebuild over the same items keeps their heights: only the view is painted.
    a.Rows(rows);
    p.painted.clear();
    p.measured.clear();
    EXPECT_EQ(2030, rows.Layout(1000, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(6u, p.painted.size());
    EXPECT_EQ(ItemKey(KeyOf(rows.At(49))), p.painted.front());
    EXPECT_TRUE(p.measured.empty());

    // New width: everything is measured anew, the rows above the view too.
    rows.InvalidateAll();
    p.painted.clear();
    p.heights[7] = 40;
    EXPECT_EQ(2050, rows.Layout(1000, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(96u, p.measured.size()) << "the row across the top is measured to learn that it shows";
    EXPECT_EQ(6u, p.painted.size());

    // A reload gives new items, unmeasured: laid out again from scratch.
    a.Reload({ids});
    a.Rows(rows);
    p.painted.clear();
    p.measured.clear();
    EXPECT_EQ(2050, rows.Layout(1000, 100, p.Fn(), p.Measure(), true));
    EXPECT_EQ(96u, p.measured.size());
}

TEST(RowList, OffsetToShowBringsRowsIntoView) {
    Agenda a;
    a.Reload({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11}});
    RowList rows;
    a.Rows(rows);
    Painter p;
    p.heights[45001] = 30;  // the second day's title
    rows.Layout(0, 100, p.Fn(), p.Measure(), false);
    auto tall = [](TItem&) { return 35; };  // appointments draw taller highlighted
    struct Case {
        int index, previous, offset, want;
    } cases[] = {
        {2, 1, 0, 0},     // in view: stays
        {0, 1, 60, 0},    // above: its top
        {9, 8, 0, 115},   // below: its end on the last line, measured highlighted (180 + 35 - 100)
        {11, 10, 0, 165}, // from its own title (200 + 30 + 35 - 100)
        {11, 10, 200, 200},  // already in view with its title
        {10, 9, 0, 130},  // a title: its own height
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, rows.OffsetToShow(c.index, c.previous, c.offset, 100, tall))
            << c.index << " from " << c.previous;
}

// --- timed input on a fake clock ----------------------------------------------

class FakeClock : public ListTimers {
public:
    void Start(unsigned id, unsigned ms) override { timers_[id] = {now_ + ms, ms}; }
    void Stop(unsigned id) override { timers_.erase(id); }
    bool Running(unsigned id) const { return timers_.count(id) != 0; }
    // Runs the clock to `t`, firing timers in order through `fire`.
    template <typename F> void RunTo(unsigned t, F fire) {
        for (;;) {
            unsigned id = 0, due = ~0u;
            for (auto& kv : timers_)
                if (kv.second.due < due) id = kv.first, due = kv.second.due;
            if (due > t) break;
            now_ = due;
            timers_[id].due += timers_[id].period;  // windows timers repeat
            fire(id);
        }
        now_ = t;
    }
    unsigned now() const { return now_; }

private:
    struct T {
        unsigned due, period;
    };
    std::map<unsigned, T> timers_;
    unsigned now_ = 0;
};

TEST(KeyStepper, OnePressOneStepHeldKeyStepsUntil90msAfterRelease) {
    struct Case {
        const char* what;
        std::vector<unsigned> presses;  // times of the key-down messages
        unsigned end;
        int steps;
        unsigned lastStepBefore;
    } cases[] = {
        {"one press", {0}, 1000, 1, 61},
        {"two presses apart", {0, 500}, 1000, 2, 561},
        {"held: repeats every 40 ms for 600 ms", {0, 40, 80, 120, 160, 200, 240, 280, 320, 360, 400, 440, 480, 520,
                                                   560, 600}, 2000, 11, 691},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        KeyStepper k(clock);
        int steps = 0;
        unsigned last = 0;
        auto fire = [&](unsigned id) {
            if (int s = k.OnTimer(id)) {
                EXPECT_EQ(1, s);
                ++steps;
                last = clock.now();
            }
        };
        for (unsigned t : c.presses) {
            clock.RunTo(t, fire);
            k.Press(+1);
        }
        clock.RunTo(c.end, fire);
        EXPECT_EQ(c.steps, steps) << c.what;
        EXPECT_LT(last, c.lastStepBefore) << c.what;
        EXPECT_FALSE(k.Stepping()) << c.what;
        EXPECT_FALSE(clock.Running(kTimerStepDown)) << c.what;
    }
}

TEST(KeyStepper, TurningBackStepsTheNewWayOnly) {
    FakeClock clock;
    KeyStepper k(clock);
    std::vector<int> steps;
    auto fire = [&](unsigned id) {
        if (int s = k.OnTimer(id)) steps.push_back(s);
    };
    k.Press(+1);
    clock.RunTo(70, fire);
    k.Press(-1);
    clock.RunTo(1000, fire);
    EXPECT_EQ((std::vector<int>{1, -1}), steps);
}

TEST(DoubleTap, SameItemInsideTheWindowOnly) {
    struct Case {
        const char* what;
        unsigned gap;
        bool sameItem;
        int kind;
        bool doubled;
    } cases[] = {
        {"499 ms", 499, true, kKindAppt, true},
        {"501 ms", 501, true, kKindAppt, false},
        {"another item", 100, false, kKindAppt, false},
        {"a day title", 100, true, kKindGroup, false},
    };
    for (const Case& c : cases) {
        Agenda a;
        a.Reload({{1, 2}});
        RowList rows;
        a.Rows(rows);
        TItem* first = c.kind == kKindGroup ? rows.At(0) : rows.At(1);
        TItem* second = c.sameItem ? first : rows.At(2);
        FakeClock clock;
        DoubleTap d(clock);
        auto fire = [&](unsigned id) { d.OnTimer(id); };
        EXPECT_FALSE(d.Tap(first)) << c.what;
        clock.RunTo(c.gap, fire);
        EXPECT_EQ(c.doubled, d.Tap(second)) << c.what;
    }
    // A rebuild in between (new objects, same item) still doubles.
    Agenda a;
    a.Reload({{1}});
    RowList rows;
    a.Rows(rows);
    FakeClock clock;
    DoubleTap d(clock);
    d.Tap(rows.At(1));
    a.Reload({{1}});
    a.Rows(rows);
    EXPECT_TRUE(d.Tap(rows.At(1)));
    EXPECT_FALSE(d.Tap(rows.At(1))) << "a third tap starts over";
}

class RecordingSound : public FoldSound {
public:
    void Play(const std::wstring& path) override { log.push_back(L"play " + path); }
    void Wait(unsigned ms) override { log.push_back(L"wait " + std::to_wstring(ms)); }
    void Stop() override { log.push_back(L"stop"); }
    std::vector<std::wstring> log;
};

TEST(Folding, SoundOnlyWhenAskedAndNoWaitWithout) {
    struct Case {
        bool sound;
        uint8_t folded;
        std::vector<std::wstring> log;
    } cases[] = {
        {true, 1, {L"play \\Olv\\expand.wav", L"rebuild", L"wait 200", L"stop"}},
        {true, 0, {L"play \\Olv\\fold.wav", L"rebuild", L"wait 200", L"stop"}},
        {false, 0, {L"rebuild"}},
        {false, 1, {L"rebuild"}},
    };
    for (const Case& c : cases) {
        Day d(45000);
        d.folded = c.folded;
        RecordingSound s;
        FoldWithSound(d, c.sound, L"\\Olv", s, [&] { s.log.push_back(L"rebuild"); });
        EXPECT_EQ(c.log, s.log);
        EXPECT_NE(c.folded, d.folded);
    }
    Day x(1), y(2), z(3);
    y.folded = 1;
    EXPECT_TRUE(FoldAll({&x, &y, &z}, true));
    EXPECT_TRUE(x.folded && y.folded && z.folded);
    EXPECT_FALSE(FoldAll({&x, &y, &z}, true)) << "nothing to change";
}

TEST(NoteBox, BesideTheTapAndInsideTheList) {
    const NoteBox list = {0, 0, 240, 200};
    const struct {
        int x, y;
        int left, top;
    } cases[] = {
        {10, 20, 10, 20},     // fits where tapped
        {44, 20, 44, 20},     // passes the right edge by exactly 4: left alone
        {45, 20, 40, 20},     // by 5: ends at the edge
        {200, 20, 40, 20},
        {10, 150, 10, 70},    // would leave the bottom: raised
        {230, 190, 40, 70},   // both
        {-5, -5, 0, 0},       // a point left of or above the list
    };
    for (const auto& c : cases) {
        const NoteBox b = PlaceNoteBox(c.x, c.y, 200, 130, list);
        EXPECT_EQ(c.left, b.left) << c.x << "," << c.y;
        EXPECT_EQ(c.top, b.top) << c.x << "," << c.y;
        EXPECT_EQ(200, b.right - b.left);
        EXPECT_EQ(130, b.bottom - b.top);
    }
    // A list smaller than the box: the box starts at its corner.
    const NoteBox small = PlaceNoteBox(50, 50, 200, 130, {10, 10, 110, 60});
    EXPECT_EQ(10, small.left);
    EXPECT_EQ(10, small.top);
}

}  // namespace
