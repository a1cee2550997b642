// The settings dialog and the file chooser in this process over the device's
// registry, driven through their messages as the pen and soft keys would (see
// settings_script.h).
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "cesim_shell.h"
#include "devicelog.h"
#include "raii.h"
#include "screenshot.h"
#include "settings_chooser.h"
#include "settings_dialog.h"
#include "settings_script.h"
#include "settings_ui.h"

using namespace tallyra;
using tltest::Script;

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Tallyra";


std::wstring Text(HWND h) {
    wchar_t buf[300] = {};
    GetWindowTextW(h, buf, 300);
    return buf;
}

std::wstring RowText(HWND list, int row) {
    wchar_t buf[300] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = buf;
    item.cchTextMax = 300;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}

std::vector<std::wstring> Rows(HWND list) {
    std::vector<std::wstring> out;
    const int n = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) out.push_back(RowText(list, i));
    return out;
}

// Selects a row and activates it, as a tap on a selected row does.
void ActivateRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    NMITEMACTIVATE nm = {};
    nm.hdr.hwndFrom = list;
    nm.hdr.idFrom = UINT_PTR(GetDlgCtrlID(list));
    nm.hdr.code = LVN_ITEMACTIVATE;
    nm.iItem = row;
    SendMessageW(GetParent(list), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void Pick(HWND combo, int index, bool post = false) {
    SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
    const WPARAM wp = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE);
    if (post)
        PostMessageW(GetParent(combo), WM_COMMAND, wp, reinterpret_cast<LPARAM>(combo));
    else
        SendMessageW(GetParent(combo), WM_COMMAND, wp, reinterpret_cast<LPARAM>(combo));
}

std::vector<DWORD> ComboData(HWND combo) {
    std::vector<DWORD> out;
    const int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) out.push_back(DWORD(SendMessageW(combo, CB_GETITEMDATA, WPARAM(i), 0)));
    return out;
}

int Selection(HWND combo) { return int(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
void SoftKey(HWND owner, int id) { SendMessageW(owner, WM_COMMAND, WPARAM(id), 0); }
HWND Page(HWND dlg, const wchar_t* cls) { return FindWindowExW(dlg, nullptr, cls, nullptr); }

std::wstring Key(const wchar_t* sub) { return std::wstring(kRoot) + L"\\" + sub; }

void SetDword(const wchar_t* sub, const wchar_t* name, DWORD v) {
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, Key(sub).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr));
    RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

// The value's bytes, or "<absent>".
std::wstring Value(const wchar_t* sub, const wchar_t* name) {
    raii::Key k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key(sub).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return L"<absent>";
    BYTE buf[600] = {};
    DWORD size = sizeof buf - 2, type = 0;
    if (RegQueryValueExW(k.get(), name, nullptr, &type, buf, &size) != ERROR_SUCCESS) return L"<absent>";
    if (type == REG_DWORD) return std::to_wstring(*reinterpret_cast<DWORD*>(buf));
    return reinterpret_cast<wchar_t*>(buf);
}

DWORD ValueCount(const wchar_t* sub) {
    raii::Key k;
    DWORD n = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key(sub).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr,
                     nullptr);
    return n;
}

struct Box {
    std::string caption, text;
    long long flags, answer;
};

std::vector<Box> BoxesSince(unsigned long long from) {
    std::vector<Box> out;
    for (const auto& line : devlog::ReadLog(from)) {
        const devlog::Field* source = devlog::Find(line, "source");
        if (!source || source->text != "messagebox") continue;
        auto text = [&](const char* n) {
            const devlog::Field* f = devlog::Find(line, n);
            return f ? f->text : std::string();
        };
        out.push_back({text("caption"), text("text"), std::stoll("0" + text("flags")), std::stoll("0" + text("answer"))});
    }
    return out;
}

void MakeFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

void MakeFile(const std::wstring& path) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

// Folders and files a test made on the device, removed when it ends.
struct Made {
    std::vector<std::wstring> folders, files;
    ~Made() {
        for (const auto& f : files) DeleteFileW(f.c_str());
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
    }
    void Folder(const wchar_t* path) {
        MakeFolder(path);
        folders.push_back(path);
    }
    void File(const wchar_t* path) {
        MakeFile(path);
        files.push_back(path);
    }
};

// Settings in memory that refuse every write while `refuse` is set, as a registry
// that is full or locked does.
class RefusingStore : public MemorySettingStore {
public:
    bool refuse = true;
    bool WriteNumber(int key, const CeString& name, uint32_t value) override {
        return !refuse && MemorySettingStore::WriteNumber(key, name, value);
    }
    bool WriteString(int key, const CeString& name, const CeString& value) override {
        return !refuse && MemorySettingStore::WriteString(key, name, value);
    }
    bool Delete(int key, const CeString& name) override { return !refuse && MemorySettingStore::Delete(key, name); }
};

class SettingsDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Device programs run at the device root; the settings' paths are rooted there.
        SetCurrentDirectoryW(L"D:\\");
        App& app = TheApp();
        app.instance = GetModuleHandleW(nullptr);
        raii::WindowDC dc(nullptr);
        app.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
        app.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }

    void SetUp() override {
        for (const wchar_t* sub : {L"General", L"Layout", L"Tweak"}) SHDeleteKeyW(HKEY_CURRENT_USER, Key(sub).c_str());
        Reload();
        CeSim_SetMessageBoxAnswer(IDYES);
    }
    void TearDown() override {
        TheApp().store.reset();  // back to the registry
        CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE);
        for (const wchar_t* sub : {L"General", L"Layout", L"Tweak"}) SHDeleteKeyW(HKEY_CURRENT_USER, Key(sub).c_str());
    }

    // As the finder starts: settings, then the libraries they name.
    static void Reload() {
        App& app = TheApp();
        app.LoadSettings();
        ASSERT_TRUE(app.LoadLanguage()) << "TLEngRc.dll is not on the device";
        ASSERT_TRUE(app.LoadResolutionLibrary()) << "the resolution library is not on the device";
    }

    static bool RunDialog(std::vector<Script::Step> steps) {
        Script script(std::move(steps));
        const bool ok = RunSettingsDialog(nullptr);
        EXPECT_TRUE(script.Finished());
        return ok;
    }

    HWND dlg_ = nullptr;
    Script::Step FindDialog() {
        return [this] {
            dlg_ = FindWindowW(L"#32770", L"Settings");
            return dlg_ != nullptr;
        };
    }
    HWND List() const { return GetDlgItem(dlg_, kIdPageList); }
};

}  // namespace

TEST_F(SettingsDialog, FontSizeBackToTwelveDeletesTheValueAndWritesNothingElse) {
    SetDword(L"Layout", L"FontSize", 14);
    Reload();
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            EXPECT_EQ((std::vector<std::wstring>{L"General", L"Layout", L"Tweaks"}), Rows(List()));
            ActivateRow(List(), 1);
            HWND page = Page(dlg_, L"LayoutSettingsWin");
            EXPECT_TRUE(page != nullptr);
            EXPECT_EQ(L"Layout", Text(dlg_));
            EXPECT_FALSE(IsWindowVisible(List()));
            HWND size = GetDlgItem(page, kIdFontSize);
            EXPECT_EQ(17u, ComboData(size).size());
            EXPECT_EQ(6, Selection(size));  // 14
            EXPECT_EQ(L"14", [&] {
                wchar_t buf[8] = {};
                SendMessageW(size, CB_GETLBTEXT, 6, reinterpret_cast<LPARAM>(buf));
                return std::wstring(buf);
            }());
            Pick(size, 4);
            SoftKey(page, 1);  // Done: back to the list
            EXPECT_FALSE(IsWindow(page));
            EXPECT_EQ(L"Settings", Text(dlg_));
            EXPECT_TRUE(IsWindowVisible(List()));
            SoftKey(dlg_, IDOK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(L"<absent>", Value(L"Layout", L"FontSize"));
    EXPECT_EQ(0u, ValueCount(L"Layout"));
    EXPECT_EQ(0u, ValueCount(L"General"));
    EXPECT_EQ(0u, ValueCount(L"Tweak"));
}

TEST_F(SettingsDialog, GeneralAndTweaksReachTheRegistryWithAChosenSkinFolder) {
    Made made;
    made.Folder(L"\\SettingsTest");
    made.Folder(L"\\SettingsTest\\Skins");
    made.Folder(L"\\SettingsTest\\Skins\\Blue");
    HWND page = nullptr;
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            ActivateRow(List(), 0);
            page = Page(dlg_, L"GeneralSettingsWin");
            EXPECT_TRUE(page != nullptr);
            HWND alphabet = GetDlgItem(page, kIdAlphabet);
            EXPECT_EQ((std::vector<DWORD>{1, 2, 4, 8, 4096}), ComboData(alphabet));
            EXPECT_EQ(0, Selection(alphabet));
            Pick(alphabet, 3);  // Greek
            EXPECT_EQ(2, Selection(GetDlgItem(page, kIdKeyboardMode)));
            Pick(GetDlgItem(page, kIdKeyboardMode), 0);
            Pick(GetDlgItem(page, kIdPostOperation), 3);
            // Typed without its backslash; the chooser starts there.
            SetWindowTextW(GetDlgItem(page, kIdSkinFolder), L"\\SettingsTest\\Skins");
            PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdSkinBrowse, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, kIdSkinBrowse)));
            return true;
        },
        [&] {
            HWND chooser = FindWindowW(L"#32770", L"Skin folder");
            if (!chooser) return false;
            HWND list = GetDlgItem(chooser, kIdChooserList);
            EXPECT_EQ(L"\\SettingsTest\\Skins\\", Text(GetDlgItem(chooser, kIdChooserFolder)));
            EXPECT_EQ((std::vector<std::wstring>{L"..\\", L"Blue\\"}), Rows(list));
            EXPECT_EQ(nullptr, GetDlgItem(chooser, kIdChooserName));  // no file name for a folder
            ActivateRow(list, 1);
            EXPECT_EQ(L"\\SettingsTest\\Skins\\Blue\\", Text(GetDlgItem(chooser, kIdChooserFolder)));
            EXPECT_EQ((std::vector<std::wstring>{L"..\\"}), Rows(list));
            SoftKey(chooser, 1);  // Select
            return true;
        },
        [&] {
            if (FindWindowW(L"#32770", L"Skin folder")) return false;
            EXPECT_EQ(L"\\SettingsTest\\Skins\\Blue\\", Text(GetDlgItem(page, kIdSkinFolder)));
            SoftKey(page, 1);
            ActivateRow(List(), 2);
            page = Page(dlg_, L"TweaksSettingsWin");
            EXPECT_TRUE(page != nullptr);
            for (int i = 0; i < 7; ++i) EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(page, kIdFirstTweak + i), BM_GETCHECK, 0, 0));
            EXPECT_EQ(L"Search appointment notes", Text(GetDlgItem(page, kIdFirstTweak + 2)));
            SendMessageW(GetDlgItem(page, kIdFirstTweak + 2), BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessageW(GetDlgItem(page, kIdFirstTweak + 6), BM_SETCHECK, BST_UNCHECKED, 0);
            // OK with the page still open stores it first.
            SoftKey(dlg_, IDOK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(L"8", Value(L"General", L"KeyboardAlphabet"));
    EXPECT_EQ(L"0", Value(L"General", L"KeyboardMode"));
    EXPECT_EQ(L"3", Value(L"General", L"PostOperationBehavior"));
    EXPECT_EQ(L"\\SettingsTest\\Skins\\Blue\\", Value(L"General", L"SkinPath"));
    EXPECT_EQ(L"<absent>", Value(L"General", L"ActiveAlphabetsMask"));
    EXPECT_EQ(L"0", Value(L"Tweak", L"SeekApptNote"));
    EXPECT_EQ(L"0", Value(L"Tweak", L"InsertTxtMsgMenu"));
    EXPECT_EQ(2u, ValueCount(L"Tweak"));
}

TEST_F(SettingsDialog, CancelAsksAndWritesNothing) {
    HWND page = nullptr;
    unsigned long long from = 0;
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            ActivateRow(List(), 1);
            page = Page(dlg_, L"LayoutSettingsWin");
            Pick(GetDlgItem(page, kIdFontSize), 10);
            Pick(GetDlgItem(page, kIdContactLayout), 2);
            SoftKey(page, 1);
            from = devlog::LogSize();
            CeSim_SetMessageBoxAnswer(IDNO);
            SoftKey(dlg_, IDCANCEL);
            EXPECT_TRUE(IsWindowVisible(dlg_)) << "No keeps the dialog";
            CeSim_SetMessageBoxAnswer(IDYES);
            SoftKey(dlg_, IDCANCEL);
            return true;
        },
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(0u, ValueCount(L"Layout"));
    const auto boxes = BoxesSince(from);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Settings", boxes[0].caption);
    EXPECT_EQ("Leave the settings without saving?", boxes[0].text);
    EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, boxes[0].flags);
    EXPECT_EQ(IDNO, boxes[0].answer);
    EXPECT_EQ(IDYES, boxes[1].answer);
}

TEST_F(SettingsDialog, ARefusedSaveIsReportedAndTheDialogKeepsTheChanges) {
    auto owned = std::make_unique<RefusingStore>();
    RefusingStore& store = *owned;
    TheApp().store = std::move(owned);
    TheApp().LoadSettings();
    const uint32_t before = TheApp().settings.FontSize.Get();
    unsigned long long from = 0;
    bool keptOpen = false;
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            ActivateRow(List(), 1);
            Pick(GetDlgItem(Page(dlg_, L"LayoutSettingsWin"), kIdFontSize), 10);
            SoftKey(Page(dlg_, L"LayoutSettingsWin"), 1);
            from = devlog::LogSize();
            SoftKey(dlg_, IDOK);
            keptOpen = IsWindowVisible(dlg_) != FALSE;
            store.refuse = false;
            SoftKey(dlg_, IDOK);  // the same changes, saved this time
            return true;
        },
    });
    EXPECT_TRUE(keptOpen) << "a refused save ended the dialog";
    EXPECT_TRUE(ok);
    const auto boxes = BoxesSince(from);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Settings", boxes[0].caption);
    EXPECT_EQ("The settings could not be saved.", boxes[0].text);
    EXPECT_EQ(MB_OK | MB_ICONEXCLAMATION, boxes[0].flags);
    uint32_t saved = 0;
    EXPECT_TRUE(store.ReadNumber(TheApp().settings.FontSize.key(), L"FontSize", &saved));
    EXPECT_NE(before, saved);
    EXPECT_EQ(TheApp().settings.FontSize.Get(), saved);
}

TEST_F(SettingsDialog, AvailableAlphabetsAndValuesThePagesCannotShow) {
    SetDword(L"General", L"ActiveAlphabetsMask", 3);
    SetDword(L"General", L"KeyboardAlphabet", 2);
    SetDword(L"Layout", L"TitleFormat", 2);
    Reload();
    HWND page = nullptr, alphabet = nullptr;
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            ActivateRow(List(), 0);
            page = Page(dlg_, L"GeneralSettingsWin");
            alphabet = GetDlgItem(page, kIdAlphabet);
            EXPECT_EQ((std::vector<DWORD>{1, 2, 4096}), ComboData(alphabet));
            EXPECT_EQ(1, Selection(alphabet));
            Pick(alphabet, 2, true);  // opens the list of alphabets
            return true;
        },
        [&] {
            HWND box = FindWindowW(L"#32770", L"Available alphabets");
            if (!box) return false;
            auto check = [&](int i) { return GetDlgItem(box, kIdFirstAlphabetCheck + i); };
            EXPECT_FALSE(IsWindowEnabled(check(0)));
            const LRESULT expected[4] = {BST_CHECKED, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED};
            for (int i = 0; i < 4; ++i) EXPECT_EQ(expected[i], SendMessageW(check(i), BM_GETCHECK, 0, 0)) << i;
            SendMessageW(check(1), BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessageW(check(3), BM_SETCHECK, BST_CHECKED, 0);
            SoftKey(box, 1);
            return true;
        },
        [&] {
            if (FindWindowW(L"#32770", L"Available alphabets")) return false;
            // Cyrillic is off now: Latin is shown, never the list item.
            EXPECT_EQ((std::vector<DWORD>{1, 8, 4096}), ComboData(alphabet));
            EXPECT_EQ(0, Selection(alphabet));
            SoftKey(page, 1);
            ActivateRow(List(), 1);
            page = Page(dlg_, L"LayoutSettingsWin");
            EXPECT_EQ(-1, Selection(GetDlgItem(page, kIdTitleFormat)));
            EXPECT_EQ(1u, ComboData(GetDlgItem(page, kIdTitleFormat)).size());
            SoftKey(page, 1);
            // A page closed with its Cancel key keeps nothing.
            ActivateRow(List(), 2);
            page = Page(dlg_, L"TweaksSettingsWin");
            SendMessageW(GetDlgItem(page, kIdFirstTweak), BM_SETCHECK, BST_UNCHECKED, 0);
            SoftKey(page, 2);
            SoftKey(dlg_, IDOK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(L"9", Value(L"General", L"ActiveAlphabetsMask"));
    EXPECT_EQ(L"<absent>", Value(L"General", L"KeyboardAlphabet"));  // Latin is the default
    EXPECT_EQ(L"2", Value(L"Layout", L"TitleFormat"));
    EXPECT_EQ(0u, ValueCount(L"Tweak"));
}

TEST_F(SettingsDialog, FileChooserRefusesMissingAndEscapingNamesAndBuildsThePath) {
    Made made;
    made.Folder(L"\\ChooserTest");
    made.Folder(L"\\ChooserTest\\beta");
    made.Folder(L"\\ChooserTest\\Alpha");
    made.File(L"\\ChooserTest\\notes.txt");
    unsigned long long from = devlog::LogSize();
    CeString result;
    bool ok = false;
    {
        Script script({
            [&] {
                HWND w = FindWindowW(L"#32770", L"Save File");
                if (!w) return false;
                HWND list = GetDlgItem(w, kIdChooserList), name = GetDlgItem(w, kIdChooserName);
                EXPECT_EQ((std::vector<std::wstring>{L"..\\", L"Alpha\\", L"beta\\", L"notes.txt"}), Rows(list));
                EXPECT_EQ(L"txt", Text(GetDlgItem(w, kIdChooserExtension)));
                today::Pixels px;
                CreateDirectoryW(SNAP_DIR, nullptr);
                if (today::CaptureScreen(&px)) today::SavePng(px, std::wstring(SNAP_DIR) + L"/chooser-save.png");
                SoftKey(w, 1);
                SetWindowTextW(name, L"..\\escape");
                SoftKey(w, 1);
                EXPECT_TRUE(IsWindowVisible(w)) << "a refused name keeps the chooser open";
                ActivateRow(list, 3);
                EXPECT_EQ(L"notes", Text(name));
                SetWindowTextW(name, L"list");
                SoftKey(w, 1);
                return true;
            },
        });
        ok = RunFileChooser(nullptr, ChooserMode::kSave, CeString(), L"\\ChooserTest", L"txt", &result);
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::wstring(L"\\ChooserTest\\list.txt"), result.c_str());
    const auto boxes = BoxesSince(from);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("File Name Error", boxes[0].caption);
    EXPECT_EQ("File name value is missing", boxes[0].text);
    EXPECT_EQ("File Name Error", boxes[1].caption);
    EXPECT_EQ("File name include illegal characters", boxes[1].text);
}

// The list and the General page on the small screen, for the eye (settings_snaps/ in
// the build folder); checked only for what must be there: the pages' icons and a
// page that fills the dialog above its tab strip.
TEST_F(SettingsDialog, ScreenshotsOfTheListAndTheGeneralPage) {
    CreateDirectoryW(SNAP_DIR, nullptr);
    today::Pixels list, general;
    const bool ok = RunDialog({
        FindDialog(),
        [&] {
            // Checked on the dialog's own pixels, saved as the whole screen shows them.
            today::Pixels screen;
            EXPECT_TRUE(today::CaptureWindow(dlg_, &list));
            EXPECT_TRUE(today::CaptureScreen(&screen));
            EXPECT_TRUE(today::SavePng(screen, std::wstring(SNAP_DIR) + L"/settings-list.png"));
            ActivateRow(List(), 0);
            EXPECT_TRUE(today::CaptureWindow(dlg_, &general));
            EXPECT_TRUE(today::CaptureScreen(&screen));
            EXPECT_TRUE(today::SavePng(screen, std::wstring(SNAP_DIR) + L"/settings-general.png"));
            SoftKey(dlg_, IDOK);
            return true;
        },
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(240, list.width);
    // The icons sit left of the texts; their key colour never shows.
    int coloured = 0, key = 0;
    for (int y = 0; y < list.height / 2; ++y)
        for (int x = 0; x < 20; ++x) {
            coloured += list.At(x, y) != RGB(255, 255, 255);
            key += list.At(x, y) == RGB(0, 255, 0);
        }
    EXPECT_GT(coloured, 100) << "no page icons";
    EXPECT_EQ(0, key);
    EXPECT_NE(list.rgb, general.rgb);
}
