// What the host window calls in the skin and images (skin.h, image_cache.h) and
// the PIM store (pim_service.h).
#pragma once
#include <windows.h>

#include <string>

#include "image_cache.h"
#include "pim_service.h"
#include "skin.h"
#include "windbase.h"

namespace daybrim {

}  // namespace daybrim
