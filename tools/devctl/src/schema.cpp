#include "schema.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "pimcodec/timezone.h"
#include "text.h"

namespace devctl {

using cedb::SortKey;
using cedb::SortOrder;

namespace {

const std::vector<EnumName> kBusy = {{"free", 0}, {"tentative", 1}, {"busy", 2}, {"oof", 3},
                                     {"out_of_office", 3}};
const std::vector<EnumName> kSensitivity = {{"normal", 0}, {"personal", 1}, {"private", 2},
                                            {"confidential", 3}};
const std::vector<EnumName> kImportance = {{"low", 0}, {"normal", 1}, {"high", 2}};

SortOrder One(uint32_t propid, uint32_t flags = 0, uint16_t keyFlags = 0) {
    SortOrder s;
    s.keys.push_back(SortKey{propid, flags});
    s.keyFlags = keyFlags;
    return s;
}
SortOrder Two(uint32_t a, uint32_t fa, uint32_t b, uint32_t fb, uint16_t keyFlags) {
    SortOrder s;
    s.keys.push_back(SortKey{a, fa});
    s.keys.push_back(SortKey{b, fb});
    s.keyFlags = keyFlags;
    return s;
}

std::vector<DbSchema> Build() {
    std::vector<DbSchema> v;
    NamedProp recid{"recid", kPropRecid};
    NamedProp notes{"notes", 0x101F001F};
    v.push_back({kAppointmentsDb, kPimVolume,
                 // The agenda loads by start, then every recurring record.
                 {One(0x10420040), One(0x0022000B)},
                 {recid, notes,
                  {"subject", 0x0020001F}, {"location", 0x0041001F},
                  {"start", 0x10420040}, {"duration", 0x10400013},
                  {"recurring", 0x0022000B}, {"sensitivity", 0x00210013, ValueKind::kEnum, kSensitivity},
                  {"busy", 0x00450013, ValueKind::kEnum, kBusy}, {"all_day", 0x0044000B},
                  {"timezone", 0x00480041, ValueKind::kZone}, {"recurrence", 0x203F0064},
                  {"notes_stream", 0x001E0064}, {"reminder", 0x0028000B},
                  {"attendees", 0x205F0064}}});
    v.push_back({kTasksDb, kPimVolume, {},
                 {recid, notes,
                  {"subject", 0x0020001F}, {"sensitivity", 0x00210013, ValueKind::kEnum, kSensitivity},
                  {"reminder", 0x0028000B}, {"start", 0x00620040, ValueKind::kDate},
                  {"due", 0x00630040, ValueKind::kDate},
                  {"importance", 0x00600013, ValueKind::kEnum, kImportance},
                  {"complete", 0x1065000B}, {"completed", 0x00640040, ValueKind::kDate},
                  {"recurring", 0x0022000B}, {"reminder_time", 0x10660040},
                  {"notes_stream", 0x001E0064}}});
    v.push_back({kContactsDb, kPimVolume,
                 {One(0x0080001F, cedb::kSortCaseInsensitive),
                  Two(0x0080001F, cedb::kSortCaseInsensitive, 0x01020013, cedb::kSortUnknownFirst, 0)},
                 {recid, notes,
                  {"preferred", 0x00F80013, ValueKind::kPropRef},
                  {"file_as", 0x0080001F}, {"first_name", 0x0082001F}, {"last_name", 0x0084001F},
                  {"company", 0x008A001F},
                  {"birthday", 0x00F00040, ValueKind::kDate}, {"anniversary", 0x00F10040, ValueKind::kDate},
                  {"mobile", 0x0096001F}, {"work", 0x0097001F}, {"work2", 0x0098001F},
                  {"home", 0x0099001F}, {"home2", 0x009A001F}, {"fax", 0x009B001F},
                  {"mobile2", 0x009D001F}, {"car", 0x009E001F}, {"mobile3", 0x009F001F},
                  {"group", 0x00A0001F}, {"group_sms", 0x00A1001F},
                  {"email1", 0x0090001F}, {"email2", 0x0091001F}, {"email3", 0x0092001F},
                  {"notes_stream", 0x001E0064}, {"picture", 0x00FF0064}, {"sort2", 0x01020013}}});
    v.push_back({kCategoryDb, kPimVolume, {},
                 {recid, {"name", 0x0002001F}, {"id", 0x00010066}}});
    v.push_back({kCategoryAssocDb, kPimVolume,
                 {Two(0x00010013, 0, 0x00020003, 0, cedb::kSortUnique)},
                 {recid, {"item", 0x00010013}, {"category", 0x00020003}}});
    v.push_back({kNamedPropDb, kPimVolume,
                 {Two(0x00010013, 0, 0x00020013, 0, cedb::kSortUnique)},
                 {recid, {"item", 0x00010013}, {"named_prop", 0x00020013},
                  {"icon", 0x00030041, ValueKind::kIconName}}});
    // Key flag 1 is what the programs pass; the store keeps it as given.
    v.push_back({kFusionDb, kFusionVolume,
                 {One(0x00010003, 0, 0x0001), One(0x00020002, 0, 0x0001)},
                 {recid, {"item", 0x00010003}, {"link_number", 0x00020002},
                  {"link_kind", 0x00030002}, {"path", 0x0005001F}}});
    return v;
}

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw ValueError{where, what};
}

int64_t Integer(const nlohmann::json& v, int64_t lo, int64_t hi, const std::string& where) {
    int64_t n;
    if (v.is_number_integer()) {
        n = v.is_number_unsigned() ? int64_t(std::min<uint64_t>(v.get<uint64_t>(), uint64_t(INT64_MAX)))
                                   : v.get<int64_t>();
    } else if (v.is_string() && v.get<std::string>().rfind("0x", 0) == 0) {
        const std::string s = v.get<std::string>();
        if (s.size() < 3 || s.size() > 10) Fail(where, "bad hex number \"" + s + "\"");
        char* end = nullptr;
        n = int64_t(std::strtoull(s.c_str() + 2, &end, 16));
        if (*end) Fail(where, "bad hex number \"" + s + "\"");
    } else {
        Fail(where, "expected an integer, got " + v.dump());
    }
    if (n < lo || n > hi)
        Fail(where, std::to_string(n) + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    return n;
}

std::u16string Text(const nlohmann::json& v, const std::string& where) {
    if (!v.is_string()) Fail(where, "expected a string, got " + v.dump());
    auto s = Utf16FromUtf8(v.get<std::string>());
    if (!s) Fail(where, "not valid UTF-8");
    return *s;
}

}  // namespace

const std::vector<DbSchema>& Schemas() {
    static const std::vector<DbSchema> kSchemas = Build();
    return kSchemas;
}

const DbSchema* FindSchema(const std::string& name) {
    for (const DbSchema& d : Schemas())
        if (!strcasecmp(d.name, name.c_str())) return &d;
    return nullptr;
}

const NamedProp* FindProp(const DbSchema& db, const std::string& name) {
    for (const NamedProp& p : db.props)
        if (name == p.name) return &p;
    return nullptr;
}

const NamedProp* FindPropById(const DbSchema& db, uint32_t propid) {
    for (const NamedProp& p : db.props)
        if (p.propid == propid) return &p;
    return nullptr;
}

const char* TypeName(uint16_t type) {
    switch (type) {
    case cedb::kI2: return "I2";
    case cedb::kI4: return "I4";
    case cedb::kR8: return "R8";
    case cedb::kBool: return "BOOL";
    case cedb::kUI2: return "UI2";
    case cedb::kUI4: return "UI4";
    case cedb::kLpwstr: return "LPWSTR";
    case cedb::kFiletime: return "FILETIME";
    case cedb::kBlob: return "BLOB";
    case cedb::kStream: return "STREAM";
    case cedb::kRecid: return "RECID";
    }
    return nullptr;
}

uint32_t PropIdFromKey(const DbSchema* db, const std::string& key, const NamedProp** named,
                       const std::string& where) {
    *named = nullptr;
    if (key.rfind("0x", 0) == 0 || key.rfind("0X", 0) == 0) {
        char* end = nullptr;
        unsigned long long v = std::strtoull(key.c_str() + 2, &end, 16);
        if (key.size() < 3 || key.size() > 10 || *end) Fail(where, "bad property id \"" + key + "\"");
        uint32_t propid = uint32_t(v);
        if (!TypeName(cedb::TypeOf(propid)))
            Fail(where, "property " + Hex32(propid) + " has an unknown type");
        if (db) *named = FindPropById(*db, propid);
        return propid;
    }
    if (db) {
        if (const NamedProp* p = FindProp(*db, key)) {
            *named = p;
            return p->propid;
        }
    }
    std::string known;
    if (db)
        for (const NamedProp& p : db->props) known += std::string(known.empty() ? "" : ", ") + p.name;
    Fail(where, "unknown property \"" + key + "\"" + (db ? " (known: " + known + ", or 0xPROPID)" : ""));
}

cedb::PropValue ValueFromJson(const DbSchema* db, const NamedProp* named, uint32_t propid,
                              const nlohmann::json& v, const std::string& where,
                              const pimcodec::TimeZone* wallZone) {
    cedb::PropValue p;
    p.propid = propid;
    ValueKind kind = named ? named->kind : ValueKind::kPlain;
    switch (kind) {
    case ValueKind::kEnum:
        if (v.is_string() && v.get<std::string>().rfind("0x", 0) != 0) {
            for (const EnumName& e : named->enums)
                if (v.get<std::string>() == e.name) {
                    p.num = e.value;
                    return p;
                }
            std::string names;
            for (const EnumName& e : named->enums) names += std::string(names.empty() ? "" : ", ") + e.name;
            Fail(where, "unknown value " + v.dump() + " (one of " + names + ")");
        }
        break;
    case ValueKind::kDate: {
        if (v.is_string() && v.get<std::string>() == "none") {
            p.num = int64_t(pimcodec::NoDateFiletime());
            return p;
        }
        if (!v.is_string()) Fail(where, "expected a date \"YYYY-MM-DD\", got " + v.dump());
        auto t = ParseIso(v.get<std::string>());
        if (!t || t->hasTime) Fail(where, "expected a date \"YYYY-MM-DD\", got " + v.dump());
        p.num = int64_t(pimcodec::FiletimeFromCivil(t->t));
        return p;
    }
    case ValueKind::kZone: {
        pimcodec::TimeZone tz;
        if (v.is_string() && pimcodec::ZoneByName(v.get<std::string>().c_str(), &tz)) {
            p.bytes = pimcodec::EncodeTimeZone(tz);
            return p;
        }
        break;   // else hex below
    }
    case ValueKind::kIconName: {
        std::u16string s = Text(v, where);
        for (char16_t c : s) {
            p.bytes.push_back(uint8_t(c));
            p.bytes.push_back(uint8_t(c >> 8));
        }
        p.bytes.push_back(0);
        p.bytes.push_back(0);
        return p;
    }
    case ValueKind::kPropRef:
        if (v.is_string() && db && v.get<std::string>().rfind("0x", 0) != 0) {
            const NamedProp* target = FindProp(*db, v.get<std::string>());
            if (!target || cedb::TypeOf(target->propid) != cedb::kLpwstr)
                Fail(where, "\"" + v.get<std::string>() + "\" is not a number or e-mail field");
            p.num = target->propid;
            return p;
        }
        break;
    case ValueKind::kPlain:
        break;
    }
    switch (cedb::TypeOf(propid)) {
    case cedb::kI2: p.num = Integer(v, INT16_MIN, INT16_MAX, where); break;
    case cedb::kUI2: p.num = Integer(v, 0, UINT16_MAX, where); break;
    case cedb::kI4: p.num = Integer(v, INT32_MIN, INT32_MAX, where); break;
    case cedb::kUI4: p.num = Integer(v, 0, UINT32_MAX, where); break;
    case cedb::kRecid: p.num = Integer(v, 0, UINT32_MAX, where); break;
    case cedb::kBool:
        if (v.is_boolean()) p.num = v.get<bool>() ? 1 : 0;
        else p.num = Integer(v, 0, 1, where);
        break;
    case cedb::kR8: {
        if (!v.is_number()) Fail(where, "expected a number, got " + v.dump());
        double d = v.get<double>();
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        p.num = int64_t(bits);
        break;
    }
    case cedb::kLpwstr: p.str = Text(v, where); break;
    case cedb::kFiletime: {
        if (v.is_string() && v.get<std::string>() == "none") {
            p.num = int64_t(pimcodec::NoDateFiletime());
            break;
        }
        std::optional<IsoTime> t;
        if (v.is_string()) t = ParseIso(v.get<std::string>());
        if (!t) Fail(where, "expected an ISO date-time, got " + v.dump());
        if (t->hasTime && !t->utc) {
            // Read as UTC, "11:00" would show an hour or two late on the device.
            const std::optional<uint32_t> wall = pimcodec::MinutesFromCivil(t->t);
            if (!wall) Fail(where, "date out of range");
            const pimcodec::TimeZone zone = wallZone ? *wallZone : pimcodec::WesternEuropeZone();
            const int64_t utc = pimcodec::LocalToUtc(zone, int64_t(*wall));
            p.num = int64_t(pimcodec::FiletimeFromMinutes(utc) + uint64_t(t->t.second) * 10000000ULL);
            break;
        }
        p.num = int64_t(pimcodec::FiletimeFromCivil(t->t));
        break;
    }
    case cedb::kBlob:
    case cedb::kStream: {
        std::optional<std::vector<uint8_t>> b;
        if (v.is_string()) b = FromHex(v.get<std::string>());
        if (!b) Fail(where, "expected hex bytes, got " + v.dump());
        p.bytes = std::move(*b);
        break;
    }
    default:
        Fail(where, "property " + Hex32(propid) + " has an unknown type");
    }
    return p;
}

nlohmann::json PropToJson(const cedb::PropValue& p) {
    nlohmann::json j;
    uint16_t type = cedb::TypeOf(p.propid);
    j["id"] = Hex32(p.propid);
    const char* tn = TypeName(type);
    j["type"] = tn ? tn : std::to_string(type);
    switch (type) {
    case cedb::kI2: j["value"] = int16_t(p.num); break;
    case cedb::kUI2: j["value"] = uint16_t(p.num); break;
    case cedb::kI4: j["value"] = int32_t(p.num); break;
    case cedb::kUI4: case cedb::kRecid: j["value"] = uint32_t(p.num); break;
    case cedb::kBool: j["value"] = p.num != 0; break;
    case cedb::kR8: {
        double d;
        uint64_t bits = uint64_t(p.num);
        std::memcpy(&d, &bits, sizeof d);
        j["value"] = d;
        break;
    }
    case cedb::kLpwstr: j["value"] = Utf8FromUtf16(p.str); break;
    case cedb::kFiletime: j["value"] = FormatIsoUtc(uint64_t(p.num)); break;
    default: j["value"] = Hex(p.bytes); break;
    }
    return j;
}

uint32_t PoomId(const std::string& db, uint32_t recid) {
    if (db == kAppointmentsDb) return recid + 0x40000000u;
    if (db == kTasksDb) return recid - 0x40000000u;
    if (db == kContactsDb) return recid + 0x80000000u;
    return recid;
}

}  // namespace devctl
