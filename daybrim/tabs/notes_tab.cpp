#include "notes_tab.h"

#include <windowsx.h>

#include <algorithm>

#include "inkx.h"
#include "item_painter.h"
#include "launchers.h"
#include "locale_text.h"
#include "notes_dialog.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "tab_codes.h"

namespace daybrim {

namespace {

const wchar_t kFoldersKey[] = L"Software\\Olvane\\Daybrim\\Notes\\Folders";
const wchar_t kListKey[] = L"Software\\Olvane\\Pinlist";

int Setting(const ShellEnv* env, CNumericSetting CSettings::*member, int fallback) {
    return env && env->settings ? int((env->settings->*member).value()) : fallback;
}

std::wstring RegString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& fallback) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key)) return fallback;
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    const LONG r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
    buf[std::min<DWORD>(size / sizeof(wchar_t), MAX_PATH)] = 0;
    return buf;
}

// The configured folders; a device that never configured any gets the personal folder.
std::vector<std::wstring> ConfiguredFolders() {
    std::vector<std::wstring> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kFoldersKey, 0, KEY_QUERY_VALUE, &key)) {
        out.push_back(notes::PersonalFolder());
        return out;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], data[MAX_PATH + 1];
        DWORD nameLen = 256, size = sizeof data - sizeof(wchar_t), type = 0;
        const LONG r = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        data[std::min<DWORD>(size / sizeof(wchar_t), MAX_PATH)] = 0;
        std::wstring folder = data;
        while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
        if (!folder.empty()) out.push_back(folder);
    }
    RegCloseKey(key);
    return out;
}

// A folder and its direct sub-folders, the folder itself a root.
void ScanTree(const std::wstring& folder, unsigned wanted, std::vector<notes::ScannedFile>* out,
              std::vector<std::wstring>* templates) {
    auto add = [&](const std::wstring& f, bool root) {
        auto files = notes::ScanFolder(f, wanted, root, templates);
        out->insert(out->end(), files.begin(), files.end());
    };
    add(folder, true);
    for (const std::wstring& sub : notes::SubFolders(folder)) add(folder + L"\\" + sub, false);
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() && path[folder.size()] == L'\\' &&
           notes::SamePath(path.substr(0, folder.size()), folder);
}

std::wstring AnsiToWide(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), &out[0], n);
    return out;
}

void Check(HMENU menu, UINT id, bool on) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace

// --- note window ---------------------------------------------------------------------

std::wstring PreviewText(const std::wstring& path) {
    std::string bytes;
    bool truncated = false;
    if (!notes::ReadCapped(path, notes::kPreviewCap, &bytes, &truncated)) return std::wstring();
    std::wstring text = AnsiToWide(bytes);
    if (truncated) text += L"\r\n...";
    return text;
}

// --- the tab -----------------------------------------------------------------------------

CNotesTab::CNotesTab(const ShellEnv* env) : CTabWithSearchPanel(env) {}

CNotesTab::~CNotesTab() {
    CNoteWindow::Instance().CloseFor(main_);
    Destroy();
}

DWORD CNotesTab::GetType() { return TAB_TYPE_NOTES; }

std::wstring CNotesTab::Text(unsigned id) const { return LibraryTexts(env_->lang).String(id); }

NotesOptions CNotesTab::OptionsFromSettings() const {
    NotesOptions o;
    o.grouping = Setting(env_, &CSettings::NotesTabGrouping, 1);
    o.groupDirection = Setting(env_, &CSettings::NotesGroupingDirctn, 1) < 0 ? -1 : 1;
    o.sort = Setting(env_, &CSettings::NotesTab1Sort, 0);
    o.sortDirection = Setting(env_, &CSettings::NotesTab1SortDirect, 1) < 0 ? -1 : 1;
    o.foldedByDefault = Setting(env_, &CSettings::NotesFoldingDflt, 0) == 1;
    if (env_->settings) o.selFolder = env_->settings->NotesSelFolder.value();
    o.today = DeviceToday();
    return o;
}

std::vector<notes::ScannedFile> CNotesTab::ScanAll() {
    templates_.clear();
    std::vector<notes::ScannedFile> files;
    const unsigned types = unsigned(Setting(env_, &CSettings::NotesScannedFileTypes, notes::kAllTypes));
    const unsigned wanted = types & notes::kAllTypes & ~unsigned(notes::kList);
    if (wanted) {
        for (const std::wstring& folder : ConfiguredFolders()) ScanTree(folder, wanted, &files, &templates_);
        for (const std::wstring& card : notes::StorageCardRoots()) ScanTree(card, wanted, &files, &templates_);
    }
    if (types & notes::kList) {
        // The list program's folder, only while its library is installed.
        const std::wstring lists = RegString(HKEY_CURRENT_USER, kListKey, L"ListsPath", L"");
        const std::wstring utils = RegString(HKEY_CURRENT_USER, kListKey, L"PinlistUtilsPath",
                                             L"\\Program Files\\Olvane\\Pinlist\\PinlistUtils.dll");
        if (!lists.empty()) {
            const notes::ListLibrary lib(utils);
            if (lib.usable()) {
                const size_t first = files.size();
                ScanTree(lists, notes::kList, &files, nullptr);
                for (size_t i = first; i < files.size(); ++i) files[i].completion = lib.Completion(files[i].path);
            }
        }
    }
    // A template in several folders is offered once, where it was first found.
    std::vector<std::wstring> unique;
    for (const std::wstring& t : templates_)
        if (std::none_of(unique.begin(), unique.end(), [&](const std::wstring& u) { return notes::SamePath(u, t); }))
            unique.push_back(t);
    templates_.swap(unique);
    // A folder configured twice, or a card inside a configured folder, lists its files once.
    std::sort(files.begin(), files.end(), [](const notes::ScannedFile& a, const notes::ScannedFile& b) {
        return NoteIdOf(a.path) < NoteIdOf(b.path);
    });
    files.erase(std::unique(files.begin(), files.end(),
                            [](const notes::ScannedFile& a, const notes::ScannedFile& b) {
                                return notes::SamePath(a.path, b.path);
                            }),
                files.end());
    return files;
}

void CNotesTab::Rescan() {
    Scan();
    if (main_) Rebuild(true);
}

void CNotesTab::Scan() {
    const std::set<uint32_t> folded = model_.FoldedKeys();
    model_.Build(ScanAll(), OptionsFromSettings(), LibraryTexts(env_->lang), scanned_ ? &folded : nullptr);
    scanned_ = true;
    const std::vector<std::wstring> cards = notes::StorageCardRoots();
    for (TItem* g = model_.groups().head(); g; g = g->next())
        for (TChildItem* c : static_cast<TItemWithList*>(g)->children()) {
            TNoteItem* n = static_cast<TNoteItem*>(c);
            for (const std::wstring& card : cards)
                if (StartsWithFolder(n->file.path, card)) n->row.onStorageCard = true;
        }
}

void CNotesTab::Search(int key, const LetterGroups& letters) {
    if (!scanned_) Scan();
    const int mode = Setting(env_, &CSettings::NotesSearchMode, 0) == 1 ? 1 : 0;
    const bool barOn = Setting(env_, &CSettings::NotesActiveSearchBar, 1) != 0;
    model_.Search(key, mode, letters, barOn);
    if (main_) Rebuild(false);
}

int NotesSearchAlphabet(uint32_t stored, const std::wstring& customName) {
    if (!customName.empty()) return kAlphabetCustom;
    switch (stored) {
    case kAlphabetLatin:
    case kAlphabetCyrillic:
    case kAlphabetHebrew:
    case kAlphabetGreek:
    case kAlphabetSkinned: return int(stored);
    default: return kAlphabetLatin;
    }
}

CTabWithSearchPanel::SearchPanelSetup CNotesTab::SearchPanelSettings() {
    SearchPanelSetup s;
    if (!env_->settings) return s;
    const CSettings& set = *env_->settings;
    s.shown = set.NotesActiveSearchBar.value() != 0;
    s.customName = set.NotesCustomSearchBarSelected.value();
    s.type = NotesSearchAlphabet(set.NotesSearchBarAlphabet.value(), s.customName);
    // The letters a note's title is keyed by are the same as the contacts'.
    s.languages = set.CntctsActiveLanguages.value();
    return s;
}

void CNotesTab::OnSearchKey(int key, const std::wstring& label) {
    LetterGroups letters;
    if (CSearchBar* bar = SearchBar())
        for (const std::wstring& l : bar->model().labels().keys) letters.push_back(l);
    if (key >= 1 && key <= 8 && size_t(key) <= letters.size()) letters[size_t(key - 1)] = label;
    Search(key, letters);
}

void CNotesTab::OnAlphabetChosen(int type, const std::wstring& name) {
    if (!env_->settings) return;
    CSettings& s = *env_->settings;
    s.NotesSearchBarAlphabet.Set(DWORD(type));
    s.NotesSearchBarAlphabet.Write();
    s.NotesCustomSearchBarSelected.Set(type == kAlphabetCustom ? name : L"");
    s.NotesCustomSearchBarSelected.Write();
}

void CNotesTab::RebuildRows() {
    if (!scanned_) Scan();
    for (TItem* g = model_.groups().head(); g; g = g->next()) {
        if (!g->IsVisible()) continue;
        rows_.AppendGroup(static_cast<TItemWithList*>(g));
    }
}

std::wstring CNotesTab::CreateListContent() {
    lastTapX_ = lastTapY_ = -1;
    CreateSearchPanel();
    return L"NotesTabVList";
}

void CNotesTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.today = DeviceToday();
    ctx.searchText = model_.searchText().empty() ? nullptr : &model_.searchText();
    ctx.group.lineStyle = std::min(3, std::max(0, Setting(env_, &CSettings::NotesBreakLineStyle, 3)));
    ctx.group.foldButton = Setting(env_, &CSettings::NotesIncldFoldBttns, 1) == 1;
    if (Setting(env_, &CSettings::NotesIncldCounters, 1) == 1) ctx.group.counterKind[0] = 3;
}

void CNotesTab::OnWindowPosChanged(HWND hwnd) {
    CTabWithSearchPanel::OnWindowPosChanged(hwnd);
    // Nothing else repaints the list when the tab is first shown at its size
    // (the rows come from the scan, not from a later data notice): it paints in
    // turn, after the host has drawn the band under it.
    if (IsWindowVisible(hwnd) && list_.hwnd()) InvalidateRect(list_.hwnd(), nullptr, FALSE);
}

void CNotesTab::LaunchApplication() {
    launch::OpenApplication(LaunchSettings(), main_, launch::kNotesView);
}

// --- caption and tab menu -------------------------------------------------------------

NotesChoices CNotesTab::Choices() const {
    NotesChoices c;
    c.grouping = Setting(env_, &CSettings::NotesTabGrouping, 1);
    c.groupDirection = Setting(env_, &CSettings::NotesGroupingDirctn, 1) < 0 ? -1 : 1;
    c.sort = Setting(env_, &CSettings::NotesTab1Sort, 0);
    c.sortDirection = Setting(env_, &CSettings::NotesTab1SortDirect, 1) < 0 ? -1 : 1;
    c.display = Setting(env_, &CSettings::DisplayOnNotesTab, 5);
    c.searchMode = Setting(env_, &CSettings::NotesSearchMode, 0) == 1 ? 1 : 0;
    if (env_->settings) c.selFolder = env_->settings->NotesSelFolder.value();
    return c;
}

std::wstring CNotesTab::GetGroupingCaption() {
    return NotesGroupingCaption(Choices().grouping, LibraryTexts(env_->lang));
}

std::wstring CNotesTab::GetCategoryCaption() {
    return NotesFolderCaption(Choices().selFolder, LibraryTexts(env_->lang));
}

void CNotesTab::FillFolderMenu(HMENU menu, const NotesChoices& c) {
    if (!scanned_) Scan();
    menuFolders_ = model_.FolderNames();
    if (menuFolders_.size() > kNotesFolderSlots) menuFolders_.resize(kNotesFolderSlots);
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    const std::wstring all = Text(kStrAllFolders);
    AppendMenuW(menu, MF_STRING, kCmdNotesAllFolders, all.c_str());
    for (size_t i = 0; i < menuFolders_.size(); ++i)
        AppendMenuW(menu, MF_STRING, kCmdNotesAllFolders + 1 + UINT(i), menuFolders_[i].c_str());
    for (UINT id = kCmdNotesAllFolders; id <= kCmdNotesAllFolders + menuFolders_.size(); ++id)
        Check(menu, id, NotesChoiceChecked(id, menuFolders_, c));
}

void CNotesTab::FillCategoryMenu(HMENU menu) { FillFolderMenu(menu, Choices()); }

HMENU CNotesTab::PrepareGroupingMenu(HMENU menu) {
    // The grouping sub-menu is the one that starts with the first grouping.
    HMENU grouping = nullptr;
    for (int pos = 0; menu && pos < GetMenuItemCount(menu) && !grouping; ++pos)
        if (HMENU sub = GetSubMenu(menu, pos))
            if (GetMenuItemID(sub, 0) == kCmdNotesGroupFirst) grouping = sub;
    if (!grouping) return menu;  // a library without the sub-menu: its top level
    const NotesChoices c = Choices();
    for (UINT id = kCmdNotesGroupFirst; id <= kCmdNotesSearchLetters; ++id)
        Check(grouping, id, NotesChoiceChecked(id, menuFolders_, c));
    for (int pos = 0; pos < GetMenuItemCount(grouping); ++pos)
        if (HMENU sub = GetSubMenu(grouping, pos))
            if (GetMenuItemID(sub, 0) == kCmdNotesAllFolders) FillFolderMenu(sub, c);
    return grouping;
}

void CNotesTab::PrepareMenu(HMENU menu) {
    if (HMENU sub = GetSubMenu(menu, 0)) PrepareGroupingMenu(sub);
}

void CNotesTab::StoreChoices(const NotesChoices& was, const NotesChoices& now) {
    if (env_->settings) {
        CSettings& s = *env_->settings;
        auto store = [](CNumericSetting& n, int before, int after) {
            if (before == after) return;
            n.Set(DWORD(after));
            n.Write();
        };
        store(s.NotesTabGrouping, was.grouping, now.grouping);
        store(s.NotesGroupingDirctn, was.groupDirection, now.groupDirection);
        store(s.NotesTab1Sort, was.sort, now.sort);
        store(s.NotesTab1SortDirect, was.sortDirection, now.sortDirection);
        store(s.DisplayOnNotesTab, was.display, now.display);
        store(s.NotesSearchMode, was.searchMode, now.searchMode);
        if (was.selFolder != now.selFolder) {
            s.NotesSelFolder.Set(now.selFolder);
            s.NotesSelFolder.Write();
        }
    }
    if (env_->painter && was.display != now.display) env_->painter->SetNotesDisplay(now.display);
    ClearCaptionCache();
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
    Rescan();
    // Typed letters of the other mode mean nothing in this one.
    if (was.searchMode != now.searchMode) Search(0, LetterGroups());
}

// --- menus ----------------------------------------------------------------------------------

UINT CNotesTab::GetContextMenuId(TItem* item) {
    return item && item->Kind() == kKindNote ? 41340 : 41341;
}

std::vector<std::wstring> CNotesTab::MoveTargets() const {
    std::vector<std::wstring> out;
    auto add = [&](const std::wstring& root) {
        out.push_back(root);
        for (const std::wstring& sub : notes::SubFolders(root)) out.push_back(root + L"\\" + sub);
    };
    add(notes::PersonalFolder());
    for (const std::wstring& card : notes::StorageCardRoots()) add(card);
    return out;
}

void CNotesTab::FillTemplateMenu(HMENU menu) {
    const std::wstring current = notes::CurrentNotesTemplate();
    for (int pos = GetMenuItemCount(menu) - 1; pos >= 0; --pos) {
        HMENU sub = GetSubMenu(menu, pos);
        if (!sub || GetMenuItemID(sub, 0) != kCmdNoteTemplateFirst) continue;
        if (templates_.empty()) {
            DeleteMenu(menu, UINT(pos), MF_BYPOSITION);
            continue;
        }
        while (GetMenuItemCount(sub) > 0) DeleteMenu(sub, 0, MF_BYPOSITION);
        for (size_t i = 0; i < templates_.size() && kCmdNoteTemplateFirst + i <= kCmdNoteTemplateLast; ++i) {
            const bool checked = notes::SamePath(templates_[i], current);
            AppendMenuW(sub, MF_STRING | (checked ? MF_CHECKED : 0), kCmdNoteTemplateFirst + UINT(i),
                        templates_[i].c_str());
        }
    }
}

void CNotesTab::PrepareContextMenu(TItem* item, HMENU menu) {
    menuTargets_.clear();
    FillTemplateMenu(menu);
    TNoteItem* note = item && item->Kind() == kKindNote ? static_cast<TNoteItem*>(item) : nullptr;
    if (!note) return;
    const std::vector<std::wstring> targets = MoveTargets();
    const int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        HMENU sub = GetSubMenu(menu, pos);
        if (!sub) continue;
        // The first entry of each folder sub-menu tells which it is.
        const UINT first = GetMenuItemID(sub, 0);
        if (first != kCmdMoveToFirst && first != kCmdCopyToFirst) continue;
        while (GetMenuItemCount(sub) > 0) DeleteMenu(sub, 0, MF_BYPOSITION);
        for (size_t i = 0; i < targets.size() && i < kCmdFolderSlots; ++i) {
            const bool here = notes::SamePath(targets[i], note->file.folder);
            AppendMenuW(sub, MF_STRING | (here && first == kCmdMoveToFirst ? MF_GRAYED : 0), first + UINT(i),
                        targets[i].c_str());
        }
    }
    menuTargets_ = targets;
}

bool CNotesTab::Ask(const std::wstring& text, const std::wstring& caption) {
    return MessageBoxW(main_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CNotesTab::Tell(const std::wstring& text, const std::wstring& caption, UINT icon) {
    MessageBoxW(main_, text.c_str(), caption.c_str(), MB_OK | icon);
}

int CNotesTab::OnContextMenuCommand(TItem* item, UINT command) {
    TNoteItem* note = item && item->Kind() == kKindNote ? static_cast<TNoteItem*>(item) : nullptr;
    const NotesChoices was = Choices();
    NotesChoices now = was;
    if (ApplyNotesChoice(command, menuFolders_, &now)) {
        StoreChoices(was, now);
        return 0;
    }
    if (command >= kCmdNoteTemplateFirst && command <= kCmdNoteTemplateLast) {
        const size_t n = command - kCmdNoteTemplateFirst;
        if (n >= templates_.size()) return -1;
        NewNote(FolderNameOf(item), templates_[n]);
        return 0;
    }
    if (command >= kCmdMoveToFirst && command < kCmdMoveToFirst + kCmdFolderSlots) {
        const size_t i = command - kCmdMoveToFirst;
        if (!note || i >= menuTargets_.size()) return -1;
        MoveFileTo(note, menuTargets_[i], note->file.name);
        return 0;
    }
    if (command >= kCmdCopyToFirst && command < kCmdCopyToFirst + kCmdFolderSlots) {
        const size_t i = command - kCmdCopyToFirst;
        if (!note || i >= menuTargets_.size()) return -1;
        CopyFileTo(note, menuTargets_[i]);
        return 0;
    }
    switch (command) {
    case kCmdOpen4:
        if (!note) return -1;
        OpenItem(note, false);
        return 0;
    case kCmdNoteRename:
        if (!note) return -1;
        RenameWithDialog(note);
        return 0;
    case kCmdNoteDelete: return note ? (DeleteNote(note), 0) : -1;
    case kCmdNoteHide: return note ? (HideNote(note), 0) : -1;
    case kCmdNoteMail: return note ? (MailNote(note), 0) : -1;
    case kCmdNoteCopy: return note ? (CopyFileTo(note, note->file.folder), 0) : -1;
    case kCmdNewWorkbookFile: launch::Launch(main_, L"pxl.exe", L""); return 0;
    case kCmdNewDocumentFile: launch::Launch(main_, L"pWord.exe", L""); return 0;
    case kCmdNewNoteInFolder: {
        const std::wstring sel = env_->settings ? env_->settings->NotesSelFolder.value() : std::wstring();
        NewNote(sel.empty() ? FolderNameOf(item) : sel, L"");
        return 0;
    }
    case kCmdNewNoteDefault: NewNote(L"", L""); return 0;
    case kCmdNotesFoldAll:
    case kCmdNotesUnfoldAll:
        for (TItem* g = model_.groups().head(); g; g = g->next()) {
            TItemWithList* group = static_cast<TItemWithList*>(g);
            group->folded = command == kCmdNotesFoldAll;
        }
        Rebuild(true);
        return 0;
    }
    return CTabWithSearchPanel::OnContextMenuCommand(item, command);
}

// --- actions -----------------------------------------------------------------------------------

bool CNotesTab::MoveFileTo(TNoteItem* item, const std::wstring& folder, const std::wstring& newName) {
    if (!item || !notes::ValidFileName(newName)) {
        Tell(L"Enter a unique name that does not contain \\/:*?\"<>|.", L"Desktop", MB_ICONHAND);
        return false;
    }
    const std::wstring to = folder + L"\\" + newName + notes::DottedExtension(item->file.type);
    bool overwrite = false;
    if (!notes::SamePath(to, item->file.path) && GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!Ask(Text(41027), Text(41028))) return false;
        overwrite = true;
    }
    const notes::FileResult r = notes::MoveNote(item->file.path, to, overwrite);
    const bool ok = r == notes::FileResult::kDone || r == notes::FileResult::kNothingToDo;
    if (!ok && r != notes::FileResult::kSourceKept) Tell(Text(kStrMoveFailed), item->file.name, MB_ICONHAND);
    Rescan();
    return ok;
}

std::vector<NoteLocation> CNotesTab::LocationsFor(const TNoteItem& item) const {
    std::vector<NoteLocation> out;
    if (item.file.type == notes::kList) {
        out.push_back({Text(41253), RegString(HKEY_CURRENT_USER, kListKey, L"ListsPath", L""), 1});
        return out;
    }
    out.push_back({Text(41026), notes::PersonalFolder(), 0});
    for (const std::wstring& card : notes::StorageCardRoots()) out.push_back({card.substr(1), card, 2});
    return out;
}

void CNotesTab::RenameWithDialog(TNoteItem* item) {
    // Every failed try rescans, so the item is looked up again by its path each time.
    const uint32_t id = item->Id();
    LibraryTexts texts(env_->lang);
    CRenameNoteDialog dlg(texts, item->file.path, LocationsFor(*item),
                          [this, id](const std::wstring& folder, const std::wstring& name) {
                              TNoteItem* current = model_.Find(id);
                              return current && MoveFileTo(current, folder, name);
                          });
    dlg.Run(env_->instance, main_);
    TakeListFocus();
}

bool CNotesTab::CopyFileTo(TNoteItem* item, const std::wstring& folder) {
    if (!item) return false;
    std::wstring to = folder + L"\\" + item->file.name + notes::DottedExtension(item->file.type);
    // A copy into the file's own folder gets a name of its own.
    for (int n = 2; notes::SamePath(folder, item->file.folder) && n < 100 &&
                    GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
         ++n)
        to = folder + L"\\" + item->file.name + L" (" + std::to_wstring(n) + L")" +
             notes::DottedExtension(item->file.type);
    const bool ok = notes::CopyNote(item->file.path, to, false) == notes::FileResult::kDone;
    if (!ok) Tell(Text(41022), item->file.name, MB_ICONHAND);
    Rescan();
    return ok;
}

bool CNotesTab::DeleteNote(TNoteItem* item) {
    if (!item || !Ask(Text(unsigned(notes::DeleteQuestionString(item->file.type))), item->file.name)) return false;
    SetFileAttributesW(item->file.path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool ok = DeleteFileW(item->file.path.c_str()) != FALSE;
    Rescan();
    return ok;
}

bool CNotesTab::HideNote(TNoteItem* item) {
    if (!item || !Ask(Text(41023), Text(41024))) return false;
    const DWORD a = GetFileAttributesW(item->file.path.c_str());
    const bool ok = a != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(item->file.path.c_str(), a | FILE_ATTRIBUTE_HIDDEN);
    Rescan();
    return ok;
}

bool CNotesTab::MailNote(TNoteItem* item) {
    return item && launch::Launch(main_, L"\\windows\\tmail.exe", notes::MailArguments(item->file.path));
}

std::wstring CNotesTab::FolderNameOf(TItem* item) const {
    if (!item) return std::wstring();
    if (item->Kind() == kKindNote) return static_cast<TNoteItem*>(item)->file.folderName;
    // A folder group's files all share its folder name.
    auto* group = dynamic_cast<TNoteGroup*>(item);
    if (!group || model_.options().grouping != 1 || group->children().empty()) return std::wstring();
    return static_cast<TNoteItem*>(*group->children().begin())->file.folderName;
}

bool CNotesTab::NewNote(const std::wstring& folder, const std::wstring& templateName) {
    const launch::LaunchConfig c = LaunchSettings();
    if (templateName.empty() && c.pimSw == launch::kPocketInformant) {
        launch::PimBridgeRequest r;
        return launch::BridgeCreate(c.pimSw, launch::kBridgeNote, launch::kNoDate, launch::kNoDate, L"", &r) &&
               launch::SendToPimBridge(c, main_, r);
    }
    if (templateName.empty() && c.pimSw == launch::kAgendaFusion)
        return launch::RunAgendaFusion(c, launch::AgendaFusionNew(launch::kNewNote, 0, 0, L""));
    // The Notes application reads its state only as it starts: a running one is
    // asked to close first (another program's window cannot be destroyed from here).
    if (HWND running = FindWindowW(L"Notes", nullptr)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(running, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    }
    // A folder or template the value cannot hold is not stored; the application
    // still starts, with the folder and template it had.
    notes::WriteNotesStates(folder, templateName);
    return launch::Launch(main_, L":MSNOTETAKE", L"");
}

bool CNotesTab::PreviewNote(TNoteItem* item, int x, int y) {
    if (!item || !(item->file.type & (notes::kInk | notes::kText))) return false;
    POINT pt = {x, y};
    if (list_.hwnd()) ClientToScreen(list_.hwnd(), &pt);
    const int w = ScaleX(200), h = ScaleY(130);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT where;
    where.left = std::max(0, std::min(int(pt.x) - w / 2, screenW - w));
    where.top = std::max(0, std::min(int(pt.y) + ScaleY(8), screenH - h));
    where.right = where.left + w;
    where.bottom = where.top + h;
    return CNoteWindow::Instance().Show(env_->instance, main_, item->file.name, PreviewText(item->file.path), where);
}

int CNotesTab::OpenItemOverride(TItem* item) {
    if (!item || item->Kind() != kKindNote) return 0;
    TNoteItem* note = static_cast<TNoteItem*>(item);
    const int preview = Setting(env_, &CSettings::NotesPreviewNotesState, 2);
    const unsigned type = note->file.type;
    if (preview == 1 && (type & (notes::kInk | notes::kText))) {
        RECT rc = {0, 0, 0, 0};
        if (list_.hwnd()) GetClientRect(list_.hwnd(), &rc);
        PreviewNote(note, rc.right / 2, lastTapY_ >= 0 ? lastTapY_ : 0);
        return 1;
    }
    // The organiser that keeps its own notes shows an ink note itself.
    if (type == notes::kInk && Setting(env_, &CSettings::PimSw, 0) == launch::kPocketInformant) {
        launch::PimBridgeRequest r;
        if (launch::BridgeShowNote(note->file.path, &r)) launch::SendToPimBridge(LaunchSettings(), main_, r);
        return 1;
    }
    // Recordings and lists open with their program; documents through the shell's verb.
    const bool plain = (type & (notes::kVoice | notes::kList)) != 0;
    launch::Launch(main_, note->file.path, L"", plain ? nullptr : L"OpenDoc");
    return 1;
}

// --- taps ----------------------------------------------------------------------------------------

void CNotesTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    if (StepDoubleTap(item)) {
        tapHandled_ = true;
        return;
    }
    SetHighlight(index);
    if (Setting(env_, &CSettings::NotesIncldFoldBttns, 1) == 1 && StepFoldButton(item, x)) {
        tapHandled_ = true;
        return;
    }
    if (StepTapAndHold(item, x, y)) {
        tapHandled_ = true;
        return;
    }
    // The type icon of a note or text file opens its preview.
    if (item->Kind() == kKindNote && Setting(env_, &CSettings::NotesPreviewNotesState, 2) == 2) {
        TNoteItem* note = static_cast<TNoteItem*>(item);
        const int iconX = note->row.iconX;
        if (iconX >= 0 && x >= iconX && x < iconX + ScaleX(12) && PreviewNote(note, x, y)) {
            tapHandled_ = true;
            return;
        }
    }
    StepPlainTap(index, x, y, previous);
}

}  // namespace daybrim
