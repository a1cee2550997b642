// The launchers' command lines, dialled numbers, bridge blocks and extension command
// ids, as other programs receive them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "launch_lines.h"

using namespace launch;

TEST(LaunchLines, DialableNumberKeepsOnlyWhatThePhoneDials) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"+1 (555) 123-4567 ext. 89", L"+1555123456789"},
        {L"030 1234p56w7#*,", L"0301234p56w7#*,"},
        {L"P W", L""},  // upper case is no pause
        {L"", L""},
        {L"n/a", L""},
        {L"\x0661\x0662", L""},  // only ASCII digits dial
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, DialableNumber(c.in)) << c.in;
    // Only the first 255 characters count.
    std::wstring longNumber(300, L'7');
    EXPECT_EQ(255u, DialableNumber(longNumber).size());
    EXPECT_EQ(std::wstring(255, L'7'), DialableNumber(std::wstring(255, L'7') + L"12"));
}

TEST(LaunchLines, QuotedTextNeverEndsItsArgumentEarly) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"Lunch", L"\"Lunch\""},
        {L"a\" -to \"evil@x", L"\"a' -to 'evil@x\""},
        {L"C:\\dir\\", L"\"C:\\dir\\\\\""},  // the backslash would escape the quote
        {L"x\\\\", L"\"x\\\\\\\\\""},
        {L"in\\side", L"\"in\\side\""},  // backslashes elsewhere are literal
        {L"two\nlines\t", L"\"two lines \""},
        {L"", L"\"\""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, Quoted(c.in)) << c.in;
}

TEST(LaunchLines, MinuteCountIsMinutesSince1601) {
    EXPECT_EQ(157255200u, MinuteCount(0.0));  // 30 December 1899
    EXPECT_EQ(uint32_t(((109205ull + 39000) * 1440 + 13 * 60 + 30) & 0xFFFFFFFF),
              MinuteCount(39000.0 + 13.5 / 24));
    // 14:59:59.9 as a float must not become 14:59 minus a rounding error.
    EXPECT_EQ(uint32_t((109205ull + 40000) * 1440 + 15 * 60), MinuteCount(40000.0 + 15.0 / 24));
    EXPECT_EQ(0u, MinuteCount(-200000.0));
}

TEST(LaunchLines, ViewsOfEachOrganiser) {
    EXPECT_EQ(L"calendar", PocketOutlookView(kCalendarView));
    EXPECT_EQ(L"", PocketOutlookView(kNotesView));  // the Notes program instead
    EXPECT_EQ(L"V_CONTACTS", AgendaFusionView(kContactsView));
    EXPECT_EQ(L"", AgendaOneView(kNotesView));
    struct Case {
        View view;
        unsigned version;
        const wchar_t* code;
    } cases[] = {
        {kCalendarView, 0, L"2"},   {kNotesView, 599, L"3"},    {kTasksView, 610, L"8"},
        {kCalendarView, 600, L"11"}, {kNotesView, 600, L"7"},  {kContactsView, 600, L"9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, TranslatePocketInformantView(PocketInformantView(c.view), c.version)) << c.version;
}

TEST(LaunchLines, AgendaFusionCommands) {
    EXPECT_EQ(L"[12](39000){noexit}", AgendaFusionCommand(AgendaFusionOpenOnDay(12, 39000.75), true));
    EXPECT_EQ(L"[12](39000)", AgendaFusionCommand(AgendaFusionOpenOnDay(12, 39000.75), false));
    EXPECT_EQ(L"[4294967295]", AgendaFusionOpenItem(0xFFFFFFFF));
    EXPECT_EQ(L"[7]{gomain}{nopreview}", AgendaFusionOpenTaskInMain(7));
    EXPECT_EQ(L"[7](" + std::to_wstring(MinuteCount(39000.5)) + L"){gomain}{nopreview}",
              AgendaFusionOpenAtTimeInMain(7, 39000.5));
    const std::wstring a = std::to_wstring(MinuteCount(39000.5)), b = std::to_wstring(MinuteCount(39001.0));
    EXPECT_EQ(L"N_APPOINTMENT(" + a + L")(" + b + L")", AgendaFusionNew(kNewAppointment, 39000.5, 39001.0, L""));
    EXPECT_EQ(L"N_TASK(0)(" + b + L") \"Call 'Bob'\"", AgendaFusionNew(kNewTask, kNoDate, 39001.0, L"Call \"Bob\""));
    EXPECT_EQ(L"N_CONTACT", AgendaFusionNew(kNewContact, 1.0, 2.0, L""));
    EXPECT_EQ(L"N_NOTE \"x\"", AgendaFusionNew(kNewNote, 1.0, 2.0, L"x"));
}

TEST(LaunchLines, AgendaOneCommands) {
    EXPECT_EQ(L"goto agenda", AgendaOneGoto(L"agenda", kNoDate));
    EXPECT_EQ(L"goto tasks 39000", AgendaOneGoto(L"tasks", 39000.9));
    EXPECT_EQ(L"open 42 39001", AgendaOneOpen(42, 39001.0));
    EXPECT_EQ(L"open 42", AgendaOneOpen(42, kNoDate));
    EXPECT_EQ(L"new task 39002", AgendaOneNew(kNewTask, 39002.2));
    EXPECT_EQ(L"new appointment 39002", AgendaOneNew(kNewAppointment, 39002.2));
}

TEST(LaunchLines, MailParameters) {
    EXPECT_EQ(L"-subject \"\" ", MailParameters(true, L"", L""));
    EXPECT_EQ(L"-subject \"\" -to \"a@b.c\" -service \"SMS\"", MailParameters(true, L"a@b.c", L"SMS"));
    EXPECT_EQ(L"-service \"Work\"", MailParameters(false, L"ignored@x", L"Work"));
    EXPECT_EQ(L"", MailParameters(false, L"", L""));
    // An address cannot add an argument of its own.
    EXPECT_EQ(L"-subject \"\" -to \"x' -attach 'y\" ", MailParameters(true, L"x\" -attach \"y", L""));
}

TEST(LaunchLines, BridgeBlockLayout) {
    struct Field {
        size_t at, device;
    } fields[] = {
        {offsetof(PimBridgeRequest, verb), 4},        {offsetof(PimBridgeRequest, kind), 8},
        {offsetof(PimBridgeRequest, showId), 16},     {offsetof(PimBridgeRequest, showDay), 24},
        {offsetof(PimBridgeRequest, notePath), 32},   {offsetof(PimBridgeRequest, showFlag), 544},
        {offsetof(PimBridgeRequest, editId), 552},    {offsetof(PimBridgeRequest, editDay), 560},
        {offsetof(PimBridgeRequest, start), 568},     {offsetof(PimBridgeRequest, end), 576},
        {offsetof(PimBridgeRequest, category), 584},  {offsetof(PimBridgeRequest, newId), 1096},
        {offsetof(PimBridgeRequest, createdFor), 1104},
    };
    for (const Field& f : fields) EXPECT_EQ(f.device, f.at);
}

TEST(LaunchLines, BridgeRequestsNameOnlyTheirFields) {
    PimBridgeRequest show = BridgeShow(kPocketInformant, kBridgeAppointment, 0x1234, 39000.0, 1);
    EXPECT_EQ(1, show.app);
    EXPECT_EQ(kShow, show.verb);
    EXPECT_EQ(0x1234, show.showId);
    EXPECT_EQ(39000.0, show.showDay);
    EXPECT_EQ(1, show.showFlag);
    EXPECT_EQ(0, show.editId);

    PimBridgeRequest contact = BridgeShow(kPocketOutlook, kBridgeContact, 9, 39000.0, 1);
    EXPECT_EQ(0.0, contact.showDay);
    EXPECT_EQ(0, contact.showFlag);

    PimBridgeRequest edit = BridgeEdit(kPocketOutlook, kBridgeTask, 77, 39000.0);
    EXPECT_EQ(77, edit.editId);
    EXPECT_EQ(0.0, edit.editDay);  // only appointments have a day

    PimBridgeRequest tmpl = BridgeFromTemplate(kBridgeTask, 5, 39003.0);
    EXPECT_EQ(1, tmpl.app);  // always Pocket Informant
    EXPECT_EQ(kFromTemplate, tmpl.verb);
    EXPECT_EQ(5, tmpl.newId);
    EXPECT_EQ(39003.0, tmpl.createdFor);
}

TEST(LaunchLines, BridgeTextsMustFitTheirFields) {
    PimBridgeRequest r;
    std::memset(&r, 0x5A, sizeof r);
    const PimBridgeRequest untouched = r;
    ASSERT_TRUE(BridgeShowNote(std::wstring(255, L'a'), &r));
    EXPECT_EQ(1, r.app);
    EXPECT_EQ(kBridgeNote, r.kind);
    EXPECT_EQ(u'a', r.notePath[254]);
    EXPECT_EQ(0, r.notePath[255]);
    EXPECT_EQ(0, r.showFlag);

    PimBridgeRequest r2 = untouched;
    EXPECT_FALSE(BridgeShowNote(std::wstring(256, L'a'), &r2));
    EXPECT_EQ(0, std::memcmp(&r2, &untouched, sizeof r2));
    EXPECT_FALSE(BridgeCreate(kPocketOutlook, kBridgeTask, 1.0, 2.0, std::wstring(300, L'c'), &r2));
    EXPECT_EQ(0, std::memcmp(&r2, &untouched, sizeof r2));

    ASSERT_TRUE(BridgeCreate(kPocketOutlook, kBridgeAppointment, 39000.5, kNoDate, L"Work \x00E9", &r2));
    EXPECT_EQ(kCreate, r2.verb);
    EXPECT_EQ(39000.5, r2.start);
    EXPECT_EQ(kNoDate, r2.end);
    EXPECT_EQ(std::u16string(u"Work \u00E9"), std::u16string(r2.category));
    // A contact has no dates or category, so a long category cannot refuse it.
    EXPECT_TRUE(BridgeCreate(kPocketOutlook, kBridgeContact, 1.0, 2.0, std::wstring(300, L'c'), &r2));
    EXPECT_EQ(0, r2.category[0]);
}

TEST(LaunchLines, ExtensionCommandRangesNeverOverlap) {
    CommandIds ids;
    EXPECT_EQ(6000u, ids.TakeOne());
    EXPECT_EQ(6001u, ids.TakeOne());
    EXPECT_EQ(6051u, ids.Limit());
    struct Step {
        unsigned returned, highest, end;
    } steps[] = {
        {2, 6003, 6004},   // honest: two ids from 6002
        {0, 6005, 6006},   // reported none but used 6004 and 6005
        {3, 6006, 6009},   // reported more than it shows
        {0, 0, 6009},      // failed or added nothing: no ids used
        {500, 0, 6059},    // cannot claim more than it was offered
        {1, 6000, 6060},   // an id below its range changes nothing
    };
    for (const Step& s : steps) {
        const unsigned first = ids.next();
        EXPECT_EQ(s.end, ids.Commit(s.returned, s.highest)) << first;
        EXPECT_GE(ids.next(), first);
    }
}
