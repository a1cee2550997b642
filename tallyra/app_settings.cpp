#include "app_settings.h"

#include "registry_store.h"

namespace tallyra {

CAppSettings::CAppSettings()
    : all_{&InstallPath,      &SelectedLangResFile, &KeyboardAlphabet, &ActiveAlphabetsMask, &KeyboardMode,
           &PostOperationBehavior, &SkinPath,       &ContactLayout,    &TitleFormat,         &FontSize,
           &SeekApptLocation, &SeekApptNote,        &SeekApptSubject,  &SeekTaskNote,        &SeekTaskSubject,
           &InsertDialMenu,   &InsertTxtMsgMenu} {}

void CAppSettings::Load(SettingStore& store) {
    for (CBaseSetting* s : all_) s->Load(store);
}

bool CAppSettings::Save(SettingStore& store) {
    bool ok = true;
    for (CBaseSetting* s : all_) ok = s->Save(store) && ok;
    return ok;
}

std::unique_ptr<SettingStore> OpenSettingsRegistry() {
    const CeString root = L"Software\\Olvane\\Tallyra";
    return std::make_unique<RegistrySettingStore>(
        HKEY_CURRENT_USER, std::vector<CeString>{root, root + L"\\General", root + L"\\Layout", root + L"\\Tweak"});
}

}  // namespace tallyra
