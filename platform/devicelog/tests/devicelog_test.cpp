// The device log: lines written by several processes at once stay whole.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "devicelog.h"
#include "raii.h"

namespace {

raii::Handle Start(const std::wstring& args) {
    std::wstring cmd = std::wstring(L"\"") + WRITER_EXE + L"\" " + args;
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return raii::Handle();
    CloseHandle(pi.hThread);
    return raii::Handle(pi.hProcess);
}

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : std::string();
}

}  // namespace

TEST(DeviceLog, EveryLineCarriesTimeSourceEventAndProcess) {
    const auto from = devlog::LogSize();
    ASSERT_TRUE(devlog::Event("unit", "hello").Str("who", L"w\u00f6rld \"quoted\"").Int("n", -3).Append());
    auto lines = devlog::ReadLog(from);
    ASSERT_EQ(1u, lines.size());
    const auto& l = lines[0];
    EXPECT_EQ("time", l[0].name);
    EXPECT_EQ(19u, l[0].text.size()) << l[0].text;  // YYYY-MM-DDTHH:MM:SS of the device clock
    EXPECT_EQ("unit", Text(l, "source"));
    EXPECT_EQ("hello", Text(l, "event"));
    EXPECT_EQ(std::to_string(GetCurrentProcessId()), Text(l, "pid"));
    EXPECT_EQ("w\xC3\xB6rld \"quoted\"", Text(l, "who"));
    EXPECT_EQ("-3", Text(l, "n"));
}

TEST(DeviceLog, TheLogIsTheDeviceImagesFile) {
    // Device programs run with their current directory on the device drive, so the
    // rooted path is the image's \Windows folder.
    wchar_t full[MAX_PATH];
    ASSERT_NE(0u, GetFullPathNameW(devlog::kLogPath, MAX_PATH, full, nullptr));
    EXPECT_EQ(0, _wcsicmp(L"D:\\Windows\\devicelog.jsonl", full)) << full;
}

TEST(DeviceLog, ConcurrentAppendsFromSeveralProcessesKeepEveryLineWhole) {
    // Lines longer than a pipe buffer or a page: a torn write would show.
    const int kProcesses = 6, kLines = 40, kSize = 9000;
    const auto from = devlog::LogSize();
    std::vector<raii::Handle> procs;
    for (int p = 0; p < kProcesses; ++p) {
        procs.push_back(Start(L"w" + std::to_wstring(p) + L" " + std::to_wstring(kLines) + L" " +
                              std::to_wstring(kSize)));
        ASSERT_TRUE(procs.back());
    }
    for (auto& p : procs) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.get(), 60000));
        DWORD code = 99;
        GetExitCodeProcess(p.get(), &code);
        EXPECT_EQ(0u, code);
    }
    std::map<std::string, std::set<int>> seen;
    size_t readable = 0;
    for (const auto& l : devlog::ReadLog(from)) {
        if (Text(l, "source") != "test") continue;
        ++readable;
        const int seq = std::stoi(Text(l, "seq"));
        EXPECT_EQ(std::string(kSize, char('a' + seq % 26)), Text(l, "payload"));
        EXPECT_TRUE(seen[Text(l, "tag")].insert(seq).second) << "a line written twice";
    }
    EXPECT_EQ(size_t(kProcesses * kLines), readable);
    EXPECT_EQ(size_t(kProcesses), seen.size());
    for (auto& [tag, seqs] : seen) EXPECT_EQ(size_t(kLines), seqs.size()) << tag;

    // Nothing but whole lines were added: the byte count adds up.
    raii::File f(CreateFileW(devlog::kLogPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f);
    LARGE_INTEGER size;
    GetFileSizeEx(f.get(), &size);
    std::string tail(size_t(size.QuadPart - LONGLONG(from)), '\0');
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(from);
    SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(f.get(), &tail[0], DWORD(tail.size()), &got, nullptr));
    size_t newlines = 0;
    for (char c : tail) newlines += c == '\n';
    EXPECT_EQ(size_t(kProcesses * kLines), newlines);
    EXPECT_EQ('\n', tail.back());
}

TEST(DeviceLog, MalformedLinesAreSkippedNotFatal) {
    const auto from = devlog::LogSize();
    {
        raii::File f(CreateFileW(devlog::kLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
        const char junk[] = "not json\n{\"half\":\n";
        DWORD n;
        ASSERT_TRUE(WriteFile(f.get(), junk, sizeof junk - 1, &n, nullptr));
    }
    ASSERT_TRUE(devlog::Event("unit", "after-junk").Append());
    auto lines = devlog::ReadLog(from);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("after-junk", Text(lines[0], "event"));
}
