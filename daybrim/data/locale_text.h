// The handheld's TextSource and DateTimeFormat: strings from the language library,
// dates and times through GetDateFormatW and GetTimeFormatW.
#pragma once
#include <windows.h>

#include "item_text.h"

namespace daybrim {

class LibraryTexts : public TextSource {
public:
    explicit LibraryTexts(HMODULE library) : library_(library) {}
    std::wstring String(unsigned id) const override;

private:
    HMODULE library_;
};

class LocaleFormat : public DateTimeFormat {
public:
    // The orders as the locale reports them (LOCALE_IDATE, LOCALE_ITIME).
    explicit LocaleFormat(LCID lcid = LOCALE_USER_DEFAULT);
    // The orders given, for callers that already know them.
    LocaleFormat(LCID lcid, bool monthOrYearFirst, bool twelveHour)
        : lcid_(lcid), monthOrYearFirst_(monthOrYearFirst), twelveHour_(twelveHour) {}

    std::wstring Date(double ole, const wchar_t* picture) const override;
    std::wstring LongDate(double ole) const override;
    std::wstring Time(double ole, const wchar_t* picture) const override;
    bool MonthOrYearFirst() const override { return monthOrYearFirst_; }
    bool TwelveHour() const override { return twelveHour_; }

private:
    LCID lcid_;
    bool monthOrYearFirst_ = true, twelveHour_ = true;
};

// The wall time of an OLE date; false for dates outside what SYSTEMTIME holds.
bool SystemTimeFromOle(double ole, SYSTEMTIME* st);

}  // namespace daybrim
