#include "store.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include "pimstore.h"
#include "raii.h"

namespace pim {

namespace {

constexpr wchar_t kCategoryDb[] = L"CategoryMainDB";
constexpr wchar_t kCategoryAssocDb[] = L"CategoryAssocDB";
constexpr CEPROPID kCatName = 0x0002001F;
constexpr CEPROPID kCatId = 0x00010066;
constexpr CEPROPID kAssocItem = 0x00010013;
constexpr CEPROPID kAssocCategory = 0x00020003;

// The named-property table of this volume: one record per name given out.
constexpr wchar_t kNamedPropDb[] = L"PIMNamedPropNames";
constexpr CEPROPID kNpName = 0x0001001F;
constexpr CEPROPID kNpNumber = 0x00020013;
constexpr CEPROPID kNpType = 0x00030013;
// Names whose numbers are fixed, so that fixtures can refer to them without asking:
// the item-icon properties of the Today item and of the third-party organiser.
struct WellKnown {
    const wchar_t* name;
    uint16_t number;
};
constexpr WellKnown kWellKnown[] = {{L"DR_IconName", 0x8001}, {L"PI_IconName", 0x8002}};
constexpr uint32_t kFirstFreeNumber = 0x8100;

// One LocalAlloc'd read buffer.
struct ReadBuf {
    LPBYTE p = nullptr;
    DWORD cb = 0;
    ReadBuf() = default;
    ReadBuf(const ReadBuf&) = delete;
    ReadBuf& operator=(const ReadBuf&) = delete;
    ~ReadBuf() {
        if (p) LocalFree(p);
    }
    CEPROPVAL* vals() const { return reinterpret_cast<CEPROPVAL*>(p); }
};

Prop FromVal(const CEPROPVAL& v) {
    Prop p;
    if (v.wFlags & CEDB_PROPNOTFOUND) return p;
    p.present = true;
    switch (TypeFromPropID(v.propid)) {
    case CEVT_LPWSTR: p.str = v.val.lpwstr ? v.val.lpwstr : L""; break;
    case CEVT_FILETIME:
        p.ft = (uint64_t(v.val.filetime.dwHighDateTime) << 32) | v.val.filetime.dwLowDateTime;
        break;
    case CEVT_BLOB:
    case CEVT_STREAM:
        if (v.val.blob.lpb && v.val.blob.dwCount)
            p.bytes.assign(v.val.blob.lpb, v.val.blob.lpb + v.val.blob.dwCount);
        break;
    case CEVT_I2: p.num = uint32_t(int32_t(v.val.iVal)); break;
    case CEVT_UI2: p.num = v.val.uiVal; break;
    case CEVT_BOOL: p.num = v.val.boolVal ? 1 : 0; break;
    default: p.num = v.val.ulVal; break;
    }
    return p;
}

// The CEPROPVALs of `props`; pointers into `props`, which must outlive them.
std::vector<CEPROPVAL> ToVals(const PropMap& props) {
    std::vector<CEPROPVAL> out;
    for (const auto& [id, p] : props) {
        CEPROPVAL v = {};
        v.propid = id;
        if (!p.present) {
            v.wFlags = CEDB_PROPDELETE;
            out.push_back(v);
            continue;
        }
        switch (TypeFromPropID(id)) {
        case CEVT_LPWSTR: v.val.lpwstr = const_cast<LPWSTR>(p.str.c_str()); break;
        case CEVT_FILETIME:
            v.val.filetime.dwLowDateTime = DWORD(p.ft);
            v.val.filetime.dwHighDateTime = DWORD(p.ft >> 32);
            break;
        case CEVT_BLOB:
        case CEVT_STREAM:
            v.val.blob.dwCount = DWORD(p.bytes.size());
            v.val.blob.lpb = const_cast<LPBYTE>(p.bytes.data());
            break;
        case CEVT_I2: v.val.iVal = short(p.num); break;
        case CEVT_UI2: v.val.uiVal = USHORT(p.num); break;
        case CEVT_BOOL: v.val.boolVal = p.num ? TRUE : FALSE; break;
        default: v.val.ulVal = p.num; break;
        }
        out.push_back(v);
    }
    return out;
}

Prop Num(uint32_t n) {
    Prop p;
    p.present = true;
    p.num = n;
    return p;
}
Prop Str(const std::wstring& s) {
    Prop p;
    p.present = true;
    p.str = s;
    return p;
}

// Reads the given properties of the record at the cursor (moving on when the handle
// auto-increments); 0 at the end.
CEOID ReadProps(HANDLE db, std::vector<CEPROPID> ids, std::vector<Prop>* out) {
    ReadBuf b;
    WORD n = WORD(ids.size());
    CEOID oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids.data(), &b.p, &b.cb, nullptr);
    out->clear();
    if (!oid) return 0;
    for (WORD i = 0; i < n; ++i) out->push_back(FromVal(b.vals()[i]));
    return oid;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace

uint32_t OidFromRecid(Kind kind, uint32_t recid) {
    switch (kind) {
    case Kind::kAppointment: return recid + 0x40000000u;
    case Kind::kTask: return recid - 0x40000000u;
    case Kind::kContact: return recid + 0x80000000u;
    }
    return 0;
}

bool RecidFromOid(uint32_t oid, Kind* kind, uint32_t* recid) {
    // Each kind owns one high word, given that RECIDs stay below 0x10000.
    switch (oid >> 16) {
    case 0x4000: *kind = Kind::kAppointment; break;
    case 0xC000: *kind = Kind::kTask; break;
    case 0x8000: *kind = Kind::kContact; break;
    default: return false;
    }
    *recid = oid & 0xFFFF;
    return *recid != 0;
}

const wchar_t* DatabaseName(Kind kind) {
    switch (kind) {
    case Kind::kAppointment: return L"Appointments Database";
    case Kind::kTask: return L"Tasks Database";
    case Kind::kContact: return L"Contacts Database";
    }
    return L"";
}

HRESULT LastErrorResult() {
    DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : E_FAIL;
}

std::vector<std::wstring> SplitCategories(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t comma = text.find(L',', at);
        if (comma == std::wstring::npos) comma = text.size();
        std::wstring name = text.substr(at, comma - at);
        size_t b = 0, e = name.size();
        while (b < e && iswspace(name[b])) ++b;
        while (e > b && iswspace(name[e - 1])) --e;
        name = name.substr(b, e - b);
        bool seen = false;
        for (const auto& n : out) seen = seen || SameName(n, name);
        if (!name.empty() && !seen) out.push_back(name);
        at = comma + 1;
    }
    return out;
}

std::wstring JoinCategories(const std::vector<std::wstring>& names) {
    std::wstring out;
    for (const auto& n : names) out += (out.empty() ? L"" : L", ") + n;
    return out;
}

HRESULT Store::Open(const std::wstring& volume, std::shared_ptr<Store>* out) {
    CEGUID guid;
    std::wstring path = volume;
    if (!CeMountDBVolEx(&guid, &path[0], nullptr, OPEN_EXISTING)) return LastErrorResult();
    out->reset(new Store(guid));
    return S_OK;
}

Store::~Store() { CeUnmountDBVol(&guid_); }

DbHandle Store::Open(const wchar_t* db, DWORD flags) {
    CEOID oid = 0;
    return DbHandle(CeOpenDatabaseInSession(nullptr, &guid_, &oid, const_cast<LPWSTR>(db), nullptr, flags, nullptr));
}

HRESULT Store::Find(Kind kind, uint32_t recid, CEOID* oid) {
    DbHandle db = Open(DatabaseName(kind), CEDB_AUTOINCREMENT);
    if (!db) return LastErrorResult();
    if (!CeSeekDatabaseEx(db.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return E_INVALIDARG;
    std::vector<Prop> p;
    while (CEOID at = ReadProps(db.get(), {kPropRecid}, &p)) {
        if (p[0].present && p[0].num == recid) {
            *oid = at;
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT Store::Read(Kind kind, CEOID oid, PropMap* props) {
    DbHandle db = Open(DatabaseName(kind));
    if (!db) return LastErrorResult();
    if (CeSeekDatabaseEx(db.get(), CEDB_SEEK_CEOID, oid, 0, nullptr) != oid)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    ReadBuf b;
    WORD n = 0;
    if (!CeReadRecordPropsEx(db.get(), CEDB_ALLOWREALLOC, &n, nullptr, &b.p, &b.cb, nullptr))
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    props->clear();
    for (WORD i = 0; i < n; ++i) (*props)[b.vals()[i].propid] = FromVal(b.vals()[i]);
    return S_OK;
}

HRESULT Store::RecidAt(HANDLE db, CEOID oid, uint32_t* recid) {
    if (CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr) != oid) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    std::vector<Prop> p;
    if (!ReadProps(db, {kPropRecid}, &p) || !p[0].present) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *recid = p[0].num;
    return S_OK;
}

HRESULT Store::FreeRecid(HANDLE db, CEPROPID idProp, uint32_t* recid) {
    std::set<uint32_t> used;
    if (CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
        std::vector<Prop> p;
        // The handle is not auto-incrementing: step explicitly.
        do {
            if (!ReadProps(db, {idProp}, &p)) break;
            if (p[0].present) used.insert(p[0].num);
        } while (CeSeekDatabaseEx(db, CEDB_SEEK_CURRENT, 1, 0, nullptr));
    }
    for (uint32_t r = 1; r <= kMaxRecid; ++r)
        if (!used.count(r)) {
            *recid = r;
            return S_OK;
        }
    return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

HRESULT Store::Write(Kind kind, CEOID* oid, uint32_t* recid, const PropMap& changes) {
    DbHandle db = Open(DatabaseName(kind));
    if (!db) return LastErrorResult();
    PropMap props = changes;
    if (*oid) {
        uint32_t now = 0;
        HRESULT hr = RecidAt(db.get(), *oid, &now);
        if (FAILED(hr)) return hr;
        if (now != *recid) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        props.erase(kPropRecid);
    } else {
        HRESULT hr = FreeRecid(db.get(), kPropRecid, recid);
        if (FAILED(hr)) return hr;
        props[kPropRecid] = Num(*recid);
    }
    std::vector<CEPROPVAL> vals = ToVals(props);
    if (vals.empty()) return S_OK;
    CEOID written = CeWriteRecordProps(db.get(), *oid, WORD(vals.size()), vals.data());
    if (!written) return LastErrorResult();
    *oid = written;
    return S_OK;
}

HRESULT Store::Delete(Kind kind, CEOID oid, uint32_t recid) {
    DbHandle db = Open(DatabaseName(kind));
    if (!db) return LastErrorResult();
    uint32_t now = 0;
    HRESULT hr = RecidAt(db.get(), oid, &now);
    if (FAILED(hr)) return hr;
    if (now != recid) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    if (!CeDeleteRecord(db.get(), oid)) return LastErrorResult();
    // The item's category associations go with it.
    SetCategories(OidFromRecid(kind, recid), {});
    return S_OK;
}

HRESULT Store::List(Kind kind, std::vector<std::pair<CEOID, uint32_t>>* records) {
    records->clear();
    DbHandle db = Open(DatabaseName(kind), CEDB_AUTOINCREMENT);
    if (!db) return LastErrorResult();
    if (!CeSeekDatabaseEx(db.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return S_OK;
    std::vector<Prop> p;
    while (CEOID at = ReadProps(db.get(), {kPropRecid}, &p))
        if (p[0].present && p[0].num && p[0].num <= kMaxRecid) records->push_back({at, p[0].num});
    return S_OK;
}

HRESULT Store::Categories(uint32_t itemOid, std::vector<std::wstring>* names) {
    names->clear();
    std::set<uint32_t> ids;
    {
        DbHandle assoc = Open(kCategoryAssocDb, CEDB_AUTOINCREMENT);
        if (!assoc) return LastErrorResult();
        std::vector<Prop> p;
        if (CeSeekDatabaseEx(assoc.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr))
            while (ReadProps(assoc.get(), {kAssocItem, kAssocCategory}, &p))
                if (p[0].present && p[0].num == itemOid && p[1].present) ids.insert(p[1].num);
    }
    if (ids.empty()) return S_OK;
    DbHandle cats = Open(kCategoryDb, CEDB_AUTOINCREMENT);
    if (!cats) return LastErrorResult();
    std::vector<Prop> p;
    if (CeSeekDatabaseEx(cats.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr))
        while (ReadProps(cats.get(), {kCatName, kCatId}, &p))
            if (p[0].present && !p[0].str.empty() && p[1].present && ids.count(p[1].num))
                names->push_back(p[0].str);
    return S_OK;
}

HRESULT Store::SetCategories(uint32_t itemOid, const std::vector<std::wstring>& names) {
    // Category ids by name, creating the categories the store does not have yet.
    std::vector<uint32_t> ids;
    if (!names.empty()) {
        DbHandle cats = Open(kCategoryDb);
        if (!cats) return LastErrorResult();
        std::vector<std::pair<std::wstring, uint32_t>> known;
        std::vector<Prop> p;
        if (CeSeekDatabaseEx(cats.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
            do {
                if (!ReadProps(cats.get(), {kCatName, kCatId}, &p)) break;
                if (p[0].present && p[1].present) known.push_back({p[0].str, p[1].num});
            } while (CeSeekDatabaseEx(cats.get(), CEDB_SEEK_CURRENT, 1, 0, nullptr));
        }
        for (const auto& name : names) {
            auto it = std::find_if(known.begin(), known.end(), [&](auto& k) { return SameName(k.first, name); });
            if (it != known.end()) {
                ids.push_back(it->second);
                continue;
            }
            uint32_t id = 0;
            HRESULT hr = FreeRecid(cats.get(), kCatId, &id);
            if (FAILED(hr)) return hr;
            PropMap rec = {{kCatName, Str(name)}, {kCatId, Num(id)}, {kPropRecid, Num(id)}};
            std::vector<CEPROPVAL> vals = ToVals(rec);
            if (!CeWriteRecordProps(cats.get(), 0, WORD(vals.size()), vals.data())) return LastErrorResult();
            known.push_back({name, id});
            ids.push_back(id);
        }
    }
    DbHandle assoc = Open(kCategoryAssocDb);
    if (!assoc) return LastErrorResult();
    std::vector<CEOID> old;
    std::vector<Prop> p;
    if (CeSeekDatabaseEx(assoc.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
        do {
            CEOID at = ReadProps(assoc.get(), {kAssocItem}, &p);
            if (!at) break;
            if (p[0].present && p[0].num == itemOid) old.push_back(at);
        } while (CeSeekDatabaseEx(assoc.get(), CEDB_SEEK_CURRENT, 1, 0, nullptr));
    }
    for (CEOID o : old)
        if (!CeDeleteRecord(assoc.get(), o)) return LastErrorResult();
    for (uint32_t id : ids) {
        uint32_t recid = 0;
        HRESULT hr = FreeRecid(assoc.get(), kPropRecid, &recid);
        if (FAILED(hr)) return hr;
        PropMap rec = {{kAssocItem, Num(itemOid)}, {kAssocCategory, Num(id)}, {kPropRecid, Num(recid)}};
        std::vector<CEPROPVAL> vals = ToVals(rec);
        if (!CeWriteRecordProps(assoc.get(), 0, WORD(vals.size()), vals.data())) return LastErrorResult();
    }
    return S_OK;
}

HRESULT Store::NamedPropId(const std::wstring& name, ULONG flags, CEPROPID* id) {
    *id = PIM_INVALIDID;
    const uint16_t type = LOWORD(flags);
    const bool create = (flags & PIM_CREATE) != 0;
    if (name.empty() || (flags & ~ULONG(PIM_CREATE | 0xFFFF))) return E_INVALIDARG;
    if (create && !type) return E_INVALIDARG;  // a new name needs its type
    for (const WellKnown& w : kWellKnown)
        if (name == w.name) {
            *id = (uint32_t(w.number) << 16) | (type ? type : CEVT_BLOB);
            return S_OK;
        }

    // One process at a time gives out new numbers.
    raii::Handle lock(CreateMutexW(nullptr, FALSE, L"CeSim.PimStore.NamedProps"));
    if (!lock) return LastErrorResult();
    if (WaitForSingleObject(lock.get(), 10000) == WAIT_TIMEOUT) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    struct Unlock {
        HANDLE h;
        ~Unlock() { ReleaseMutex(h); }
    } unlock{lock.get()};

    DbHandle db = Open(kNamedPropDb);
    if (!db) {
        if (!create) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        CEDBASEINFOEX info = {};
        info.wVersion = CEDBASEINFOEX_VERSION;
        info.dwFlags = CEDB_VALIDNAME;
        lstrcpynW(info.szDbaseName, kNamedPropDb, CEDB_MAXDBASENAMELEN);
        // Another process may create it at the same moment: the open below decides.
        CeCreateDatabaseEx2(&guid_, &info);
        db = Open(kNamedPropDb);
        if (!db) return LastErrorResult();
    }
    uint32_t highest = kFirstFreeNumber - 1;
    std::vector<Prop> p;
    if (CeSeekDatabaseEx(db.get(), CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
        do {
            if (!ReadProps(db.get(), {kNpName, kNpNumber, kNpType}, &p)) break;
            if (!p[0].present || !p[1].present) continue;
            highest = std::max(highest, p[1].num);
            if (p[0].str != name) continue;
            uint16_t stored = uint16_t(p[2].present ? p[2].num : CEVT_BLOB);
            // A name keeps the type it was created with.
            if (type && type != stored) return E_INVALIDARG;
            *id = (p[1].num << 16) | stored;
            return S_OK;
        } while (CeSeekDatabaseEx(db.get(), CEDB_SEEK_CURRENT, 1, 0, nullptr));
    }
    if (!create) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    if (highest >= 0xFFFE) return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    uint32_t number = highest + 1;
    PropMap rec = {{kNpName, Str(name)}, {kNpNumber, Num(number)}, {kNpType, Num(type)}};
    std::vector<CEPROPVAL> vals = ToVals(rec);
    if (!CeWriteRecordProps(db.get(), 0, WORD(vals.size()), vals.data())) return LastErrorResult();
    *id = (number << 16) | type;
    return S_OK;
}

}  // namespace pim
