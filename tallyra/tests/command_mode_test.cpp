// tallyra.exe started with "/d:" or "/s:" as the menu extension starts it: it dials or
// opens the composer, shows no window and ends; seen through the device log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devicelog.h"
#include "raii.h"

namespace {

const wchar_t kExe[] = L"D:\\Program Files\\Olvane\\Tallyra\\tallyra.exe";

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

std::vector<std::vector<devlog::Field>> From(const char* source, unsigned long long from) {
    std::vector<std::vector<devlog::Field>> out;
    for (auto& l : devlog::ReadLog(from))
        if (Text(l, "source") == source) out.push_back(l);
    return out;
}

// Runs the finder to its end; its exit code, 99 when it did not end.
DWORD RunFinder(const std::wstring& args, bool* sawWindow) {
    std::wstring cmd = std::wstring(L"\"") + kExe + L"\" " + args;
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(kExe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, L"D:\\", &si, &pi)) return 98;
    raii::Handle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        return 99;
    }
    *sawWindow = FindWindowW(L"TALLYRA", nullptr) != nullptr;
    DWORD code = 97;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

// The composer starts after the finder has gone: wait for its line, then close it.
std::vector<std::vector<devlog::Field>> AwaitComposer(unsigned long long from) {
    for (int i = 0; i < 400; ++i) {
        auto lines = From("tmail", from);
        if (!lines.empty()) {
            const DWORD pid = DWORD(std::stoul(Text(lines[0], "pid")));
            raii::Handle p(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
            for (int j = 0; p && j < 200; ++j) {
                if (HWND w = FindWindowW(L"Dialog", L"Messaging")) {
                    PostMessageW(w, WM_CLOSE, 0, 0);
                    break;
                }
                if (WaitForSingleObject(p.get(), 50) == WAIT_OBJECT_0) break;
            }
            if (p && WaitForSingleObject(p.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(p.get(), 1);
            return lines;
        }
        Sleep(50);
    }
    return {};
}

}  // namespace

TEST(CommandMode, DialsThroughThePhoneLibraryWithoutAWindow) {
    const auto from = devlog::LogSize();
    bool window = true;
    EXPECT_EQ(0u, RunFinder(L"/d:555-0123", &window));
    EXPECT_FALSE(window);
    auto calls = From("phone", from);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("call", Text(calls[0], "event"));
    EXPECT_EQ("555-0123", Text(calls[0], "number"));
    // Upper case works alike; another prefix does nothing.
    EXPECT_EQ(0u, RunFinder(L"/D:0123", &window));
    EXPECT_EQ(0u, RunFinder(L"/x:0456", &window));
    calls = From("phone", from);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("0123", Text(calls[1], "number"));
}

TEST(CommandMode, OpensTheComposerForADialString) {
    const auto from = devlog::LogSize();
    bool window = true;
    EXPECT_EQ(0u, RunFinder(L"/s:+49 30 555", &window));
    EXPECT_FALSE(window);
    auto lines = AwaitComposer(from);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("start", Text(lines[0], "event"));
    EXPECT_EQ("-subject \"\" -to \"+49 30 555\" -service \"SMS\"", Text(lines[0], "commandLine"));
}

TEST(CommandMode, RefusesATextNumberThatCouldInjectArguments) {
    const auto from = devlog::LogSize();
    bool window = true;
    EXPECT_EQ(0u, RunFinder(L"/s:555\" -attach \"\\secret", &window));
    // The refusal itself is tested without Wine (TextMessageParameters); here: by the
    // time a whole further run has ended, no composer has logged a start.
    EXPECT_EQ(0u, RunFinder(L"/d:1", &window));
    ASSERT_EQ(1u, From("phone", from).size());
    EXPECT_TRUE(From("tmail", from).empty());
}
