// cedb.dll: the CE property-database API over the storage engine.
//
// Volumes are mounted once per process (by full path) and ref-counted; each gets a
// CEGUID whose Data1 is a per-process volume number. Database and find handles are
// addresses in reserved, never committed address space, handed out once each: a
// value is never a kernel handle and is never reused, so a stale database handle
// passed to CloseHandle twice fails instead of closing some other object. The
// CloseHandle shim in cecompat asks CeSim_CloseDatabaseHandle first. Notifications: every change reaches the volume's change history (the
// engine's), and Dispatch turns history entries into posted WM_DBNOTIFICATIONs, in
// sequence order, once each. Own writes dispatch at once; a per-volume watcher thread
// catches writes by other processes (Wine or native) through a folder change
// notification, with a short poll as the fallback.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "raii.h"
#include "volume.h"
#include "windbase.h"

namespace {

// Longest a change by another process waits when the folder notification is missed.
constexpr DWORD kPollMs = 150;

DWORD Win32Error(cedb::Error e) {
    switch (e) {
    case cedb::Error::kOk: return ERROR_SUCCESS;
    case cedb::Error::kNotFound: return ERROR_FILE_NOT_FOUND;
    case cedb::Error::kExists: return ERROR_DUP_NAME;
    case cedb::Error::kInvalid: return ERROR_INVALID_PARAMETER;
    case cedb::Error::kCorrupt: return ERROR_FILE_CORRUPT;
    case cedb::Error::kIo: return ERROR_GEN_FAILURE;
    case cedb::Error::kLocked: return ERROR_LOCK_VIOLATION;
    case cedb::Error::kFull: return ERROR_DISK_FULL;
    }
    return ERROR_GEN_FAILURE;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::u16string U16(const wchar_t* s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s));
}

// FindFirstChangeNotification handles are not closed by CloseHandle.
struct ChangeWatch {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~ChangeWatch() {
        if (h != INVALID_HANDLE_VALUE) FindCloseChangeNotification(h);
    }
};

struct Subscription {
    uint32_t dboid;
    HWND hwnd;
    DWORD param;
    HANDLE heap;
};

class VolumeEntry : public std::enable_shared_from_this<VolumeEntry> {
public:
    VolumeEntry(DWORD id, std::wstring path, std::unique_ptr<cedb::Volume> vol)
        : id_(id), path_(std::move(path)), vol_(std::move(vol)), dispatched_(vol_->LastSeq()) {}

    // The watcher thread holds a reference of its own, so by the time this runs it
    // is gone or was never started: nothing waits for a thread here. A wait could
    // come from a library's unload, with the loader lock held, and the thread
    // cannot end without that lock.
    ~VolumeEntry() = default;

    // The last mount went away: the watcher ends on its own, unwaited for.
    void StopWatcher() {
        std::lock_guard<std::mutex> g(threadMu_);
        if (stop_) SetEvent(stop_.get());
    }

    CEGUID Guid() const { return CEGUID{id_, 0, 0, 0}; }
    cedb::Volume& vol() { return *vol_; }
    int mounts = 0;

    void Subscribe(const void* owner, const Subscription& s) {
        {
            std::lock_guard<std::mutex> g(subsMu_);
            subs_[owner] = s;
        }
        StartWatcher();
    }
    void Unsubscribe(const void* owner) {
        std::lock_guard<std::mutex> g(subsMu_);
        subs_.erase(owner);
    }

    // Posts a notification for each change not yet dispatched to every request on
    // the changed database.
    void Dispatch() {
        std::lock_guard<std::mutex> d(dispatchMu_);
        std::vector<cedb::Change> changes = vol_->ChangesSince(dispatched_);
        if (changes.empty()) return;
        dispatched_ = changes.back().seq;
        std::lock_guard<std::mutex> g(subsMu_);
        for (const cedb::Change& c : changes) {
            UINT type = c.kind == cedb::ChangeKind::kCreated   ? DB_CEOID_CREATED
                        : c.kind == cedb::ChangeKind::kChanged ? DB_CEOID_CHANGED
                        : c.kind == cedb::ChangeKind::kDeleted ? DB_CEOID_RECORD_DELETED
                                                               : 0;
            if (!type) continue;
            for (const auto& entry : subs_) {
                const Subscription& s = entry.second;
                if (s.dboid != c.dboid) continue;
                auto* n = static_cast<CENOTIFICATION*>(
                    s.heap ? HeapAlloc(s.heap, HEAP_ZERO_MEMORY, sizeof(CENOTIFICATION))
                           : LocalAlloc(LPTR, sizeof(CENOTIFICATION)));
                if (!n) continue;
                n->dwSize = sizeof(CENOTIFICATION);
                n->dwParam = s.param;
                n->uType = type;
                n->guid = Guid();
                n->oid = c.oid;
                n->oidParent = c.dboid;
                if (!PostMessageW(s.hwnd, WM_DBNOTIFICATION, 0, reinterpret_cast<LPARAM>(n))) {
                    if (s.heap)
                        HeapFree(s.heap, 0, n);
                    else
                        LocalFree(n);
                }
            }
        }
    }

private:
    void StartWatcher() {
        std::lock_guard<std::mutex> g(threadMu_);
        if (thread_) return;
        stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!stop_) return;
        // The thread runs code of this library: keep it loaded for the process's life.
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&Win32Error), &self);
        auto* keep = new std::shared_ptr<VolumeEntry>(shared_from_this());
        thread_.reset(CreateThread(nullptr, 0, &VolumeEntry::WatchMain, keep, 0, nullptr));
        if (!thread_) delete keep;
    }

    static DWORD WINAPI WatchMain(void* p) {
        std::unique_ptr<std::shared_ptr<VolumeEntry>> keep(static_cast<std::shared_ptr<VolumeEntry>*>(p));
        VolumeEntry* self = keep->get();
        std::wstring folder = self->path_.substr(0, self->path_.find_last_of(L'\\') + 1);
        ChangeWatch watch;
        watch.h = FindFirstChangeNotificationW(
            folder.c_str(), FALSE,
            FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_FILE_NAME);
        HANDLE waits[2] = {self->stop_.get(), watch.h};
        DWORD count = watch.h != INVALID_HANDLE_VALUE ? 2 : 1;
        for (;;) {
            DWORD r = WaitForMultipleObjects(count, waits, FALSE, kPollMs);
            if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
            if (r == WAIT_OBJECT_0 + 1) FindNextChangeNotification(watch.h);
            self->Dispatch();
        }
        return 0;
    }

    const DWORD id_;
    const std::wstring path_;
    std::unique_ptr<cedb::Volume> vol_;

    std::mutex dispatchMu_;  // before subsMu_
    uint64_t dispatched_;
    std::mutex subsMu_;
    std::map<const void*, Subscription> subs_;

    std::mutex threadMu_;
    raii::Handle stop_;
    raii::Handle thread_;
};

enum class Kind { kDatabase, kFind };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    const Kind kind;
};

// Handle values: successive addresses in reserved address space (see the top).
class HandleSpace {
public:
    HANDLE Next() {
        std::lock_guard<std::mutex> g(mu_);
        if (next_ == end_) {
            void* base = VirtualAlloc(nullptr, kChunk, MEM_RESERVE, PAGE_NOACCESS);
            if (!base) return INVALID_HANDLE_VALUE;
            next_ = reinterpret_cast<uintptr_t>(base);
            end_ = next_ + kChunk;
        }
        HANDLE h = reinterpret_cast<HANDLE>(next_);
        next_ += 4;
        return h;
    }

private:
    static constexpr size_t kChunk = 4u << 20;  // a million handles per reservation
    std::mutex mu_;
    uintptr_t next_ = 0, end_ = 0;
};

struct DbHandle : Object {
    DbHandle() : Object(Kind::kDatabase) {}
    std::mutex mu;  // one call at a time on this handle's cursor
    std::shared_ptr<VolumeEntry> vol;
    uint32_t dboid = 0;
    cedb::SortOrder order;
    std::unique_ptr<cedb::Cursor> cursor;
    bool autoIncrement = false;
    bool notify = false;
};

struct FindHandle : Object {
    FindHandle() : Object(Kind::kFind) {}
    std::mutex mu;
    std::shared_ptr<VolumeEntry> vol;
    std::vector<uint32_t> oids;
    size_t next = 0;
};

class Registry {
public:
    static Registry& Get() {
        // Never destroyed: watcher threads may still run while the process exits.
        static Registry* r = new Registry;
        return *r;
    }

    // Mounts a volume by CE path, or adds a reference to it.
    bool Mount(const wchar_t* cePath, DWORD flags, CEGUID* guid) {
        std::wstring rooted = cePath;
        // CE paths all start from the root, with or without the leading backslash.
        if (rooted.empty() || (rooted[0] != L'\\' && (rooted.size() < 2 || rooted[1] != L':')))
            rooted.insert(0, L"\\");
        wchar_t full[MAX_PATH];
        DWORD n = GetFullPathNameW(rooted.c_str(), MAX_PATH, full, nullptr);
        if (n == 0 || n >= MAX_PATH) {
            SetLastError(ERROR_BAD_PATHNAME);
            return false;
        }
        std::wstring path(full), key(path);
        CharLowerBuffW(&key[0], DWORD(key.size()));
        bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;

        std::lock_guard<std::mutex> g(mu_);
        auto it = byPath_.find(key);
        if (it != byPath_.end()) {
            if (flags == CREATE_NEW) {
                SetLastError(ERROR_FILE_EXISTS);
                return false;
            }
            std::shared_ptr<VolumeEntry>& v = volumes_[it->second];
            ++v->mounts;
            *guid = v->Guid();
            return true;
        }
        if (flags == CREATE_NEW && exists) {
            SetLastError(ERROR_FILE_EXISTS);
            return false;
        }
        cedb::Error err = cedb::Error::kOk;
        std::unique_ptr<cedb::Volume> vol = cedb::Volume::Open(Utf8(path), flags != OPEN_EXISTING, &err);
        if (!vol) {
            SetLastError(Win32Error(err == cedb::Error::kOk ? cedb::Error::kIo : err));
            return false;
        }
        DWORD id = nextId_++;
        auto entry = std::make_shared<VolumeEntry>(id, path, std::move(vol));
        entry->mounts = 1;
        volumes_[id] = entry;
        byPath_[key] = id;
        *guid = entry->Guid();
        return true;
    }

    bool Unmount(const CEGUID* guid) {
        std::shared_ptr<VolumeEntry> last;  // dropped after the lock
        std::lock_guard<std::mutex> g(mu_);
        auto it = guid ? volumes_.find(guid->Data1) : volumes_.end();
        if (it == volumes_.end() || !SameGuid(*guid, it->second->Guid())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        if (--it->second->mounts == 0) {
            last = std::move(it->second);
            last->StopWatcher();
            volumes_.erase(it);
            for (auto p = byPath_.begin(); p != byPath_.end(); ++p)
                if (p->second == guid->Data1) {
                    byPath_.erase(p);
                    break;
                }
        }
        return true;
    }

    std::shared_ptr<VolumeEntry> Volume(const CEGUID* guid) {
        std::lock_guard<std::mutex> g(mu_);
        auto it = guid ? volumes_.find(guid->Data1) : volumes_.end();
        if (it == volumes_.end() || !SameGuid(*guid, it->second->Guid())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return it->second;
    }

    HANDLE Add(std::shared_ptr<Object> obj) {
        HANDLE h = space_.Next();
        if (h == INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_NO_SYSTEM_RESOURCES);
            return h;
        }
        std::lock_guard<std::mutex> g(mu_);
        handles_[h] = std::move(obj);
        return h;
    }

    template <class T>
    std::shared_ptr<T> Find(HANDLE h, Kind kind) {
        std::lock_guard<std::mutex> g(mu_);
        auto it = handles_.find(h);
        if (it == handles_.end() || it->second->kind != kind) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        return std::static_pointer_cast<T>(it->second);
    }

    // Closes a handle of this library; false when it is none of ours.
    bool Close(HANDLE h) {
        std::shared_ptr<Object> obj;
        {
            std::lock_guard<std::mutex> g(mu_);
            auto it = handles_.find(h);
            if (it == handles_.end()) return false;
            obj = std::move(it->second);
            handles_.erase(it);
        }
        if (obj->kind == Kind::kDatabase) {
            auto db = std::static_pointer_cast<DbHandle>(obj);
            if (db->notify) db->vol->Unsubscribe(db.get());
        }
        return true;
    }

private:
    static bool SameGuid(const CEGUID& a, const CEGUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    std::mutex mu_;
    DWORD nextId_ = 1;
    std::map<DWORD, std::shared_ptr<VolumeEntry>> volumes_;
    std::map<std::wstring, DWORD> byPath_;
    std::map<HANDLE, std::shared_ptr<Object>> handles_;
    HandleSpace space_;
};


// A property as the caller wrote it, in the engine's terms.
bool FromCe(const CEPROPVAL& p, cedb::PropValue* out) {
    out->propid = p.propid;
    switch (TypeFromPropID(p.propid)) {
    case CEVT_I2: out->num = p.val.iVal; return true;
    case CEVT_UI2: out->num = p.val.uiVal; return true;
    case CEVT_I4: out->num = int32_t(p.val.lVal); return true;
    case CEVT_UI4:
    case CEVT_RECID: out->num = uint32_t(p.val.ulVal); return true;
    case CEVT_BOOL: out->num = p.val.boolVal; return true;
    case CEVT_FILETIME:
        out->num = int64_t((uint64_t(p.val.filetime.dwHighDateTime) << 32) | p.val.filetime.dwLowDateTime);
        return true;
    case CEVT_R8: std::memcpy(&out->num, &p.val.dblVal, sizeof(double)); return true;
    case CEVT_LPWSTR:
        if (!p.val.lpwstr) return false;
        out->str = U16(p.val.lpwstr);
        return true;
    case CEVT_BLOB:
    case CEVT_STREAM:
        if (p.val.blob.dwCount && !p.val.blob.lpb) return false;
        if (p.val.blob.dwCount > cedb::kMaxRecordBytes) return false;
        out->bytes.assign(p.val.blob.lpb, p.val.blob.lpb + p.val.blob.dwCount);
        return true;
    }
    return false;
}

void ToCe(const cedb::PropValue& v, CEPROPVAL* p) {
    switch (TypeFromPropID(v.propid)) {
    case CEVT_I2: p->val.iVal = short(v.num); break;
    case CEVT_UI2: p->val.uiVal = USHORT(v.num); break;
    case CEVT_I4: p->val.lVal = long(int32_t(v.num)); break;
    case CEVT_UI4:
    case CEVT_RECID: p->val.ulVal = ULONG(uint32_t(v.num)); break;
    case CEVT_BOOL: p->val.boolVal = BOOL(v.num); break;
    case CEVT_FILETIME:
        p->val.filetime.dwLowDateTime = DWORD(uint64_t(v.num));
        p->val.filetime.dwHighDateTime = DWORD(uint64_t(v.num) >> 32);
        break;
    case CEVT_R8: std::memcpy(&p->val.dblVal, &v.num, sizeof(double)); break;
    default: break;
    }
}

size_t Align4(size_t n) { return (n + 3) & ~size_t(3); }

size_t VarBytes(const cedb::PropValue& v) {
    uint16_t t = TypeFromPropID(v.propid);
    if (t == CEVT_LPWSTR) return Align4((v.str.size() + 1) * sizeof(WCHAR));
    if (t == CEVT_BLOB || t == CEVT_STREAM) return Align4(v.bytes.size());
    return 0;
}

// Moves the cursor to the record at index i of its order (past the end if none).
uint32_t SeekIndex(cedb::Cursor& c, uint32_t i) {
    uint32_t oid = c.SeekBeginning();
    while (oid && i--) oid = c.Next();
    return oid;
}

bool KeysEqual(DbHandle& db, uint32_t oid, const std::vector<cedb::PropValue>& keys) {
    cedb::Record rec;
    if (db.vol->vol().Read(oid, &rec) != cedb::Error::kOk) return false;
    for (size_t i = 0; i < keys.size(); ++i)
        if (cedb::CompareValues(rec.find(db.order.keys[i].propid), &keys[i], db.order.keys[i].flags & ~cedb::kSortDescending) != 0)
            return false;
    return true;
}

void* Alloc(HANDLE heap, void* old, size_t n) {
    if (heap) return old ? HeapReAlloc(heap, 0, old, n) : HeapAlloc(heap, 0, n);
    return old ? LocalReAlloc(old, n, LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, n);
}

}  // namespace

extern "C" {

BOOL WINAPI CeMountDBVolEx(PCEGUID pguid, LPWSTR lpszVol, CEVOLUMEOPTIONS*, DWORD dwFlags) {
    if (!pguid || !lpszVol || !*lpszVol ||
        (dwFlags != OPEN_EXISTING && dwFlags != OPEN_ALWAYS && dwFlags != CREATE_NEW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CEGUID g;
    if (!Registry::Get().Mount(lpszVol, dwFlags, &g)) return FALSE;
    *pguid = g;
    return TRUE;
}

BOOL WINAPI CeUnmountDBVol(PCEGUID pguid) { return Registry::Get().Unmount(pguid); }

BOOL WINAPI CeFlushDBVol(PCEGUID pguid) {
    auto v = Registry::Get().Volume(pguid);
    if (!v) return FALSE;
    cedb::Error e = v->vol().Flush();
    if (e != cedb::Error::kOk) {
        SetLastError(Win32Error(e));
        return FALSE;
    }
    return TRUE;
}

CEOID WINAPI CeCreateDatabaseEx2(PCEGUID pguid, CEDBASEINFOEX* info) {
    if (!info || info->wVersion != CEDBASEINFOEX_VERSION || !(info->dwFlags & CEDB_VALIDNAME) ||
        !info->szDbaseName[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t len = 0;
    while (len < CEDB_MAXDBASENAMELEN && info->szDbaseName[len]) ++len;
    std::vector<cedb::SortOrder> sorts;
    if (info->dwFlags & CEDB_VALIDSORTSPEC) {
        if (info->wNumSortOrder > CEDB_MAXSORTORDER) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        for (WORD i = 0; i < info->wNumSortOrder; ++i) {
            const SORTORDERSPECEX& s = info->rgSortSpecs[i];
            if (s.wVersion != SORTORDERSPECEX_VERSION || s.wNumProps == 0 || s.wNumProps > cedb::kMaxSortKeys) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            cedb::SortOrder o;
            o.keyFlags = s.wKeyFlags;
            for (WORD k = 0; k < s.wNumProps; ++k) o.keys.push_back({s.rgPropID[k], s.rgdwFlags[k]});
            sorts.push_back(o);
        }
    }
    auto v = Registry::Get().Volume(pguid);
    if (!v) return 0;
    std::u16string name(reinterpret_cast<const char16_t*>(info->szDbaseName), len);
    uint32_t oid = 0;
    cedb::Error e = v->vol().CreateDatabase(
        name, (info->dwFlags & CEDB_VALIDTYPE) ? info->dwDbaseType : 0, sorts, &oid);
    if (e != cedb::Error::kOk) {
        SetLastError(Win32Error(e));
        return 0;
    }
    return oid;
}

BOOL WINAPI CeDeleteDatabaseEx(PCEGUID pguid, CEOID oid) {
    auto v = Registry::Get().Volume(pguid);
    if (!v) return FALSE;
    cedb::Error e = v->vol().DeleteDatabase(oid);
    if (e != cedb::Error::kOk) {
        SetLastError(e == cedb::Error::kNotFound ? ERROR_INVALID_PARAMETER : Win32Error(e));
        return FALSE;
    }
    return TRUE;
}

HANDLE WINAPI CeFindFirstDatabaseEx(PCEGUID pguid, DWORD type) {
    auto v = Registry::Get().Volume(pguid);
    if (!v) return INVALID_HANDLE_VALUE;
    auto f = std::make_shared<FindHandle>();
    f->vol = v;
    for (const cedb::DbInfo& d : v->vol().Databases())
        if (!type || d.type == type) f->oids.push_back(d.oid);
    return Registry::Get().Add(f);
}

CEOID WINAPI CeFindNextDatabaseEx(HANDLE h, PCEGUID) {
    auto f = Registry::Get().Find<FindHandle>(h, Kind::kFind);
    if (!f) return 0;
    std::lock_guard<std::mutex> g(f->mu);
    if (f->next >= f->oids.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return 0;
    }
    return f->oids[f->next++];
}

HANDLE WINAPI CeOpenDatabaseInSession(HANDLE, PCEGUID pguid, PCEOID poid, LPWSTR name, SORTORDERSPECEX* sort,
                                      DWORD flags, CENOTIFYREQUEST* req) {
    if ((!name && (!poid || !*poid)) || (flags & ~DWORD(CEDB_AUTOINCREMENT))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (req && (req->dwSize < sizeof(CENOTIFYREQUEST) || !req->hwnd || !(req->dwFlags & CEDB_EXNOTIFICATION))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto db = std::make_shared<DbHandle>();
    if (sort) {
        if (sort->wVersion != SORTORDERSPECEX_VERSION || sort->wNumProps > cedb::kMaxSortKeys) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        db->order.keyFlags = sort->wKeyFlags;
        for (WORD k = 0; k < sort->wNumProps; ++k) db->order.keys.push_back({sort->rgPropID[k], sort->rgdwFlags[k]});
    }
    db->vol = Registry::Get().Volume(pguid);
    if (!db->vol) return INVALID_HANDLE_VALUE;
    cedb::DbInfo info;
    cedb::Error e = name ? db->vol->vol().FindDatabase(U16(name), &info) : db->vol->vol().GetDatabase(*poid, &info);
    if (e != cedb::Error::kOk) {
        SetLastError(Win32Error(e));
        return INVALID_HANDLE_VALUE;
    }
    if (poid) *poid = info.oid;
    db->dboid = info.oid;
    db->autoIncrement = (flags & CEDB_AUTOINCREMENT) != 0;
    db->cursor.reset(new cedb::Cursor(db->vol->vol(), db->dboid, db->order));
    db->cursor->SeekBeginning();  // a fresh handle stands on the first record
    HANDLE h = Registry::Get().Add(db);
    if (h == INVALID_HANDLE_VALUE) return h;
    if (req) {
        db->notify = true;
        db->vol->Subscribe(db.get(), Subscription{db->dboid, req->hwnd, req->dwParam, req->hHeap});
    }
    return h;
}

CEOID WINAPI CeSeekDatabaseEx(HANDLE h, DWORD type, DWORD value, WORD numVals, LPDWORD index) {
    auto db = Registry::Get().Find<DbHandle>(h, Kind::kDatabase);
    if (!db) return 0;
    std::lock_guard<std::mutex> g(db->mu);
    cedb::Cursor& c = *db->cursor;
    std::vector<cedb::PropValue> keys;
    if (type & (CEDB_SEEK_VALUESMALLER | CEDB_SEEK_VALUEFIRSTEQUAL | CEDB_SEEK_VALUEGREATER |
                CEDB_SEEK_VALUENEXTEQUAL | CEDB_SEEK_VALUEGREATEROREQUAL)) {
        const CEPROPVAL* vals = reinterpret_cast<const CEPROPVAL*>(static_cast<uintptr_t>(value));
        size_t n = numVals ? numVals : 1;
        if (!vals || n > db->order.keys.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        keys.resize(n);
        for (size_t i = 0; i < n; ++i)
            if (!FromCe(vals[i], &keys[i])) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
    }
    uint32_t oid = 0;
    switch (type) {
    case CEDB_SEEK_CEOID: oid = c.SeekOid(value); break;
    case CEDB_SEEK_BEGINNING: oid = SeekIndex(c, value); break;
    case CEDB_SEEK_END: {
        uint32_t count = c.Count();
        if (value < count) {
            oid = SeekIndex(c, count - 1 - value);
        } else {
            SeekIndex(c, count);
        }
        break;
    }
    case CEDB_SEEK_CURRENT: {
        // The offset is signed; a move before the first record finds nothing.
        int64_t target = int64_t(c.Index()) + int32_t(value);
        oid = target >= 0 ? SeekIndex(c, uint32_t(target)) : SeekIndex(c, c.Count());
        break;
    }
    case CEDB_SEEK_VALUEFIRSTEQUAL: oid = c.SeekFirstEqual(keys); break;
    case CEDB_SEEK_VALUENEXTEQUAL: oid = c.SeekNextEqual(keys); break;
    case CEDB_SEEK_VALUEGREATEROREQUAL: oid = c.SeekGreaterOrEqual(keys); break;
    case CEDB_SEEK_VALUEGREATER:
        oid = c.SeekGreaterOrEqual(keys);
        while (oid && KeysEqual(*db, oid, keys)) oid = c.Next();
        break;
    case CEDB_SEEK_VALUESMALLER: {
        c.SeekGreaterOrEqual(keys);
        uint32_t at = c.Index();
        oid = at > 0 ? SeekIndex(c, at - 1) : SeekIndex(c, c.Count());
        break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    if (index) *index = c.Index();
    if (!oid) SetLastError(ERROR_SEEK);
    return oid;
}

CEOID WINAPI CeReadRecordPropsEx(HANDLE h, DWORD flags, LPWORD lpcPropID, CEPROPID* ids, LPBYTE* lplpBuffer,
                                 LPDWORD lpcbBuffer, HANDLE heap) {
    auto db = Registry::Get().Find<DbHandle>(h, Kind::kDatabase);
    if (!db) return 0;
    if (!lplpBuffer || !lpcbBuffer || (flags & ~DWORD(CEDB_ALLOWREALLOC))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> g(db->mu);
    cedb::Record rec;
    uint32_t oid = 0;
    // Another process may delete the current record under us: the cursor then moves on.
    for (int tries = 0; tries < 8; ++tries) {
        oid = db->cursor->Current();
        if (!oid) {
            SetLastError(ERROR_NO_MORE_ITEMS);
            return 0;
        }
        cedb::Error e = db->vol->vol().Read(oid, &rec);
        if (e == cedb::Error::kOk) break;
        if (e != cedb::Error::kNotFound) {
            SetLastError(Win32Error(e));
            return 0;
        }
        oid = 0;
    }
    if (!oid) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return 0;
    }

    // Which properties, in which order.
    std::vector<uint32_t> wanted;
    bool all = !lpcPropID || *lpcPropID == 0 || !ids;
    if (all) {
        for (const cedb::PropValue& v : rec.props) wanted.push_back(v.propid);
    } else {
        wanted.assign(ids, ids + *lpcPropID);
    }
    std::vector<const cedb::PropValue*> found(wanted.size());
    size_t size = wanted.size() * sizeof(CEPROPVAL);
    for (size_t i = 0; i < wanted.size(); ++i) {
        // The value's own type wins over the requested id's: a request names the id.
        for (const cedb::PropValue& v : rec.props)
            if (v.propid == wanted[i]) found[i] = &v;
        if (found[i]) size += VarBytes(*found[i]);
    }
    if (size > 0xFFFFFFFFu) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (!*lplpBuffer || *lpcbBuffer < size) {
        if (!(flags & CEDB_ALLOWREALLOC)) {
            *lpcbBuffer = DWORD(size);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        void* p = Alloc(heap, *lplpBuffer, size ? size : 1);
        if (!p) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        *lplpBuffer = static_cast<LPBYTE>(p);
        *lpcbBuffer = DWORD(size);
    }
    BYTE* base = *lplpBuffer;
    auto* out = reinterpret_cast<CEPROPVAL*>(base);
    BYTE* var = base + wanted.size() * sizeof(CEPROPVAL);
    for (size_t i = 0; i < wanted.size(); ++i) {
        CEPROPVAL& p = out[i];
        std::memset(&p, 0, sizeof p);
        p.propid = wanted[i];
        const cedb::PropValue* v = found[i];
        if (!v) {
            p.wFlags = CEDB_PROPNOTFOUND;
            continue;
        }
        uint16_t t = TypeFromPropID(v->propid);
        if (t == CEVT_LPWSTR) {
            size_t bytes = (v->str.size() + 1) * sizeof(WCHAR);
            std::memcpy(var, v->str.c_str(), bytes);
            p.val.lpwstr = reinterpret_cast<LPWSTR>(var);
            p.wLenData = WORD(std::min<size_t>(bytes, 0xFFFF));
        } else if (t == CEVT_BLOB || t == CEVT_STREAM) {
            if (!v->bytes.empty()) std::memcpy(var, v->bytes.data(), v->bytes.size());
            p.val.blob.dwCount = DWORD(v->bytes.size());
            p.val.blob.lpb = var;
            p.wLenData = WORD(std::min<size_t>(v->bytes.size(), 0xFFFF));
        } else {
            ToCe(*v, &p);
        }
        var += VarBytes(*v);
    }
    if (lpcPropID) *lpcPropID = WORD(wanted.size());
    if (db->autoIncrement) db->cursor->Next();
    return oid;
}

CEOID WINAPI CeWriteRecordProps(HANDLE h, CEOID oid, WORD cProps, CEPROPVAL* vals) {
    auto db = Registry::Get().Find<DbHandle>(h, Kind::kDatabase);
    if (!db) return 0;
    if (cProps && !vals) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<cedb::PropValue> set;
    std::vector<uint32_t> del;
    for (WORD i = 0; i < cProps; ++i) {
        if (vals[i].wFlags & CEDB_PROPDELETE) {
            del.push_back(vals[i].propid);
            continue;
        }
        cedb::PropValue v;
        if (!FromCe(vals[i], &v)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        set.push_back(std::move(v));
    }
    uint32_t out = 0;
    cedb::Error e;
    {
        std::lock_guard<std::mutex> g(db->mu);
        e = db->vol->vol().Write(db->dboid, oid, set, del, &out);
    }
    if (e != cedb::Error::kOk) {
        SetLastError(e == cedb::Error::kNotFound ? ERROR_INVALID_PARAMETER : Win32Error(e));
        return 0;
    }
    db->vol->Dispatch();
    return out;
}

BOOL WINAPI CeDeleteRecord(HANDLE h, CEOID oid) {
    auto db = Registry::Get().Find<DbHandle>(h, Kind::kDatabase);
    if (!db) return FALSE;
    cedb::Error e;
    {
        std::lock_guard<std::mutex> g(db->mu);
        e = db->vol->vol().Delete(db->dboid, oid);
    }
    if (e != cedb::Error::kOk) {
        SetLastError(e == cedb::Error::kNotFound ? ERROR_INVALID_PARAMETER : Win32Error(e));
        return FALSE;
    }
    db->vol->Dispatch();
    return TRUE;
}

BOOL WINAPI CeFreeNotification(PCENOTIFYREQUEST req, PCENOTIFICATION n) {
    if (!n) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (req && req->hHeap) return HeapFree(req->hHeap, 0, n);
    return LocalFree(n) == nullptr;
}

// For the CloseHandle shim: closes h when it is a handle of this library.
BOOL WINAPI CeSim_CloseDatabaseHandle(HANDLE h) { return Registry::Get().Close(h); }

}  // extern "C"
