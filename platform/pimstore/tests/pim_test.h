// Shared pieces of the object model's contract tests: COM set up as the device's
// programs do it, the application logged on, records put straight into the test
// device's \pim.vol through cedb (and taken out again), and the device's zone
// pinned so that local times are known.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "cesim.h"
#include "com_base.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"
#include "pimstore.h"
#include "raii.h"
#include "test_util.h"  // cedb's: DbHandle, ReadBuffer, NotifyWindow

namespace pimtest {

constexpr CEPROPID kRecid = 0x10000066;

// A BSTR whose null reads "<null>": a test expecting "" catches a null result.
class Bstr : public com::Bstr {
public:
    using com::Bstr::Bstr;
    std::wstring str() const { return get() ? com::Bstr::str() : L"<null>"; }

private:
    BSTR b_ = nullptr;
};

// UTC FILETIME ticks of a civil UTC time.
inline uint64_t Utc(int y, int mo, int d, int h = 0, int mi = 0) {
    return pimcodec::FiletimeFromCivil({{y, mo, d}, h, mi, 0});
}
inline DATE Ole(int y, int mo, int d, int h = 0, int mi = 0) {
    return pimcodec::OleFromFiletime(Utc(y, mo, d, h, mi));
}

inline CEPROPVAL Ft(CEPROPID id, uint64_t ft) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.filetime.dwLowDateTime = DWORD(ft);
    p.val.filetime.dwHighDateTime = DWORD(ft >> 32);
    return p;
}
// Midnight UTC of a day, in the recurrence stream's minutes.
inline uint32_t Midnight(int y, int m, int d) { return uint32_t(pimcodec::MinutesFromFiletime(Utc(y, m, d))); }

// The series the tests share: Mondays and Wednesdays at 10:00 for ten occurrences
// from Monday 2026-12-07, its end computed.
inline pimcodec::Recurrence TenMondaysAndWednesdays() {
    pimcodec::Recurrence r;
    r.type = pimcodec::PatternType::kWeekly;
    r.weekdays = pimcodec::kMonday | pimcodec::kWednesday;
    r.endType = pimcodec::EndType::kAfterCount;
    r.occurrences = 10;
    r.patternStart = Midnight(2026, 12, 7);
    r.startOffset = 600;
    r.endOffset = 660;
    EXPECT_EQ(pimcodec::Status::kOk, pimcodec::ComputePatternEnd(&r));
    return r;
}

inline CEPROPVAL Blob(CEPROPID id, std::vector<uint8_t>& bytes) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.blob.dwCount = DWORD(bytes.size());
    p.val.blob.lpb = bytes.data();
    return p;
}

// The device's zone set to Western Europe (UTC+1, daylight from the last Sunday of
// March to the last Sunday of October) for the test, then put back.
class WesternEuropeZone {
public:
    WesternEuropeZone() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.out(), nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_.get(), L"TimeZone", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        TIME_ZONE_INFORMATION z = {};
        z.Bias = -60;
        z.DaylightBias = -60;
        z.StandardDate.wMonth = 10;
        z.StandardDate.wDay = 5;
        z.StandardDate.wHour = 3;
        z.DaylightDate.wMonth = 3;
        z.DaylightDate.wDay = 5;
        z.DaylightDate.wHour = 2;
        RegSetValueExW(key_.get(), L"TimeZone", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&z), sizeof z);
    }
    ~WesternEuropeZone() {
        if (had_) {
            RegSetValueExW(key_.get(), L"TimeZone", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        } else {
            RegDeleteValueW(key_.get(), L"TimeZone");
        }
    }

private:
    raii::Key key_;
    TIME_ZONE_INFORMATION old_ = {};
    bool had_ = false;
};

// The test device's \pim.vol, for putting records in and reading them back.
class PimVolume {
public:
    PimVolume() {
        wchar_t path[] = L"\\pim.vol";
        mounted_ = CeMountDBVolEx(&guid_, path, nullptr, OPEN_EXISTING) != FALSE;
    }
    ~PimVolume() {
        for (auto& [db, oid] : added_) {
            cedbtest::DbHandle h(Open(db.c_str()));
            CeDeleteRecord(h, oid);  // already gone when the test deleted it
        }
        if (mounted_) CeUnmountDBVol(&guid_);
    }
    PimVolume(const PimVolume&) = delete;
    PimVolume& operator=(const PimVolume&) = delete;

    bool mounted() const { return mounted_; }
    HANDLE Open(const wchar_t* db, CENOTIFYREQUEST* req = nullptr) {
        CEOID oid = 0;
        return CeOpenDatabaseInSession(nullptr, &guid_, &oid, const_cast<LPWSTR>(db), nullptr, 0, req);
    }
    // A record removed again at the end of the test.
    CEOID Add(const wchar_t* db, std::vector<CEPROPVAL> props) {
        cedbtest::DbHandle h(Open(db));
        CEOID oid = CeWriteRecordProps(h, 0, WORD(props.size()), props.data());
        EXPECT_NE(0u, oid) << GetLastError();
        if (oid) added_.push_back({db, oid});
        return oid;
    }
    // Records the test created through the object model, to be removed at the end.
    void Track(const wchar_t* db, CEOID oid) { added_.push_back({db, oid}); }
    // The record's properties by id; empty when the record is gone.
    std::map<CEPROPID, CEPROPVAL> Read(const wchar_t* db, CEOID oid, cedbtest::ReadBuffer* buf) {
        std::map<CEPROPID, CEPROPVAL> out;
        cedbtest::DbHandle h(Open(db));
        if (CeSeekDatabaseEx(h, CEDB_SEEK_CEOID, oid, 0, nullptr) != oid) return out;
        WORD n = 0;
        if (!CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, nullptr, &buf->p, &buf->cb, nullptr)) return out;
        for (WORD i = 0; i < n; ++i) out[buf->vals()[i].propid] = buf->vals()[i];
        return out;
    }
    // Every record of a database as (oid, the given properties).
    std::vector<std::vector<CEPROPVAL>> All(const wchar_t* db, std::vector<CEPROPID> ids,
                                            std::vector<std::vector<std::wstring>>* strs,
                                            std::vector<CEOID>* oids = nullptr) {
        std::vector<std::vector<CEPROPVAL>> out;
        cedbtest::DbHandle h(Open(db));
        CeSeekDatabaseEx(h, CEDB_SEEK_BEGINNING, 0, 0, nullptr);
        for (;;) {
            cedbtest::ReadBuffer b;
            WORD n = WORD(ids.size());
            CEOID oid = CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, ids.data(), &b.p, &b.cb, nullptr);
            if (!oid) break;
            if (oids) oids->push_back(oid);
            std::vector<CEPROPVAL> row(b.vals(), b.vals() + n);
            std::vector<std::wstring> s;
            for (auto& v : row)
                s.push_back(TypeFromPropID(v.propid) == CEVT_LPWSTR && !(v.wFlags & CEDB_PROPNOTFOUND) ? v.val.lpwstr
                                                                                                    : L"");
            out.push_back(row);
            if (strs) strs->push_back(s);
            if (!CeSeekDatabaseEx(h, CEDB_SEEK_CURRENT, 1, 0, nullptr)) break;
        }
        return out;
    }

private:
    CEGUID guid_ = {};
    bool mounted_ = false;
    std::vector<std::pair<std::wstring, CEOID>> added_;
};

// COM as the device's hosts set it up, and the application created and logged on.
class PimTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_);
        ASSERT_TRUE(vol_.mounted());
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                         reinterpret_cast<void**>(app_.out())));
        ASSERT_EQ(S_OK, app_->Logon(0));
    }
    void TearDown() override {
        if (app_) app_->Logoff();
        app_.reset();
    }
    template <typename I>
    raii::ComPtr<I> Get(long oid, const IID& iid, HRESULT* result = nullptr) {
        raii::ComPtr<IDispatch> d;
        raii::ComPtr<I> out;
        HRESULT hr = app_->GetItemFromOid(oid, d.out());
        if (SUCCEEDED(hr)) hr = d->QueryInterface(iid, reinterpret_cast<void**>(out.out()));
        if (result) *result = hr;
        return out;
    }

    WesternEuropeZone zone_;
    const com::Init com_;  // before the objects, which go first
    PimVolume vol_;
    raii::ComPtr<IPOutlookApp2> app_;
};

}  // namespace pimtest
