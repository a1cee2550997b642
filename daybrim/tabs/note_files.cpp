#include "note_files.h"

#include <cwctype>

namespace daybrim {
namespace notes {

namespace {

struct TypeRow {
    unsigned bit;
    const wchar_t* ext;
    int groupString;
    int deleteString;
};
const TypeRow kTypes[] = {
    {kInk, L"pwi", 41003, 41021},  {kVoice, L"wav", 41004, 41255}, {kText, L"txt", 41248, 41256},
    {kWord, L"doc", 41249, 41257}, {kExcel, L"xls", 41250, 41258}, {kList, L"mll", 41251, 41259},
};

const TypeRow* RowOf(unsigned bit) {
    for (const TypeRow& r : kTypes)
        if (r.bit == bit) return &r;
    return nullptr;
}

std::wstring Lower(const std::wstring& s) {
    std::wstring out(s);
    for (wchar_t& c : out) c = wchar_t(std::towlower(c));
    return out;
}

template <typename T>
int Order(T a, T b) {
    return a < b ? 1 : (b < a ? -1 : 0);
}

}  // namespace

unsigned TypeOfName(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos || fileName.find_first_of(L"\\/", dot) != std::wstring::npos) return 0;
    const std::wstring ext = Lower(fileName.substr(dot + 1));
    for (const TypeRow& r : kTypes)
        if (ext == r.ext) return r.bit;
    return 0;
}

std::wstring DottedExtension(unsigned bit) {
    const TypeRow* r = RowOf(bit);
    return r ? std::wstring(L".") + r->ext : std::wstring();
}

int TypeGroupString(unsigned bit) {
    const TypeRow* r = RowOf(bit);
    return r ? r->groupString : 0;
}

int DeleteQuestionString(unsigned bit) {
    const TypeRow* r = RowOf(bit);
    return r ? r->deleteString : 41021;
}

int DateGroupKey(int32_t fileDay, int32_t today) {
    const int32_t age = today - fileDay;
    if (age <= 0) return 4;
    if (age == 1) return 3;
    if (age <= 7) return 2;
    if (age <= 30) return 1;
    return 0;
}

int DateGroupString(int key) {
    static const int kStrings[] = {41002, 41001, 41000, 40999, 73};
    return key >= 0 && key <= 4 ? kStrings[key] : 41002;
}

int CompareFiles(const FileFacts& a, const FileFacts& b, int sort, int direction) {
    int c = 0;
    if (sort == 1) c = Order(a.modified, b.modified);
    else if (sort == 2) c = Order(a.size, b.size);
    if (c == 0) c = Order(Lower(a.name), Lower(b.name));
    return direction < 0 ? -c : c;
}

bool ValidFileName(const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
    for (wchar_t c : name)
        if (c < 32) return false;
    return name.find_first_not_of(L". ") != std::wstring::npos;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring StemOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

std::wstring TargetFolder(const std::wstring& location, const std::wstring& sub) {
    const size_t start = location.find_first_not_of(L'\\');
    std::wstring folder = L"\\" + (start == std::wstring::npos ? std::wstring() : location.substr(start));
    while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
    if (!sub.empty()) folder += (folder == L"\\" ? L"" : L"\\") + sub;
    return folder;
}

MoveKind PlanMove(const std::wstring& from, const std::wstring& to) {
    if (from == to) return MoveKind::kUnchanged;
    if (SamePath(from, to)) return MoveKind::kInPlace;
    return MoveKind::kCopyThenDelete;
}

std::wstring MailArguments(const std::wstring& path) { return L"-attach \"" + path + L"\""; }

int ListCompletion(bool returned, const ListData& data) {
    if (!returned || data.size != sizeof(ListData) || data.items == 0 || data.done > data.items) return -1;
    return int(uint64_t(data.done) * 100 / data.items);
}

std::wstring ReadStatesString(const std::vector<uint8_t>& value, size_t offset) {
    std::wstring out;
    if (offset > value.size()) return out;
    const size_t available = (value.size() - offset) / 2;
    const size_t limit = available < kStatesFieldChars - 1 ? available : kStatesFieldChars - 1;
    for (size_t i = 0; i < limit; ++i) {
        // Byte by byte: the field's offset need not be aligned for a wchar_t.
        const wchar_t c = wchar_t(value[offset + 2 * i] | (value[offset + 2 * i + 1] << 8));
        if (c == 0) break;
        out += c;
    }
    return out;
}

bool WriteStatesString(std::vector<uint8_t>& value, size_t offset, const std::wstring& text) {
    if (text.size() > kStatesFieldChars - 1 || offset > (size_t(1) << 20)) return false;
    const size_t end = offset + kStatesFieldChars * 2;
    if (value.size() < end) value.resize(end, 0);
    for (size_t i = 0; i < kStatesFieldChars; ++i) {
        const unsigned c = i < text.size() ? unsigned(uint16_t(text[i])) : 0;
        value[offset + 2 * i] = uint8_t(c & 0xFF);
        value[offset + 2 * i + 1] = uint8_t(c >> 8);
    }
    return true;
}

}  // namespace notes
}  // namespace daybrim
