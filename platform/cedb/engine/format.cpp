#include "format.h"

#include <cstring>

namespace cedb::detail {

namespace {

constexpr char kMagic[8] = {'O', 'L', 'V', 'C', 'E', 'D', 'B', '1'};
constexpr uint32_t kVersion = 1;

struct CrcTable {
    uint32_t t[256];
    CrcTable() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
    }
};
const CrcTable kCrc;

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint64_t Get64(const uint8_t* p) { return uint64_t(Get32(p)) | uint64_t(Get32(p + 4)) << 32; }
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void Put64(uint8_t* p, uint64_t v) {
    Put32(p, uint32_t(v));
    Put32(p + 4, uint32_t(v >> 32));
}

// Bounds-checked reader; once a read fails every later read fails too.
class Dec {
public:
    Dec(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    bool ok() const { return ok_; }
    bool done() const { return ok_ && pos_ == n_; }
    size_t left() const { return n_ - pos_; }
    uint8_t u8() { return Need(1) ? p_[pos_++] : 0; }
    uint16_t u16() {
        if (!Need(2)) return 0;
        uint16_t v = uint16_t(p_[pos_] | p_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!Need(4)) return 0;
        uint32_t v = Get32(p_ + pos_);
        pos_ += 4;
        return v;
    }
    uint64_t u64() {
        if (!Need(8)) return 0;
        uint64_t v = Get64(p_ + pos_);
        pos_ += 8;
        return v;
    }
    bool str(std::u16string* s) {
        uint32_t n = u32();
        if (!ok_ || n > left() / 2) return ok_ = false;
        s->resize(n);
        for (uint32_t i = 0; i < n; ++i) (*s)[i] = char16_t(p_[pos_ + 2 * i] | p_[pos_ + 2 * i + 1] << 8);
        pos_ += size_t(n) * 2;
        return true;
    }
    bool bytes(std::vector<uint8_t>* v) {
        uint32_t n = u32();
        if (!ok_ || n > left()) return ok_ = false;
        v->assign(p_ + pos_, p_ + pos_ + n);
        pos_ += n;
        return true;
    }
    bool prop(PropValue* v) {
        v->propid = u32();
        if (!ok_ || !ValidType(TypeOf(v->propid))) return ok_ = false;
        switch (TypeOf(v->propid)) {
        case kI2: case kI4: case kBool: v->num = int32_t(u32()); break;
        case kUI2: case kUI4: case kRecid: v->num = u32(); break;
        case kR8: case kFiletime: v->num = int64_t(u64()); break;
        case kLpwstr: return str(&v->str);
        default: return bytes(&v->bytes);
        }
        return ok_ && ValidValue(*v);
    }
    bool sort(SortOrder* o) {
        o->keyFlags = u16();
        uint8_t n = u8();
        if (!ok_ || n == 0 || n > kMaxSortKeys) return ok_ = false;
        for (uint8_t i = 0; i < n; ++i) {
            SortKey k;
            k.propid = u32();
            k.flags = u32();
            o->keys.push_back(k);
        }
        return ok_ && ValidSortOrder(*o);
    }

private:
    bool Need(size_t k) {
        if (!ok_ || n_ - pos_ < k) return ok_ = false;
        return true;
    }
    const uint8_t* p_;
    size_t n_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Runs of "upper case" code points whose lower case is at a fixed distance.
struct FoldRange {
    char16_t first, last;
    int16_t delta;
    bool alternate;  // only every other code point (pairs upper, lower)
};
constexpr FoldRange kFolds[] = {
    {0x0041, 0x005A, 32, false},  {0x00C0, 0x00D6, 32, false},  {0x00D8, 0x00DE, 32, false},
    {0x0100, 0x012E, 1, true},    {0x0132, 0x0136, 1, true},    {0x0139, 0x0147, 1, true},
    {0x014A, 0x0176, 1, true},    {0x0179, 0x017D, 1, true},    {0x0386, 0x0386, 38, false},
    {0x0388, 0x038A, 37, false},  {0x038C, 0x038C, 64, false},  {0x038E, 0x038F, 63, false},
    {0x0391, 0x03A1, 32, false},  {0x03A3, 0x03AB, 32, false},  {0x03C2, 0x03C2, 1, false},
    {0x0400, 0x040F, 80, false},  {0x0410, 0x042F, 32, false},  {0x0460, 0x0480, 1, true},
    {0x048A, 0x04BE, 1, true},    {0x04C0, 0x04C0, 15, false},  {0x04C1, 0x04CD, 1, true},
    {0x04D0, 0x04FE, 1, true},
};

}  // namespace

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = kCrc.t[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

char16_t FoldChar(char16_t c) {
    if (c < 0x41) return c;
    if (c == 0x0130) return 0x0069;  // I with dot: plain i is the closest one-to-one
    if (c == 0x0178) return 0x00FF;
    for (const FoldRange& r : kFolds) {
        if (c < r.first) break;
        if (c <= r.last) {
            if (r.alternate && ((c - r.first) & 1)) return c;
            return char16_t(c + r.delta);
        }
    }
    return c;
}

std::u16string FoldName(const std::u16string& s) {
    std::u16string f(s);
    for (char16_t& c : f) c = FoldChar(c);
    return f;
}

std::vector<uint8_t> EncodeHeader(uint64_t syncedEnd) {
    std::vector<uint8_t> h(kHeaderSize, 0);
    memcpy(h.data(), kMagic, 8);
    Put32(&h[8], kVersion);
    Put32(&h[12], uint32_t(kHeaderSize));
    Put32(&h[16], Crc32(h.data(), 16));
    EncodeSyncSlot(syncedEnd, &h[kSyncSlotOffset]);
    return h;
}

void EncodeSyncSlot(uint64_t syncedEnd, uint8_t out[12]) {
    Put64(out, syncedEnd);
    Put32(out + 8, Crc32(out, 8));
}

Error DecodeSyncSlot(const uint8_t* p, uint64_t* syncedEnd) {
    if (Crc32(p, 8) != Get32(p + 8)) return Error::kCorrupt;
    *syncedEnd = Get64(p);
    return Error::kOk;
}

Error DecodeHeader(const uint8_t* p, size_t n, uint64_t* syncedEnd) {
    if (n < kHeaderSize || memcmp(p, kMagic, 8) != 0) return Error::kCorrupt;
    if (Get32(p + 8) != kVersion || Get32(p + 12) != kHeaderSize || Get32(p + 16) != Crc32(p, 16))
        return Error::kCorrupt;
    // Unused bytes must stay zero, so that no bit of the header goes unchecked.
    for (size_t i = 20; i < kHeaderSize; ++i)
        if ((i < kSyncSlotOffset || i >= kSyncSlotOffset + 12) && p[i] != 0) return Error::kCorrupt;
    return DecodeSyncSlot(p + kSyncSlotOffset, syncedEnd);
}

bool ValidType(uint16_t t) {
    switch (t) {
    case kI2: case kI4: case kR8: case kBool: case kUI2: case kUI4: case kLpwstr:
    case kFiletime: case kBlob: case kStream: case kRecid:
        return true;
    default:
        return false;
    }
}

bool ValidValue(const PropValue& v) {
    switch (TypeOf(v.propid)) {
    case kI2: return v.num >= INT16_MIN && v.num <= INT16_MAX;
    case kUI2: return v.num >= 0 && v.num <= UINT16_MAX;
    case kI4: case kBool: return v.num >= INT32_MIN && v.num <= INT32_MAX;
    case kUI4: case kRecid: return v.num >= 0 && v.num <= int64_t(UINT32_MAX);
    case kR8: case kFiletime: return true;
    case kLpwstr: return v.str.size() <= kMaxRecordBytes / 2;
    case kBlob: case kStream: return v.bytes.size() <= kMaxRecordBytes;
    default: return false;
    }
}

bool ValidSortOrder(const SortOrder& o) {
    if (o.keys.empty() || o.keys.size() > kMaxSortKeys) return false;
    for (const SortKey& k : o.keys)
        if (!ValidType(TypeOf(k.propid))) return false;
    return true;
}

size_t PropBytes(const PropValue& v) {
    switch (TypeOf(v.propid)) {
    case kR8: case kFiletime: return 12;
    case kLpwstr: return 8 + v.str.size() * 2;
    case kBlob: case kStream: return 8 + v.bytes.size();
    default: return 8;
    }
}

void Enc::str(const std::u16string& s) {
    u32(uint32_t(s.size()));
    size_t at = b.size();
    b.resize(at + s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        b[at + 2 * i] = uint8_t(s[i]);
        b[at + 2 * i + 1] = uint8_t(s[i] >> 8);
    }
}

void Enc::prop(const PropValue& v) {
    u32(v.propid);
    switch (TypeOf(v.propid)) {
    case kR8: case kFiletime: u64(uint64_t(v.num)); break;
    case kLpwstr: str(v.str); break;
    case kBlob: case kStream:
        u32(uint32_t(v.bytes.size()));
        b.insert(b.end(), v.bytes.begin(), v.bytes.end());
        break;
    default: u32(uint32_t(v.num)); break;
    }
}

void Enc::sort(const SortOrder& o) {
    u16(o.keyFlags);
    u8(uint8_t(o.keys.size()));
    for (const SortKey& k : o.keys) {
        u32(k.propid);
        u32(k.flags);
    }
}

void Enc::begin(EntryKind kind, uint64_t seq) {
    start = b.size();
    b.resize(start + kEntryHeaderSize);
    u8(kind);
    u64(seq);
}

void Enc::seal() {
    uint32_t len = uint32_t(b.size() - start - kEntryHeaderSize);
    Put32(&b[start], len);
    Put32(&b[start + 4], len ^ kLenCheck);
    Put32(&b[start + 8], Crc32(&b[start + kEntryHeaderSize], len));
}

void Replica::Note(uint64_t seq, ChangeKind kind, uint32_t dboid, uint32_t oid) {
    if (seq == 0) return;
    Change c;
    c.seq = seq;
    c.kind = kind;
    c.dboid = dboid;
    c.oid = oid;
    history.push_back(c);
    if (history.size() > kChangeHistory) history.pop_front();
}

Error Replica::Apply(const uint8_t* p, size_t n) {
    Dec d(p, n);
    uint8_t kind = d.u8();
    uint64_t seq = d.u64();
    if (!d.ok()) return Error::kCorrupt;
    if (kind == kEntryRetired) {
        if (seq != 0 || !d.done()) return Error::kCorrupt;
        retired = true;
        return Error::kOk;
    }
    if (kind == kEntryBase) {
        uint64_t next = d.u64();
        bool empty = !sequenced && dbs.empty() && records.empty() && lastSeq == 0 && nextOid == 1;
        if (!d.done() || !empty || next == 0 || next > (uint64_t(1) << 32)) return Error::kCorrupt;
        lastSeq = seq;
        nextOid = next;
        return Error::kOk;
    }
    if (seq == 0) {
        if (sequenced) return Error::kCorrupt;  // unsequenced entries only open a compacted file
    } else {
        if (seq != lastSeq + 1) return Error::kCorrupt;
    }

    auto bump = [&](uint32_t oid) {
        if (uint64_t(oid) + 1 > nextOid) nextOid = uint64_t(oid) + 1;
    };

    switch (kind) {
    case kEntryCreateDb: {
        DbState db;
        db.info.oid = d.u32();
        db.info.type = d.u32();
        if (!d.str(&db.info.name)) return Error::kCorrupt;
        uint8_t ns = d.u8();
        if (!d.ok() || ns > kMaxSortOrders) return Error::kCorrupt;
        for (uint8_t i = 0; i < ns; ++i) {
            SortOrder o;
            if (!d.sort(&o)) return Error::kCorrupt;
            db.info.sorts.push_back(o);
        }
        std::u16string key = FoldName(db.info.name);
        if (!d.done() || db.info.oid == 0 || OidInUse(db.info.oid) || db.info.name.empty() ||
            db.info.name.size() > kMaxDbNameChars || dbNames.count(key))
            return Error::kCorrupt;
        uint32_t dboid = db.info.oid;
        bump(dboid);
        dbNames[key] = dboid;
        db.gen = ++gen;
        dbs.emplace(dboid, std::move(db));
        Note(seq, ChangeKind::kDbCreated, dboid, dboid);
        break;
    }
    case kEntryDeleteDb: {
        uint32_t dboid = d.u32();
        auto it = dbs.find(dboid);
        if (!d.done() || it == dbs.end()) return Error::kCorrupt;
        for (uint32_t oid : it->second.oids) records.erase(oid);
        dbNames.erase(FoldName(it->second.info.name));
        dbs.erase(it);
        ++gen;
        Note(seq, ChangeKind::kDbDeleted, dboid, dboid);
        break;
    }
    case kEntryWrite: {
        uint32_t dboid = d.u32();
        uint32_t oid = d.u32();
        uint8_t created = d.u8();
        auto db = dbs.find(dboid);
        if (!d.ok() || db == dbs.end() || oid == 0 || created > 1) return Error::kCorrupt;
        Record fresh;
        Record* rec;
        if (created) {
            if (OidInUse(oid)) return Error::kCorrupt;
            fresh.oid = oid;
            fresh.dboid = dboid;
            rec = &fresh;
        } else {
            auto it = records.find(oid);
            if (it == records.end() || it->second.dboid != dboid) return Error::kCorrupt;
            rec = &it->second;
        }
        // Work on a copy so that a bad entry leaves the record as it was.
        Record next = *rec;
        uint32_t nset = d.u32();
        if (!d.ok() || nset > d.left() / 8) return Error::kCorrupt;
        for (uint32_t i = 0; i < nset; ++i) {
            PropValue v;
            if (!d.prop(&v)) return Error::kCorrupt;
            bool replaced = false;
            for (PropValue& old : next.props) {
                if (old.propid == v.propid) {
                    old = std::move(v);
                    replaced = true;
                    break;
                }
            }
            if (!replaced) next.props.push_back(std::move(v));
        }
        uint32_t ndel = d.u32();
        if (!d.ok() || ndel > d.left() / 4) return Error::kCorrupt;
        for (uint32_t i = 0; i < ndel; ++i) {
            uint32_t id = d.u32();
            for (size_t k = 0; k < next.props.size(); ++k) {
                if (next.props[k].propid == id) {
                    next.props.erase(next.props.begin() + long(k));
                    break;
                }
            }
        }
        if (!d.done()) return Error::kCorrupt;
        size_t bytes = 0;
        for (const PropValue& v : next.props) bytes += PropBytes(v);
        if (bytes > kMaxRecordBytes) return Error::kCorrupt;
        if (created) {
            bump(oid);
            db->second.oids.insert(oid);
            db->second.info.records = uint32_t(db->second.oids.size());
            records.emplace(oid, std::move(next));
        } else {
            *rec = std::move(next);
        }
        db->second.gen = ++gen;
        Note(seq, created ? ChangeKind::kCreated : ChangeKind::kChanged, dboid, oid);
        break;
    }
    case kEntryDelete: {
        uint32_t dboid = d.u32();
        uint32_t oid = d.u32();
        auto db = dbs.find(dboid);
        auto it = records.find(oid);
        if (!d.done() || db == dbs.end() || it == records.end() || it->second.dboid != dboid)
            return Error::kCorrupt;
        records.erase(it);
        db->second.oids.erase(oid);
        db->second.info.records = uint32_t(db->second.oids.size());
        db->second.gen = ++gen;
        Note(seq, ChangeKind::kDeleted, dboid, oid);
        break;
    }
    default:
        return Error::kCorrupt;
    }
    if (seq != 0) {
        lastSeq = seq;
        sequenced = true;
    }
    return Error::kOk;
}

Error ScanLog(Replica& r, ByteSource& src, uint64_t start, uint64_t size, ScanResult* out) {
    uint64_t pos = start;
    out->bad = false;
    while (pos < size) {
        if (size - pos < kEntryHeaderSize) {
            out->bad = true;
            break;
        }
        const uint8_t* h = src.Get(pos, kEntryHeaderSize);
        if (!h) return Error::kIo;
        uint32_t len = Get32(h), check = Get32(h + 4), crc = Get32(h + 8);
        if ((len ^ kLenCheck) != check || len == 0 || len > kMaxEntry ||
            len > size - pos - kEntryHeaderSize) {
            out->bad = true;
            break;
        }
        const uint8_t* p = src.Get(pos + kEntryHeaderSize, len);
        if (!p) return Error::kIo;
        if (Crc32(p, len) != crc) {
            out->bad = true;
            break;
        }
        Error e = r.Apply(p, len);
        if (e != Error::kOk) {
            out->end = pos;
            return e;
        }
        pos += kEntryHeaderSize + len;
        if (r.retired) break;
    }
    out->end = pos;
    return Error::kOk;
}

namespace {

class MemSource : public ByteSource {
public:
    MemSource(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    const uint8_t* Get(uint64_t off, size_t n) override {
        return off <= n_ && n <= n_ - off ? p_ + off : nullptr;
    }

private:
    const uint8_t* p_;
    size_t n_;
};

}  // namespace

Error LoadImage(const uint8_t* data, size_t n, Replica* r) {
    uint64_t synced = 0;
    Error e = DecodeHeader(data, n, &synced);
    if (e != Error::kOk) return e;
    MemSource src(data, n);
    uint64_t pos = kHeaderSize;
    for (;;) {
        ScanResult res;
        e = ScanLog(*r, src, pos, n, &res);
        if (e != Error::kOk) return e;
        pos = res.end;
        if (res.bad) return pos < synced ? Error::kCorrupt : Error::kOk;
        if (!r->retired) return Error::kOk;
        r->retired = false;  // no file replaced this one: the marker is void
    }
}

}  // namespace cedb::detail
