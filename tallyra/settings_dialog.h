// The settings dialog (General, Layout and Tweaks pages).
#pragma once
#include <windows.h>

namespace tallyra {

// True when the user confirmed new settings, which are then in the registry.
bool RunSettingsDialog(HWND owner);

}  // namespace tallyra
