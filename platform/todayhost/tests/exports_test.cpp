// A Today item exports its two entry points by ordinal and nothing more.
#include <gtest/gtest.h>

#include "pe_exports.h"
#include "raii.h"

TEST(TodayItemExports, TestItemExportsExactlyItsOrdinals) {
    raii::Library lib(LoadLibraryW(TESTITEM_DLL));
    ASSERT_TRUE(lib) << GetLastError();
    pe::Exports ex;
    ASSERT_TRUE(pe::ReadExports(lib.get(), &ex));
    EXPECT_EQ((std::vector<WORD>{1, 240, 241}), ex.ordinals);
    EXPECT_TRUE(ex.names.empty());  // no decorated duplicates such as "InitializeCustomItem@8"
    EXPECT_NE(nullptr, GetProcAddress(lib.get(), MAKEINTRESOURCEA(240)));
}
