#include <gtest/gtest.h>

#include "command_line.h"

using namespace tallyra;

namespace {
CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }
}  // namespace

TEST(CommandLine, DialAndTextPrefixesInAnyCase) {
    Command c = ParseCommandLine(W(u"/d:555-0123"));
    EXPECT_EQ(Command::kDial, c.kind);
    EXPECT_EQ(W(u"555-0123"), c.number);
    c = ParseCommandLine(W(u"/D:+49 30 1234"));
    EXPECT_EQ(Command::kDial, c.kind);
    EXPECT_EQ(W(u"+49 30 1234"), c.number);
    c = ParseCommandLine(W(u"/S:0123"));
    EXPECT_EQ(Command::kText, c.kind);
    EXPECT_EQ(Command::kWindow, ParseCommandLine(W(u"")).kind);
}

TEST(CommandLine, AnythingElseDoesNothing) {
    for (const char16_t* line : {u"555-0123", u"/x:555", u"/d", u"/d555", u"-d:555", u"d:/555"})
        EXPECT_EQ(Command::kNothing, ParseCommandLine(W(line)).kind);
    EXPECT_EQ(Command::kDial, ParseCommandLine(W(u"/d:")).kind);  // an empty number: the dialler refuses it
}

TEST(TextMessage, OnlyDialStringsReachTheMailProgramsCommandLine) {
    CeStd args;
    ASSERT_TRUE(TextMessageParameters(W(u"+49 (30) 555-0123"), &args));
    EXPECT_EQ(W(u"-subject \"\" -to \"+49 (30) 555-0123\" -service \"SMS\""), args);
    for (const char16_t* bad : {u"555\" -attach \"\\secret", u"", u"abc", u"555\\0", u"555\t1", u"---"}) {
        args = W(u"untouched");
        EXPECT_FALSE(TextMessageParameters(W(bad), &args)) << std::string(bad, bad + 3);
        EXPECT_EQ(W(u"untouched"), args);
    }
    EXPECT_TRUE(IsDialString(W(u"*31#0123p456w7")));
}

TEST(FileChooser, NamesThatLeaveTheFolderOrAreIllegalAreRefused) {
    EXPECT_EQ(FileNameCheck::kOk, CheckFileName(W(u"my skin")));
    EXPECT_EQ(FileNameCheck::kMissing, CheckFileName(W(u"")));
    for (const char16_t* bad : {u"..\\..\\Windows\\x", u"a/b", u"c:x", u"a*", u"a?", u"\"", u"<", u">", u"|", u"a\nb"})
        EXPECT_EQ(FileNameCheck::kIllegal, CheckFileName(W(bad)));
}

#include "talk_key.h"

TEST(TalkKey, OnePressDialsOnceWhicheverMessagesArrive) {
    TalkKeyFilter f;
    EXPECT_TRUE(f.OnKeyDown(false));
    EXPECT_FALSE(f.OnKeyDown(true));  // auto-repeat while held
    EXPECT_FALSE(f.OnKeyUp());
    EXPECT_TRUE(f.OnKeyUp());  // a platform that sends only the key-up
    EXPECT_TRUE(f.OnKeyDown(false));
    EXPECT_FALSE(f.OnKeyUp());
}

TEST(TalkKey, ALostKeyUpSwallowsNoLaterPress) {
    // The dialler took the key-up of the first press: the next press dials on its
    // key-down all the same, and its own key-up does not dial again.
    TalkKeyFilter f;
    EXPECT_TRUE(f.OnKeyDown(false));
    EXPECT_TRUE(f.OnKeyDown(false));
    EXPECT_FALSE(f.OnKeyUp());
    EXPECT_TRUE(f.OnKeyUp());

    // Losing the keyboard forgets the press, so a later lone key-up is a press.
    EXPECT_TRUE(f.OnKeyDown(false));
    f.Reset();
    EXPECT_TRUE(f.OnKeyUp());
}
