// A stand-in for the list program's library on the test device: "GetListData"
// counts a list file's entries. A list file here is text, one entry a line,
// "[x] " before an entry that is checked off. A first line of "#refuse",
// "#too-many" or "#overrun" makes it answer as a faulty library would: the call
// fails, more entries are done than there are, or it writes past the structure.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct ListData {  // as the Notes tab lays it out
    uint32_t size;
    uint32_t items;
    uint32_t done;
    uint32_t reserved;
};

bool ReadAll(const wchar_t* path, std::string* out) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    bool ok = true;
    while (out->size() < (1u << 20) && (ok = ReadFile(f, buf, sizeof buf, &got, nullptr) != FALSE) && got)
        out->append(buf, got);
    CloseHandle(f);
    return ok;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI GetListData(const wchar_t* path, ListData* data) {
    if (!path || !data || data->size < sizeof(ListData)) return FALSE;
    std::string text;
    if (!ReadAll(path, &text)) return FALSE;
    uint32_t items = 0, done = 0;
    size_t at = 0;
    std::string first;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (at == 0) first = line;
        if (!line.empty() && line[0] != '#') {
            ++items;
            if (line.compare(0, 4, "[x] ") == 0 || line.compare(0, 4, "[X] ") == 0) ++done;
        }
        at = end + 1;
    }
    if (first == "#refuse") return FALSE;
    if (first == "#too-many") done = items + 1;
    data->items = items;
    data->done = done;
    data->reserved = 0;
    if (first == "#overrun") std::memset(data + 1, 0, 8);
    return TRUE;
}
