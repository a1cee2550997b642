// Feeds arbitrary bytes to the volume reader as if they were a volume file.
#include <cstddef>
#include <cstdint>

#include "format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cedb::detail::Replica r;
    if (cedb::detail::LoadImage(data, size, &r) != cedb::Error::kOk) return 0;
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
