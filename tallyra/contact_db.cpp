#include "contact_db.h"

namespace tallyra {

ContactDb::~ContactDb() {
    db_.reset();
    if (buffer_) LocalFree(buffer_);
    if (mounted_) CeUnmountDBVol(&volume_);
}

bool ContactDb::Open() {
    if (db_) return true;
    if (!mounted_) {
        wchar_t vol[] = L"\\pim.vol";
        mounted_ = CeMountDBVolEx(&volume_, vol, nullptr, OPEN_EXISTING) != FALSE;
        if (!mounted_) return false;
    }
    wchar_t name[] = L"Contacts Database";
    SORTORDERSPECEX sort = {};
    sort.wVersion = SORTORDERSPECEX_VERSION;
    sort.wNumProps = 1;
    sort.rgPropID[0] = prop::kFileAs;
    sort.rgdwFlags[0] = CEDB_SORT_CASEINSENSITIVE;
    CEOID oid = 0;
    HANDLE h = CeOpenDatabaseInSession(nullptr, &volume_, &oid, name, &sort, CEDB_AUTOINCREMENT, nullptr);
    if (h == INVALID_HANDLE_VALUE || !h) {
        sort.wNumProps = 2;
        sort.rgPropID[1] = prop::kSortTieBreak;
        sort.rgdwFlags[1] = CEDB_SORT_UNKNOWNFIRST;
        oid = 0;
        h = CeOpenDatabaseInSession(nullptr, &volume_, &oid, name, &sort, CEDB_AUTOINCREMENT, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE || !h) return false;
    db_.reset(h);
    return true;
}

bool ContactDb::Rewind() {
    DWORD index = 0;
    return db_ && CeSeekDatabaseEx(db_.get(), CEDB_SEEK_BEGINNING, 0, 0, &index) != 0;
}

bool ContactDb::ReadCurrent(ContactProps* out, CEOID* oid) {
    CEPROPID ids[18];
    for (int i = 0; i < 18; ++i) ids[i] = kReadOrder[i];
    WORD n = 18;
    const CEOID got = CeReadRecordPropsEx(db_.get(), CEDB_ALLOWREALLOC, &n, ids, &buffer_, &size_, nullptr);
    if (!got || !buffer_) return false;
    *out = ContactProps();
    const CEPROPVAL* v = reinterpret_cast<const CEPROPVAL*>(buffer_);
    for (WORD i = 0; i < n; ++i) {
        if (v[i].wFlags & CEDB_PROPNOTFOUND) continue;
        const uint32_t id = v[i].propid;
        if (id == prop::kDefaultNumber) {
            out->hasDefault = true;
            out->defaultNumber = v[i].val.ulVal;
            continue;
        }
        if (LOWORD(id) != CEVT_LPWSTR || !v[i].val.lpwstr) continue;
        const CeStd text = v[i].val.lpwstr;
        if (id == prop::kFileAs) out->fileAs = text;
        else if (id == prop::kFirstName) out->first = text;
        else if (id == prop::kLastName) out->last = text;
        else if (!text.empty()) out->numbers.push_back({CeString(text), id});
    }
    if (oid) *oid = got;
    return true;
}

bool ContactDb::ReadNext(ContactProps* out, CEOID* oid) { return db_ && ReadCurrent(out, oid); }

bool ContactDb::ReadById(CEOID oid, ContactProps* out) {
    if (!Open()) return false;
    DWORD index = 0;
    if (CeSeekDatabaseEx(db_.get(), CEDB_SEEK_CEOID, oid, 0, &index) != oid) return false;
    return ReadCurrent(out, nullptr);
}

}  // namespace tallyra
