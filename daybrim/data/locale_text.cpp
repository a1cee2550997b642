#include "locale_text.h"

#include <cmath>

#include "datetime.h"

namespace daybrim {

std::wstring LibraryTexts::String(unsigned id) const {
    if (!library_) return L"";
    wchar_t buf[512];
    const int n = LoadStringW(library_, id, buf, 512);
    return n > 0 ? std::wstring(buf, n) : std::wstring();
}

namespace {

wchar_t LocaleChar(LCID lcid, LCTYPE type, wchar_t fallback) {
    wchar_t buf[8] = {};
    return GetLocaleInfoW(lcid, type, buf, 8) > 0 ? buf[0] : fallback;
}

}  // namespace

LocaleFormat::LocaleFormat(LCID lcid)
    : lcid_(lcid),
      monthOrYearFirst_(LocaleChar(lcid, LOCALE_IDATE, L'0') != L'1'),
      twelveHour_(LocaleChar(lcid, LOCALE_ITIME, L'0') == L'0') {}

bool SystemTimeFromOle(double ole, SYSTEMTIME* st) {
    if (!std::isfinite(ole) || ole < -600000.0 || ole > 2900000.0) return false;
    const double dayPart = std::floor(ole);
    int64_t minutes = std::llround((ole - dayPart) * 1440.0);
    int64_t day = static_cast<int64_t>(dayPart);
    if (minutes >= 1440) {  // rounding up to the next midnight
        minutes -= 1440;
        ++day;
    }
    const int64_t days1601 = day + datetime::kOleEpochDays;
    const datetime::CivilDate c = datetime::CivilFromDays(days1601);
    if (c.year < 1601 || c.year > 9999) return false;
    *st = SYSTEMTIME{};
    st->wYear = WORD(c.year);
    st->wMonth = WORD(c.month);
    st->wDay = WORD(c.day);
    st->wDayOfWeek = WORD(datetime::DayOfWeek(days1601));
    st->wHour = WORD(minutes / 60);
    st->wMinute = WORD(minutes % 60);
    return true;
}

namespace {
// Day titles take pictures from the registry: up to 256 characters of result.
std::wstring FormatDate(LCID lcid, DWORD flags, double ole, const wchar_t* picture) {
    SYSTEMTIME st;
    if (!SystemTimeFromOle(ole, &st)) return L"";
    wchar_t buf[260];
    const int n = GetDateFormatW(lcid, flags, &st, picture, buf, 260);
    return n > 0 ? std::wstring(buf) : std::wstring();
}
}  // namespace

std::wstring LocaleFormat::Date(double ole, const wchar_t* picture) const {
    return FormatDate(lcid_, picture ? 0 : DATE_SHORTDATE, ole, picture);
}

std::wstring LocaleFormat::LongDate(double ole) const { return FormatDate(lcid_, DATE_LONGDATE, ole, nullptr); }

std::wstring LocaleFormat::Time(double ole, const wchar_t* picture) const {
    SYSTEMTIME st;
    if (!SystemTimeFromOle(ole, &st)) return L"";
    wchar_t buf[128];
    const int n = GetTimeFormatW(lcid_, TIME_NOSECONDS, &st, picture, buf, 128);
    return n > 0 ? std::wstring(buf) : std::wstring();
}

}  // namespace daybrim
