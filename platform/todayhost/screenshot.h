// Screenshots taken from a window's own DC, as PNG files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace today {

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
    COLORREF At(int x, int y) const;
};

// What the window shows now, children included, painted first.
bool CaptureWindow(HWND hwnd, Pixels* out);
bool SavePng(const Pixels& px, const std::wstring& path);

}  // namespace today
