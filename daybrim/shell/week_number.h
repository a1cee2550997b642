// Week numbers for the Calendar tab's day titles and the monthly popup.
// Platform-neutral. Days are OLE automation day numbers (days since 1899-12-30).
#pragma once

namespace daybrim {

enum WeekRule {
    kWeekOfJanuaryFirst = 0,  // week 1 holds 1 January
    kFirstFullWeek = 1,       // week 1 is the first week wholly in the new year
    kFirstFourDayWeek = 2,    // week 1 is the first week with at least four days of the new year
};

// The number of the week that starts on `weekStart` (the displayed week's first
// day, whichever weekday the calendar starts its weeks on). A rule outside 0..2 is
// taken as 0.
int WeekNumber(int rule, int weekStart);

// Calendar helpers on OLE day numbers.
int DayFromDate(int year, int month, int day);
void DateFromDay(int dayNumber, int* year, int* month, int* day);
int Weekday(int dayNumber);  // 0 Sunday .. 6 Saturday

// Which rule the "FirstWeekInYear" setting asks for: 1..3 is the rule plus one; 0
// (and anything out of range) follows the locale's first character of
// LOCALE_IFIRSTWEEKOFYEAR.
int WeekRuleFromSetting(unsigned long firstWeekInYear, wchar_t localeFirstWeek);

}  // namespace daybrim
