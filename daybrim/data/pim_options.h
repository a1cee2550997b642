// The settings the PIM store and the category table act on, taken from CSettings
// at every start and reload (tests fill them directly).
#pragma once
#include <windows.h>

#include <string>

#include "items.h"

namespace daybrim {

class CSettings;

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
    VisibilityRules calendarRules, tasksRules, contactsRules, seventsRules;
};

// From the loaded settings; the rules' category lookups are left for the store.
PimOptions PimOptionsFrom(const CSettings& s);

}  // namespace daybrim
