#include <algorithm>

#include "core.h"

namespace cedb {

using detail::Enc;
using detail::File;
using detail::FileLock;

namespace {

void (*g_appendHook)(int) = nullptr;

// Reads the file through a window, so that catching up costs few system calls.
class FileSource : public detail::ByteSource {
public:
    explicit FileSource(File& f) : f_(f) {}
    const uint8_t* Get(uint64_t off, size_t n) override {
        if (off >= start_ && n <= buf_.size() && off - start_ <= buf_.size() - n)
            return buf_.data() + (off - start_);
        buf_.resize(std::max<size_t>(n, kWindow));
        size_t got = 0;
        if (f_.ReadAt(off, buf_.data(), buf_.size(), &got) != Error::kOk || got < n) {
            buf_.clear();
            return nullptr;
        }
        buf_.resize(got);
        start_ = off;
        return buf_.data();
    }

private:
    static constexpr size_t kWindow = 1u << 20;
    File& f_;
    std::vector<uint8_t> buf_;
    uint64_t start_ = 0;
};

Error ReadSynced(File& f, uint64_t* synced) {
    uint8_t slot[12];
    size_t got = 0;
    Error e = f.ReadAt(detail::kSyncSlotOffset, slot, sizeof slot, &got);
    if (e != Error::kOk) return e;
    if (got != sizeof slot) return Error::kCorrupt;
    return detail::DecodeSyncSlot(slot, synced);
}

}  // namespace

namespace testing {
void SetAppendHook(void (*hook)(int stage)) { g_appendHook = hook; }
}  // namespace testing

const char* ErrorText(Error e) {
    switch (e) {
    case Error::kOk: return "ok";
    case Error::kNotFound: return "not found";
    case Error::kExists: return "already exists";
    case Error::kInvalid: return "invalid argument";
    case Error::kCorrupt: return "volume corrupt";
    case Error::kIo: return "I/O error";
    case Error::kLocked: return "lock failed";
    case Error::kFull: return "volume full";
    }
    return "unknown error";
}

const PropValue* Record::find(uint32_t propid) const {
    for (const PropValue& v : props)
        if (v.propid == propid) return &v;
    return nullptr;
}

Error VolumeCore::Fail(Error e) {
    if (e == Error::kCorrupt) broken = e;
    return e;
}

Error VolumeCore::Open(const std::string& p, bool create) {
    path = p;
    Error e = File::Open(path, create, &file);
    if (e != Error::kOk) return e;
    {
        // Exclusive when the header may have to be written: two creators race.
        FileLock lock(*file, create);
        if (lock.error() != Error::kOk) return lock.error();
        uint64_t size = 0;
        if ((e = file->Size(&size)) != Error::kOk) return e;
        if (size < detail::kHeaderSize) {
            // Empty, or a creator died before its header was whole: no entry can
            // exist yet, so starting over loses nothing.
            if (!create) return Error::kCorrupt;
            std::vector<uint8_t> h = detail::EncodeHeader(detail::kHeaderSize);
            if ((e = file->Truncate(0)) != Error::kOk) return e;
            if ((e = file->WriteAt(0, h.data(), h.size())) != Error::kOk) return e;
        }
        uint8_t h[detail::kHeaderSize];
        size_t got = 0;
        if ((e = file->ReadAt(0, h, sizeof h, &got)) != Error::kOk) return e;
        uint64_t synced = 0;
        if ((e = detail::DecodeHeader(h, got, &synced)) != Error::kOk) return e;
        goodEnd = detail::kHeaderSize;
        if ((e = CatchUp()) != Error::kOk) return e;
    }
    return rep.retired ? Refresh() : Error::kOk;
}

Error VolumeCore::CatchUp() {
    uint64_t size = 0;
    Error e = file->Size(&size);
    if (e != Error::kOk) return e;
    // Writers only ever cut off bytes past the last whole entry.
    if (size < goodEnd) return Fail(Error::kCorrupt);
    FileSource src(*file);
    for (;;) {
        detail::ScanResult res;
        e = detail::ScanLog(rep, src, goodEnd, size, &res);
        if (e != Error::kOk) return Fail(e);
        goodEnd = res.end;
        torn = res.bad;
        if (res.bad) {
            uint64_t synced = 0;
            if ((e = ReadSynced(*file, &synced)) != Error::kOk) return Fail(e);
            if (goodEnd < synced) return Fail(Error::kCorrupt);
        }
        if (!rep.retired) break;
        // A compactor appends the marker and renames while holding the lock we now
        // hold, so by now the rename happened, or the compactor died before it.
        if (!file->IsAt(path)) break;
        rep.retired = false;
    }
    seenSize = size;
    return Error::kOk;
}

Error VolumeCore::Reload() {
    VolumeCore fresh;
    fresh.rep.gen = rep.gen + 1;  // cursors must see every database as changed
    Error e = fresh.Open(path, false);
    if (e != Error::kOk) return e == Error::kCorrupt ? Fail(e) : e;
    // Keep what this replica already told its callers; add what it did not know.
    std::deque<Change> merged = std::move(rep.history);
    for (const Change& c : fresh.rep.history)
        if (c.seq > rep.lastSeq) merged.push_back(c);
    while (merged.size() > kChangeHistory) merged.pop_front();
    if (fresh.rep.lastSeq < rep.lastSeq) return Fail(Error::kCorrupt);
    file = std::move(fresh.file);
    rep = std::move(fresh.rep);
    rep.history = std::move(merged);
    goodEnd = fresh.goodEnd;
    seenSize = fresh.seenSize;
    torn = fresh.torn;
    return Error::kOk;
}

Error VolumeCore::Refresh() {
    if (broken != Error::kOk) return broken;
    for (int i = 0; i < 8; ++i) {
        uint64_t size = 0;
        Error e = file->Size(&size);
        if (e != Error::kOk) return e;
        if (size == seenSize && !rep.retired) return Error::kOk;
        if (!rep.retired) {
            FileLock lock(*file, false);
            if (lock.error() != Error::kOk) return lock.error();
            if ((e = CatchUp()) != Error::kOk) return e;
        }
        if (!rep.retired) return Error::kOk;
        if ((e = Reload()) != Error::kOk) return e;
    }
    return Error::kIo;  // replaced again and again: give up for now
}

Error VolumeCore::Exclusive(const std::function<Error(bool*)>& body) {
    if (broken != Error::kOk) return broken;
    for (int i = 0; i < 8; ++i) {
        bool reload = false;
        {
            FileLock lock(*file, true);
            if (lock.error() != Error::kOk) return lock.error();
            Error e = CatchUp();
            if (e != Error::kOk) return e;
            if (!rep.retired) {
                if (torn) {
                    if ((e = file->Truncate(goodEnd)) != Error::kOk) return e;
                    torn = false;
                    seenSize = goodEnd;
                }
                if ((e = body(&reload)) != Error::kOk || !reload) return e;
            }
        }
        Error e = Reload();
        if (e != Error::kOk) return e;
        if (reload) return Error::kOk;  // the body (a compaction) asked for it
    }
    return Error::kIo;
}

Error VolumeCore::Append(const Enc& enc) {
    const std::vector<uint8_t>& b = enc.b;
    if (goodEnd + b.size() > detail::kMaxVolume) return Error::kFull;
    Error e;
    if (g_appendHook) {
        size_t half = b.size() / 2;
        e = file->WriteAt(goodEnd, b.data(), half);
        if (e == Error::kOk) {
            g_appendHook(1);
            e = file->WriteAt(goodEnd + half, b.data() + half, b.size() - half);
        }
    } else {
        e = file->WriteAt(goodEnd, b.data(), b.size());
    }
    if (e != Error::kOk) {
        file->Truncate(goodEnd);  // best effort; readers ignore a torn tail anyway
        return e;
    }
    // Apply what was written, through the same code readers use.
    size_t pos = 0;
    while (pos < b.size()) {
        uint32_t len = uint32_t(b[pos]) | uint32_t(b[pos + 1]) << 8 | uint32_t(b[pos + 2]) << 16 |
                       uint32_t(b[pos + 3]) << 24;
        if ((e = rep.Apply(&b[pos + detail::kEntryHeaderSize], len)) != Error::kOk) return Fail(e);
        pos += detail::kEntryHeaderSize + len;
    }
    goodEnd += b.size();
    seenSize = goodEnd;
    if (g_appendHook) g_appendHook(2);
    return Error::kOk;
}

Error VolumeCore::Compact(bool* reload) {
    using namespace detail;
    Enc enc;
    enc.begin(kEntryBase, rep.lastSeq);
    enc.u64(rep.nextOid);
    enc.seal();
    for (const auto& [dboid, db] : rep.dbs) {
        enc.begin(kEntryCreateDb, 0);
        enc.u32(dboid);
        enc.u32(db.info.type);
        enc.str(db.info.name);
        enc.u8(uint8_t(db.info.sorts.size()));
        for (const SortOrder& o : db.info.sorts) enc.sort(o);
        enc.seal();
    }
    for (const auto& [dboid, db] : rep.dbs) {
        for (uint32_t oid : db.oids) {
            const Record& r = rep.records.at(oid);
            enc.begin(kEntryWrite, 0);
            enc.u32(dboid);
            enc.u32(oid);
            enc.u8(1);
            enc.u32(uint32_t(r.props.size()));
            for (const PropValue& v : r.props) enc.prop(v);
            enc.u32(0);
            enc.seal();
        }
    }
    std::vector<uint8_t> image = EncodeHeader(kHeaderSize + enc.b.size());
    image.insert(image.end(), enc.b.begin(), enc.b.end());

    const std::string tmp = path + ".compact";
    Error e;
    {
        std::unique_ptr<File> out;
        if ((e = File::Open(tmp, true, &out)) != Error::kOk) return e;
        if ((e = out->Truncate(0)) == Error::kOk && (e = out->WriteAt(0, image.data(), image.size())) == Error::kOk)
            e = out->Sync();
    }
    if (e != Error::kOk) {
        File::Remove(tmp);
        return e;
    }
    // The marker goes first: whoever reads it next holds the lock, so it finds the
    // rename done, or the file still at the path (compactor died: marker void).
    Enc marker;
    marker.begin(kEntryRetired, 0);
    marker.seal();
    if ((e = file->WriteAt(goodEnd, marker.b.data(), marker.b.size())) != Error::kOk) {
        file->Truncate(goodEnd);
        File::Remove(tmp);
        return e;
    }
    if (g_appendHook) g_appendHook(3);
    if ((e = File::Replace(tmp, path)) != Error::kOk) {
        File::Remove(tmp);
        return e;
    }
    *reload = true;
    return Error::kOk;
}

namespace {

class VolumeImpl final : public Volume {
public:
    std::shared_ptr<VolumeCore> c = std::make_shared<VolumeCore>();

    Error Refresh() override {
        std::lock_guard<std::mutex> g(c->mu);
        return c->Refresh();
    }

    Error CreateDatabase(const std::u16string& name, uint32_t type, const std::vector<SortOrder>& sorts,
                         uint32_t* dboid) override {
        if (name.empty() || name.size() > kMaxDbNameChars || sorts.size() > kMaxSortOrders) return Error::kInvalid;
        for (const SortOrder& o : sorts)
            if (!detail::ValidSortOrder(o)) return Error::kInvalid;
        std::lock_guard<std::mutex> g(c->mu);
        return c->Exclusive([&](bool*) {
            detail::Replica& r = c->rep;
            if (r.dbNames.count(detail::FoldName(name))) return Error::kExists;
            if (r.nextOid > UINT32_MAX) return Error::kFull;
            uint32_t oid = uint32_t(r.nextOid);
            Enc enc;
            enc.begin(detail::kEntryCreateDb, r.lastSeq + 1);
            enc.u32(oid);
            enc.u32(type);
            enc.str(name);
            enc.u8(uint8_t(sorts.size()));
            for (const SortOrder& o : sorts) enc.sort(o);
            enc.seal();
            Error e = c->Append(enc);
            if (e == Error::kOk && dboid) *dboid = oid;
            return e;
        });
    }

    Error DeleteDatabase(uint32_t dboid) override {
        std::lock_guard<std::mutex> g(c->mu);
        return c->Exclusive([&](bool*) {
            if (!c->rep.dbs.count(dboid)) return Error::kNotFound;
            Enc enc;
            enc.begin(detail::kEntryDeleteDb, c->rep.lastSeq + 1);
            enc.u32(dboid);
            enc.seal();
            return c->Append(enc);
        });
    }

    std::vector<DbInfo> Databases() override {
        std::lock_guard<std::mutex> g(c->mu);
        std::vector<DbInfo> out;
        if (c->Refresh() != Error::kOk) return out;
        for (const auto& kv : c->rep.dbs) out.push_back(kv.second.info);
        return out;
    }

    Error FindDatabase(const std::u16string& name, DbInfo* out) override {
        std::lock_guard<std::mutex> g(c->mu);
        Error e = c->Refresh();
        if (e != Error::kOk) return e;
        auto it = c->rep.dbNames.find(detail::FoldName(name));
        if (it == c->rep.dbNames.end()) return Error::kNotFound;
        if (out) *out = c->rep.dbs.at(it->second).info;
        return Error::kOk;
    }

    Error GetDatabase(uint32_t dboid, DbInfo* out) override {
        std::lock_guard<std::mutex> g(c->mu);
        Error e = c->Refresh();
        if (e != Error::kOk) return e;
        auto it = c->rep.dbs.find(dboid);
        if (it == c->rep.dbs.end()) return Error::kNotFound;
        if (out) *out = it->second.info;
        return Error::kOk;
    }

    Error Write(uint32_t dboid, uint32_t oid, const std::vector<PropValue>& set, const std::vector<uint32_t>& del,
                uint32_t* outOid) override {
        // Normalise: the last value given for a propid wins; fields the type does
        // not use are dropped so that the replica equals what a reader decodes.
        std::vector<PropValue> props;
        props.reserve(set.size());
        for (const PropValue& v : set) {
            if (!detail::ValidType(TypeOf(v.propid)) || !detail::ValidValue(v)) return Error::kInvalid;
            PropValue n;
            n.propid = v.propid;
            switch (TypeOf(v.propid)) {
            case kLpwstr: n.str = v.str; break;
            case kBlob: case kStream: n.bytes = v.bytes; break;
            default: n.num = v.num; break;
            }
            auto same = std::find_if(props.begin(), props.end(), [&](const PropValue& p) { return p.propid == v.propid; });
            if (same != props.end()) *same = std::move(n);
            else props.push_back(std::move(n));
        }
        for (uint32_t id : del) {
            if (!detail::ValidType(TypeOf(id))) return Error::kInvalid;
            for (const PropValue& p : props)
                if (p.propid == id) return Error::kInvalid;  // set and removed at once
        }
        size_t setBytes = 0;
        for (const PropValue& p : props) setBytes += detail::PropBytes(p);
        if (setBytes > kMaxRecordBytes || del.size() > detail::kMaxEntry / 8) return Error::kInvalid;

        std::lock_guard<std::mutex> g(c->mu);
        return c->Exclusive([&](bool*) {
            detail::Replica& r = c->rep;
            if (!r.dbs.count(dboid)) return Error::kNotFound;
            uint32_t target = oid;
            bool created = oid == 0;
            if (created) {
                if (r.nextOid > UINT32_MAX) return Error::kFull;
                target = uint32_t(r.nextOid);
            } else {
                auto it = r.records.find(oid);
                if (it == r.records.end() || it->second.dboid != dboid) return Error::kNotFound;
                // The whole record must stay within the limit, or it could never be
                // rewritten by a compaction.
                size_t total = setBytes;
                for (const PropValue& p : it->second.props) {
                    bool replaced = std::any_of(props.begin(), props.end(), [&](const PropValue& n) { return n.propid == p.propid; });
                    bool removed = std::find(del.begin(), del.end(), p.propid) != del.end();
                    if (!replaced && !removed) total += detail::PropBytes(p);
                }
                if (total > kMaxRecordBytes) return Error::kInvalid;
            }
            Enc enc;
            enc.begin(detail::kEntryWrite, r.lastSeq + 1);
            enc.u32(dboid);
            enc.u32(target);
            enc.u8(created ? 1 : 0);
            enc.u32(uint32_t(props.size()));
            for (const PropValue& p : props) enc.prop(p);
            enc.u32(uint32_t(del.size()));
            for (uint32_t id : del) enc.u32(id);
            enc.seal();
            Error e = c->Append(enc);
            if (e == Error::kOk && outOid) *outOid = target;
            return e;
        });
    }

    Error Delete(uint32_t dboid, uint32_t oid) override {
        std::lock_guard<std::mutex> g(c->mu);
        return c->Exclusive([&](bool*) {
            detail::Replica& r = c->rep;
            if (!r.dbs.count(dboid)) return Error::kNotFound;
            auto it = r.records.find(oid);
            if (it == r.records.end() || it->second.dboid != dboid) return Error::kNotFound;
            Enc enc;
            enc.begin(detail::kEntryDelete, r.lastSeq + 1);
            enc.u32(dboid);
            enc.u32(oid);
            enc.seal();
            return c->Append(enc);
        });
    }

    Error Read(uint32_t oid, Record* out) override {
        std::lock_guard<std::mutex> g(c->mu);
        Error e = c->Refresh();
        if (e != Error::kOk) return e;
        auto it = c->rep.records.find(oid);
        if (it == c->rep.records.end()) return Error::kNotFound;
        if (out) *out = it->second;
        return Error::kOk;
    }

    std::vector<uint32_t> RecordIds(uint32_t dboid) override {
        std::lock_guard<std::mutex> g(c->mu);
        std::vector<uint32_t> out;
        if (c->Refresh() != Error::kOk) return out;
        auto it = c->rep.dbs.find(dboid);
        if (it != c->rep.dbs.end()) out.assign(it->second.oids.begin(), it->second.oids.end());
        return out;
    }

    Error Flush() override {
        std::lock_guard<std::mutex> g(c->mu);
        return c->Exclusive([&](bool*) {
            Error e = c->file->Sync();
            if (e != Error::kOk) return e;
            uint8_t slot[12];
            detail::EncodeSyncSlot(c->goodEnd, slot);
            if ((e = c->file->WriteAt(detail::kSyncSlotOffset, slot, sizeof slot)) != Error::kOk) return e;
            return c->file->Sync();
        });
    }

    uint64_t LastSeq() override {
        std::lock_guard<std::mutex> g(c->mu);
        c->Refresh();
        return c->rep.lastSeq;
    }

    std::vector<Change> ChangesSince(uint64_t seq) override {
        std::lock_guard<std::mutex> g(c->mu);
        c->Refresh();
        const std::deque<Change>& h = c->rep.history;
        std::vector<Change> out;
        if (h.empty() || seq >= h.back().seq) return out;
        // Sequence numbers in the history are consecutive.
        size_t from = seq + 1 <= h.front().seq ? 0 : size_t(seq + 1 - h.front().seq);
        out.assign(h.begin() + long(from), h.end());
        return out;
    }

    uint64_t OldestSeq() override {
        std::lock_guard<std::mutex> g(c->mu);
        c->Refresh();
        return c->rep.history.empty() ? c->rep.lastSeq + 1 : c->rep.history.front().seq;
    }

    Error Compact(uint64_t* size) override {
        std::lock_guard<std::mutex> g(c->mu);
        Error e = c->Exclusive([&](bool* reload) { return c->Compact(reload); });
        if (e == Error::kOk && size) *size = c->goodEnd;
        return e;
    }

    uint64_t FileSize() override {
        std::lock_guard<std::mutex> g(c->mu);
        c->Refresh();
        return c->goodEnd;
    }

protected:
    std::shared_ptr<VolumeCore> core() override { return c; }
};

}  // namespace

std::unique_ptr<Volume> Volume::Open(const std::string& path, bool create, Error* err) {
    auto v = std::make_unique<VolumeImpl>();
    Error e = v->c->Open(path, create);
    if (err) *err = e;
    if (e != Error::kOk) return nullptr;
    return v;
}

}  // namespace cedb
