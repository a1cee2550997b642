// An English locale and language library for the agenda's tests: pictures are
// formatted the way the handheld's locale functions do, without the handheld.
#pragma once
#include <cmath>
#include <map>
#include <string>

#include "item_text.h"
#include "week_number.h"

namespace daybrim::testing {

class EnglishFormat : public DateTimeFormat {
public:
    bool dayFirst = false;  // the short date's order: d/M/yyyy instead of M/d/yyyy

    std::wstring Date(double ole, const wchar_t* picture) const override {
        if (!picture) return Picture(ole, dayFirst ? L"d/M/yyyy" : L"M/d/yyyy");
        return Picture(ole, picture);
    }
    std::wstring LongDate(double ole) const override { return Picture(ole, L"dddd, MMMM d, yyyy"); }
    std::wstring Time(double ole, const wchar_t* picture) const override { return Picture(ole, picture); }
    bool MonthOrYearFirst() const override { return !dayFirst; }
    bool TwelveHour() const override { return true; }

    // Day names as a locale that writes them longer than three characters.
    std::map<int, std::wstring> shortDayOverride;

    std::wstring Picture(double ole, const std::wstring& p) const {
        static const wchar_t* const kDays[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                               L"Thursday", L"Friday", L"Saturday"};
        static const wchar_t* const kMonths[] = {L"January", L"February", L"March", L"April",
                                                 L"May", L"June", L"July", L"August",
                                                 L"September", L"October", L"November", L"December"};
        const double dayPart = std::floor(ole);
        long long minutes = std::llround((ole - dayPart) * 1440.0);
        int day = static_cast<int>(dayPart);
        if (minutes >= 1440) {
            minutes -= 1440;
            ++day;
        }
        int y, m, d;
        DateFromDay(day, &y, &m, &d);
        const int wd = Weekday(day), hour = int(minutes / 60), minute = int(minutes % 60);
        auto two = [](int v) { return (v < 10 ? L"0" : L"") + std::to_wstring(v); };
        std::wstring out;
        for (size_t i = 0; i < p.size();) {
            const wchar_t c = p[i];
            if (c == L'\'') {
                const size_t end = p.find(L'\'', i + 1);
                out += p.substr(i + 1, end == std::wstring::npos ? std::wstring::npos : end - i - 1);
                i = end == std::wstring::npos ? p.size() : end + 1;
                continue;
            }
            size_t n = 1;
            while (i + n < p.size() && p[i + n] == c) ++n;
            switch (c) {
            case L'd':
                if (n == 1) out += std::to_wstring(d);
                else if (n == 2) out += two(d);
                else if (n == 3) {
                    auto o = shortDayOverride.find(wd);
                    out += o != shortDayOverride.end() ? o->second : std::wstring(kDays[wd]).substr(0, 3);
                } else out += kDays[wd];
                break;
            case L'M':
                if (n == 1) out += std::to_wstring(m);
                else if (n == 2) out += two(m);
                else if (n == 3) out += std::wstring(kMonths[m - 1]).substr(0, 3);
                else out += kMonths[m - 1];
                break;
            case L'y': out += n >= 4 ? std::to_wstring(y) : two(y % 100); break;
            case L'H': out += n == 1 ? std::to_wstring(hour) : two(hour); break;
            case L'h': {
                const int h12 = hour % 12 == 0 ? 12 : hour % 12;
                out += n == 1 ? std::to_wstring(h12) : two(h12);
                break;
            }
            case L'm': out += two(minute); break;
            case L't': out += n == 1 ? (hour < 12 ? L"a" : L"p") : (hour < 12 ? L"am" : L"pm"); break;
            default: out.append(n, c); break;
            }
            i += n;
        }
        return out;
    }
};

class EnglishTexts : public TextSource {
public:
    std::map<unsigned, std::wstring> strings = {
        {3, L"(No subject)"}, {71, L"All day"}, {73, L"Today"}, {79, L"Overdue"},
        {80, L"Later"},       {40153, L"No date"}, {40167, L"Mail"}, {40169, L"Tomorrow"},
    };
    std::wstring String(unsigned id) const override {
        auto i = strings.find(id);
        return i == strings.end() ? std::wstring() : i->second;
    }
};

}  // namespace daybrim::testing
