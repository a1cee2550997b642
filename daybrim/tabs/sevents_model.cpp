#include "sevents_model.h"

#include <algorithm>

namespace daybrim {

int SEventWindowDays(int setting) {
    switch (setting) {
    case 0: return 7;
    case 1: return 30;
    default: return 400;  // a year and a bit: every yearly event is listed
    }
}

bool SEventAlerted(int cls, int daysLeft, const SEventRules& rules) {
    if (daysLeft < 0) return false;
    return daysLeft <= (cls >= 1 && cls <= 4 ? rules.filterAlertBefore : rules.alertBefore);
}

std::vector<SEventRow> SEventRows(const TItemWithList& group, int32_t today, const SEventRules& rules,
                                  const SEventFilter& filter) {
    std::vector<SEventRow> rows;
    const int window = SEventWindowDays(rules.window);
    for (TChildItem* c : group.children()) {
        const int kind = c->Kind();
        if (kind != kKindSEventContact && kind != kKindSEventAppt) continue;
        auto* e = static_cast<TSEvent*>(c);
        if (filter ? !filter(*e) : !c->IsVisibleCached()) continue;
        SEventRow r;
        r.event = e;
        r.when = NextOccurrence(e->date, today);
        if (!r.when.valid) continue;
        if (kind == kKindSEventContact && r.when.daysLeft > window) continue;
        r.alert = SEventAlerted(std::clamp(e->categoryIndex, 0, 4), r.when.daysLeft, rules);
        rows.push_back(r);
    }
    // Stable: events on one day keep the group's own order.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SEventRow& a, const SEventRow& b) { return a.when.daysLeft < b.when.daysLeft; });
    return rows;
}

bool AnyAlert(const std::vector<SEventRow>& rows) {
    return std::any_of(rows.begin(), rows.end(), [](const SEventRow& r) { return r.alert; });
}

}  // namespace daybrim
