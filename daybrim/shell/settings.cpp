#include "settings.h"

#include <algorithm>

#include "scale.h"
#include "tab_types.h"

namespace daybrim {

namespace {

// A group's key, opened once for all its values; null leaves them at their defaults.
// Loading creates nothing: a key appears when a value is first written to it, and
// the other programs' keys are theirs alone.
raii::Key Group(int rootIndex) { return raii::Key(OpenRoot(rootIndex, false)); }

std::wstring LoadText(HMODULE lang, UINT id) {
    if (!lang) return std::wstring();
    wchar_t buf[1024];
    int n = LoadStringW(lang, id, buf, 1024);
    return n > 0 ? std::wstring(buf, size_t(n)) : std::wstring();
}

}  // namespace

bool IsOldCeVersion() {
    OSVERSIONINFOW v = {sizeof v};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return false;
#pragma GCC diagnostic pop
    return v.dwMajorVersion == 3 || (v.dwMajorVersion == 4 && v.dwMinorVersion == 20);
}

COLORREF ReadSystemColour(int index, COLORREF def) {
    raii::Key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Color", 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return def;
    wchar_t name[16];
    wsprintfW(name, L"%d", index);
    BYTE rgb[64];
    DWORD size = sizeof rgb, type = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, rgb, &size) == ERROR_SUCCESS && size >= 3)
        return RGB(rgb[0], rgb[1], rgb[2]);
    size = 0;
    if (RegQueryValueExW(key.get(), L"SHColor", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || index < 0 ||
        size <= DWORD(4 * index + 4) || size > (1u << 16))
        return def;
    std::vector<BYTE> table(size);
    if (RegQueryValueExW(key.get(), L"SHColor", nullptr, &type, table.data(), &size) != ERROR_SUCCESS ||
        size <= DWORD(4 * index + 4))
        return def;
    const BYTE* c = &table[size_t(4 * index)];
    return RGB(c[0], c[1], c[2]);
}

DWORD CSettings::LocaleTimeFormatDefault() {
    wchar_t buf[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ITIME, buf, 8);
    return lstrcmpW(buf, L"1") != 0 ? 1 : 0;  // 1: the 12-hour clock
}

DWORD CSettings::LocaleFirstDayOfWeek() {
    wchar_t buf[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, buf, 8);
    const DWORD v = DWORD(_wtoi(buf));
    return v <= 6 ? v : 0;
}

void CSettings::LoadLanguage(raii::Library* lang) const {
    lang->reset();
    lang->reset(LoadLibraryW(SelectedLangResFile.c_str()));
    if (!*lang) lang->reset(LoadLibraryW((ProgramFiles.value() + L"\\Olvane\\Daybrim\\LangRes\\DREngRc.dll").c_str()));
}

#define DAYBRIM_READ_N(name, def) name.Read(key.get(), DWORD(def), L"" #name, idx);
#define DAYBRIM_READ_S(name, def) name.Read(key.get(), L"" #name, std::wstring(def), idx);

void CSettings::Load(raii::Library* lang) {
    {
        // The Today item's own key is the installer's: read, never created.
        raii::Key key = Group(kRootTodayItem);
        ProgramFiles.Read(key.get(), L"ProgramFiles", L"\\Program Files", kRootTodayItem);
        productFolder = ProgramFiles.value() + L"\\Olvane\\Daybrim";
        InstallPath.Read(key.get(), L"InstallPath", ProgramFiles.value(), kRootTodayItem);
        installFolder = InstallPath.value() + L"\\Olvane\\Daybrim";
    }
    {
        raii::Key key = Group(kRootPocketInformant);
        PocketInformantIcons.Read(key.get(), L"IconPath", L"My Documents\\WebIS\\Icons", kRootPocketInformant);
        WebISFolder.Read(key.get(), L"WebIS_Folder", L"My Documents", kRootPocketInformant);
        PIVOL.Read(key.get(), L"PIVOL", WebISFolder.value() + L"\\WebIS\\PocketInformant.vol", kRootPocketInformant);
    }
    {
        raii::Key key = Group(kRootAgendaFusion);
        AgendaFusionIcons.Read(key.get(), L"Core.Categories", L"Program Files\\Agenda Fusion\\Icons",
                               kRootAgendaFusion);
    }
    {
        static const int kIndex[kSysClrCount] = {4, 6, 8, 9, 34, 35};
        static const COLORREF kDefault[kSysClrCount] = {0x000000, 0xEF8E73, 0x9C4D2C, 0xFFFFFF, 0x9C4D2C, 0xFFFFFF};
        const bool old = IsOldCeVersion();
        for (int i = 0; i < kSysClrCount; ++i)
            systemColours[i] = old && kIndex[i] >= 34 ? kDefault[i] : ReadSystemColour(kIndex[i], kDefault[i]);
    }
    {
        raii::Key key = Group(kRootGeneral);
        const int idx = kRootGeneral;
        DAYBRIM_GENERAL_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    if (lang) LoadLanguage(lang);
    {
        raii::Key key = Group(kRootCalendar);
        const int idx = kRootCalendar;
        DAYBRIM_CALENDAR_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootTasks);
        const int idx = kRootTasks;
        DAYBRIM_TASKS_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootNotes);
        const int idx = kRootNotes;
        DAYBRIM_NOTES_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootContacts);
        const int idx = kRootContacts;
        DAYBRIM_CONTACTS_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootMessages);
        const int idx = kRootMessages;
        DAYBRIM_MESSAGES_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootSEvents);
        const int idx = kRootSEvents;
        DAYBRIM_SEVENTS_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
        SEventsIncldCounters.Read(key.get(), 1, L"IncldCounters", idx);
        DAYBRIM_SEVENTS_SETTINGS_2(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootFonts);
        const int idx = kRootFonts;
        DAYBRIM_FONT_GENERAL_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
        const bool clearType = ForceClearType.value() != 0;
#define DAYBRIM_READ_F(name, weight, strike) \
    name.Read(key.get(), L"" #name, weight, strike, ScaleX(12), FontFaceToUse.value(), clearType);
        DAYBRIM_FONT_SETTINGS(DAYBRIM_READ_F)
#undef DAYBRIM_READ_F
    }
    {
        raii::Key key = Group(kRootColors);
        const int idx = kRootColors;
        DAYBRIM_COLOR_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootCustomPim);
        const int idx = kRootCustomPim;
        DAYBRIM_CUSTOMPIM_SETTINGS(DAYBRIM_READ_N, DAYBRIM_READ_S)
    }
    {
        raii::Key key = Group(kRootTabSettings);
        LoadTabDescriptors(key.get(), lang ? lang->get() : nullptr);
    }
    {
        raii::Key key = Group(kRootCategories);
        AdditionalIconsFolder.Read(key.get(), L"AdditionalIconsFolder", L"", kRootCategories);
    }
    ApplyCorrections();
}

#undef DAYBRIM_READ_N
#undef DAYBRIM_READ_S

void CSettings::LoadTabDescriptors(HKEY tabKey, HMODULE lang) {
    tabs.clear();
    std::vector<TTabDescriptor> found;
#define DAYBRIM_READ_TAB(stem, tabType, defOrder, strId)                                            \
    {                                                                                                \
        TTabDescriptor d;                                                                            \
        d.type = tabType;                                                                            \
        d.enabled = stem##TabEnabled.Read(tabKey, 1, L"" #stem L"TabEnabled", kRootTabSettings);     \
        d.order = stem##TabOrder.Read(tabKey, defOrder, L"" #stem L"TabOrder", kRootTabSettings);    \
        d.displayName = LoadText(lang, strId);                                                       \
        found.push_back(d);                                                                          \
    }
    DAYBRIM_BUILTIN_TABS(DAYBRIM_READ_TAB)
#undef DAYBRIM_READ_TAB

    if (tabKey) {
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD len = 256;
            LONG rc = RegEnumKeyExW(tabKey, i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) continue;  // a name past 255 characters names no tab
            if (rc != ERROR_SUCCESS) break;
            if (lstrcmpW(name, L"Contacts") == 0) continue;
            raii::Key sub;
            if (RegOpenKeyExW(tabKey, name, 0, KEY_READ, sub.out()) != ERROR_SUCCESS) continue;
            CNumericSetting order, type, enabled;
            CStringSetting dll, install, icon;
            TTabDescriptor d;
            d.order = order.Read(sub.get(), 9, L"Order", kRootTabSettings);
            d.type = type.Read(sub.get(), 0, L"Type", kRootTabSettings) ? TAB_TYPE_TODAY_ITEM : TAB_TYPE_DESIGNED;
            d.enabled = enabled.Read(sub.get(), 0, L"Enabled", kRootTabSettings);
            d.dll = dll.Read(sub.get(), L"DLL", L"", kRootTabSettings);
            d.installPath = install.Read(sub.get(), L"InstallPath", L"", kRootTabSettings);
            d.customIconName = icon.Read(sub.get(), L"CustomIconName", L"", kRootTabSettings);
            d.displayName = name;
            found.push_back(d);
        }
    }

    // Each one goes before the first entry after the head whose order is not
    // smaller than its own: equal orders keep a later-read tab ahead of an earlier
    // one except at the head, which only a strictly smaller order displaces.
    for (TTabDescriptor& d : found) {
        if (tabs.empty() || d.order < tabs.front().order) {
            tabs.insert(tabs.begin(), d);
            continue;
        }
        auto at = std::find_if(tabs.begin() + 1, tabs.end(),
                               [&](const TTabDescriptor& e) { return !(e.order < d.order); });
        tabs.insert(at, d);
    }
    for (size_t i = 0; i < tabs.size(); ++i) tabs[i].order = DWORD(i + 1);

    DfltTabTimeOut.Read(tabKey, 0, L"DfltTabTimeOut", kRootTabSettings);
    DfltTab.Read(tabKey, 0, L"DfltTab", kRootTabSettings);
    DfltTabOnStartup.Read(tabKey, 0, L"DfltTabOnStartup", kRootTabSettings);

    const auto usable = [&](DWORD pos) {
        return pos >= 1 && pos <= tabs.size() && tabs[pos - 1].enabled && IsBuiltInTabType(tabs[pos - 1].type);
    };
    // The fallback is tab 1, or the first shown built-in tab when tab 1 is switched
    // off: a tab that is not created would leave the item empty until a tap.
    if (!usable(ActiveTab.value())) {
        DWORD pos = 1;
        while (pos <= tabs.size() && !usable(pos)) ++pos;
        ActiveTab.Set(pos <= tabs.size() ? pos : 1);
    }
    if (DfltTabOnStartup.value() == 1 && DfltTab.value() < 6) {
        const DWORD want = DefaultTabType(DfltTab.value());
        for (const TTabDescriptor& d : tabs)
            if (d.type == want) {
                if (usable(d.order) && ActiveTab.value() != d.order) ActiveTab.Set(d.order);
                break;
            }
    }
}

void CSettings::ApplyCorrections() {
    if (dNumOfDays.value() < 1 || dNumOfDays.value() > 120) dNumOfDays.Set(7);
    CNumericSetting* order[6] = {&CalTitlesOrder0, &CalTitlesOrder1, &CalTitlesOrder2,
                                 &CalTitlesOrder3, &CalTitlesOrder4, &CalTitlesOrder5};
    bool seen[6] = {};
    for (CNumericSetting* o : order)
        if (o->value() < 6) seen[o->value()] = true;
    if (std::find(seen, seen + 6, false) != seen + 6)
        for (DWORD i = 0; i < 6; ++i) order[i]->Set(i);
}

LOGFONTW CSettings::CatalogueFont(int id) const {
    LOGFONTW lf = {};
    lf.lfQuality = ForceClearType.value() == 1 ? CLEARTYPE_QUALITY : 0;
    lstrcpynW(lf.lfFaceName, FontFaceToUse.c_str(), LF_FACESIZE);
    auto sized = [&](int height, LONG weight = 0, BYTE strike = 0) {
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfStrikeOut = strike;
        return lf;
    };
    static const CFontSetting CSettings::*const k100[] = {
        &CSettings::FontCalTasks,      &CSettings::FontCalTasksOverdue, &CSettings::FontCalTasksFuture,
        &CSettings::FontCalTasksCompleted, &CSettings::FontCalTasksUndated, &CSettings::FontCalApptBusy,
        &CSettings::FontCalApptFree,   &CSettings::FontCalTentative,    &CSettings::FontCalApptOutOfOffice,
        &CSettings::FontCalPast,       &CSettings::FontCalCompleted,    &CSettings::FontMailRead,
        &CSettings::FontMailUnread,    &CSettings::FontCalDayTitles};
    static const CFontSetting CSettings::*const k200[] = {&CSettings::FontTskOverdue, &CSettings::FontTskDueToday,
                                                         &CSettings::FontTskNoDue, &CSettings::FontTskFutureDue,
                                                         &CSettings::FontTskGroupingTtls};
    static const CFontSetting CSettings::*const k300[] = {&CSettings::FontSEGeneral, &CSettings::FontSEFilter1,
                                                         &CSettings::FontSEFilter2, &CSettings::FontSEFilter3,
                                                         &CSettings::FontSEFilter4, &CSettings::FontSEGroupingTtls};
    switch (id) {
    case 0: return FontGeneral.logfont();
    case 1: case 262: case 400: return sized(ScaleX(11));
    case 2: return sized(ScaleX(11), FW_BOLD);
    case 3: return sized(ScaleX(10));
    case 4: return sized(ScaleX(12), FW_BOLD);
    case 50: return sized(FontGnrlSize.Int());
    case 51: return sized(FontGnrlSize.Int(), FW_BOLD);
    case 52: return sized(FontGnrlSize.Int(), FW_BOLD, 1);
    case 53: return sized(FontGnrlTitlesSize.Int(), FW_BOLD);
    case 205: {
        LOGFONTW g = FontGeneral.logfont();
        g.lfStrikeOut = 1;
        return g;
    }
    case 250: return FontNoteItems.logfont();
    case 251: return FontNoteTitles.logfont();
    case 260: return FontContactTitles.logfont();
    case 261: return FontContactItems.logfont();
    case 270: return FontMsgsRead.logfont();
    case 271: return FontMsgsUnread.logfont();
    case 272: return FontMsgsTitles.logfont();
    }
    if (id >= 100 && id <= 113) return (this->*k100[id - 100]).logfont();
    if (id >= 200 && id <= 204) return (this->*k200[id - 200]).logfont();
    if (id >= 300 && id <= 305) return (this->*k300[id - 300]).logfont();
    return lf;
}

}  // namespace daybrim
