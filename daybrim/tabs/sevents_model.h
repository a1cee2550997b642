// What the Special Events tab shows of the special-events group: the events
// inside their window, soonest first, with their days left, years and alerts.
// Platform-neutral: the tab and the tests share it.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "items.h"
#include "sevent_dates.h"

namespace daybrim {

struct SEventRules {
    int window = 2;             // SEventDays: 0 a week, 1 a month, otherwise 400 days
    int alertBefore = 0;        // SEAlertBeforeDays, events of no highlight class
    int filterAlertBefore = 0;  // SEFilterAlertBeforeDays, classes 1..4
};

// Days ahead that an event from a contact stays listed.
int SEventWindowDays(int setting);
// Whether an event of highlight class `cls` (0..4) `daysLeft` days ahead is due.
bool SEventAlerted(int cls, int daysLeft, const SEventRules& rules);

struct SEventRow {
    TSEvent* event = nullptr;
    EventOccurrence when;
    bool alert = false;
};

// Whether the tab's category choice lets an event through.
using SEventFilter = std::function<bool(const TSEvent&)>;

// The group's events that pass `filter` (without one: the item's own rules) and
// fall inside the window (appointments are bounded by their own day span
// instead), ordered by days left.
std::vector<SEventRow> SEventRows(const TItemWithList& group, int32_t today, const SEventRules& rules,
                                  const SEventFilter& filter = nullptr);
// Whether any listed event is due: an event the list hides raises no alert.
bool AnyAlert(const std::vector<SEventRow>& rows);

}  // namespace daybrim
