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
// The handheld's screen as this process shows it: its visible top-level windows
// (the navigation bar, a program, its dialogs, the soft keys), the lowest first,
// each where it stands; black where none is.
bool CaptureScreen(Pixels* out);
// The same, for the part of the screen in `area` (screen coordinates).
bool CaptureScreenArea(const RECT& area, Pixels* out);
bool SavePng(const Pixels& px, const std::wstring& path);

}  // namespace today
