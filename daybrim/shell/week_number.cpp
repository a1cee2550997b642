#include "week_number.h"

namespace daybrim {

namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

const long long kOleEpochFromUnix = -25569;  // 1899-12-30 counted from 1970-01-01

int FloorMod7(int v) { return ((v % 7) + 7) % 7; }

int YearOf(int day) {
    int y, m, d;
    DateFromDay(day, &y, &m, &d);
    return y;
}

// The first day, on weekStart's weekday, at or after `from`.
int SameWeekdayOnOrAfter(int from, int weekStart) { return from + FloorMod7(Weekday(weekStart) - Weekday(from)); }

}  // namespace

int DayFromDate(int year, int month, int day) {
    return static_cast<int>(DaysFromCivil(year, unsigned(month), unsigned(day)) - kOleEpochFromUnix);
}

void DateFromDay(int dayNumber, int* year, int* month, int* day) {
    long long z = dayNumber + kOleEpochFromUnix + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    *year = static_cast<int>(y + (m <= 2));
    *month = static_cast<int>(m);
    *day = static_cast<int>(d);
}

int Weekday(int dayNumber) { return FloorMod7(dayNumber + 6); }  // day 0 was a Saturday

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
