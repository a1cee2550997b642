// Menu-bar data as resource compilers lay it out.
#include <gtest/gtest.h>

#include <vector>

#include "menubar_data.h"

TEST(MenuBarData, ReadsTheMenuIdAndEveryButton) {
    const uint8_t data[] = {0x81, 0, 2, 0,                                   // menu 129, two buttons
                            0xFE, 0xFF, 1, 0, 4, 0, 0x10, 0, 100, 0, 0, 0, 0xFF, 0xFF,  // id 1, no popup
                            0xFE, 0xFF, 2, 0, 4, 0, 0x18, 0, 101, 0, 0, 0, 1, 0,        // id 2, popup 1
                            0, 0};                                           // resource padding
    ayg::MenuBarData bar;
    ASSERT_TRUE(ayg::ParseMenuBarData(data, sizeof data, &bar));
    EXPECT_EQ(129, bar.menuId);
    ASSERT_EQ(2u, bar.buttons.size());
    EXPECT_EQ(-2, bar.buttons[0].image);
    EXPECT_EQ(1, bar.buttons[0].command);
    EXPECT_EQ(4, bar.buttons[0].state);
    EXPECT_EQ(100, bar.buttons[0].stringId);
    EXPECT_EQ(0xFFFF, bar.buttons[0].subMenu);
    EXPECT_EQ(0x18, bar.buttons[1].style);
    EXPECT_EQ(1, bar.buttons[1].subMenu);
}

TEST(MenuBarData, RejectsDataShorterThanItsCountOrAbsurdCounts) {
    uint8_t data[4 + 14] = {0x81, 0, 1, 0};
    ayg::MenuBarData bar;
    EXPECT_TRUE(ayg::ParseMenuBarData(data, sizeof data, &bar));
    EXPECT_FALSE(ayg::ParseMenuBarData(data, sizeof data - 1, &bar));
    EXPECT_FALSE(ayg::ParseMenuBarData(data, 3, &bar));
    EXPECT_FALSE(ayg::ParseMenuBarData(nullptr, 0, &bar));
    std::vector<uint8_t> many(4 + 14 * 17, 0);
    many[2] = 17;
    EXPECT_FALSE(ayg::ParseMenuBarData(many.data(), many.size(), &bar));
}
