// Identifiers and dates of the PIM records as the item model keeps them.
#pragma once
#include <cstdint>

namespace daybrim {

// OLE dates: days since 1899-12-30, the fraction is the time of day.
constexpr double kNoDate = 949998.0;  // 4501-01-01: "no date" everywhere
constexpr double kDaysPerMinute = 1.0 / 1440.0;

// The FILETIME tick count of an OLE date and back (100 ns since 1601-01-01).
constexpr int64_t kTicksPerDay = 864000000000LL;
constexpr int64_t kOleEpochTicks = 109205LL * kTicksPerDay;
inline double OleFromTicks(uint64_t ticks) {
    return double(int64_t(ticks) - kOleEpochTicks) / double(kTicksPerDay);
}
inline uint64_t TicksFromOle(double ole) {
    const double t = ole * double(kTicksPerDay) + double(kOleEpochTicks);
    return t <= 0 ? 0 : uint64_t(t + 0.5);
}
// A whole day number; dates before the epoch round towards minus infinity.
inline int32_t DayOf(double ole) {
    const int32_t d = int32_t(ole);
    return (double(d) > ole) ? d - 1 : d;
}

// The identifier Pocket Outlook, the category associations and the link databases
// know an item by, from its record's RECID. Unsigned arithmetic: the sums wrap at
// 32 bits by design (a contact's RECID 0x80000001 gives 1).
enum class PimKind { kAppointment, kTask, kContact };
inline uint32_t PoomId(PimKind kind, uint32_t recid) {
    switch (kind) {
    case PimKind::kAppointment: return recid + 0x40000000u;
    case PimKind::kTask: return recid - 0x40000000u;
    case PimKind::kContact: return recid + 0x80000000u;
    }
    return recid;
}

}  // namespace daybrim
