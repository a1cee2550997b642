#include "contacts_tab.h"

#include <algorithm>

#include "contact_preview.h"
#include "item_actions.h"
#include "launchers.h"
#include "locale_text.h"
#include "menu_extensions.h"
#include "pim_store.h"
#include "raii.h"
#include "reg.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"
#include "tab_codes.h"

namespace daybrim {

namespace {

// Commands 41110..41114 call these fields; 41120..41122 mail these.
const uint32_t kCallFields[5] = {kFieldWork, kFieldWork2, kFieldHome, kFieldHome2, kFieldMobile};
const uint32_t kMailFields[3] = {kFieldMail1, kFieldMail2, kFieldMail3};
// Where the tab menu keeps its view sub-menu; the context menu its sub-menus.
constexpr int kViewMenu = 7;
constexpr int kCallMailMenu = 1, kFileAsMenu = 2, kDefaultMenu = 3, kToolsMenu = 6;

// The handheld's letter comparison for first-letter search: case, marks, symbols
// and width ignored.
bool LocaleLetterEquals(wchar_t a, wchar_t b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS |
                                                   NORM_IGNOREWIDTH,
                          &a, 1, &b, 1) == CSTR_EQUAL;
}

bool InRect(const HotRect& r, int x, int y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

void ClearMenu(HMENU m) {
    while (GetMenuItemCount(m) > 0) DeleteMenu(m, 0, MF_BYPOSITION);
}

void Check(HMENU m, UINT id, bool on) { CheckMenuItem(m, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }

}  // namespace

CContactsTab::CContactsTab(const ShellEnv* env, CPimStore* pim) : CTabWithSearchPanel(env), pim_(pim) {}

CContactsTab::~CContactsTab() { Destroy(); }

void CContactsTab::Destroy() {
    preview_.reset();
    CTabWithSearchPanel::Destroy();
}

DWORD CContactsTab::GetType() { return TAB_TYPE_CONTACTS; }

std::wstring CContactsTab::Text(unsigned id) const { return LoadLangString(env_->lang, id); }

bool CContactsTab::PhoneAvailable() const {
    raii::Library phone(LoadLibraryW(L"phone.dll"));
    return bool(phone);
}

const std::wstring& CContactsTab::SearchText() const { return search_; }

TContactItem* CContactsTab::Selected() const {
    TItem* item = rows_.HighlightedItem();
    return item && item->Kind() == kKindContact ? static_cast<TContactItem*>(item) : nullptr;
}

// --- search -----------------------------------------------------------------------

CTabWithSearchPanel::SearchPanelSetup CContactsTab::SearchPanelSettings() {
    SearchPanelSetup s;
    if (!env_->settings) return s;
    const CSettings& set = *env_->settings;
    s.shown = set.CntctsActiveSearchBar.value() != 0;
    s.type = set.ContactsSearchBarAlphabet.Int();
    s.customName = set.ContactsCustomSearchBarSelected.value();
    s.languages = set.CntctsActiveLanguages.value();
    return s;
}

void CContactsTab::OnSearchKey(int key, const std::wstring& label) {
    if (!pim_) return;
    const int mode = env_->settings ? env_->settings->ContactsSearchMode.Int() : 0;
    LetterGroups letters;
    if (CSearchBar* bar = SearchBar())
        for (const std::wstring& l : bar->model().labels().keys) letters.push_back(l);
    if (key >= 1 && key <= 8 && size_t(key) <= letters.size()) letters[size_t(key - 1)] = label;
    TSeacrhableGroupingTitlesList& list = pim_->contacts();
    list.Search(key, mode == 1 ? TSeacrhableGroupingTitlesList::kLetter : TSeacrhableGroupingTitlesList::kKeySequence,
                letters, LocaleLetterEquals);
    search_ = mode == 1 ? std::wstring() : list.text();
    Rebuild(false);
}

void CContactsTab::OnAlphabetChosen(int type, const std::wstring& name) {
    if (!env_->settings) return;
    CSettings& s = *env_->settings;
    s.ContactsSearchBarAlphabet.Set(DWORD(type));
    s.ContactsSearchBarAlphabet.Write();
    s.ContactsCustomSearchBarSelected.Set(type == kAlphabetCustom ? name : L"");
    s.ContactsCustomSearchBarSelected.Write();
}

// --- rows -------------------------------------------------------------------------

std::wstring CContactsTab::CreateListContent() {
    CreateSearchPanel();
    return L"ContactsTabVList";
}

void CContactsTab::RebuildRows() {
    if (!pim_) return;
    for (TItem* g = pim_->contacts().groups.head(); g; g = g->next()) rows_.AppendGroup(static_cast<TItemWithList*>(g));
}

void CContactsTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.searchText = search_.empty() ? nullptr : &search_;
}

void CContactsTab::OnDataChanged() {
    // A contact read anew comes in unsearched: a typed search is applied again by
    // taking back its last key and pressing it once more.
    if (pim_ && !search_.empty()) {
        TSeacrhableGroupingTitlesList& list = pim_->contacts();
        const int last = search_.back() - L'0';
        const LetterGroups none;
        list.Search(9, TSeacrhableGroupingTitlesList::kKeySequence, none);
        list.Search(last, TSeacrhableGroupingTitlesList::kKeySequence, none);
        search_ = list.text();
    }
    if (main_) Rebuild(true);
}

void CContactsTab::Refile() {
    if (!pim_ || !env_->settings) return;
    const CSettings& s = *env_->settings;
    ContactOrder o;
    o.grouping = s.ContactsGrouping.Int();
    o.groupingDirection = s.ContactsGroupingDirection.Int() < 0 ? -1 : 1;
    o.sortDirection = s.ContactsSortDirection.Int() < 0 ? -1 : 1;
    o.hideNoPicture = s.CntctsHideNoPicture.value() == 1;
    pim_->SetContactOrder(o);
    search_.clear();
    if (main_) Rebuild(false);
}

// --- menus ------------------------------------------------------------------------

std::wstring CContactsTab::GetGroupingCaption() {
    // One list, by category, by company.
    const int g = env_->settings ? env_->settings->ContactsGrouping.Int() : 0;
    return Text(g == 1 ? 97 : g == 2 ? 41234 : 41321);
}

HMENU CContactsTab::PrepareGroupingMenu(HMENU menu) {
    HMENU view = GetSubMenu(menu, kViewMenu);
    if (!view || !env_->settings) return view;
    const CSettings& s = *env_->settings;
    for (int i = 0; i < 3; ++i) Check(view, kCmdGroupingFirst + UINT(i), s.ContactsGrouping.Int() == i);
    Check(view, kCmdGroupingUp, s.ContactsGroupingDirection.Int() >= 0);
    Check(view, kCmdGroupingDown, s.ContactsGroupingDirection.Int() < 0);
    Check(view, kCmdSortUp, s.ContactsSortDirection.Int() >= 0);
    Check(view, kCmdSortDown, s.ContactsSortDirection.Int() < 0);
    Check(view, kCmdSearchKeys, s.ContactsSearchMode.Int() != 1);
    Check(view, kCmdSearchLetters, s.ContactsSearchMode.Int() == 1);
    return view;
}

void CContactsTab::PrepareMenu(HMENU menu) {
    HMENU sub = GetSubMenu(menu, 0);
    if (!sub) return;
    if (reg::String(HKEY_CURRENT_USER, kFinderKey, L"AppExePath").empty())
        DeleteMenu(sub, kCmdContactFinder, MF_BYCOMMAND);
    PrepareGroupingMenu(sub);
}

UINT CContactsTab::GetContextMenuId(TItem* item) { return item && item->Kind() == kKindContact ? kContactMenu : 0; }

void CContactsTab::PrepareContextMenu(TItem* item, HMENU menu) {
    if (!item || item->Kind() != kKindContact) return;
    const TContactItem& c = *static_cast<TContactItem*>(item);
    const ContactValues v = ValuesOf(c);
    auto label = [&](unsigned id) { return Text(id); };
    // The extensions first: the finder's entry above them may go below.
    if (!env_->menuExtensions ||
        !env_->menuExtensions->FillExtensionMenu(menuext::kContacts, menu, kToolsMenu, c.poomId))
        DeleteMenu(menu, kToolsMenu, MF_BYPOSITION);
    if (HMENU calls = GetSubMenu(menu, kCallMailMenu)) {
        ClearMenu(calls);
        if (PhoneAvailable())
            for (int i = 0; i < 5; ++i) {
                const std::wstring& value = v.Of(kCallFields[i]);
                if (!value.empty())
                    AppendMenuW(calls, MF_STRING, kCmdCallFirst + UINT(i),
                                ChoiceText(label(FieldLabel(kCallFields[i])), value).c_str());
            }
        for (int i = 0; i < 3; ++i) {
            const std::wstring& value = v.Of(kMailFields[i]);
            if (!value.empty())
                AppendMenuW(calls, MF_STRING, kCmdMailFirst + UINT(i),
                            ChoiceText(label(FieldLabel(kMailFields[i])), value).c_str());
        }
    }
    if (HMENU fileAs = GetSubMenu(menu, kFileAsMenu)) {
        ClearMenu(fileAs);
        std::wstring names[4];
        std::wstring* out[4] = {&names[0], &names[1], &names[2], &names[3]};
        if (pim_ && pim_->readContactNames(c.oid, out))
            for (int i = 0; i < 4; ++i)
                if (!names[i].empty()) {
                    AppendMenuW(fileAs, MF_STRING, kCmdFileAsFirst + UINT(i), names[i].c_str());
                    Check(fileAs, kCmdFileAsFirst + UINT(i), names[i] == c.fileAs);
                }
    }
    if (HMENU def = GetSubMenu(menu, kDefaultMenu)) {
        ClearMenu(def);
        for (const NumberChoice& ch : DefaultNumberChoices(v, c.preferredId, label))
            AppendMenuW(def, MF_STRING | (ch.checked ? MF_CHECKED : 0), ch.command, ch.text.c_str());
    }
    if (reg::String(HKEY_CURRENT_USER, kFinderKey, L"AppExePath").empty())
        DeleteMenu(menu, kCmdContactFinder, MF_BYCOMMAND);
}

int CContactsTab::OnContextMenuCommand(TItem* item, UINT command) {
    CSettings* s = env_->settings;
    auto store = [&](CNumericSetting& n, DWORD v) {
        n.Set(v);
        n.Write();
        Refile();
        ClearCaptionCache();
        if (caption_) InvalidateRect(caption_, nullptr, FALSE);
        return 0;
    };
    if (s) {
        if (command >= kCmdGroupingFirst && command <= kCmdGroupingFirst + 2)
            return store(s->ContactsGrouping, command - kCmdGroupingFirst);
        if (command == kCmdGroupingUp || command == kCmdGroupingDown)
            return store(s->ContactsGroupingDirection, command == kCmdGroupingUp ? 1 : 0xFFFFFFFFu);
        if (command == kCmdSortUp || command == kCmdSortDown)
            return store(s->ContactsSortDirection, command == kCmdSortUp ? 1 : 0xFFFFFFFFu);
        if (command == kCmdSearchKeys || command == kCmdSearchLetters) {
            s->ContactsSearchMode.Set(command == kCmdSearchLetters ? 1 : 0);
            s->ContactsSearchMode.Write();
            OnSearchKey(0, L"");  // the two modes' searches mean different things
            return 0;
        }
    }
    if (command == kCmdContactFinder) {
        StartContactFinder();
        return 0;
    }
    TContactItem* c = item && item->Kind() == kKindContact ? static_cast<TContactItem*>(item) : nullptr;
    if (c && env_->menuExtensions &&
        env_->menuExtensions->HandleExtensionCommand(main_, env_->instance, command, c->poomId))
        return 0;
    if (command >= kCmdCallFirst && command < kCmdCallFirst + 5) {
        if (!c) return -1;
        const std::wstring number = ValuesOf(*c).Of(kCallFields[command - kCmdCallFirst]);
        if (!number.empty()) launch::Dial(number);
        return 0;
    }
    if (command >= kCmdMailFirst && command < kCmdMailFirst + 3) {
        if (!c) return -1;
        RunPreviewAction(kActMail, ValuesOf(*c).Of(kMailFields[command - kCmdMailFirst]));
        return 0;
    }
    if (command >= kCmdFileAsFirst && command < kCmdFileAsFirst + 4) {
        if (!c) return -1;
        SetFileAs(*c, int(command - kCmdFileAsFirst));
        return 0;
    }
    if (command >= kCmdDefaultFirst && command < kCmdDefaultFirst + 10) {
        if (!c) return -1;
        SetDefaultNumber(c->oid, kDefaultNumberOrder[command - kCmdDefaultFirst]);
        return 0;
    }
    return CTabWithSearchPanel::OnContextMenuCommand(item, command);
}

// --- actions ----------------------------------------------------------------------

ContactValues CContactsTab::ValuesOf(const TContactItem& c) const {
    ContactValues v;
    if (!pim_) return v;
    std::wstring numbers[pimdb::kNumberCount], mails[3];
    std::wstring* nOut[pimdb::kNumberCount];
    for (WORD i = 0; i < pimdb::kNumberCount; ++i) nOut[i] = &numbers[i];
    std::wstring* mOut[3] = {&mails[0], &mails[1], &mails[2]};
    if (pim_->readContactNumbers(c.oid, nOut))
        for (WORD i = 0; i < pimdb::kNumberCount; ++i)
            if (pimdb::kNumberProps[i] != kFieldMail1) v.entries.push_back({pimdb::kNumberProps[i], numbers[i]});
    if (pim_->readContactMails(c.oid, mOut))
        for (int i = 0; i < 3; ++i) v.entries.push_back({kMailFields[i], mails[i]});
    return v;
}

bool CContactsTab::SetDefaultNumber(uint32_t oid, uint32_t prop) {
    // The store learns of the change from the database's notification, as of any
    // other program's, and the tab follows it then.
    return pim_ && pim_->writePreferredNumber(oid, prop);
}

bool CContactsTab::SetFileAs(const TContactItem& c, int variant) {
    if (!pim_ || variant < 0 || variant > 3) return false;
    std::wstring names[4];
    std::wstring* out[4] = {&names[0], &names[1], &names[2], &names[3]};
    if (!pim_->readContactNames(c.oid, out) || names[variant].empty()) return false;
    LibraryTexts texts(env_->lang);
    return ItemActions(main_, texts).SetContactFileAs(c.poomId, names[variant]);
}

void CContactsTab::ShowDefaultNumberPopup(const TContactItem& c, int x, int y) {
    const uint32_t oid = c.oid;
    const std::vector<NumberChoice> choices =
        DefaultNumberChoices(ValuesOf(c), c.preferredId, [&](unsigned id) { return Text(id); });
    if (choices.empty()) return;
    raii::Menu menu(CreatePopupMenu());
    if (!menu) return;
    for (const NumberChoice& ch : choices)
        AppendMenuW(menu.get(), MF_STRING | (ch.checked ? MF_CHECKED : 0), ch.command, ch.text.c_str());
    POINT pt{x, y};
    if (list_.hwnd()) ClientToScreen(list_.hwnd(), &pt);
    const UINT chosen = UINT(TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, pt.x, pt.y,
                                              main_, nullptr));
    // The menu's loop may have handled a notification that replaced the item: only
    // its record id is used after it.
    for (const NumberChoice& ch : choices)
        if (ch.command == chosen) SetDefaultNumber(oid, ch.prop);
}

void CContactsTab::ShowPreview(const TContactItem& c) {
    if (!preview_) preview_.reset(new CContactPreview(env_));
    // Opening closes a shown preview, whose answer is posted with the key it was for.
    const ItemKey key = KeyOf(&c);
    const std::wstring title = c.title;
    const std::vector<PreviewRow> rows = PreviewRows(ValuesOf(c), PhoneAvailable());
    preview_->Close();
    previewFor_ = key;
    preview_->Open(main_, main_, title, rows);
}

void CContactsTab::RunPreviewItemAction(int action) {
    // Found again by its identity: the rows may have been rebuilt while the
    // preview was up, and the contact may be gone.
    const int index = rows_.IndexOf(previewFor_);
    TItem* item = rows_.At(index);
    if (!item || item->Kind() != kKindContact) return;
    switch (action) {
    case kActOpen:
    case kActEdit:
        // With "preview upon open" the open would only bring the preview back.
        openingFromPreview_ = true;
        OpenItem(item, action == kActEdit);
        openingFromPreview_ = false;
        return;
    case kActMenu: {
        SetHighlight(index);
        EnsureVisible(index);
        ShowContextMenu(item, ScaleX(20), item->cachedTop - list_.Scroll().Offset());
        return;
    }
    }
}

void CContactsTab::RunPreviewAction(int action, const std::wstring& value) {
    if (IsItemAction(action)) {
        RunPreviewItemAction(action);
        return;
    }
    if (value.empty()) return;
    const launch::LaunchConfig config = LaunchSettings();
    switch (action) {
    case kActCall: launch::Dial(value); break;
    case kActMail: launch::ComposeOrOpenMail(config, main_, true, value, L""); break;
    case kActText: launch::ComposeOrOpenMail(config, main_, true, value, L"SMS"); break;
    default: break;
    }
}

bool CContactsTab::StartContactFinder() {
    const std::wstring path = reg::String(HKEY_CURRENT_USER, kFinderKey, L"AppExePath");
    return !path.empty() && launch::Launch(main_, path, L"");
}

void CContactsTab::LaunchApplication() { launch::OpenApplication(LaunchSettings(), main_, launch::kContactsView); }

// --- taps and keys ----------------------------------------------------------------

void CContactsTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    if (StepDoubleTap(item) || StepNoteIcon(item, x, y, contentY)) {
        tapHandled_ = true;
        return;
    }
    SetHighlight(index);
    if (item->Kind() == kKindContact) {
        TContactItem* c = static_cast<TContactItem*>(item);
        if (InRect(c->numberHot, x, contentY)) {
            ShowDefaultNumberPopup(*c, x, y);
            tapHandled_ = true;
            return;
        }
    }
    if (StepFoldButton(item, x) || StepTapAndHold(item, x, y)) {
        tapHandled_ = true;
        return;
    }
    const bool openOnTap = env_->settings && env_->settings->CntctsOnClickActionOpenItem.Int() == 1;
    if (openOnTap && item->Kind() == kKindContact && previous == index) {
        OpenItem(item, false);
        tapHandled_ = true;
        return;
    }
    StepPlainTap(index, x, y, previous);
}

int CContactsTab::DPadActionOverride(TItem* item) {
    if (!item || item->Kind() != kKindContact || !env_->settings) return 0;
    const TContactItem& c = *static_cast<TContactItem*>(item);
    switch (env_->settings->CntctsDPadActionOverride.Int()) {
    case 1: ShowPreview(c); return 1;
    case 2: {
        const ContactAction a = PreferredNumberAction(c.preferredId);
        if (a == kActNone || c.preferredText.empty()) return 0;
        RunPreviewAction(a, c.preferredText);
        return 1;
    }
    }
    return 0;
}

int CContactsTab::OpenItemOverride(TItem* item) {
    if (!item || item->Kind() != kKindContact || !env_->settings || openingFromPreview_) return 0;
    if (env_->settings->CntctsPrvwDlgUponOpenItem.Int() != 1) return 0;
    ShowPreview(*static_cast<TContactItem*>(item));
    return 1;
}

LRESULT CContactsTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CONTACT_PREVIEW_ACTION) {
        if (preview_) RunPreviewAction(int(wp), preview_->Chosen().value);
        return 0;
    }
    return CTabWithSearchPanel::MainWindowProc(hwnd, msg, wp, lp);
}

}  // namespace daybrim
