#include <algorithm>
#include <cstring>

#include "core.h"

namespace cedb {

namespace {

// Orders doubles totally (NaNs at the ends) by their bits.
uint64_t DoubleKey(int64_t bits) {
    uint64_t u = uint64_t(bits);
    return (u & 0x8000000000000000ull) ? ~u : u | 0x8000000000000000ull;
}

template <typename T>
int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareStrings(const std::u16string& a, const std::u16string& b, bool fold) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (fold) {
            x = detail::FoldChar(x);
            y = detail::FoldChar(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return Cmp(a.size(), b.size());
}

int ComparePresent(const PropValue& a, const PropValue& b, uint32_t flags) {
    uint16_t ta = TypeOf(a.propid), tb = TypeOf(b.propid);
    if (ta != tb) return Cmp(ta, tb);
    switch (ta) {
    case kBool: return Cmp(a.num != 0, b.num != 0);
    case kR8: return Cmp(DoubleKey(a.num), DoubleKey(b.num));
    case kFiletime: return Cmp(uint64_t(a.num), uint64_t(b.num));
    case kLpwstr: return CompareStrings(a.str, b.str, flags & kSortCaseInsensitive);
    case kBlob: case kStream: {
        size_t n = std::min(a.bytes.size(), b.bytes.size());
        int r = n ? memcmp(a.bytes.data(), b.bytes.data(), n) : 0;
        if (r) return r < 0 ? -1 : 1;
        return Cmp(a.bytes.size(), b.bytes.size());
    }
    default: return Cmp(a.num, b.num);  // integers, stored sign- or zero-extended
    }
}

// A record's (or a seek's) key values, in sort-key order.
struct Keys {
    uint32_t oid = 0;
    const PropValue* k[kMaxSortKeys] = {};
};

}  // namespace

int CompareValues(const PropValue* a, const PropValue* b, uint32_t flags) {
    if (!a || !b) {
        if (!a && !b) return 0;
        int r = a ? -1 : 1;  // missing sorts last
        return (flags & kSortUnknownFirst) ? -r : r;
    }
    int r = ComparePresent(*a, *b, flags);
    return (flags & kSortDescending) ? -r : r;
}

constexpr size_t kRecord = size_t(-1);

struct Cursor::Impl {
    std::shared_ptr<VolumeCore> core;
    uint32_t dboid = 0;
    SortOrder order;
    std::vector<Keys> items;   // sorted; key pointers valid while the database's gen holds
    uint64_t gen = 0;          // database generation `items` was built for (0: never)
    size_t pos = 0;            // == items.size(): past the end
    uint32_t cur = 0;

    // n leading keys of a and b; then, for placing records, the oid.
    int Compare(const Keys& a, const Keys& b, size_t n, bool byOid) const {
        for (size_t i = 0; i < n; ++i) {
            int r = CompareValues(a.k[i], b.k[i], order.keys[i].flags);
            if (r) return r;
        }
        return byOid ? Cmp(a.oid, b.oid) : 0;
    }

    Keys KeysOf(const Record& r) const {
        Keys k;
        k.oid = r.oid;
        for (size_t i = 0; i < order.keys.size(); ++i) k.k[i] = r.find(order.keys[i].propid);
        return k;
    }

    // First position at or after `from` not ordered before probe: by n keys for a
    // seek, by all keys and the oid (n == -1) for a record.
    size_t LowerBound(const Keys& probe, size_t n, size_t from) const {
        bool byOid = n == size_t(-1);
        if (byOid) n = order.keys.size();
        auto it = std::lower_bound(items.begin() + long(from), items.end(), probe,
                                   [&](const Keys& a, const Keys& b) { return Compare(a, b, n, byOid) < 0; });
        return size_t(it - items.begin());
    }

    void Land(size_t p) {
        pos = std::min(p, items.size());
        cur = pos < items.size() ? items[pos].oid : 0;
    }

    // Catches up with the volume and re-sorts when the database changed.
    void Sync() {
        core->Refresh();
        auto db = core->rep.dbs.find(dboid);
        if (db == core->rep.dbs.end()) {
            items.clear();
            gen = 0;
            Land(0);
            return;
        }
        if (db->second.gen == gen) return;
        std::vector<Keys> old = std::move(items);
        items.clear();
        items.reserve(db->second.oids.size());
        for (uint32_t oid : db->second.oids) items.push_back(KeysOf(core->rep.records.at(oid)));
        if (!order.keys.empty()) {
            size_t n = order.keys.size();
            std::sort(items.begin(), items.end(), [&](const Keys& a, const Keys& b) { return Compare(a, b, n, true) < 0; });
        }
        gen = db->second.gen;
        if (cur == 0) {
            Land(items.size());
            return;
        }
        // Stay on the current record; if it is gone, on the first survivor after it.
        for (size_t i = pos; i < old.size(); ++i) {
            auto it = core->rep.records.find(old[i].oid);
            if (it != core->rep.records.end() && it->second.dboid == dboid) {
                Land(LowerBound(KeysOf(it->second), kRecord, 0));
                return;
            }
        }
        Land(items.size());
    }

    // Seek keys must match the leading sort keys' types.
    bool Probe(const std::vector<PropValue>& keys, Keys* probe) const {
        if (keys.empty() || keys.size() > order.keys.size()) return false;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (TypeOf(keys[i].propid) != TypeOf(order.keys[i].propid)) return false;
            probe->k[i] = &keys[i];
        }
        return true;
    }

    bool Matches(size_t p, const Keys& probe, size_t n) const {
        return p < items.size() && Compare(items[p], probe, n, false) == 0;
    }
};

Cursor::Cursor(Volume& vol, uint32_t dboid, SortOrder order) : impl_(new Impl) {
    impl_->core = vol.core();
    impl_->dboid = dboid;
    if (order.keys.size() > kMaxSortKeys) order.keys.resize(kMaxSortKeys);
    impl_->order = std::move(order);
}

Cursor::~Cursor() = default;

uint32_t Cursor::SeekBeginning() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    impl_->Sync();
    impl_->Land(0);
    return impl_->cur;
}

uint32_t Cursor::SeekOid(uint32_t oid) {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    Impl& m = *impl_;
    m.Sync();
    auto it = m.core->rep.records.find(oid);
    if (it == m.core->rep.records.end() || it->second.dboid != m.dboid) {
        m.Land(m.items.size());
        return 0;
    }
    m.Land(m.LowerBound(m.KeysOf(it->second), kRecord, 0));
    return m.cur;
}

uint32_t Cursor::SeekFirstEqual(const std::vector<PropValue>& keys) {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    Impl& m = *impl_;
    m.Sync();
    Keys probe;
    size_t p = m.items.size();
    if (m.Probe(keys, &probe)) {
        size_t at = m.LowerBound(probe, keys.size(), 0);
        if (m.Matches(at, probe, keys.size())) p = at;
    }
    m.Land(p);
    return m.cur;
}

uint32_t Cursor::SeekNextEqual(const std::vector<PropValue>& keys) {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    Impl& m = *impl_;
    m.Sync();
    Keys probe;
    size_t p = m.items.size();
    if (m.cur != 0 && m.Probe(keys, &probe)) {
        size_t at = m.LowerBound(probe, keys.size(), m.pos + 1);
        if (m.Matches(at, probe, keys.size())) p = at;
    }
    m.Land(p);
    return m.cur;
}

uint32_t Cursor::SeekGreaterOrEqual(const std::vector<PropValue>& keys) {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    Impl& m = *impl_;
    m.Sync();
    Keys probe;
    m.Land(m.Probe(keys, &probe) ? m.LowerBound(probe, keys.size(), 0) : m.items.size());
    return m.cur;
}

uint32_t Cursor::SeekEnd() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    impl_->Sync();
    impl_->Land(impl_->items.empty() ? 0 : impl_->items.size() - 1);
    return impl_->cur;
}

uint32_t Cursor::Current() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    impl_->Sync();
    return impl_->cur;
}

uint32_t Cursor::Next() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    Impl& m = *impl_;
    m.Sync();
    if (m.cur != 0) m.Land(m.pos + 1);
    return m.cur;
}

uint32_t Cursor::Index() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    impl_->Sync();
    return uint32_t(impl_->pos);
}

uint32_t Cursor::Count() {
    if (!impl_->core) return 0;
    std::lock_guard<std::mutex> g(impl_->core->mu);
    impl_->Sync();
    return uint32_t(impl_->items.size());
}

}  // namespace cedb
