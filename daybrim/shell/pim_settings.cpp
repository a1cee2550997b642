#include "pim_settings.h"

#include "custom_alphabets.h"
#include "item_text.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"

namespace daybrim {

namespace {
constexpr UINT kSEventsTitleString = 41095;

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
                            std::pair{&o.noCompanyTitle, text_id::kNoCompany}}) {
        const std::wstring t = LoadLangString(lang, id);
        if (!t.empty()) *text = t;
    }
    const std::wstring title = LoadLangString(lang, kSEventsTitleString);
    if (!title.empty()) o.seventsTitle = title;
    return o;
}

}  // namespace daybrim
