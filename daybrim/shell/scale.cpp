#include "scale.h"

#ifdef _WIN32
#include <windows.h>

#include "raii.h"
#endif

namespace daybrim {

namespace {
Scaler g_scaler;
bool g_dpiRead = false;
}  // namespace

Scaler& TheScaler() { return g_scaler; }

void SetForcedVga(bool on) {
#ifdef _WIN32
    if (!g_dpiRead) {
        raii::WindowDC dc(nullptr);
        if (dc) {
            g_scaler.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
            g_scaler.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
        }
        g_dpiRead = true;
    }
#endif
    g_scaler.forcedVga = on;
}

}  // namespace daybrim
