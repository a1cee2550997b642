// The PIM store's options as the shell builds them from the settings and the
// language library.
#include <gtest/gtest.h>

#include <string>

#include "pim_settings.h"
#include "raii.h"
#include "resource_binding.h"
#include "settings.h"

using namespace daybrim;

TEST(PimSettings, SettingsBecomeOptions) {
    struct Case {
        const char* name;
        DWORD filterMethod, calendarFilter, pimSw, hideCodes, numDays;
        bool filterMode;
        int filter;
    };
    const Case cases[] = {
        {"category mode", 0, 5, 0, 1, 7, false, 5},
        {"filter mode", 1, 12, 1, 0, 3, true, 12},
        {"a filter past 32 shows everything", 1, 40, 2, 1, 14, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSettings s;
        s.FilterMethodToUse.Set(c.filterMethod);
        s.CalendarSelFilter.Set(c.calendarFilter);
        s.PimSw.Set(c.pimSw);
        s.HideABCVals.Set(c.hideCodes);
        s.dNumOfDays.Set(c.numDays);
        s.CalendarSelCategory.Set(L"Work");
        const PimOptions o = PimOptionsFrom(s, nullptr);
        EXPECT_EQ(c.filterMode, o.cat.filterMode);
        EXPECT_EQ(c.filterMode, o.calendarRules.selection.filterMode);
        EXPECT_EQ(c.filter, o.calendarRules.selection.filter);
        EXPECT_EQ(L"Work", o.calendarRules.selection.category);
        EXPECT_EQ(int(c.pimSw), o.cat.pimSw);
        EXPECT_EQ(c.hideCodes == 1, o.hideCodes);
        EXPECT_EQ(int(c.numDays), o.numDays);
        EXPECT_EQ(nullptr, o.calendarRules.categories);  // the store fills these in
    }
}

TEST(PimSettings, SpecialEventsTitleFromTheLanguageLibrary) {
    raii::Library lang(LoadLibraryW(LANG_DLL));
    ASSERT_TRUE(lang);
    const std::wstring text = LoadLangString(lang.get(), 41095);
    ASSERT_FALSE(text.empty());
    CSettings s;
    EXPECT_EQ(text, PimOptionsFrom(s, lang.get()).seventsTitle);
    // Without the library the store's own wording stays.
    EXPECT_EQ(PimOptions().seventsTitle, PimOptionsFrom(s, nullptr).seventsTitle);
    EXPECT_FALSE(PimOptions().seventsTitle.empty());
}

// The agenda's rules reach the store: a setting left out here would silently keep
// its default and the calendar would place tasks and late appointments wrongly.
TEST(PimSettings, AgendaRulesAndPseudoDayTitles) {
    raii::Library lang(LoadLibraryW(LANG_DLL));
    ASSERT_TRUE(lang);
    CSettings s;
    s.HumanTime.Set(4);
    s.IncludeYearlyCounters.Set(1);
    s.DatesToIncldCmpltdTsksOnClr.Set(2);
    s.HideOverDueTsksDayTtl.Set(1);
    s.IncldFutureTsksInCR.Set(1);
    s.ShowActiveTsksOnCal.Set(1);
    s.SkipActiveTsksWeekends.Set(3);
    s.DueDateTsksDateFrmt.Set(2);
    const PimOptions o = PimOptionsFrom(s, lang.get());
    EXPECT_EQ(4, o.humanTime);
    EXPECT_TRUE(o.yearlyCounters);
    EXPECT_EQ(2, o.calendarTasks.completedDates);
    EXPECT_TRUE(o.calendarTasks.hideOverdueTitle);
    EXPECT_FALSE(o.calendarTasks.hideUndatedTitle);
    EXPECT_TRUE(o.calendarTasks.future);
    EXPECT_TRUE(o.calendarTasks.showActive);
    EXPECT_EQ(3, o.calendarTasks.skipWeekends);
    EXPECT_EQ(2, o.duePrefix.dueDateFormat);
    ASSERT_NE(nullptr, o.dateFormat);
    for (UINT id : {79u, 80u, 40153u}) EXPECT_FALSE(LoadLangString(lang.get(), id).empty()) << id;
    EXPECT_EQ(LoadLangString(lang.get(), 79), o.overdueTitle);
    EXPECT_EQ(LoadLangString(lang.get(), 40153), o.undatedTitle);
    EXPECT_EQ(LoadLangString(lang.get(), 80), o.laterTitle);
}
