// Makes the live tab for a configured tab, and the tab bar. The content tabs
// register here as they come; until then every configured tab is a placeholder
// with its caption and an empty list.
#pragma once
#include <memory>

#include "settings.h"
#include "shell_env.h"
#include "tab.h"
#include "tab_bar.h"

namespace daybrim {

// The tab's id is its position in the configured list, for built-in and custom
// tabs alike: that is what "ActiveTab" and "DfltTab" look tabs up by.
std::unique_ptr<CTab> CreateTabFor(const ShellEnv* env, CSettings& settings, const TTabDescriptor& d);
std::unique_ptr<CTabBar> CreateTabBar(const ShellEnv* env);

}  // namespace daybrim
