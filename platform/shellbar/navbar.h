// The handheld shell's navigation bar: the band at the top of the screen with the
// foreground program's title and the clock. The Today screen draws it for itself;
// the shell stand-in (aygshell.dll) shows it above every other program.
#pragma once
#include <windows.h>

namespace cesim {

// The bar's height on a screen of this dpi (26 pixels at 96 dpi).
int NavigationBarHeight(int dpi);
// The bar's font (bold Tahoma, 12 pixels at 96 dpi); the caller owns it.
HFONT CreateNavigationBarFont(int dpi);
// Paints the bar into `band`: the theme's gradient, `title` at the left and the
// device's clock at the right.
void PaintNavigationBar(HDC dc, const RECT& band, const wchar_t* title, HFONT font, int dpi);

}  // namespace cesim
