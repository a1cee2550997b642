// The PIM store's options from the loaded settings: built once per start and
// handed to the store, which loads the categories with them.
#pragma once
#include <windows.h>

#include "pim_options.h"

namespace daybrim {

class CSettings;

// `lang` supplies the special-events title (string 41095); without the library or
// the string the store's own title stays. The rules' category lookups are left
// for the store.
PimOptions PimOptionsFrom(const CSettings& s, HMODULE lang);

}  // namespace daybrim
