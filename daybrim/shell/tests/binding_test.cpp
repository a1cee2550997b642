// Which resolution library the item binds.
#include <gtest/gtest.h>

#include "resource_binding.h"

using namespace daybrim;

TEST(ResolutionBinding, ScreenAndForcedVga) {
    ResolutionChoice c = ChooseResolution(240, 320, 96, false);
    EXPECT_FALSE(c.high);
    EXPECT_EQ(ResolutionLibrary::kLow, c.library);
    c = ChooseResolution(480, 640, 192, false);
    EXPECT_TRUE(c.high);
    EXPECT_EQ(ResolutionLibrary::kHigh, c.library);
    c = ChooseResolution(480, 640, 129, false);
    EXPECT_FALSE(c.high);
    c = ChooseResolution(480, 640, 130, false);
    EXPECT_TRUE(c.high);
    c = ChooseResolution(480, 640, 96, true);
    EXPECT_TRUE(c.high);
    EXPECT_EQ(ResolutionLibrary::kHigh, c.library);
    // A small screen forced to VGA scaling: high images, but the high library is
    // neither loaded nor removed.
    c = ChooseResolution(240, 320, 96, true);
    EXPECT_TRUE(c.high);
    EXPECT_EQ(ResolutionLibrary::kNone, c.library);
    c = ChooseResolution(320, 240, 192, false);  // 560: still small
    EXPECT_EQ(ResolutionLibrary::kNone, c.library);
    c = ChooseResolution(240, 321, 192, false);  // 561
    EXPECT_EQ(ResolutionLibrary::kHigh, c.library);
}

TEST(ResolutionBinding, PathsAndMissingStrings) {
    EXPECT_EQ(L"\\P\\Olvane\\Daybrim\\HighDpiRes.dll", ResolutionLibraryPath(L"\\P\\Olvane\\Daybrim", ResolutionLibrary::kHigh));
    EXPECT_EQ(L"\\P\\LowDpiRes.dll", ResolutionLibraryPath(L"\\P", ResolutionLibrary::kLow));
    EXPECT_EQ(L"", ResolutionLibraryPath(L"\\P", ResolutionLibrary::kNone));
    EXPECT_EQ(L"", LoadLangString(nullptr, 41180));
    EXPECT_EQ(L"", LoadLangString(GetModuleHandleW(nullptr), 65000));
}
