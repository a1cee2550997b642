// What the device's PIM volumes hold: databases, the sort orders the programs open
// them with, and readable names for the properties the tool knows.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "cedb/engine/volume.h"
#include "pimcodec/timezone.h"

namespace devctl {

constexpr uint32_t kPropRecid = 0x10000066;
constexpr uint32_t kMaxRecid = 0xFFFF;   // the high word of a POOM id then gives the kind

constexpr const char* kPimVolume = "pim.vol";
constexpr const char* kFusionVolume = "FusionLinks.vol";

constexpr const char* kAppointmentsDb = "Appointments Database";
constexpr const char* kTasksDb = "Tasks Database";
constexpr const char* kContactsDb = "Contacts Database";
constexpr const char* kCategoryDb = "CategoryMainDB";
constexpr const char* kCategoryAssocDb = "CategoryAssocDB";
constexpr const char* kNamedPropDb = "PIMNamedPropVals";
constexpr const char* kFusionDb = "FusionLinks";

// How a readable value turns into a stored one.
enum class ValueKind {
    kPlain,     // by the property's type
    kDate,      // "YYYY-MM-DD" at 00:00 as stored (contact and task dates)
    kEnum,      // a name from `enums`, or its number
    kZone,      // a zone name or object -> 48-byte blob
    kIconName,  // text -> UTF-16 with its NUL, as a blob
    kPropRef,   // the readable name of another property of the same database -> its id
};

struct EnumName {
    const char* name;
    uint32_t value;
};

struct NamedProp {
    const char* name;
    uint32_t propid;
    ValueKind kind = ValueKind::kPlain;
    std::vector<EnumName> enums;
};

struct DbSchema {
    const char* name;
    const char* volume;
    std::vector<cedb::SortOrder> sorts;
    std::vector<NamedProp> props;
};

const std::vector<DbSchema>& Schemas();
// Case-insensitive, as the store compares database names; nullptr when unknown.
const DbSchema* FindSchema(const std::string& name);
const NamedProp* FindProp(const DbSchema& db, const std::string& name);
const NamedProp* FindPropById(const DbSchema& db, uint32_t propid);

const char* TypeName(uint16_t type);

// The bad value and why; thrown by the converters with a location to show.
struct ValueError {
    std::string where;
    std::string what;
};

// A JSON value for property `propid` (readable kinds as above). Throws ValueError.
// A date-time without a trailing 'Z' is a wall-clock time in `wallZone` (the
// devices' W. Europe when none is given), as in fixtures; with 'Z' it is UTC.
cedb::PropValue ValueFromJson(const DbSchema* db, const NamedProp* named, uint32_t propid,
                              const nlohmann::json& v, const std::string& where,
                              const pimcodec::TimeZone* wallZone = nullptr);
// Parses "0x0020001F" or a readable name of the database; throws ValueError.
uint32_t PropIdFromKey(const DbSchema* db, const std::string& key, const NamedProp** named,
                       const std::string& where);
// One property as {"id","type","value"} for listing.
nlohmann::json PropToJson(const cedb::PropValue& p);

// POOM identifier of a record of a database: appointments RECID + 0x40000000,
// tasks RECID - 0x40000000, contacts RECID + 0x80000000 (32-bit wrap).
uint32_t PoomId(const std::string& db, uint32_t recid);

}  // namespace devctl
