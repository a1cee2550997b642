// The mail rows: groups and their messages from the model, folds kept across
// rebuilds, and the calendar's account lines with counts that follow the store.
#include <gtest/gtest.h>

#include <map>

#include "mail_items.h"

namespace daybrim {
namespace {

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override {
        static const std::map<unsigned, std::wstring> k = {
            {3, L"(no subject)"}, {40998, L"Unknown"}, {40165, L"none"}, {40166, L"unread"}};
        auto it = k.find(id);
        return it == k.end() ? L"" : it->second;
    }
};

MailMessage Msg(uint8_t id, double received, bool unread, std::u16string subject = u"s") {
    MailMessage m;
    m.entryId = {id, uint8_t(id + 1)};
    m.received = received;
    m.unread = unread;
    m.subject = std::move(subject);
    m.sender = u"Anna";
    return m;
}

MailAccount Account(std::u16string name, std::vector<MailMessage> messages) {
    MailAccount a;
    a.name = std::move(name);
    a.messages = std::move(messages);
    return a;
}

MailModel TwoAccounts() {
    MailModel m;
    m.Reset({Account(u"Work", {Msg(1, 100, true), Msg(2, 300, false), Msg(3, 200, true, u"")}),
             Account(u"Home", {Msg(7, 50, false)})});
    return m;
}

std::vector<uint8_t> Firsts(const TMessagesList& g) {
    std::vector<uint8_t> ids;
    for (const TChildItem* c : g.children()) ids.push_back(static_cast<const TMailItem*>(c)->entryId[0]);
    return ids;
}

TEST(MailGroups, GroupsInModelOrderMessagesNewestFirst) {
    MailGroups groups;
    Texts t;
    groups.Sync(TwoAccounts(), false, t);
    std::vector<TGroupingItem*> all = groups.All();
    ASSERT_EQ(all.size(), 2u);
    const TMessagesList* home = static_cast<TMessagesList*>(all[0]);
    const TMessagesList* work = static_cast<TMessagesList*>(all[1]);
    EXPECT_EQ(home->title, L"Home");
    EXPECT_EQ(work->title, L"Work");
    EXPECT_EQ(Firsts(*work), (std::vector<uint8_t>{2, 3, 1}));
    EXPECT_EQ(work->unread, 2);
    EXPECT_EQ(work->counters[1], 2);
    // Missing texts come from the language library.
    TMailItem* blank = groups.Find(work->account, {3, 4});
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->row.subject, L"(no subject)");
    EXPECT_EQ(blank->row.sender, L"Anna");
    EXPECT_TRUE(blank->row.unread);
}

TEST(MailGroups, FoldsSurviveRebuildsAndNewAccountsTakeTheDefault) {
    MailGroups groups;
    Texts t;
    MailModel model = TwoAccounts();
    groups.Sync(model, false, t);
    groups.Group(0)->folded = 1;  // Home sorts first
    model.Reset({Account(u"Work", {}), Account(u"Home", {}), Account(u"Archive", {Msg(9, 1, true)})});
    groups.Sync(model, true, t);
    std::map<std::wstring, int> folded;
    for (TGroupingItem* g : groups.All()) folded[static_cast<TMessagesList*>(g)->title] = g->folded;
    EXPECT_EQ(folded[L"Home"], 1);
    EXPECT_EQ(folded[L"Work"], 0);
    EXPECT_EQ(folded[L"Archive"], 1);
}

TEST(MailGroups, ResolvingByEntryIdFollowsTheModelNotOldRows) {
    MailGroups groups;
    Texts t;
    MailModel model = TwoAccounts();
    groups.Sync(model, false, t);
    const int work = 1;  // Home sorts first
    ASSERT_NE(groups.Find(work, {2, 3}), nullptr);
    ASSERT_TRUE(model.Remove(work, {2, 3}));
    groups.Sync(model, false, t);
    EXPECT_EQ(groups.Find(work, {2, 3}), nullptr);
    EXPECT_NE(groups.Find(work, {1, 2}), nullptr);
    EXPECT_EQ(groups.Find(5, {1, 2}), nullptr);
}

TEST(MailAccountLines, CountsFollowTheStoreAndReplaceOldLines) {
    Texts t;
    MailModel model = TwoAccounts();
    TDailyList section(3);
    struct Case {
        const char* name;
        bool (*change)(MailModel&);
        int workUnread, workRead, sectionMail;
    } cases[] = {
        {"as loaded", [](MailModel&) { return true; }, 2, 1, 2},
        {"a new unread message", [](MailModel& m) { return m.Upsert(1, Msg(20, 400, true)); }, 3, 1, 3},
        {"one read", [](MailModel& m) { return m.SetUnread(1, {1, 2}, false); }, 2, 2, 2},
        {"one deleted", [](MailModel& m) { return m.Remove(1, {3, 4}); }, 1, 2, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.change(model)) << c.name;
        PlaceAccountLines(section, model, 0, false, t);
        ASSERT_EQ(section.children().size(), 2u) << c.name;
        int mail = 0;
        for (TChildItem* row : section.children()) {
            const TMsgAccountItem& line = static_cast<const TMsgAccountItem&>(*row);
            mail += MailUnreadOf(line);
            if (line.name != L"Work") continue;
            EXPECT_EQ(line.unread, c.workUnread) << c.name;
            EXPECT_EQ(line.read, c.workRead) << c.name;
            EXPECT_EQ(line.title, L"(" + std::to_wstring(c.workUnread) + L"/" +
                                      std::to_wstring(c.workUnread + c.workRead) + L") Work")
                << c.name;
        }
        EXPECT_EQ(mail, c.sectionMail) << c.name;
    }
}

TEST(MailAccountLines, HiddenWhenEmptyOnlyWhenAskedAndOrderedByIndex) {
    Texts t;
    MailModel model = TwoAccounts();
    TDailyList section(3);
    PlaceAccountLines(section, model, 1, true, t);
    std::vector<std::wstring> names;
    std::vector<bool> visible;
    for (TChildItem* row : section.children()) {
        names.push_back(static_cast<TMsgAccountItem*>(row)->name);
        visible.push_back(row->IsVisible());
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Home", L"Work"}));
    EXPECT_EQ(visible, (std::vector<bool>{false, true}));
    PlaceAccountLines(section, model, 1, false, t);
    for (TChildItem* row : section.children()) EXPECT_TRUE(row->IsVisible());
}

}  // namespace
}  // namespace daybrim
