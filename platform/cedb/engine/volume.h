// The object store's storage engine: one file per volume, platform-neutral.
//
// A volume holds databases; a database holds records; a record is a set of typed
// properties and a volume-unique object id. Every process that mounts a volume keeps
// a replica in memory and catches up with what other processes wrote before each
// operation. The CE property-database API (cedb.dll) and the native device tool are
// both built on this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cedb {

// Property types, with the CE values (the low word of a property id).
enum PropType : uint16_t {
    kI2 = 2, kI4 = 3, kR8 = 5, kBool = 11, kUI2 = 18, kUI4 = 19, kLpwstr = 31,
    kFiletime = 64, kBlob = 65, kStream = 100, kRecid = 102,
};
inline uint16_t TypeOf(uint32_t propid) { return uint16_t(propid & 0xFFFF); }

// Sort key flags (the CE values).
enum : uint32_t {
    kSortDescending = 0x1, kSortCaseInsensitive = 0x2, kSortUnknownFirst = 0x4,
    kSortIgnoreNonspace = 0x8, kSortIgnoreSymbols = 0x10, kSortIgnoreKanaType = 0x20,
    kSortIgnoreWidth = 0x40, kSortUnique = 0x200,
};

struct PropValue {
    uint32_t propid = 0;          // high word id, low word PropType
    int64_t num = 0;              // I2, I4, UI2, UI4, BOOL, RECID; FILETIME as 64 bits; R8 as bits
    std::u16string str;           // LPWSTR
    std::vector<uint8_t> bytes;   // BLOB and STREAM
};

struct Record {
    uint32_t oid = 0;
    uint32_t dboid = 0;
    std::vector<PropValue> props;  // in the order they were first written
    const PropValue* find(uint32_t propid) const;
};

struct SortKey {
    uint32_t propid = 0;
    uint32_t flags = 0;
};
struct SortOrder {
    std::vector<SortKey> keys;     // 1..4 keys
    uint16_t keyFlags = 0;         // kSortUnique etc. for the whole order
};

struct DbInfo {
    uint32_t oid = 0;
    std::u16string name;           // unique within the volume (compared case-insensitively)
    uint32_t type = 0;
    std::vector<SortOrder> sorts;  // the sort orders declared at creation
    uint32_t records = 0;
};

enum class Error {
    kOk = 0, kNotFound, kExists, kInvalid, kCorrupt, kIo, kLocked, kFull,
};
const char* ErrorText(Error e);

enum class ChangeKind : uint8_t { kCreated = 1, kChanged = 2, kDeleted = 3, kDbCreated = 4, kDbDeleted = 5 };
struct Change {
    uint64_t seq = 0;              // increases by one per change, volume-wide, never reused
    ChangeKind kind = ChangeKind::kChanged;
    uint32_t dboid = 0;
    uint32_t oid = 0;
};

struct VolumeCore;  // the engine behind a volume (volume.cpp)

// Limits. Larger values are refused with kInvalid rather than stored.
constexpr size_t kMaxRecordBytes = 8u << 20;   // one record, all properties encoded
constexpr size_t kMaxDbNameChars = 255;
constexpr size_t kMaxSortOrders = 16;
constexpr size_t kMaxSortKeys = 4;
// How many changes a replica remembers for ChangesSince.
constexpr size_t kChangeHistory = 65536;

// Thread-safe: one Volume may be shared by threads of a process (each calls in turn).
class Volume {
public:
    virtual ~Volume() = default;

    // Opens (or, with create, creates) the volume file. Fails with kNotFound when the
    // file is missing and create is false, with kCorrupt on a file that is not a
    // volume or whose committed contents do not check. A torn tail left by a writer
    // that died mid-write is ignored (and cut off by the next writer).
    static std::unique_ptr<Volume> Open(const std::string& path, bool create, Error* err);

    // Brings the replica up to date with the file. Every other call does this first.
    // Costs one file-size query when nothing changed. Once the file was found
    // corrupt, every call fails with kCorrupt.
    virtual Error Refresh() = 0;

    virtual Error CreateDatabase(const std::u16string& name, uint32_t type,
                                 const std::vector<SortOrder>& sorts, uint32_t* dboid) = 0;
    virtual Error DeleteDatabase(uint32_t dboid) = 0;
    virtual std::vector<DbInfo> Databases() = 0;
    virtual Error FindDatabase(const std::u16string& name, DbInfo* out) = 0;
    virtual Error GetDatabase(uint32_t dboid, DbInfo* out) = 0;

    // Creates (oid 0) or changes a record: set properties replace those with the
    // same propid, the others stay; propids in del are removed. Durable once it
    // returns (it survives the writer being killed); atomic (a writer killed half
    // way leaves the volume as it was).
    virtual Error Write(uint32_t dboid, uint32_t oid, const std::vector<PropValue>& set,
                        const std::vector<uint32_t>& del, uint32_t* outOid) = 0;
    virtual Error Delete(uint32_t dboid, uint32_t oid) = 0;

    virtual Error Read(uint32_t oid, Record* out) = 0;
    // Object ids of a database's records, ascending.
    virtual std::vector<uint32_t> RecordIds(uint32_t dboid) = 0;

    // Everything written so far reaches the disk itself (fsync).
    virtual Error Flush() = 0;

    // The newest change's sequence number, and the changes after `seq` that this
    // replica knows of (callers turn them into notifications).
    // The history holds the last kChangeHistory changes seen by this replica (a
    // freshly opened volume knows none older than its opening). A caller that fell
    // further behind gets only what is kept: it can tell, because the first change
    // returned has seq > seq + 1 (or OldestSeq() > seq + 1), and should then rescan.
    virtual uint64_t LastSeq() = 0;
    virtual std::vector<Change> ChangesSince(uint64_t seq) = 0;
    // The oldest sequence number still in the history (LastSeq() + 1 when empty).
    virtual uint64_t OldestSeq() = 0;

    // Rewrites the volume into a new file holding only the live contents and
    // replaces the old one with it, under the writers' lock. Other processes
    // notice at their next call and switch to the new file by themselves; sequence
    // numbers and object ids carry on. A compactor killed half way leaves the old
    // file in use. Size of the file in bytes afterwards in *size (may be null).
    // Win32 cannot replace a file that is open, so there it fails with kLocked and
    // changes nothing: compaction is the native device tool's job.
    virtual Error Compact(uint64_t* size) = 0;
    // Bytes in the volume file (committed entries).
    virtual uint64_t FileSize() = 0;

protected:
    friend class Cursor;
    virtual std::shared_ptr<VolumeCore> core() = 0;
};

// Orders two values of one property under the given sort flags: <0, 0, >0.
// A missing value (nullptr) sorts after every present one, or before with
// kSortUnknownFirst; kSortDescending reverses present values.
int CompareValues(const PropValue* a, const PropValue* b, uint32_t flags);

// A position in a database ordered by one sort order (or by object id when the
// order has no keys). Ties are broken by object id, so the order is total. It
// re-sorts lazily when the database changed and stays on its current record if
// that still exists; if it was deleted the cursor stands on the record that now
// follows it. Seek keys must have the sort keys' types, otherwise the seek finds
// nothing. One cursor belongs to one thread; it keeps the volume's engine alive.
class Cursor {
public:
    Cursor(Volume& vol, uint32_t dboid, SortOrder order);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    // Seeks; each returns the object id it lands on, or 0 when there is none
    // (the cursor then stands past the end).
    uint32_t SeekBeginning();
    uint32_t SeekOid(uint32_t oid);
    uint32_t SeekFirstEqual(const std::vector<PropValue>& keys);    // keys match the first N sort keys
    uint32_t SeekNextEqual(const std::vector<PropValue>& keys);     // after the current record
    uint32_t SeekGreaterOrEqual(const std::vector<PropValue>& keys);
    uint32_t SeekEnd();            // the last record
    uint32_t Current();            // 0 past the end
    uint32_t Next();               // moves on; returns the new current, 0 past the end
    uint32_t Index();              // position of the current record (0-based); count past the end
    uint32_t Count();              // records in the database now
private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cedb
