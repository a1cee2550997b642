// The CloseHandle shim leaves kernel handles to kernel32, with its errors.
#include <gtest/gtest.h>

TEST(CloseHandleShim, ClosesKernelHandlesAndFailsOnStaleOnes) {
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, ev);
    EXPECT_TRUE(CloseHandle(ev));  // routed through CeSim_CloseHandle by cecompat.h
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CloseHandle(ev));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(uintptr_t(0x7ff0))));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}
