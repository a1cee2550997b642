// The contact finder's Tweak settings that the menu extension reads. The extension
// never writes them; tallyra's settings pages do.
#pragma once
#include "command_map.h"
#include "setting.h"

namespace tallyext {

// Key selectors of the finder's store: its root key and General, Layout, Tweak.
enum SettingKey { kRootKey = 0, kGeneralKey = 1, kLayoutKey = 2, kTweakKey = 3 };

struct MenuSettings {
    CNumericSetting seekApptSubject{CE_TEXT("SeekApptSubject"), kTweakKey, 1};
    CNumericSetting seekApptLocation{CE_TEXT("SeekApptLocation"), kTweakKey, 1};
    CNumericSetting seekApptNote{CE_TEXT("SeekApptNote"), kTweakKey, 1};
    CNumericSetting seekTaskSubject{CE_TEXT("SeekTaskSubject"), kTweakKey, 1};
    CNumericSetting seekTaskNote{CE_TEXT("SeekTaskNote"), kTweakKey, 1};
    CNumericSetting insertDialMenu{CE_TEXT("InsertDialMenu"), kTweakKey, 1};
    CNumericSetting insertTxtMsgMenu{CE_TEXT("InsertTxtMsgMenu"), kTweakKey, 1};
    CStringSetting installPath{CE_TEXT("InstallPath"), kRootKey, CE_TEXT("\\Program Files\\Olvane\\Tallyra")};

    void Load(SettingStore& store);
    // Any non-zero value turns a search or a menu on, as a check box stores it.
    SearchSettings Search() const;
};

}  // namespace tallyext
