// The HTML view (Htmlview.dll, ordinal 1) and ink (inkx.dll) controls: loaded by
// name as the preview does, they register their classes, take their text and draw it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "htmlctrl.h"
#include "inkx.h"

namespace {

std::wstring Text(HWND h) {
    wchar_t buf[256] = {};
    SendMessageW(h, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Whether anything but the white background was drawn.
bool Drawn(HWND h) {
    InvalidateRect(h, nullptr, FALSE);
    UpdateWindow(h);
    HDC dc = GetDC(h);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 40);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, 200, 40, dc, 0, 0, SRCCOPY);
    bool ink = false;
    for (int y = 0; y < 40 && !ink; ++y)
        for (int x = 0; x < 200 && !ink; ++x) ink = GetPixel(mem, x, y) != RGB(255, 255, 255);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(h, dc);
    return ink;
}

TEST(HtmlView, OrdinalOneRegistersTheClassThatShowsTheDocument) {
    HMODULE lib = LoadLibraryW(HTMLVIEW_DLL);
    ASSERT_NE(lib, nullptr);
    auto init = reinterpret_cast<BOOL(WINAPI*)(HINSTANCE)>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(1))));
    ASSERT_NE(init, nullptr);
    ASSERT_TRUE(init(GetModuleHandleW(nullptr)));
    ASSERT_TRUE(init(GetModuleHandleW(nullptr)));  // twice is harmless
    HWND h = CreateWindowExW(0, DISPLAYCLASS, L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 40, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(h, nullptr);
    SendMessageW(h, WM_USER + 115, 0, 0);
    SendMessageW(h, WM_USER + 116, 0, 1);
    SendMessageW(h, DTM_ADDTEXTW, FALSE, reinterpret_cast<LPARAM>(L"<p>Hello <b>there</b></p>"));
    SendMessageW(h, DTM_ADDTEXTW, FALSE, reinterpret_cast<LPARAM>(L"<p>&amp; more</p>"));
    EXPECT_EQ(Text(h), L"");  // nothing shown before the end of the source
    SendMessageW(h, DTM_ENDOFSOURCE, 0, 0);
    EXPECT_EQ(Text(h), L"Hello there\r\n& more");
    EXPECT_TRUE(Drawn(h));
    SendMessageW(h, DTM_CLEAR, 0, 0);
    SendMessageW(h, DTM_ADDTEXTW, TRUE, reinterpret_cast<LPARAM>(L"<kept as typed>"));
    SendMessageW(h, DTM_ENDOFSOURCE, 0, 0);
    EXPECT_EQ(Text(h), L"<kept as typed>");
    DestroyWindow(h);
}

TEST(InkX, ShowsItsTextReadOnly) {
    HMODULE lib = LoadLibraryW(INKX_DLL);
    ASSERT_NE(lib, nullptr);
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(lib, "InitInkX")));
    ASSERT_NE(init, nullptr);
    ASSERT_TRUE(init());
    HWND h = CreateWindowExW(0, WC_INKX, L"", WS_POPUP | WS_VISIBLE | ES_READONLY, 0, 0, 200, 40, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(Drawn(h));
    SetWindowTextW(h, L"Plain body text");
    SendMessageW(h, WM_CHAR, L'x', 0);
    EXPECT_EQ(Text(h), L"Plain body text");
    EXPECT_TRUE(Drawn(h));
    DestroyWindow(h);
}

}  // namespace
