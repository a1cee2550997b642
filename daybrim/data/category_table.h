// The categories of the PIM store with their filter masks, colours and icons,
// the 32 filters, the selection menus and captions, and the special-events
// categories.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "items.h"
#include "pim_options.h"
#include "raii.h"

namespace daybrim {

struct CategoryEntry {
    std::wstring name;
    uint32_t filterMask = 0;
    COLORREF colour = 0xFFFFFFFF;  // none
    raii::Bitmap icon;
    int32_t id = 0;
};

constexpr UINT kFirstCategoryCommand = 20000;
constexpr UINT kFilterCommandBase = 19999;  // + filter number
constexpr UINT kAllCaptionString = 1;

class CCategoryTable : public CategoryLookup {
public:
    // The PIM store loads the table at each start, with the store's options.
    void Load(const CategoryOptions& options);
    void Clear();

    const CategoryEntry* CategoryById(int32_t id) const;
    const CategoryEntry* CategoryByName(const std::wstring& name) const;
    const std::vector<CategoryEntry>& entries() const { return entries_; }
    const std::vector<FilterDef>& filters() const { return filters_; }

    void FillSelectionMenu(HMENU submenu) const;
    std::wstring SelectionCaption(const std::wstring& category, int filter, HMODULE lang) const;
    void SetSelectionMenu(HMENU menu, int position, const std::wstring& category, int filter, HMODULE lang) const;

    // The special-events categories 1..4 (-1 when unset or unknown).
    int32_t specialCategory(int i) const { return (i >= 1 && i <= 4) ? special_[i - 1] : -1; }
    bool anySpecialCategory() const;
    int SpecialEventCategoryIndex(const TItemWithCategory& item) const;

    // Where category and item icons are looked for.
    std::wstring IconFolder() const;
    const CategoryOptions& options() const { return options_; }

    // CategoryLookup
    const std::wstring* CategoryName(int32_t id) const override;
    uint32_t FilterMask(int32_t id) const override;
    const FilterDef* Filter(int number) const override;

private:
    void LoadColours();
    void LoadFilters();

    CategoryOptions options_;
    std::vector<CategoryEntry> entries_;  // by name, ignoring case
    std::unordered_map<int32_t, size_t> byId_;
    std::vector<FilterDef> filters_;      // by number
    int32_t special_[4] = {-1, -1, -1, -1};
};

// The bytes of a file, or nothing when it is missing, unreadable or over `limit`.
bool ReadWholeFile(const std::wstring& path, size_t limit, std::vector<uint8_t>* bytes);

}  // namespace daybrim
