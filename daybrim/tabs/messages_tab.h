// CMessagesTab: the Mail tab. Its rows are the mail store's accounts, each a
// foldable group of its inbox's messages, newest first. A message opens in the
// mail program or in the tab's preview; the menus mark it read or unread, delete
// it, reply to or forward it through the mail program, or dial a text message's
// sender. The rows are rebuilt from the store's model at every mail change.
#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "mail_items.h"
#include "message_preview.h"
#include "messages_logic.h"
#include "raii.h"
#include "tab_with_items_list.h"

namespace daybrim {

class MailStore;

// Context-menu commands of the Mail tab.
enum MessagesCommand : UINT {
    kCmdMarkUnread = 40876,
    kCmdMarkRead = 40877,
    kCmdOpenMailProgram = 40878,
    kCmdNewMessage = 40895,
    kCmdDeleteMessage = 41081,
    kCmdReply = 41104,
    kCmdReplyAll = 41105,
    kCmdForward = 41106,
    kCmdDialSender = 41237,
    kCmdFoldAllGroups = 40199,
    kCmdUnfoldAllGroups = 40200,
};

// Asks before a message is deleted; the real one shows a Yes/No box.
class ConfirmPort {
public:
    virtual ~ConfirmPort() = default;
    virtual bool Confirm(HWND owner, const std::wstring& text, const std::wstring& caption);
};

class CMessagesTab : public CTabWithItemsList {
public:
    CMessagesTab(const ShellEnv* env, MailStore* mail);
    ~CMessagesTab() override;

    // Tests replace the question and the mail program's window search.
    void SetConfirm(ConfirmPort* confirm) { confirm_ = confirm; }
    void SetMailWindows(MailWindowPort* port) { mailWindows_ = port; }

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return 441; }
    void PrepareMenu(HMENU) override {}
    void OnDataChanged() override;
    void LaunchApplication() override;
    // Closes the preview too: left up over the next tab, its buttons would act
    // on a message out of sight.
    void Hide(bool withCaption) override;

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override;
    void OnListTap(int x, int y, int scrollOffset) override;
    int DPadActionOverride(TItem* item) override;
    int OpenItemOverride(TItem* item) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    std::wstring GetBarIconName() override { return L"messages_baricon"; }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    RowPainter* Painter() override;
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;

    // The preview of a message, by its reference; false when it no longer exists.
    bool OpenPreview(const MessageRef& ref);
    // What closing the preview on show leads to.
    void OnPreviewClosed(int result);
    // The closing notice of the preview opened with `tag`: acts on that
    // preview's message once; a notice for no pending preview does nothing.
    void OnPreviewNotice(int result, LPARAM tag);
    const CMessagePreview& Preview() const { return preview_; }
    const MailGroups& Groups() const { return groups_; }

protected:
    void OnPenUp(int x, int y) override;

private:
    void Sync();
    bool OpenInMailProgram(const TMailItem& item);
    void MailProgramCommand(const TMailItem& item, unsigned command);
    bool DeleteMessage(const MessageRef& ref);
    bool SetRead(const MessageRef& ref, bool read);
    void Dial(const TMailItem& item);
    void ComposeOrOpen(TItem* item, bool compose);
    void FoldAllGroups(bool fold);

    MailStore* mail_;
    MailGroups groups_;
    CMessagePreview preview_;
    // The messages of previews not yet acted on, by the tag each was opened
    // with; the last tag is the preview on show.
    std::map<LPARAM, MessageRef> previewRefs_;
    LPARAM previewTag_ = 0;
    MessageRef previewOnPenUp_;  // tapped in its icon column, previewed when the pen lifts
    ConfirmPort* confirm_ = nullptr;
    MailWindowPort* mailWindows_ = nullptr;
};

}  // namespace daybrim
