// The volume file's layout, and the in-memory replica that replaying it builds.
//
// File: a 64-byte header, then a log of entries. Entry: u32 length of the payload,
// u32 check (length ^ kLenCheck), u32 CRC-32 of the payload, payload. Payload:
// u8 kind, u64 seq (0 for the base entries a compaction writes), kind's fields.
// All integers little-endian. Nothing here trusts the bytes it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "volume.h"

namespace cedb::detail {

constexpr size_t kHeaderSize = 64;
constexpr size_t kEntryHeaderSize = 12;
constexpr uint32_t kLenCheck = 0x5EC7DB0Fu;
constexpr uint32_t kMaxEntry = 16u << 20;
// Volumes stop growing here (kFull), well below the lock byte.
constexpr uint64_t kMaxVolume = 0x60000000;

enum EntryKind : uint8_t {
    kEntryBase = 1,       // u32 nextOid  (first entry of a compacted file; seq = last seq)
    kEntryCreateDb = 2,   // u32 dboid, u32 type, str name, u8 n, n x sort order
    kEntryDeleteDb = 3,   // u32 dboid
    kEntryWrite = 4,      // u32 dboid, u32 oid, u8 created, u32 n, n x prop, u32 m, m x propid
    kEntryDelete = 5,     // u32 dboid, u32 oid
    kEntryRetired = 6,    // this file was replaced by a compacted one at the same path
};

uint32_t Crc32(const uint8_t* p, size_t n);

// Header: magic[8], u32 version, u32 header size, u32 CRC of bytes 0..15, 12 zero
// bytes, then the flush slot at 32: u64 synced end, u32 CRC of those 8 bytes.
// Entries that start below the synced end reached the disk with an fsync: damage
// there is corruption, while damage past it may be an unflushed tail lost to a
// crash and is cut off.
std::vector<uint8_t> EncodeHeader(uint64_t syncedEnd);
void EncodeSyncSlot(uint64_t syncedEnd, uint8_t out[12]);
constexpr size_t kSyncSlotOffset = 32;
Error DecodeHeader(const uint8_t* p, size_t n, uint64_t* syncedEnd);
Error DecodeSyncSlot(const uint8_t* p, uint64_t* syncedEnd);

// Appends to a byte vector.
class Enc {
public:
    std::vector<uint8_t> b;
    size_t start = 0;          // where the entry being built begins
    void u8(uint8_t v) { b.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)); u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }
    void u64(uint64_t v) { u32(uint32_t(v)); u32(uint32_t(v >> 32)); }
    void str(const std::u16string& s);
    void prop(const PropValue& v);
    void sort(const SortOrder& o);
    // Starts an entry (header filled in by Seal).
    void begin(EntryKind kind, uint64_t seq);
    void seal();
};

// Encoded size of one property, as Enc::prop writes it.
size_t PropBytes(const PropValue& v);
bool ValidType(uint16_t type);
// The value fits the property's type (ranges of the integer types).
bool ValidValue(const PropValue& v);
bool ValidSortOrder(const SortOrder& o);

// Simple one-to-one lowering for Latin, Greek and Cyrillic (final sigma folds to
// sigma); everything else maps to itself.
char16_t FoldChar(char16_t c);
// Case-insensitive key for database names.
std::u16string FoldName(const std::u16string& s);

struct DbState {
    DbInfo info;                 // info.records kept equal to oids.size()
    std::set<uint32_t> oids;
    uint64_t gen = 0;            // bumped by every change to this database
};

class Replica {
public:
    std::map<uint32_t, DbState> dbs;
    std::unordered_map<std::u16string, uint32_t> dbNames;   // folded name -> dboid
    std::unordered_map<uint32_t, Record> records;
    uint64_t nextOid = 1;        // 2^32 once every id was handed out
    uint64_t lastSeq = 0;
    uint64_t gen = 0;
    std::deque<Change> history;
    bool retired = false;        // a kEntryRetired was read
    bool sequenced = false;      // an entry with seq != 0 was applied

    // Applies one entry payload. kCorrupt on anything inconsistent; the replica is
    // then unusable (callers throw it away).
    Error Apply(const uint8_t* p, size_t n);
    bool OidInUse(uint32_t oid) const { return records.count(oid) || dbs.count(oid); }

private:
    void Note(uint64_t seq, ChangeKind kind, uint32_t dboid, uint32_t oid);
};

// Where the log's bytes come from: a file, or memory for the fuzzer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // n bytes at off (the caller checked they lie within the size); nullptr on I/O error.
    virtual const uint8_t* Get(uint64_t off, size_t n) = 0;
};

struct ScanResult {
    uint64_t end = 0;        // just past the last entry applied
    bool bad = false;        // stopped at a damaged or incomplete entry at `end`
};

// Applies the entries in [start, size). Stops at the first damaged entry (bad) or
// when a retirement marker was applied. I/O errors give kIo; entries whose
// checksum holds but whose contents are wrong give kCorrupt.
Error ScanLog(Replica& r, ByteSource& src, uint64_t start, uint64_t size, ScanResult* out);

// Opens a whole in-memory image as Volume::Open would (fuzzing, tests).
Error LoadImage(const uint8_t* data, size_t n, Replica* r);

}  // namespace cedb::detail
