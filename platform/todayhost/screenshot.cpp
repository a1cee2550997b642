#include "screenshot.h"

#include <vector>

#include "png_writer.h"
#include "raii.h"

namespace today {

COLORREF Pixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return RGB(p[0], p[1], p[2]);
}

bool CaptureWindow(HWND hwnd, Pixels* out) {
    RECT rc;
    if (!GetWindowRect(hwnd, &rc)) return false;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return false;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);

    // PrintWindow only asks the window to print itself; the window DC holds what is
    // really on the screen, children included.
    raii::WindowDC wdc(hwnd, true);
    if (!wdc) return false;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    raii::Bitmap dib(CreateDIBSection(wdc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::MemDC mem(dib ? CreateCompatibleDC(wdc.get()) : nullptr);
    if (!mem) return false;
    {
        raii::Select sel(mem.get(), dib.get());
        if (!BitBlt(mem.get(), 0, 0, w, h, wdc.get(), 0, 0, SRCCOPY)) return false;
        GdiFlush();
    }
    out->width = w;
    out->height = h;
    out->rgb.resize(size_t(w) * size_t(h) * 3);
    const uint8_t* src = static_cast<const uint8_t*>(bits);
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) {
        out->rgb[i * 3] = src[i * 4 + 2];
        out->rgb[i * 3 + 1] = src[i * 4 + 1];
        out->rgb[i * 3 + 2] = src[i * 4];
    }
    return true;
}

bool CaptureScreen(Pixels* out) {
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreenArea(screen, out);
}

bool CaptureScreenArea(const RECT& area, Pixels* out) {
    std::vector<HWND> windows;  // topmost first
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    out->width = w;
    out->height = h;
    out->rgb.assign(size_t(w) * size_t(h) * 3, 0);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        Pixels px;
        RECT rc;
        if (!GetWindowRect(*it, &rc) || !CaptureWindow(*it, &px)) continue;
        for (int y = 0; y < px.height; ++y) {
            const int sy = rc.top - area.top + y;
            if (sy < 0 || sy >= h) continue;
            for (int x = 0; x < px.width; ++x) {
                const int sx = rc.left - area.left + x;
                if (sx < 0 || sx >= w) continue;
                for (int c = 0; c < 3; ++c)
                    out->rgb[(size_t(sy) * size_t(w) + size_t(sx)) * 3 + size_t(c)] =
                        px.rgb[(size_t(y) * size_t(px.width) + size_t(x)) * 3 + size_t(c)];
            }
        }
    }
    return true;
}

bool SavePng(const Pixels& px, const std::wstring& path) {
    std::vector<uint8_t> bytes = png::EncodeRgb(px.width, px.height, px.rgb.data());
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    return WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace today
