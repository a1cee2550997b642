// The mail model: account and message order, and counts that follow every change.
#include <gtest/gtest.h>

#include "mail_model.h"

namespace daybrim {
namespace {

MailMessage Msg(uint8_t id, double received, bool unread) {
    MailMessage m;
    m.entryId = {id};
    m.received = received;
    m.unread = unread;
    m.subject = u"m" + std::u16string(1, char16_t(u'0' + id % 10));
    return m;
}

MailAccount Account(std::u16string name, std::vector<MailMessage> messages) {
    MailAccount a;
    a.name = std::move(name);
    a.storeId = {uint8_t(a.name.size())};
    a.messages = std::move(messages);
    return a;
}

std::vector<uint8_t> Order(const MailAccount& a) {
    std::vector<uint8_t> ids;
    for (const MailMessage& m : a.messages) ids.push_back(m.entryId[0]);
    return ids;
}

TEST(MailModel, AccountsByNameTextAccountLastMessagesNewestFirst) {
    MailModel model;
    model.Reset({Account(u"SMS", {Msg(9, 10, true)}), Account(u"work", {Msg(1, 5, false), Msg(2, 7, true),
                                                                         Msg(3, 7, false), Msg(4, 949998.0, true)}),
                 Account(u"Home", {})});
    ASSERT_EQ(model.accounts().size(), 3u);
    EXPECT_EQ(model.accounts()[0].name, u"Home");
    EXPECT_EQ(model.accounts()[1].name, u"work");
    EXPECT_EQ(model.accounts()[2].name, u"SMS");
    EXPECT_TRUE(model.accounts()[2].messages[0].isTextMessage);
    EXPECT_FALSE(model.accounts()[1].messages[0].isTextMessage);
    // The undated message carries the no-date value, which is far in the future.
    EXPECT_EQ(Order(model.accounts()[1]), (std::vector<uint8_t>{4, 2, 3, 1}));
}

TEST(MailModel, CountsFollowEveryChangeAndRepeatsDoNotDrift) {
    MailModel model;
    model.Reset({Account(u"work", {Msg(1, 5, true), Msg(2, 6, false)})});
    struct Step {
        const char* name;
        bool (*apply)(MailModel&);
        bool result;
        int unread, read;
    } steps[] = {
        {"mark read", [](MailModel& m) { return m.SetUnread(0, {1}, false); }, true, 0, 2},
        {"mark read again", [](MailModel& m) { return m.SetUnread(0, {1}, false); }, true, 0, 2},
        {"mark unread", [](MailModel& m) { return m.SetUnread(0, {2}, true); }, true, 1, 1},
        {"new unread", [](MailModel& m) { return m.Upsert(0, Msg(3, 9, true)); }, true, 2, 1},
        {"same message changed", [](MailModel& m) { return m.Upsert(0, Msg(3, 9, false)); }, true, 1, 2},
        {"unread one deleted", [](MailModel& m) { return m.Remove(0, {2}); }, true, 0, 2},
        {"deleted twice", [](MailModel& m) { return m.Remove(0, {2}); }, false, 0, 2},
        {"unknown message", [](MailModel& m) { return m.SetUnread(0, {7}, true); }, false, 0, 2},
        {"unknown account", [](MailModel& m) { return m.Upsert(4, Msg(5, 1, true)); }, false, 0, 2},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.apply(model), s.result) << s.name;
        const MailAccountLine line = model.AccountLines().at(0);
        EXPECT_EQ(line.unread, s.unread) << s.name;
        EXPECT_EQ(line.read, s.read) << s.name;
    }
    EXPECT_EQ(Order(model.accounts()[0]), (std::vector<uint8_t>{3, 1}));
}

TEST(MailModel, UpsertKeepsTheDateOrderAndFindsByEntryId) {
    MailModel model;
    model.Reset({Account(u"a", {}), Account(u"b", {})});
    for (uint8_t i = 1; i <= 6; ++i) model.Upsert(1, Msg(i, double(i % 3), false));
    EXPECT_EQ(Order(model.accounts()[1]), (std::vector<uint8_t>{2, 5, 1, 4, 3, 6}));
    model.Upsert(1, Msg(3, 10, true));  // changed date moves it
    EXPECT_EQ(Order(model.accounts()[1]).front(), 3);
    ASSERT_NE(model.Find(1, {3}), nullptr);
    EXPECT_TRUE(model.Find(1, {3})->unread);
    EXPECT_EQ(model.Find(0, {3}), nullptr);
    EXPECT_EQ(model.Find(-1, {3}), nullptr);
    EXPECT_EQ(model.AccountIndex({1}), 0);
    EXPECT_EQ(model.AccountIndex({9}), -1);
}

}  // namespace
}  // namespace daybrim
