// The floating calendar on the test device: a day picked in a re-date mode moves
// or copies the appointment in the store; browse picks reach the owner; a close
// that meets a read under way waits for it and delivers exactly one result; and
// the loader's PIM reader sees the device's appointments.
#include "monthly_calendar.h"
#include "monthly_setup.h"
#include "settings.h"
#include "skin.h"
// The object model's own test fixture; its namespace renamed as the data tests do.
#define pimtest poomtest
#include "pim_test.h"
#undef pimtest

#include <commctrl.h>

#include <vector>

#include "loader_fakes.h"
#include "week_number.h"

using namespace poomtest;
using namespace daybrim;
using namespace daybrim::monthly;

namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr CEPROPID kSubject = 0x0020001F;
constexpr uint32_t Appt(uint32_t recid) { return 0x40000000u + recid; }

int Day(int y, int m, int d) { return DayFromDate(y, m, d); }

struct Sent {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Sent> g_sent;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= kMsgBrowse && msg <= kMsgRedateTask2) {
        g_sent.push_back({msg, wp, lp});
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// A reader that holds its read until the test lets it go, with a day's timeline.
class HeldReader : public RangeReader {
public:
    explicit HeldReader(loadertest::Events& ev) : ev_(ev) {}
    std::unique_ptr<LoadedRange> Load(int first, int last) override {
        std::unique_lock<std::mutex> lock(ev_.m);
        ++reads;
        ev_.cv.notify_all();
        ev_.cv.wait(lock, [&] { return open; });
        auto r = std::make_unique<MonthTimelines>();
        r->first = first;
        r->last = last;
        r->days.resize(size_t(last - first + 1));
        return r;
    }
    bool open = false;  // under ev.m
    int reads = 0;

private:
    loadertest::Events& ev_;
};

class CalendarTest : public PimTest {
protected:
    void SetUp() override {
        PimTest::SetUp();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MonthlyOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, L"MonthlyOwner", L"", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_TRUE(owner_);
        g_sent.clear();
        MonthlyPendingResult().Drop();
        setup_.inst = GetModuleHandleW(nullptr);
        setup_.today = Day(2026, 12, 7);
        setup_.timelines = 0;
        setup_.dpadNavigation = 0;
        // The item's own re-date, through the object model.
        setup_.redateAppointment = MonthlySetupFrom(settings_, skin_, nullptr, 0, setup_.inst, nullptr,
                                                    PimOptions(), nullptr, setup_.today)
                                       .redateAppointment;
    }
    void TearDown() override {
        cal_.Destroy();
        if (owner_) DestroyWindow(owner_);
        PimTest::TearDown();
    }
    CEOID AddAppt(uint32_t recid, const wchar_t* subject) {
        return vol_.Add(kAppts, {cedbtest::U4(kRecid, recid), cedbtest::Str(kSubject, subject),
                                 Ft(0x10420040, Utc(2026, 12, 7, 8, 0)), cedbtest::U4(0x10400013, 90),
                                 cedbtest::U4(0x0022000B, 0)});
    }
    // Pen down and up on a day's cell, found through the calendar's own hit test.
    bool Tap(int day) {
        RECT rc;
        GetClientRect(cal_.hwnd(), &rc);
        for (int y = 0; y < rc.bottom; y += 3)
            for (int x = 0; x < rc.right; x += 3) {
                POINT p = {x, y};
                ClientToScreen(cal_.hwnd(), &p);
                if (cal_.DayAt(p) != day) continue;
                HWND w = cal_.hwnd();
                // The pen is up again before the hold test looks: a tap, not a hold.
                PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
                SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                MSG m;
                while (PeekMessageW(&m, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) DispatchMessageW(&m);
                return true;
            }
        return false;
    }
    void Pump(const std::function<bool()>& done) {
        for (int i = 0; i < 600 && !done(); ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
    }
    // Copies are made through the object model, outside the fixture's records:
    // they go the same way, before and after.
    void DeleteAll(const wchar_t* subject) {
        raii::ComPtr<IFolder> folder;
        raii::ComPtr<IPOutlookItemCollection> items;
        int n = 0;
        if (FAILED(app_->GetDefaultFolder(olFolderCalendar, folder.out())) || FAILED(folder->get_Items(items.out())) ||
            FAILED(items->get_Count(&n)))
            return;
        for (int i = n; i >= 1; --i) {
            raii::ComPtr<IDispatch> d;
            raii::ComPtr<IAppointment> a;
            if (FAILED(items->Item(i, d.out())) ||
                FAILED(d->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(a.out()))))
                continue;
            com::Bstr s;
            a->get_Subject(s.out());
            if (s.str() == subject) a->Delete();
        }
    }
    std::vector<std::pair<std::wstring, DATE>> Appointments() {
        std::vector<std::pair<std::wstring, DATE>> out;
        raii::ComPtr<IFolder> folder;
        raii::ComPtr<IPOutlookItemCollection> items;
        int n = 0;
        if (FAILED(app_->GetDefaultFolder(olFolderCalendar, folder.out())) || FAILED(folder->get_Items(items.out())) ||
            FAILED(items->get_Count(&n)))
            return out;
        for (int i = 1; i <= n; ++i) {
            raii::ComPtr<IDispatch> d;
            raii::ComPtr<IAppointment> a;
            if (FAILED(items->Item(i, d.out())) ||
                FAILED(d->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(a.out()))))
                continue;
            com::Bstr s;
            DATE start = 0;
            a->get_Subject(s.out());
            a->get_Start(&start);
            out.push_back({s.str(), start});
        }
        return out;
    }

    HWND owner_ = nullptr;
    CSettings settings_;
    CSkin skin_;
    MonthlySetup setup_;
    CMonthlyCalendar cal_;
};

}  // namespace

TEST_F(CalendarTest, APickedDayMovesOrCopiesTheAppointment) {
    struct Case {
        int mode;
        const wchar_t* subject;
        int onOldDay, onNewDay;
    };
    const Case cases[] = {
        {kMoveAppointment, L"Dentist", 0, 1},
        {kCopyAppointment, L"Budget", 1, 1},
    };
    uint32_t recid = 0xE701;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        DeleteAll(c.subject);
        AddAppt(recid, c.subject);
        raii::ComPtr<IAppointment> a = Get<IAppointment>(long(Appt(recid)), IID_IAppointment);
        ASSERT_TRUE(a);
        DATE start = 0;
        a->get_Start(&start);
        ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, c.mode, Appt(recid), start, false));
        ASSERT_TRUE(Tap(Day(2026, 12, 10)));
        EXPECT_FALSE(cal_.IsOpen());  // closed by the pick
        EXPECT_TRUE(g_sent.empty());  // carried out here, not sent
        int onOld = 0, onNew = 0;
        for (const auto& [subject, when] : Appointments()) {
            if (subject != c.subject) continue;
            // The time of day stays.
            if (std::abs(when - (start + 3)) < 1e-6) ++onNew;
            if (std::abs(when - start) < 1e-6) ++onOld;
        }
        EXPECT_EQ(c.onOldDay, onOld);
        EXPECT_EQ(c.onNewDay, onNew);
        DeleteAll(c.subject);
        ++recid;
    }
}

TEST_F(CalendarTest, BrowsePicksReachTheOwner) {
    struct Case { int onClick; int first, last; };
    const Case cases[] = {
        {1, Day(2026, 12, 17), Day(2026, 12, 17)},
        {2, Day(2026, 12, 14), Day(2026, 12, 20)},  // weeks from Monday
        {3, Day(2026, 12, 1), Day(2026, 12, 31)},
    };
    for (const Case& c : cases) {
        g_sent.clear();
        setup_.onClick = c.onClick;
        ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
        ASSERT_TRUE(Tap(Day(2026, 12, 17)));
        EXPECT_FALSE(cal_.IsOpen());
        ASSERT_EQ(1u, g_sent.size()) << c.onClick;
        EXPECT_EQ(kMsgBrowse, g_sent[0].msg);
        EXPECT_EQ(c.first, int(g_sent[0].wp));
        EXPECT_EQ(c.last, int(g_sent[0].lp));
    }
    // Without a click action a tap only selects.
    g_sent.clear();
    setup_.onClick = 0;
    ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
    ASSERT_TRUE(Tap(Day(2026, 12, 17)));
    EXPECT_TRUE(cal_.IsOpen());
    EXPECT_EQ(Day(2026, 12, 17), cal_.selection().first);
    EXPECT_TRUE(g_sent.empty());
}

TEST_F(CalendarTest, ClosingDuringAReadWaitsAndDeliversOneResult) {
    loadertest::Events ev;
    HeldReader* reader = nullptr;
    setup_.timelines = 2;
    setup_.makeReader = [&] {
        auto r = std::make_unique<HeldReader>(ev);
        reader = r.get();
        return std::unique_ptr<RangeReader>(std::move(r));
    };
    ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kRedateTask1, 4242, 0, false));
    ASSERT_TRUE(ev.WaitFor([&] { return reader && reader->reads == 1; }));
    ASSERT_TRUE(Tap(Day(2026, 12, 9)));
    EXPECT_TRUE(cal_.IsOpen());      // the read is still under way
    ASSERT_TRUE(Tap(Day(2026, 12, 11)));  // refused: one result is pending
    EXPECT_TRUE(g_sent.empty());
    {
        std::lock_guard<std::mutex> lock(ev.m);
        reader->open = true;
        ev.cv.notify_all();
    }
    Pump([&] { return !cal_.IsOpen(); });
    EXPECT_FALSE(cal_.IsOpen());
    ASSERT_EQ(1u, g_sent.size());
    EXPECT_EQ(kMsgRedateTask1, g_sent[0].msg);
    EXPECT_EQ(4242u, g_sent[0].wp);
    EXPECT_EQ(Day(2026, 12, 9), int(g_sent[0].lp));
    EXPECT_FALSE(MonthlyPendingResult().Pending());
}

TEST_F(CalendarTest, DestroyingDuringAReadJoinsTheLoader) {
    // The pinned calendar goes with its owner; the floating one is destroyed by
    // the tab after a pick that was waiting for the read.
    for (bool pinned : {false, true}) {
        SCOPED_TRACE(pinned);
        loadertest::Events ev;
        HeldReader* reader = nullptr;
        setup_.timelines = 1;
        setup_.makeReader = [&] {
            auto r = std::make_unique<HeldReader>(ev);
            reader = r.get();
            return std::unique_ptr<RangeReader>(std::move(r));
        };
        ASSERT_TRUE(cal_.Show(setup_, owner_, 0, 0, 240, pinned ? 100 : 160, pinned ? kBrowse : kRedateTask1, 7,
                              0, pinned));
        ASSERT_TRUE(ev.WaitFor([&] { return reader && reader->reads == 1; }));
        if (!pinned) {
            ASSERT_TRUE(Tap(Day(2026, 12, 9)));
            EXPECT_TRUE(MonthlyPendingResult().Pending());
        }
        std::thread opener([&] {
            std::lock_guard<std::mutex> lock(ev.m);
            reader->open = true;
            ev.cv.notify_all();
        });
        if (pinned) {
            DestroyWindow(owner_);
            owner_ = nullptr;
        } else {
            cal_.Destroy();
        }
        opener.join();
        EXPECT_FALSE(cal_.IsOpen());
        EXPECT_TRUE(g_sent.empty());
        EXPECT_FALSE(MonthlyPendingResult().Pending());  // a later pick is not refused
    }
}

TEST_F(CalendarTest, ThePimReaderFillsTheDaysOfItsRange) {
    AddAppt(0xE7A1, L"Reader");
    auto reader = MakePimRangeReader(PimOptions(), TimelineColours());
    const MonthGrid g = GridFor(Day(2026, 12, 7), 1);
    auto got = reader->Load(g.first, g.last);
    ASSERT_TRUE(got);
    const auto& t = static_cast<const MonthTimelines&>(*got);
    ASSERT_EQ(size_t(g.Days()), t.days.size());
    // 08:00 UTC for 90 minutes is 09:00-10:30 on the device (Western Europe).
    const DayTimeline& d = t.days[size_t(Day(2026, 12, 7) - g.first)];
    for (int s = 14; s <= 22; ++s) EXPECT_EQ(s >= 18 && s <= 20, d.occupied[s]) << s;
}

TEST_F(CalendarTest, MonthMenuCommandsSelectAndAnswer) {
    struct Case {
        int tapDay;  // 0: nothing tapped first
        std::vector<int> commands;
        unsigned message;  // 0: no result, the calendar stays
        int first, last, month;
    };
    const Case cases[] = {
        {17, {40082, 40111}, kMsgBrowse, Day(2026, 12, 14), Day(2026, 12, 20), 12},
        {17, {40093, 40090}, kMsgNewAppointment, Day(2026, 12, 1), Day(2026, 12, 31), 12},
        {0, {40089}, kMsgNewTask, Day(2026, 12, 1), Day(2026, 12, 1), 12},
        {17, {58}, 0, -1, -1, 3},
        {0, {67, 40093, 40111}, kMsgBrowse, Day(2026, 12, 1), Day(2026, 12, 31), 12},
    };
    for (const Case& c : cases) {
        g_sent.clear();
        ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
        if (c.tapDay) {
            ASSERT_TRUE(Tap(Day(2026, 12, c.tapDay)));
        }
        for (int cmd : c.commands)
            if (cal_.IsOpen()) SendMessageW(cal_.hwnd(), WM_COMMAND, WPARAM(cmd), 0);
        EXPECT_EQ(c.message == 0, cal_.IsOpen()) << c.commands[0];
        if (c.message) {
            ASSERT_EQ(1u, g_sent.size()) << c.commands[0];
            EXPECT_EQ(c.message, g_sent[0].msg);
            EXPECT_EQ(c.first, int(g_sent[0].wp));
            EXPECT_EQ(c.last, int(g_sent[0].lp));
        } else {
            EXPECT_TRUE(g_sent.empty());
            EXPECT_EQ(c.month, cal_.grid().month);
            EXPECT_TRUE(cal_.selection().Empty());
            cal_.Destroy();
        }
    }
}

TEST_F(CalendarTest, DpadMovesTheSelectionAcrossMonths) {
    setup_.dpadNavigation = 1;  // only while re-dating
    setup_.onClick = 1;
    ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
    SendMessageW(cal_.hwnd(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(cal_.selection().Empty());
    cal_.Destroy();

    ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kRedateTask2, 99, 0, false));
    EXPECT_EQ(Day(2026, 12, 7), cal_.selection().first);  // today starts selected
    struct Step { WPARAM key; int day, month; };
    const Step steps[] = {
        {VK_RIGHT, Day(2026, 12, 8), 12}, {VK_UP, Day(2026, 12, 1), 12}, {VK_LEFT, Day(2026, 11, 30), 12},
        {VK_LEFT, Day(2026, 11, 29), 11},  // out of the grid: the grid follows
        {VK_DOWN, Day(2026, 12, 6), 11},  // November's grid ends on 6 December
    };
    for (const Step& s : steps) {
        SendMessageW(cal_.hwnd(), WM_KEYDOWN, s.key, 0);
        EXPECT_EQ(s.day, cal_.selection().first) << s.key;
        EXPECT_EQ(s.month, cal_.grid().month) << s.key;
    }
    SendMessageW(cal_.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(cal_.IsOpen());
    ASSERT_EQ(1u, g_sent.size());
    EXPECT_EQ(kMsgRedateTask2, g_sent[0].msg);
    EXPECT_EQ(99u, g_sent[0].wp);
    EXPECT_EQ(Day(2026, 12, 6), int(g_sent[0].lp));
}

TEST_F(CalendarTest, TheCaptionDragsTheFloatingCalendar) {
    ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
    RECT before, after;
    GetWindowRect(cal_.hwnd(), &before);
    SendMessageW(cal_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(cal_.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 15));
    SendMessageW(cal_.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(25, 15));
    GetWindowRect(cal_.hwnd(), &after);
    EXPECT_EQ(before.left + 20, after.left);
    EXPECT_EQ(before.top + 10, after.top);
    EXPECT_TRUE(cal_.selection().Empty());
}

TEST_F(CalendarTest, TheYearBoxMovesToATypedYear) {
    struct Case { const wchar_t* typed; int year; };
    const Case cases[] = {{L"2031", 2031}, {L"1900", 2026}, {L"", 2026}, {L"3000", 2026}, {L"2118", 2118}};
    for (const Case& c : cases) {
        ASSERT_TRUE(cal_.Show(setup_, owner_, 10, 30, 220, 160, kBrowse, 0, 0, false));
        UpdateWindow(cal_.hwnd());
        const BarRect r = cal_.layout().yearText;
        SendMessageW(cal_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        HWND edit = FindWindowExW(cal_.hwnd(), nullptr, L"EDIT", nullptr);
        ASSERT_TRUE(edit) << c.typed;
        HWND spin = FindWindowExW(cal_.hwnd(), nullptr, UPDOWN_CLASSW, nullptr);
        ASSERT_TRUE(spin);
        int low = 0, high = 0;
        SendMessageW(spin, UDM_GETRANGE32, WPARAM(&low), LPARAM(&high));
        EXPECT_EQ(kFirstYear, low);
        EXPECT_EQ(kLastYear, high);
        SetWindowTextW(edit, c.typed);
        SetFocus(cal_.hwnd());  // confirms
        Pump([&] { return !IsWindow(edit); });
        EXPECT_FALSE(IsWindow(edit));
        EXPECT_FALSE(IsWindow(spin));
        EXPECT_EQ(c.year, cal_.grid().year) << c.typed;
        EXPECT_EQ(12, cal_.grid().month);
        cal_.Destroy();
    }
}
