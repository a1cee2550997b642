#include "raii.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(RaiiSelect, PutsTheOldObjectBackAndSaysWhetherItSelected) {
    raii::MemDC dc(CreateCompatibleDC(raii::WindowDC(nullptr).get()));
    ASSERT_TRUE(dc);
    raii::Bitmap bmp(CreateCompatibleBitmap(raii::WindowDC(nullptr).get(), 2, 2));
    ASSERT_TRUE(bmp);
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BITMAP);
    {
        raii::Select sel(dc.get(), bmp.get());
        EXPECT_TRUE(sel);
        EXPECT_EQ(bmp.get(), GetCurrentObject(dc.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(before, GetCurrentObject(dc.get(), OBJ_BITMAP));
    raii::Select none(dc.get(), nullptr);
    EXPECT_FALSE(none);
}

TEST(RaiiHandle, EachKindKnowsItsOwnFailureValue) {
    raii::Handle none;
    EXPECT_FALSE(none);
    raii::File noFile(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(noFile);
    raii::Handle ev(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(ev);
    HANDLE dup = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), ev.get(), GetCurrentProcess(), &dup, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    {
        raii::Handle other(dup);
        SetEvent(other.get());
    }
    // The duplicate is closed; the original still works.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ev.get(), 0));
    HANDLE raw = ev.release();
    EXPECT_FALSE(ev);
    EXPECT_TRUE(CloseHandle(raw));  // released, so still open until here
}

}  // namespace
