// devctl: fills and changes the PIM store of a device image from outside, so that
// tests and people can set up data and watch the running programs react.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fixture.h"
#include "mail.h"
#include "schema.h"
#include "store.h"
#include "text.h"

#ifndef DEVCTL_IMPORT_SCRIPT
#define DEVCTL_IMPORT_SCRIPT "import.py"
#endif

using nlohmann::json;
using namespace devctl;

namespace {

const char kUsage[] =
    "usage: devctl --device DIR [--volume NAME] COMMAND ...\n"
    "  init                     create pim.vol and FusionLinks.vol with their databases\n"
    "  load FILE.json           add the records of a fixture (checked whole before writing)\n"
    "  list DB                  print each record of a database as a JSON line\n"
    "  add DB JSON              add a record; JSON is {\"0xPROPID\"|name: value, ...}\n"
    "  set DB OID JSON          change a record (a null value removes the property)\n"
    "  delete DB OID            delete a record\n"
    "  import FILE.ics|FILE.vcf convert a calendar or address book and load it\n"
    "Mail (in mail.vol, created by the first account):\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A temporary file that is removed with its descriptor.
class TempFile {
public:
    TempFile() {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/devctl-XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) throw StoreError("cannot create a temporary file");
    }
    ~TempFile() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Where in the text a parse error happened, as line:column.
std::string LineCol(const std::string& text, size_t byte) {
    size_t line = 1, col = 1;
    for (size_t i = 0; i < byte && i < text.size(); ++i) {
        if (text[i] == '\n') { ++line; col = 1; } else { ++col; }
    }
    return std::to_string(line) + ":" + std::to_string(col);
}

json ParseJson(const std::string& text, const std::string& name) {
    try {
        return json::parse(text);
    } catch (const json::parse_error& e) {
        std::string msg = e.what();
        size_t colon = msg.find("]: ");
        throw ValueError{name + ":" + LineCol(text, e.byte ? e.byte - 1 : 0),
                         "not valid JSON (" + (colon == std::string::npos ? msg : msg.substr(colon + 3)) + ")"};
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw StoreError("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

uint32_t ParseOid(const std::string& s) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (s.empty() || *end || v == 0 || v > UINT32_MAX) throw UsageError("bad object id \"" + s + "\"");
    return uint32_t(v);
}

int CmdLoad(Store& store, const std::string& file, const std::string& displayName) {
    json doc = ParseJson(ReadFile(file), displayName);
    Plan plan = PlanFixture(doc, DirOf(file), store.State());
    store.Init();
    size_t n = store.Write(plan);
    std::cerr << "devctl: loaded " << n << " records from " << displayName << "\n";
    return 0;
}

int CmdList(Store& store, const std::string& db, const std::string& volume) {
    std::string vol = VolumeOf(db, volume);
    uint32_t dboid = store.Database(vol, db);
    cedb::Volume& v = store.Open(vol, false);
    for (uint32_t oid : v.RecordIds(dboid)) {
        cedb::Record r;
        cedb::Error e = v.Read(oid, &r);
        if (e == cedb::Error::kNotFound) continue;   // deleted meanwhile
        if (e != cedb::Error::kOk) throw StoreError("cannot read record " + std::to_string(oid) + ": " + cedb::ErrorText(e));
        json line;
        line["oid"] = oid;
        line["props"] = json::array();
        for (const cedb::PropValue& p : r.props) line["props"].push_back(PropToJson(p));
        std::cout << line.dump() << "\n";
    }
    return 0;
}

// A change given on the command line: properties to set and to remove.
void ParseChange(const std::string& db, const std::string& text, bool allowNull,
                 std::vector<cedb::PropValue>* set, std::vector<uint32_t>* del) {
    json j = ParseJson(text, "JSON argument");
    if (!j.is_object()) throw ValueError{"JSON argument", "expected an object"};
    const DbSchema* schema = FindSchema(db);
    // Wall-clock times of an appointment are in its own zone when it names one.
    std::optional<pimcodec::TimeZone> zone;
    if (auto z = j.find("timezone"); z != j.end() && z->is_string()) {
        pimcodec::TimeZone tz;
        if (pimcodec::ZoneByName(z->get<std::string>().c_str(), &tz)) zone = tz;
    }
    for (auto it = j.begin(); it != j.end(); ++it) {
        std::string where = "JSON argument." + it.key();
        const NamedProp* named;
        uint32_t propid = PropIdFromKey(schema, it.key(), &named, where);
        for (const cedb::PropValue& p : *set)
            if (p.propid == propid) throw ValueError{where, "property given twice"};
        if (it.value().is_null()) {
            if (!allowNull) throw ValueError{where, "null only removes properties with set"};
            del->push_back(propid);
            continue;
        }
        set->push_back(ValueFromJson(schema, named, propid, it.value(), where, zone ? &*zone : nullptr));
    }
}

int CmdAdd(Store& store, const std::string& db, const std::string& volume, const std::string& text) {
    std::string vol = VolumeOf(db, volume);
    uint32_t dboid = store.Database(vol, db);
    std::vector<cedb::PropValue> set;
    std::vector<uint32_t> del;
    ParseChange(db, text, false, &set, &del);
    bool hasRecid = false;
    for (const cedb::PropValue& p : set) hasRecid |= p.propid == kPropRecid;
    if (!hasRecid) {
        cedb::PropValue id;
        id.propid = kPropRecid;
        id.num = store.FreeRecid(vol, dboid);
        set.push_back(id);
    }
    cedb::Volume& v = store.Open(vol, false);
    uint32_t oid = 0;
    cedb::Error e = v.Write(dboid, 0, set, {}, &oid);
    if (e == cedb::Error::kOk) e = v.Flush();
    if (e != cedb::Error::kOk) throw StoreError(std::string("cannot add the record: ") + cedb::ErrorText(e));
    std::cout << oid << "\n";
    return 0;
}

// The record must belong to the database named, so that a stale oid from another
// database is not changed by mistake.
void CheckRecord(cedb::Volume& v, uint32_t dboid, uint32_t oid, const std::string& db) {
    cedb::Record r;
    cedb::Error e = v.Read(oid, &r);
    if (e == cedb::Error::kNotFound || (e == cedb::Error::kOk && r.dboid != dboid))
        throw StoreError("no record " + std::to_string(oid) + " in " + db);
    if (e != cedb::Error::kOk) throw StoreError(std::string("cannot read the record: ") + cedb::ErrorText(e));
}

int CmdSet(Store& store, const std::string& db, const std::string& volume, uint32_t oid, const std::string& text) {
    std::string vol = VolumeOf(db, volume);
    uint32_t dboid = store.Database(vol, db);
    std::vector<cedb::PropValue> set;
    std::vector<uint32_t> del;
    ParseChange(db, text, true, &set, &del);
    cedb::Volume& v = store.Open(vol, false);
    CheckRecord(v, dboid, oid, db);
    uint32_t out = 0;
    cedb::Error e = v.Write(dboid, oid, set, del, &out);
    if (e == cedb::Error::kOk) e = v.Flush();
    if (e != cedb::Error::kOk) throw StoreError(std::string("cannot change the record: ") + cedb::ErrorText(e));
    std::cout << oid << "\n";
    return 0;
}

int CmdDelete(Store& store, const std::string& db, const std::string& volume, uint32_t oid) {
    std::string vol = VolumeOf(db, volume);
    uint32_t dboid = store.Database(vol, db);
    cedb::Volume& v = store.Open(vol, false);
    CheckRecord(v, dboid, oid, db);
    cedb::Error e = v.Delete(dboid, oid);
    if (e == cedb::Error::kOk) e = v.Flush();
    if (e != cedb::Error::kOk) throw StoreError(std::string("cannot delete the record: ") + cedb::ErrorText(e));
    std::cout << oid << "\n";
    return 0;
}

int CmdImport(Store& store, const std::string& file) {
    const char* py = std::getenv("DEVCTL_PYTHON");
    const char* script = std::getenv("DEVCTL_IMPORT_SCRIPT");
    std::string python = py && *py ? py : "/usr/bin/python3";   // Debian's, which has the parsers
    std::string scriptPath = script && *script ? script : DEVCTL_IMPORT_SCRIPT;
    TempFile out;
    pid_t pid = ::fork();
    if (pid < 0) throw StoreError("cannot start the converter");
    if (pid == 0) {
        ::dup2(out.fd(), 1);
        std::vector<char*> argv = {const_cast<char*>(python.c_str()), const_cast<char*>(scriptPath.c_str()),
                                   const_cast<char*>(file.c_str()), nullptr};
        ::execv(argv[0], argv.data());
        std::perror(("devctl: cannot run " + python).c_str());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) throw StoreError("lost the converter");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw StoreError("the converter refused " + file + " (see above)");
    return CmdLoad(store, out.path(), file + " (converted)");
}

int Run(int argc, char** argv) {
    std::string device, volume;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--device" || a == "--volume") {
            if (i + 1 >= argc) throw UsageError(a + " needs a value");
            (a == "--device" ? device : volume) = argv[++i];
        } else if (a == "-h" || a == "--help") {
            std::cout << kUsage << kMailUsage;
            return 0;
        } else if (a.rfind("--", 0) == 0) {
            throw UsageError("unknown option " + a);
        } else {
            args.push_back(a);
        }
    }
    if (device.empty()) throw UsageError("--device DIR is required");
    if (args.empty()) throw UsageError("no command");
    Store store(device);
    const std::string& cmd = args[0];
    auto need = [&](size_t n) {
        if (args.size() != n + 1) throw UsageError(cmd + " takes " + std::to_string(n) + " argument(s)");
    };
    if (cmd == "init") {
        need(0);
        for (const std::string& c : store.Init()) std::cerr << "devctl: created " << c << "\n";
        return 0;
    }
    if (cmd == "load") { need(1); return CmdLoad(store, args[1], args[1]); }
    if (cmd == "list") { need(1); return CmdList(store, args[1], volume); }
    if (cmd == "add") { need(2); return CmdAdd(store, args[1], volume, args[2]); }
    if (cmd == "set") { need(3); return CmdSet(store, args[1], volume, ParseOid(args[2]), args[3]); }
    if (cmd == "delete") { need(2); return CmdDelete(store, args[1], volume, ParseOid(args[2])); }
    if (cmd == "import") { need(1); return CmdImport(store, args[1]); }
    if (cmd == "mail") return CmdMail(device, args);
    throw UsageError("unknown command \"" + cmd + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "devctl: " << e.what() << "\n" << kUsage << kMailUsage;
        return 2;
    } catch (const ValueError& e) {
        std::cerr << "devctl: " << e.where << ": " << e.what << "\n";
        return 1;
    } catch (const StoreError& e) {
        std::cerr << "devctl: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "devctl: " << e.what() << "\n";
        return 1;
    }
}
