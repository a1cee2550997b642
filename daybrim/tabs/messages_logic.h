// The Mail tab's decisions, without a window: what names a message across
// reloads, the preview's buttons and what its closing leads to, where a tap on a
// message goes, the mail program's command line, and finding the mail program's
// own window for a reply or forward. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "mail_items.h"

namespace daybrim {

// A message as the tab remembers it: its account and entry id. Reloads free the
// rows, so nothing outlives one rebuild by pointer; the reference is resolved
// against the rows of the moment, and a message that went away resolves to null.
struct MessageRef {
    int account = -1;
    EntryId id;
    bool IsSet() const { return account >= 0 && !id.empty(); }
    bool operator==(const MessageRef& o) const { return account == o.account && id == o.id; }
};
MessageRef RefOf(const TMailItem& item);
TMailItem* Resolve(const MailGroups& groups, const MessageRef& ref);

// The preview's caption buttons.
enum PreviewButton {
    kPreviewClose = 0,
    kPreviewOpen = 1,
    kPreviewForward = 2,
    kPreviewReplyAll = 3,
    kPreviewDial = 4,
    kPreviewReply = 5,
    kPreviewDelete = 6,
};
// Left to right: delete, reply, dial (text messages) or reply to all, forward,
// open, close.
std::vector<int> PreviewButtons(bool textMessage);

enum class PreviewAction { kNone, kOpen, kReply, kReplyAll, kForward, kDial, kDelete, kMarkRead };
// What the tab does when the preview closed with `result`: the chosen action, or
// for a plain close (any other result) marking an unread message read when
// MsgsMrkReadOnPrev asks for it. A button a text message does not have (reply to
// all) or an e-mail does not have (dial) does nothing.
PreviewAction PreviewOutcome(int result, bool unread, bool textMessage, bool markReadOnPreview);

// The mail program's commands in its message window.
enum MailProgramCommand : unsigned { kMailReply = 32681, kMailReplyAll = 32682, kMailForward = 32683 };

// "ENTRYID " and the entry id as upper-case hex pairs.
std::wstring MailProgramArguments(const EntryId& id);

// Where a tap on a message goes once the shared steps passed it on.
enum class MessageTap { kNone, kOpen, kPreview };
// With MsgsOpenOnClick a tap anywhere opens the message; otherwise a tap in the
// icon column (16 px, 8 more with IndentItems, both scaled already) previews it.
MessageTap MessageTapAction(int x, int contentLeft, int iconColumn, bool openOnClick);

// The mail program, and its message window after a reply or forward was asked for: the
// foreground window is polled until it is a "Dialog" of the mail program's own
// process. Another program's window in front is never the target.
class MailWindowPort {
public:
    struct Window {
        uintptr_t handle = 0;
        std::wstring className;
        uint32_t process = 0;
    };
    virtual ~MailWindowPort() = default;
    // Starts the mail program with the arguments; its success.
    virtual bool Start(const std::wstring& arguments) = 0;
    virtual Window Foreground() = 0;
    // Whether the process runs the mail program.
    virtual bool IsMailProgram(uint32_t process) = 0;
    virtual void Wait(unsigned ms) = 0;
    virtual void BringToTop(uintptr_t handle) = 0;
    virtual void PostCommand(uintptr_t handle, unsigned command) = 0;
};
constexpr int kMailWindowPolls = 10;
constexpr unsigned kMailWindowPollMs = 400;
// True when the command reached the mail program; after the last poll without its
// window nothing is posted.
bool PostToMailProgram(MailWindowPort& port, unsigned command);

}  // namespace daybrim
