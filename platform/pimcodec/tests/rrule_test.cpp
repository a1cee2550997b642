// The expansion against an iCalendar RRULE engine: the cases file holds patterns
// drawn from a fixed seed with the occurrences python-dateutil gives for them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"

using namespace pimcodec;

namespace {
uint32_t Midnight(int ymd) { return *MinutesFromCivil({{ymd / 10000, ymd / 100 % 100, ymd % 100}, 0, 0, 0}); }
int Ymd(uint32_t minutes) {
    const CivilDate d = CivilFromDays(minutes / kMinutesPerDay);
    return d.year * 10000 + d.month * 100 + d.day;
}
}  // namespace

TEST(RecurrenceAgainstRrule, EveryGeneratedPattern) {
    std::ifstream in(RRULE_CASES);
    ASSERT_TRUE(in) << RRULE_CASES;
    std::string line;
    size_t cases = 0, occurrences = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::istringstream s(line);
        int type, interval, mask, dom, week, end, count, start, until, first, last;
        std::string colon;
        s >> type >> interval >> mask >> dom >> week >> end >> count >> start >> until >> first >> last >> colon;
        ASSERT_EQ(":", colon) << line;
        std::vector<int> want;
        for (int d; s >> d;) want.push_back(d);
        Recurrence r;
        r.type = PatternType(type);
        r.interval = uint32_t(interval);
        r.weekdays = uint16_t(mask);
        r.dayOfMonth = uint16_t(dom);
        r.week = uint16_t(week);
        r.endType = end == 0 ? EndType::kByDate : end == 1 ? EndType::kAfterCount : EndType::kNever;
        r.occurrences = uint32_t(count);
        r.patternStart = Midnight(start);
        r.patternEnd = r.endType == EndType::kByDate ? Midnight(until) : kNeverEndDate;
        r.startOffset = 9 * 60;
        r.endOffset = 10 * 60;
        // A writer stores the first occurrence's day as the pattern start, and the
        // counted series' last day as its end.
        const std::vector<uint32_t> firstOne = OccurrenceDaysBetween(r, r.patternStart, kNeverEndDate, 1);
        ASSERT_FALSE(firstOne.empty()) << line;
        r.patternStart = firstOne[0];
        if (r.endType != EndType::kByDate) ASSERT_EQ(ComputePatternEnd(&r), Status::kOk) << line;
        // Round trip through the stream as the agenda reads it.
        std::vector<uint8_t> bytes;
        ASSERT_EQ(EncodeRecurrence(r, &bytes), Status::kOk) << line;
        Recurrence back;
        ASSERT_EQ(DecodeRecurrence(bytes.data(), bytes.size(), &back), Status::kOk) << line;
        std::vector<int> got;
        for (uint32_t d : OccurrenceDaysBetween(back, Midnight(first), Midnight(last) + 1439, 100000))
            got.push_back(Ymd(d));
        EXPECT_EQ(want, got) << line;
        ++cases;
        occurrences += want.size();
    }
    EXPECT_GE(cases, 300u);
    EXPECT_GE(occurrences, 1000u);
}
