// Which resolution library the item binds, and the language library's strings
// and menus by id.
#pragma once
#include <windows.h>

#include <string>

namespace daybrim {

enum class ResolutionLibrary { kNone, kLow, kHigh };

struct ResolutionChoice {
    bool high = false;  // high-resolution images ("_high.bmp" variants)
    ResolutionLibrary library = ResolutionLibrary::kLow;
};

// The high flag is the screen's (LOGPIXELSX >= 130) or forced by "MyVgaMode". A
// small screen (width + height below 561) never binds the high-resolution library,
// whatever the flag says; the installed file stays where it is.
ResolutionChoice ChooseResolution(int screenWidth, int screenHeight, int logPixelsX, bool forcedVga);
std::wstring ResolutionLibraryPath(const std::wstring& productFolder, ResolutionLibrary which);

// A string of the language library: empty when the library or the id is missing.
// At most 1023 characters.
std::wstring LoadLangString(HMODULE lang, UINT id);

}  // namespace daybrim
