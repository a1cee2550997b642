// The recurrence pattern stream of an appointment (little-endian). Every date-time
// in it is a count of minutes since 1601-01-01 00:00 in the appointment's own wall
// clock (its time-zone blob says which zone that is).
//
//   0   u16 reader version, u16 writer version (0x3004 each)
//   4   u16 frequency (0x200A daily, 0x200B weekly, 0x200C monthly, 0x200D yearly)
//   6   u16 pattern type
//   8   u16 calendar type (0)
//   10  u32 first date-time (offset of the first period; informational)
//   14  u32 period: minutes (daily), weeks (weekly), months (the others)
//   18  u32 sliding flag (0)
//   22  type fields: none (daily); u32 weekday mask (weekly); u32 day of month
//       (monthly, yearly); u32 weekday mask + u32 week number (month-nth, year-nth)
//   then u32 end type, u32 occurrence count, u32 first day of week,
//        u32 deleted count + dates, u32 modified count + dates,
//        u32 pattern start date, u32 pattern end date, u32 + u32 versions,
//        i32 start-time offset, i32 end-time offset (minutes after midnight),
//        u16 exception count (= modified count), exceptions.
//   Exception: u32 start, u32 end, u32 replaced-occurrence date, u16 flags, then per
//   flag in bit order: 0x0001 subject and 0x0010 location (u16 chars + 1, u16 chars,
//   UTF-16); 0x0002, 0x0004, 0x0008, 0x0040 four bytes each; 0x0020 busy status u32;
//   0x0080 all-day u32; 0x0100 notes (u32 length + bytes).
//
// A deleted date with an exception whose replaced date equals it is a moved or
// changed occurrence; a deleted date without one is a removed occurrence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pimcodec/status.h"

namespace pimcodec {

enum class PatternType : uint16_t {
    kDaily = 0, kWeekly = 1, kMonthly = 2, kMonthNth = 3, kYearly = 5, kYearNth = 6,
};

enum class EndType : uint16_t { kByDate = 0x2021, kAfterCount = 0x2022, kNever = 0x2023 };

// Weekday mask bits (bit 0 Sunday .. bit 6 Saturday).
enum : uint16_t {
    kSunday = 1, kMonday = 2, kTuesday = 4, kWednesday = 8, kThursday = 16, kFriday = 32,
    kSaturday = 64,
};

// Exception override flags.
enum : uint16_t {
    kOverrideSubject = 0x0001, kOverrideMeetingType = 0x0002, kOverrideReminderDelta = 0x0004,
    kOverrideReminderSet = 0x0008, kOverrideLocation = 0x0010, kOverrideBusyStatus = 0x0020,
    kOverrideAttachment = 0x0040, kOverrideAllDay = 0x0080, kOverrideNotes = 0x0100,
};

// End date written for patterns that never end: 4500-12-31 23:59.
constexpr uint32_t kNeverEndDate = 0x5AE980DF;
// Longest subject or location an exception carries.
constexpr size_t kMaxExceptionText = 255;
// Refuse absurd lists instead of allocating for them.
constexpr uint32_t kMaxListEntries = 4096;

struct Exception {
    uint32_t start = 0;          // minutes, the occurrence's new start
    uint32_t end = 0;            // minutes
    uint32_t originalDate = 0;   // midnight of the occurrence it replaces
    std::optional<std::u16string> subject;
    std::optional<std::u16string> location;
    std::optional<uint32_t> busyStatus;
    std::optional<bool> allDay;
    std::optional<std::vector<uint8_t>> notes;   // present and non-empty = has a note
    // Flags whose four-byte values the agenda does not use; kept so that they survive
    // a decode/encode round trip (flag -> value).
    std::optional<uint32_t> meetingType, reminderDelta, reminderSet, attachment;
    bool operator==(const Exception& o) const;
};

struct Recurrence {
    PatternType type = PatternType::kDaily;
    // Days (daily), weeks (weekly) or months (monthly, month-nth); yearly kinds
    // count months too and normally hold 12.
    uint32_t interval = 1;
    uint16_t weekdays = 0;       // weekly, month-nth, year-nth
    uint16_t dayOfMonth = 0;     // monthly, yearly: 1..31
    uint16_t week = 0;           // month-nth, year-nth: 1..4, 5 = last
    EndType endType = EndType::kNever;
    uint32_t occurrences = 0;    // with kAfterCount
    uint32_t patternStart = 0;   // midnight of the first occurrence's day (minutes)
    uint32_t patternEnd = kNeverEndDate;   // midnight of the last occurrence's day
    int32_t startOffset = 0;     // minutes after midnight
    int32_t endOffset = 0;       // minutes after the start day's midnight (may pass 1440)
    std::vector<uint32_t> removed;       // midnights of occurrences taken out, no replacement
    std::vector<Exception> exceptions;   // moved or changed occurrences
    bool operator==(const Recurrence& o) const;
};

// Checks the fields a stream must hold sensibly (interval > 0, weekday mask not
// empty where needed, day and week in range, offsets ordered, no duplicate dates).
Status Validate(const Recurrence& r);

// Fills patternEnd for kAfterCount (the day of the last counted occurrence) and for
// kNever; leaves kByDate alone. Fails when the pattern has no occurrence at all.
Status ComputePatternEnd(Recurrence* r);

// Builds the stream. Validates first; removed dates and replaced dates go into the
// deleted list in ascending order, new start days into the modified list.
Status EncodeRecurrence(const Recurrence& r, std::vector<uint8_t>* out);

// Parses untrusted bytes: never reads outside [data, data+size), never allocates
// more than the input justifies.
Status DecodeRecurrence(const uint8_t* data, size_t size, Recurrence* out);

// Occurrence days (midnights, minutes) of the pattern from its start up to and
// including `lastDay`, at most `limit` of them, before removals and exceptions.
// Respects the end date and the occurrence count.
std::vector<uint32_t> OccurrenceDays(const Recurrence& r, uint32_t lastDay, size_t limit);

// Occurrence days (midnights, minutes) that fall within [firstDay, lastDay] (days as
// midnights or any minute of them), at most `limit`. Jumps over the periods before
// `firstDay` instead of walking them, so a series begun decades ago costs no more
// than a new one. The end is inclusive by day: the end date is a midnight and the
// last occurrence starts later that day. A count-ended series stops at its count
// and at its stored end date, whichever comes first. Nothing for a pattern that
// fails Validate.
std::vector<uint32_t> OccurrenceDaysBetween(const Recurrence& r, uint32_t firstDay, uint32_t lastDay,
                                            size_t limit);

}  // namespace pimcodec
