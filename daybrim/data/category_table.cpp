#include "category_table.h"

#include <aygshell.h>

#include <algorithm>

#include "pim_database.h"
#include "reg.h"

namespace daybrim {

namespace {

constexpr wchar_t kCategoriesKey[] = L"Software\\Olvane\\Daybrim\\Categories";
constexpr wchar_t kFusionKey[] = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";
constexpr CEPROPID kCatName = 0x0002001F, kCatId = 0x00010066;

bool NameLess(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), int(a.size()), b.c_str(),
                          int(b.size())) == CSTR_LESS_THAN;
}

std::wstring LoadText(HMODULE lang, UINT id, const wchar_t* fallback) {
    wchar_t buf[256] = {};
    if (lang && LoadStringW(lang, id, buf, 256) > 0) return buf;
    return fallback;
}

// Whether the key may hold values: a start skips asking for each category's value,
// one call at a time, only when the key says it has none.
bool HasValues(HKEY key) {
    if (!key) return false;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return true;
    return values > 0;
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, size_t limit, std::vector<uint8_t>* bytes) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0 || uint64_t(size.QuadPart) > limit) return false;
    bytes->resize(size_t(size.QuadPart));
    DWORD got = 0;
    if (!bytes->empty() && (!ReadFile(f.get(), bytes->data(), DWORD(bytes->size()), &got, nullptr) ||
                            got != bytes->size()))
        return false;
    return true;
}

void CCategoryTable::Clear() {
    entries_.clear();
    byId_.clear();
    filters_.clear();
    for (int32_t& s : special_) s = -1;
}

void CCategoryTable::Load(const CategoryOptions& options) {
    Clear();
    options_ = options;
    PimDatabase db;
    if (db.open(L"CategoryMainDB", true, nullptr, nullptr, options_.pimVolume) && db.seek(CEDB_SEEK_BEGINNING, 0)) {
        enum : WORD { kNameAt, kIdAt, kCount };
        const CEPROPID ids[kCount] = {kCatName, kCatId};
        RecordProps r;
        const RecordView v(r, ids);
        while (r.read(db.handle(), ids, kCount)) {
            CategoryEntry e;
            e.name = v.text(kNameAt);
            if (e.name.empty() || !v.has(kIdAt)) continue;
            e.id = int32_t(v.u4(kIdAt));
            auto at = std::upper_bound(entries_.begin(), entries_.end(), e.name,
                                       [](const std::wstring& n, const CategoryEntry& x) { return NameLess(n, x.name); });
            entries_.insert(at, std::move(e));
        }
    }
    for (size_t i = 0; i < entries_.size(); ++i) byId_.emplace(entries_[i].id, i);

    const std::wstring folder = IconFolder();
    for (CategoryEntry& e : entries_) {
        const std::wstring path = folder + L"\\" + e.name + L".bmp";
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) e.icon.reset(SHLoadDIBitmap(path.c_str()));
    }
    LoadColours();
    {
        // Read, never created: loading must leave the registry as it found it.
        raii::Key key;
        const bool any = RegOpenKeyExW(HKEY_CURRENT_USER, kCategoriesKey, 0, KEY_READ, key.out()) == ERROR_SUCCESS &&
                         HasValues(key.get());
        for (CategoryEntry& e : entries_)
            e.filterMask = any ? reg::Dword(key.get(), nullptr, (L"CatFilter." + e.name).c_str(), 0) : 0;
    }
    for (int i = 0; i < 4; ++i) {
        // Exact, case-sensitive names.
        for (const CategoryEntry& e : entries_)
            if (!options_.specialCategories[i].empty() && e.name == options_.specialCategories[i]) special_[i] = e.id;
    }
    filters_ = options_.filterMode ? std::vector<FilterDef>() : DefaultFilters();
    if (options_.filterMode) LoadFilters();
}

void CCategoryTable::LoadColours() {
    const int sw = options_.pimSw;
    if (options_.overrideColours || sw == 0 || sw == 3 || sw == 2) {
        const bool fusion = sw == 2 && !options_.overrideColours;
        raii::Key key;
        if (RegOpenKeyExW(fusion ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, fusion ? kFusionKey : kCategoriesKey, 0,
                          KEY_READ, key.out()) != ERROR_SUCCESS ||
            !HasValues(key.get()))
            return;
        for (CategoryEntry& e : entries_)
            e.colour = reg::Dword(key.get(), nullptr, (L"CatColor." + e.name).c_str(), 0xFFFFFFFF);
        return;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(options_.webisFolder + L"\\WebIS\\Settings.txt", kMaxSettingsFileBytes, &bytes)) return;
    for (const auto& c : ParsePiCategoryColours(bytes.data(), bytes.size())) {
        for (CategoryEntry& e : entries_)
            if (e.name == c.first) e.colour = c.second;  // case matters here
    }
}

void CCategoryTable::LoadFilters() {
    std::vector<uint8_t> bytes;
    const bool ok = ReadWholeFile(options_.filtersFolder + L"\\DRFilters.txt", kMaxSettingsFileBytes, &bytes);
    filters_ = ok ? ParseFilterFile(bytes.data(), bytes.size()) : DefaultFilters();
}

std::wstring CCategoryTable::IconFolder() const {
    if (options_.overrideIcons) return options_.drIconsFolder;
    switch (options_.pimSw) {
    case 1: return options_.piIconsFolder;
    case 2: return options_.afIconsFolder;
    default: return options_.drIconsFolder;
    }
}

const CategoryEntry* CCategoryTable::CategoryById(int32_t id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &entries_[it->second];
}

const CategoryEntry* CCategoryTable::CategoryByName(const std::wstring& name) const {
    for (const CategoryEntry& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

const std::wstring* CCategoryTable::CategoryName(int32_t id) const {
    const CategoryEntry* e = CategoryById(id);
    return e ? &e->name : nullptr;
}

uint32_t CCategoryTable::FilterMask(int32_t id) const {
    const CategoryEntry* e = CategoryById(id);
    return e ? e->filterMask : 0;
}

const FilterDef* CCategoryTable::Filter(int number) const {
    for (const FilterDef& f : filters_)
        if (f.number == number) return &f;
    return nullptr;
}

void CCategoryTable::FillSelectionMenu(HMENU submenu) const {
    while (DeleteMenu(submenu, 1, MF_BYPOSITION)) {
    }
    if (!options_.filterMode) {
        UINT cmd = kFirstCategoryCommand;
        for (const CategoryEntry& e : entries_) AppendMenuW(submenu, MF_STRING, cmd++, e.name.c_str());
    } else {
        for (const FilterDef& f : filters_)
            if (f.shownInMenu) AppendMenuW(submenu, MF_STRING, kFilterCommandBase + f.number, f.name.c_str());
    }
}

std::wstring CCategoryTable::SelectionCaption(const std::wstring& category, int filter, HMODULE lang) const {
    if (!options_.filterMode) return category.empty() ? LoadText(lang, kAllCaptionString, L"All") : category;
    const int n = NormalizeFilterNumber(filter);
    if (n == 0) return LoadText(lang, kAllCaptionString, L"All");
    const FilterDef* f = Filter(n);
    return f ? f->name : std::wstring();
}

void CCategoryTable::SetSelectionMenu(HMENU menu, int position, const std::wstring& category, int filter,
                                      HMODULE lang) const {
    if (HMENU sub = GetSubMenu(menu, position)) FillSelectionMenu(sub);
    std::wstring caption = SelectionCaption(category, filter, lang);
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_TYPE;
    mi.fType = MFT_STRING;
    mi.dwTypeData = &caption[0];
    SetMenuItemInfoW(menu, UINT(position), TRUE, &mi);
}

bool CCategoryTable::anySpecialCategory() const {
    for (int32_t s : special_)
        if (s != -1) return true;
    return false;
}

int CCategoryTable::SpecialEventCategoryIndex(const TItemWithCategory& item) const {
    for (int i = 0; i < 4; ++i)
        if (special_[i] != -1 && item.HasCategory(special_[i])) return i + 1;
    return 0;
}

}  // namespace daybrim
