// cemapi.dll: the messaging session over the device's mail volume.
//
// Every object keeps the session's shared state (the mounted volume and whether
// the session was logged off) and reads the volume afresh on each call, so what
// another process or the device tool changed is seen at once. Tables are
// snapshots. Notifications: a process-wide watcher thread notices writes to the
// volume file (its own process's and others') and wakes one hidden window per
// advise connection; that window, on the thread that called Advise, turns the
// volume's change history into MAPI notifications for the sink.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "cemapi.h"
#include "com_base.h"
#include "mailvol.h"
#include "raii.h"

using mailvol::EntryKind;
using Props = std::vector<cedb::PropValue>;

// --- Buffers -----------------------------------------------------------------------
// A buffer is a block with a header; blocks allocated "more" onto it hang off the
// header's chain and go with it.
namespace {
struct alignas(16) BlockHeader {
    BlockHeader* next;
};
}  // namespace

extern "C" SCODE WINAPI MAPIAllocateBuffer(ULONG cb, LPVOID* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    auto* h = static_cast<BlockHeader*>(calloc(1, sizeof(BlockHeader) + (cb ? cb : 1)));
    if (!h) return MAPI_E_NOT_ENOUGH_MEMORY;
    *out = h + 1;
    return S_OK;
}

extern "C" SCODE WINAPI MAPIAllocateMore(ULONG cb, LPVOID parent, LPVOID* out) {
    if (!out || !parent) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    auto* h = static_cast<BlockHeader*>(calloc(1, sizeof(BlockHeader) + (cb ? cb : 1)));
    if (!h) return MAPI_E_NOT_ENOUGH_MEMORY;
    BlockHeader* p = static_cast<BlockHeader*>(parent) - 1;
    h->next = p->next;
    p->next = h;
    *out = h + 1;
    return S_OK;
}

extern "C" ULONG WINAPI MAPIFreeBuffer(LPVOID buffer) {
    if (!buffer) return 0;
    BlockHeader* h = static_cast<BlockHeader*>(buffer) - 1;
    while (h) {
        BlockHeader* next = h->next;
        free(h);
        h = next;
    }
    return 0;
}

extern "C" void WINAPI FreeProws(LPSRowSet rows) {
    if (!rows) return;
    for (ULONG i = 0; i < rows->cRows; ++i) MAPIFreeBuffer(rows->aRow[i].lpProps);
    MAPIFreeBuffer(rows);
}

namespace {

std::atomic<long> g_initCount{0};
std::atomic<long> g_moduleRefs{0};

// --- Session state -------------------------------------------------------------------

struct Shared {
    std::unique_ptr<cedb::Volume> vol;
    std::unique_ptr<mailvol::MailVolume> mail;
    std::wstring path;
    std::atomic<bool> closed{false};
};
using SharedPtr = std::shared_ptr<Shared>;

// "\mail.vol" on the device; CEMAPI_VOLUME names another (tests keep their own).
std::wstring VolumePath() {
    wchar_t cePath[MAX_PATH] = L"\\mail.vol";
    DWORD len = GetEnvironmentVariableW(L"CEMAPI_VOLUME", cePath, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) lstrcpyW(cePath, L"\\mail.vol");
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(cePath, MAX_PATH, full, nullptr);
    return (n == 0 || n >= MAX_PATH) ? std::wstring() : std::wstring(full);
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

void KickWatchers();

// --- Property values -----------------------------------------------------------------

cedb::PropValue Bin(uint32_t tag, const std::vector<uint8_t>& bytes) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.bytes = bytes;
    return p;
}
cedb::PropValue Long(uint32_t tag, int64_t v) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.num = v;
    return p;
}
const cedb::PropValue* Find(const Props& props, uint32_t tag) {
    const uint32_t id = mailvol::StoredId(tag);
    for (const cedb::PropValue& p : props)
        if (p.propid == id) return &p;
    // A narrow string asked for where the wide one is kept, and the other way round.
    const uint32_t type = tag & 0xFFFF;
    if (type == PT_STRING8 || type == PT_UNICODE) {
        const uint32_t other = (tag & 0xFFFF0000u) | (type == PT_STRING8 ? PT_UNICODE : PT_STRING8);
        const uint32_t oid = mailvol::StoredId(other);
        for (const cedb::PropValue& p : props)
            if (p.propid == oid) return &p;
    }
    return nullptr;
}

// One value into `out`, its variable part allocated onto `base`. False: not there.
bool Fill(const Props& props, ULONG tag, SPropValue* out, void* base) {
    const cedb::PropValue* p = Find(props, tag);
    out->ulPropTag = tag;
    out->dwAlignPad = 0;
    const ULONG type = PROP_TYPE(tag);
    if (p) {
        switch (type) {
        case PT_LONG: out->Value.l = LONG(p->num); return true;
        case PT_I2: out->Value.i = short(p->num); return true;
        case PT_BOOLEAN: out->Value.b = p->num ? 1 : 0; return true;
        case PT_SYSTIME:
            out->Value.ft.dwLowDateTime = DWORD(uint64_t(p->num));
            out->Value.ft.dwHighDateTime = DWORD(uint64_t(p->num) >> 32);
            return true;
        case PT_UNICODE: {
            std::u16string s = p->str;
            if (mailvol::TypeIsBlob(p->propid)) s.assign(p->bytes.begin(), p->bytes.end());
            void* mem = nullptr;
            if (MAPIAllocateMore(ULONG((s.size() + 1) * 2), base, &mem) != S_OK) break;
            std::memcpy(mem, s.c_str(), (s.size() + 1) * 2);
            out->Value.lpszW = static_cast<LPWSTR>(mem);
            return true;
        }
        case PT_STRING8: {
            std::string s;
            if (mailvol::TypeIsBlob(p->propid))
                s.assign(p->bytes.begin(), p->bytes.end());
            else
                s = Utf8(std::wstring(p->str.begin(), p->str.end()));
            void* mem = nullptr;
            if (MAPIAllocateMore(ULONG(s.size() + 1), base, &mem) != S_OK) break;
            std::memcpy(mem, s.c_str(), s.size() + 1);
            out->Value.lpszA = static_cast<LPSTR>(mem);
            return true;
        }
        case PT_BINARY: {
            void* mem = nullptr;
            if (MAPIAllocateMore(ULONG(p->bytes.size()), base, &mem) != S_OK) break;
            if (!p->bytes.empty()) std::memcpy(mem, p->bytes.data(), p->bytes.size());
            out->Value.bin.cb = ULONG(p->bytes.size());
            out->Value.bin.lpb = static_cast<LPBYTE>(mem);
            return true;
        }
        default: break;
        }
    }
    out->ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
    out->Value.err = p ? MAPI_E_NO_SUPPORT : MAPI_E_NOT_FOUND;
    return false;
}

// A caller's value in the store's form. False for types the store does not keep.
bool FromMapi(const SPropValue& v, cedb::PropValue* out) {
    out->propid = mailvol::StoredId(v.ulPropTag);
    switch (PROP_TYPE(v.ulPropTag)) {
    case PT_LONG: out->num = v.Value.l; return true;
    case PT_BOOLEAN: out->num = v.Value.b ? 1 : 0; return true;
    case PT_SYSTIME:
        out->num = int64_t(uint64_t(v.Value.ft.dwHighDateTime) << 32 | v.Value.ft.dwLowDateTime);
        return true;
    case PT_UNICODE:
        if (!v.Value.lpszW) return false;
        out->str = reinterpret_cast<const char16_t*>(v.Value.lpszW);
        return true;
    case PT_STRING8:
        if (!v.Value.lpszA) return false;
        out->bytes.assign(v.Value.lpszA, v.Value.lpszA + strlen(v.Value.lpszA));
        return true;
    case PT_BINARY:
        if (!v.Value.bin.lpb && v.Value.bin.cb) return false;
        out->bytes.assign(v.Value.bin.lpb, v.Value.bin.lpb + v.Value.bin.cb);
        return true;
    }
    return false;
}

// Values of `tags` (or of everything in props) in one buffer. MAPI_W_ERRORS_RETURNED
// when some were missing.
HRESULT ReturnProps(const Props& props, LPSPropTagArray tags, ULONG* count, LPSPropValue* out) {
    if (!count || !out) return MAPI_E_INVALID_PARAMETER;
    *count = 0;
    *out = nullptr;
    std::vector<ULONG> want;
    if (tags) {
        want.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
    } else {
        for (const cedb::PropValue& p : props) {
            const uint16_t t = cedb::TypeOf(p.propid);
            // Kept blobs come back as binary.
            want.push_back(t == cedb::kBlob ? (p.propid & 0xFFFF0000u) | PT_BINARY : p.propid);
        }
    }
    void* base = nullptr;
    if (MAPIAllocateBuffer(ULONG(std::max<size_t>(1, want.size()) * sizeof(SPropValue)), &base) != S_OK)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* vals = static_cast<SPropValue*>(base);
    bool missing = false;
    for (size_t i = 0; i < want.size(); ++i)
        if (!Fill(props, want[i], &vals[i], base)) missing = true;
    *count = ULONG(want.size());
    *out = vals;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

// --- Objects' properties ----------------------------------------------------------

HRESULT FromError(cedb::Error e) {
    switch (e) {
    case cedb::Error::kOk: return S_OK;
    case cedb::Error::kNotFound: return MAPI_E_NOT_FOUND;
    case cedb::Error::kInvalid: return MAPI_E_INVALID_PARAMETER;
    case cedb::Error::kFull: return MAPI_E_DISK_ERROR;
    default: return MAPI_E_CALL_FAILED;
    }
}

struct Entry {
    EntryKind kind = EntryKind::kMessage;
    uint32_t oid = 0;
};

bool ParseEntry(ULONG cb, LPENTRYID id, Entry* out) {
    return id && mailvol::ParseEntryId(id, cb, &out->kind, &out->oid);
}

// The record behind an entry, checked to be of its kind. Everything it reports,
// with the properties worked out from the store's state added.
HRESULT Snapshot(Shared& s, const Entry& e, Props* out, cedb::Record* rec = nullptr) {
    if (s.closed) return MAPI_E_INVALID_OBJECT;
    uint32_t adb = 0, fdb = 0, mdb = 0;
    if (s.mail->Ids(&adb, &fdb, &mdb) != cedb::Error::kOk) return MAPI_E_NOT_FOUND;
    cedb::Record r;
    if (s.vol->Read(e.oid, &r) != cedb::Error::kOk) return MAPI_E_NOT_FOUND;
    const uint32_t want = e.kind == EntryKind::kStore ? adb : e.kind == EntryKind::kFolder ? fdb : mdb;
    if (r.dboid != want) return MAPI_E_NOT_FOUND;
    Props props = r.props;
    props.push_back(Bin(PR_ENTRYID, mailvol::MakeEntryId(e.kind, e.oid)));
    props.push_back(Bin(PR_RECORD_KEY, mailvol::MakeEntryId(e.kind, e.oid)));
    props.push_back(Bin(PR_INSTANCE_KEY, mailvol::MakeEntryId(e.kind, e.oid)));
    switch (e.kind) {
    case EntryKind::kStore: {
        props.push_back(Long(PR_OBJECT_TYPE, MAPI_STORE));
        props.push_back(Bin(PR_STORE_ENTRYID, mailvol::MakeEntryId(EntryKind::kStore, e.oid)));
        const std::pair<ULONG, mailvol::FolderKind> special[] = {
            {PR_CE_IPM_INBOX_ENTRYID, mailvol::FolderKind::kInbox},
            {PR_IPM_OUTBOX_ENTRYID, mailvol::FolderKind::kOutbox},
            {PR_IPM_SENTMAIL_ENTRYID, mailvol::FolderKind::kSent},
            {PR_IPM_WASTEBASKET_ENTRYID, mailvol::FolderKind::kDeleted},
            {PR_CE_IPM_DRAFTS_ENTRYID, mailvol::FolderKind::kDrafts},
        };
        for (const auto& sp : special) {
            uint32_t f = s.mail->FolderOf(e.oid, sp.second);
            if (f) props.push_back(Bin(sp.first, mailvol::MakeEntryId(EntryKind::kFolder, f)));
        }
        break;
    }
    case EntryKind::kFolder: {
        props.push_back(Long(PR_OBJECT_TYPE, MAPI_FOLDER));
        props.push_back(Long(PR_FOLDER_TYPE, FOLDER_GENERIC));
        const uint32_t account = uint32_t(mailvol::NumOf(r, mailvol::kTagAccount));
        props.push_back(Bin(PR_STORE_ENTRYID, mailvol::MakeEntryId(EntryKind::kStore, account)));
        int64_t total = 0, unread = 0;
        for (uint32_t m : s.mail->Messages(e.oid)) {
            cedb::Record mr;
            if (s.vol->Read(m, &mr) != cedb::Error::kOk) continue;
            ++total;
            if (!(mailvol::NumOf(mr, mailvol::kTagMessageFlags) & MSGFLAG_READ)) ++unread;
        }
        props.push_back(Long(PR_CONTENT_COUNT, total));
        props.push_back(Long(PR_CONTENT_UNREAD, unread));
        break;
    }
    case EntryKind::kMessage: {
        props.push_back(Long(PR_OBJECT_TYPE, MAPI_MESSAGE));
        const uint32_t account = uint32_t(mailvol::NumOf(r, mailvol::kTagAccount));
        const uint32_t folder = uint32_t(mailvol::NumOf(r, mailvol::kTagFolder));
        props.push_back(Bin(PR_STORE_ENTRYID, mailvol::MakeEntryId(EntryKind::kStore, account)));
        props.push_back(Bin(PR_PARENT_ENTRYID, mailvol::MakeEntryId(EntryKind::kFolder, folder)));
        if (!Find(props, PR_MESSAGE_FLAGS)) props.push_back(Long(PR_MESSAGE_FLAGS, 0));
        break;
    }
    }
    if (rec) *rec = std::move(r);
    *out = std::move(props);
    return S_OK;
}

// --- Streams ----------------------------------------------------------------------

// A read-only stream over a copy of a property's bytes.
class Stream : public com::Object<IStream> {
public:
    explicit Stream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) { ++g_moduleRefs; }
    ~Stream() override { --g_moduleRefs; }

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* read) override {
        if (!pv && cb) return STG_E_INVALIDPOINTER;
        const size_t n = pos_ < bytes_.size() ? std::min<size_t>(cb, bytes_.size() - pos_) : 0;
        if (n) std::memcpy(pv, bytes_.data() + pos_, n);
        pos_ += n;
        if (read) *read = ULONG(n);
        return n < cb ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* out) override {
        int64_t base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? int64_t(pos_)
                     : origin == STREAM_SEEK_END ? int64_t(bytes_.size()) : -1;
        if (base < 0) return STG_E_INVALIDFUNCTION;
        const int64_t to = base + move.QuadPart;
        if (to < 0) return STG_E_INVALIDFUNCTION;
        pos_ = size_t(to);
        if (out) out->QuadPart = uint64_t(to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* st, DWORD) override {
        if (!st) return STG_E_INVALIDPOINTER;
        std::memset(st, 0, sizeof(*st));
        st->type = STGTY_STREAM;
        st->cbSize.QuadPart = bytes_.size();
        st->grfMode = STGM_READ;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        auto* c = new (std::nothrow) Stream(bytes_);
        if (!c) return E_OUTOFMEMORY;
        c->pos_ = pos_;
        *out = c;
        return S_OK;
    }

protected:
    void* QueryMore(REFIID iid) override {
        return IsEqualIID(iid, IID_ISequentialStream) ? static_cast<IStream*>(this) : nullptr;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

// --- Tables -----------------------------------------------------------------------

int CompareProp(const cedb::PropValue* a, const cedb::PropValue* b) {
    return cedb::CompareValues(a, b, 0);
}

// Whether a row meets a restriction; *supported cleared for kinds not handled.
bool Matches(const Props& row, const SRestriction* r, bool* supported) {
    if (!r) return true;
    switch (r->rt) {
    case RES_AND:
        for (ULONG i = 0; i < r->res.resAnd.cRes; ++i)
            if (!Matches(row, &r->res.resAnd.lpRes[i], supported)) return false;
        return true;
    case RES_OR:
        for (ULONG i = 0; i < r->res.resOr.cRes; ++i)
            if (Matches(row, &r->res.resOr.lpRes[i], supported)) return true;
        return false;
    case RES_NOT: return !Matches(row, r->res.resNot.lpRes, supported);
    case RES_EXIST: return Find(row, r->res.resExist.ulPropTag) != nullptr;
    case RES_BITMASK: {
        const cedb::PropValue* p = Find(row, r->res.resBitMask.ulPropTag);
        const bool zero = !p || (uint32_t(p->num) & r->res.resBitMask.ulMask) == 0;
        return r->res.resBitMask.relBMR == BMR_EQZ ? zero : !zero;
    }
    case RES_PROPERTY: {
        const SPropValue* v = r->res.resProperty.lpProp;
        cedb::PropValue want;
        if (!v || !FromMapi(*v, &want)) {
            *supported = false;
            return false;
        }
        const cedb::PropValue* have = Find(row, r->res.resProperty.ulPropTag);
        if (!have) return false;
        const int c = CompareProp(have, &want);
        switch (r->res.resProperty.relop) {
        case RELOP_LT: return c < 0;
        case RELOP_LE: return c <= 0;
        case RELOP_GT: return c > 0;
        case RELOP_GE: return c >= 0;
        case RELOP_EQ: return c == 0;
        case RELOP_NE: return c != 0;
        }
        *supported = false;
        return false;
    }
    default: *supported = false; return false;
    }
}

bool ValidRestriction(const SRestriction* r, int depth = 0) {
    if (!r || depth > 16) return false;
    bool ok = true;
    Props empty;
    Matches(empty, r, &ok);
    return ok;
}

class Table : public com::Object<IMAPITable> {
public:
    Table(SharedPtr s, std::vector<Props> rows, std::vector<ULONG> columns)
        : s_(std::move(s)), all_(std::move(rows)), rows_(all_), columns_(std::move(columns)) {
        ++g_moduleRefs;
    }
    ~Table() override { --g_moduleRefs; }

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
        if (e) *e = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPMAPIADVISESINK, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetStatus(ULONG* status, ULONG* type) override {
        if (status) *status = TBLSTAT_COMPLETE;
        if (type) *type = TBLTYPE_SNAPSHOT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray tags, ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!tags || tags->cValues == 0) return MAPI_E_INVALID_PARAMETER;
        columns_.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryColumns(ULONG, LPSPropTagArray* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        void* mem = nullptr;
        if (MAPIAllocateBuffer(ULONG(CbNewSPropTagArray(columns_.size())), &mem) != S_OK)
            return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* t = static_cast<LPSPropTagArray>(mem);
        t->cValues = ULONG(columns_.size());
        std::copy(columns_.begin(), columns_.end(), t->aulPropTag);
        *out = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG, ULONG* count) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!count) return MAPI_E_INVALID_PARAMETER;
        *count = ULONG(rows_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK origin, LONG count, LONG* sought) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        int64_t base;
        if (origin == BOOKMARK_BEGINNING) base = 0;
        else if (origin == BOOKMARK_CURRENT) base = int64_t(pos_);
        else if (origin == BOOKMARK_END) base = int64_t(rows_.size());
        else return MAPI_E_INVALID_BOOKMARK;
        const int64_t to = std::max<int64_t>(0, std::min<int64_t>(int64_t(rows_.size()), base + count));
        if (sought) *sought = LONG(to - base);
        pos_ = size_t(to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRowApprox(ULONG num, ULONG den) override {
        if (den == 0 || num > den) return MAPI_E_INVALID_PARAMETER;
        pos_ = size_t(uint64_t(rows_.size()) * num / den);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryPosition(ULONG* row, ULONG* num, ULONG* den) override {
        if (!row || !num || !den) return MAPI_E_INVALID_PARAMETER;
        *row = ULONG(pos_);
        *num = ULONG(pos_);
        *den = ULONG(std::max<size_t>(1, rows_.size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindRow(LPSRestriction r, BOOKMARK origin, ULONG flags) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!ValidRestriction(r)) return MAPI_E_TOO_COMPLEX;
        if (origin == BOOKMARK_BEGINNING) pos_ = 0;
        else if (origin == BOOKMARK_END) pos_ = rows_.size();
        else if (origin != BOOKMARK_CURRENT) return MAPI_E_INVALID_BOOKMARK;
        const bool back = (flags & DIR_BACKWARD) != 0;
        for (size_t i = pos_; back ? i > 0 : i < rows_.size(); back ? --i : ++i) {
            const size_t at = back ? i - 1 : i;
            bool ok = true;
            if (Matches(rows_[at], r, &ok)) {
                pos_ = at;
                return S_OK;
            }
        }
        return MAPI_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE Restrict(LPSRestriction r, ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (r && !ValidRestriction(r)) return MAPI_E_TOO_COMPLEX;
        rows_.clear();
        for (const Props& row : all_) {
            bool ok = true;
            if (Matches(row, r, &ok)) rows_.push_back(row);
        }
        Sort();
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateBookmark(BOOKMARK*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE FreeBookmark(BOOKMARK) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SortTable(LPSSortOrderSet order, ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!order) return MAPI_E_INVALID_PARAMETER;
        if (order->cCategories != 0 || order->cExpanded != 0) return MAPI_E_TOO_COMPLEX;
        std::vector<SSortOrder> keys(order->aSort, order->aSort + order->cSorts);
        for (const SSortOrder& k : keys)
            if (k.ulOrder != TABLE_SORT_ASCEND && k.ulOrder != TABLE_SORT_DESCEND) return MAPI_E_TOO_COMPLEX;
        sort_ = std::move(keys);
        Sort();
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QuerySortOrder(LPSSortOrderSet*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG, LPSRowSet* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (count <= 0) return MAPI_E_INVALID_PARAMETER;
        const size_t n = std::min<size_t>(size_t(count), rows_.size() - std::min(pos_, rows_.size()));
        void* mem = nullptr;
        if (MAPIAllocateBuffer(ULONG(CbNewSRowSet(std::max<size_t>(1, n))), &mem) != S_OK)
            return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* set = static_cast<LPSRowSet>(mem);
        set->cRows = 0;
        for (size_t i = 0; i < n; ++i) {
            void* base = nullptr;
            if (MAPIAllocateBuffer(ULONG(columns_.size() * sizeof(SPropValue)), &base) != S_OK) {
                FreeProws(set);
                return MAPI_E_NOT_ENOUGH_MEMORY;
            }
            auto* vals = static_cast<SPropValue*>(base);
            for (size_t c = 0; c < columns_.size(); ++c) Fill(rows_[pos_ + i], columns_[c], &vals[c], base);
            set->aRow[i].ulAdrEntryPad = 0;
            set->aRow[i].cValues = ULONG(columns_.size());
            set->aRow[i].lpProps = vals;
            set->cRows = ULONG(i + 1);
        }
        pos_ += n;
        *out = set;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Abort() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG, ULONG, ULONG* status) override {
        if (status) *status = TBLSTAT_COMPLETE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) override {
        return MAPI_E_NO_SUPPORT;
    }

private:
    void Sort() {
        if (sort_.empty()) return;
        std::stable_sort(rows_.begin(), rows_.end(), [this](const Props& a, const Props& b) {
            for (const SSortOrder& k : sort_) {
                int c = CompareProp(Find(a, k.ulPropTag), Find(b, k.ulPropTag));
                if (c == 0) continue;
                return k.ulOrder == TABLE_SORT_DESCEND ? c > 0 : c < 0;
            }
            return false;
        });
    }

    SharedPtr s_;
    std::vector<Props> all_;
    std::vector<Props> rows_;
    std::vector<ULONG> columns_;
    std::vector<SSortOrder> sort_;
    size_t pos_ = 0;
};

// --- Property objects: stores, folders, messages -----------------------------------

HRESULT OpenObject(const SharedPtr& s, ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                   LPUNKNOWN* out);

template <class I>
class PropObject : public com::Object<I> {
public:
    PropObject(SharedPtr s, Entry e) : s_(std::move(s)), e_(e) { ++g_moduleRefs; }
    ~PropObject() override { --g_moduleRefs; }

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
        if (e) *e = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (pending_.empty()) return S_OK;
        uint32_t mdb = 0;
        if (e_.kind != EntryKind::kMessage || s_->mail->Ids(nullptr, nullptr, &mdb) != cedb::Error::kOk)
            return MAPI_E_NO_ACCESS;
        Props check;
        HRESULT hr = Snapshot(*s_, e_, &check);
        if (FAILED(hr)) return hr;
        cedb::Error err = s_->vol->Write(mdb, e_.oid, pending_, {}, nullptr);
        if (err != cedb::Error::kOk) return FromError(err);
        pending_.clear();
        KickWatchers();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* out) override {
        Props props;
        HRESULT hr = Snapshot(*s_, e_, &props);
        if (FAILED(hr)) {
            if (count) *count = 0;
            if (out) *out = nullptr;
            return hr;
        }
        // Changes not yet saved read back as they were set.
        for (const cedb::PropValue& p : pending_) {
            auto it = std::find_if(props.begin(), props.end(),
                                   [&](const cedb::PropValue& q) { return q.propid == p.propid; });
            if (it != props.end()) *it = p; else props.push_back(p);
        }
        return ReturnProps(props, tags, count, out);
    }
    HRESULT STDMETHODCALLTYPE GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG tag, LPCIID iid, ULONG, ULONG flags, LPUNKNOWN* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        if (!iid || !IsEqualIID(*iid, IID_IStream)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (flags & MAPI_MODIFY) return MAPI_E_NO_ACCESS;
        Props props;
        HRESULT hr = Snapshot(*s_, e_, &props);
        if (FAILED(hr)) return hr;
        const cedb::PropValue* p = Find(props, tag);
        if (!p) return MAPI_E_NOT_FOUND;
        std::vector<uint8_t> bytes;
        if (cedb::TypeOf(p->propid) == cedb::kLpwstr) {
            // Wide text streams as UTF-16 without a terminator.
            bytes.resize(p->str.size() * 2);
            if (!bytes.empty()) std::memcpy(bytes.data(), p->str.data(), bytes.size());
        } else if (cedb::TypeOf(p->propid) == cedb::kBlob) {
            bytes = p->bytes;
        } else {
            return MAPI_E_NO_SUPPORT;
        }
        auto* st = new (std::nothrow) Stream(std::move(bytes));
        if (!st) return MAPI_E_NOT_ENOUGH_MEMORY;
        *out = static_cast<IStream*>(st);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue vals, LPSPropProblemArray* problems) override {
        if (problems) *problems = nullptr;
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!vals && count) return MAPI_E_INVALID_PARAMETER;
        if (e_.kind != EntryKind::kMessage || !modify_) return MAPI_E_NO_ACCESS;
        for (ULONG i = 0; i < count; ++i) {
            // The message's place is changed by moving it, never by its properties.
            const ULONG id = PROP_ID(vals[i].ulPropTag);
            if (id == PROP_ID(mailvol::kTagAccount) || id == PROP_ID(mailvol::kTagFolder)) continue;
            cedb::PropValue p;
            if (!FromMapi(vals[i], &p)) return MAPI_E_BAD_VALUE;
            auto it = std::find_if(pending_.begin(), pending_.end(),
                                   [&](const cedb::PropValue& q) { return q.propid == p.propid; });
            if (it != pending_.end()) *it = p; else pending_.push_back(p);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                     LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                        LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override {
        return MAPI_E_NO_SUPPORT;
    }

    void AllowModify(bool m) { modify_ = m; }

protected:
    void* QueryMore(REFIID iid) override {
        return IsEqualIID(iid, __uuidof(IMAPIProp)) ? static_cast<I*>(this) : nullptr;
    }

    SharedPtr s_;
    Entry e_;
    Props pending_;
    bool modify_ = false;
};

class Message : public PropObject<IMessage> {
public:
    using PropObject::PropObject;

    HRESULT STDMETHODCALLTYPE GetAttachmentTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenAttach(ULONG, LPCIID, ULONG, LPATTACH*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CreateAttach(LPCIID, ULONG, ULONG*, LPATTACH*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE DeleteAttach(ULONG, ULONG, LPMAPIPROGRESS, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetRecipientTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE ModifyRecipients(ULONG, LPADRLIST) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SubmitMessage(ULONG) override { return MAPI_E_NO_SUPPORT; }
    // Takes effect at once, without SaveChanges.
    HRESULT STDMETHODCALLTYPE SetReadFlag(ULONG flags) override {
        Props props;
        HRESULT hr = Snapshot(*s_, e_, &props);
        if (FAILED(hr)) return hr;
        const cedb::PropValue* f = Find(props, PR_MESSAGE_FLAGS);
        uint32_t v = f ? uint32_t(f->num) : 0;
        v = (flags & CLEAR_READ_FLAG) ? (v & ~uint32_t(MSGFLAG_READ)) : (v | MSGFLAG_READ);
        if (f && uint32_t(f->num) == v) return S_OK;
        cedb::Error err = s_->mail->SetFlags(e_.oid, v);
        if (err == cedb::Error::kOk) KickWatchers();
        return FromError(err);
    }
};

// A message list's entries as object ids, all of them messages.
HRESULT MessageOids(const SharedPtr& s, LPENTRYLIST list, std::vector<uint32_t>* out) {
    if (!list || (list->cValues && !list->lpbin)) return MAPI_E_INVALID_PARAMETER;
    for (ULONG i = 0; i < list->cValues; ++i) {
        Entry e;
        if (!ParseEntry(list->lpbin[i].cb, reinterpret_cast<LPENTRYID>(list->lpbin[i].lpb), &e) ||
            e.kind != EntryKind::kMessage)
            return MAPI_E_INVALID_ENTRYID;
        out->push_back(e.oid);
    }
    return S_OK;
}

class Folder : public PropObject<IMAPIFolder> {
public:
    using PropObject::PropObject;

    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG, LPMAPITABLE* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        Props self;
        HRESULT hr = Snapshot(*s_, e_, &self);
        if (FAILED(hr)) return hr;
        std::vector<Props> rows;
        for (uint32_t m : s_->mail->Messages(e_.oid)) {
            Props p;
            if (SUCCEEDED(Snapshot(*s_, {EntryKind::kMessage, m}, &p))) rows.push_back(std::move(p));
        }
        auto* t = new (std::nothrow) Table(s_, std::move(rows),
                                           {PR_ENTRYID, PR_SUBJECT_W, PR_MESSAGE_FLAGS, PR_MESSAGE_DELIVERY_TIME});
        if (!t) return MAPI_E_NOT_ENOUGH_MEMORY;
        *out = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHierarchyTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* out) override {
        return OpenObject(s_, cb, id, iid, flags, type, out);
    }
    HRESULT STDMETHODCALLTYPE SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetSearchCriteria(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE CreateMessage(LPCIID, ULONG, LPMESSAGE*) override { return MAPI_E_NO_SUPPORT; }
    // Moves (MESSAGE_MOVE) within the account; copies are not offered.
    HRESULT STDMETHODCALLTYPE CopyMessages(LPENTRYLIST list, LPCIID, LPVOID dest, ULONG, LPMAPIPROGRESS,
                                           ULONG flags) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!(flags & MESSAGE_MOVE)) return MAPI_E_NO_SUPPORT;
        if (!dest) return MAPI_E_INVALID_PARAMETER;
        std::vector<uint32_t> oids;
        HRESULT hr = MessageOids(s_, list, &oids);
        if (FAILED(hr)) return hr;
        // The destination is one of ours: ask it for its entry identifier.
        auto* folder = static_cast<IMAPIFolder*>(dest);
        SizedSPropTagArray(1, want) = {1, {PR_ENTRYID}};
        ULONG n = 0;
        LPSPropValue v = nullptr;
        hr = folder->GetProps(reinterpret_cast<LPSPropTagArray>(&want), 0, &n, &v);
        Entry to;
        const bool ok = hr == S_OK && n == 1 && PROP_TYPE(v[0].ulPropTag) == PT_BINARY &&
                        ParseEntry(v[0].Value.bin.cb, reinterpret_cast<LPENTRYID>(v[0].Value.bin.lpb), &to) &&
                        to.kind == EntryKind::kFolder;
        MAPIFreeBuffer(v);
        if (!ok) return MAPI_E_INVALID_PARAMETER;
        for (uint32_t m : oids) {
            if (InThisFolder(m) == false) return MAPI_E_NOT_FOUND;
            cedb::Error e = s_->mail->Move(m, to.oid);
            if (e != cedb::Error::kOk) return FromError(e);
        }
        KickWatchers();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteMessages(LPENTRYLIST list, ULONG, LPMAPIPROGRESS, ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        std::vector<uint32_t> oids;
        HRESULT hr = MessageOids(s_, list, &oids);
        if (FAILED(hr)) return hr;
        for (uint32_t m : oids) {
            if (!InThisFolder(m)) return MAPI_E_NOT_FOUND;
            cedb::Error e = s_->mail->Delete(m);
            if (e != cedb::Error::kOk) return FromError(e);
        }
        KickWatchers();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateFolder(ULONG, LPTSTR, LPTSTR, LPCIID, ULONG, LPMAPIFOLDER*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE CopyFolder(ULONG, LPENTRYID, LPCIID, LPVOID, LPTSTR, ULONG, LPMAPIPROGRESS,
                                         ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE DeleteFolder(ULONG, LPENTRYID, ULONG, LPMAPIPROGRESS, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE SetReadFlags(LPENTRYLIST list, ULONG, LPMAPIPROGRESS, ULONG flags) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        std::vector<uint32_t> oids;
        HRESULT hr = MessageOids(s_, list, &oids);
        if (FAILED(hr)) return hr;
        for (uint32_t m : oids) {
            Message msg(s_, {EntryKind::kMessage, m});
            hr = msg.SetReadFlag(flags);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMessageStatus(ULONG cb, LPENTRYID id, ULONG, ULONG* status) override {
        if (!status) return MAPI_E_INVALID_PARAMETER;
        Entry e;
        if (!ParseEntry(cb, id, &e) || e.kind != EntryKind::kMessage) return MAPI_E_INVALID_ENTRYID;
        Props p;
        HRESULT hr = Snapshot(*s_, e, &p);
        if (FAILED(hr)) return hr;
        const cedb::PropValue* v = Find(p, PR_MSG_STATUS);
        *status = v ? ULONG(v->num) : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE SaveContentsSort(LPSSortOrderSet, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE EmptyFolder(ULONG, LPMAPIPROGRESS, ULONG) override { return MAPI_E_NO_SUPPORT; }

protected:
    void* QueryMore(REFIID iid) override {
        if (IsEqualIID(iid, __uuidof(IMAPIContainer))) return static_cast<IMAPIFolder*>(this);
        return PropObject::QueryMore(iid);
    }

private:
    bool InThisFolder(uint32_t m) {
        cedb::Record r;
        return s_->vol->Read(m, &r) == cedb::Error::kOk &&
               uint32_t(mailvol::NumOf(r, mailvol::kTagFolder)) == e_.oid;
    }
};

// --- Advise ----------------------------------------------------------------------

constexpr UINT kWakeMsg = WM_APP + 0x31;
const wchar_t kNotifyClass[] = L"CeMapiNotifyWindow";

class MsgStore;

// One advise connection: its window lives on the advising thread.
struct Connection {
    ULONG id = 0;
    ULONG mask = 0;
    raii::ComPtr<IMAPIAdviseSink> sink;
    HWND hwnd = nullptr;
    SharedPtr s;
    uint32_t account = 0;
    uint64_t seq = 0;
    std::map<uint32_t, uint32_t> folderOf;  // the account's messages and where they are
};

// The watcher: notices volume files changing and wakes the windows of the
// connections on them. A folder change notice on the first volume's folder is the
// fast path; a short poll of every volume's size and time catches the rest.
class Watcher {
public:
    static Watcher& Get() {
        static Watcher* w = new Watcher();  // outlives every connection; never torn down
        return *w;
    }
    void Add(HWND h, const std::wstring& path) {
        std::lock_guard<std::mutex> g(mu_);
        windows_[h] = path;
        if (!thread_) Start(path);
    }
    void Remove(HWND h) {
        std::lock_guard<std::mutex> g(mu_);
        windows_.erase(h);
    }
    // Every window, after a change by this process.
    void Kick() {
        std::lock_guard<std::mutex> g(mu_);
        for (const auto& w : windows_) PostMessageW(w.first, kWakeMsg, 0, 0);
    }

private:
    void Start(const std::wstring& path) {
        folder_ = path.substr(0, path.find_last_of(L'\\') + 1);
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&Watcher::Get), &self);
        thread_ = CreateThread(nullptr, 0, &Watcher::Main, this, 0, nullptr);
    }
    static uint64_t Stamp(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
        return (uint64_t(d.nFileSizeHigh) << 32 | d.nFileSizeLow) ^
               (uint64_t(d.ftLastWriteTime.dwHighDateTime) << 32 | d.ftLastWriteTime.dwLowDateTime);
    }
    // Wakes the windows on volumes whose stamp moved.
    void Check() {
        std::map<std::wstring, uint64_t> now;
        {
            std::lock_guard<std::mutex> g(mu_);
            for (const auto& w : windows_) now[w.second] = 0;
        }
        for (auto& p : now) p.second = Stamp(p.first);
        std::lock_guard<std::mutex> g(mu_);
        for (const auto& p : now) {
            auto last = stamps_.find(p.first);
            const bool changed = last == stamps_.end() || last->second != p.second;
            stamps_[p.first] = p.second;
            if (!changed) continue;
            for (const auto& w : windows_)
                if (w.second == p.first) PostMessageW(w.first, kWakeMsg, 0, 0);
        }
    }
    static DWORD WINAPI Main(void* p) {
        auto* self = static_cast<Watcher*>(p);
        HANDLE watch = FindFirstChangeNotificationW(self->folder_.c_str(), FALSE,
                                                    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
        for (;;) {
            if (watch != INVALID_HANDLE_VALUE) {
                if (WaitForSingleObject(watch, 150) == WAIT_OBJECT_0) FindNextChangeNotification(watch);
            } else {
                Sleep(150);
            }
            self->Check();
        }
    }

    std::mutex mu_;
    std::map<HWND, std::wstring> windows_;
    std::map<std::wstring, uint64_t> stamps_;
    std::wstring folder_;
    HANDLE thread_ = nullptr;
};

void KickWatchers() { Watcher::Get().Kick(); }

void RescanConnection(Connection& c) {
    c.folderOf.clear();
    for (const mailvol::Folder& f : c.s->mail->Folders(c.account))
        for (uint32_t m : c.s->mail->Messages(f.oid)) c.folderOf[m] = f.oid;
}

// Turns the volume's changes since the connection last looked into notifications.
void Pump(Connection& c) {
    if (c.s->closed || !c.sink) return;
    c.s->vol->Refresh();
    uint32_t mdb = 0;
    if (c.s->mail->Ids(nullptr, nullptr, &mdb) != cedb::Error::kOk) return;
    std::vector<cedb::Change> changes = c.s->vol->ChangesSince(c.seq);
    if (changes.empty()) return;
    // Changes older than the volume's history remembers were missed: what happened
    // is then worked out from the messages' places before and now.
    const bool missed = changes.front().seq > c.seq + 1;
    c.seq = changes.back().seq;

    struct Ids {
        std::vector<uint8_t> id, parent, oldParent;
    };
    std::vector<NOTIFICATION> out;
    std::vector<std::unique_ptr<Ids>> keep;
    auto add = [&](ULONG event, uint32_t m, uint32_t parent, uint32_t oldParent) {
        if (!(c.mask & event)) return;
        auto ids = std::make_unique<Ids>();
        ids->id = mailvol::MakeEntryId(EntryKind::kMessage, m);
        ids->parent = mailvol::MakeEntryId(EntryKind::kFolder, parent);
        if (oldParent) ids->oldParent = mailvol::MakeEntryId(EntryKind::kFolder, oldParent);
        NOTIFICATION n;
        std::memset(&n, 0, sizeof(n));
        n.ulEventType = event;
        if (event == fnevNewMail) {
            n.info.newmail.cbEntryID = ULONG(ids->id.size());
            n.info.newmail.lpEntryID = reinterpret_cast<LPENTRYID>(ids->id.data());
            n.info.newmail.cbParentID = ULONG(ids->parent.size());
            n.info.newmail.lpParentID = reinterpret_cast<LPENTRYID>(ids->parent.data());
        } else {
            OBJECT_NOTIFICATION& o = n.info.obj;
            o.ulObjType = MAPI_MESSAGE;
            o.cbEntryID = ULONG(ids->id.size());
            o.lpEntryID = reinterpret_cast<LPENTRYID>(ids->id.data());
            o.cbParentID = ULONG(ids->parent.size());
            o.lpParentID = reinterpret_cast<LPENTRYID>(ids->parent.data());
            if (oldParent) {
                o.cbOldID = o.cbEntryID;
                o.lpOldID = o.lpEntryID;
                o.cbOldParentID = ULONG(ids->oldParent.size());
                o.lpOldParentID = reinterpret_cast<LPENTRYID>(ids->oldParent.data());
            }
        }
        keep.push_back(std::move(ids));
        out.push_back(n);
    };

    const uint32_t inbox = c.s->mail->FolderOf(c.account, mailvol::FolderKind::kInbox);
    if (missed) {
        const std::map<uint32_t, uint32_t> before = c.folderOf;
        RescanConnection(c);
        for (const auto& [m, folder] : before)
            if (!c.folderOf.count(m)) add(fnevObjectDeleted, m, folder, 0);
        for (const auto& [m, folder] : c.folderOf) {
            auto was = before.find(m);
            if (was == before.end()) {
                add(fnevObjectCreated, m, folder, 0);
                if (folder == inbox) add(fnevNewMail, m, folder, 0);
            } else if (was->second != folder) {
                add(fnevObjectMoved, m, folder, was->second);
            } else {
                add(fnevObjectModified, m, folder, 0);
            }
        }
        changes.clear();
    }
    for (const cedb::Change& ch : changes) {
        if (ch.dboid != mdb) continue;
        auto known = c.folderOf.find(ch.oid);
        if (ch.kind == cedb::ChangeKind::kDeleted) {
            if (known == c.folderOf.end()) continue;
            add(fnevObjectDeleted, ch.oid, known->second, 0);
            c.folderOf.erase(known);
            continue;
        }
        cedb::Record r;
        if (c.s->vol->Read(ch.oid, &r) != cedb::Error::kOk) continue;  // gone again since
        if (uint32_t(mailvol::NumOf(r, mailvol::kTagAccount)) != c.account) continue;
        const uint32_t folder = uint32_t(mailvol::NumOf(r, mailvol::kTagFolder));
        if (known == c.folderOf.end()) {
            c.folderOf[ch.oid] = folder;
            add(fnevObjectCreated, ch.oid, folder, 0);
            if (folder == inbox) add(fnevNewMail, ch.oid, folder, 0);
        } else if (known->second != folder) {
            add(fnevObjectMoved, ch.oid, folder, known->second);
            known->second = folder;
        } else {
            add(fnevObjectModified, ch.oid, folder, 0);
        }
    }
    if (!out.empty()) {
        // The sink may unadvise from inside: keep it alive for the call.
        raii::ComPtr<IMAPIAdviseSink> sink = c.sink;
        sink->OnNotify(ULONG(out.size()), out.data());
    }
}

LRESULT CALLBACK NotifyProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == kWakeMsg) {
        auto* c = reinterpret_cast<Connection*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (c) Pump(*c);
        return 0;
    }
    return DefWindowProcW(h, msg, w, l);
}

HINSTANCE g_module = nullptr;

class MsgStore : public PropObject<IMsgStore> {
public:
    using PropObject::PropObject;
    ~MsgStore() override {
        while (!connections_.empty()) Unadvise(connections_.begin()->first);
    }

    HRESULT STDMETHODCALLTYPE Advise(ULONG cb, LPENTRYID id, ULONG mask, LPMAPIADVISESINK sink,
                                     ULONG* conn) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        if (!sink || !conn || mask == 0) return MAPI_E_INVALID_PARAMETER;
        if (id || cb) return MAPI_E_NO_SUPPORT;  // the whole store only
        Props self;
        HRESULT hr = Snapshot(*s_, e_, &self);
        if (FAILED(hr)) return hr;
        static std::once_flag registered;
        std::call_once(registered, [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = NotifyProc;
            wc.hInstance = g_module;
            wc.lpszClassName = kNotifyClass;
            RegisterClassW(&wc);
        });
        auto c = std::make_unique<Connection>();
        c->id = ++nextId_;
        c->mask = mask;
        sink->AddRef();
        c->sink.attach(sink);
        c->s = s_;
        c->account = e_.oid;
        s_->vol->Refresh();
        c->seq = s_->vol->LastSeq();
        RescanConnection(*c);
        c->hwnd = CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_module, nullptr);
        if (!c->hwnd) return MAPI_E_CALL_FAILED;
        SetWindowLongPtrW(c->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c.get()));
        Watcher::Get().Add(c->hwnd, s_->path);
        *conn = c->id;
        connections_[c->id] = std::move(c);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG conn) override {
        auto it = connections_.find(conn);
        if (it == connections_.end()) return MAPI_E_NOT_FOUND;
        Connection& c = *it->second;
        Watcher::Get().Remove(c.hwnd);
        SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, 0);
        DestroyWindow(c.hwnd);
        connections_.erase(it);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG,
                                              ULONG* result) override;
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* out) override {
        return OpenObject(s_, cb, id, iid, flags, type, out);
    }
    HRESULT STDMETHODCALLTYPE SetReceiveFolder(LPTSTR, ULONG, ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetReceiveFolder(LPTSTR, ULONG, ULONG* cb, LPENTRYID* id, LPTSTR* cls) override {
        if (!cb || !id) return MAPI_E_INVALID_PARAMETER;
        *cb = 0;
        *id = nullptr;
        if (cls) *cls = nullptr;
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        const uint32_t inbox = s_->mail->FolderOf(e_.oid, mailvol::FolderKind::kInbox);
        if (!inbox) return MAPI_E_NOT_FOUND;
        std::vector<uint8_t> eid = mailvol::MakeEntryId(EntryKind::kFolder, inbox);
        void* mem = nullptr;
        if (MAPIAllocateBuffer(ULONG(eid.size()), &mem) != S_OK) return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(mem, eid.data(), eid.size());
        *cb = ULONG(eid.size());
        *id = static_cast<LPENTRYID>(mem);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetReceiveFolderTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE StoreLogoff(ULONG*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AbortSubmit(ULONG, LPENTRYID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetOutgoingQueue(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SetLockState(LPMESSAGE, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE FinishedMsg(ULONG, ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE NotifyNewMail(LPNOTIFICATION) override { return MAPI_E_NO_SUPPORT; }

private:
    std::map<ULONG, std::unique_ptr<Connection>> connections_;
    ULONG nextId_ = 0;
};

HRESULT CompareIds(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG* result) {
    if (!result) return MAPI_E_INVALID_PARAMETER;
    *result = FALSE;
    Entry a, b;
    if (!ParseEntry(cb1, id1, &a) || !ParseEntry(cb2, id2, &b)) return MAPI_E_UNKNOWN_ENTRYID;
    *result = (a.kind == b.kind && a.oid == b.oid) ? TRUE : FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MsgStore::CompareEntryIDs(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG,
                                                    ULONG* result) {
    return CompareIds(cb1, id1, cb2, id2, result);
}

HRESULT OpenObject(const SharedPtr& s, ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                   LPUNKNOWN* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    if (type) *type = 0;
    if (s->closed) return MAPI_E_INVALID_OBJECT;
    Entry e;
    if (!ParseEntry(cb, id, &e)) return MAPI_E_INVALID_ENTRYID;
    Props probe;
    HRESULT hr = Snapshot(*s, e, &probe);
    if (FAILED(hr)) return hr;
    IUnknown* obj = nullptr;
    ULONG t = 0;
    switch (e.kind) {
    case EntryKind::kStore: obj = static_cast<IMsgStore*>(new (std::nothrow) MsgStore(s, e)); t = MAPI_STORE; break;
    case EntryKind::kFolder: obj = static_cast<IMAPIFolder*>(new (std::nothrow) Folder(s, e)); t = MAPI_FOLDER; break;
    case EntryKind::kMessage: {
        auto* m = new (std::nothrow) Message(s, e);
        if (m) m->AllowModify((flags & MAPI_MODIFY) != 0);
        obj = static_cast<IMessage*>(m);
        t = MAPI_MESSAGE;
        break;
    }
    }
    if (!obj) return MAPI_E_NOT_ENOUGH_MEMORY;
    if (iid) {
        hr = obj->QueryInterface(*iid, reinterpret_cast<void**>(out));
        obj->Release();
        if (FAILED(hr)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
    } else {
        *out = obj;
    }
    if (type) *type = t;
    return S_OK;
}

// --- Session -----------------------------------------------------------------------

class Session : public com::Object<IMAPISession> {
public:
    explicit Session(SharedPtr s) : s_(std::move(s)) { ++g_moduleRefs; }
    ~Session() override {
        s_->closed = true;
        --g_moduleRefs;
    }

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
        if (e) *e = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, LPMAPITABLE* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        std::vector<Props> rows;
        for (const mailvol::Account& a : s_->mail->Accounts()) {
            Props p;
            if (SUCCEEDED(Snapshot(*s_, {EntryKind::kStore, a.oid}, &p))) rows.push_back(std::move(p));
        }
        auto* t = new (std::nothrow) Table(s_, std::move(rows), {PR_ENTRYID, PR_DISPLAY_NAME_W});
        if (!t) return MAPI_E_NOT_ENOUGH_MEMORY;
        *out = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags,
                                           LPMDB* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        Entry e;
        if (!ParseEntry(cb, id, &e) || e.kind != EntryKind::kStore) return MAPI_E_INVALID_ENTRYID;
        LPUNKNOWN unk = nullptr;
        HRESULT hr = OpenObject(s_, cb, id, iid ? iid : &__uuidof(IMsgStore), flags, nullptr, &unk);
        if (FAILED(hr)) return hr;
        *out = reinterpret_cast<LPMDB>(unk);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenAddressBook(ULONG_PTR, LPCIID, ULONG, LPADRBOOK*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetStatusTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* out) override {
        return OpenObject(s_, cb, id, iid, flags, type, out);
    }
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG cb1, LPENTRYID id1, ULONG cb2, LPENTRYID id2, ULONG,
                                              ULONG* result) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        return CompareIds(cb1, id1, cb2, id2, result);
    }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE MessageOptions(ULONG_PTR, ULONG, LPTSTR, LPMESSAGE) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QueryDefaultMessageOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE EnumAdrTypes(ULONG, ULONG*, LPTSTR**) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QueryIdentity(ULONG*, LPENTRYID*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override {
        if (s_->closed) return MAPI_E_INVALID_OBJECT;
        s_->closed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDefaultStore(ULONG, ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE AdminServices(ULONG, LPSERVICEADMIN*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE ShowForm(ULONG_PTR, LPMDB, LPMAPIFOLDER, LPCIID, ULONG, LPMESSAGE, ULONG, ULONG, ULONG,
                                       ULONG, LPSTR) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE PrepareForm(LPCIID, LPMESSAGE, ULONG*) override { return MAPI_E_NO_SUPPORT; }

private:
    SharedPtr s_;
};

}  // namespace

extern "C" HRESULT WINAPI MAPIInitialize(LPVOID) {
    ++g_initCount;
    return S_OK;
}

extern "C" void WINAPI MAPIUninitialize() {
    if (g_initCount > 0) --g_initCount;
}

extern "C" HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPTSTR, LPTSTR, ULONG, LPMAPISESSION* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    if (g_initCount <= 0) return MAPI_E_NOT_INITIALIZED;
    auto s = std::make_shared<Shared>();
    s->path = VolumePath();
    if (s->path.empty()) return MAPI_E_LOGON_FAILED;
    cedb::Error err = cedb::Error::kOk;
    // A device that never had mail gets an empty store.
    s->vol = cedb::Volume::Open(Utf8(s->path), true, &err);
    if (!s->vol) return MAPI_E_LOGON_FAILED;
    s->mail = std::make_unique<mailvol::MailVolume>(*s->vol);
    if (s->mail->Init() != cedb::Error::kOk) return MAPI_E_LOGON_FAILED;
    auto* session = new (std::nothrow) Session(std::move(s));
    if (!session) return MAPI_E_NOT_ENOUGH_MEMORY;
    *out = session;
    return S_OK;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_moduleRefs == 0 ? S_OK : S_FALSE; }

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = inst;
        DisableThreadLibraryCalls(inst);
    }
    return TRUE;
}
