#include "resource_binding.h"

namespace daybrim {

ResolutionChoice ChooseResolution(int logPixelsX, bool forcedVga) {
    ResolutionChoice c;
    c.high = logPixelsX >= 130 || forcedVga;
    c.library = c.high ? ResolutionLibrary::kHigh : ResolutionLibrary::kLow;
    return c;
}

std::wstring ResolutionLibraryPath(const std::wstring& productFolder, ResolutionLibrary which) {
    switch (which) {
    case ResolutionLibrary::kHigh: return productFolder + L"\\HighDpiRes.dll";
    case ResolutionLibrary::kLow: return productFolder + L"\\LowDpiRes.dll";
    }
    return std::wstring();
}

std::wstring LoadLangString(HMODULE lang, UINT id) {
    if (!lang) return std::wstring();
    wchar_t buf[1024];
    const int n = LoadStringW(lang, id, buf, 1024);
    return n > 0 ? std::wstring(buf, size_t(n)) : std::wstring();
}

}  // namespace daybrim
