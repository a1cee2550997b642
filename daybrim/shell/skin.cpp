#include "skin.h"

#include <aygshell.h>

#include <vector>

#include "alpha_image.h"
#include "raii.h"

namespace daybrim {

std::wstring SkinFolderFor(const std::wstring& skinPath, const std::wstring& installFolder) {
    std::wstring folder = skinPath.empty() ? installFolder + L"\\Skins\\default" : skinPath;
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder + L"\\";
}

void CSkin::Load(const std::wstring& folder, COLORREF colour34, COLORREF colour35) {
    desc_.SetDefaults(folder, colour34, colour35);
    std::vector<uint8_t> bytes;
    const std::wstring ini = JoinPath(folder, L"skin.ini");
    if (GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES && SystemImageSource().ReadFile(ini, &bytes)) {
        ParseSkinIni(bytes.data(), bytes.size(), &desc_);
        return;
    }
    // No skin.ini: an older skin gives its text colour as a one-pixel picture.
    const std::wstring bmp = JoinPath(folder, L"text_color.bmp");
    if (GetFileAttributesW(bmp.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    raii::Bitmap b(SHLoadDIBitmap(bmp.c_str()));
    if (!b) return;
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    raii::Select sel(dc.get(), b.get());
    const COLORREF c = GetPixel(dc.get(), 0, 0);
    if (c != CLR_INVALID) desc_.textColour = c;
}

}  // namespace daybrim
