// The device's PIM volumes as the tool sees them: files in the device folder,
// opened through the storage engine that the device programs use too.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "cedb/engine/volume.h"
#include "fixture.h"
#include "schema.h"

namespace devctl {

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Store {
public:
    explicit Store(std::string deviceDir) : dir_(std::move(deviceDir)) {}

    // "pim.vol", "\pim.vol" and "FusionLinks.vol" all name files in the device folder.
    std::string PathOf(const std::string& volume) const;
    bool Exists(const std::string& volume) const;
    // Throws StoreError; with create=false a missing volume is an error.
    cedb::Volume& Open(const std::string& volume, bool create);

    // Creates the volumes and databases that are missing, with their sort orders.
    // Returns the names created.
    std::vector<std::string> Init();
    // The database's object id in its volume; throws when it is missing.
    uint32_t Database(const std::string& volume, const std::string& name);

    // What the store holds that a fixture must respect; reads only, creates nothing.
    StoreState State();
    // Writes the plan (after Init). Returns the number of records written.
    size_t Write(const Plan& plan);
    // The lowest RECID not yet used in a database.
    uint32_t FreeRecid(const std::string& volume, uint32_t dboid);

private:
    std::string dir_;
    std::map<std::string, std::unique_ptr<cedb::Volume>> open_;
};

std::string VolumeOf(const std::string& db, const std::string& override);

}  // namespace devctl
