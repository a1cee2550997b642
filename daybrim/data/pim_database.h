// One open database of the PIM store's volumes, and the buffer of one record read.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "raii.h"
#include "windbase.h"

namespace daybrim {

constexpr wchar_t kPimVolume[] = L"\\pim.vol";

class PimDatabase {
public:
    PimDatabase() = default;
    PimDatabase(const PimDatabase&) = delete;
    PimDatabase& operator=(const PimDatabase&) = delete;
    ~PimDatabase() { close(); }

    // Mounts `volume` (the PIM volume when empty) and opens `name` in it; the
    // handle (null on failure).
    HANDLE open(const std::wstring& name, bool autoIncrement, CENOTIFYREQUEST* request = nullptr,
                SORTORDERSPECEX* sort = nullptr, const std::wstring& volume = L"");
    void close();
    CEOID seek(DWORD type, DWORD value, WORD valueCount = 0);
    CEOID seekValues(DWORD type, CEPROPVAL* values, WORD count) {
        return seek(type, DWORD(reinterpret_cast<uintptr_t>(values)), count);
    }
    bool flush() { return mounted_ && CeFlushDBVol(&guid_); }

    HANDLE handle() const { return handle_.get(); }
    bool isOpen() const { return bool(handle_); }
    const CEGUID& volume() const { return guid_; }

private:
    raii::Handle handle_;  // closed through the device's CloseHandle, which knows databases
    CEGUID guid_ = {};
    CEOID oid_ = 0;
    bool mounted_ = false;
};

// A sort order of one or two keys.
SORTORDERSPECEX SortOn(CEPROPID key1, WORD keyFlags = 0, CEPROPID key2 = 0);

// The values of one CeReadRecordPropsEx call. The buffer is the system's (kept
// and grown across reads of a scan) and freed with LocalFree.
class RecordProps {
public:
    RecordProps() = default;
    RecordProps(const RecordProps&) = delete;
    RecordProps& operator=(const RecordProps&) = delete;
    ~RecordProps() {
        if (buffer_) LocalFree(buffer_);
    }

    // Reads the current record's `ids`; its CEOID, or 0 at the end or on failure.
    CEOID read(HANDLE db, const CEPROPID* ids, WORD count);

    // The value at `index` when it is present and is the property asked for.
    const CEPROPVAL* get(WORD index, CEPROPID id) const;
    std::wstring text(WORD index, CEPROPID id) const;
    bool has(WORD index, CEPROPID id) const { return get(index, id) != nullptr; }
    uint32_t u4(WORD index, CEPROPID id, uint32_t def = 0) const;
    int32_t i4(WORD index, CEPROPID id, int32_t def = 0) const;
    int16_t i2(WORD index, CEPROPID id, int16_t def = 0) const;
    bool flag(WORD index, CEPROPID id) const;
    // FILETIME ticks; `def` when absent.
    uint64_t ticks(WORD index, CEPROPID id, uint64_t def = 0) const;
    // Blob or stream bytes (size only when `bytes` is null).
    size_t blob(WORD index, CEPROPID id, std::vector<uint8_t>* bytes = nullptr) const;

private:
    LPBYTE buffer_ = nullptr;
    DWORD size_ = 0;
    WORD count_ = 0;
};

// The values of RecordProps::read with `ids`, taken by their position in `ids`
// (each read set names its positions).
class RecordView {
public:
    RecordView(const RecordProps& r, const CEPROPID* ids) : r_(r), ids_(ids) {}
    bool has(WORD i) const { return r_.has(i, ids_[i]); }
    std::wstring text(WORD i) const { return r_.text(i, ids_[i]); }
    uint32_t u4(WORD i, uint32_t def = 0) const { return r_.u4(i, ids_[i], def); }
    int32_t i4(WORD i) const { return r_.i4(i, ids_[i]); }
    int16_t i2(WORD i, int16_t def = 0) const { return r_.i2(i, ids_[i], def); }
    bool flag(WORD i) const { return r_.flag(i, ids_[i]); }
    uint64_t ticks(WORD i) const { return r_.ticks(i, ids_[i]); }
    size_t blob(WORD i, std::vector<uint8_t>* bytes = nullptr) const { return r_.blob(i, ids_[i], bytes); }
    CEPROPID id(WORD i) const { return ids_[i]; }

private:
    const RecordProps& r_;
    const CEPROPID* ids_;
};

}  // namespace daybrim
