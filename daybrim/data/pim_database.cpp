#include "pim_database.h"

namespace daybrim {

HANDLE PimDatabase::open(const std::wstring& name, bool autoIncrement, CENOTIFYREQUEST* request,
                         SORTORDERSPECEX* sort, const std::wstring& volume) {
    close();
    std::wstring vol = volume.empty() ? std::wstring(kPimVolume) : volume;
    if (!CeMountDBVolEx(&guid_, &vol[0], nullptr, OPEN_EXISTING)) return nullptr;
    mounted_ = true;
    std::wstring n = name;
    oid_ = 0;
    HANDLE h = CeOpenDatabaseInSession(nullptr, &guid_, &oid_, &n[0], sort, autoIncrement ? CEDB_AUTOINCREMENT : 0,
                                       request);
    handle_.reset((h == INVALID_HANDLE_VALUE) ? nullptr : h);
    if (!handle_) close();
    return handle_.get();
}

void PimDatabase::close() {
    handle_.reset();
    if (mounted_) CeUnmountDBVol(&guid_);
    mounted_ = false;
}

CEOID PimDatabase::seek(DWORD type, DWORD value, WORD valueCount) {
    if (!handle_) return 0;
    DWORD index = 0;
    return CeSeekDatabaseEx(handle_.get(), type, value, valueCount, &index);
}

SORTORDERSPECEX SortOn(CEPROPID key1, WORD keyFlags, CEPROPID key2) {
    SORTORDERSPECEX s = {};
    s.wVersion = SORTORDERSPECEX_VERSION;
    s.wNumProps = key2 ? 2 : 1;
    s.wKeyFlags = keyFlags;
    s.rgPropID[0] = key1;
    s.rgPropID[1] = key2;
    return s;
}

CEOID RecordProps::read(HANDLE db, const CEPROPID* ids, WORD count) {
    count_ = 0;
    if (!db) return 0;
    WORD n = count;
    CEOID oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, const_cast<CEPROPID*>(ids), &buffer_, &size_, nullptr);
    if (oid && buffer_) count_ = (size_ / sizeof(CEPROPVAL) < n) ? WORD(size_ / sizeof(CEPROPVAL)) : n;
    return oid;
}

const CEPROPVAL* RecordProps::get(WORD index, CEPROPID id) const {
    if (index >= count_) return nullptr;
    const CEPROPVAL* v = reinterpret_cast<const CEPROPVAL*>(buffer_) + index;
    if ((v->wFlags & CEDB_PROPNOTFOUND) || v->propid != id) return nullptr;
    return v;
}

std::wstring RecordProps::text(WORD index, CEPROPID id) const {
    const CEPROPVAL* v = get(index, id);
    return (v && v->val.lpwstr) ? std::wstring(v->val.lpwstr) : std::wstring();
}

uint32_t RecordProps::u4(WORD index, CEPROPID id, uint32_t def) const {
    const CEPROPVAL* v = get(index, id);
    return v ? uint32_t(v->val.ulVal) : def;
}

int32_t RecordProps::i4(WORD index, CEPROPID id, int32_t def) const {
    const CEPROPVAL* v = get(index, id);
    return v ? int32_t(v->val.lVal) : def;
}

int16_t RecordProps::i2(WORD index, CEPROPID id, int16_t def) const {
    const CEPROPVAL* v = get(index, id);
    return v ? v->val.iVal : def;
}

bool RecordProps::flag(WORD index, CEPROPID id) const {
    const CEPROPVAL* v = get(index, id);
    return v && v->val.boolVal;
}

uint64_t RecordProps::ticks(WORD index, CEPROPID id, uint64_t def) const {
    const CEPROPVAL* v = get(index, id);
    return v ? (uint64_t(v->val.filetime.dwHighDateTime) << 32) | v->val.filetime.dwLowDateTime : def;
}

size_t RecordProps::blob(WORD index, CEPROPID id, std::vector<uint8_t>* bytes) const {
    const CEPROPVAL* v = get(index, id);
    if (!v) return 0;
    if (bytes) {
        if (v->val.blob.lpb) bytes->assign(v->val.blob.lpb, v->val.blob.lpb + v->val.blob.dwCount);
        else bytes->clear();
    }
    return v->val.blob.dwCount;
}

}  // namespace daybrim
