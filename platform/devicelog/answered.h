// What the stand-ins that answer for the user (message boxes, popup menus) share.
#pragma once
#include <string>

namespace cesim {

// Wine runs with its "null" display driver: nobody could see, or answer, a window.
bool HeadlessWine();
// The running program's file name, as the log names it.
std::wstring ProgramName();

}  // namespace cesim
