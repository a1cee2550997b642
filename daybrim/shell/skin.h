// CSkin: the loaded skin description ("skin.ini" of the skin folder, or the text
// colour of "text_color.bmp", or the defaults).
#pragma once
#include <windows.h>

#include <string>

#include "skin_ini.h"

namespace daybrim {

// The skin folder of a "SkinPath" value (the installed default skin when empty),
// ending in exactly one backslash however the value was typed: every file of the
// skin, skin.ini included, is then found the same way.
std::wstring SkinFolderFor(const std::wstring& skinPath, const std::wstring& installFolder);

class CSkin {
public:
    virtual ~CSkin() = default;
    virtual void Load(const std::wstring& folder, COLORREF colour34, COLORREF colour35);
    const SkinDescription& desc() const { return desc_; }
    SkinDescription& desc() { return desc_; }
    const std::wstring& folder() const { return desc_.folder; }

private:
    SkinDescription desc_;
};

}  // namespace daybrim
