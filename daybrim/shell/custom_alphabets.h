// The user's own search-bar alphabets: names registered under the Contacts key,
// labels in "<install folder>\CustomAlphabets\<name>.txt" (read by the shared
// reader of common/alphabet_file.h), and the matching groups of the Contacts tab
// built from the active languages and these alphabets.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "alphabet_file.h"
#include "items.h"

namespace daybrim {

constexpr wchar_t kCustomAlphabetsKey[] = L"Software\\Olvane\\Daybrim\\Contacts\\Alphabets";

struct CustomAlphabet {
    std::wstring name;
    std::optional<olv::KeyLabels> labels;  // none: the file is unusable
};

std::wstring CustomAlphabetPath(const std::wstring& installFolder, const std::wstring& name);
// The first kAlphabetFileReadLimit bytes of the file, parsed; none when the file is
// missing or unusable.
std::optional<olv::KeyLabels> ReadCustomAlphabet(const std::wstring& path);
// Every registered alphabet whose file exists, in registry order.
std::vector<CustomAlphabet> LoadCustomAlphabets(const std::wstring& installFolder);
// The matching groups over the active languages and every usable custom alphabet.
LetterGroups MatchingLetterGroups(unsigned languages, const std::vector<CustomAlphabet>& custom);

}  // namespace daybrim
