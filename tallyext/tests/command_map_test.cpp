#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "command_map.h"
#include "menu_settings.h"

using namespace tallyext;

namespace {

CeStd W(const std::string& s) { return CeStd(s.begin(), s.end()); }

std::vector<CeStd> Numbers(std::initializer_list<const char*> list) {
    std::vector<CeStd> out;
    for (const char* n : list) out.push_back(W(n));
    return out;
}

}  // namespace

TEST(CommandMap, CommandLinesAreWhatTheFinderAccepts) {
    EXPECT_EQ(W("/d:555-0123 "), CommandLine({CommandKind::kDial, W("555-0123 ")}));
    EXPECT_EQ(W("/s:+44 20 7946 0958"), CommandLine({CommandKind::kTextMessage, W("+44 20 7946 0958")}));
}

TEST(CommandMap, BothMenusNumberTheirItemsInOrder) {
    MenuPlan p = PlanMenus(Numbers({"555-0123 ", "(212) 555 7788 "}), true, true, 100, 200);
    ASSERT_EQ(2u, p.dial.size());
    ASSERT_EQ(2u, p.text.size());
    EXPECT_EQ(100u, p.dial[0].id);
    EXPECT_EQ(W("555-0123 "), p.dial[0].number);
    EXPECT_EQ(101u, p.dial[1].id);
    EXPECT_EQ(102u, p.text[0].id);
    EXPECT_EQ(103u, p.text[1].id);
    EXPECT_EQ(W("(212) 555 7788 "), p.text[1].number);
    EXPECT_EQ(4u, p.idsUsed);
    EXPECT_EQ(CommandKind::kDial, p.commands.at(101).kind);
    EXPECT_EQ(CommandKind::kTextMessage, p.commands.at(102).kind);
}

TEST(CommandMap, TextOnlyKeepsItsIdsAfterTheDialRange) {
    MenuPlan p = PlanMenus(Numbers({"555-0123", "555-0456", "555-0789"}), false, true, 10, 100);
    EXPECT_TRUE(p.dial.empty());
    ASSERT_EQ(3u, p.text.size());
    EXPECT_EQ(13u, p.text[0].id);
    // The host must skip the unused dial ids too: they count as used.
    EXPECT_EQ(6u, p.idsUsed);
    EXPECT_EQ(3u, p.commands.size());
}

TEST(CommandMap, IdsPastTheLastAreLeftOut) {
    MenuPlan p = PlanMenus(Numbers({"111", "222", "333"}), true, true, 10, 13);
    EXPECT_EQ(3u, p.dial.size());
    ASSERT_EQ(1u, p.text.size());  // only 13 fits
    EXPECT_EQ(13u, p.text[0].id);
    EXPECT_EQ(4u, p.idsUsed);

    EXPECT_EQ(0u, PlanMenus(Numbers({"111"}), true, true, 10, 9).idsUsed);  // an empty range
    MenuPlan top = PlanMenus(Numbers({"111", "222"}), true, true, 0xFFFFFFFEu, 0xFFFFFFFFu);
    EXPECT_EQ(2u, top.dial.size());  // no wrap to id 0 for the text items
    EXPECT_TRUE(top.text.empty());
    EXPECT_EQ(2u, top.idsUsed);
    EXPECT_EQ(0u, PlanMenus({}, true, true, 1, 100).idsUsed);
}

TEST(CommandMap, OnlyALineTheMapProducedIsFound) {
    MenuPlan p = PlanMenus(Numbers({"555-0123 ", "555-0456"}), true, true, 1, 50);
    const Command* c = FindByCommandLine(p.commands, W("/s:555-0456").c_str());
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(CommandKind::kTextMessage, c->kind);
    EXPECT_EQ(W("555-0456"), c->number);
    EXPECT_NE(nullptr, FindByCommandLine(p.commands, W("/d:555-0123 ").c_str()));
    for (const char* bad : {"/d:555-0123", "/d:555-0123  ", "/d:555-012", "/d:5550123 ", "/x:555-0456", "", "/d:",
                            "/d:555-0456 & del", "555-0456"})
        EXPECT_EQ(nullptr, FindByCommandLine(p.commands, W(bad).c_str())) << bad;
    EXPECT_EQ(nullptr, FindByCommandLine(p.commands, nullptr));
    EXPECT_EQ(nullptr, FindByCommandLine({}, W("/d:555-0456").c_str()));
}

TEST(CommandMap, CopiesTerminateAndRefuseToCut) {
    const CeStd line = W("/d:555-0123");
    CeChar wide[32];
    std::memset(wide, 0x55, sizeof wide);
    EXPECT_EQ(CopyResult::kOk, CopyCommandLine(line, true, wide, 12));  // exactly fits
    EXPECT_EQ(line, CeStd(wide));

    char narrow[32];
    std::memset(narrow, 0x55, sizeof narrow);
    EXPECT_EQ(CopyResult::kOk, CopyCommandLine(line, false, narrow, 32));
    EXPECT_STREQ("/d:555-0123", narrow);
    EXPECT_EQ(0x55, narrow[12]);  // a narrow request writes bytes, not wide characters

    std::memset(narrow, 0x55, sizeof narrow);
    EXPECT_EQ(CopyResult::kTooSmall, CopyCommandLine(line, false, narrow, 11));
    EXPECT_EQ(0, narrow[0]);
    EXPECT_EQ(0x55, narrow[1]);
    std::memset(wide, 0x55, sizeof wide);
    EXPECT_EQ(CopyResult::kTooSmall, CopyCommandLine(line, true, wide, 1));
    EXPECT_EQ(0, wide[0]);
    EXPECT_EQ(CopyResult::kNoBuffer, CopyCommandLine(line, true, nullptr, 10));
    EXPECT_EQ(CopyResult::kNoBuffer, CopyCommandLine(line, true, wide, 0));
}

TEST(MenuSettings, FieldsFollowTheSettings) {
    SearchSettings s;
    EXPECT_EQ((std::vector<Field>{Field::kSubject, Field::kLocation, Field::kNote}),
              FieldsToSearch(ItemKind::kAppointment, s));
    EXPECT_EQ((std::vector<Field>{Field::kSubject, Field::kNote}), FieldsToSearch(ItemKind::kTask, s));
    EXPECT_TRUE(FieldsToSearch(ItemKind::kOther, s).empty());

    s.apptSubject = s.apptLocation = s.apptNote = false;
    EXPECT_TRUE(FieldsToSearch(ItemKind::kAppointment, s).empty());
    EXPECT_EQ(2u, FieldsToSearch(ItemKind::kTask, s).size());  // tasks still searched

    s = SearchSettings();
    s.apptLocation = false;
    EXPECT_EQ((std::vector<Field>{Field::kSubject, Field::kNote}), FieldsToSearch(ItemKind::kAppointment, s));
    s.dialMenu = s.textMenu = false;  // no menu: nothing to search for
    EXPECT_TRUE(FieldsToSearch(ItemKind::kTask, s).empty());
}

TEST(MenuSettings, ReadFromTheFindersTweakKeyWithDefaultsOn) {
    MemorySettingStore store;
    MenuSettings m;
    m.Load(store);
    SearchSettings s = m.Search();
    EXPECT_TRUE(s.apptSubject && s.apptLocation && s.apptNote && s.taskSubject && s.taskNote && s.dialMenu &&
                s.textMenu);
    EXPECT_EQ(W("\\Program Files\\Olvane\\Tallyra"), m.installPath.Get().str());

    store.WriteNumber(kTweakKey, CeString(W("InsertDialMenu")), 0);
    store.WriteNumber(kTweakKey, CeString(W("SeekTaskNote")), 0);
    store.WriteNumber(kGeneralKey, CeString(W("SeekApptNote")), 0);  // another key: ignored
    store.WriteNumber(kTweakKey, CeString(W("SeekApptLocation")), 7);  // any non-zero is on
    MenuSettings m2;
    m2.Load(store);
    s = m2.Search();
    EXPECT_FALSE(s.dialMenu);
    EXPECT_FALSE(s.taskNote);
    EXPECT_TRUE(s.apptNote);
    EXPECT_TRUE(s.apptLocation);
    EXPECT_TRUE(s.textMenu);
}
