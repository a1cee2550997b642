// The store against a real object store: a volume of the test's own on the device.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "pim_store.h"
#include "pim_volume.h"
#include "png_writer.h"

using namespace daybrim;
using namespace pimtest;

namespace {

std::wstring TestName() {
    const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(n.begin(), n.end());
}

constexpr int32_t kToday = 46363;  // 2026-12-07
constexpr uint32_t kIconProp = 0x80010041;

class FixedIds : public NamedPropIds {
public:
    uint32_t Lookup(const wchar_t*, HWND) override { return kIconProp; }
};

// A message-only window whose WM_DBNOTIFICATION go to the store under test.
class StoreWindow {
public:
    StoreWindow() {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &StoreWindow::Proc;
            wc.lpszClassName = L"DaybrimStoreTest";
            return RegisterClassW(&wc);
        }();
        hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StoreWindow() { DestroyWindow(hwnd); }
    // Pumps until `n` notifications were handled or `ms` passed.
    bool Handle(size_t n, DWORD ms = 5000) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (bits.size() >= n) return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLPOSTMESSAGE);
        }
    }
    HWND hwnd = nullptr;
    CPimStore* store = nullptr;
    std::vector<uint32_t> bits;
    std::vector<DWORD> params;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_DBNOTIFICATION) {
            auto* self = reinterpret_cast<StoreWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            auto* n = reinterpret_cast<CENOTIFICATION*>(lp);
            self->params.push_back(n->dwParam);
            self->bits.push_back(self->store->HandleNotification(n));
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : vol(TestName()), store(&cats) {
        opt.cat.pimVolume = vol.path;
        opt.fusionVolume = vol.fusionPath;
        opt.cat.drIconsFolder = L"\\Temp";
        store.SetNamedPropIds(std::make_unique<FixedIds>());
        win.store = &store;
    }
    void Start(HWND notify = nullptr) { store.Start(notify, opt, kToday); }

    CEOID Appt(uint32_t recid, double localStart, uint32_t minutes, const wchar_t* subject,
               std::vector<CEPROPVAL> more = {}) {
        // Stored in UTC: the inverse of the device's conversion.
        const uint64_t t = TicksFromOle(localStart);
        FILETIME local = {DWORD(t), DWORD(t >> 32)}, utc;
        LocalFileTimeToFileTime(&local, &utc);
        CEPROPVAL start = {};
        start.propid = 0x10420040;
        start.val.filetime = utc;
        std::vector<CEPROPVAL> p = {start, U4(0x10400013, minutes), U4(0x10000066, recid),
                                    Str(0x0020001F, subject), Bool(0x0022000B, false)};
        p.insert(p.end(), more.begin(), more.end());
        return cur->Write(L"Appointments Database", p);
    }
    CEOID Recurring(uint32_t recid, const wchar_t* subject) {
        std::vector<BYTE> pattern(16, 1);
        return cur->Write(L"Appointments Database", {Date(0x10420040, kToday + 0.25), U4(0x10400013, 30),
                                                    U4(0x10000066, recid), Str(0x0020001F, subject),
                                                    Bool(0x0022000B, true), Blob(0x203F0064, pattern)});
    }
    // The recurring masters by record, with their titles.
    std::map<CEOID, std::wstring> Masters() {
        std::map<CEOID, std::wstring> m;
        for (const auto& a : store.recurring()) m[a->oid] = a->title;
        return m;
    }
    size_t Count(TItemWithList* g) { return g ? g->children().size() : 0; }
    size_t ContactCount() {
        size_t n = 0;
        for (TItem* g = store.contacts().groups.head(); g; g = g->next()) n += Count(static_cast<TItemWithList*>(g));
        return n;
    }
    TTask* FirstTask() {
        TItem* g = store.tasks().groups.head();
        return g && !static_cast<TItemWithList*>(g)->children().empty()
                   ? static_cast<TTask*>(*static_cast<TItemWithList*>(g)->children().begin())
                   : nullptr;
    }

    PimVolume vol;
    PimVolume* cur = &vol;  // where Appt and Recurring write
    CCategoryTable cats;
    CPimStore store;
    PimOptions opt;
    StoreWindow win;
};

}  // namespace

TEST_F(StoreTest, AppointmentPresentAndAbsentProperties) {
    ASSERT_TRUE(vol.ok);
    std::vector<BYTE> attendees = {1, 2, 3};
    const CEOID full = Appt(5, kToday + 0.375, 90, L"Dentist",
                            {Str(0x0041001F, L"Main St"), Str(0x101F001F, L"bring card"), Bool(0x0028000B, true),
                             U4(0x00210013, 2), U4(0x00450013, 3), Blob(0x205F0064, attendees)});
    const CEOID bare = vol.Write(L"Appointments Database", {U4(0x10000066, 6)});
    Start();
    auto a = store.readAppointment(full);
    ASSERT_TRUE(a);
    EXPECT_EQ(L"Dentist", a->title);
    EXPECT_EQ(L"Main St", a->location);
    EXPECT_NEAR(kToday + 0.375, a->start, 1e-6);
    EXPECT_NEAR(kToday + 0.4375, a->end, 1e-6);
    EXPECT_EQ(1.0, a->note.value);
    EXPECT_EQ(1.0, a->reminder.value);
    EXPECT_EQ(2, a->sensitivity);
    EXPECT_EQ(3, a->busy);
    EXPECT_TRUE(a->attendees);
    EXPECT_EQ(0x40000005u, a->Id());
    auto light = store.readAppointment(full, true);
    ASSERT_TRUE(light);
    EXPECT_EQ(L"", light->title);  // strings are left out
    EXPECT_NEAR(kToday + 0.375, light->start, 1e-6);
    auto b = store.readAppointment(bare);
    ASSERT_TRUE(b);
    EXPECT_EQ(L"", b->title);
    EXPECT_EQ(0.0, b->note.value);
    EXPECT_FALSE(b->attendees);
    EXPECT_EQ(0, b->recurrence);
    EXPECT_FALSE(store.readAppointment(0x7FFFFFF0));
    // Placed on today only.
    EXPECT_EQ(1u, Count(store.Day(kToday)));
}

TEST_F(StoreTest, PoomIdentifiersWrapAround) {
    ASSERT_TRUE(vol.ok);
    const CEOID a = vol.Write(L"Appointments Database", {U4(0x10000066, 0xC0000001u)});
    const CEOID t = vol.Write(L"Tasks Database", {U4(0x10000066, 0x00000003u)});
    const CEOID c = vol.Write(L"Contacts Database", {U4(0x10000066, 0x80000009u)});
    Start();
    EXPECT_EQ(1u, store.readAppointment(a)->Id());
    EXPECT_EQ(0xC0000003u, store.readTask(t)->Id());
    EXPECT_EQ(9u, store.readContact(c)->Id());
}

TEST_F(StoreTest, TaskSubjectsUnderEachPimSw) {
    ASSERT_TRUE(vol.ok);
    const CEOID coded = vol.Write(L"Tasks Database", {Str(0x0020001F, L"A1: Call Bob"), U4(0x10000066, 1),
                                                      Date(0x00630040, kToday + 2), U4(0x00600013, 2)});
    const CEOID counted = vol.Write(L"Tasks Database", {Str(0x0020001F, L"|3:Report"), U4(0x10000066, 2),
                                                        Date(0x00640040, kToday - 1)});
    for (int sw : {0, 1, 2, 3}) {
        opt.cat.pimSw = sw;
        opt.hideCodes = false;
        Start();
        auto t = store.readTask(coded);
        ASSERT_TRUE(t);
        EXPECT_EQ((sw == 1 || sw == 2) ? L"(A1) Call Bob" : L"A1: Call Bob", t->title) << sw;
        EXPECT_EQ(2, t->importance);
        EXPECT_DOUBLE_EQ(kToday + 2, t->due);
        EXPECT_EQ(kNoDate, t->startDate);
        EXPECT_EQ(0, t->completed);
        auto r = store.readTask(counted);
        EXPECT_EQ(L"Report [3]", r->title) << sw;
        EXPECT_EQ(1, r->completed);  // a completion date alone completes it
    }
    opt.cat.pimSw = 1;
    opt.hideCodes = true;
    Start();
    EXPECT_EQ(L"Call Bob", store.readTask(coded)->title);
    EXPECT_EQ(1u, Count(store.Day(kToday + 2)));  // placed on its due day
}

TEST_F(StoreTest, ContactNamesNumbersAndPreferredNumber) {
    ASSERT_TRUE(vol.ok);
    const CEOID anna = vol.Write(L"Contacts Database",
                                 {Str(0x0080001F, L"Lind, Anna"), Str(0x0082001F, L"Anna"), Str(0x0084001F, L"Lind"),
                                  Str(0x008A001F, L"Acme"), Str(0x0099001F, L"555-home"),
                                  Str(0x0097001F, L"555-work"), U4(0x00F80013, 0x0096001F),
                                  Date(0x00F00040, 29000.0), U4(0x10000066, 1)});
    const CEOID firm = vol.Write(L"Contacts Database", {Str(0x0080001F, L"Firm Ltd"), U4(0x10000066, 2)});
    for (int mode : {0, 1, 2}) {
        opt.contactsTitleMode = mode;
        Start();
        auto c = store.readContact(anna);
        ASSERT_TRUE(c);
        EXPECT_EQ(mode == 1 ? L"Anna Lind" : L"Lind, Anna", c->title);
        // The chosen mobile is empty: the first number in fallback order is work.
        EXPECT_EQ(0x0097001Fu, c->preferredId);
        EXPECT_EQ(L"555-work", c->preferredText);
        EXPECT_EQ(29000.0, c->birthday);
        EXPECT_EQ(kNoDate, c->anniversary);
        auto f = store.readContact(firm);
        EXPECT_EQ(L"Firm Ltd", f->title);
        EXPECT_EQ(0xFFFFFFFFu, f->preferredId);
        EXPECT_EQ(L"", f->preferredText);
    }
    std::wstring n[10] = {L"-", L"-", L"-", L"-", L"-", L"-", L"-", L"-", L"-", L"-"};
    std::wstring* np[10];
    for (int i = 0; i < 10; ++i) np[i] = &n[i];
    ASSERT_TRUE(store.readContactNumbers(anna, np));
    EXPECT_EQ(L"555-work", n[0]);
    EXPECT_EQ(L"555-home", n[2]);
    EXPECT_EQ(L"-", n[4]);  // missing: untouched
    std::wstring names[4];
    std::wstring* nn[4] = {&names[0], &names[1], &names[2], &names[3]};
    ASSERT_TRUE(store.readContactNames(anna, nn));
    EXPECT_EQ(L"Acme (Lind, Anna)", names[2]);
    EXPECT_EQ(L"Lind, Anna (Acme)", names[3]);
    EXPECT_FALSE(store.readContactNames(0x7FFFFFF0, nn));

    ASSERT_TRUE(store.writePreferredNumber(anna, 0x0099001F));
    EXPECT_EQ(L"555-home", store.readContact(anna)->preferredText);
    // The scan fills the contacts list and the birthdays.
    EXPECT_EQ(2u, ContactCount());
    ASSERT_TRUE(store.sevents());
    EXPECT_EQ(1u, store.sevents()->children().size());
}

TEST_F(StoreTest, ContactPicturesWithThePictureLayout) {
    ASSERT_TRUE(vol.ok);
    std::vector<uint8_t> rgb(40 * 20 * 3, 0x80);
    std::vector<BYTE> photo = png::EncodeRgb(40, 20, rgb.data());
    std::vector<BYTE> junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    const CEOID withPhoto = vol.Write(L"Contacts Database",
                                      {Str(0x0080001F, L"Pictured"), U4(0x10000066, 1), Blob(0x00FF0064, photo)});
    const CEOID broken = vol.Write(L"Contacts Database",
                                   {Str(0x0080001F, L"Broken"), U4(0x10000066, 2), Blob(0x00FF0064, junk)});
    opt.contactsLayout = 2;
    opt.pictureBox = 32;
    Start();
    auto c = store.readContact(withPhoto);
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->picture);  // fitted into the box, keeping its shape
    EXPECT_EQ(32, c->pictureWidth);
    EXPECT_EQ(16, c->pictureHeight);
    auto b = store.readContact(broken);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->picture);  // an undecodable picture is no picture, not a failed contact
    EXPECT_EQ(L"Broken", b->title);

    opt.contactsLayout = 0;  // other layouts do not read pictures at all
    Start();
    EXPECT_FALSE(store.readContact(withPhoto)->picture);
}

TEST_F(StoreTest, NotificationsForEveryDatabaseAndType) {
    ASSERT_TRUE(vol.ok);
    vol.Write(L"CategoryMainDB", {Str(0x0002001F, L"Birthdays"), U4(0x00010066, 7)});
    opt.seventsTab = true;
    opt.cat.specialCategories[0] = L"Birthdays";
    Start(win.hwnd);
    ASSERT_EQ(7, cats.specialCategory(1));

    // Appointments: created, changed, deleted.
    const CEOID a = Appt(11, kToday + 0.5, 30, L"Lunch");
    ASSERT_TRUE(win.Handle(1));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR), win.bits.back());
    EXPECT_EQ(1u, Count(store.Day(kToday)));
    vol.Write(L"Appointments Database", {Str(0x0020001F, L"Late lunch")}, a);
    ASSERT_TRUE(win.Handle(2));
    ASSERT_EQ(1u, Count(store.Day(kToday)));
    EXPECT_EQ(L"Late lunch", static_cast<TApptItem*>(*store.Day(kToday)->children().begin())->title);
    // One of a special-events category also changes the Special Events tab.
    vol.Write(L"CategoryAssocDB", {U4(0x00010013, PoomId(PimKind::kAppointment, 11)), U4(0x00020003, 7)});
    vol.Write(L"Appointments Database", {Str(0x0020001F, L"Party")}, a);
    ASSERT_TRUE(win.Handle(3));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_SEVENTS), win.bits.back());
    vol.Delete(L"Appointments Database", a);
    ASSERT_TRUE(win.Handle(4));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_SEVENTS), win.bits.back());
    EXPECT_EQ(0u, Count(store.Day(kToday)));

    // Tasks.
    const CEOID t = vol.Write(L"Tasks Database", {Str(0x0020001F, L"Pay"), U4(0x10000066, 3)});
    ASSERT_TRUE(win.Handle(5));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_TASKS), win.bits.back());
    ASSERT_TRUE(FirstTask());
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Pay rent")}, t);
    ASSERT_TRUE(win.Handle(6));
    EXPECT_EQ(L"Pay rent", FirstTask()->title);
    vol.Delete(L"Tasks Database", t);
    ASSERT_TRUE(win.Handle(7));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_TASKS), win.bits.back());
    EXPECT_FALSE(FirstTask());

    // Contacts.
    const CEOID c = vol.Write(L"Contacts Database", {Str(0x0080001F, L"Bo"), U4(0x10000066, 4)});
    ASSERT_TRUE(win.Handle(8));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_SEVENTS | TAB_TYPE_CONTACTS), win.bits.back());
    EXPECT_EQ(1u, ContactCount());
    vol.Write(L"Contacts Database", {Str(0x0080001F, L"Bob")}, c);
    ASSERT_TRUE(win.Handle(9));
    EXPECT_EQ(1u, ContactCount());
    vol.Delete(L"Contacts Database", c);
    ASSERT_TRUE(win.Handle(10));
    EXPECT_EQ(0u, ContactCount());

    // Icon links of the named-property store.
    const CEOID t2 = vol.Write(L"Tasks Database", {Str(0x0020001F, L"Iconic"), U4(0x10000066, 5)});
    ASSERT_TRUE(win.Handle(11));
    std::vector<BYTE> name = {'s', 0, 't', 0, 0, 0};
    vol.Write(L"PIMNamedPropVals", {U4(0x00010013, PoomId(PimKind::kTask, 5)), U4(0x00020013, kIconProp),
                                    Blob(0x00030041, name)});
    ASSERT_TRUE(win.Handle(12));
    EXPECT_EQ(5u, win.params.back());
    EXPECT_EQ(uint32_t(TAB_TYPE_TASKS), win.bits.back());  // the item had no icon file: still refreshed
    vol.Write(L"PIMNamedPropVals", {U4(0x00010013, 12345), U4(0x00020013, 0x80020041), Blob(0x00030041, name)});
    ASSERT_TRUE(win.Handle(13));
    EXPECT_EQ(0u, win.bits.back());  // another property: not an icon link
    (void)t2;

    // A message that is not a record change changes nothing.
    CENOTIFICATION* other = static_cast<CENOTIFICATION*>(LocalAlloc(LPTR, sizeof(CENOTIFICATION)));
    other->dwSize = sizeof *other;
    other->dwParam = 1;
    other->uType = DB_CEOID_DATABASE_DELETED;
    EXPECT_EQ(0u, store.HandleNotification(other));
}

// A notice for one recurring appointment touches that master and no other, wherever
// it stands among them, and when it is the only one.
TEST_F(StoreTest, RecurringAppointmentNotices) {
    ASSERT_TRUE(vol.ok);
    struct Case {
        const char* name;
        int others;     // recurring masters before the one created
        size_t target;  // the master changed and deleted, by its place in the store
    };
    const Case cases[] = {{"first", 3, 0}, {"middle", 3, 2}, {"only", 0, 0}};
    uint32_t recid = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PimVolume own(TestName() + std::wstring(c.name, c.name + strlen(c.name)));
        ASSERT_TRUE(own.ok);
        cur = &own;
        opt.cat.pimVolume = own.path;
        opt.fusionVolume = own.fusionPath;
        for (int i = 0; i < c.others; ++i) Recurring(++recid, L"Weekly");
        Appt(++recid, kToday + 0.5, 30, L"Single");
        const size_t seen = win.bits.size();
        Start(win.hwnd);
        ASSERT_EQ(size_t(c.others), store.recurring().size());

        // Created: joins the others.
        const std::map<CEOID, std::wstring> before = Masters();
        const CEOID created = Recurring(++recid, L"New");
        ASSERT_TRUE(win.Handle(seen + 1));
        EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR), win.bits.back());
        std::map<CEOID, std::wstring> want = before;
        want[created] = L"New";
        EXPECT_EQ(want, Masters());

        // Changed: the same master with its new title, the others as they were.
        ASSERT_LT(c.target, store.recurring().size());
        const CEOID target = store.recurring()[c.target]->oid;
        own.Write(L"Appointments Database", {Str(0x0020001F, L"Moved")}, target);
        ASSERT_TRUE(win.Handle(seen + 2));
        want[target] = L"Moved";
        EXPECT_EQ(want, Masters());

        // Deleted: only that master goes.
        own.Delete(L"Appointments Database", target);
        ASSERT_TRUE(win.Handle(seen + 3));
        want.erase(target);
        EXPECT_EQ(want, Masters());
        EXPECT_EQ(1u, Count(store.Day(kToday)));  // the single appointment is untouched
        store.Stop();
        cur = &vol;
    }
}

// The special-events list takes its title from the options.
TEST_F(StoreTest, SpecialEventsTitleFromTheOptions) {
    ASSERT_TRUE(vol.ok);
    vol.Write(L"Contacts Database", {Str(0x0080001F, L"Bo"), Date(0x00F00040, 29000.0), U4(0x10000066, 1)});
    struct Case {
        const wchar_t* title;  // null: the options' default
        const wchar_t* want;
    };
    for (const Case& c : {Case{nullptr, L"Special events"}, Case{L"Anniversaires", L"Anniversaires"}}) {
        PimOptions o = opt;
        if (c.title) o.seventsTitle = c.title;
        store.Start(nullptr, o, kToday);
        ASSERT_TRUE(store.sevents());
        EXPECT_EQ(c.want, store.sevents()->title);
    }
}

TEST_F(StoreTest, InformantLinkNotifications) {
    ASSERT_TRUE(vol.ok);
    // Pocket Informant keeps its links in a volume of its own.
    std::wstring piPath = L"\\Temp\\dbt_pilinks.vol";
    DeleteFileW(piPath.c_str());
    CEGUID pi = {};
    ASSERT_TRUE(CeMountDBVolEx(&pi, &piPath[0], nullptr, OPEN_ALWAYS));
    ASSERT_TRUE(PimVolume::Create(pi, L"PocketInformantLinks", {Sort(0x00010003)}));
    CEOID dbOid = 0;
    HANDLE links = CeOpenDatabaseInSession(nullptr, &pi, &dbOid, const_cast<LPWSTR>(L"PocketInformantLinks"),
                                           nullptr, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, links);
    opt.cat.pimSw = 1;
    opt.piVolume = piPath;
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Linked"), U4(0x10000066, 9)});
    Start(win.hwnd);
    ASSERT_TRUE(FirstTask());
    EXPECT_EQ(0.0, FirstTask()->link.value);

    CEPROPVAL item = U4(0x00010003, PoomId(PimKind::kTask, 9));
    const CEOID l = CeWriteRecordProps(links, 0, 1, &item);
    ASSERT_TRUE(win.Handle(1));
    EXPECT_EQ(4u, win.params.back());
    EXPECT_EQ(uint32_t(TAB_TYPE_TASKS), win.bits.back());
    EXPECT_EQ(double(l), FirstTask()->link.value);  // the item's link is the link record

    ASSERT_TRUE(CeDeleteRecord(links, l));
    ASSERT_TRUE(win.Handle(2));
    EXPECT_EQ(uint32_t(TAB_TYPE_TASKS), win.bits.back());
    EXPECT_EQ(0.0, FirstTask()->link.value);

    store.Stop();
    CloseHandle(links);
    CeUnmountDBVol(&pi);
    DeleteFileW(piPath.c_str());
}

TEST_F(StoreTest, FusionLinkNotifications) {
    ASSERT_TRUE(vol.ok);
    opt.cat.pimSw = 2;
    opt.cat.afIconsFolder = L"\\Temp";
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Linked"), U4(0x10000066, 8)});
    Start(win.hwnd);
    const uint32_t poom = PoomId(PimKind::kTask, 8);
    const CEOID l = vol.Write(L"FusionLinks", {U4(0x00010003, poom), I2(0x00030002, 6), I2(0x00020002, 1),
                                               Str(0x0005001F, L"\\Temp\\none.bmp")});
    ASSERT_TRUE(win.Handle(1));
    EXPECT_EQ(6u, win.params.back());
    EXPECT_EQ(uint32_t(TAB_TYPE_TASKS), win.bits.back());
    vol.Write(L"FusionLinks", {I2(0x00030002, 3)}, l);  // no longer an icon link
    ASSERT_TRUE(win.Handle(2));
    EXPECT_EQ(0u, win.bits.back());
    vol.Delete(L"FusionLinks", l);
    ASSERT_TRUE(win.Handle(3));
    EXPECT_EQ(0u, win.bits.back());  // nothing had an icon
}

TEST_F(StoreTest, ChangeFromAnotherProcessRefreshesTheRecord) {
    ASSERT_TRUE(vol.ok);
    Start(win.hwnd);
    ASSERT_FALSE(FirstTask());
    // cedb_probe writes one record into the tasks database from its own process.
    std::wstring cmd = std::wstring(L"\"") + CEDB_PROBE + L"\" write " + vol.path + L" \"Tasks Database\" 1";
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD rc = 1;
    GetExitCodeProcess(pi.hProcess, &rc);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(0u, rc);
    ASSERT_TRUE(win.Handle(1));
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR | TAB_TYPE_TASKS), win.bits.back());
    EXPECT_TRUE(FirstTask());
}

TEST_F(StoreTest, DayChangeMovesTheRange) {
    ASSERT_TRUE(vol.ok);
    opt.numDays = 3;
    Appt(1, kToday + 0.5, 30, L"Today");
    Appt(2, kToday + 3.5, 30, L"In three days");
    Start();
    EXPECT_EQ(1u, Count(store.Day(kToday)));
    EXPECT_EQ(nullptr, store.Day(kToday + 3));
    store.OnDayChange(kToday + 1);
    EXPECT_EQ(nullptr, store.Day(kToday));  // dropped
    EXPECT_EQ(1u, Count(store.Day(kToday + 3)));
    EXPECT_EQ(kToday + 3, store.lastDay());
    store.OnDayChange(kToday - 5);  // backwards: everything anew
    EXPECT_EQ(kToday - 5, store.firstDay());
    EXPECT_EQ(nullptr, store.Day(kToday + 3));
}

TEST_F(StoreTest, MissingVolumeGivesNoItems) {
    opt.cat.pimVolume = L"\\Temp\\no_such.vol";
    Start();
    EXPECT_EQ(nullptr, FirstTask());
    EXPECT_EQ(0u, ContactCount());
    EXPECT_FALSE(store.readContact(1));
    std::wstring* none[4] = {};
    EXPECT_FALSE(store.readContactNames(1, none));
    EXPECT_FALSE(store.writePreferredNumber(1, 0x0096001F));
}
