// The Notes tab on the test device: what a scan lists from the configured
// folder, its sub-folders and the storage card, and the item actions with the
// device's message boxes answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cesim_shell.h"
#include "devicelog.h"
#include "flashcard.h"
#include "notes_tab.h"
#include "raii.h"
#include "search_bar.h"
#include "settings.h"
#include "shell_env.h"

namespace daybrim {
namespace {

const wchar_t kRoot[] = L"\\My Documents\\NotesTabTest";
const wchar_t kCardFolder[] = L"\\Storage Card\\NotesTabTest";
const wchar_t kFolders[] = L"Software\\Olvane\\Daybrim\\Notes\\Folders";

bool Write(const std::wstring& path, const std::string& bytes) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    return f && WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Clean(const std::wstring& folder) {
    WIN32_FIND_DATAW fd = {};
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (fd.cFileName[0] == L'.') continue;
            const std::wstring p = folder + L"\\" + fd.cFileName;
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Clean(p);
            else DeleteFileW(p.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

// The first log line of `source` and `event` after `from`; the started programs
// run on their own, so the log is read until it comes.
std::string Logged(unsigned long long from, const char* source, const char* event, const char* field) {
    for (int i = 0; i < 1000; ++i) {
        for (auto& line : devlog::ReadLog(from)) {
            const devlog::Field* s = devlog::Find(line, "source");
            const devlog::Field* e = devlog::Find(line, "event");
            if (s && e && s->text == source && e->text == event) {
                const devlog::Field* f = devlog::Find(line, field);
                return f ? f->text : "<missing>";
            }
        }
        Sleep(20);
    }
    return "<not logged>";
}

// Closes a started program's window once it shows, so that the next start is fresh.
void CloseWhenShown(const wchar_t* cls, const wchar_t* title) {
    for (int i = 0; i < 500; ++i) {
        if (HWND w = FindWindowW(cls, title)) {
            SendMessageW(w, WM_CLOSE, 0, 0);
            return;
        }
        Sleep(20);
    }
    ADD_FAILURE() << "no window";
}

// The folder and template the Notes application's state holds.
std::wstring StoredStates() {
    raii::Key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, notes::kNotesStatesKey, 0, KEY_QUERY_VALUE, key.out())) return L"<none>";
    std::vector<uint8_t> v(4096);
    DWORD size = DWORD(v.size());
    if (RegQueryValueExW(key.get(), L"States", nullptr, nullptr, v.data(), &size)) return L"<none>";
    v.resize(size);
    return notes::ReadStatesString(v, notes::kStatesFolderOffset) + L"|" +
           notes::ReadStatesString(v, notes::kStatesTemplateOffset);
}

// Answers a modal dialog: each time the dialog waits for input, its owner runs
// the next step; a script that never ends the dialog is cancelled.
class DialogDriver {
public:
    using Step = std::function<void(HWND dlg)>;
    // `owner` and the windows under it get the dialog's idle notices.
    DialogDriver(HWND owner, std::vector<Step> steps) : owner_(owner) {
        Steps() = std::move(steps);
        Next() = 0;
        Idles() = 0;
        Old() = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~DialogDriver() { SetWindowLongPtrW(owner_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Old())); }
    size_t ran() const { return Next(); }

private:
    static std::vector<Step>& Steps() {
        static std::vector<Step> s;
        return s;
    }
    static size_t& Next() {
        static size_t n;
        return n;
    }
    static int& Idles() {
        static int n;
        return n;
    }
    static WNDPROC& Old() {
        static WNDPROC p;
        return p;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_ENTERIDLE && wp == MSGF_DIALOGBOX) {
            HWND dlg = reinterpret_cast<HWND>(lp);
            if (Next() < Steps().size()) Steps()[Next()++](dlg);
            else if (++Idles() > 20) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            PostMessageW(dlg, WM_NULL, 0, 0);  // wakes the loop for the next step
            return 0;
        }
        return CallWindowProcW(Old(), h, m, wp, lp);
    }
    HWND owner_;
};

class NotesTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CeSim_InsertStorageCard(L"Storage Card"));
        Clean(kRoot);
        Clean(kCardFolder);
        ASSERT_TRUE(notes::MakeFolders(std::wstring(kRoot) + L"\\Work"));
        ASSERT_TRUE(notes::MakeFolders(kCardFolder));
        ASSERT_TRUE(Write(Root(L"groceries.txt"), "milk\r\nbread"));
        ASSERT_TRUE(Write(Root(L"Work\\minutes.pwi"), "ink"));
        ASSERT_TRUE(Write(Root(L"Work\\budget.xls"), "cells"));
        ASSERT_TRUE(Write(Root(L"Work\\Meeting.pwi"), "template"));
        SetFileAttributesW(Root(L"Work\\Meeting.pwi").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(Write(Root(L"photo.jpg"), "not a note"));
        ASSERT_TRUE(Write(std::wstring(kCardFolder) + L"\\trip.doc", "document"));

        RegDeleteKeyW(HKEY_CURRENT_USER, kFolders);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kFolders, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                                 &key, nullptr));
        const std::wstring root = kRoot;
        RegSetValueExW(key, L"1", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                       DWORD((root.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);

        lang_.reset(LoadLibraryW(LANG_DLL));
        s_.NotesTabGrouping.Set(1);
        s_.NotesGroupingDirctn.Set(1);
        s_.NotesTab1Sort.Set(0);
        s_.NotesTab1SortDirect.Set(1);
        s_.NotesScannedFileTypes.Set(63);
        s_.NotesPreviewNotesState.Set(2);
        s_.NotesActiveSearchBar.Set(1);
        s_.NotesSearchMode.Set(0);
        env_.settings = &s_;
        env_.lang = lang_.get();
        tab_.reset(new CNotesTab(&env_));
    }
    void TearDown() override {
        CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE);
        tab_.reset();
        RegDeleteKeyW(HKEY_CURRENT_USER, kFolders);
        CeSim_InsertStorageCard(L"Storage Card");
        Clean(kRoot);
        Clean(kCardFolder);
        CeSim_RemoveStorageCard(L"Storage Card");
    }
    std::wstring Root(const wchar_t* rest) { return std::wstring(kRoot) + L"\\" + rest; }
    // "group: name name | ..." of what the tab lists (files of this test only).
    std::wstring Listing() {
        std::wstring out;
        for (TItem* g = tab_->Model().groups().head(); g; g = g->next()) {
            auto* group = static_cast<TItemWithList*>(g);
            std::wstring names;
            for (TChildItem* c : group->children()) {
                auto* n = static_cast<TNoteItem*>(c);
                if (n->file.path.find(L"NotesTabTest") == std::wstring::npos || !n->IsVisibleCached()) continue;
                names += L" " + n->file.name + (n->row.onStorageCard ? L"*" : L"");
            }
            if (!names.empty()) out += group->title + L":" + names + L" | ";
        }
        return out;
    }
    TNoteItem* Item(const std::wstring& path) { return tab_->Model().Find(NoteIdOf(path)); }

    CSettings s_;
    ShellEnv env_;
    raii::Library lang_;
    std::unique_ptr<CNotesTab> tab_;
};

TEST_F(NotesTabTest, ScanListsFoldersSubFoldersAndTheCard) {
    const struct {
        unsigned types;
        bool card;
        const wchar_t* want;
    } cases[] = {
        // The configured root's own files are titled with the tab's name; the card
        // adds its folders, its files marked.
        {63, true, L"Notes: groceries | NotesTabTest: trip* | Work: budget minutes | "},
        {63, false, L"Notes: groceries | Work: budget minutes | "},
        {1, true, L"Work: minutes | "},
        {4 | 8, true, L"Notes: groceries | NotesTabTest: trip* | "},
    };
    for (const auto& c : cases) {
        s_.NotesScannedFileTypes.Set(c.types);
        if (c.card) CeSim_InsertStorageCard(L"Storage Card");
        else CeSim_RemoveStorageCard(L"Storage Card");
        tab_->Rescan();
        EXPECT_EQ(c.want, Listing()) << c.types << c.card;
        const auto& t = tab_->Templates();
        EXPECT_EQ((c.types & 1) != 0, std::find(t.begin(), t.end(), L"Meeting") != t.end());
    }
}

TEST_F(NotesTabTest, ListsNeedTheListProgramsLibrary) {
    ASSERT_TRUE(notes::MakeFolders(Root(L"Lists\\Home")));
    ASSERT_TRUE(Write(Root(L"Lists\\shopping.mll"), "[x] milk\r\n[ ] bread\r\n"));
    ASSERT_TRUE(Write(Root(L"Lists\\Home\\chores.mll"), "#too-many\r\n[x] dishes\r\n"));
    ASSERT_TRUE(Write(Root(L"Lists\\notes.txt"), "not a list"));
    const struct {
        const wchar_t* library;
        const wchar_t* want;
        int shopping;  // its completion
    } cases[] = {
        // The lists folder and its sub-folders, lists only, each with its completion
        // (none for an answer that makes no sense).
        {LIST_UTILS, L"Home: chores | Notes: shopping | ", 50},
        // A library that is missing or has no such export: no lists at all.
        {L"\\No Such\\PinlistUtils.dll", L"", -1},
    };
    for (const auto& c : cases) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Olvane\\Pinlist", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        const std::wstring lists = Root(L"Lists"), lib = c.library;
        RegSetValueExW(key, L"ListsPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(lists.c_str()),
                       DWORD((lists.size() + 1) * 2));
        RegSetValueExW(key, L"PinlistUtilsPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(lib.c_str()),
                       DWORD((lib.size() + 1) * 2));
        RegCloseKey(key);
        // Only lists: the configured folder (which holds the lists folder) adds nothing.
        s_.NotesScannedFileTypes.Set(32);
        s_.NotesTabGrouping.Set(1);
        tab_->Rescan();
        EXPECT_EQ(c.want, Listing()) << c.library;
        if (TNoteItem* shopping = Item(Root(L"Lists\\shopping.mll"))) {
            EXPECT_EQ(c.shopping, shopping->row.completion);
            EXPECT_EQ(-1, Item(Root(L"Lists\\Home\\chores.mll"))->row.completion);
        } else {
            EXPECT_EQ(-1, c.shopping) << c.library;
        }
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Pinlist");
}

TEST_F(NotesTabTest, NewNotesGoToTheOrganiserOrTheNotesApplication) {
    const struct {
        int pimSw;
        UINT command;
        const char* source;   // the program started
        const char* field;    // what it recorded
        const char* want;
        const wchar_t* states;
        bool onGroup = false;  // the menu of the note's folder group, not of the note
    } cases[] = {
        // A template always goes through the Notes application, told the note's folder.
        {0, kCmdNoteTemplateFirst, "notes", "commandLine", "", L"Work|Meeting"},
        {1, kCmdNoteTemplateFirst, "notes", "commandLine", "", L"Work|Meeting"},
        {0, kCmdNewNoteInFolder, "notes", "commandLine", "", L"Work|", true},
        // Organisers that make notes get their own request and the state stays as it was.
        {1, kCmdNewNoteInFolder, "pimbridge", "data", "010000000200000003000000", L"<none>"},
        {2, kCmdNewNoteInFolder, "agendafusion", "commandLine", "N_NOTE", L"<none>"},
    };
    for (const auto& c : cases) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, notes::kNotesStatesKey);
        s_.PimSw.Set(DWORD(c.pimSw));
        s_.ProgramFiles.Set(L"\\Program Files");  // where the bridge is installed
        tab_->Rescan();
        ASSERT_EQ(std::vector<std::wstring>{L"Meeting"}, tab_->Templates());
        const auto from = devlog::LogSize();
        TNoteItem* note = Item(Root(L"Work\\minutes.pwi"));
        ASSERT_NE(nullptr, note);
        EXPECT_EQ(0, tab_->OnContextMenuCommand(c.onGroup ? static_cast<TItem*>(note->parent) : note, c.command));
        const std::string event = std::string(c.source) == "pimbridge" ? "copydata" : "start";
        std::string got = Logged(from, c.source, event.c_str(), c.field);
        if (std::string(c.field) == "data") got = got.substr(0, 24);
        EXPECT_EQ(c.want, got) << c.pimSw << " " << c.command;
        EXPECT_EQ(c.states, StoredStates()) << c.pimSw << " " << c.command;
        if (std::string(c.source) == "notes") CloseWhenShown(L"Notes", L"Notes");
        if (std::string(c.source) == "pimbridge") CloseWhenShown(L"PIM_BRIDGE_CLASS", L"");
    }
    // A template number past the scanned ones is no command of the tab.
    EXPECT_EQ(-1, tab_->OnContextMenuCommand(nullptr, kCmdNoteTemplateFirst + 1));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, notes::kNotesStatesKey);
}

TEST_F(NotesTabTest, InkNotesOpenInTheOrganiserThatKeepsNotes) {
    s_.NotesPreviewNotesState.Set(0);
    s_.ProgramFiles.Set(L"\\Program Files");
    s_.PimSw.Set(1);
    tab_->Rescan();
    const auto from = devlog::LogSize();
    EXPECT_EQ(1, tab_->OpenItemOverride(Item(Root(L"Work\\minutes.pwi"))));
    // Pocket Informant, verb show, kind note, then the path.
    EXPECT_EQ("010000000000000003000000", Logged(from, "pimbridge", "copydata", "data").substr(0, 24));
    CloseWhenShown(L"PIM_BRIDGE_CLASS", L"");
}

TEST_F(NotesTabTest, SearchNarrowsByTheTabsMode) {
    const LetterGroups letters = {L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"};
    const struct {
        int mode;
        std::vector<int> keys;
        const wchar_t* want;
    } cases[] = {
        {0, {1}, L"Notes: groceries | Work: budget | "},   // a, b or c anywhere
        {0, {1, 9}, L"Notes: groceries | NotesTabTest: trip* | Work: budget minutes | "},
        {1, {1, 1}, L"Work: budget | "},                    // first letter "b"
        {1, {5}, L"Work: minutes | "},
    };
    for (const auto& c : cases) {
        s_.NotesSearchMode.Set(DWORD(c.mode));
        tab_->Rescan();
        tab_->Search(0, letters);
        for (int k : c.keys) tab_->Search(k, letters);
        EXPECT_EQ(c.want, Listing()) << c.mode << " " << c.keys.size();
    }
    tab_->Search(0, letters);
}

TEST_F(NotesTabTest, DeleteAndHideAskFirst) {
    const struct {
        int answer;
        bool hide;
        bool gone, hidden;
    } cases[] = {{IDNO, false, false, false}, {IDYES, false, true, false}, {IDNO, true, false, false},
                 {IDYES, true, false, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(Write(Root(L"groceries.txt"), "milk"));
        SetFileAttributesW(Root(L"groceries.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        tab_->Rescan();
        TNoteItem* item = Item(Root(L"groceries.txt"));
        ASSERT_NE(nullptr, item);
        CeSim_SetMessageBoxAnswer(c.answer);
        if (c.hide) tab_->HideNote(item);
        else tab_->DeleteNote(item);
        EXPECT_EQ(!c.gone, Exists(Root(L"groceries.txt"))) << c.answer << c.hide;
        const DWORD a = GetFileAttributesW(Root(L"groceries.txt").c_str());
        EXPECT_EQ(c.hidden, a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_HIDDEN) != 0);
        // What is gone or hidden is no longer listed.
        EXPECT_EQ(!c.gone && !c.hidden, Item(Root(L"groceries.txt")) != nullptr);
    }
}

TEST_F(NotesTabTest, RenameAndMoveFromTheTab) {
    tab_->Rescan();
    // Another name in place, then onto the card, then back under its first name.
    ASSERT_TRUE(tab_->MoveFileTo(Item(Root(L"groceries.txt")), kRoot, L"shopping"));
    EXPECT_FALSE(Exists(Root(L"groceries.txt")));
    ASSERT_TRUE(tab_->MoveFileTo(Item(Root(L"shopping.txt")), kCardFolder, L"shopping"));
    EXPECT_TRUE(Exists(std::wstring(kCardFolder) + L"\\shopping.txt"));
    EXPECT_TRUE(Item(std::wstring(kCardFolder) + L"\\shopping.txt")->row.onStorageCard);
    ASSERT_TRUE(tab_->MoveFileTo(Item(std::wstring(kCardFolder) + L"\\shopping.txt"), kRoot, L"groceries"));
    EXPECT_TRUE(Exists(Root(L"groceries.txt")));

    // Onto a taken name: No keeps both files as they were.
    ASSERT_TRUE(Write(Root(L"taken.txt"), "other"));
    tab_->Rescan();
    CeSim_SetMessageBoxAnswer(IDNO);
    EXPECT_FALSE(tab_->MoveFileTo(Item(Root(L"groceries.txt")), kRoot, L"taken"));
    EXPECT_TRUE(Exists(Root(L"groceries.txt")));
    // A name the file system cannot take is refused before anything moves.
    CeSim_SetMessageBoxAnswer(IDOK);
    EXPECT_FALSE(tab_->MoveFileTo(Item(Root(L"groceries.txt")), kRoot, L"a:b"));
    EXPECT_TRUE(Exists(Root(L"groceries.txt")));
    // The same name is no change at all, and never loses the file.
    EXPECT_TRUE(tab_->MoveFileTo(Item(Root(L"groceries.txt")), kRoot, L"groceries"));
    EXPECT_TRUE(Exists(Root(L"groceries.txt")));
}

TEST_F(NotesTabTest, CopiesGetANameOfTheirOwn) {
    tab_->Rescan();
    ASSERT_TRUE(tab_->CopyFileTo(Item(Root(L"groceries.txt")), kRoot));
    ASSERT_TRUE(tab_->CopyFileTo(Item(Root(L"groceries.txt")), kRoot));
    EXPECT_TRUE(Exists(Root(L"groceries (2).txt")));
    EXPECT_TRUE(Exists(Root(L"groceries (3).txt")));
    ASSERT_TRUE(tab_->CopyFileTo(Item(Root(L"groceries.txt")), kCardFolder));
    CeSim_SetMessageBoxAnswer(IDOK);
    EXPECT_FALSE(tab_->CopyFileTo(Item(Root(L"groceries.txt")), kCardFolder));  // never overwrites
}

TEST_F(NotesTabTest, MoveTargetsAreThePersonalFolderAndTheCards) {
    const auto targets = tab_->MoveTargets();
    ASSERT_FALSE(targets.empty());
    EXPECT_EQ(L"\\My Documents", targets.front());
    EXPECT_NE(targets.end(), std::find(targets.begin(), targets.end(), std::wstring(kRoot)));
    EXPECT_NE(targets.end(), std::find(targets.begin(), targets.end(), L"\\Storage Card"));
    EXPECT_NE(targets.end(), std::find(targets.begin(), targets.end(), std::wstring(kCardFolder)));

    // The rename dialog's locations: main memory, then each card by its name.
    tab_->Rescan();
    const auto where = tab_->LocationsFor(*Item(Root(L"groceries.txt")));
    ASSERT_EQ(2u, where.size());
    EXPECT_EQ(L"\\My Documents", where[0].root);
    EXPECT_EQ(0, where[0].data);
    EXPECT_EQ(L"Storage Card", where[1].title);
    EXPECT_EQ(L"\\Storage Card", where[1].root);
    EXPECT_EQ(2, where[1].data);
    CeSim_RemoveStorageCard(L"Storage Card");
    EXPECT_EQ(1u, tab_->LocationsFor(*Item(Root(L"groceries.txt"))).size());
}

TEST_F(NotesTabTest, PreviewIsCappedAndShownInTheNoteWindow) {
    std::string big(notes::kPreviewCap * 3, 'x');
    ASSERT_TRUE(Write(Root(L"big.txt"), big));
    const std::wstring text = PreviewText(Root(L"big.txt"));
    EXPECT_LE(text.size(), notes::kPreviewCap + 8);
    EXPECT_GE(text.size(), notes::kPreviewCap);
    EXPECT_EQ(L"milk\r\nbread", PreviewText(Root(L"groceries.txt")));
    EXPECT_EQ(L"", PreviewText(Root(L"none.txt")));

    RECT where = {10, 10, 210, 140};
    CNoteWindow& w = CNoteWindow::Instance();
    ASSERT_TRUE(w.Show(GetModuleHandleW(nullptr), nullptr, L"groceries", PreviewText(Root(L"groceries.txt")), where));
    HWND first = w.hwnd();
    EXPECT_EQ(L"milk\r\nbread", w.Text());
    // The same owner's next note reuses the window; another owner's replaces it.
    ASSERT_TRUE(w.Show(GetModuleHandleW(nullptr), nullptr, L"other", L"text", where));
    EXPECT_EQ(first, w.hwnd());
    EXPECT_EQ(L"text", w.Text());
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w.Show(GetModuleHandleW(nullptr), owner, L"third", L"more", where));
    EXPECT_FALSE(IsWindow(first));  // one note window at a time
    w.CloseFor(nullptr);
    EXPECT_NE(nullptr, w.hwnd());  // not that owner's
    w.CloseFor(owner);
    EXPECT_EQ(nullptr, w.hwnd());
    ASSERT_TRUE(w.Show(GetModuleHandleW(nullptr), owner, L"fourth", L"gone", where));
    DestroyWindow(owner);  // takes its popup with it
    EXPECT_EQ(nullptr, w.hwnd());
}

TEST_F(NotesTabTest, SearchBarUnderTheListNarrowsTheRows) {
    const wchar_t kAll[] = L"Notes: groceries | NotesTabTest: trip* | Work: budget minutes | ";
    const struct {
        DWORD barOn;
        const wchar_t* custom;
        bool wantBar;
    } cases[] = {
        {1, L"", true},
        {0, L"", false},
        // A stored custom alphabet that is no longer registered still gives a usable bar.
        {1, L"Gone", true},
    };
    for (const auto& c : cases) {
        s_.NotesActiveSearchBar.Set(c.barOn);
        s_.NotesCustomSearchBarSelected.Set(c.custom);
        env_.instance = GetModuleHandleW(nullptr);
        tab_.reset(new CNotesTab(&env_));
        HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        tab_->Initialize(3, L"", L"Notes", L"TestNotesTab", L"TestNotesCaption", 3, nullptr, nullptr, L"notes",
                         L"notes", 440);
        ASSERT_TRUE(tab_->Create(top, 0, 22, 240, 268, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
        tab_->Show(true);
        CSearchBar* bar = tab_->SearchBar();
        EXPECT_EQ(c.wantBar, bar != nullptr) << c.barOn;
        if (bar) {
            EXPECT_EQ(L"abc", bar->model().labels().keys[0]) << c.custom;
            RECT rc, tab;
            GetWindowRect(bar->hwnd(), &rc);
            GetWindowRect(tab_->MainWindow(), &tab);
            EXPECT_EQ(tab.bottom, rc.bottom);  // at the tab's foot, under the list
            EXPECT_EQ(CSearchBar::Height(), rc.bottom - rc.top);
            const HWND w = tab_->MainWindow();
            EXPECT_EQ(kAll, Listing());
            // Key sequence "12": a letter of "abc" followed by one of "def".
            SendMessageW(w, WM_SEARCHBAR_KEY, 1, LPARAM(L"abc"));
            EXPECT_EQ(L"Notes: groceries | Work: budget | ", Listing());
            SendMessageW(w, WM_SEARCHBAR_KEY, 2, LPARAM(L"def"));
            EXPECT_EQ(L"Notes: groceries | ", Listing());
            SendMessageW(w, WM_SEARCHBAR_KEY, 9, 0);
            EXPECT_EQ(L"Notes: groceries | Work: budget | ", Listing());
            SendMessageW(w, WM_SEARCHBAR_KEY, 0, 0);
            EXPECT_EQ(kAll, Listing());
        }
        tab_.reset();
        DestroyWindow(top);
    }
}

TEST_F(NotesTabTest, RenameDialogRenamesAndMovesOnOkOnly) {
    const std::wstring card = std::wstring(kCardFolder) + L"\\renamed.txt";
    auto name = [](const wchar_t* text) { return [text](HWND dlg) { SetDlgItemTextW(dlg, 1116, text); }; };
    auto press = [](int id) { return [id](HWND dlg) { PostMessageW(dlg, WM_COMMAND, WPARAM(id), 0); }; };
    // The card's location, then its folder of this test.
    auto onCard = [](HWND dlg) {
        SendDlgItemMessageW(dlg, 1118, CB_SETCURSEL, 1, 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(1118, CBN_SELCHANGE), LPARAM(GetDlgItem(dlg, 1118)));
        SendDlgItemMessageW(dlg, 1117, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"NotesTabTest"));
    };
    const struct {
        std::vector<DialogDriver::Step> steps;
        int answer;                // to the question whether to overwrite
        std::wstring there, gone;  // files after the dialog
    } cases[] = {
        {{name(L"renamed"), press(IDOK)}, IDNO, Root(L"renamed.txt"), Root(L"groceries.txt")},
        {{name(L"renamed"), press(IDCANCEL)}, IDNO, Root(L"groceries.txt"), Root(L"renamed.txt")},
        {{name(L"renamed"), onCard, press(IDOK)}, IDNO, card, Root(L"groceries.txt")},
        // A taken name answered No keeps the dialog open; Cancel then leaves both.
        {{name(L"taken"), press(IDOK), press(IDCANCEL)}, IDNO, Root(L"groceries.txt"), Root(L"renamed.txt")},
        {{name(L"taken"), press(IDOK)}, IDYES, Root(L"taken.txt"), Root(L"groceries.txt")},
    };
    env_.instance = GetModuleHandleW(nullptr);
    tab_.reset(new CNotesTab(&env_));
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    tab_->Initialize(3, L"", L"Notes", L"TestNotesTab", L"TestNotesCaption", 3, nullptr, nullptr, L"notes", L"notes",
                     440);
    ASSERT_TRUE(tab_->Create(top, 0, 22, 240, 268, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
    for (const auto& c : cases) {
        for (const std::wstring& f : {Root(L"renamed.txt"), card}) DeleteFileW(f.c_str());
        ASSERT_TRUE(Write(Root(L"groceries.txt"), "milk"));
        ASSERT_TRUE(Write(Root(L"taken.txt"), "other"));
        tab_->Rescan();
        CeSim_SetMessageBoxAnswer(c.answer);
        {
            // The dialog belongs to the tab's top-level window.
            DialogDriver driver(top, c.steps);
            EXPECT_EQ(0, tab_->OnContextMenuCommand(Item(Root(L"groceries.txt")), kCmdNoteRename));
            EXPECT_EQ(c.steps.size(), driver.ran());
        }
        EXPECT_TRUE(Exists(c.there)) << c.steps.size() << " " << c.answer;
        EXPECT_FALSE(Exists(c.gone)) << c.steps.size() << " " << c.answer;
        // The list follows the file.
        EXPECT_NE(nullptr, Item(c.there));
    }
    tab_.reset();
    DestroyWindow(top);
}

TEST_F(NotesTabTest, CaptionNamesTheGroupingAndTheFolder) {
    const struct {
        DWORD grouping;
        const wchar_t* folder;
        const wchar_t* wantGrouping;
        const wchar_t* wantFolder;
    } cases[] = {
        {0, L"", L"None", L"All"},
        {1, L"", L"Folder", L"All"},
        {2, L"Work", L"Date", L"Work"},
        {3, L"Work", L"Type", L"Work"},
        // A grouping of a later version lists by folder, and the caption says so.
        {7, L"", L"Folder", L"All"},
    };
    for (const auto& c : cases) {
        s_.NotesTabGrouping.Set(c.grouping);
        s_.NotesSelFolder.Set(c.folder);
        EXPECT_EQ(c.wantGrouping, tab_->GetGroupingCaption()) << c.grouping;
        EXPECT_EQ(c.wantFolder, tab_->GetCategoryCaption()) << c.folder;
    }
}

// The checked entries' ids of a menu and its sub-menus.
std::vector<UINT> Checked(HMENU menu) {
    std::vector<UINT> out;
    for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
        if (HMENU sub = GetSubMenu(menu, pos)) {
            for (UINT id : Checked(sub)) out.push_back(id);
        } else if (GetMenuState(menu, UINT(pos), MF_BYPOSITION) & MF_CHECKED) {
            out.push_back(GetMenuItemID(menu, pos));
        }
    }
    return out;
}

TEST_F(NotesTabTest, CaptionCommandsStoreTheChoiceAndRescan) {
    s_.DisplayOnNotesTab.Set(5);
    tab_->Rescan();
    raii::Menu selector(CreatePopupMenu());
    tab_->FillCategoryMenu(selector.get());
    // All folders, then the scanned ones: the card's folder before Work.
    std::vector<std::wstring> offered;
    for (int pos = 0; pos < GetMenuItemCount(selector.get()); ++pos) {
        wchar_t text[64] = {};
        GetMenuStringW(selector.get(), UINT(pos), text, 64, MF_BYPOSITION);
        offered.push_back(text);
    }
    ASSERT_GE(offered.size(), 3u);
    EXPECT_EQ(L"All folders", offered[0]);
    const auto work = std::find(offered.begin(), offered.end(), L"Work");
    ASSERT_NE(offered.end(), work);
    EXPECT_NE(offered.end(), std::find(offered.begin() + 1, work, L"NotesTabTest"));
    const UINT kWork = GetMenuItemID(selector.get(), int(work - offered.begin()));
    EXPECT_EQ(tab_->MenuFolders().size() + 1, offered.size());
    const struct {
        UINT command;
        const wchar_t* want;  // the listing after it
        const wchar_t* grouping;
        const wchar_t* folder;
    } steps[] = {
        {kWork, L"Work: budget minutes | ", L"Folder", L"Work"},
        {kCmdNotesGroupFirst + 3, L"Ink notes: minutes | Workbooks: budget | ", L"Type", L"Work"},
        {kCmdNotesGroupsDown, L"Workbooks: budget | Ink notes: minutes | ", L"Type", L"Work"},
        {kCmdNotesAllFolders, L"Workbooks: budget | Documents: trip* | Text files: groceries | Ink notes: minutes | ",
         L"Type", L"All"},
        {kCmdNotesGroupFirst + 1, L"Work: budget minutes | NotesTabTest: trip* | Notes: groceries | ", L"Folder",
         L"All"},
        {kCmdNotesSortDown, L"Work: minutes budget | NotesTabTest: trip* | Notes: groceries | ", L"Folder",
         L"All"},
        // Back to the defaults, which leaves nothing stored.
        {kCmdNotesSortUp, L"Work: budget minutes | NotesTabTest: trip* | Notes: groceries | ", L"Folder",
         L"All"},
        {kCmdNotesGroupsUp, L"Notes: groceries | NotesTabTest: trip* | Work: budget minutes | ", L"Folder",
         L"All"},
    };
    for (const auto& st : steps) {
        EXPECT_EQ(0, tab_->OnContextMenuCommand(nullptr, st.command)) << st.command;
        EXPECT_EQ(st.want, Listing()) << st.command;
        EXPECT_EQ(st.grouping, tab_->GetGroupingCaption()) << st.command;
        EXPECT_EQ(st.folder, tab_->GetCategoryCaption()) << st.command;
    }
    // The stored settings follow, and the tab menu's grouping entries show them.
    tab_->OnContextMenuCommand(nullptr, kCmdNotesGroupFirst + 2);
    tab_->OnContextMenuCommand(nullptr, kCmdNotesShowFirst + 1);
    tab_->OnContextMenuCommand(nullptr, kCmdNotesSearchLetters);
    EXPECT_EQ(2u, s_.NotesTabGrouping.value());
    EXPECT_EQ(5u ^ 2u, s_.DisplayOnNotesTab.value());
    EXPECT_EQ(1u, s_.NotesSearchMode.value());
    raii::Menu m(LoadMenuW(lang_.get(), MAKEINTRESOURCEW(tab_->GetMenuId())));
    ASSERT_TRUE(m);
    HMENU grouping = tab_->PrepareGroupingMenu(GetSubMenu(m.get(), 0));
    ASSERT_NE(nullptr, grouping);
    EXPECT_EQ(kCmdNotesGroupFirst, GetMenuItemID(grouping, 0));
    const std::vector<UINT> want = {kCmdNotesGroupFirst + 2, kCmdNotesGroupsUp,      kCmdNotesSortFirst,
                                    kCmdNotesSortUp,         kCmdNotesShowFirst,     kCmdNotesShowFirst + 1,
                                    kCmdNotesShowFirst + 2,  kCmdNotesSearchLetters, kCmdNotesAllFolders};
    EXPECT_EQ(want, Checked(grouping));
    // A folder entry that was never offered changes nothing.
    EXPECT_EQ(-1, tab_->OnContextMenuCommand(nullptr, kCmdNotesAllFolders + 50));
    for (UINT back : {kCmdNotesGroupFirst + 1u, kCmdNotesShowFirst + 1u, unsigned(kCmdNotesSearchKeys)})
        tab_->OnContextMenuCommand(nullptr, back);
    EXPECT_EQ(5u, s_.DisplayOnNotesTab.value());
}

TEST(NotesSearchAlphabet, StoredTypeOrLatin) {
    const struct {
        uint32_t stored;
        const wchar_t* custom;
        int want;
    } cases[] = {
        {kAlphabetCyrillic, L"", kAlphabetCyrillic},
        {kAlphabetSkinned, L"", kAlphabetSkinned},
        {kAlphabetCustom, L"Runes", kAlphabetCustom},
        // A named custom alphabet outlives a type stored before it was chosen.
        {kAlphabetLatin, L"Runes", kAlphabetCustom},
        // Custom without a name, no labels at all, or a type of a later version.
        {kAlphabetCustom, L"", kAlphabetLatin},
        {kAlphabetNone, L"", kAlphabetLatin},
        {7, L"", kAlphabetLatin},
        {0xFFFFFFFFu, L"", kAlphabetLatin},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, NotesSearchAlphabet(c.stored, c.custom)) << c.stored << c.custom;
}

// The tab with its alphabet choice reachable, as the bar's menu makes it.
class ChoosingNotesTab : public CNotesTab {
public:
    using CNotesTab::CNotesTab;
    using CNotesTab::OnAlphabetChosen;
};

TEST_F(NotesTabTest, AlphabetChoiceIsStoredAndReadAtStart) {
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    // Each round stores a value first (0: none, the last round's choice stays),
    // starts a tab on settings read afresh, and then chooses Cyrillic in it.
    const struct {
        DWORD stored;
        int want;
    } rounds[] = {{kAlphabetGreek, kAlphabetGreek}, {0, kAlphabetCyrillic}, {9, kAlphabetLatin}};
    for (const auto& r : rounds) {
        raii::Library unused;
        if (r.stored) {
            CSettings before;
            before.Load(&unused);
            before.NotesSearchBarAlphabet.Set(r.stored);
            ASSERT_TRUE(before.NotesSearchBarAlphabet.Write());
        }
        CSettings loaded;
        loaded.Load(&unused);
        loaded.NotesActiveSearchBar.Set(1);
        ShellEnv env = env_;
        env.settings = &loaded;
        env.instance = GetModuleHandleW(nullptr);
        ChoosingNotesTab tab(&env);
        tab.Initialize(3, L"", L"Notes", L"TestNotesTab", L"TestNotesCaption", 3, nullptr, nullptr, L"notes", L"notes",
                       440);
        ASSERT_TRUE(tab.Create(top, 0, 22, 240, 268, 0, 0, 140, 20, GetModuleHandleW(nullptr)));
        tab.Show(true);
        ASSERT_NE(nullptr, tab.SearchBar());
        EXPECT_EQ(r.want, tab.SearchBar()->type()) << r.stored;
        tab.OnAlphabetChosen(kAlphabetCyrillic, L"");
    }
    DestroyWindow(top);
    // Back to the default, which removes the stored value.
    raii::Library unused;
    CSettings after;
    after.Load(&unused);
    after.NotesSearchBarAlphabet.Set(kAlphabetLatin);
    after.NotesSearchBarAlphabet.Write();
}

}  // namespace
}  // namespace daybrim
