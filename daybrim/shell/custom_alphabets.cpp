#include "custom_alphabets.h"

#include "raii.h"

namespace daybrim {

std::wstring CustomAlphabetPath(const std::wstring& installFolder, const std::wstring& name) {
    return installFolder + L"\\CustomAlphabets\\" + name + L".txt";
}

std::optional<olv::KeyLabels> ReadCustomAlphabet(const std::wstring& path) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes(olv::kAlphabetFileReadLimit);
    size_t have = 0;
    while (have < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(f.get(), bytes.data() + have, DWORD(bytes.size() - have), &got, nullptr) || got == 0) break;
        have += got;
    }
    return olv::ParseAlphabetFile(bytes.data(), have);
}

std::vector<CustomAlphabet> LoadCustomAlphabets(const std::wstring& installFolder) {
    std::vector<CustomAlphabet> out;
    raii::Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCustomAlphabetsKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = DWORD(sizeof name / sizeof name[0]);
        const LONG r = RegEnumValueW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || len == 0) continue;
        const std::wstring path = CustomAlphabetPath(installFolder, name);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // not offered
        out.push_back(CustomAlphabet{name, ReadCustomAlphabet(path)});
    }
    return out;
}

LetterGroups MatchingLetterGroups(unsigned languages, const std::vector<CustomAlphabet>& custom) {
    std::vector<olv::KeyLabels> usable;
    for (const CustomAlphabet& a : custom)
        if (a.labels) usable.push_back(*a.labels);
    return MatchingLetterGroups(languages, usable);
}

}  // namespace daybrim
