#include "settings_dialog.h"

namespace tallyra {

// Not built yet: the pages and the chooser are still to come. Until then the command
// changes nothing and the caller reloads the settings as after a cancel.
bool RunSettingsDialog(HWND) { return false; }

}  // namespace tallyra
