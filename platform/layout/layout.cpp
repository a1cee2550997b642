// Every CE declaration of the platform, compiled twice: by the handheld build (the
// x86-64 sizes) and by the i686 compiler without linking (the sizes on the 32-bit
// device). Each header checks its own structures with CE_LAYOUT; what the system
// takes from the desktop SDK's headers is checked here.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stddef.h>

#include "aygshell.h"
#include "ce_layout.h"
#include "cecompat.h"
#include "cesim.h"
#include "cesim_shell.h"
#include "imaging.h"
#include "phone.h"
#include "pimstore.h"
#include "todaycmn.h"
#include "windbase.h"

// Launching and menu extensions.
CE_LAYOUT(SHELLEXECUTEINFOW, 60, 112);
CE_LAYOUT(CMINVOKECOMMANDINFO, 36, 56);
// Handed between processes as bytes (WM_COPYDATA's payload travels separately).
CE_LAYOUT(COPYDATASTRUCT, 12, 24);
// Stored in the registry ("TimeZone") and in the object store's records.
CE_LAYOUT(TIME_ZONE_INFORMATION, 172, 172);
CE_LAYOUT(SYSTEMTIME, 16, 16);
CE_LAYOUT(FILETIME, 8, 8);
CE_OFFSET(TIME_ZONE_INFORMATION, DaylightBias, 168, 168);
