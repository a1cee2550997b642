// Custom tabs with real libraries: the sample external tab library driven
// through its exports (key repeat on a timer the test fires, contact notices,
// a library that lacks what a tab needs) and the Today screen's test item
// hosted in a tab, answering the D-pad by its selectability.
#include <gtest/gtest.h>
#include <windbase.h>

#include <memory>
#include <string>
#include <vector>

#include "custom_tabs.h"
#include "reg.h"
#include "settings.h"
#include "skin.h"
#include "todaycmn.h"
#include "window.h"

using namespace daybrim;

namespace {

const wchar_t kItems[] = L"Software\\Microsoft\\today\\items\\";

class Host : public win::Window {
public:
    bool Make() {
        if (!Register(GetModuleHandleW(nullptr), L"CustomTabsTestHost", 0, nullptr)) return false;
        return CreateWin(0, L"CustomTabsTestHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 200, nullptr,
                         GetModuleHandleW(nullptr)) != nullptr;
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override { return DefWindowProcW(hwnd_, msg, wp, lp); }
};

class FakeTimer : public RepeatTimer {
public:
    void Start(unsigned ms) override {
        running = true;
        log += "start" + std::to_string(ms) + " ";
    }
    void Stop() override {
        running = false;
        log += "stop ";
    }
    bool running = false;
    std::string log;
};

// What a library logged since the last call, read through its log export.
std::wstring TakeLog(HMODULE m, const char* name, int ordinal = 0) {
    using LogFn = int(WINAPI*)(wchar_t*, int, int);
    auto fn = reinterpret_cast<LogFn>(reinterpret_cast<void*>(
        ordinal ? GetProcAddress(m, MAKEINTRESOURCEA(ordinal)) : GetProcAddress(m, name)));
    if (!fn) return L"<no log>";
    std::wstring buf(8192, L'\0');
    fn(&buf[0], int(buf.size()), 1);
    buf.resize(wcslen(buf.c_str()));
    return buf;
}

class ExternalTab : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make());
        tab_.reset(new CCustomDesignedTab(SAMPLE_TAB, L"\\Program Files\\Sample"));
        tab_->SetIdentity(7, L"", L"Sample");
        tab_->SetRepeatTimer(&timer_);
        ASSERT_TRUE(tab_->Create(host_.hwnd(), 0, 22, 240, 120, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
        lib_ = GetModuleHandleW(SAMPLE_TAB);
        ASSERT_NE(nullptr, lib_);
        Log();
    }
    void TearDown() override { tab_.reset(); }
    std::wstring Log() { return TakeLog(lib_, "SampleTabLog"); }

    Host host_;
    FakeTimer timer_;
    std::unique_ptr<CCustomDesignedTab> tab_;
    HMODULE lib_ = nullptr;
};

TEST_F(ExternalTab, KeysRepeatUntilTheReleaseTimerRunsOut) {
    enum Op { kDown, kUp, kRelease, kEnter };
    struct Step {
        Op op;
        LRESULT result;     // ignored for the release
        const wchar_t* calls;  // what the library heard
        const char* timer;     // what the timer was asked
    };
    const Step steps[] = {
        // A press reaches the library once; the release timer starts.
        {kDown, 1, L"down:1:0\n", "start120 "},
        // Held: the repeats only push the release back.
        {kDown, 1, L"", "stop start120 "},
        {kDown, 1, L"", "stop start120 "},
        // Let go: both keys hear the release, up first.
        {kRelease, 0, L"up:0:0\ndown:0:0\n", "stop "},
        {kDown, 1, L"down:1:0\n", "start120 "},
        {kRelease, 0, L"up:0:0\ndown:0:0\n", "stop "},
        // At the bottom the library lets the key go to the host.
        {kDown, 1, L"down:1:0\n", "start120 "},
        {kRelease, 0, L"up:0:0\ndown:0:0\n", "stop "},
        {kDown, 0, L"down:1:0\n", "start120 "},
        // A repeat of a key the library refused still counts as handled.
        {kUp, 1, L"", "stop start120 "},
        {kRelease, 0, L"up:0:0\ndown:0:0\n", "stop "},
        {kUp, 1, L"up:1:0\n", "start120 "},
        {kRelease, 0, L"up:0:0\ndown:0:0\n", "stop "},
        {kEnter, 1, L"enter:7:0\n", ""},
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        timer_.log.clear();
        LRESULT r = 0;
        switch (s.op) {
        case kDown: r = tab_->KeyDown(host_.hwnd(), 7); break;
        case kUp: r = tab_->KeyUp(host_.hwnd(), 7); break;
        case kRelease: tab_->OnRepeatTimer(); break;
        case kEnter: r = tab_->KeyEnter(host_.hwnd(), 7); break;
        }
        if (s.op != kRelease) {
            EXPECT_EQ(s.result, r);
        }
        EXPECT_EQ(s.calls, Log());
        EXPECT_EQ(s.timer, timer_.log);
    }
    // Left, right and a selection arriving never reach the library.
    EXPECT_EQ(1, tab_->KeyLeft(host_.hwnd(), 7));
    EXPECT_EQ(1, tab_->KeyRight(host_.hwnd(), 7));
    EXPECT_EQ(1, tab_->ReceiveSelection(VK_DOWN));
    EXPECT_EQ(L"", Log());
}

TEST_F(ExternalTab, WindowsShowHideMoveAndGoWithTheLibrary) {
    HWND main = tab_->MainWindow(), caption = tab_->CaptionWindow();
    ASSERT_TRUE(IsWindow(main));
    ASSERT_TRUE(IsWindow(caption));
    tab_->Show(true);
    EXPECT_TRUE(IsWindowVisible(caption));
    tab_->Show(false);  // the host hides the caption the library showed
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsWindowVisible(caption));
    tab_->Move(0, 30, 200, 90);
    tab_->Hide(true);
    tab_->QueryRefresh(host_.hwnd(), WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0);
    tab_->Hibernate(host_.hwnd(), WM_HIBERNATE, 0, 0);  // not exported: not called
    EXPECT_EQ(L"show:1:0\nshow:0:0\nmove:200:90\nhide:1:0\nquery:0:0\n", Log());
    tab_->Destroy();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(caption));
    EXPECT_EQ(nullptr, tab_->MainWindow());
    EXPECT_FALSE(tab_->Loaded());
    // Nothing is called on a destroyed tab, and its keys leave it.
    EXPECT_EQ(0, tab_->KeyDown(host_.hwnd(), 7));
    tab_->OnContactNotice(ContactNotice::kDeleted, 1);
    tab_->Show(true);
}

TEST_F(ExternalTab, ContactNoticesReachTheirOwnExport) {
    struct Case {
        UINT type;
        bool notice;
        const wchar_t* call;
    };
    const Case cases[] = {
        {DB_CEOID_CHANGED, true, L"contact-changed:4660:0\n"},
        {DB_CEOID_CREATED, true, L"contact-created:4660:0\n"},
        {DB_CEOID_RECORD_DELETED, true, L"contact-deleted:4660:0\n"},
        {DB_CEOID_DATABASE_DELETED, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ContactNotice n = ContactNotice::kChanged;
        EXPECT_EQ(c.notice, ContactNoticeOf(c.type, &n));
        if (c.notice) tab_->OnContactNotice(n, 0x1234);
        EXPECT_EQ(c.call, Log());
    }
}

TEST(ExternalTabLibrary, WithoutTheRequiredExportsCreateFails) {
    Host host;
    ASSERT_TRUE(host.Make());
    // The test item is a library, but no tab library; the other is no file at all.
    for (const wchar_t* path : {TEST_ITEM, L"\\Windows\\no such tab.dll", L""}) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(path));
        CCustomDesignedTab tab(path, L"");
        FakeTimer timer;
        tab.SetRepeatTimer(&timer);
        EXPECT_FALSE(tab.Create(host.hwnd(), 0, 22, 240, 120, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
        EXPECT_FALSE(tab.Loaded());
        EXPECT_EQ(nullptr, tab.MainWindow());
        EXPECT_EQ(nullptr, tab.CaptionWindow());
        EXPECT_EQ(0, tab.KeyDown(host.hwnd(), 1));
        EXPECT_EQ(0, tab.KeyEnter(host.hwnd(), 1));
        tab.Show(true);
        tab.Move(0, 0, 10, 10);
        EXPECT_FALSE(timer.running);
    }
}

// --- hosted Today item -------------------------------------------------------------

class HostedItem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make());
        settings_.Load(nullptr);
        env_.instance = GetModuleHandleW(nullptr);
        env_.settings = &settings_;
        env_.host = host_.hwnd();
    }
    void TearDown() override {
        if (tab_) tab_->Destroy();
        tab_.reset();
        if (!name_.empty()) RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kItems + name_).c_str());
    }
    void Make(const std::wstring& name, DWORD selectability, DWORD navigate, const std::wstring& dll = TEST_ITEM) {
        name_ = name;
        const std::wstring key = kItems + name;
        ASSERT_TRUE(reg::SetDword(HKEY_LOCAL_MACHINE, key.c_str(), L"Selectability", selectability));
        ASSERT_TRUE(reg::SetDword(HKEY_LOCAL_MACHINE, key.c_str(), L"Navigate", navigate));
        ASSERT_TRUE(reg::SetDword(HKEY_LOCAL_MACHINE, key.c_str(), L"Height", 48));
        tab_.reset(new CCustomTab(&env_, name, dll));
        tab_->Initialize(3, L"", name, L"CustomTabWin", L"CustomTabControl", 0, nullptr, nullptr, L"custom1", L"", 359);
        ASSERT_TRUE(tab_->Create(host_.hwnd(), 0, 22, 240, 120, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
        item_ = GetModuleHandleW(TEST_ITEM);
        Log();
    }
    std::wstring Log() { return item_ ? TakeLog(item_, nullptr, 1) : L""; }

    Host host_;
    CSettings settings_;
    ShellEnv env_;
    std::unique_ptr<CCustomTab> tab_;
    std::wstring name_;
    HMODULE item_ = nullptr;
};

enum Key { kUp, kDown, kLeft, kRight, kEnter, kReceive, kLose };

LRESULT Press(CCustomTab& t, Key k, HWND host) {
    switch (k) {
    case kUp: return t.KeyUp(host, 3);
    case kDown: return t.KeyDown(host, 3);
    case kLeft: return t.KeyLeft(host, 3);
    case kRight: return t.KeyRight(host, 3);
    case kEnter: return t.KeyEnter(host, 3);
    case kReceive: return t.ReceiveSelection(VK_DOWN);
    case kLose: t.LoseSelection(); return -1;
    }
    return -1;
}

TEST_F(HostedItem, TheItemIsCreatedSizedAndPolled) {
    Make(L"HostedSized", 2, 0);
    HWND item = tab_->ItemWindow();
    ASSERT_TRUE(IsWindow(item));
    EXPECT_EQ(tab_->MainWindow(), GetParent(item));
    RECT rc;
    GetClientRect(item, &rc);
    EXPECT_EQ(240, rc.right);
    EXPECT_EQ(48, rc.bottom);
    reg::SetDword(HKEY_LOCAL_MACHINE, (kItems + name_).c_str(), L"Height", 64);
    tab_->QueryRefresh(host_.hwnd(), 0, 0, 0);
    GetClientRect(item, &rc);
    EXPECT_EQ(64, rc.bottom);
    EXPECT_EQ(L"HostedSized:query:0\n", Log());
    tab_->Destroy();
    EXPECT_FALSE(IsWindow(item));
}

TEST_F(HostedItem, TheDPadFollowsTheItemsSelectability) {
    struct Case {
        DWORD selectability, navigate, dpadMode;
        Key key;
        LRESULT result;
        const wchar_t* heard;  // the item's log, its name cut off
        bool highlighted;      // afterwards
    };
    const Case cases[] = {
        // 0: the item never takes the D-pad; the action key is eaten.
        {0, 1, 0, kUp, 0, L"", false},
        {0, 1, 0, kDown, 0, L"", false},
        {0, 1, 0, kLeft, 0, L"", false},
        {0, 1, 0, kEnter, 1, L"", false},
        {0, 1, 0, kReceive, 0, L"", false},
        // 1: the host highlights it and turns the action key into a tap.
        {1, 1, 0, kReceive, 1, L"", true},
        {1, 1, 0, kDown, 0, L"", false},
        {1, 1, 0, kUp, 0, L"", false},
        {1, 1, 0, kRight, 0, L"", true},
        {1, 1, 0, kEnter, 1, L":tap:0\n", true},
        {1, 1, 0, kLose, -1, L"", false},
        // 2: the item takes the selection messages itself.
        {2, 0, 0, kReceive, 1, L":received:40\n", false},
        {2, 0, 0, kDown, 0, L":navigate:40\n", false},
        {2, 1, 0, kDown, 1, L":navigate:40\n", false},
        {2, 1, 0, kUp, 1, L":navigate:38\n", false},
        {2, 1, 0, kLeft, 1, L":navigate:37\n", false},
        {2, 0, 0, kRight, 0, L":navigate:39\n", false},
        {2, 0, 0, kEnter, 1, L":action:13\n", false},
        {2, 0, 0, kLose, -1, L":lost:0\n", false},
        // The "DPadMode" 1 keeps the keys with the host and the item untouched.
        {2, 1, 1, kDown, 0, L"", false},
        {2, 1, 1, kReceive, 1, L"", false},
        {1, 1, 1, kReceive, 1, L"", false},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(i);
        const std::wstring name = L"Sel" + std::to_wstring(i++);
        settings_.DPadMode.Set(c.dpadMode);
        Make(name, c.selectability, c.navigate);
        if (c.key == kLose || (c.selectability == 1 && c.key != kReceive)) tab_->ReceiveSelection(VK_DOWN);
        Log();
        EXPECT_EQ(c.result, Press(*tab_, c.key, host_.hwnd()));
        EXPECT_EQ(c.heard[0] ? name + c.heard : L"", Log());
        EXPECT_EQ(c.highlighted, tab_->Highlighted());
        TearDown();
    }
    settings_.DPadMode.Set(0);
}

TEST_F(HostedItem, TheHighlightedItemTakesTheHighlightTextColour) {
    settings_.HighlightTextClr.Set(0x00123456);
    Make(L"HostedColour", 1, 0);
    const LRESULT plain = SendMessageW(tab_->MainWindow(), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0);
    tab_->ReceiveSelection(VK_DOWN);
    CSkin skin;
    env_.skin = &skin;
    EXPECT_EQ(LRESULT(0x00123456), SendMessageW(tab_->MainWindow(), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    tab_->LoseSelection();
    EXPECT_EQ(plain, SendMessageW(tab_->MainWindow(), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    env_.skin = nullptr;
}

TEST_F(HostedItem, WithoutAnItemEveryKeyLeavesButTheActionKey) {
    for (const wchar_t* dll : {L"\\Windows\\no such item.dll", SAMPLE_TAB, L""}) {
        Make(L"HostedNone", 2, 1, dll);
        EXPECT_EQ(nullptr, tab_->ItemWindow());
        for (Key k : {kUp, kDown, kLeft, kRight, kReceive}) EXPECT_EQ(0, Press(*tab_, k, host_.hwnd())) << k;
        EXPECT_EQ(1, tab_->KeyEnter(host_.hwnd(), 3));
        tab_->LoseSelection();
        tab_->QueryRefresh(host_.hwnd(), 0, 0, 0);
        UpdateWindow(tab_->MainWindow());  // paints the notice instead of the item
        TearDown();
    }
}

TEST_F(HostedItem, LongNamesAndPathsAreCutToTheirFields) {
    // The item reads its name from the list item as a terminated string.
    const std::wstring name(40, L'N');
    Make(name, 2, 0);
    ASSERT_NE(nullptr, tab_->ItemWindow());
    tab_->ReceiveSelection(VK_DOWN);
    EXPECT_EQ(name.substr(0, MAX_ITEMNAME - 1) + L":received:40\n", Log());
    TearDown();
    // A path longer than the field loads nothing, and nothing overruns.
    const std::wstring longPath = L"\\" + std::wstring(400, L'p') + L".dll";
    Make(L"HostedLongPath", 2, 0, longPath);
    EXPECT_EQ(nullptr, tab_->ItemWindow());
}

}  // namespace
