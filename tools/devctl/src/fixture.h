// The readable fixture (JSON) that fills a device's PIM store, turned into the
// records to write. Everything is checked before anything is written: a bad
// fixture gives one error naming where it is, and no record.
#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cedb/engine/volume.h"
#include "schema.h"

namespace devctl {

// What the store already holds that a fixture may refer to or must not clash with.
struct StoreState {
    std::map<std::string, std::set<uint32_t>> recids;   // database name -> RECIDs in use
    std::map<std::string, uint32_t> categories;          // category name -> id
    std::set<uint32_t> fusionLinkNumbers;
};

struct PlannedRecord {
    std::string where;                     // fixture location, for write errors
    std::vector<cedb::PropValue> props;
};

struct Plan {
    // In schema order; only databases that get records.
    std::vector<std::pair<std::string, std::vector<PlannedRecord>>> databases;
    size_t Count(const std::string& db) const;
    const std::vector<PlannedRecord>* Records(const std::string& db) const;
};

// Throws ValueError. `baseDir` resolves relative picture paths.
Plan PlanFixture(const nlohmann::json& doc, const std::string& baseDir, const StoreState& existing);

}  // namespace devctl
