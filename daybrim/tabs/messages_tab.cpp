#include "messages_tab.h"

#include <windowsx.h>

#include "image_cache.h"
#include "item_painter.h"
#include "launchers.h"
#include "locale_text.h"
#include "mail_store.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "tab_codes.h"

namespace daybrim {

namespace {

const wchar_t kMailProgram[] = L"\\windows\\tmail.exe";
const unsigned kDeleteQuestion = 41013;
// The class fonts of the rows (the settings' font catalogue).
const int kFontMsgsRead = 270, kFontMsgsUnread = 271, kFontMsgsTitles = 272;

// The desktop as it is: the foreground window and the program that runs it.
class SystemMailWindows : public MailWindowPort {
public:
    explicit SystemMailWindows(HWND owner) : owner_(owner) {}
    bool Start(const std::wstring& arguments) override { return launch::Launch(owner_, kMailProgram, arguments); }
    Window Foreground() override {
        Window w;
        HWND h = GetForegroundWindow();
        if (!h) return w;
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 64);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        w.handle = reinterpret_cast<uintptr_t>(h);
        w.className = cls;
        w.process = pid;
        return w;
    }
    bool IsMailProgram(uint32_t process) override {
        raii::Handle p(OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, process));
        if (!p) return false;
        wchar_t path[MAX_PATH] = L"";
        DWORD n = MAX_PATH;
        // Looked up by name: the system headers of this build predate it.
        typedef BOOL(WINAPI * QueryName)(HANDLE, DWORD, LPWSTR, PDWORD);
        QueryName query = reinterpret_cast<QueryName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
        if (!query || !query(p.get(), 0, path, &n)) return false;
        const wchar_t* name = path;
        for (const wchar_t* c = path; *c; ++c)
            if (*c == L'\\' || *c == L'/') name = c + 1;
        return lstrcmpiW(name, L"tmail.exe") == 0;
    }
    void Wait(unsigned ms) override { Sleep(ms); }
    void BringToTop(uintptr_t handle) override { SetForegroundWindow(reinterpret_cast<HWND>(handle)); }
    void PostCommand(uintptr_t handle, unsigned command) override {
        PostMessageW(reinterpret_cast<HWND>(handle), WM_COMMAND, command, 0);
    }

private:
    HWND owner_;
};

TMailItem* AsMessage(TItem* item) {
    return item && item->Kind() == kKindMail ? static_cast<TMailItem*>(item) : nullptr;
}

// The account a row belongs to: a message's or a group's own, a placeholder's parent.
TMessagesList* AccountOf(TItem* item) {
    if (!item) return nullptr;
    if (item->Kind() == kKindGroup) return dynamic_cast<TMessagesList*>(item);
    if (TChildItem* c = dynamic_cast<TChildItem*>(item)) return dynamic_cast<TMessagesList*>(c->parent);
    return nullptr;
}

}  // namespace

bool ConfirmPort::Confirm(HWND owner, const std::wstring& text, const std::wstring& caption) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO) == IDYES;
}

CMessagesTab::CMessagesTab(const ShellEnv* env, MailStore* mail) : CTabWithItemsList(env), mail_(mail) { Sync(); }

CMessagesTab::~CMessagesTab() { Destroy(); }

DWORD CMessagesTab::GetType() { return TAB_TYPE_MAIL; }

void CMessagesTab::Sync() {
    if (!mail_) return;
    LibraryTexts texts(env_ ? env_->lang : nullptr);
    const bool folded = env_ && env_->settings && env_->settings->MsgsFoldingDflt.Int() == 1;
    groups_.Sync(mail_->model(), folded, texts);
}

void CMessagesTab::OnDataChanged() {
    Sync();
    if (main_) Rebuild(true);
}

void CMessagesTab::LaunchApplication() {
    const launch::LaunchConfig c = env_->settings ? launch::LaunchConfig::From(*env_->settings) : launch::LaunchConfig();
    launch::ComposeOrOpenMail(c, main_, false, L"", L"");
}

void CMessagesTab::Hide(bool withCaption) {
    preview_.Close(kPreviewClose);
    CTabWithItemsList::Hide(withCaption);
}

// --- rows ---------------------------------------------------------------------------------

void CMessagesTab::RebuildRows() {
    for (TItem* g = groups_.groups().head(); g; g = g->next()) rows_.AppendGroup(static_cast<TItemWithList*>(g));
}

RowPainter* CMessagesTab::Painter() { return env_->painter; }

void CMessagesTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.today = env_->pim && env_->pim->today() ? env_->pim->today() : DeviceToday();
    if (!env_->settings) return;
    const CSettings& s = *env_->settings;
    if (item.Kind() == kKindGroup) {
        ctx.group.lineStyle = s.MsgsBreakLineStyle.Int();
        ctx.group.lineColour = s.ClrBreakingLineClr.value();
        ctx.group.foldButton = s.MsgsIncldFoldBttns.Int() == 1;
        if (s.MsgsIncldCounters.Int() == 1) {
            ctx.group.counterKind[0] = 4;
            ctx.group.counterSlot[0] = 1;  // the unread messages
        }
    }
    if (s.FontGnrlUseAdvncd.Int() != 1 || !env_->images) return;
    int font = kFontMsgsTitles;
    if (TMailItem* m = AsMessage(&item)) font = m->row.unread ? kFontMsgsUnread : kFontMsgsRead;
    else if (item.Kind() != kKindGroup) return;
    ctx.font = reinterpret_cast<uintptr_t>(env_->images->GetFont(s, font));
    const CFontSetting& f = font == kFontMsgsTitles ? s.FontMsgsTitles
                            : font == kFontMsgsUnread ? s.FontMsgsUnread
                                                      : s.FontMsgsRead;
    if (f.color() != 0xFFFFFFFF) ctx.textColour = f.color();
}

UINT CMessagesTab::GetContextMenuId(TItem* item) {
    if (!item) return 429;
    switch (item->Kind()) {
    case kKindGroup:
    case kKindEmpty:
    case kKindEmptyFlagged: return 429;
    case kKindMail: return 413;
    }
    return 0;
}

void CMessagesTab::PrepareContextMenu(TItem* item, HMENU menu) {
    if (TMailItem* m = AsMessage(item)) {
        DeleteMenu(menu, m->row.unread ? kCmdMarkUnread : kCmdMarkRead, MF_BYCOMMAND);
        DeleteMenu(menu, m->row.textMessage ? kCmdReplyAll : kCmdDialSender, MF_BYCOMMAND);
        return;
    }
    if (item && item->Kind() == kKindGroup) {
        const bool folded = static_cast<TGroupingItem*>(item)->folded != 0;
        DeleteMenu(menu, folded ? kCmdFold : kCmdUnfold, MF_BYCOMMAND);
        DeleteMenu(menu, folded ? kCmdFoldAllGroups : kCmdUnfoldAllGroups, MF_BYCOMMAND);
        return;
    }
    // Placeholders and empty space have nothing to fold.
    DeleteMenu(menu, kCmdFold, MF_BYCOMMAND);
    DeleteMenu(menu, kCmdUnfold, MF_BYCOMMAND);
}

std::wstring CMessagesTab::CreateListContent() {
    lastTapX_ = lastTapY_ = -1;
    return L"MessagesTabVList";
}

// --- taps and keys -------------------------------------------------------------------------

void CMessagesTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    // A double tap has opened the message already: the rest of the chain would
    // act on it a second time.
    if (StepDoubleTap(item)) return;
    SetHighlight(index);
    const CSettings* s = env_->settings;
    if (s && s->MsgsIncldFoldBttns.Int() == 1 && StepFoldButton(item, x)) return;
    if (StepTapAndHold(item, x, y)) return;
    if (TMailItem* m = AsMessage(item)) {
        const int column = ScaleX(16) + (s && s->IndentItems.Int() == 1 ? ScaleX(8) : 0);
        switch (MessageTapAction(x, list_.Span().left, column, s && s->MsgsOpenOnClick.Int() == 1)) {
        case MessageTap::kOpen: OpenInMailProgram(*m); return;
        case MessageTap::kPreview:
            // The list holds the pen until it lifts; the popup opens then, or the
            // capture would take its activation away at once.
            previewOnPenUp_ = RefOf(*m);
            return;
        case MessageTap::kNone: break;
        }
    }
    if (StepSingleTapOpen(item)) return;
    StepPlainTap(index, x, y, previous);
}

void CMessagesTab::OnPenUp(int, int) {
    const MessageRef ref = previewOnPenUp_;
    previewOnPenUp_ = MessageRef();
    if (!ref.IsSet()) return;
    if (GetCapture()) ReleaseCapture();
    OpenPreview(ref);
}

int CMessagesTab::DPadActionOverride(TItem* item) {
    TMailItem* m = AsMessage(item);
    if (!m || !env_->settings || env_->settings->MsgsDPadActionOverride.Int() != 1) return 0;
    OpenPreview(RefOf(*m));
    return 1;
}

int CMessagesTab::OpenItemOverride(TItem* item) {
    TMailItem* m = AsMessage(item);
    if (!m) return 0;
    if (env_->settings && env_->settings->MsgsPreviewWhenOpen.Int() == 1) OpenPreview(RefOf(*m));
    else OpenInMailProgram(*m);
    return 1;
}

// --- actions --------------------------------------------------------------------------------

bool CMessagesTab::OpenInMailProgram(const TMailItem& item) {
    SystemMailWindows system(main_);
    return (mailWindows_ ? *mailWindows_ : static_cast<MailWindowPort&>(system)).Start(
        MailProgramArguments(item.entryId));
}

void CMessagesTab::MailProgramCommand(const TMailItem& item, unsigned command) {
    SystemMailWindows system(main_);
    MailWindowPort& port = mailWindows_ ? *mailWindows_ : system;
    if (!port.Start(MailProgramArguments(item.entryId))) return;
    PostToMailProgram(port, command);
}

bool CMessagesTab::SetRead(const MessageRef& ref, bool read) {
    if (!mail_ || !ref.IsSet() || !mail_->SetRead(ref.account, ref.id, read)) return false;
    OnDataChanged();
    return true;
}

bool CMessagesTab::DeleteMessage(const MessageRef& ref) {
    // Resolved now, after the question: a reload while it was asked may have
    // taken the message away, and then nothing is deleted.
    TMailItem* item = Resolve(groups_, ref);
    if (!item || !mail_) return false;
    LibraryTexts texts(env_->lang);
    ConfirmPort system;
    const std::wstring subject = item->row.subject;
    if (!(confirm_ ? *confirm_ : system).Confirm(main_, texts.String(kDeleteQuestion), subject)) return false;
    Sync();
    if (!Resolve(groups_, ref) || !mail_->Delete(ref.account, ref.id)) return false;
    OnDataChanged();
    return true;
}

void CMessagesTab::Dial(const TMailItem& item) {
    launch::Dial(item.senderAddress.empty() ? item.row.sender : item.senderAddress);
}

void CMessagesTab::ComposeOrOpen(TItem* item, bool compose) {
    TMessagesList* account = AccountOf(item ? item : rows_.HighlightedItem());
    const launch::LaunchConfig c = env_->settings ? launch::LaunchConfig::From(*env_->settings) : launch::LaunchConfig();
    launch::ComposeOrOpenMail(c, main_, compose, L"", account ? account->title : std::wstring());
}

void CMessagesTab::FoldAllGroups(bool fold) {
    if (FoldAll(groups_.All(), fold)) Rebuild(true);
}

int CMessagesTab::OnContextMenuCommand(TItem* item, UINT command) {
    TMailItem* m = AsMessage(item);
    switch (command) {
    case kCmdDeleteMessage:
        if (!m) return -1;
        DeleteMessage(RefOf(*m));
        TakeListFocus();
        return 0;
    case kCmdReply:
    case kCmdReplyAll:
    case kCmdForward:
        if (!m) return -1;
        MailProgramCommand(*m, command == kCmdReply ? kMailReply : command == kCmdReplyAll ? kMailReplyAll
                                                                                           : kMailForward);
        return 0;
    case kCmdDialSender:
        if (!m) return -1;
        Dial(*m);
        return 0;
    case kCmdMarkUnread:
    case kCmdMarkRead:
        if (!m) return -1;
        SetRead(RefOf(*m), command == kCmdMarkRead);
        return 0;
    case kCmdNewMessage: ComposeOrOpen(item, true); return 0;
    case kCmdOpenMailProgram: ComposeOrOpen(item, false); return 0;
    case kCmdFoldAllGroups: FoldAllGroups(true); return 0;
    case kCmdUnfoldAllGroups: FoldAllGroups(false); return 0;
    }
    return CTabWithItemsList::OnContextMenuCommand(item, command);
}

// --- preview --------------------------------------------------------------------------------

bool CMessagesTab::OpenPreview(const MessageRef& ref) {
    TMailItem* item = Resolve(groups_, ref);
    if (!item || !main_) return false;
    PreviewContent content;
    content.sender = item->row.sender;
    content.subject = item->row.subject;
    content.received = item->row.received;
    content.textMessage = item->row.textMessage;
    if (mail_) {
        std::u16string body;
        bool html = false;
        content.hasBody = mail_->GetBody(ref.account, ref.id, &body, &html);
        content.body = WideOf(body);
        content.html = html;
    }
    // The highlight stays while the preview is open.
    timers_.Stop(kTimerRemoveHighlight);
    const LPARAM tag = ++previewTag_;
    previewRefs_[tag] = ref;
    if (preview_.Open(env_, main_, content, tag)) return true;
    previewRefs_.erase(tag);
    return false;
}

void CMessagesTab::OnPreviewClosed(int result) { OnPreviewNotice(result, previewTag_); }

void CMessagesTab::OnPreviewNotice(int result, LPARAM tag) {
    const auto pending = previewRefs_.find(tag);
    if (pending == previewRefs_.end()) return;
    const MessageRef ref = pending->second;
    previewRefs_.erase(pending);
    // A preview replaced by a newer one leaves the keys with the newer one.
    if (tag == previewTag_) TakeListFocus();
    TMailItem* item = Resolve(groups_, ref);
    if (!item) return;  // gone while it was shown: nothing to act on
    const bool markRead = !env_->settings || env_->settings->MsgsMrkReadOnPrev.Int() == 1;
    switch (PreviewOutcome(result, item->row.unread, item->row.textMessage, markRead)) {
    case PreviewAction::kOpen: OpenInMailProgram(*item); break;
    case PreviewAction::kReply: MailProgramCommand(*item, kMailReply); break;
    case PreviewAction::kReplyAll: MailProgramCommand(*item, kMailReplyAll); break;
    case PreviewAction::kForward: MailProgramCommand(*item, kMailForward); break;
    case PreviewAction::kDial: Dial(*item); break;
    case PreviewAction::kDelete: DeleteMessage(ref); break;
    case PreviewAction::kMarkRead: SetRead(ref, true); break;
    case PreviewAction::kNone: break;
    }
}

LRESULT CMessagesTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DR_PREVIEWCLOSED) {
        OnPreviewNotice(int(wp), lp);
        return 0;
    }
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

}  // namespace daybrim
