// Makes the live tab for a configured tab, and the tab bar. The tab framework and
// the content tabs register here; a type nobody makes yields no tab.
#pragma once
#include <memory>

#include "settings.h"
#include "tab.h"
#include "tab_bar.h"

namespace daybrim {

std::unique_ptr<CTab> CreateTabFor(const CSettings& settings, const TTabDescriptor& d);
std::unique_ptr<CTabBar> CreateTabBar();

}  // namespace daybrim
