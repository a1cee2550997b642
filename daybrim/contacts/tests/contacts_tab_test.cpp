// The Contacts tab in-process over a PIM volume of its own: the store's contacts
// listed in groups, the search bar narrowing them in more than one script, a
// default number set from the tab's popup reaching the record, the store (through
// the database's notification, as any program's change would) and the tab's rows,
// and the preview's toolbar reached from its rows and acting on its contact.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "category_table.h"
#include "cesim_shell.h"
#include "contact_preview.h"
#include "contacts_tab.h"
#include "launch_lines.h"
#include "menu_extensions.h"
#include "pim_store.h"
#include "pim_volume.h"
#include "raii.h"
#include "reg.h"
#include "settings.h"
#include "tab_codes.h"

namespace {

using namespace daybrim;
using namespace pimtest;

class StoreWindow {
public:
    StoreWindow() {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &StoreWindow::Proc;
            wc.lpszClassName = L"ContactsTabTestStore";
            return RegisterClassW(&wc);
        }();
        hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StoreWindow() { DestroyWindow(hwnd); }
    bool Handle(size_t n, DWORD ms = 5000) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (handled >= n) return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLPOSTMESSAGE);
        }
    }
    HWND hwnd = nullptr;
    CPimStore* store = nullptr;
    CTab* tab = nullptr;
    size_t handled = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_DBNOTIFICATION) {
            auto* self = reinterpret_cast<StoreWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            // As the host does: the tabs whose type is in the change bits follow.
            if ((self->store->HandleNotification(reinterpret_cast<CENOTIFICATION*>(lp)) & TAB_TYPE_CONTACTS) && self->tab)
                self->tab->OnDataChanged();
            ++self->handled;
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

// Stands in for the organiser's bridge program: keeps the requests it is sent.
class FakeBridge {
public:
    FakeBridge() {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &FakeBridge::Proc;
            wc.lpszClassName = L"PIM_BRIDGE_CLASS";
            return RegisterClassW(&wc);
        }();
        hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        requests().clear();
    }
    ~FakeBridge() { DestroyWindow(hwnd); }
    static std::vector<launch::PimBridgeRequest>& requests() {
        static std::vector<launch::PimBridgeRequest> r;
        return r;
    }
    HWND hwnd = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COPYDATA) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            if (cds->cbData == sizeof(launch::PimBridgeRequest))
                requests().push_back(*static_cast<const launch::PimBridgeRequest*>(cds->lpData));
            return TRUE;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

// Keeps what each tracked menu offered: its items' ids and its default-number
// sub-menu's.
class RecordingMenus : public MenuPort {
public:
    struct Tracked {
        std::vector<UINT> items, defaults;
    };
    void Track(HMENU menu, int, int, HWND) override {
        Tracked t;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) t.items.push_back(GetMenuItemID(menu, i));
        if (HMENU def = GetSubMenu(menu, 3))
            for (int i = 0; i < GetMenuItemCount(def); ++i) t.defaults.push_back(GetMenuItemID(def, i));
        tracked.push_back(t);
    }
    std::vector<Tracked> tracked;
};

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

class ContactsTabTest : public ::testing::Test {
protected:
    // A volume of each test's own: the one before may not have let go of its file yet.
    ContactsTabTest() : vol(L"contacts_tab_" + TestName()), store(&cats) {
        opt.cat.pimVolume = vol.path;
        opt.fusionVolume = vol.fusionPath;
        opt.letterGroups = MatchingLetterGroups(1 | 2 | 8);
        win.store = &store;
        env.instance = GetModuleHandleW(nullptr);
        env.settings = &settings;
        env.pim = &store;
        env.categories = &cats;
        // Not read from a registry: the values the item would load by default.
        settings.CntctsActiveLanguages.Set(1 | 2 | 8);
        settings.CntctsActiveSearchBar.Set(1);
        settings.ContactsSearchBarAlphabet.Set(kAlphabetLatin);
        settings.ContactsSortDirection.Set(1);
        settings.ContactsGroupingDirection.Set(1);
    }
    ~ContactsTabTest() override {
        if (tab) tab->Destroy();
        if (top) DestroyWindow(top);
        store.Stop();
    }
    static std::wstring TestName() {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name.begin(), name.end());
    }
    CEOID Contact(uint32_t recid, const wchar_t* fileAs, std::vector<CEPROPVAL> more = {}) {
        std::vector<CEPROPVAL> p = {Str(0x0080001F, fileAs), U4(0x10000066, recid)};
        p.insert(p.end(), more.begin(), more.end());
        return vol.Write(L"Contacts Database", p);
    }
    void Open() {
        store.Start(win.hwnd, opt, 46363);
        top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                              env.instance, nullptr);
        tab.reset(new CContactsTab(&env, &store));
        tab->Initialize(4, L"", L"Contacts", L"TestContactsTab", L"TestContactsCaption", 3, nullptr, nullptr,
                        L"contacts", L"category_sevnts", 263);
        ASSERT_TRUE(tab->Create(top, 0, 22, 240, 268, 0, 0, 140, 20, env.instance));
        tab->Show(true);
        win.tab = tab.get();
    }
    std::vector<std::wstring> Titles() {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < tab->Rows().Count(); ++i)
            if (TItem* item = tab->Rows().At(int(i)))
                if (item->Kind() == kKindContact) out.push_back(static_cast<TContactItem*>(item)->title);
        return out;
    }
    TContactItem* Row(const std::wstring& title) {
        for (size_t i = 0; i < tab->Rows().Count(); ++i)
            if (TItem* item = tab->Rows().At(int(i)))
                if (item->Kind() == kKindContact && static_cast<TContactItem*>(item)->title == title)
                    return static_cast<TContactItem*>(item);
        return nullptr;
    }
    void Key(int key, const wchar_t* label = L"") {
        SendMessageW(tab->MainWindow(), WM_SEARCHBAR_KEY, WPARAM(key), key ? LPARAM(label) : 0);
    }

    PimVolume vol;
    CCategoryTable cats;
    CPimStore store;
    PimOptions opt;
    StoreWindow win;
    CSettings settings;
    ShellEnv env;
    HWND top = nullptr;
    std::unique_ptr<CContactsTab> tab;
};

TEST_F(ContactsTabTest, SearchBarNarrowsInEveryScript) {
    ASSERT_TRUE(vol.ok);
    Contact(1, L"Albrecht, Fynn");
    Contact(2, L"Иванова, Наталья");
    Contact(3, L"Шевченко, Богдан");
    Contact(4, L"Γεωργίου, Ελένη");
    Contact(5, L"Щербаков, Олег");
    Open();
    ASSERT_NE(nullptr, tab->SearchBar());
    EXPECT_EQ(5u, Titles().size());
    const struct {
        std::vector<int> keys;
        std::vector<std::wstring> shown;
    } cases[] = {
        {{7, 2, 1}, {L"Шевченко, Богдан"}},
        {{7, 2, 5}, {L"Щербаков, Олег"}},
        {{1, 2, 8}, {L"Γεωργίου, Ελένη"}},
        {{1, 4, 1, 6}, {L"Albrecht, Fynn"}},  // a l b r
        {{1, 4}, {L"Albrecht, Fynn", L"Иванова, Наталья", L"Шевченко, Богдан"}},  // "Al", "ва н", "Бо"
        {{1, 4, 1, 9, 9}, {L"Albrecht, Fynn", L"Иванова, Наталья", L"Шевченко, Богдан", L"Γεωργίου, Ελένη",
                           L"Щербаков, Олег"}},  // deleted back to "1": every title has such a letter
    };
    for (const auto& c : cases) {
        Key(0);
        for (int k : c.keys) Key(k, L"x");
        std::vector<std::wstring> shown = Titles(), want = c.shown;
        std::sort(shown.begin(), shown.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(want, shown) << c.keys.size() << " keys";
    }
    Key(0);
    EXPECT_EQ(5u, Titles().size());
    EXPECT_EQ(L"", tab->SearchText());
}

TEST_F(ContactsTabTest, ContactsArrivingDuringASearchAreSearchedToo) {
    ASSERT_TRUE(vol.ok);
    Contact(1, L"Albrecht, Fynn");
    Open();
    Key(1, L"abc");
    Key(4, L"jkl");  // "14": Albrecht
    EXPECT_EQ((std::vector<std::wstring>{L"Albrecht, Fynn"}), Titles());
    Contact(2, L"Zimmermann, Lea");  // no "14" anywhere
    Contact(3, L"Salomon, Ida");     // "al"
    ASSERT_TRUE(win.Handle(2));
    EXPECT_EQ((std::vector<std::wstring>{L"Albrecht, Fynn", L"Salomon, Ida"}), Titles());
    EXPECT_EQ(L"14", tab->SearchText());
}

TEST_F(ContactsTabTest, DefaultNumberReachesTheRecordTheStoreAndTheRows) {
    ASSERT_TRUE(vol.ok);
    const CEOID anna = Contact(7, L"Berg, Anna", {Str(0x0096001F, L"555-0100"), Str(0x0097001F, L"555-0200"),
                                                  Str(0x0090001F, L"anna@example.org"), U4(0x00F80013, 0x0096001F)});
    Open();
    TContactItem* row = Row(L"Berg, Anna");
    ASSERT_TRUE(row);
    EXPECT_EQ(uint32_t(kFieldMobile), row->preferredId);
    EXPECT_EQ(L"555-0100", row->preferredText);

    // The popup offers work, mobile (checked) and the e-mail address, in that order.
    CeSim_SetMenuAnswer(L"#41123");
    tab->ShowDefaultNumberPopup(*row, 10, 10);
    ASSERT_TRUE(win.Handle(1));
    // The record...
    auto fromDb = store.readContact(anna);
    ASSERT_TRUE(fromDb);
    EXPECT_EQ(uint32_t(kFieldWork), fromDb->preferredId);
    // ...and the rows, rebuilt on the notification.
    row = Row(L"Berg, Anna");
    ASSERT_TRUE(row);
    EXPECT_EQ(uint32_t(kFieldWork), row->preferredId);
    EXPECT_EQ(L"555-0200", row->preferredText);

    // A command of the contact's menu does the same.
    EXPECT_EQ(0, tab->OnContextMenuCommand(row, kCmdDefaultFirst + 5));  // e-mail 1
    ASSERT_TRUE(win.Handle(2));
    EXPECT_EQ(L"anna@example.org", Row(L"Berg, Anna")->preferredText);
}

TEST_F(ContactsTabTest, GroupingAndSortCommandsRefileTheList) {
    ASSERT_TRUE(vol.ok);
    Contact(1, L"Alpha", {Str(0x008A001F, L"Zeta Ltd")});
    Contact(2, L"Beta");
    Contact(3, L"Gamma", {Str(0x008A001F, L"Acme")});
    Open();
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}), Titles());
    tab->OnContextMenuCommand(nullptr, kCmdSortDown);
    EXPECT_EQ((std::vector<std::wstring>{L"Gamma", L"Beta", L"Alpha"}), Titles());
    tab->OnContextMenuCommand(nullptr, kCmdSortUp);
    tab->OnContextMenuCommand(nullptr, kCmdGroupingFirst + 2);  // by company: Acme, Zeta Ltd, none
    EXPECT_EQ((std::vector<std::wstring>{L"Gamma", L"Alpha", L"Beta"}), Titles());
    EXPECT_EQ(2u, settings.ContactsGrouping.value());
    settings.ContactsGrouping.Set(0);
    settings.ContactsGrouping.Write();
    settings.ContactsSortDirection.Set(1);
    settings.ContactsSortDirection.Write();
}

TEST_F(ContactsTabTest, DPadCrossesBetweenListAndSearchBar) {
    ASSERT_TRUE(vol.ok);
    Contact(1, L"Albrecht, Fynn");
    Contact(2, L"Beta");
    Open();
    CSearchBar* bar = tab->SearchBar();
    ASSERT_NE(nullptr, bar);
    const HWND host = nullptr;
    // Coming up from below lands on the bar's first key, shown pressed.
    EXPECT_EQ(1, tab->ReceiveSelection(VK_UP));
    EXPECT_TRUE(tab->BarHasFocus());
    EXPECT_EQ(1, bar->model().pressed());
    tab->KeyLeft(host, 0);
    EXPECT_EQ(kDeleteKey, bar->model().focus());
    tab->KeyRight(host, 0);
    EXPECT_EQ(1, tab->KeyEnter(host, 0));  // "abc" narrows the list
    EXPECT_EQ(L"1", tab->SearchText());
    EXPECT_EQ(0, tab->KeyDown(host, 0));   // nothing under the bar: the host's key
    // Up goes to the list's last row and clears the bar's pressed look.
    EXPECT_EQ(1, tab->KeyUp(host, 0));
    EXPECT_FALSE(tab->BarHasFocus());
    EXPECT_EQ(0, bar->model().pressed());
    const int last = int(tab->Rows().Count()) - 1;
    EXPECT_EQ(last, tab->Rows().Highlighted());
    // Down on the last row, which the list cannot use, goes back to the bar.
    EXPECT_EQ(1, tab->KeyDown(host, 0));
    EXPECT_TRUE(tab->BarHasFocus());
    tab->LoseSelection();
    EXPECT_FALSE(tab->BarHasFocus());
    EXPECT_EQ(0, bar->model().pressed());
}

}  // namespace

namespace {

void Press(HWND hwnd, WPARAM vk) { SendMessageW(hwnd, WM_KEYDOWN, vk, 1); }

TEST_F(ContactsTabTest, PreviewToolbarActsOnItsContact) {
    ASSERT_TRUE(vol.ok);
    const CEOID annaOid =
        Contact(7, L"Berg, Anna", {Str(0x0096001F, L"555-0100"), Str(0x0090001F, L"anna@example.org")});
    Contact(8, L"Cole, Ben", {Str(0x0097001F, L"555-0300")});
    raii::Library lang(LoadLibraryW(LANG_DLL));
    ASSERT_TRUE(lang);
    env.lang = lang.get();
    RecordingMenus menus;
    env.menus = &menus;
    FakeBridge bridge;
    settings.CntctsPrvwDlgUponOpenItem.Set(1);  // an open shows the preview: the preview's own must still open
    Open();
    SetForegroundWindow(top);
    ASSERT_TRUE(Row(L"Berg, Anna"));
    const int32_t anna = int32_t(Row(L"Berg, Anna")->poomId);
    const int annaRow = tab->Rows().IndexOf(KeyOf(Row(L"Berg, Anna")));
    const auto& sent = FakeBridge::requests();

    const struct {
        int rights;  // Right presses from the first button
        ContactAction kind;
        int verb;    // the bridge's request; -1 none
        bool menu;
    } cases[] = {
        {0, kActOpen, launch::kShow, false}, {1, kActEdit, launch::kEdit, false}, {2, kActMenu, -1, true},
        {3, kActNone, -1, false},  // the last button only closes
        {4, kActOpen, launch::kShow, false},  // round past the end
    };
    for (const auto& c : cases) {
        FakeBridge::requests().clear();
        menus.tracked.clear();
        tab->ShowPreview(*Row(L"Berg, Anna"));
        CContactPreview* p = tab->Preview();
        ASSERT_TRUE(p && p->IsOpen() && p->Toolbar().hwnd());
        const HWND bar = p->Toolbar().hwnd();
        ASSERT_EQ(4u, p->Toolbar().strip().Count());
        // The rows have the D-pad; only Up on the first row moves it to the
        // toolbar, whose Down gives it back.
        EXPECT_FALSE(p->ToolbarFocused());
        Press(p->hwnd(), VK_DOWN);
        Press(p->hwnd(), VK_UP);
        EXPECT_FALSE(p->ToolbarFocused());
        Press(p->hwnd(), VK_UP);
        ASSERT_TRUE(p->ToolbarFocused());
        Press(bar, VK_DOWN);
        EXPECT_FALSE(p->ToolbarFocused());
        EXPECT_EQ(0, p->focus());
        Press(p->hwnd(), VK_UP);
        for (int i = 0; i < c.rights; ++i) Press(bar, VK_RIGHT);
        Press(bar, VK_RETURN);
        EXPECT_FALSE(p->IsOpen()) << c.rights;
        EXPECT_EQ(c.kind, p->Chosen().action) << c.rights;
        Pump();  // the tab hears the choice

        ASSERT_EQ(c.verb >= 0 ? 1u : 0u, sent.size()) << c.rights;
        if (c.verb >= 0) {
            EXPECT_EQ(c.verb, sent[0].verb);
            EXPECT_EQ(launch::kBridgeContact, sent[0].kind);
            EXPECT_EQ(anna, c.verb == launch::kShow ? sent[0].showId : sent[0].editId);
        }
        EXPECT_FALSE(p->IsOpen()) << "the open brought the preview back";
        ASSERT_EQ(c.menu ? 1u : 0u, menus.tracked.size()) << c.rights;
        if (c.menu) {
            // Anna's menu, with her numbers, on her row for the command to act on.
            EXPECT_EQ(UINT(kCmdOpen3), menus.tracked[0].items.at(0));
            EXPECT_EQ((std::vector<UINT>{kCmdDefaultFirst + 2, kCmdDefaultFirst + 5}), menus.tracked[0].defaults);
            EXPECT_EQ(annaRow, tab->Rows().Highlighted());
        }
    }

    // A contact deleted while its preview is up gets nothing.
    tab->ShowPreview(*Row(L"Berg, Anna"));
    FakeBridge::requests().clear();
    const size_t seen = win.handled;
    ASSERT_TRUE(vol.Delete(L"Contacts Database", annaOid));
    ASSERT_TRUE(win.Handle(seen + 1));
    ASSERT_FALSE(Row(L"Berg, Anna"));
    for (int kind : {int(kActOpen), int(kActEdit), int(kActMenu)}) tab->RunPreviewAction(kind, L"");
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(menus.tracked.empty());

    settings.CntctsPrvwDlgUponOpenItem.Set(0);
    tab->Destroy();
    tab.reset();
    env.menus = nullptr;
    env.lang = nullptr;
}

}  // namespace

// Other programs add their commands to a contact's menu, as to an appointment's;
// with none installed the menu keeps no empty sub-menu for them.
TEST_F(ContactsTabTest, ContactMenuCarriesTheContactExtensions) {
    ASSERT_TRUE(vol.ok);
    Contact(7, L"Berg, Anna", {Str(0x0096001F, L"555-0100")});
    raii::Library lang(LoadLibraryW(LANG_DLL));
    ASSERT_TRUE(lang);
    env.lang = lang.get();
    const wchar_t key[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\Contacts\\AddIns\\Sample";
    Open();
    ASSERT_TRUE(Row(L"Berg, Anna"));
    for (bool installed : {false, true}) {
        if (installed) {
            ASSERT_TRUE(reg::SetString(HKEY_LOCAL_MACHINE, key, L"DLL", L"\\Windows\\sample.dll"));
            ASSERT_TRUE(reg::SetString(HKEY_LOCAL_MACHINE, key, L"Menu", L"Sample add-in"));
        }
        menuext::CPimMenuExtensions extensions;  // reads what is installed when first asked
        env.menuExtensions = &extensions;
        raii::Menu menu(LoadMenuW(lang.get(), MAKEINTRESOURCEW(kContactMenu)));
        ASSERT_TRUE(menu);
        HMENU items = GetSubMenu(menu.get(), 0);
        tab->PrepareContextMenu(Row(L"Berg, Anna"), items);
        std::vector<std::wstring> added;
        int popups = 0;
        for (int i = 0; i < GetMenuItemCount(items); ++i) {
            HMENU sub = GetSubMenu(items, i);
            if (!sub) continue;
            ++popups;
            wchar_t text[64] = {};
            for (int j = 0; j < GetMenuItemCount(sub); ++j)
                if (GetMenuItemID(sub, j) >= 6000 && GetMenuItemID(sub, j) < 7000 && GetMenuStringW(sub, UINT(j), text, 64, MF_BYPOSITION))
                    added.push_back(text);
        }
        // Call or mail, file as, default number, and the extensions' own only when filled.
        EXPECT_EQ(installed ? 4 : 3, popups) << installed;
        EXPECT_EQ(installed ? std::vector<std::wstring>{L"Sample add-in"} : std::vector<std::wstring>{}, added);
        env.menuExtensions = nullptr;
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
    tab->Destroy();
    tab.reset();
    env.lang = nullptr;
}
