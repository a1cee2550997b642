#include "pim_settings.h"

#include "custom_alphabets.h"
#include "item_text.h"
#include "locale_text.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"

namespace daybrim {

namespace {
constexpr UINT kSEventsTitleString = 41095;
constexpr UINT kOverdueTitleString = 79, kLaterTitleString = 80, kUndatedTitleString = 40153;

// A library string, or the store's own word when the library lacks it.
void TakeString(HMODULE lang, UINT id, std::wstring* into) {
    std::wstring text = LoadLangString(lang, id);
    if (!text.empty()) *into = std::move(text);
}

Selection SelectionOf(const CSettings& s, const CStringSetting& category, const CNumericSetting& filter) {
    Selection sel;
    sel.filterMode = s.FilterMethodToUse.value() == 1;
    sel.category = category.value();
    sel.filter = NormalizeFilterNumber(int64_t(filter.value()));
    return sel;
}
}  // namespace

PimOptions PimOptionsFrom(const CSettings& s, HMODULE lang) {
    PimOptions o;
    CategoryOptions& c = o.cat;
    c.pimSw = s.PimSw.Int();
    c.overrideIcons = s.OverridePimCatIcons.value() == 1;
    c.overrideColours = s.OverridePimCatColros.value() != 0;
    c.filterMode = s.FilterMethodToUse.value() == 1;
    c.drIconsFolder = s.DRIconsFolder.value();
    if (!s.PocketInformantIcons.value().empty()) c.piIconsFolder = s.PocketInformantIcons.value();
    if (!s.AgendaFusionIcons.value().empty()) c.afIconsFolder = s.AgendaFusionIcons.value();
    if (!s.WebISFolder.value().empty()) c.webisFolder = s.WebISFolder.value();
    c.filtersFolder = s.DRFiltersFileFolder.value();
    const CStringSetting* special[4] = {&s.AdditionalFilterCat1, &s.AdditionalFilterCat2, &s.AdditionalFilterCat3,
                                        &s.AdditionalFilterCat4};
    for (int i = 0; i < 4; ++i) c.specialCategories[i] = special[i]->value();
    o.piVolume = s.PIVOL.value();
    o.numDays = s.dNumOfDays.Int();
    o.seApptsDaySpan = s.SEApptsDaySpan.Int();
    o.seventsOnCalendar = s.SEventsOnClr.value() != 0;
    o.seventsTab = s.SEventsTabEnabled.value() != 0;
    o.contactsTab = s.ContactsTabEnabled.value() != 0;
    o.mailShown = s.IncludeMainOnCal.value() == 1 || s.MailTabEnabled.value() != 0;
    o.contactsLayout = s.ContactsLayout.Int();
    o.pictureBox = ScaleX(32);
    o.contactsTitleMode = s.CntctsTitleStruct.Int();
    o.seContactMode = s.SEContactFormat.Int();
    o.hideCodes = s.HideABCVals.value() == 1;
    o.tasksWithAppts = s.ClrSortTsksWithAppts.value() == 1;
    o.contactsSearchBar = s.CntctsActiveSearchBar.value() != 0;
    o.letterGroups = MatchingLetterGroups(s.CntctsActiveLanguages.value(), LoadCustomAlphabets(s.InstallFolder()));
    o.contactsOrder.grouping = s.ContactsGrouping.Int();
    o.contactsOrder.groupingDirection = s.ContactsGroupingDirection.Int() < 0 ? -1 : 1;
    o.contactsOrder.sortDirection = s.ContactsSortDirection.Int() < 0 ? -1 : 1;
    o.contactsOrder.hideNoPicture = s.CntctsHideNoPicture.value() == 1;
    o.calendarRules.selection = SelectionOf(s, s.CalendarSelCategory, s.CalendarSelFilter);
    o.tasksRules.selection = SelectionOf(s, s.TasksSelCategory, s.TasksSelFilter);
    o.tasksRules.hideCompleted = s.HideCompletedTasks.value() == 1;
    o.contactsRules.selection = SelectionOf(s, s.ContactsSelCategory, s.ContactsSelFilter);
    o.seventsRules.selection = SelectionOf(s, s.SEventsSelCategory, s.SEventsSelFilter);
    for (auto [text, id] : {std::pair{&o.contactsAllTitle, text_id::kContacts},
                            std::pair{&o.noCategoryTitle, text_id::kNoCategory},
                            std::pair{&o.noCompanyTitle, text_id::kNoCompany}})
        TakeString(lang, id, text);
    TakeString(lang, kSEventsTitleString, &o.seventsTitle);

    // The agenda: late-night ends, yearly counters and where tasks go on the days.
    o.humanTime = s.HumanTime.Int();
    o.yearlyCounters = s.IncludeYearlyCounters.value() == 1;
    agenda::TaskCalendarOptions& t = o.calendarTasks;
    t.completedDates = s.DatesToIncldCmpltdTsksOnClr.Int();
    t.futureLimit = s.FutureLimitTsksOnClr.Int();
    t.hideOverdueTitle = s.HideOverDueTsksDayTtl.value() == 1;
    t.hideUndatedTitle = s.HideUndatedTsksDayTtl.value() == 1;
    t.pastCompleted = s.IncldPastCmpltdTsksInClndr.value() == 1;
    t.future = s.IncldFutureTsksInCR.value() == 1;
    t.overdue = s.IncldOverDueTsksInCR.value() == 1;
    t.undated = s.IncldUndatedTsksInCR.value() == 1;
    t.showActive = s.ShowActiveTsksOnCal.value() == 1;
    t.skipWeekends = s.SkipActiveTsksWeekends.Int();
    TakeString(lang, kOverdueTitleString, &o.overdueTitle);
    TakeString(lang, kUndatedTitleString, &o.undatedTitle);
    TakeString(lang, kLaterTitleString, &o.laterTitle);
    // Formatting through the locale holds no state of the settings: one serves all.
    static const LocaleFormat locale;
    o.dateFormat = &locale;
    o.duePrefix.dueDateFormat = s.DueDateTsksDateFrmt.Int();
    o.duePrefix.sortWithAppts = o.tasksWithAppts;
    o.duePrefix.twoDigitHours = s.Force2DigitsTImeFrmt.value() == 1;
    return o;
}

}  // namespace daybrim
