// The settings dialog: a list of the General, Layout and Tweaks pages; each opens in
// place of the list. OK writes what the pages changed to the registry (when that
// fails, it says so and the dialog stays open); Cancel asks first and writes nothing.
#pragma once
#include <windows.h>

namespace tallyra {

// True when the user confirmed new settings, which are then in the registry. The
// settings record may hold unsaved page changes after a cancel: the caller reloads it.
bool RunSettingsDialog(HWND owner);

}  // namespace tallyra
