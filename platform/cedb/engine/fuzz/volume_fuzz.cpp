// Feeds arbitrary bytes to the volume reader as if they were a volume file.
// Checksums stop almost every mutation at the entry header, so when the first
// input byte is odd the rest is first given valid checksums: then mutations reach
// the decoding of entries themselves.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format.h"

namespace {

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void RepairChecksums(std::vector<uint8_t>& b) {
    using namespace cedb::detail;
    if (b.size() < kHeaderSize) return;
    Put32(&b[16], Crc32(b.data(), 16));
    Put32(&b[kSyncSlotOffset + 8], Crc32(&b[kSyncSlotOffset], 8));
    size_t pos = kHeaderSize;
    while (b.size() - pos >= kEntryHeaderSize) {
        uint32_t len = Get32(&b[pos]);
        if (len == 0 || len > b.size() - pos - kEntryHeaderSize) break;
        Put32(&b[pos + 4], len ^ kLenCheck);
        Put32(&b[pos + 8], Crc32(&b[pos + kEntryHeaderSize], len));
        pos += kEntryHeaderSize + len;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> image(data + 1, data + size);
    if (data[0] & 1) RepairChecksums(image);
    cedb::detail::Replica r;
    if (cedb::detail::LoadImage(image.data(), image.size(), &r) != cedb::Error::kOk) return 0;
    // What loaded must hang together: every database's records exist and point back.
    size_t total = 0;
    for (const auto& [dboid, db] : r.dbs) {
        if (db.info.records != db.oids.size()) __builtin_trap();
        for (uint32_t oid : db.oids) {
            auto it = r.records.find(oid);
            if (it == r.records.end() || it->second.dboid != dboid || oid >= r.nextOid) __builtin_trap();
        }
        total += db.oids.size();
    }
    if (total != r.records.size()) __builtin_trap();
    return 0;
}
