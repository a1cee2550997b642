// Readers of the two text files the categories come from: the filter file
// "DRFilters.txt" and Pocket Informant's settings export "Settings.txt". Both are
// registry-export style lines. Platform-neutral; lines of any length are fine and
// nothing is read outside the given bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace daybrim {

// `"name"=dword:digits` (digits in `radix`, saturating at 0xFFFFFFFF).
bool ParseNumberLine(const std::wstring& line, int radix, std::wstring* name, uint32_t* value);
// `"name"="value"`, with or without the line's carriage return.
bool ParseStringLine(const std::wstring& line, std::wstring* name, std::wstring* value);

constexpr int kFilterCount = 32;

struct FilterDef {
    std::wstring name;
    int sensitivityRule = 0;  // 0 none, 1 hide private, 2 hide normal
    bool shownInMenu = true;
    bool includeUncategorised = false;
    int number = 0;  // 1..32
};

// The 32 filters "Filter 1" .. "Filter 32".
std::vector<FilterDef> DefaultFilters();
// Sections [FILTER0] .. [FILTER31] of the file's bytes (one byte, one character).
// Anything but exactly 32 sections gives the defaults; so does `data` null.
std::vector<FilterDef> ParseFilterFile(const uint8_t* data, size_t size);

// The category colours of a UTF-16LE settings export: the dword values listed
// under the Pocket Informant category colours key, in file order.
std::vector<std::pair<std::wstring, uint32_t>> ParsePiCategoryColours(const uint8_t* data, size_t size);

// Files bigger than this are not settings files; they are not read at all.
constexpr size_t kMaxSettingsFileBytes = 8u << 20;

}  // namespace daybrim
