// The monthly calendar's inputs from the item: its settings, skin and images,
// a reader over the PIM databases for the loader, and the appointment re-date.
#pragma once
#include <windows.h>

#include <memory>

#include "monthly_calendar.h"
#include "pim_options.h"

namespace daybrim {

class CSettings;
class CSkin;
class CImageCache;
class CCategoryTable;

// The loader's reader: a PIM store of its own (never the agenda's), reading the
// single appointments of a range into one timeline per day.
std::unique_ptr<monthly::RangeReader> MakePimRangeReader(const PimOptions& options,
                                                         const monthly::TimelineColours& colours);

// Everything Show needs, from the module's objects. `lang` is the language
// library (menu 236, the texts of the re-date's questions); `categories` (may be
// null) gives the timelines their category colours.
MonthlySetup MonthlySetupFrom(const CSettings& settings, const CSkin& skin, const CImageCache* images, int weekRule,
                              HINSTANCE inst, HMODULE lang, const PimOptions& options,
                              const CCategoryTable* categories, int today);

}  // namespace daybrim
