#include "messages_logic.h"

#include <cwctype>

namespace daybrim {

MessageRef RefOf(const TMailItem& item) {
    MessageRef r;
    r.account = item.account;
    r.id = item.entryId;
    return r;
}

TMailItem* Resolve(const MailGroups& groups, const MessageRef& ref) {
    return ref.IsSet() ? groups.Find(ref.account, ref.id) : nullptr;
}

std::vector<int> PreviewButtons(bool textMessage) {
    return {kPreviewDelete, kPreviewReply, textMessage ? kPreviewDial : kPreviewReplyAll, kPreviewForward,
            kPreviewOpen, kPreviewClose};
}

PreviewAction PreviewOutcome(int result, bool unread, bool textMessage, bool markReadOnPreview) {
    switch (result) {
    case kPreviewOpen: return PreviewAction::kOpen;
    case kPreviewReply: return PreviewAction::kReply;
    case kPreviewForward: return PreviewAction::kForward;
    case kPreviewDelete: return PreviewAction::kDelete;
    case kPreviewReplyAll: return textMessage ? PreviewAction::kNone : PreviewAction::kReplyAll;
    case kPreviewDial: return textMessage ? PreviewAction::kDial : PreviewAction::kNone;
    }
    return markReadOnPreview && unread ? PreviewAction::kMarkRead : PreviewAction::kNone;
}

std::wstring MailProgramArguments(const EntryId& id) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring s = L"ENTRYID ";
    for (uint8_t b : id) {
        s += kHex[b >> 4];
        s += kHex[b & 15];
    }
    return s;
}

MessageTap MessageTapAction(int x, int contentLeft, int iconColumn, bool openOnClick) {
    if (openOnClick) return MessageTap::kOpen;
    return x - contentLeft <= iconColumn ? MessageTap::kPreview : MessageTap::kNone;
}

namespace {

bool IsDialogClass(const std::wstring& name) {
    static const wchar_t kDialog[] = L"dialog";
    if (name.size() != 6) return false;
    for (size_t i = 0; i < 6; ++i)
        if (wchar_t(std::towlower(name[i])) != kDialog[i]) return false;
    return true;
}

}  // namespace

bool PostToMailProgram(MailWindowPort& port, unsigned command) {
    for (int poll = 0; poll < kMailWindowPolls; ++poll) {
        if (poll > 0) port.Wait(kMailWindowPollMs);
        const MailWindowPort::Window w = port.Foreground();
        if (w.handle && IsDialogClass(w.className) && port.IsMailProgram(w.process)) {
            port.BringToTop(w.handle);
            port.PostCommand(w.handle, command);
            return true;
        }
    }
    return false;
}

}  // namespace daybrim
