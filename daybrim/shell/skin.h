// CSkin: the loaded skin description ("skin.ini" of the skin folder, or the text
// colour of "text_color.bmp", or the defaults).
#pragma once
#include <windows.h>

#include <string>

#include "skin_ini.h"

namespace daybrim {

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
