// CSettings: every option of the item, read from the registry at window creation
// and at every reload, written back one value at a time when the item itself
// changes one. Each value is listed once below with its default; the lists make
// both the members and the loader, so a value cannot be declared and forgotten.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "raii.h"
#include "setting.h"

namespace daybrim {

// N(name, default): a REG_DWORD; S(name, default): a REG_SZ. Defaults are
// expressions evaluated by the loader (ScaleX, locale and folder defaults).
#define DAYBRIM_GENERAL_SETTINGS(N, S)                                              \
    N(OnClick, 0) N(OnDoubleClick, 0)                                               \
    S(SelectedLangResFile, L"\\Program Files\\Olvane\\Daybrim\\LangRes\\DREngRc.dll") \
    S(SkinPath, L"") N(EnableSoundEffect, 1) N(RemoveHighlight, 0) N(GoofyMode, 0)  \
    N(IndentItems, 0) N(AutoHeight, 1) N(dHeightLimit, ScaleX(160))                 \
    N(dHeightLimitLandscape, 0) N(RemoveTabsBar, 0) N(RemoveSettingsButton, 0)      \
    N(RemoveSeparatingLine, 1) N(FilterTtlAlign, 0) N(VerticalTabs, 1)              \
    N(DPadEnabled, 1) N(DPadMode, 0) N(DPadCompleteAction, 2)                       \
    N(DPadDoubleClickTabSwitching, 0) N(DPadScrollingAction, 0)                     \
    N(ExclusiveDPadNavig, 0) N(UseDoubleClickScroll, 1) N(UseFullScrollings, 1)     \
    N(MyVgaMode, 0) N(UseThinLines, 0) N(LoadingDelay, 0)                           \
    S(DRFiltersFileFolder, productFolder) S(DRIconsFolder, productFolder + L"\\CategoryIcons") \
    N(FilterMethodToUse, 0) N(NoteZoom, 100) N(ActiveTab, 1) N(LastMinimizeState, 0) \
    N(FirstTimeSettingsMsg, 0)

#define DAYBRIM_CALENDAR_SETTINGS(N, S)                                              \
    N(dNumOfDays, 7) N(HideNoAppoDays, 1) N(SEventsOnClr, 0)                         \
    N(TimeFormat, LocaleTimeFormatDefault()) N(FirstWeekInYear, 0) N(ClrTextColor, 0) \
    N(ClrSortTsksWithAppts, 0) N(dAppoPassedToday, 0) N(IncludeYearlyCounters, 1)    \
    N(LeadingRects, 1) N(Conflicting, 1) N(IncldTasksInCR, 1) N(IncldOverDueTsksInCR, 1) \
    N(IncldFutureTsksInCR, 1) N(IncldUndatedTsksInCR, 0) N(DatesToIncldCmpltdTsksOnClr, 0) \
    N(IncldPastCmpltdTsksInClndr, 0) N(FutureLimitTsksOnClr, 0) N(TasksSubsortOnCal, 0) \
    N(SkipActiveTsksWeekends, 0) N(DueDateTsksDateFrmt, 0) N(ShowActiveTsksOnCal, 1) \
    N(PaintTsksBeforeAppts, 0) N(ConfirmTaskComplete, 0) N(DayTtlFrmt, 1) N(dDayBreaker, 3) \
    N(TimeLines, 2) N(ShowTomorrowTtl, 1) N(IncldCounters, 0) N(UseSmartFolding, 1)  \
    N(FoldingType, 2) N(FoldingDfltState, 0) N(FilterFreeApptsFromTL, 0)             \
    N(ForceTodayTitleDsply, 0) N(AppendDateToTodayTtl, 0) N(AppendDaysCountTottl, 0) \
    N(AppendWeekNumTottl, 0) N(TimelinesStart, 0) N(TimelinesLength, 18)             \
    N(TimelinesVertZ, 1) N(TimelinesHorZ, 1) N(ApptLeftAlignIcon1, 0) N(ApptLeftAlignIcon2, 0) \
    N(TaskLeftAlignIcon1, 0) N(TaskLeftAlignIcon2, 0) N(ClrApptRightIcons, 479)      \
    N(ClrTaskRightIcons, 383) N(ApptDisplayFormat, 6) N(OnPopupMonthCalClick, 0)     \
    N(MonthlyPopupCalDateFrmt, 0) N(MonthlyStartDay, LocaleFirstDayOfWeek())         \
    N(FirstWorkDay, LocaleFirstDayOfWeek()) N(MonthlyPopWithWeekNum, 0)              \
    N(MonthlyPopTimelines, 2) N(MonthlyPopCatIcons, 1) N(MonthlyPopIconsSize, ScaleX(6)) \
    N(PopupClrDPadNavigation, 1) N(PinnedMonthlyClr, 0) N(IncludeMainOnCal, 0)       \
    N(MailHideWhenZeroMsgs, 0) N(MailTitleFormat, 0) N(MailSoftwareToUse, 0)         \
    S(MailCustomInboxStr, L"") N(HideMailTtlUnderToday, 0) N(ShowMailCounterOnTtl, 1) \
    N(Force2DigitsTImeFrmt, 0) N(SkinTodayWhenCollpsAll, 0) N(HumanTime, 0)          \
    N(HideOverDueTsksDayTtl, 0) N(HideUndatedTsksDayTtl, 0) S(CustomDayttlFrmtDefault, L"") \
    N(CalTitlesOrder0, 0) N(CalTitlesOrder1, 1) N(CalTitlesOrder2, 2) N(CalTitlesOrder3, 3) \
    N(CalTitlesOrder4, 4) N(CalTitlesOrder5, 5) S(CalendarSelCategory, L"") N(CalendarSelFilter, 0)

#define DAYBRIM_TASKS_SETTINGS(N, S)                                                 \
    N(TsksDateFrmt, 3) N(TsksLimitFutureDate, 0) N(HideCompletedTasks, 0)            \
    N(HidePastCompletedTasks, 1) N(IncludeCountersTsks, 1) N(ConfirmTaskCompleteTsks, 1) \
    N(RemoveUndatedLeadingStr, 0) N(RemoveUndatedTsks, 0) N(TsksLineBreaker, 3)      \
    N(TsksUseSmartFolding, 1) N(TsksFoldingType, 2) N(TsksFoldingDflt, 0)            \
    N(TaskTabLeftAlignIcon1, 0) N(TaskTabLeftAlignIcon2, 0) N(TasksRightIcons, 383)  \
    N(UseCustomDateTsks, 0) N(TsksCustomDateStruct, 1) S(CustomDateFrmtStart, L"")   \
    S(CustomDateFrmtEnd, L"") S(TasksSelCategory, L"") N(TasksSelFilter, 0)          \
    N(TasksSlideoutOpen, 1) N(TsksGrouping, 15) N(TsksGroupingDirctn, 1) N(TsksSrt1, 0) \
    N(TsksSrt1Dirctn, 1) N(TsksSrt2, 2) N(TsksSrt2Dirctn, 1) N(TsksSrt3, 5) N(TsksSrt3Dirctn, 1)

#define DAYBRIM_NOTES_SETTINGS(N, S)                                                 \
    N(NotesActiveSearchBar, 1) S(NotesCustomSearchBarSelected, L"") N(NotesPreviewNotesState, 2) \
    N(NotesBreakLineStyle, 3) N(NotesFoldingDflt, 0) N(NotesIncldFoldBttns, 1)       \
    N(NotesIncldCounters, 1) N(NotesScannedFileTypes, 63) S(NotesSelFolder, L"")     \
    N(NotesSlideoutOpen, 1) N(NotesTabGrouping, 1) N(NotesGroupingDirctn, 1)         \
    N(DisplayOnNotesTab, 5) N(NotesTab1Sort, 0) N(NotesTab1SortDirect, 1) N(NotesSearchMode, 0) N(NotesSearchBarAlphabet, 1)

#define DAYBRIM_CONTACTS_SETTINGS(N, S)                                              \
    N(CntctsActiveLanguages, 1) N(CntctsActiveSearchBar, 1)                          \
    S(ContactsCustomSearchBarSelected, L"") N(CntctsTitleStruct, 0)                  \
    N(CntctsDPadActionOverride, 1) N(CntctsOnClickActionOpenItem, 0)                 \
    N(CntctsPrvwDlgUponOpenItem, 0) N(ContactsTxtByCategoryClr, 0) N(CntctsBreakLineStyle, 3) \
    N(CntctsFoldingDflt, 0) N(CntctsIncldFoldBttns, 1) N(CntctsIncldCounters, 1)     \
    N(ContactsLayout, 0) N(CntctsPhoneColumnWidth, 90) N(CntctsHideNoPicture, 0)     \
    S(ContactsSelCategory, L"") N(ContactsSelFilter, 0) N(ContactsSlideoutOpen, 1)   \
    N(ContactsGrouping, 0) N(ContactsGroupingDirection, 1) N(ContactsSortDirection, 1) \
    N(ContactsSearchMode, 0) N(ContactsSearchBarAlphabet, 1)

#define DAYBRIM_MESSAGES_SETTINGS(N, S)                                              \
    N(MsgsDPadActionOverride, 1) N(MsgsOpenOnClick, 0) N(MsgsPreviewWhenOpen, 0)     \
    N(MsgsMrkReadOnPrev, 1) N(MsgsBreakLineStyle, 3) N(MsgsFoldingDflt, 0)           \
    N(MsgsIncldCounters, 1) N(MsgsIncldFoldBttns, 1)

#define DAYBRIM_SEVENTS_SETTINGS(N, S)                                               \
    N(SEventDays, 2) N(SEAlertBeforeDays, 0) N(SEDateFormat, 0) N(SEContactFormat, 0) \
    N(SEApptsDaySpan, 30) N(SEFilterAlertBeforeDays, 0) S(AdditionalFilterCat1, L"") \
    S(AdditionalFilterCat2, L"") S(AdditionalFilterCat3, L"") S(AdditionalFilterCat4, L"") \
    N(BreakLineStyle, 3) N(FoldingDflt, 0) N(IncldFoldBttns, 1)
// then "IncldCounters" (member SEventsIncldCounters: the Calendar has a value of that name)
#define DAYBRIM_SEVENTS_SETTINGS_2(N, S) S(SEventsSelCategory, L"") N(SEventsSelFilter, 0)

// Read before the font settings: their sizes, face and quality feed every font.
#define DAYBRIM_FONT_GENERAL_SETTINGS(N, S)                                          \
    N(FontGnrlSize, ScaleX(12)) N(FontGnrlTitlesSize, ScaleX(12)) N(FontGnrlUseAdvncd, 0) \
    S(FontFaceToUse, L"Tahoma") N(UseShadowColor, 0) N(ForceClearType, 0)

// F(name, weight default, strike-out default)
#define DAYBRIM_FONT_SETTINGS(F)                                                     \
    F(FontGeneral, 100, 0) F(FontCalTasks, 100, 0) F(FontCalTasksOverdue, 100, 0)    \
    F(FontCalTasksFuture, 100, 0) F(FontCalTasksCompleted, 100, 0) F(FontCalTasksUndated, 100, 0) \
    F(FontCalApptBusy, 100, 0) F(FontCalApptFree, 100, 0) F(FontCalApptOutOfOffice, 100, 0) \
    F(FontCalTentative, 100, 0) F(FontCalPast, 100, 1) F(FontCalCompleted, 100, 1)   \
    F(FontMailRead, 100, 0) F(FontMailUnread, 700, 0) F(FontCalDayTitles, 700, 0)    \
    F(FontTskOverdue, 100, 0) F(FontTskDueToday, 100, 0) F(FontTskNoDue, 100, 0)     \
    F(FontTskFutureDue, 100, 0) F(FontTskGroupingTtls, 700, 0) F(FontNoteItems, 100, 0) \
    F(FontNoteTitles, 700, 0) F(FontContactItems, 100, 0) F(FontContactTitles, 700, 0) \
    F(FontMsgsUnread, 700, 0) F(FontMsgsRead, 100, 0) F(FontMsgsTitles, 700, 0)      \
    F(FontSEGeneral, 100, 0) F(FontSEFilter1, 100, 0) F(FontSEFilter2, 100, 0)       \
    F(FontSEFilter3, 100, 0) F(FontSEFilter4, 100, 0) F(FontSEGroupingTtls, 700, 0)

#define DAYBRIM_COLOR_SETTINGS(N, S)                                                 \
    N(SeperatorLineClr, 0xFFFFFFFF) N(ShadowFontColor, 0xFFFFFFFF) N(GeneralFontColor, 0xFFFFFFFF) \
    N(HighlightBgClr, 0xFFFFFFFF) N(HighlightTextClr, 0xFFFFFFFF) N(TimeLinesBgClr, 0xFFFFFFFF) \
    N(TimeLinesDfltClr, 0xFFFFFFFF) N(ClrBreakingLineClr, 0xFFFFFFFF) N(ClrPopupClrBg, 0xFFFFFFFF) \
    N(ClrPopupCurr, 0xFFFFFFFF) N(ClrPopupHighlight, 0xFFFFFFFF) N(TskBreakingLineClr, 0xFFFFFFFF) \
    N(ClrStatusFree, 0xFFFFFFFF) N(ClrStatusBusy, 0xFFFFFFFF) N(ClrStatusTentative, 0xFFFFFFFF) \
    N(ClrStatusOutofoffice, 0xFFFFFFFF)

#define DAYBRIM_CUSTOMPIM_SETTINGS(N, S)                                             \
    N(PimSw, 0) N(OverridePimCatIcons, 0) N(OverridePimCatColros, 0) N(LeaveAFRunning, 0) \
    N(HideABCVals, 1)

// The built-in tabs: name stem, tab type, default order, display-name string id.
#define DAYBRIM_BUILTIN_TABS(T)                                                      \
    T(Calendar, TAB_TYPE_CALENDAR, 1, 41180) T(Tasks, TAB_TYPE_TASKS, 2, 41155)      \
    T(Notes, TAB_TYPE_NOTES, 3, 41156) T(Contacts, TAB_TYPE_CONTACTS, 4, 41157)      \
    T(Mail, TAB_TYPE_MAIL, 5, 41158) T(SEvents, TAB_TYPE_SEVENTS, 6, 41159)

// One configured tab, built-in or custom.
struct TTabDescriptor {
    DWORD type = 0;
    DWORD order = 0;  // after loading, the 1-based position in the list
    DWORD enabled = 0;
    std::wstring displayName;
    std::wstring dll;
    std::wstring installPath;
    std::wstring customIconName;
};

// The system colours read from HKLM\SOFTWARE\Microsoft\Color, by index.
enum SystemColour { kSysClr4, kSysClr6, kSysClr8, kSysClr9, kSysClr34, kSysClr35, kSysClrCount };

class CSettings {
public:
    // Reads every value (the loader's order is the registry's group order), binds
    // the language library `lang` (freed first) and applies the corrections.
    void Load(raii::Library* lang);

    // Loads the language library: "SelectedLangResFile", else the default path
    // under the "ProgramFiles" folder. Exposed for the reload path and tests.
    void LoadLanguage(raii::Library* lang) const;

    std::wstring ProductFolder() const { return productFolder; }
    std::wstring InstallFolder() const { return installFolder; }
    COLORREF SystemColor(SystemColour which) const { return systemColours[which]; }

    // From the Today item's key and the other products' keys.
    CStringSetting AgendaFusionIcons;      // "Core.Categories"
    CStringSetting PocketInformantIcons;   // "IconPath"
    CStringSetting ProgramFiles;
    CStringSetting InstallPath;
    std::wstring productFolder;            // <ProgramFiles>\Olvane\Daybrim
    std::wstring installFolder;            // <InstallPath>\Olvane\Daybrim
    CStringSetting WebISFolder;            // "WebIS_Folder"
    CStringSetting PIVOL;
    COLORREF systemColours[kSysClrCount] = {};

#define DAYBRIM_DECL_N(name, def) CNumericSetting name;
#define DAYBRIM_DECL_S(name, def) CStringSetting name;
#define DAYBRIM_DECL_F(name, weight, strike) CFontSetting name;
    DAYBRIM_GENERAL_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_CALENDAR_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_TASKS_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_NOTES_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_CONTACTS_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_MESSAGES_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_SEVENTS_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    CNumericSetting SEventsIncldCounters;
    DAYBRIM_SEVENTS_SETTINGS_2(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_FONT_GENERAL_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_FONT_SETTINGS(DAYBRIM_DECL_F)
    DAYBRIM_COLOR_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
    DAYBRIM_CUSTOMPIM_SETTINGS(DAYBRIM_DECL_N, DAYBRIM_DECL_S)
#undef DAYBRIM_DECL_N
#undef DAYBRIM_DECL_S
#undef DAYBRIM_DECL_F

    std::vector<TTabDescriptor> tabs;  // in configured order
#define DAYBRIM_DECL_TAB(stem, type, order, str) CNumericSetting stem##TabEnabled, stem##TabOrder;
    DAYBRIM_BUILTIN_TABS(DAYBRIM_DECL_TAB)
#undef DAYBRIM_DECL_TAB
    CNumericSetting DfltTabTimeOut, DfltTab, DfltTabOnStartup;
    CStringSetting AdditionalIconsFolder;

    // The font of a catalogue id (the fonts drawing code asks for by number; the
    // image cache keeps the font objects).
    LOGFONTW CatalogueFont(int id) const;

private:
    void LoadTabDescriptors(HKEY tabKey, HMODULE lang);
    void ApplyCorrections();
    static DWORD LocaleTimeFormatDefault();
    static DWORD LocaleFirstDayOfWeek();
};

// Reads a system colour: value "<index>" (R, G, B), else the "SHColor" table.
COLORREF ReadSystemColour(int index, COLORREF def);
// CE 3.x and 4.20 have no theme colours 34 and 35, nor a Today selection protocol.
bool IsOldCeVersion();

}  // namespace daybrim
