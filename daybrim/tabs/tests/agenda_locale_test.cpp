// The agenda's texts through the handheld's own locale functions, in two locales
// whose clocks and date orders differ.
#include <gtest/gtest.h>

#include "agenda_model.h"
#include "locale_text.h"
#include "week_number.h"

namespace daybrim {
namespace {

class NoLibrary : public TextSource {
public:
    std::wstring String(unsigned id) const override {
        return id == agenda_text::kAllDay ? L"All day" : id == agenda_text::kToday ? L"Today" : L"";
    }
};

const int32_t kDay = DayFromDate(2026, 12, 10);

TEST(AgendaLocale, DayTitlesAndTimesInTwoLocales) {
    struct Case {
        LCID lcid;
        int dayFormat;
        bool twelveHour;
        const wchar_t *title, *first, *second;
    };
    const Case cases[] = {
        {0x0409, 4, true, L"12/10/2026", L"10:00P-1:00A", L"All day-1:00A"},
        {0x0409, 5, false, L"Thursday, December 10, 2026", L"22:00-1:00", L"All day-1:00"},
        {0x0407, 4, false, L"10.12.2026", L"22:00-1:00", L"All day-1:00"},
        {0x0407, 3, false, L"Do., Dez 10", L"22:00-1:00", L"All day-1:00"},
    };
    NoLibrary text;
    for (const Case& c : cases) {
        LocaleFormat fmt(c.lcid);
        AgendaSettings s;
        s.dayTitleFormat = c.dayFormat;
        s.twelveHour = c.twelveHour;
        s.apptDisplayFormat = 1;
        s.humanTime = 2;
        TApptItem a;
        a.start = kDay + 22 / 24.0;
        a.end = kDay + 1 + 1 / 24.0;
        EXPECT_EQ(c.title, SectionTitle(uint32_t(kDay), kDay - 3, s, text, fmt)) << c.lcid;
        EXPECT_EQ(c.first, AppointmentTextsOn(a, kDay, s, text, fmt).timeText) << c.lcid;
        EXPECT_EQ(c.second, AppointmentTextsOn(a, kDay + 1, s, text, fmt).timeText) << c.lcid;
    }
}

TEST(AgendaLocale, RangeTextInBothOrders) {
    NoLibrary text;
    LocaleFormat fmt(0x0409);
    AgendaSettings s;
    EXPECT_EQ(L"12/10 - 12/16", RangeText(kDay, kDay + 6, true, false, s, text, fmt));
    s.dayFirstRangeText = true;
    EXPECT_EQ(L"Today-16/12", RangeText(kDay, kDay + 6, false, true, s, text, fmt));
}

}  // namespace
}  // namespace daybrim
