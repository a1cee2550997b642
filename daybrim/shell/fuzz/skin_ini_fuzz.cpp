// Any bytes as a skin.ini: the reader must never read out of bounds and must leave
// every value within its range.
#include <cstdlib>

#include "skin_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    daybrim::SkinDescription s;
    s.SetDefaults(L"\\", 0, 0);
    daybrim::ParseSkinIni(data, size, &s);
    if (s.highlightTransparency > 100 || s.HighlightOpacity() > 255 || s.effect > 4 || s.slideEffect > 4) abort();
    if ((s.textColour | s.effectColour | s.scrollBkColour | s.highlightColour) > 0xFFFFFF) abort();
    return 0;
}
