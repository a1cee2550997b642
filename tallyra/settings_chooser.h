// The finder's own file and folder chooser: a full-screen window with the current
// folder's entries, a file name box, the extension and the soft keys Select and
// Cancel. Its logic is FileChooserModel (file_chooser.h).
#pragma once
#include <windows.h>

#include "ce_string.h"
#include "file_chooser.h"

namespace tallyra {

// Shows the chooser over `owner` starting in `folder`. `title` replaces the mode's
// own title ("Save File", "Load File", "Select Folder") when not empty. True and the
// path when the user selected one: in the file modes the folder, name, "." and
// `extension`; in folder mode a folder that ends with a backslash.
bool RunFileChooser(HWND owner, ChooserMode mode, const CeString& title, const CeString& folder,
                    const CeString& extension, CeString* result);

}  // namespace tallyra
