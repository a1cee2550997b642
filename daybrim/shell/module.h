// The library's module-level objects: built when the library loads, in this
// order, and destroyed in the reverse order when it unloads.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "category_table.h"
#include "pim_store.h"
#include "services.h"
#include "settings.h"

namespace daybrim {

class CHostWindow;

struct DaybrimModule {
    HINSTANCE instance = nullptr;
    UINT settingsChangedMsg = 0;  // "OlvaneDaybrimSettingsChanged"
    CImageCache images;
    CSkin skin;
    // The store loads the categories at each start, with the options the host
    // window builds from the settings.
    CCategoryTable categories;
    CPimStore pim{&categories};
    CSettings settings;  // every value at its default until the first load
    int weekRule = 0;    // for week numbers in day titles and the monthly popup
    // Host windows alive or waiting to be reaped (a window's object outlives its
    // WM_NCDESTROY by a little).
    std::vector<std::unique_ptr<CHostWindow>> hosts;

    explicit DaybrimModule(HINSTANCE inst);
    ~DaybrimModule();
};

DaybrimModule& Module();
bool ModuleLoaded();

}  // namespace daybrim
