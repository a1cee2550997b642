// Which resolution library the item binds.
#include <gtest/gtest.h>

#include "resource_binding.h"

using namespace daybrim;

TEST(ResolutionBinding, TheHighFlagChoosesTheLibrary) {
    struct Case {
        int logPixelsX;
        bool forcedVga;
        bool high;
    } const cases[] = {
        {96, false, false}, {129, false, false}, {130, false, true}, {192, false, true},
        // "MyVgaMode" on a 96 dpi screen (a 240x320 one): the skin's high pictures
        // live only in the high-resolution library, so it must be bound.
        {96, true, true},
    };
    for (const Case& k : cases) {
        const ResolutionChoice c = ChooseResolution(k.logPixelsX, k.forcedVga);
        EXPECT_EQ(k.high, c.high) << k.logPixelsX << " dpi, forced " << k.forcedVga;
        EXPECT_EQ(k.high ? ResolutionLibrary::kHigh : ResolutionLibrary::kLow, c.library)
            << k.logPixelsX << " dpi, forced " << k.forcedVga;
    }
}

TEST(ResolutionBinding, PathsAndMissingStrings) {
    EXPECT_EQ(L"\\P\\Olvane\\Daybrim\\HighDpiRes.dll", ResolutionLibraryPath(L"\\P\\Olvane\\Daybrim", ResolutionLibrary::kHigh));
    EXPECT_EQ(L"\\P\\LowDpiRes.dll", ResolutionLibraryPath(L"\\P", ResolutionLibrary::kLow));
    EXPECT_EQ(L"", LoadLangString(nullptr, 41180));
    EXPECT_EQ(L"", LoadLangString(GetModuleHandleW(nullptr), 65000));
}
