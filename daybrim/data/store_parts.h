// What the PIM store's source files share and nothing else uses: the item icon
// type and the date helpers (defined in pim_store.cpp).
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "items.h"
#include "raii.h"

namespace daybrim {
namespace storedates {

FILETIME Ft(uint64_t t);
uint64_t Ticks(const FILETIME& f);
// Local minus UTC now, in FILETIME ticks.
int64_t CurrentLocalOffset();
// Civil date of a day number (days since 1899-12-30).
void CivilOf(int32_t day, int* y, int* m, int* d);

}  // namespace storedates

// A bitmap as an item's icon.
class BitmapIcon : public ItemIcon {
public:
    explicit BitmapIcon(HBITMAP b) : bitmap_(b) {}
    std::unique_ptr<ItemIcon> Clone() const override {
        HBITMAP copy = bitmap_ ? static_cast<HBITMAP>(CopyImage(bitmap_.get(), IMAGE_BITMAP, 0, 0, 0)) : nullptr;
        return std::make_unique<BitmapIcon>(copy);
    }
    HBITMAP get() const { return bitmap_.get(); }

private:
    raii::Bitmap bitmap_;
};

// The icon file at `path` as an item icon; null when there is none.
std::unique_ptr<ItemIcon> LoadItemIcon(const std::wstring& path);

}  // namespace daybrim
