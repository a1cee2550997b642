#include "reg_export.h"

namespace daybrim {

namespace {

std::wstring StripCr(const std::wstring& s) {
    return (!s.empty() && s.back() == L'\r') ? s.substr(0, s.size() - 1) : s;
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    return 99;
}

template <typename Unit>
std::vector<std::wstring> SplitLines(const Unit* data, size_t count) {
    std::vector<std::wstring> lines;
    std::wstring cur;
    for (size_t i = 0; i < count; ++i) {
        if (data[i] == Unit('\n')) {
            lines.push_back(std::move(cur));
            cur.clear();
        } else {
            cur.push_back(wchar_t(data[i]));
        }
    }
    if (!cur.empty()) lines.push_back(std::move(cur));
    return lines;
}

}  // namespace

bool ParseNumberLine(const std::wstring& line, int radix, std::wstring* name, uint32_t* value) {
    if (line.empty() || line[0] != L'"') return false;
    const size_t eq = line.find(L"=dword");
    if (eq == std::wstring::npos || eq < 2 || line.size() - eq < 8) return false;
    const size_t colon = line.find(L':', eq);
    if (colon == std::wstring::npos) return false;
    uint64_t v = 0;
    size_t i = colon + 1, digits = 0;
    for (; i < line.size(); ++i, ++digits) {
        const int d = DigitValue(line[i]);
        if (d >= radix) break;
        v = v * uint64_t(radix) + uint64_t(d);
        if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull + 1;  // saturate, never wrap
    }
    if (!digits) return false;
    *name = line.substr(1, eq - 2);
    *value = v > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(v);
    return true;
}

bool ParseStringLine(const std::wstring& raw, std::wstring* name, std::wstring* value) {
    const std::wstring line = StripCr(raw);
    if (line.size() < 5 || line[0] != L'"' || line.back() != L'"') return false;
    const size_t mid = line.find(L"\"=\"");
    if (mid == std::wstring::npos || mid + 3 > line.size() - 1) return false;
    *name = line.substr(1, mid - 1);
    *value = line.substr(mid + 3, line.size() - 1 - (mid + 3));
    return true;
}

std::vector<FilterDef> DefaultFilters() {
    std::vector<FilterDef> v(kFilterCount);
    for (int i = 0; i < kFilterCount; ++i) {
        v[i].number = i + 1;
        v[i].name = L"Filter " + std::to_wstring(i + 1);
    }
    return v;
}

std::vector<FilterDef> ParseFilterFile(const uint8_t* data, size_t size) {
    if (!data || size > kMaxSettingsFileBytes) return DefaultFilters();
    const std::vector<std::wstring> lines = SplitLines(data, size);
    std::vector<FilterDef> filters;
    size_t i = 0;
    while (i < lines.size() && filters.size() <= size_t(kFilterCount)) {
        const std::wstring header = L"[FILTER" + std::to_wstring(filters.size()) + L"]";
        if (lines[i++].find(header) == std::wstring::npos) continue;
        FilterDef f;
        f.number = int(filters.size()) + 1;
        std::wstring key, text;
        uint32_t n = 0;
        // A field that is missing or does not parse keeps its default.
        if (i < lines.size() && ParseStringLine(lines[i], &key, &text)) f.name = text;
        if (i < lines.size()) ++i;
        if (i < lines.size() && ParseNumberLine(lines[i], 10, &key, &n)) f.sensitivityRule = n <= 2 ? int(n) : 0;
        if (i < lines.size()) ++i;
        n = 1;
        if (i < lines.size() && ParseNumberLine(lines[i], 10, &key, &n)) f.shownInMenu = n != 0;
        if (i < lines.size()) ++i;
        n = 0;
        if (i < lines.size() && ParseNumberLine(lines[i], 10, &key, &n)) f.includeUncategorised = n != 0;
        if (i < lines.size()) ++i;
        filters.push_back(std::move(f));
    }
    if (filters.size() != size_t(kFilterCount)) return DefaultFilters();
    return filters;
}

std::vector<std::pair<std::wstring, uint32_t>> ParsePiCategoryColours(const uint8_t* data, size_t size) {
    std::vector<std::pair<std::wstring, uint32_t>> out;
    if (!data || size > kMaxSettingsFileBytes) return out;
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    if (!units.empty() && units[0] == u'\xFEFF') units.erase(0, 1);
    const std::vector<std::wstring> lines = SplitLines(units.data(), units.size());
    static const wchar_t kSection[] = L"[HKEY_CURRENT_USER\\Software\\WebIS\\PocketInformant\\Colors\\Categories]";
    size_t i = 0;
    while (i < lines.size() && lines[i].find(kSection) == std::wstring::npos) ++i;
    for (++i; i < lines.size() && lines[i].size() >= 11; ++i) {
        std::wstring name;
        uint32_t colour = 0;
        if (ParseNumberLine(lines[i], 16, &name, &colour)) out.emplace_back(std::move(name), colour);
    }
    return out;
}

}  // namespace daybrim
