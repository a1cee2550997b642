// The agenda's settings from the item's loaded settings: what the Calendar tab and
// the agenda tool hand to AgendaModel.
#pragma once
#include <windows.h>

#include "agenda_model.h"

namespace daybrim {

class CSettings;

// `weekRule` as WeekRuleFromSetting gives it for the locale. Colours left to the
// skin stay unset (kNoColour), except the status colours, which have their own
// defaults.
AgendaSettings AgendaSettingsFrom(const CSettings& s, int weekRule);

// The rule for FirstWeekInYear with the user locale's first week of the year.
int LocaleWeekRule(const CSettings& s);

// CompareString in the user locale, ignoring case: the order of subjects.
int LocaleTitleCompare(const std::wstring& a, const std::wstring& b);

}  // namespace daybrim
