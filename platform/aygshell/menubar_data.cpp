#include "menubar_data.h"

namespace ayg {

bool ParseMenuBarData(const uint8_t* data, size_t size, MenuBarData* out) {
    const auto word = [data](size_t i) { return uint16_t(data[2 * i] | (data[2 * i + 1] << 8)); };
    if (!data || size < 4) return false;
    const size_t count = word(1);
    if (count > kMaxMenuBarButtons || size < 4 + count * 14) return false;
    MenuBarData result;
    result.menuId = word(0);
    for (size_t b = 0; b < count; ++b) {
        const size_t w = 2 + b * 7;
        MenuBarButton button;
        button.image = int16_t(word(w));
        button.command = word(w + 1);
        // Resources store state and style as words; the toolbar keeps bytes.
        button.state = uint8_t(word(w + 2));
        button.style = uint8_t(word(w + 3));
        button.stringId = word(w + 4);
        button.subMenu = word(w + 6);
        result.buttons.push_back(button);
    }
    *out = std::move(result);
    return true;
}

}  // namespace ayg
