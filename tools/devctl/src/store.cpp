#include "store.h"

#include <sys/stat.h>

#include "text.h"

namespace devctl {

namespace {
std::u16string U16(const std::string& s) { return Utf16FromUtf8(s).value_or(u""); }

[[noreturn]] void Throw(const std::string& what, cedb::Error e) {
    throw StoreError(what + ": " + cedb::ErrorText(e));
}
}  // namespace

std::string VolumeOf(const std::string& db, const std::string& override) {
    if (!override.empty()) return override;
    const DbSchema* s = FindSchema(db);
    return s ? s->volume : kPimVolume;
}

std::string Store::PathOf(const std::string& volume) const {
    std::string v = volume;
    while (!v.empty() && (v[0] == '\\' || v[0] == '/')) v.erase(0, 1);
    for (char& c : v)
        if (c == '\\') c = '/';
    return dir_ + "/" + v;
}

bool Store::Exists(const std::string& volume) const {
    struct stat st;
    return ::stat(PathOf(volume).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

cedb::Volume& Store::Open(const std::string& volume, bool create) {
    std::string path = PathOf(volume);
    auto it = open_.find(path);
    if (it != open_.end()) return *it->second;
    if (!create && !Exists(volume)) throw StoreError("no volume " + path + " (run init or load first)");
    cedb::Error err = cedb::Error::kOk;
    std::unique_ptr<cedb::Volume> v = cedb::Volume::Open(path, create, &err);
    if (!v) Throw("cannot open " + path, err);
    return *open_.emplace(path, std::move(v)).first->second;
}

std::vector<std::string> Store::Init() {
    std::vector<std::string> created;
    for (const DbSchema& s : Schemas()) {
        cedb::Volume& vol = Open(s.volume, true);
        cedb::DbInfo info;
        cedb::Error e = vol.FindDatabase(U16(s.name), &info);
        if (e == cedb::Error::kOk) continue;
        if (e != cedb::Error::kNotFound) Throw(std::string("cannot look up ") + s.name, e);
        uint32_t dboid = 0;
        e = vol.CreateDatabase(U16(s.name), 0, s.sorts, &dboid);
        if (e != cedb::Error::kOk) Throw(std::string("cannot create ") + s.name, e);
        created.push_back(std::string(s.volume) + ": " + s.name);
    }
    for (auto& [path, vol] : open_) {
        cedb::Error e = vol->Flush();
        if (e != cedb::Error::kOk) Throw("cannot flush " + path, e);
    }
    return created;
}

uint32_t Store::Database(const std::string& volume, const std::string& name) {
    cedb::DbInfo info;
    cedb::Error e = Open(volume, false).FindDatabase(U16(name), &info);
    if (e == cedb::Error::kNotFound) throw StoreError("no database \"" + name + "\" in " + PathOf(volume));
    if (e != cedb::Error::kOk) Throw("cannot look up " + name, e);
    return info.oid;
}

StoreState Store::State() {
    StoreState st;
    for (const DbSchema& s : Schemas()) {
        if (!Exists(s.volume)) continue;
        cedb::Volume& vol = Open(s.volume, false);
        cedb::DbInfo info;
        if (vol.FindDatabase(U16(s.name), &info) != cedb::Error::kOk) continue;
        for (uint32_t oid : vol.RecordIds(info.oid)) {
            cedb::Record r;
            if (vol.Read(oid, &r) != cedb::Error::kOk) continue;
            if (const cedb::PropValue* id = r.find(kPropRecid)) st.recids[s.name].insert(uint32_t(id->num));
            if (std::string(s.name) == kCategoryDb) {
                const cedb::PropValue* name = r.find(0x0002001F);
                const cedb::PropValue* cid = r.find(0x00010066);
                if (name && cid && !name->str.empty()) st.categories[Utf8FromUtf16(name->str)] = uint32_t(cid->num);
            }
            if (std::string(s.name) == kFusionDb)
                if (const cedb::PropValue* n = r.find(0x00020002)) st.fusionLinkNumbers.insert(uint32_t(n->num));
        }
    }
    return st;
}

size_t Store::Write(const Plan& plan) {
    size_t n = 0;
    for (const auto& [db, records] : plan.databases) {
        std::string volume = VolumeOf(db, "");
        cedb::Volume& vol = Open(volume, false);
        uint32_t dboid = Database(volume, db);
        for (const PlannedRecord& r : records) {
            uint32_t oid = 0;
            cedb::Error e = vol.Write(dboid, 0, r.props, {}, &oid);
            if (e != cedb::Error::kOk) Throw("writing " + r.where + " into " + db, e);
            ++n;
        }
        cedb::Error e = vol.Flush();
        if (e != cedb::Error::kOk) Throw("cannot flush " + PathOf(volume), e);
    }
    return n;
}

uint32_t Store::FreeRecid(const std::string& volume, uint32_t dboid) {
    cedb::Volume& vol = Open(volume, false);
    std::set<uint32_t> used;
    for (uint32_t oid : vol.RecordIds(dboid)) {
        cedb::Record r;
        if (vol.Read(oid, &r) == cedb::Error::kOk)
            if (const cedb::PropValue* id = r.find(kPropRecid)) used.insert(uint32_t(id->num));
    }
    for (uint32_t id = 1; id <= kMaxRecid; ++id)
        if (!used.count(id)) return id;
    throw StoreError("no free record id left");
}

}  // namespace devctl
