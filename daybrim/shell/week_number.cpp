#include "week_number.h"

#include "datetime.h"

namespace daybrim {

namespace {

int FloorMod7(int v) { return ((v % 7) + 7) % 7; }

int YearOf(int day) {
    int y, m, d;
    DateFromDay(day, &y, &m, &d);
    return y;
}

// The first day, on weekStart's weekday, at or after `from`.
int SameWeekdayOnOrAfter(int from, int weekStart) { return from + FloorMod7(Weekday(weekStart) - Weekday(from)); }

}  // namespace

// OLE day numbers are the shared calendar's days, counted from 1899-12-30.
int DayFromDate(int year, int month, int day) {
    return static_cast<int>(datetime::DaysFromCivil(year, month, day) - datetime::kOleEpochDays);
}

void DateFromDay(int dayNumber, int* year, int* month, int* day) {
    const datetime::CivilDate d = datetime::CivilFromDays(dayNumber + datetime::kOleEpochDays);
    *year = d.year;
    *month = d.month;
    *day = d.day;
}

int Weekday(int dayNumber) { return datetime::DayOfWeek(dayNumber + datetime::kOleEpochDays); }

int WeekNumber(int rule, int weekStart) {
    const int D = weekStart;
    switch (rule) {
    case kFirstFullWeek: {
        // A week that reaches into the next year is not full there: it stays the
        // last week of its first day's year.
        const int S = SameWeekdayOnOrAfter(DayFromDate(YearOf(D), 1, 1), D);
        return D < S ? 1 : 1 + (D - S) / 7;
    }
    case kFirstFourDayWeek: {
        // A week belongs to the year of its middle day (ISO 8601 with any week start).
        const int J = DayFromDate(YearOf(D + 3), 1, 1);
        const int S = SameWeekdayOnOrAfter(J - 3, D);
        return 1 + (D - S) / 7;
    }
    default: {
        // A week that reaches into the next year holds its 1 January: week 1 there.
        if (YearOf(D + 6) != YearOf(D)) return 1;
        const int J = DayFromDate(YearOf(D), 1, 1);
        const int S = J - FloorMod7(Weekday(J) - Weekday(D));
        return 1 + (D - S) / 7;
    }
    }
}

int WeekRuleFromSetting(unsigned long firstWeekInYear, wchar_t localeFirstWeek) {
    if (firstWeekInYear >= 1 && firstWeekInYear <= 3) return int(firstWeekInYear - 1);
    if (localeFirstWeek == L'1') return kFirstFullWeek;
    if (localeFirstWeek == L'2') return kFirstFourDayWeek;
    return kWeekOfJanuaryFirst;
}

}  // namespace daybrim
