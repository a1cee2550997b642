// The PIM store's change notifications: each changed record is read again and
// put back where it belongs; the result is the tab types whose data changed.
#include "pim_store.h"

#include <algorithm>

#include "store_parts.h"

namespace daybrim {

using namespace pimdb;
using namespace storedates;

size_t CPimStore::RemoveByOid(TItemWithList& group, CEOID oid, int kind) {
    size_t removed = 0;
    for (auto it = group.children().begin(); it != group.children().end();) {
        auto cur = it++;
        auto* item = dynamic_cast<TPoomIdItem*>(*cur);
        if (item && item->oid == oid && (*cur)->Kind() == kind) {
            group.RemoveChild(cur);
            ++removed;
        }
    }
    return removed;
}

size_t CPimStore::RemoveFromDays(CEOID oid, int kind) {
    size_t removed = 0;
    for (TItem* d = days_.head(); d; d = d->next()) removed += RemoveByOid(*static_cast<TDailyList*>(d), oid, kind);
    return removed;
}

uint32_t CPimStore::RefreshAppointment(CEOID oid, bool deleted) {
    uint32_t bits = TAB_TYPE_CALENDAR;
    RemoveFromDays(oid, kKindAppt);
    recurring_.erase(std::remove_if(recurring_.begin(), recurring_.end(),
                                    [oid](const std::unique_ptr<TApptItem>& a) { return a->oid == oid; }),
                     recurring_.end());
    if (sevents_ && RemoveByOid(*sevents_, oid, kKindSEventAppt)) bits |= TAB_TYPE_SEVENTS;
    if (deleted) return bits;
    std::unique_ptr<TApptItem> a = readAppointment(oid);
    if (!a) return bits;
    // A changed master is expanded again: its old occurrences went with it above.
    if (a->recurrence) PlaceOccurrences(*a, first_, last_);
    else PlaceAppointment(*a, first_, last_);
    if (opt_.seventsTab && cats_ && cats_->anySpecialCategory()) {
        const int32_t from = std::min(first_, today_);
        const int32_t to = std::max(last_, today_ + std::max(opt_.seApptsDaySpan, 1) - 1);
        if (OfferSpecialEvent(*a, from, to)) bits |= TAB_TYPE_SEVENTS;
    }
    // The old master was removed above: the new one joins the others.
    if (a->recurrence) recurring_.push_back(std::move(a));
    return bits;
}

uint32_t CPimStore::RefreshTask(CEOID oid, bool deleted) {
    RemoveFromDays(oid, kKindTask);
    for (TItem* g = tasks_.groups.head(); g; g = g->next()) RemoveByOid(*static_cast<TItemWithList*>(g), oid, kKindTask);
    if (!deleted) {
        if (std::unique_ptr<TTask> t = readTask(oid)) {
            PlaceTask(*t);
            AddTask(std::move(t));
        }
    }
    return TAB_TYPE_CALENDAR | TAB_TYPE_TASKS;
}

uint32_t CPimStore::RefreshContact(CEOID oid, bool deleted) {
    RemoveFromDays(oid, kKindSEventContact);
    if (sevents_) RemoveByOid(*sevents_, oid, kKindSEventContact);
    for (TItem* g = contacts_.groups.head(); g;) {
        TItem* next = g->next();
        auto* group = static_cast<TItemWithList*>(g);
        RemoveByOid(*group, oid, kKindContact);
        if (group->children().empty()) contacts_.groups.Remove(g);
        g = next;
    }
    if (!deleted) {
        if (std::unique_ptr<TContactItem> c = readContact(oid)) {
            AddContactEvents(*c, true);
            if (opt_.contactsTab) AddContact(std::move(c));
        }
    }
    return TAB_TYPE_CALENDAR | TAB_TYPE_SEVENTS | TAB_TYPE_CONTACTS;
}

uint32_t CPimStore::RefreshIcons(uint32_t poomId, const std::wstring& path) {
    uint32_t bits = 0;
    ForEachAgendaItem([&](TAgendaItem& a, uint32_t bit) {
        if (a.poomId != poomId) return;
        a.icon = LoadItemIcon(path);
        a.InvalidateLayout();
        bits |= bit;
    });
    return bits;
}

uint32_t CPimStore::RefreshPiLink(uint32_t poomId, CEOID link) {
    uint32_t bits = 0;
    ForEachAgendaItem([&](TAgendaItem& a, uint32_t bit) {
        if (a.poomId != poomId) return;
        a.link.value = double(link);
        bits |= bit;
    });
    return bits;
}

uint32_t CPimStore::DropPiLink(CEOID link) {
    // The record is gone: every item whose link was this record loses it.
    uint32_t bits = 0;
    ForEachAgendaItem([&](TAgendaItem& a, uint32_t bit) {
        if (a.link.value != double(link)) return;
        a.link.value = 0;
        bits |= bit;
    });
    return bits;
}

uint32_t CPimStore::RefreshLostIcons() {
    // Which item lost its icon is not known any more: look each icon up again.
    std::vector<uint32_t> ids;
    ForEachAgendaItem([&](TAgendaItem& a, uint32_t) {
        if (a.icon) ids.push_back(a.poomId);
    });
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    uint32_t bits = 0;
    for (uint32_t id : ids) {
        const std::wstring path = icons_.ItemIconPath(id);
        if (path.empty()) bits |= RefreshIcons(id, path);
    }
    return bits;
}

uint32_t CPimStore::HandleNotification(const CENOTIFICATION* n) {
    if (!n) return 0;
    const DWORD param = n->dwParam;
    CENOTIFYREQUEST* req = nullptr;
    if (param >= kNotifyAppointments && param <= kNotifyContacts) req = &requests_[param - 1];
    else if (param == kNotifyPiLinks) req = &piRequest_;
    else if (param == kNotifyNamedProps || param == kNotifyFusion) req = icons_.request();
    const UINT type = n->uType;
    const CEOID oid = n->oid;
    // Everything needed is copied out: the block is the system's and goes now.
    CeFreeNotification(req, const_cast<CENOTIFICATION*>(n));

    const bool changed = type == DB_CEOID_CREATED || type == DB_CEOID_CHANGED;
    const bool deleted = type == DB_CEOID_RECORD_DELETED;
    if (!changed && !deleted) return 0;
    if (changed && param <= kNotifyTasks) localOffset_ = CurrentLocalOffset();
    switch (param) {
    case kNotifyAppointments: return RefreshAppointment(oid, deleted);
    case kNotifyTasks: return RefreshTask(oid, deleted);
    case kNotifyContacts: return RefreshContact(oid, deleted);
    case kNotifyPiLinks: {
        if (!piLinks_.isOpen()) return 0;
        if (deleted) return DropPiLink(oid);
        enum : WORD { kItemAt, kCount };
        const CEPROPID ids[kCount] = {kPiItem};
        RecordProps r;
        const RecordView v(r, ids);
        if (!piLinks_.seek(CEDB_SEEK_CEOID, oid) || !r.read(piLinks_.handle(), ids, kCount) || !v.has(kItemAt))
            return 0;
        const uint32_t poom = uint32_t(v.i4(kItemAt));
        return RefreshPiLink(poom, PiLinkOf(poom));
    }
    case kNotifyNamedProps:
    case kNotifyFusion: {
        if (deleted) return param == kNotifyFusion ? RefreshLostIcons() : 0;
        uint32_t poom = 0;
        std::wstring path;
        if (!icons_.ReadLinkRecord(oid, &poom, &path)) return 0;
        return RefreshIcons(poom, path);
    }
    }
    return 0;
}

}  // namespace daybrim
