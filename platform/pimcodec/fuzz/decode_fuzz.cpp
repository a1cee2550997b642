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
        OccurrenceDays(r, r.patternStart + 400 * 1440, 64);
    }
    return 0;
}
