// Every launcher, run on the test device: the outside programs there record how they
// were started (and what the bridge was sent) in the device log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devicelog.h"
#include "launchers.h"
#include "reg.h"

using namespace launch;

namespace {

using Line = std::vector<devlog::Field>;

std::string Text(const Line& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

// The first line from `source` after `from`; the programs run on their own, so the
// log is read until it comes (or the program clearly never started).
bool WaitFor(unsigned long long from, const char* source, Line* out) {
    for (int i = 0; i < 1000; ++i) {
        for (auto& l : devlog::ReadLog(from))
            if (Text(l, "source") == source) {
                *out = l;
                return true;
            }
        Sleep(20);
    }
    return false;
}

// Closes the window a started program shows once it is there, so that no program
// outlives its test.
void CloseWhenShown(const wchar_t* cls, const wchar_t* title) {
    for (int i = 0; i < 500; ++i) {
        if (HWND w = FindWindowW(cls, title)) {
            SendMessageW(w, WM_CLOSE, 0, 0);
            return;
        }
        Sleep(20);
    }
    ADD_FAILURE() << "no window";
}

LaunchConfig Config(int pimSw) {
    LaunchConfig c;
    c.pimSw = pimSw;
    return c;
}

class Launchers : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\WebIS\\PocketInformant");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Pinlist");
    }
    // Runs the launcher and returns the command line its program recorded.
    template <class Run>
    std::string CommandLine(const char* source, Run run, const char* field = "commandLine") {
        const auto from = devlog::LogSize();
        EXPECT_TRUE(run());
        Line line;
        if (!WaitFor(from, source, &line)) return "<not started>";
        return Text(line, field);
    }
};

}  // namespace

TEST_F(Launchers, ApplicationsOfEveryOrganiser) {
    struct Case {
        int pimSw;
        View view;
        const char* source;
        const char* commandLine;
    } cases[] = {
        {kPocketOutlook, kCalendarView, "poutlook", "calendar"},
        {kPocketOutlook, kTasksView, "poutlook", "tasks"},
        {kPocketOutlook, kContactsView, "poutlook", "contacts"},
        {kPocketOutlook, kNotesView, "notes", ""},
        {kPocketInformant, kCalendarView, "pitab", "2"},
        {kPocketInformant, kTasksView, "pitab", "4"},
        {kPocketInformant, kNotesView, "pitab", "3"},
        {kPocketInformant, kContactsView, "pitab", "5"},
        {kAgendaFusion, kCalendarView, "agendafusion", "V_TODAY"},
        {kAgendaFusion, kTasksView, "agendafusion", "V_TASKS"},
        {kAgendaFusion, kNotesView, "agendafusion", "V_NOTES"},
        {kAgendaFusion, kContactsView, "agendafusion", "V_CONTACTS"},
        {kAgendaOne, kCalendarView, "agenda one", "goto agenda"},
        {kAgendaOne, kTasksView, "agenda one", "goto tasks"},
        {kAgendaOne, kContactsView, "agenda one", "goto contacts"},
        {kAgendaOne, kNotesView, "notes", ""},
    };
    for (const Case& c : cases) {
        const std::string field = std::string(c.source) == "poutlook" ? "args" : "commandLine";
        EXPECT_EQ(c.commandLine, CommandLine(c.source, [&] { return OpenApplication(Config(c.pimSw), nullptr, c.view); },
                                             field.c_str()))
            << c.pimSw << " " << c.view;
        // These show windows: close them so that the next start is a fresh program.
        if (std::string(c.source) == "notes") CloseWhenShown(L"Notes", L"Notes");
        if (std::string(c.source) == "agenda one") CloseWhenShown(L"Dialog", L"Agenda One");
    }
}

TEST_F(Launchers, NewerPocketInformantNumbersItsViewsAnew) {
    ASSERT_TRUE(reg::SetDword(HKEY_CURRENT_USER, L"Software\\WebIS\\PocketInformant", L"version", 610));
    EXPECT_EQ("8", CommandLine("pitab", [] { return OpenApplication(Config(kPocketInformant), nullptr, kTasksView); }));
    // A utilities folder without the program falls back to \Windows.
    ASSERT_TRUE(reg::SetString(HKEY_CURRENT_USER, L"Software\\WebIS\\PocketInformant", L"UtilsInstallDir",
                               L"\\Nowhere"));
    Line line;
    const auto from = devlog::LogSize();
    ASSERT_TRUE(OpenPocketInformant(nullptr, L"2"));
    ASSERT_TRUE(WaitFor(from, "pitab", &line));
    EXPECT_EQ("11", Text(line, "commandLine"));
    EXPECT_EQ("D:\\Windows\\PITab.exe", Text(line, "program"));
}

TEST_F(Launchers, AgendaFusionKeepsRunningWhenAsked) {
    LaunchConfig c = Config(kAgendaFusion);
    c.leaveAgendaFusionRunning = true;
    EXPECT_EQ("[12](39000){noexit}",
              CommandLine("agendafusion", [&] { return RunAgendaFusion(c, AgendaFusionOpenOnDay(12, 39000.0)); }));
    c.leaveAgendaFusionRunning = false;
    EXPECT_EQ("N_TASK(0)(" + std::to_string(MinuteCount(39001.0)) + ") \"Pay 'rent' now\"",
              CommandLine("agendafusion", [&] {
                  return RunAgendaFusion(c, AgendaFusionNew(kNewTask, kNoDate, 39001.0, L"Pay \"rent\" now"));
              }));
}

TEST_F(Launchers, AgendaOneIsAskedToEditWhatItOpened) {
    const auto from = devlog::LogSize();
    ASSERT_TRUE(EditInAgendaOne(Config(kAgendaOne), nullptr, 42, 39000.0));
    Line start, command;
    ASSERT_TRUE(WaitFor(from, "agenda one", &start));
    EXPECT_EQ("open 42 39000", Text(start, "commandLine"));
    for (int i = 0; i < 500 && Text(command, "event") != "command"; ++i) {
        for (auto& l : devlog::ReadLog(from))
            if (Text(l, "source") == "agenda one" && Text(l, "event") == "command") command = l;
        if (Text(command, "event") != "command") Sleep(20);
    }
    EXPECT_EQ("11009", Text(command, "id"));
    CloseWhenShown(L"Dialog", L"Agenda One");
}

TEST_F(Launchers, MailProgramCommandLines) {
    LaunchConfig c;
    struct Case {
        bool compose;
        const wchar_t* to;
        const wchar_t* service;
        const char* commandLine;
    } cases[] = {
        {true, L"ann@example.com", L"", "-subject \"\" -to \"ann@example.com\" "},
        {true, L"", L"SMS", "-subject \"\" -service \"SMS\""},
        {false, L"", L"Work", "-service \"Work\""},
        // An address cannot smuggle in an argument of its own.
        {true, L"a\" -attach \"\\\\x", L"", "-subject \"\" -to \"a' -attach '\\\\x\" "},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.commandLine, CommandLine("tmail", [&] { return ComposeOrOpenMail(c, nullptr, k.compose, k.to, k.service); }));
        CloseWhenShown(L"Dialog", L"Messaging");
    }
}

TEST_F(Launchers, CustomMailSoftware) {
    LaunchConfig c;
    c.mailSoftware = 1;
    c.mailCustomInbox = L"\\Program Files\\Olvane\\Pinlist\\Pinlist.exe";
    EXPECT_EQ("", CommandLine("pinlist", [&] { return ComposeOrOpenMail(c, nullptr, false, L"", L""); }));
    c.mailCustomInbox.clear();
    EXPECT_FALSE(ComposeOrOpenMail(c, nullptr, false, L"", L""));
    // A new message goes to whatever handles mailto:.
    const auto from = devlog::LogSize();
    EXPECT_TRUE(ComposeOrOpenMail(c, nullptr, true, L"ann@example.com", L""));
    Line line;
    ASSERT_TRUE(WaitFor(from, "tmail", &line));
    EXPECT_NE(std::string::npos, Text(line, "commandLine").find("mailto:")) << Text(line, "commandLine");
    CloseWhenShown(L"Dialog", L"Messaging");
}

TEST_F(Launchers, OfficeSettingsAndListPrograms) {
    EXPECT_EQ("", CommandLine("pxl", [] { return NewOfficeFile(nullptr, true); }));
    EXPECT_EQ("", CommandLine("pword", [] { return NewOfficeFile(nullptr, false); }));
    EXPECT_EQ("/tab 3", CommandLine("drsettings", [] { return OpenSettingsProgram(LaunchConfig(), nullptr, L"/tab 3"); }));
    EXPECT_EQ("", CommandLine("pinlist", [] { return OpenListProgram(nullptr); }));
    ASSERT_TRUE(reg::SetString(HKEY_CURRENT_USER, L"Software\\Olvane\\Pinlist", L"AppExePath", L""));
    EXPECT_FALSE(OpenListProgram(nullptr));
}

TEST_F(Launchers, DialPassesOnlyDialableCharacters) {
    EXPECT_EQ("+1555123456789", CommandLine("phone", [] { return Dial(L"+1 (555) 123-4567 ext. 89"); }, "number"));
    const auto from = devlog::LogSize();
    EXPECT_FALSE(Dial(L"n/a"));
    for (auto& l : devlog::ReadLog(from)) EXPECT_NE("phone", Text(l, "source"));
}

TEST_F(Launchers, TheBridgeGetsTheRequestBlock) {
    PimBridgeRequest r = BridgeEdit(kPocketInformant, kBridgeAppointment, 0x1234, 39000.0);
    const auto from = devlog::LogSize();
    ASSERT_TRUE(SendToPimBridge(LaunchConfig(), nullptr, r));
    Line copy;
    for (int i = 0; i < 500; ++i) {
        for (auto& l : devlog::ReadLog(from))
            if (Text(l, "source") == "pimbridge" && Text(l, "event") == "copydata") copy = l;
        if (!copy.empty()) break;
        Sleep(20);
    }
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ("1112", Text(copy, "cbData"));
    const std::string hex = Text(copy, "data");
    ASSERT_EQ(2224u, hex.size());
    EXPECT_EQ("010000000100000000000000", hex.substr(0, 24));  // Pocket Informant, edit, appointment
    EXPECT_EQ("34120000", hex.substr(552 * 2, 8));
    // The bridge stays: a second request goes to the same window without a start.
    const auto again = devlog::LogSize();
    ASSERT_TRUE(SendToPimBridge(LaunchConfig(), nullptr, BridgeShow(kPocketOutlook, kBridgeTask, 7, 0, 1)));
    int starts = 0, copies = 0;
    for (auto& l : devlog::ReadLog(again)) {
        if (Text(l, "source") != "pimbridge") continue;
        starts += Text(l, "event") == "start";
        copies += Text(l, "event") == "copydata";
    }
    EXPECT_EQ(0, starts);
    EXPECT_EQ(1, copies);
    CloseWhenShown(L"PIM_BRIDGE_CLASS", L"");
}

TEST_F(Launchers, DocumentsOpenWithTheirProgram) {
    struct Case {
        const wchar_t* file;
        const char* source;
    } cases[] = {{L"\\Temp\\plan.doc", "pword"}, {L"\\Temp\\sums.xls", "pxl"}, {L"\\Temp\\read me.txt", "notes"}};
    for (const Case& c : cases) {
        raii::File f(CreateFileW(c.file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f) << c.source;
        f.reset();
        const std::string line = CommandLine(c.source, [&] { return Launch(nullptr, c.file, L"", L"OpenDoc"); });
        EXPECT_EQ(0u, line.find("-opendoc \"")) << line;
        EXPECT_NE(std::string::npos, line.find(devlog::Utf8(c.file + 1))) << line;  // the path, whatever drive
        if (std::string(c.source) == "notes") CloseWhenShown(L"Notes", L"Notes");
        DeleteFileW(c.file);
    }
}
