// The Mail tab's decisions: the preview's buttons and outcome, taps on messages,
// the mail program's arguments, and replies that reach only the mail program.
#include <gtest/gtest.h>

#include "messages_logic.h"

namespace daybrim {
namespace {

TEST(MessagesPreview, ButtonsDependOnTheKindOfMessage) {
    EXPECT_EQ(PreviewButtons(false), (std::vector<int>{6, 5, 3, 2, 1, 0}));
    EXPECT_EQ(PreviewButtons(true), (std::vector<int>{6, 5, 4, 2, 1, 0}));
}

TEST(MessagesPreview, OutcomeOfEachResult) {
    using A = PreviewAction;
    struct Case {
        int result;
        bool unread, text, markRead;
        A want;
    } cases[] = {
        {kPreviewClose, true, false, true, A::kMarkRead},
        {kPreviewClose, true, false, false, A::kNone},
        {kPreviewClose, false, false, true, A::kNone},
        {-1, true, false, true, A::kMarkRead},  // closed by losing activation
        {kPreviewDelete, true, false, true, A::kDelete},  // deleting does not mark read first
        {kPreviewOpen, true, false, true, A::kOpen},
        {kPreviewReply, false, false, true, A::kReply},
        {kPreviewForward, false, false, true, A::kForward},
        {kPreviewReplyAll, false, false, true, A::kReplyAll},
        {kPreviewReplyAll, false, true, true, A::kNone},
        {kPreviewDial, false, true, true, A::kDial},
        {kPreviewDial, false, false, true, A::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewOutcome(c.result, c.unread, c.text, c.markRead), c.want)
            << c.result << " unread " << c.unread << " text " << c.text;
}

TEST(MessagesTap, OpenOnClickAnywhereOtherwiseIconColumnPreviews) {
    struct Case {
        int x, left, column;
        bool openOnClick;
        MessageTap want;
    } cases[] = {
        {200, 0, 16, true, MessageTap::kOpen},
        {3, 0, 16, true, MessageTap::kOpen},
        {16, 0, 16, false, MessageTap::kPreview},
        {17, 0, 16, false, MessageTap::kNone},
        {30, 14, 16, false, MessageTap::kPreview},  // scroll bar at the left
        {40, 0, 24, false, MessageTap::kNone},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageTapAction(c.x, c.left, c.column, c.openOnClick), c.want) << c.x;
}

TEST(MessagesOpen, EntryIdAsUpperCaseHexPairs) {
    EXPECT_EQ(MailProgramArguments({0x00, 0x0a, 0xff, 0x5C}), L"ENTRYID 000AFF5C");
    EXPECT_EQ(MailProgramArguments({}), L"ENTRYID ");
}

TEST(MessagesRef, ResolvesOnlyWhileTheMessageExists) {
    MailModel model;
    MailAccount a;
    a.name = u"Work";
    MailMessage m1, m2;
    m1.entryId = {1};
    m2.entryId = {2};
    a.messages = {m1, m2};
    model.Reset({a});
    class NoTexts : public TextSource {
        std::wstring String(unsigned) const override { return L""; }
    } texts;
    MailGroups groups;
    groups.Sync(model, false, texts);
    const MessageRef ref = RefOf(*groups.Find(0, {2}));
    model.Remove(0, {2});
    groups.Sync(model, false, texts);
    EXPECT_EQ(Resolve(groups, ref), nullptr);
    EXPECT_EQ(Resolve(groups, MessageRef()), nullptr);
    TMailItem* other = Resolve(groups, RefOf(*groups.Find(0, {1})));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->entryId, EntryId{1});
}

// A desktop of windows coming to the front poll after poll.
class FakeDesktop : public MailWindowPort {
public:
    std::vector<Window> fronts;  // one per poll; the last stays
    std::vector<uint32_t> mailProcesses;
    int polls = 0;
    unsigned waited = 0;
    std::vector<std::pair<uintptr_t, unsigned>> posted;
    uintptr_t raised = 0;

    bool Start(const std::wstring&) override { return true; }
    Window Foreground() override {
        const size_t i = std::min(size_t(polls++), fronts.size() - 1);
        return fronts[i];
    }
    bool IsMailProgram(uint32_t p) override {
        for (uint32_t m : mailProcesses)
            if (m == p) return true;
        return false;
    }
    void Wait(unsigned ms) override { waited += ms; }
    void BringToTop(uintptr_t h) override { raised = h; }
    void PostCommand(uintptr_t h, unsigned c) override { posted.push_back({h, c}); }
};

TEST(MailProgramCommands, PostedOnlyToTheMailProgramsDialog) {
    using W = MailWindowPort::Window;
    const W today{11, L"DesktopExplorerWindow", 5};
    const W otherDialog{12, L"Dialog", 6};
    const W mail{13, L"DIALOG", 7};
    struct Case {
        const char* name;
        std::vector<W> fronts;
        bool posted;
        int polls;
    } cases[] = {
        {"appears on the third poll", {today, today, mail}, true, 3},
        {"another program's dialog in front", {otherDialog}, false, 10},
        {"never appears", {today}, false, 10},
        {"another dialog first, then the mail program", {otherDialog, mail}, true, 2},
        {"no window in front", {W{}}, false, 10},
    };
    for (const Case& c : cases) {
        FakeDesktop d;
        d.fronts = c.fronts;
        d.mailProcesses = {7};
        EXPECT_EQ(PostToMailProgram(d, kMailForward), c.posted) << c.name;
        EXPECT_EQ(d.polls, c.polls) << c.name;
        EXPECT_EQ(d.waited, unsigned(c.polls - 1) * kMailWindowPollMs) << c.name;
        if (c.posted) {
            ASSERT_EQ(d.posted.size(), 1u) << c.name;
            EXPECT_EQ(d.posted[0].first, mail.handle) << c.name;
            EXPECT_EQ(d.posted[0].second, unsigned(kMailForward)) << c.name;
            EXPECT_EQ(d.raised, mail.handle) << c.name;
        } else {
            EXPECT_TRUE(d.posted.empty()) << c.name;
        }
    }
}

}  // namespace
}  // namespace daybrim
