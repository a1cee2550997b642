#include "fixture.h"

#include <strings.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"
#include "text.h"

namespace devctl {

using nlohmann::json;
using namespace pimcodec;

size_t Plan::Count(const std::string& db) const {
    const auto* r = Records(db);
    return r ? r->size() : 0;
}

const std::vector<PlannedRecord>* Plan::Records(const std::string& db) const {
    for (const auto& d : databases)
        if (d.first == db) return &d.second;
    return nullptr;
}

namespace {

constexpr size_t kMaxPicture = 4u << 20;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw ValueError{where, what};
}

// A JSON object whose keys must all be known: every key read is ticked off, and
// Done() names the first key nobody asked for.
class Node {
public:
    Node(const json& j, std::string where) : j_(j), where_(std::move(where)) {
        if (!j.is_object()) Fail(where_, "expected an object, got " + j.dump());
    }
    const json* Get(const char* key) {
        seen_.insert(key);
        auto it = j_.find(key);
        return it == j_.end() ? nullptr : &*it;
    }
    const json& Need(const char* key) {
        const json* v = Get(key);
        if (!v) Fail(where_, std::string("missing \"") + key + "\"");
        return *v;
    }
    std::string At(const std::string& key) const { return where_ + "." + key; }
    const std::string& where() const { return where_; }
    void Done() const {
        for (auto it = j_.begin(); it != j_.end(); ++it)
            if (!seen_.count(it.key())) Fail(At(it.key()), "unknown key");
    }

private:
    const json& j_;
    std::string where_;
    std::set<std::string> seen_;
};

std::string Str(const json& v, const std::string& where) {
    if (!v.is_string()) Fail(where, "expected a string, got " + v.dump());
    return v.get<std::string>();
}
std::u16string U16(const json& v, const std::string& where) {
    auto s = Utf16FromUtf8(Str(v, where));
    if (!s) Fail(where, "not valid UTF-8");
    return *s;
}
bool Bool(const json& v, const std::string& where) {
    if (!v.is_boolean()) Fail(where, "expected true or false, got " + v.dump());
    return v.get<bool>();
}
int64_t Int(const json& v, int64_t lo, int64_t hi, const std::string& where) {
    if (!v.is_number_integer()) Fail(where, "expected an integer, got " + v.dump());
    int64_t n = v.is_number_unsigned() ? int64_t(std::min<uint64_t>(v.get<uint64_t>(), INT64_MAX))
                                       : v.get<int64_t>();
    if (n < lo || n > hi)
        Fail(where, std::to_string(n) + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    return n;
}
// An integer, or a "0x..." string for identifiers that are read in hex.
int64_t IntOrHex(const json& v, int64_t lo, int64_t hi, const std::string& where) {
    if (v.is_string()) {
        cedb::PropValue p = ValueFromJson(nullptr, nullptr, 0x00000013, v, where);
        if (p.num < lo || p.num > hi) Fail(where, v.get<std::string>() + " is out of range");
        return p.num;
    }
    return Int(v, lo, hi, where);
}
const json& Array(const json& v, const std::string& where) {
    if (!v.is_array()) Fail(where, "expected a list, got " + v.dump());
    return v;
}
std::string Idx(const std::string& where, size_t i) { return where + "[" + std::to_string(i) + "]"; }

CivilDate Date(const json& v, const std::string& where) {
    std::optional<IsoTime> t;
    if (v.is_string()) t = ParseIso(v.get<std::string>());
    if (!t || t->hasTime) Fail(where, "expected a date \"YYYY-MM-DD\", got " + v.dump());
    return t->t.date;
}

int64_t DayMinutes(const CivilDate& d) { return DaysFromCivil(d) * kMinutesPerDay; }

// Wall-clock minutes in `zone`; a trailing Z gives UTC, converted.
int64_t LocalDateTime(const json& v, const TimeZone& zone, const std::string& where) {
    std::optional<IsoTime> t;
    if (v.is_string()) t = ParseIso(v.get<std::string>());
    if (!t || !t->hasTime) Fail(where, "expected a date-time \"YYYY-MM-DDTHH:MM\", got " + v.dump());
    auto m = MinutesFromCivil(t->t);
    if (!m) Fail(where, "date out of range");
    return t->utc ? UtcToLocal(zone, *m) : int64_t(*m);
}

cedb::PropValue Num(uint32_t propid, int64_t v) {
    cedb::PropValue p;
    p.propid = propid;
    p.num = v;
    return p;
}
cedb::PropValue Txt(uint32_t propid, std::u16string s) {
    cedb::PropValue p;
    p.propid = propid;
    p.str = std::move(s);
    return p;
}
cedb::PropValue Bytes(uint32_t propid, std::vector<uint8_t> b) {
    cedb::PropValue p;
    p.propid = propid;
    p.bytes = std::move(b);
    return p;
}
std::vector<uint8_t> Utf16Bytes(const std::u16string& s) {
    std::vector<uint8_t> b;
    for (char16_t c : s) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    return b;
}

SystemTime Transition(const json& v, const std::string& where) {
    Node n(v, where);
    SystemTime t;
    t.month = uint16_t(Int(n.Need("month"), 1, 12, n.At("month")));
    const json& w = n.Need("week");
    t.day = w.is_string() && w.get<std::string>() == "last" ? 5 : uint16_t(Int(w, 1, 5, n.At("week")));
    t.dayOfWeek = uint16_t(Int(n.Need("weekday"), 0, 6, n.At("weekday")));
    if (const json* h = n.Get("hour")) t.hour = uint16_t(Int(*h, 0, 23, n.At("hour")));
    if (const json* m = n.Get("minute")) t.minute = uint16_t(Int(*m, 0, 59, n.At("minute")));
    n.Done();
    return t;
}

TimeZone Zone(const json& v, const std::string& where) {
    TimeZone tz;
    if (v.is_string()) {
        if (!ZoneByName(v.get<std::string>().c_str(), &tz))
            Fail(where, "unknown zone " + v.dump() + " (\"UTC\", \"W. Europe\", \"Eastern\" or an object)");
        return tz;
    }
    Node n(v, where);
    tz.bias = int32_t(Int(n.Need("bias"), -840, 840, n.At("bias")));
    if (const json* b = n.Get("standard_bias")) tz.standardBias = int32_t(Int(*b, -120, 120, n.At("standard_bias")));
    if (const json* b = n.Get("daylight_bias")) tz.daylightBias = int32_t(Int(*b, -120, 120, n.At("daylight_bias")));
    const json* s = n.Get("standard");
    const json* d = n.Get("daylight");
    if (bool(s) != bool(d)) Fail(where, "give both \"standard\" and \"daylight\" transitions, or neither");
    if (s) {
        tz.standardDate = Transition(*s, n.At("standard"));
        tz.daylightDate = Transition(*d, n.At("daylight"));
    }
    n.Done();
    return tz;
}

uint16_t Weekdays(const json& v, const std::string& where) {
    static const char* kShort[7] = {"su", "mo", "tu", "we", "th", "fr", "sa"};
    static const char* kLong[7] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    uint16_t mask = 0;
    const json& a = Array(v, where);
    if (a.empty()) Fail(where, "needs at least one weekday");
    for (size_t i = 0; i < a.size(); ++i) {
        std::string s = Str(a[i], Idx(where, i));
        int found = -1;
        for (int k = 0; k < 7; ++k)
            if (!strcasecmp(s.c_str(), kShort[k]) || !strcasecmp(s.c_str(), kLong[k])) found = k;
        if (found < 0) Fail(Idx(where, i), "unknown weekday \"" + s + "\" (su, mo, tu, we, th, fr, sa)");
        mask |= uint16_t(1u << found);
    }
    return mask;
}

std::vector<uint8_t> Base64(const std::string& s, const std::string& where) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : s) {
        int v;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        else if (c >= '0' && c <= '9') v = c - '0' + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else if (c == '=' || c == '\n' || c == '\r' || c == ' ') continue;
        else Fail(where, "not base64");
        acc = acc << 6 | uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(uint8_t(acc >> bits));
        }
        if (out.size() > kMaxPicture) Fail(where, "picture larger than 4 MiB");
    }
    return out;
}

struct Planner {
    const StoreState& existing;
    std::string baseDir;
    TimeZone defaultZone = WesternEuropeZone();
    std::map<std::string, std::set<uint32_t>> used;   // RECIDs taken, per database
    std::map<std::string, std::vector<PlannedRecord>> out;
    std::map<std::string, uint32_t> categoryIds;   // lower-case name -> id
    std::set<std::pair<uint32_t, uint32_t>> assocs;
    std::set<uint32_t> linkNumbers;

    explicit Planner(const StoreState& s) : existing(s) {
        for (const auto& [db, ids] : s.recids) used[db] = ids;
        for (const auto& [name, id] : s.categories) categoryIds[Lower(name)] = id;
        linkNumbers = s.fusionLinkNumbers;
    }

    static std::string Lower(std::string s) {
        for (char& c : s) c = char(tolower(uint8_t(c)));
        return s;
    }

    // First pass over a list: explicit ids are reserved before any is given out.
    void Reserve(const std::string& db, const json& list, const std::string& where) {
        std::set<uint32_t> mine;
        for (size_t i = 0; i < list.size(); ++i) {
            if (!list[i].is_object()) continue;
            auto it = list[i].find("id");
            if (it == list[i].end()) continue;
            std::string w = Idx(where, i) + ".id";
            uint32_t id = uint32_t(Int(*it, 1, kMaxRecid, w));
            if (!mine.insert(id).second) Fail(w, "id " + std::to_string(id) + " is used twice");
            if (used[db].count(id)) Fail(w, "id " + std::to_string(id) + " is already in the store");
        }
        used[db].insert(mine.begin(), mine.end());
    }

    uint32_t Recid(const std::string& db, Node& n) {
        if (const json* id = n.Get("id")) return uint32_t(id->get<int64_t>());   // checked by Reserve
        return Fresh(db, n.where());
    }
    uint32_t Fresh(const std::string& db, const std::string& where) {
        std::set<uint32_t>& u = used[db];
        for (uint32_t id = 1; id <= kMaxRecid; ++id)
            if (!u.count(id)) {
                u.insert(id);
                return id;
            }
        Fail(where, "no free record id left in " + db);
    }

    void Add(const std::string& db, const std::string& where, std::vector<cedb::PropValue> props) {
        out[db].push_back(PlannedRecord{where, std::move(props)});
    }

    // "props": raw extra properties by id or readable name.
    void Extra(const std::string& db, Node& n, std::vector<cedb::PropValue>* props) {
        const json* extra = n.Get("props");
        if (!extra) return;
        Node e(*extra, n.At("props"));
        const DbSchema* schema = FindSchema(db);
        for (auto it = extra->begin(); it != extra->end(); ++it) {
            e.Get(it.key().c_str());
            const NamedProp* named;
            std::string w = e.At(it.key());
            uint32_t propid = PropIdFromKey(schema, it.key(), &named, w);
            cedb::PropValue v = ValueFromJson(schema, named, propid, it.value(), w);
            auto same = std::find_if(props->begin(), props->end(),
                                     [&](const cedb::PropValue& p) { return p.propid == propid; });
            if (same != props->end()) Fail(w, "sets " + Hex32(propid) + ", which the item already sets");
            props->push_back(std::move(v));
        }
    }

    void Categories(const std::string& db, uint32_t poomId, Node& n) {
        const json* cats = n.Get("categories");
        if (!cats) return;
        std::string where = n.At("categories");
        Array(*cats, where);
        for (size_t i = 0; i < cats->size(); ++i) {
            std::string w = Idx(where, i);
            std::string name = Str((*cats)[i], w);
            auto it = categoryIds.find(Lower(name));
            if (it == categoryIds.end()) Fail(w, "unknown category \"" + name + "\"");
            if (!assocs.insert({poomId, it->second}).second)
                Fail(w, "category \"" + name + "\" is given twice");
            Add(kCategoryAssocDb, w,
                {Num(0x00010013, poomId), Num(0x00020003, int32_t(it->second)),
                 Num(kPropRecid, Fresh(kCategoryAssocDb, w))});
        }
    }

    void Category(const json& v, const std::string& where) {
        uint32_t id;
        std::string name;
        if (v.is_string()) {
            name = v.get<std::string>();
            // A bare name asks for the category to exist: one the store has is reused,
            // so that imports can name the categories they need.
            for (const auto& [have, haveId] : existing.categories)
                if (Lower(have) == Lower(name)) return;
            id = Fresh(kCategoryDb, where);
        } else {
            Node n(v, where);
            name = Str(n.Need("name"), n.At("name"));
            id = Recid(kCategoryDb, n);
            n.Done();
        }
        if (name.empty()) Fail(where, "a category needs a name");
        if (!categoryIds.emplace(Lower(name), id).second)
            Fail(where, "category \"" + name + "\" exists already");
        Add(kCategoryDb, where,
            {Txt(0x0002001F, U16(json(name), where)), Num(0x00010066, id), Num(kPropRecid, id)});
    }

    void Contact(const json& v, const std::string& where) {
        Node n(v, where);
        const DbSchema& schema = *FindSchema(kContactsDb);
        uint32_t recid = Recid(kContactsDb, n);
        std::vector<cedb::PropValue> props;
        std::u16string first, last, company, fileAs;
        // Text fields straight from the schema's readable names.
        static const char* kText[] = {"first_name", "last_name", "company", "file_as", "mobile", "work",
                                      "work2", "home", "home2", "fax", "mobile2", "car", "mobile3",
                                      "group", "group_sms", "email1", "email2", "email3", "notes"};
        for (const char* key : kText) {
            const json* f = n.Get(key);
            if (!f) continue;
            std::u16string s = U16(*f, n.At(key));
            if (s.empty()) continue;
            std::string k = key;
            if (k == "first_name") first = s;
            if (k == "last_name") last = s;
            if (k == "company") company = s;
            if (k == "file_as") { fileAs = s; continue; }
            props.push_back(Txt(FindProp(schema, key)->propid, s));
        }
        if (fileAs.empty()) {
            fileAs = last;
            if (!first.empty()) fileAs += (last.empty() ? u"" : u", ") + first;
            if (fileAs.empty()) fileAs = company;
        }
        if (fileAs.empty()) Fail(where, "a contact needs a name, a company or \"file_as\"");
        props.insert(props.begin(), Txt(0x0080001F, fileAs));
        for (const char* key : {"birthday", "anniversary"}) {
            if (const json* d = n.Get(key))
                props.push_back(Num(FindProp(schema, key)->propid,
                                    int64_t(FiletimeFromCivil({Date(*d, n.At(key)), 0, 0, 0}))));
        }
        if (const json* pref = n.Get("preferred")) {
            std::string w = n.At("preferred");
            cedb::PropValue p = ValueFromJson(&schema, FindProp(schema, "preferred"), 0x00F80013, *pref, w);
            bool present = std::any_of(props.begin(), props.end(),
                                       [&](const cedb::PropValue& q) { return q.propid == uint32_t(p.num); });
            if (!present) Fail(w, "the preferred number is not one the contact has");
            props.push_back(p);
        }
        const json* pic = n.Get("picture");
        const json* pic64 = n.Get("picture_base64");
        if (pic && pic64) Fail(where, "give \"picture\" or \"picture_base64\", not both");
        if (pic) {
            std::string w = n.At("picture");
            std::string path = Str(*pic, w);
            if (!path.empty() && path[0] != '/') path = baseDir + "/" + path;
            std::ifstream f(path, std::ios::binary);
            if (!f) Fail(w, "cannot read picture file " + path);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            if (bytes.empty() || bytes.size() > kMaxPicture) Fail(w, "picture must be 1 byte to 4 MiB");
            props.push_back(Bytes(0x00FF0064, std::move(bytes)));
        }
        if (pic64) {
            std::vector<uint8_t> bytes = Base64(Str(*pic64, n.At("picture_base64")), n.At("picture_base64"));
            if (bytes.empty()) Fail(n.At("picture_base64"), "empty picture");
            props.push_back(Bytes(0x00FF0064, std::move(bytes)));
        }
        props.push_back(Num(kPropRecid, recid));
        Extra(kContactsDb, n, &props);
        Categories(kContactsDb, PoomId(kContactsDb, recid), n);
        n.Done();
        Add(kContactsDb, where, std::move(props));
    }

    Recurrence Pattern(const json& v, const std::string& where, int64_t localStart, int64_t duration,
                       bool allDay) {
        Node n(v, where);
        Recurrence r;
        std::string type = Str(n.Need("type"), n.At("type"));
        static const std::pair<const char*, PatternType> kTypes[] = {
            {"daily", PatternType::kDaily}, {"weekly", PatternType::kWeekly},
            {"monthly", PatternType::kMonthly}, {"month_nth", PatternType::kMonthNth},
            {"yearly", PatternType::kYearly}, {"year_nth", PatternType::kYearNth}};
        bool found = false;
        for (const auto& t : kTypes)
            if (type == t.first) {
                r.type = t.second;
                found = true;
            }
        if (!found)
            Fail(n.At("type"), "unknown type \"" + type + "\" (daily, weekly, monthly, month_nth, yearly, year_nth)");
        bool yearly = r.type == PatternType::kYearly || r.type == PatternType::kYearNth;
        int64_t startDay = localStart / kMinutesPerDay;
        CivilDate sd = CivilFromDays(startDay);
        r.interval = 1;
        if (const json* iv = n.Get("interval")) r.interval = uint32_t(Int(*iv, 1, yearly ? 99 : 999, n.At("interval")));
        if (yearly) r.interval *= 12;
        bool needsDays = r.type == PatternType::kWeekly || r.type == PatternType::kMonthNth ||
                         r.type == PatternType::kYearNth;
        if (const json* d = n.Get("days")) {
            if (!needsDays) Fail(n.At("days"), "only weekly, month_nth and year_nth patterns take weekdays");
            r.weekdays = Weekdays(*d, n.At("days"));
        } else if (needsDays) {
            r.weekdays = uint16_t(1u << WeekdayOfDays(startDay));
        }
        bool dayOfMonth = r.type == PatternType::kMonthly || r.type == PatternType::kYearly;
        if (const json* d = n.Get("day")) {
            if (!dayOfMonth) Fail(n.At("day"), "only monthly and yearly patterns take a day of the month");
            r.dayOfMonth = uint16_t(Int(*d, 1, 31, n.At("day")));
        } else if (dayOfMonth) {
            r.dayOfMonth = uint16_t(sd.day);
        }
        bool nth = r.type == PatternType::kMonthNth || r.type == PatternType::kYearNth;
        if (const json* w = n.Get("week")) {
            if (!nth) Fail(n.At("week"), "only month_nth and year_nth patterns take a week");
            r.week = w->is_string() && w->get<std::string>() == "last" ? 5 : uint16_t(Int(*w, 1, 5, n.At("week")));
        } else if (nth) {
            r.week = uint16_t((sd.day - 1) / 7 + 1);
        }
        r.patternStart = uint32_t(startDay * kMinutesPerDay);
        r.startOffset = allDay ? 0 : int32_t(localStart - startDay * kMinutesPerDay);
        r.endOffset = r.startOffset + int32_t(duration);
        const json* until = n.Get("until");
        const json* count = n.Get("count");
        if (until && count) Fail(where, "give \"until\" or \"count\", not both");
        if (until) {
            r.endType = EndType::kByDate;
            int64_t u = DayMinutes(Date(*until, n.At("until")));
            if (u < r.patternStart) Fail(n.At("until"), "ends before it starts");
            r.patternEnd = uint32_t(u);
        } else if (count) {
            r.endType = EndType::kAfterCount;
            r.occurrences = uint32_t(Int(*count, 1, 999, n.At("count")));
        } else {
            r.endType = EndType::kNever;
        }
        Status st = ComputePatternEnd(&r);
        if (st != Status::kOk) Fail(where, std::string("not a usable pattern: ") + StatusText(st));
        std::vector<uint32_t> first = OccurrenceDays(r, r.patternStart, 1);
        if (first.empty() || first[0] != r.patternStart)
            Fail(where, "the start day " + FormatIsoDate(sd) + " is not a day of this pattern");

        // Deleted and moved occurrences must be days the pattern has.
        std::vector<std::pair<uint32_t, std::string>> dates;
        std::vector<const json*> mods;
        if (const json* del = n.Get("deleted")) {
            Array(*del, n.At("deleted"));
            for (size_t i = 0; i < del->size(); ++i) {
                std::string w = Idx(n.At("deleted"), i);
                dates.push_back({uint32_t(DayMinutes(Date((*del)[i], w))), w});
                r.removed.push_back(dates.back().first);
            }
        }
        if (const json* mod = n.Get("modified")) {
            Array(*mod, n.At("modified"));
            for (size_t i = 0; i < mod->size(); ++i) {
                std::string w = Idx(n.At("modified"), i);
                Node m((*mod)[i], w);
                Exception e;
                e.originalDate = uint32_t(DayMinutes(Date(m.Need("date"), m.At("date"))));
                dates.push_back({e.originalDate, m.At("date")});
                bool exAllDay = allDay;
                if (const json* ad = m.Get("all_day")) {
                    exAllDay = Bool(*ad, m.At("all_day"));
                    e.allDay = exAllDay;
                }
                int64_t s;
                if (const json* st2 = m.Get("start")) {
                    s = exAllDay ? DayMinutes(Date(*st2, m.At("start"))) : LocalDateTime(*st2, defaultZoneFor, m.At("start"));
                } else {
                    s = e.originalDate + r.startOffset;
                }
                int64_t len = duration;
                const json* end = m.Get("end");
                const json* dur = m.Get("duration");
                if (end && dur) Fail(w, "give \"end\" or \"duration\", not both");
                if (end) len = LocalDateTime(*end, defaultZoneFor, m.At("end")) - s;
                if (dur) len = Int(*dur, 0, 525600, m.At("duration"));
                if (len < 0) Fail(w, "ends before it starts");
                if (s < 0 || s + len > UINT32_MAX) Fail(w, "date out of range");
                e.start = uint32_t(s);
                e.end = uint32_t(s + len);
                if (const json* x = m.Get("subject")) e.subject = U16(*x, m.At("subject"));
                if (const json* x = m.Get("location")) e.location = U16(*x, m.At("location"));
                if (const json* x = m.Get("busy")) {
                    const NamedProp* busy = FindProp(*FindSchema(kAppointmentsDb), "busy");
                    e.busyStatus = uint32_t(ValueFromJson(nullptr, busy, busy->propid, *x, m.At("busy")).num);
                }
                if (const json* x = m.Get("notes")) e.notes = Utf16Bytes(U16(*x, m.At("notes")));
                if ((e.subject && e.subject->size() > kMaxExceptionText) ||
                    (e.location && e.location->size() > kMaxExceptionText))
                    Fail(w, "subject and location of a changed occurrence hold at most 255 characters");
                m.Done();
                r.exceptions.push_back(std::move(e));
            }
        }
        uint32_t lastDate = 0;
        for (const auto& d : dates) lastDate = std::max(lastDate, d.first);
        std::vector<uint32_t> days = OccurrenceDays(r, lastDate, 100000);
        std::set<uint32_t> seen;
        for (const auto& d : dates) {
            if (!std::binary_search(days.begin(), days.end(), d.first))
                Fail(d.second, FormatIsoDate(CivilFromMinutes(d.first).date) + " is not a day of this pattern");
            if (!seen.insert(d.first).second)
                Fail(d.second, FormatIsoDate(CivilFromMinutes(d.first).date) + " is deleted or changed twice");
        }
        n.Done();
        st = Validate(r);
        if (st != Status::kOk) Fail(where, std::string("not a usable pattern: ") + StatusText(st));
        return r;
    }
    TimeZone defaultZoneFor;   // the zone of the appointment being planned

    void Appointment(const json& v, const std::string& where) {
        Node n(v, where);
        const DbSchema& schema = *FindSchema(kAppointmentsDb);
        uint32_t recid = Recid(kAppointmentsDb, n);
        TimeZone zone = defaultZone;
        if (const json* z = n.Get("timezone")) zone = Zone(*z, n.At("timezone"));
        defaultZoneFor = zone;
        bool allDay = false;
        if (const json* a = n.Get("all_day")) allDay = Bool(*a, n.At("all_day"));
        int64_t localStart, duration;
        const json& start = n.Need("start");
        const json* end = n.Get("end");
        const json* dur = n.Get("duration");
        const json* days = n.Get("days");
        if (allDay) {
            localStart = DayMinutes(Date(start, n.At("start")));
            if (end || dur) Fail(where, "an all-day appointment takes \"days\", not \"end\" or \"duration\"");
            duration = (days ? Int(*days, 1, 366, n.At("days")) : 1) * int64_t(kMinutesPerDay);
        } else {
            if (days) Fail(n.At("days"), "only all-day appointments take \"days\"");
            localStart = LocalDateTime(start, zone, n.At("start"));
            if (bool(end) == bool(dur)) Fail(where, "give exactly one of \"end\" and \"duration\"");
            duration = end ? LocalDateTime(*end, zone, n.At("end")) - localStart
                           : Int(*dur, 0, 525600, n.At("duration"));
            if (duration < 0) Fail(n.At("end"), "ends before it starts");
        }
        int64_t utcStart = LocalToUtc(zone, localStart);
        std::vector<cedb::PropValue> props;
        props.push_back(Num(0x10420040, int64_t(FiletimeFromMinutes(utcStart))));
        props.push_back(Num(0x10400013, duration));
        const json* rec = n.Get("recurrence");
        props.push_back(Num(0x0022000B, rec ? 1 : 0));
        auto enumProp = [&](const char* key, int64_t def) {
            const NamedProp* np = FindProp(schema, key);
            const json* x = n.Get(key);
            props.push_back(x ? ValueFromJson(&schema, np, np->propid, *x, n.At(key)) : Num(np->propid, def));
        };
        enumProp("sensitivity", 0);
        enumProp("busy", 2);
        props.push_back(Num(0x0044000B, allDay ? 1 : 0));
        props.push_back(Bytes(0x00480041, EncodeTimeZone(zone)));
        if (rec) {
            Recurrence r = Pattern(*rec, n.At("recurrence"), localStart, duration, allDay);
            std::vector<uint8_t> bytes;
            Status st = EncodeRecurrence(r, &bytes);
            if (st != Status::kOk) Fail(n.At("recurrence"), StatusText(st));
            props.push_back(Bytes(0x203F0064, std::move(bytes)));
        }
        props.push_back(Num(kPropRecid, recid));
        if (const json* x = n.Get("notes")) props.push_back(Txt(0x101F001F, U16(*x, n.At("notes"))));
        props.push_back(Txt(0x0020001F, n.Get("subject") ? U16(*n.Get("subject"), n.At("subject")) : u""));
        if (const json* x = n.Get("location")) props.push_back(Txt(0x0041001F, U16(*x, n.At("location"))));
        bool reminder = false;
        if (const json* x = n.Get("reminder")) reminder = Bool(*x, n.At("reminder"));
        props.push_back(Num(0x0028000B, reminder ? 1 : 0));
        if (const json* att = n.Get("attendees")) {
            Array(*att, n.At("attendees"));
            std::u16string all;
            for (size_t i = 0; i < att->size(); ++i)
                all += (i ? u";" : u"") + U16((*att)[i], Idx(n.At("attendees"), i));
            if (!all.empty()) props.push_back(Bytes(0x205F0064, Utf16Bytes(all)));
        }
        Extra(kAppointmentsDb, n, &props);
        Categories(kAppointmentsDb, PoomId(kAppointmentsDb, recid), n);
        n.Done();
        Add(kAppointmentsDb, where, std::move(props));
    }

    void Task(const json& v, const std::string& where) {
        Node n(v, where);
        const DbSchema& schema = *FindSchema(kTasksDb);
        uint32_t recid = Recid(kTasksDb, n);
        std::vector<cedb::PropValue> props;
        props.push_back(Txt(0x0020001F, U16(n.Need("subject"), n.At("subject"))));
        auto enumProp = [&](const char* key, int64_t def) {
            const NamedProp* np = FindProp(schema, key);
            const json* x = n.Get(key);
            props.push_back(x ? ValueFromJson(&schema, np, np->propid, *x, n.At(key)) : Num(np->propid, def));
        };
        enumProp("sensitivity", 0);
        const json* reminder = n.Get("reminder");
        props.push_back(Num(0x0028000B, reminder ? 1 : 0));
        // Undated fields hold the no-date value, which the agenda tests for.
        auto date = [&](const char* key, uint32_t propid) -> int64_t {
            const json* x = n.Get(key);
            int64_t ft = x ? int64_t(FiletimeFromCivil({Date(*x, n.At(key)), 0, 0, 0})) : int64_t(NoDateFiletime());
            props.push_back(Num(propid, ft));
            return x ? ft : -1;
        };
        int64_t startFt = date("start", 0x00620040);
        int64_t dueFt = date("due", 0x00630040);
        if (startFt >= 0 && dueFt >= 0 && dueFt < startFt) Fail(n.At("due"), "due before the start date");
        enumProp("importance", 1);
        const json* done = n.Get("complete");
        const json* completed = n.Get("completed");
        bool complete = done ? Bool(*done, n.At("complete")) : completed != nullptr;
        if (done && !complete && completed) Fail(where, "\"completed\" is set but \"complete\" is false");
        props.push_back(Num(0x1065000B, complete ? 1 : 0));
        date("completed", 0x00640040);
        bool recurring = false;
        if (const json* x = n.Get("recurring")) recurring = Bool(*x, n.At("recurring"));
        props.push_back(Num(0x0022000B, recurring ? 1 : 0));
        if (reminder) {
            int64_t local = LocalDateTime(*reminder, defaultZone, n.At("reminder"));
            props.push_back(Num(0x10660040, int64_t(FiletimeFromMinutes(LocalToUtc(defaultZone, local)))));
        }
        if (const json* x = n.Get("notes")) props.push_back(Txt(0x101F001F, U16(*x, n.At("notes"))));
        props.push_back(Num(kPropRecid, recid));
        Extra(kTasksDb, n, &props);
        Categories(kTasksDb, PoomId(kTasksDb, recid), n);
        n.Done();
        Add(kTasksDb, where, std::move(props));
    }

    uint32_t ItemRef(const json& v, const std::string& where) {
        if (v.is_number_integer() || (v.is_string() && v.get<std::string>().rfind("0x", 0) == 0))
            return uint32_t(IntOrHex(v, 0, UINT32_MAX, where));
        std::string s = Str(v, where);
        size_t colon = s.find(':');
        std::string kind = s.substr(0, colon);
        const char* db = kind == "appointment" ? kAppointmentsDb
                         : kind == "task"      ? kTasksDb
                         : kind == "contact"   ? kContactsDb
                                               : nullptr;
        if (!db || colon == std::string::npos)
            Fail(where, "expected \"appointment:ID\", \"task:ID\", \"contact:ID\" or a number");
        char* end = nullptr;
        unsigned long id = std::strtoul(s.c_str() + colon + 1, &end, 10);
        if (*end || colon + 1 == s.size() || id == 0 || id > kMaxRecid) Fail(where, "bad item id in \"" + s + "\"");
        if (!used[db].count(uint32_t(id))) Fail(where, "no " + kind + " with id " + std::to_string(id));
        return PoomId(db, uint32_t(id));
    }

    void Link(const json& v, const std::string& where) {
        Node n(v, where);
        std::string store = Str(n.Need("store"), n.At("store"));
        uint32_t item = ItemRef(n.Need("item"), n.At("item"));
        if (store == "named_prop") {
            uint32_t named = uint32_t(IntOrHex(n.Need("named_prop"), 0, UINT32_MAX, n.At("named_prop")));
            const DbSchema& s = *FindSchema(kNamedPropDb);
            cedb::PropValue icon = ValueFromJson(&s, FindProp(s, "icon"), 0x00030041, n.Need("icon"), n.At("icon"));
            Add(kNamedPropDb, where,
                {Num(0x00010013, item), Num(0x00020013, named), icon, Num(kPropRecid, Fresh(kNamedPropDb, where))});
        } else if (store == "fusion") {
            uint32_t number;
            if (const json* x = n.Get("link_number")) {
                number = uint32_t(Int(*x, 1, INT16_MAX, n.At("link_number")));
                if (!linkNumbers.insert(number).second) Fail(n.At("link_number"), "link number in use");
            } else {
                number = 1;
                while (linkNumbers.count(number)) ++number;
                if (number > uint32_t(INT16_MAX)) Fail(where, "no free link number");
                linkNumbers.insert(number);
            }
            int64_t kind = 6;
            if (const json* x = n.Get("link_kind")) kind = Int(*x, INT16_MIN, INT16_MAX, n.At("link_kind"));
            Add(kFusionDb, where,
                {Num(0x00010003, int32_t(item)), Num(0x00020002, number), Num(0x00030002, kind),
                 Txt(0x0005001F, U16(n.Need("path"), n.At("path"))), Num(kPropRecid, Fresh(kFusionDb, where))});
        } else {
            Fail(n.At("store"), "unknown link store \"" + store + "\" (named_prop, fusion)");
        }
        n.Done();
    }
};

}  // namespace

Plan PlanFixture(const json& doc, const std::string& baseDir, const StoreState& existing) {
    Planner p(existing);
    p.baseDir = baseDir;
    Node root(doc, "$");
    if (const json* z = root.Get("timezone")) p.defaultZone = Zone(*z, "$.timezone");
    static const std::pair<const char*, const char*> kLists[] = {
        {"categories", kCategoryDb}, {"contacts", kContactsDb},
        {"appointments", kAppointmentsDb}, {"tasks", kTasksDb}};
    for (const auto& [key, db] : kLists)
        if (const json* list = root.Get(key)) p.Reserve(db, Array(*list, std::string("$.") + key), std::string("$.") + key);
    if (const json* c = root.Get("categories"))
        for (size_t i = 0; i < c->size(); ++i) p.Category((*c)[i], Idx("$.categories", i));
    if (const json* c = root.Get("contacts"))
        for (size_t i = 0; i < c->size(); ++i) p.Contact((*c)[i], Idx("$.contacts", i));
    if (const json* a = root.Get("appointments"))
        for (size_t i = 0; i < a->size(); ++i) p.Appointment((*a)[i], Idx("$.appointments", i));
    if (const json* t = root.Get("tasks"))
        for (size_t i = 0; i < t->size(); ++i) p.Task((*t)[i], Idx("$.tasks", i));
    if (const json* l = root.Get("links")) {
        Array(*l, "$.links");
        for (size_t i = 0; i < l->size(); ++i) p.Link((*l)[i], Idx("$.links", i));
    }
    root.Done();
    Plan plan;
    for (const DbSchema& s : Schemas()) {
        auto it = p.out.find(s.name);
        if (it != p.out.end()) plan.databases.emplace_back(s.name, std::move(it->second));
    }
    return plan;
}

}  // namespace devctl
