// The settings the PIM store and the category table act on. The shell builds them
// once per start from its settings and language library; tests fill them directly.
#pragma once
#include <windows.h>

#include <string>

#include "agenda_build.h"
#include "item_text.h"
#include "items.h"

namespace daybrim {

struct CategoryOptions {
    int pimSw = 0;                  // 0 Pocket Outlook, 1 Pocket Informant, 2 Agenda Fusion, 3 as 0
    bool overrideIcons = false;     // OverridePimCatIcons
    bool overrideColours = false;   // OverridePimCatColros
    bool filterMode = false;        // FilterMethodToUse == 1
    std::wstring drIconsFolder, piIconsFolder = L"My Documents\\WebIS\\Icons",
                 afIconsFolder = L"Program Files\\Agenda Fusion\\Icons";
    std::wstring webisFolder = L"My Documents";  // WebIS_Folder
    std::wstring filtersFolder;                  // DRFiltersFileFolder
    std::wstring specialCategories[4];           // AdditionalFilterCat1..4
    std::wstring pimVolume = L"\\pim.vol";
};

struct PimOptions {
    CategoryOptions cat;
    std::wstring fusionVolume = L"\\FusionLinks.vol";
    std::wstring piVolume;  // PIVOL
    int numDays = 7;        // dNumOfDays
    int seApptsDaySpan = 30;
    bool seventsOnCalendar = false, seventsTab = false, contactsTab = true, mailShown = false;
    int contactsLayout = 0, contactsTitleMode = 0, seContactMode = 0;
    int pictureBox = 32;             // contact photos fit this square (ScaleX(32))
    bool hideCodes = true;           // HideABCVals
    bool tasksWithAppts = false;     // ClrSortTsksWithAppts
    LetterGroups letterGroups = {L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"};
    bool contactsSearchBar = true;   // CntctsActiveSearchBar
    ContactOrder contactsOrder;
    // Titles of the Contacts tab's groups that are not a category or company.
    std::wstring contactsAllTitle = L"Contacts", noCategoryTitle = L"No Category", noCompanyTitle = L"No Company";
    VisibilityRules calendarRules, tasksRules, contactsRules, seventsRules;
    std::wstring seventsTitle = L"Special events";  // the special-events group's title

    // The calendar's agenda.
    int humanTime = 0;               // HumanTime: ends before this hour of a later day stay on the first
    bool yearlyCounters = false;     // IncludeYearlyCounters
    agenda::TaskCalendarOptions calendarTasks;
    // Titles of the overdue, undated and later pseudo days.
    std::wstring overdueTitle = L"Overdue", undatedTitle = L"No date", laterTitle = L"Later";
    // When set, calendar task copies get their due-date prefix for the day they are on.
    const DateTimeFormat* dateFormat = nullptr;
    DuePrefixOptions duePrefix;
};

}  // namespace daybrim
