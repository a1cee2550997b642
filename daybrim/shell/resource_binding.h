// Which resolution library the item binds, and the language library's strings
// and menus by id.
#pragma once
#include <windows.h>

#include <string>

namespace daybrim {

enum class ResolutionLibrary { kLow, kHigh };

struct ResolutionChoice {
    bool high = false;  // high-resolution images ("_high.bmp" variants)
    ResolutionLibrary library = ResolutionLibrary::kLow;
};

// The high flag is the screen's (LOGPIXELSX >= 130) or forced by "MyVgaMode", and
// the library follows the flag whatever the screen's size: the skin's high
// pictures come from the high-resolution library, so a small screen forced to VGA
// scaling needs it as much as a VGA screen does.
ResolutionChoice ChooseResolution(int logPixelsX, bool forcedVga);
std::wstring ResolutionLibraryPath(const std::wstring& productFolder, ResolutionLibrary which);

// A string of the language library: empty when the library or the id is missing.
// At most 1023 characters.
std::wstring LoadLangString(HMODULE lang, UINT id);

}  // namespace daybrim
