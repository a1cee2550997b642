// The outside programs of the device, as installed in the image: each records how it
// was started and what it was sent.
#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "devicelog.h"
#include "raii.h"

namespace {

using Lines = std::vector<std::vector<devlog::Field>>;

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

Lines From(const char* source, unsigned long long from) {
    Lines out;
    for (auto& l : devlog::ReadLog(from))
        if (Text(l, "source") == source) out.push_back(l);
    return out;
}

struct Found {
    DWORD pid;
    const wchar_t* cls;
    HWND hwnd;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
    auto f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    wchar_t cls[64] = {};
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameW(hwnd, cls, 64);
    if (pid == f->pid && lstrcmpW(cls, f->cls) == 0) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The process's top-level window of that class, once it waits for input.
HWND WindowOf(const PROCESS_INFORMATION& pi, const wchar_t* cls) {
    WaitForInputIdle(pi.hProcess, 20000);
    Found f = {pi.dwProcessId, cls, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

bool Start(const std::wstring& program, const std::wstring& args, PROCESS_INFORMATION* pi) {
    std::wstring cmd = L"\"" + program + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si = {sizeof si};
    return CreateProcessW(program.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, L"D:\\", &si, pi) != FALSE;
}

DWORD Finish(const PROCESS_INFORMATION& pi) {
    raii::Handle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        return 99;
    }
    DWORD code = 98;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

}  // namespace

TEST(Recorder, InstalledUnderEveryNameTheSystemStarts) {
    for (const wchar_t* path :
         {L"\\Windows\\tmail.exe", L"\\Windows\\notes.exe", L"\\Windows\\pword.exe", L"\\Windows\\pxl.exe",
          L"\\Windows\\PITab.exe", L"\\Program Files\\Olvane\\Daybrim\\DRSettings.exe",
          L"\\Program Files\\Olvane\\Daybrim\\PimBridge.exe", L"\\Program Files\\Agenda Fusion\\AgendaFusion.exe",
          L"\\Program Files\\Agenda One\\Agenda One.exe", L"\\Program Files\\Olvane\\Pinlist\\Pinlist.exe"})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path)) << path;
}

TEST(Recorder, ThePimBridgeRecordsItsRequestBlocks) {
    const auto from = devlog::LogSize();
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(L"D:\\Program Files\\Olvane\\Daybrim\\PimBridge.exe", L"", &pi));
    HWND bridge = WindowOf(pi, L"PIM_BRIDGE_CLASS");
    ASSERT_NE(nullptr, bridge);
    EXPECT_EQ(0, GetWindowTextLengthW(bridge)) << "found by class and an empty title";
    EXPECT_EQ(bridge, FindWindowW(L"PIM_BRIDGE_CLASS", L""));

    std::vector<unsigned char> block(1112, 0);
    block[4] = 1;  // verb: edit
    block[8] = 2;  // kind: contact
    block[1111] = 0xAB;
    COPYDATASTRUCT cds = {0, DWORD(block.size()), block.data()};
    EXPECT_EQ(TRUE, SendMessageW(bridge, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
    SendMessageW(bridge, WM_COMMAND, 11009, 0);
    PostMessageW(bridge, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, Finish(pi));

    Lines lines = From("pimbridge", from);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("start", Text(lines[0], "event"));
    EXPECT_EQ("", Text(lines[0], "commandLine"));
    EXPECT_EQ("copydata", Text(lines[1], "event"));
    EXPECT_EQ("1112", Text(lines[1], "cbData"));
    const std::string hex = Text(lines[1], "data");
    ASSERT_EQ(2224u, hex.size());
    EXPECT_EQ("00000000010000000200", hex.substr(0, 20));
    EXPECT_EQ("AB", hex.substr(2222));
    EXPECT_EQ("command", Text(lines[2], "event"));
    EXPECT_EQ("11009", Text(lines[2], "id"));
    EXPECT_EQ("close", Text(lines[3], "event"));
}

TEST(Recorder, TheMailProgramRecordsItsCommandLineAndShowsADialog) {
    const auto from = devlog::LogSize();
    const std::wstring args = L"-subject \"\" -to \"+4930123\" -service \"SMS\"";
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(L"D:\\Windows\\tmail.exe", args, &pi));
    HWND dialog = WindowOf(pi, L"Dialog");
    ASSERT_NE(nullptr, dialog);
    PostMessageW(dialog, WM_COMMAND, 32681, 0);  // reply
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, Finish(pi));

    Lines lines = From("tmail", from);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(devlog::Utf8(args), Text(lines[0], "commandLine"));
    EXPECT_EQ("D:\\Windows\\tmail.exe", Text(lines[0], "program"));
    EXPECT_EQ("32681", Text(lines[1], "id"));
}

TEST(Recorder, ProgramsNobodyLooksForLogAndEnd) {
    const auto from = devlog::LogSize();
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(L"D:\\Program Files\\Agenda Fusion\\AgendaFusion.exe", L"N_TASK(0)(1234) \"a \\\"b\\\"\"", &pi));
    EXPECT_EQ(0u, Finish(pi));
    Lines lines = From("agendafusion", from);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("N_TASK(0)(1234) \"a \\\"b\\\"\"", Text(lines[0], "commandLine"));
    EXPECT_EQ("", Text(lines[0], "window"));
}

// The system starts documents, aliases and mailto: through the shell; a program
// started that way must be able to show its window like any other.
TEST(Recorder, AWindowedProgramStartsThroughAShellAlias) {
    const auto from = devlog::LogSize();
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    sei.lpVerb = L"Open";
    sei.lpFile = L":MSNOTETAKE";
    sei.lpParameters = L"";
    sei.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&sei)) << GetLastError();
    ASSERT_NE(nullptr, sei.hProcess);
    PROCESS_INFORMATION pi = {sei.hProcess, nullptr, GetProcessId(sei.hProcess), 0};
    HWND notes = WindowOf(pi, L"Notes");
    ASSERT_NE(nullptr, notes) << "the program could not create its window";
    EXPECT_TRUE(IsWindowVisible(notes));
    PostMessageW(notes, WM_CLOSE, 0, 0);
    raii::Handle process(sei.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 20000));
    DWORD code = 98;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(0u, code);

    Lines lines = From("notes", from);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("D:\\Windows\\notes.exe", Text(lines[0], "program"));
    EXPECT_EQ("Notes", Text(lines[0], "window"));
    EXPECT_EQ("close", Text(lines[1], "event"));
}
