// The object model's view of the PIM volume: records of the three item databases
// found by their object identifier, read and written whole through cedb, category
// associations and the named-property table. Every change goes through cedb, so
// every open notification request sees it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "windbase.h"

namespace pim {

enum class Kind { kAppointment, kTask, kContact };

constexpr CEPROPID kPropRecid = 0x10000066;
constexpr uint32_t kMaxRecid = 0xFFFF;  // the high word of an oid then gives the kind

// Object identifier <-> (kind, RECID).
uint32_t OidFromRecid(Kind kind, uint32_t recid);
bool RecidFromOid(uint32_t oid, Kind* kind, uint32_t* recid);

// One property as read or to be written. `present` false: absent (deleted on write).
struct Prop {
    bool present = false;
    std::wstring str;             // LPWSTR
    uint32_t num = 0;             // I2, UI2, I4, UI4, BOOL, RECID
    uint64_t ft = 0;              // FILETIME
    std::vector<uint8_t> bytes;   // BLOB, STREAM
};
using PropMap = std::map<CEPROPID, Prop>;

// A database handle, closed on every path.
class DbHandle {
public:
    DbHandle() = default;
    explicit DbHandle(HANDLE h) : h_(h) {}
    ~DbHandle() { reset(); }
    DbHandle(DbHandle&& o) noexcept : h_(o.h_) { o.h_ = INVALID_HANDLE_VALUE; }
    DbHandle& operator=(DbHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = o.h_;
            o.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    DbHandle(const DbHandle&) = delete;
    DbHandle& operator=(const DbHandle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset() {
        if (*this) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// One mounted volume, shared by the application object and every item it gave
// out (items outlive Logoff safely). Thread-safe as cedb is.
class Store {
public:
    // Mounts an existing volume (CE path); an HRESULT from the mount's error.
    static HRESULT Open(const std::wstring& volume, std::shared_ptr<Store>* out);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // The record of an item; E_INVALIDARG when no record has that RECID.
    HRESULT Find(Kind kind, uint32_t recid, CEOID* oid);
    HRESULT Read(Kind kind, CEOID oid, PropMap* props);
    // Writes the given properties. *oid 0: a new record, given a free RECID
    // (returned in *recid). Otherwise the record must still be the item's (same
    // RECID): a record deleted meanwhile is never re-created or mixed up with a
    // later record, the call fails with HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
    HRESULT Write(Kind kind, CEOID* oid, uint32_t* recid, const PropMap& changes);
    HRESULT Delete(Kind kind, CEOID oid, uint32_t recid);
    // The records of a database in store order.
    HRESULT List(Kind kind, std::vector<std::pair<CEOID, uint32_t>>* records);

    // Category names of an item, in the category list's order; and their replacement.
    HRESULT Categories(uint32_t itemOid, std::vector<std::wstring>* names);
    HRESULT SetCategories(uint32_t itemOid, const std::vector<std::wstring>& names);

    // The named-property id of `name` (see GetIDsFromNames in pimstore.h).
    HRESULT NamedPropId(const std::wstring& name, ULONG flags, CEPROPID* id);

private:
    explicit Store(const CEGUID& guid) : guid_(guid) {}
    DbHandle Open(const wchar_t* db, DWORD flags = 0);
    HRESULT RecidAt(HANDLE db, CEOID oid, uint32_t* recid);
    HRESULT FreeRecid(HANDLE db, CEPROPID idProp, uint32_t* recid);

    CEGUID guid_;
};

const wchar_t* DatabaseName(Kind kind);
HRESULT LastErrorResult();

// Category names from "A, B,C" (trimmed, empty and repeated names dropped) and back.
std::vector<std::wstring> SplitCategories(const std::wstring& text);
std::wstring JoinCategories(const std::vector<std::wstring>& names);

}  // namespace pim
