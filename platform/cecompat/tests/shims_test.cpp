// CE functions the desktop lacks, and the handheld's screen.
#include <gtest/gtest.h>

#include "cesim.h"

namespace {

void SetDeviceDword(const wchar_t* name, DWORD v) {
    HKEY key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    RegCloseKey(key);
}

}  // namespace

TEST(Shims, ScreenIsTheDevicesNotTheDesktops) {
    SetDeviceDword(L"ScreenWidth", 480);
    SetDeviceDword(L"ScreenHeight", 640);
    EXPECT_EQ(480, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(640, GetSystemMetrics(SM_CYSCREEN));
    SetDeviceDword(L"ScreenWidth", 240);
    SetDeviceDword(L"ScreenHeight", 320);
    EXPECT_EQ(240, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(320, GetSystemMetrics(SM_CYSCREEN));
}

TEST(Shims, ShellReadinessFollowsTheDeviceSwitch) {
    SetDeviceDword(L"ShellReady", 0);
    EXPECT_FALSE(IsAPIReady(SH_SHELL));
    EXPECT_TRUE(IsAPIReady(SH_GDI));
    SetDeviceDword(L"ShellReady", 1);
    EXPECT_TRUE(IsAPIReady(SH_SHELL));
}

TEST(Shims, GetProcAddressWTakesNamesAndOrdinals) {
    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(GetProcAddress(k32, "GetTickCount"), GetProcAddressW(k32, L"GetTickCount"));
    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddressW(k32, L"NoSuchFunction"));
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(nullptr, GetProcAddressW(k32, nullptr));
}

TEST(Shims, TransparentImageLeavesTheKeyColourOut) {
    HDC screen = GetDC(nullptr);
    HDC dst = CreateCompatibleDC(screen);
    HBITMAP dstBmp = CreateCompatibleBitmap(screen, 4, 1);
    HBITMAP srcBmp = CreateCompatibleBitmap(screen, 4, 1);
    HGDIOBJ oldDst = SelectObject(dst, dstBmp);
    for (int x = 0; x < 4; ++x) SetPixel(dst, x, 0, RGB(0, 0, 255));
    {
        HDC src = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(src, srcBmp);
        SetPixel(src, 0, 0, RGB(255, 0, 255));
        SetPixel(src, 1, 0, RGB(0, 255, 0));
        SetPixel(src, 2, 0, RGB(255, 0, 255));
        SetPixel(src, 3, 0, RGB(255, 0, 0));
        SelectObject(src, old);
        DeleteDC(src);
    }
    // The source may be a bitmap, as handheld code passes it.
    ASSERT_TRUE(TransparentImage(dst, 0, 0, 4, 1, srcBmp, 0, 0, 4, 1, RGB(255, 0, 255)));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dst, 0, 0));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dst, 1, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dst, 2, 0));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dst, 3, 0));
    EXPECT_FALSE(TransparentImage(dst, 0, 0, 4, 1, nullptr, 0, 0, 4, 1, 0));
    SelectObject(dst, oldDst);
    DeleteObject(dstBmp);
    DeleteObject(srcBmp);
    DeleteDC(dst);
    ReleaseDC(nullptr, screen);
}

TEST(Shims, SoundsOfMissingFilesReportFailure) {
    // No default sound stands in for a missing file, and the call says it played nothing.
    EXPECT_FALSE(PlaySoundW(L"\\Windows\\no such sound.wav", nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT));
    EXPECT_FALSE(PlaySound(L"", nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT));
}
