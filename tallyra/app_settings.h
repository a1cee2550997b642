// The finder's registry settings under HKEY_CURRENT_USER\Software\Olvane\Tallyra and
// its General, Layout and Tweak keys, also read by the menu extension.
#pragma once
#include <memory>
#include <vector>

#include "setting.h"

namespace tallyra {

enum SettingKey { kRootKey = 0, kGeneralKey = 1, kLayoutKey = 2, kTweakKey = 3 };

class CAppSettings {
public:
    CAppSettings();
    void Load(SettingStore& store);
    bool Save(SettingStore& store);  // dirty values only

    CStringSetting InstallPath{L"InstallPath", kRootKey, L"\\Program Files\\Olvane\\Tallyra"};
    CStringSetting SelectedLangResFile{L"SelectedLangResFile", kRootKey,
                                       L"\\Program Files\\Olvane\\Tallyra\\LangRes\\TLEngRc.dll"};
    CNumericSetting KeyboardAlphabet{L"KeyboardAlphabet", kGeneralKey, 1};
    CNumericSetting ActiveAlphabetsMask{L"ActiveAlphabetsMask", kGeneralKey, 15};
    CNumericSetting KeyboardMode{L"KeyboardMode", kGeneralKey, 2};
    CNumericSetting PostOperationBehavior{L"PostOperationBehavior", kGeneralKey, 0};
    CStringSetting SkinPath{L"SkinPath", kGeneralKey, L""};
    CNumericSetting ContactLayout{L"ContactLayout", kLayoutKey, 0};
    CNumericSetting TitleFormat{L"TitleFormat", kLayoutKey, 0};
    CNumericSetting FontSize{L"FontSize", kLayoutKey, 12};
    CNumericSetting SeekApptLocation{L"SeekApptLocation", kTweakKey, 1};
    CNumericSetting SeekApptNote{L"SeekApptNote", kTweakKey, 1};
    CNumericSetting SeekApptSubject{L"SeekApptSubject", kTweakKey, 1};
    CNumericSetting SeekTaskNote{L"SeekTaskNote", kTweakKey, 1};
    CNumericSetting SeekTaskSubject{L"SeekTaskSubject", kTweakKey, 1};
    CNumericSetting InsertDialMenu{L"InsertDialMenu", kTweakKey, 1};
    CNumericSetting InsertTxtMsgMenu{L"InsertTxtMsgMenu", kTweakKey, 1};

private:
    std::vector<CBaseSetting*> all_;
};

// The store the device keeps them in.
std::unique_ptr<SettingStore> OpenSettingsRegistry();

}  // namespace tallyra
