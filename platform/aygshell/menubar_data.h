// Menu-bar data: the RCDATA resource a soft-key bar is made from. Little-endian
// 16-bit words: the menu resource id, the button count, then per button its image
// index, command id, state, style, string id, a reserved word and the index of its
// popup in the menu (NOMENU, 0xFFFF, for none). Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ayg {

struct MenuBarButton {
    int16_t image = -2;
    uint16_t command = 0;
    uint8_t state = 0;
    uint8_t style = 0;
    uint16_t stringId = 0;
    uint16_t subMenu = 0xFFFF;
};

struct MenuBarData {
    uint16_t menuId = 0;
    std::vector<MenuBarButton> buttons;
};

constexpr size_t kMaxMenuBarButtons = 16;

// False when the data is shorter than its count says, or the count is absurd.
bool ParseMenuBarData(const uint8_t* data, size_t size, MenuBarData* out);

}  // namespace ayg
