#include "devicelog.h"

#include "cecompat.h"
#include "raii.h"

namespace devlog {

namespace {

// Appenders serialise on one byte far past any data, so readers never contend.
constexpr DWORD kLockOffset = 0xFFFFFFFF;

class FileLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {
        OVERLAPPED ov = {};
        ov.Offset = kLockOffset;
        locked_ = LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov) != FALSE;
    }
    ~FileLock() {
        if (!locked_) return;
        OVERLAPPED ov = {};
        ov.Offset = kLockOffset;
        UnlockFileEx(file_, 0, 1, 0, &ov);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return locked_; }

private:
    HANDLE file_;
    bool locked_ = false;
};

std::string DeviceTime() {
    SYSTEMTIME st;
    CeSim_GetLocalTime(&st);
    char buf[32];
    wsprintfA(buf, "%04u-%02u-%02uT%02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
              st.wSecond);
    return buf;
}

}  // namespace

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), &out[0], n);
    return out;
}

Event::Event(const char* source, const char* event) : line_(DeviceTime(), source, event) {
    line_.Int("pid", GetCurrentProcessId());
}

Event& Event::Str(const char* name, const std::wstring& value) {
    line_.Str(name, Utf8(value));
    return *this;
}

Event& Event::Str(const char* name, const wchar_t* value) { return Str(name, std::wstring(value ? value : L"")); }

Event& Event::Int(const char* name, long long value) {
    line_.Int(name, value);
    return *this;
}

Event& Event::Bool(const char* name, bool value) {
    line_.Bool(name, value);
    return *this;
}

Event& Event::Hex(const char* name, const void* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(size * 2);
    auto p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; p && i < size; ++i) {
        hex += digits[p[i] >> 4];
        hex += digits[p[i] & 15];
    }
    line_.Str(name, hex);
    return *this;
}

bool Event::Append() const {
    const std::string text = line_.Text();
    raii::File f(CreateFileW(kLogPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    FileLock lock(f.get());
    if (!lock.locked()) return false;
    // Under the lock the end cannot move: the whole line lands after the last one.
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(f.get(), zero, nullptr, FILE_END)) return false;
    DWORD written = 0;
    return WriteFile(f.get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

unsigned long long LogSize() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(kLogPath, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::vector<Field>> ReadLog(unsigned long long from) {
    std::vector<std::vector<Field>> lines;
    raii::File f(CreateFileW(kLogPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return lines;
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(from);
    if (!SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN)) return lines;
    std::string text;
    char buf[64 * 1024];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        if (auto fields = ParseLine(std::string_view(text).substr(start, end - start)))
            lines.push_back(std::move(*fields));
        start = end + 1;
    }
    return lines;
}

}  // namespace devlog
