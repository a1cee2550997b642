// What the host window calls in the skin and images (skin.h, image_cache.h), the
// PIM store (pim_service.h), the item painter and the PIM menu extensions. Each is
// filled in by its own subsystem; until then these do nothing and report nothing
// changed.
#pragma once
#include <windows.h>

#include <string>

#include "image_cache.h"
#include "pim_service.h"
#include "skin.h"
#include "windbase.h"

namespace daybrim {

class CItemPainter {
public:
    virtual ~CItemPainter() = default;
};

class CPimMenuExtensions {
public:
    virtual ~CPimMenuExtensions() = default;
};

}  // namespace daybrim
