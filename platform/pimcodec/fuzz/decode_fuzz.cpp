// Feeds arbitrary bytes to both decoders; whatever decodes must encode again and
// decode to the same value.
#include <cstdlib>

#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"

using namespace pimcodec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TimeZone tz;
    if (DecodeTimeZone(data, size, &tz) == Status::kOk) {
        std::vector<uint8_t> b = EncodeTimeZone(tz);
        TimeZone again;
        if (DecodeTimeZone(b.data(), b.size(), &again) != Status::kOk || !(again == tz)) abort();
        LocalToUtc(tz, 222222222);
        UtcToLocal(tz, 222222222);
    }
    Recurrence r;
    if (DecodeRecurrence(data, size, &r) == Status::kOk) {
        std::vector<uint8_t> b;
        if (EncodeRecurrence(r, &b) != Status::kOk) abort();
        Recurrence again;
        if (DecodeRecurrence(b.data(), b.size(), &again) != Status::kOk || !(again == r)) abort();
        const std::vector<uint32_t> walked = OccurrenceDays(r, r.patternStart + 400 * 1440, 100000);
        // The windowed expansion jumps ahead; it must agree with the walk, and a
        // window decades wide must stay within its limit.
        const uint32_t from = r.patternStart + 100 * 1440, to = r.patternStart + 400 * 1440;
        std::vector<uint32_t> want;
        for (uint32_t d : walked) {
            // A counted series also stops at its stored end date.
            if (r.endType == EndType::kAfterCount && d / 1440 > r.patternEnd / 1440) continue;
            if (d >= from && d <= to) want.push_back(d);
        }
        if (r.patternStart <= UINT32_MAX - 400 * 1440 && OccurrenceDaysBetween(r, from, to, 100000) != want) abort();
        if (OccurrenceDaysBetween(r, 0, UINT32_MAX, 64).size() > 64) abort();
    }
    return 0;
}
