// The CE property-database API as its callers use it: volumes, databases, records,
// sort orders and seeks, and every failure they check for.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_util.h"

using namespace cedbtest;

namespace {

constexpr CEPROPID kName = 0x0080001F;   // LPWSTR
constexpr CEPROPID kRank = 0x01020013;   // UI4
constexpr CEPROPID kShort = 0x00200002;  // I2
constexpr CEPROPID kLong = 0x00210003;   // I4
constexpr CEPROPID kFlag = 0x0022000B;   // BOOL
constexpr CEPROPID kWhen = 0x10420040;   // FILETIME
constexpr CEPROPID kBlob = 0x00480041;   // BLOB
constexpr CEPROPID kStream = 0x203F0064; // STREAM
constexpr CEPROPID kRecid = 0x10000066;  // RECID
constexpr CEPROPID kReal = 0x00300005;   // R8
constexpr CEPROPID kSmall = 0x00310012;  // UI2

CEOID Add(HANDLE db, std::vector<CEPROPVAL> props) {
    return CeWriteRecordProps(db, 0, WORD(props.size()), props.data());
}

// Reads the current record's kName and kRank; "" / ~0 when absent.
CEOID ReadNameRank(HANDLE db, std::wstring* name, ULONG* rank) {
    CEPROPID ids[] = {kName, kRank};
    WORD n = 2;
    ReadBuffer b;
    CEOID oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr);
    if (!oid) return 0;
    *name = b.vals()[0].wFlags & CEDB_PROPNOTFOUND ? L"" : b.vals()[0].val.lpwstr;
    *rank = b.vals()[1].wFlags & CEDB_PROPNOTFOUND ? ~0ul : b.vals()[1].val.ulVal;
    return oid;
}

// The names in cursor order from the beginning, through AUTOINCREMENT reads.
std::vector<std::wstring> Names(HANDLE db) {
    std::vector<std::wstring> out;
    if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return out;
    std::wstring name;
    ULONG rank;
    while (ReadNameRank(db, &name, &rank)) out.push_back(name);
    return out;
}

TEST(CedbVolume, MountsByCePathRefCountedWithOneGuid) {
    TestVolume vol(L"mount");
    CEGUID again, relative;
    ASSERT_TRUE(CeMountDBVolEx(&again, vol.path(), nullptr, OPEN_EXISTING));
    EXPECT_EQ(0, std::memcmp(&again, vol.guid(), sizeof again));
    // CE paths start at the root with or without the backslash.
    wchar_t rel[] = L"Temp\\CEDB_MOUNT.vol";
    ASSERT_TRUE(CeMountDBVolEx(&relative, rel, nullptr, OPEN_EXISTING));
    EXPECT_EQ(0, std::memcmp(&relative, vol.guid(), sizeof relative));
    EXPECT_FALSE(CHECK_INVALIDGUID(&again));

    // Two of three mounts released: still mounted.
    EXPECT_TRUE(CeUnmountDBVol(&again));
    EXPECT_TRUE(CeUnmountDBVol(&relative));
    EXPECT_TRUE(CeFlushDBVol(vol.guid()));
    EXPECT_NE(0u, vol.CreateDb(L"still there"));
}

TEST(CedbVolume, FailuresSayWhy) {
    CEGUID g;
    CREATE_INVALIDGUID(&g);
    wchar_t missing[] = L"\\Temp\\cedb_no_such_volume.vol";
    SetLastError(kSentinel);
    EXPECT_FALSE(CeMountDBVolEx(&g, missing, nullptr, OPEN_EXISTING));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_TRUE(CHECK_INVALIDGUID(&g));  // untouched
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missing));  // not created either

    SetLastError(kSentinel);
    EXPECT_FALSE(CeMountDBVolEx(&g, missing, nullptr, TRUNCATE_EXISTING));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kSentinel);
    EXPECT_FALSE(CeMountDBVolEx(nullptr, missing, nullptr, OPEN_ALWAYS));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    TestVolume vol(L"fail");
    SetLastError(kSentinel);
    EXPECT_FALSE(CeMountDBVolEx(&g, vol.path(), nullptr, CREATE_NEW));
    EXPECT_EQ(DWORD(ERROR_FILE_EXISTS), GetLastError());

    // A volume that is not (or no longer) mounted.
    CEGUID unknown = {0x7777, 0, 0, 0};
    for (PCEGUID bad : {&unknown, static_cast<PCEGUID>(nullptr)}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(CeUnmountDBVol(bad));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
        SetLastError(kSentinel);
        EXPECT_FALSE(CeFlushDBVol(bad));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
        SetLastError(kSentinel);
        CEOID oid = 0;
        wchar_t name[] = L"db";
        EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseInSession(nullptr, bad, &oid, name, nullptr, 0, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }

    // Unknown database, duplicate database.
    vol.CreateDb(L"Tasks Database");
    SetLastError(kSentinel);
    EXPECT_EQ(INVALID_HANDLE_VALUE, vol.Open(L"No Such Database"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    CEDBASEINFOEX info = {};
    info.wVersion = CEDBASEINFOEX_VERSION;
    info.dwFlags = CEDB_VALIDNAME;
    lstrcpyW(info.szDbaseName, L"tasks database");
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeCreateDatabaseEx2(vol.guid(), &info));
    EXPECT_EQ(DWORD(ERROR_DUP_NAME), GetLastError());
    // More sort keys than the store keeps.
    SORTORDERSPECEX big = Sort({{kName, 0}, {kRank, 0}, {kLong, 0}, {kShort, 0}, {kFlag, 0}});
    SetLastError(kSentinel);
    EXPECT_EQ(INVALID_HANDLE_VALUE, vol.Open(L"Tasks Database", &big));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CedbVolume, CreatesFindsAndDeletesDatabases) {
    TestVolume vol(L"enum");
    CEOID a = vol.CreateDb(L"Alpha"), b = vol.CreateDb(L"Beta");
    HANDLE find = CeFindFirstDatabaseEx(vol.guid(), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    std::vector<CEOID> seen;
    while (CEOID oid = CeFindNextDatabaseEx(find, vol.guid())) seen.push_back(oid);
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_EQ((std::vector<CEOID>{a, b}), seen);
    EXPECT_TRUE(CloseHandle(find));

    EXPECT_TRUE(CeDeleteDatabaseEx(vol.guid(), a));
    SetLastError(kSentinel);
    EXPECT_EQ(INVALID_HANDLE_VALUE, vol.Open(L"Alpha"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(kSentinel);
    EXPECT_FALSE(CeDeleteDatabaseEx(vol.guid(), a));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    // Open by object id, reporting it back.
    CEOID oid = b;
    DbHandle h(CeOpenDatabaseInSession(nullptr, vol.guid(), &oid, nullptr, nullptr, 0, nullptr));
    EXPECT_NE(INVALID_HANDLE_VALUE, h.get());
    wchar_t name[] = L"Beta";
    oid = 0;
    DbHandle h2(CeOpenDatabaseInSession(nullptr, vol.guid(), &oid, name, nullptr, 0, nullptr));
    EXPECT_EQ(b, oid);
}

TEST(CedbHandles, BadHandlesFailWithInvalidHandle) {
    TestVolume vol(L"badhandle");
    vol.CreateDb(L"db");
    HANDLE closed = vol.Open(L"db");
    ASSERT_NE(INVALID_HANDLE_VALUE, closed);
    ASSERT_TRUE(CloseHandle(closed));
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE find = CeFindFirstDatabaseEx(vol.guid(), 0);

    for (HANDLE h : {closed, INVALID_HANDLE_VALUE, HANDLE(nullptr), HANDLE(uintptr_t(0x1234)), event, find}) {
        SetLastError(kSentinel);
        EXPECT_EQ(0u, CeSeekDatabaseEx(h, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        ReadBuffer b;
        WORD n = 0;
        SetLastError(kSentinel);
        EXPECT_EQ(0u, CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, nullptr, &b.p, &b.cb, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        EXPECT_EQ(nullptr, b.p);
        CEPROPVAL v = U4(kRank, 1);
        SetLastError(kSentinel);
        EXPECT_EQ(0u, CeWriteRecordProps(h, 0, 1, &v));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        SetLastError(kSentinel);
        EXPECT_FALSE(CeDeleteRecord(h, 1));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    }
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeFindNextDatabaseEx(event, vol.guid()));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());

    // Closing a database handle twice, or a kernel handle, does what kernel32 does.
    SetLastError(kSentinel);
    EXPECT_FALSE(CloseHandle(closed));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_TRUE(CloseHandle(find));
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(event, 0));  // still a live event
    EXPECT_TRUE(CloseHandle(event));
}

TEST(CedbRecords, ReadsEveryTypeInTheRequestedOrderInOneBlock) {
    TestVolume vol(L"types");
    vol.CreateDb(L"db");
    DbHandle db(vol.Open(L"db"));
    BYTE blob[48], stream[300];
    for (size_t i = 0; i < sizeof blob; ++i) blob[i] = BYTE(i + 1);
    for (size_t i = 0; i < sizeof stream; ++i) stream[i] = BYTE(255 - i);
    std::vector<CEPROPVAL> in(11);
    in[0] = Str(kName, L"Zoë Ärger");
    in[1] = U4(kRank, 0xFFFFFFF0);
    in[2].propid = kShort, in[2].val.iVal = -2;
    in[3].propid = kLong, in[3].val.lVal = -100000;
    in[4].propid = kFlag, in[4].val.boolVal = TRUE;
    in[5].propid = kWhen, in[5].val.filetime = FILETIME{0x89ABCDEF, 0x01D9ABCD};
    in[6].propid = kBlob, in[6].val.blob = CEBLOB{sizeof blob, blob};
    in[7].propid = kStream, in[7].val.blob = CEBLOB{sizeof stream, stream};
    in[8] = U4(kRecid, 0x1234);
    in[9].propid = kReal, in[9].val.dblVal = -2.5;
    in[10].propid = kSmall, in[10].val.uiVal = 65000;
    CEOID oid = CeWriteRecordProps(db, 0, WORD(in.size()), in.data());
    ASSERT_NE(0u, oid);

    // Requested out of write order, with one property the record lacks.
    CEPROPID ids[] = {kStream, kRecid, 0x0099001F, kName, kBlob, kWhen, kFlag, kLong, kShort, kRank, kReal, kSmall};
    WORD n = WORD(sizeof ids / sizeof ids[0]);
    ReadBuffer b;
    ASSERT_EQ(oid, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
    ASSERT_EQ(oid, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr));
    ASSERT_EQ(12, n);
    ASSERT_NE(nullptr, b.p);
    EXPECT_GE(LocalSize(b.p), b.cb);
    const CEPROPVAL* v = b.vals();
    for (WORD i = 0; i < n; ++i) EXPECT_EQ(ids[i], v[i].propid) << i;
    auto inside = [&](const void* p, size_t len) {
        return p >= b.p + n * sizeof(CEPROPVAL) && static_cast<const BYTE*>(p) + len <= b.p + b.cb;
    };
    EXPECT_EQ(DWORD(sizeof stream), v[0].val.blob.dwCount);
    EXPECT_TRUE(inside(v[0].val.blob.lpb, sizeof stream));
    EXPECT_EQ(0, std::memcmp(stream, v[0].val.blob.lpb, sizeof stream));
    EXPECT_EQ(0x1234u, v[1].val.ulVal);
    EXPECT_EQ(CEDB_PROPNOTFOUND, v[2].wFlags & CEDB_PROPNOTFOUND);
    EXPECT_STREQ(L"Zoë Ärger", v[3].val.lpwstr);
    EXPECT_TRUE(inside(v[3].val.lpwstr, 20));
    EXPECT_EQ(DWORD(sizeof blob), v[4].val.blob.dwCount);
    EXPECT_TRUE(inside(v[4].val.blob.lpb, sizeof blob));
    EXPECT_EQ(0, std::memcmp(blob, v[4].val.blob.lpb, sizeof blob));
    EXPECT_EQ(0x89ABCDEFu, v[5].val.filetime.dwLowDateTime);
    EXPECT_EQ(0x01D9ABCDu, v[5].val.filetime.dwHighDateTime);
    EXPECT_EQ(TRUE, v[6].val.boolVal);
    EXPECT_EQ(-100000, v[7].val.lVal);
    EXPECT_EQ(-2, v[8].val.iVal);
    EXPECT_EQ(0xFFFFFFF0u, v[9].val.ulVal);
    EXPECT_EQ(-2.5, v[10].val.dblVal);
    EXPECT_EQ(65000, v[11].val.uiVal);
    for (WORD i = 0; i < n; ++i) {
        if (i != 2) {
            EXPECT_EQ(0, v[i].wFlags & CEDB_PROPNOTFOUND) << i;
        }
    }

    // No ids: every property, in the order first written.
    WORD all = 0;
    ReadBuffer b2;
    ASSERT_EQ(oid, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &all, nullptr, &b2.p, &b2.cb, nullptr));
    ASSERT_EQ(in.size(), all);
    for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(in[i].propid, b2.vals()[i].propid);
}

TEST(CedbRecords, BufferSizesAndReallocation) {
    TestVolume vol(L"buffers");
    vol.CreateDb(L"db");
    DbHandle db(vol.Open(L"db", nullptr, CEDB_AUTOINCREMENT));
    std::wstring longName(500, L'x');
    CEOID first = Add(db, {Str(kName, longName.c_str()), U4(kRank, 1)});
    CEOID second = Add(db, {Str(kName, L"second")});
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first, CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr));

    // Too small without ALLOWREALLOC: the size needed, and the cursor stays.
    CEPROPID ids[] = {kName, kRank};
    WORD n = 2;
    BYTE small[40];
    LPBYTE p = small;
    DWORD cb = sizeof small;
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeReadRecordPropsEx(db, 0, &n, ids, &p, &cb, nullptr));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(small, p);
    EXPECT_GE(cb, DWORD(2 * sizeof(CEPROPVAL) + 1002));

    // A caller's LocalAlloc block is grown in place of the old one.
    ReadBuffer b;
    b.p = static_cast<LPBYTE>(LocalAlloc(LMEM_FIXED, 16));
    b.cb = 16;
    n = 2;
    ASSERT_EQ(first, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr));
    EXPECT_EQ(longName, b.vals()[0].val.lpwstr);
    EXPECT_GE(LocalSize(b.p), b.cb);
    // Large enough now: reused as it is.
    LPBYTE kept = b.p;
    n = 2;
    ASSERT_EQ(second, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr));
    EXPECT_EQ(kept, b.p);
    EXPECT_STREQ(L"second", b.vals()[0].val.lpwstr);
    EXPECT_EQ(CEDB_PROPNOTFOUND, b.vals()[1].wFlags);
    EXPECT_EQ(kRank, b.vals()[1].propid);

    // At the end: 0 and ERROR_NO_MORE_ITEMS, the buffer untouched.
    n = 2;
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_EQ(kept, b.p);

    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, nullptr, &b.cb, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CedbRecords, WritesMergeDeletePropertiesAndRecords) {
    TestVolume vol(L"merge");
    vol.CreateDb(L"db");
    DbHandle db(vol.Open(L"db"));
    CEOID oid = Add(db, {Str(kName, L"before"), U4(kRank, 1)});
    ASSERT_NE(0u, oid);
    std::vector<CEPROPVAL> change = {U4(kRank, 2), Del(kName), U4(kRecid, 9)};
    EXPECT_EQ(oid, CeWriteRecordProps(db, oid, WORD(change.size()), change.data()));

    ASSERT_EQ(oid, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
    std::wstring name;
    ULONG rank;
    ASSERT_EQ(oid, ReadNameRank(db, &name, &rank));
    EXPECT_EQ(L"", name);
    EXPECT_EQ(2u, rank);
    WORD all = 0;
    ReadBuffer b;
    ASSERT_EQ(oid, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &all, nullptr, &b.p, &b.cb, nullptr));
    EXPECT_EQ(2, all);

    // Bad input changes nothing.
    CEPROPVAL nullString = Str(kName, nullptr);
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeWriteRecordProps(db, oid, 1, &nullString));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    CEPROPVAL badBlob = {};
    badBlob.propid = kBlob;
    badBlob.val.blob = CEBLOB{10, nullptr};
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeWriteRecordProps(db, 0, 1, &badBlob));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    CEPROPVAL autoNum = {};
    autoNum.propid = 0x00400067;  // CEVT_AUTO_I4: not stored
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeWriteRecordProps(db, 0, 1, &autoNum));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    CEPROPVAL rank3 = U4(kRank, 3);
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeWriteRecordProps(db, 0x7FFFFFF0, 1, &rank3));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    EXPECT_TRUE(CeDeleteRecord(db, oid));
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr));
    EXPECT_EQ(DWORD(ERROR_SEEK), GetLastError());
    SetLastError(kSentinel);
    EXPECT_FALSE(CeDeleteRecord(db, oid));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(CeFlushDBVol(vol.guid()));

    // A record of another database is not this handle's.
    vol.CreateDb(L"other");
    DbHandle other(vol.Open(L"other"));
    CEOID foreign = Add(other, {U4(kRank, 5)});
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, foreign, 0, nullptr));
    SetLastError(kSentinel);
    EXPECT_FALSE(CeDeleteRecord(db, foreign));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CedbCursor, AutoIncrementReadsWalkOidOrderWithoutSort) {
    TestVolume vol(L"autoinc");
    vol.CreateDb(L"db");
    DbHandle plain(vol.Open(L"db"));
    std::vector<CEOID> oids;
    for (const wchar_t* s : {L"c", L"a", L"b"}) oids.push_back(Add(plain, {Str(kName, s)}));
    DbHandle walk(vol.Open(L"db", nullptr, CEDB_AUTOINCREMENT));
    // A fresh handle stands on the first record.
    std::wstring name;
    ULONG rank;
    EXPECT_EQ(oids[0], ReadNameRank(walk, &name, &rank));
    EXPECT_EQ((std::vector<std::wstring>{L"c", L"a", L"b"}), Names(walk));
    // Without AUTOINCREMENT the cursor stays.
    ASSERT_EQ(oids[1], CeSeekDatabaseEx(plain, CEDB_SEEK_CEOID, oids[1], 0, nullptr));
    EXPECT_EQ(oids[1], ReadNameRank(plain, &name, &rank));
    EXPECT_EQ(oids[1], ReadNameRank(plain, &name, &rank));
}

TEST(CedbCursor, MultiKeySortCaseInsensitiveUnknownFirstDescending) {
    TestVolume vol(L"sort");
    vol.CreateDb(L"Contacts Database");
    DbHandle w(vol.Open(L"Contacts Database"));
    Add(w, {Str(kName, L"bravo"), U4(kRank, 2)});
    Add(w, {Str(kName, L"Alpha"), U4(kRank, 5)});
    Add(w, {Str(kName, L"BRAVO")});  // no rank
    Add(w, {Str(kName, L"alpha"), U4(kRank, 1)});
    Add(w, {U4(kRank, 0)});          // no name

    SORTORDERSPECEX ci = Sort({{kName, CEDB_SORT_CASEINSENSITIVE}, {kRank, CEDB_SORT_UNKNOWNFIRST}});
    DbHandle a(vol.Open(L"Contacts Database", &ci, CEDB_AUTOINCREMENT));
    std::vector<std::pair<std::wstring, ULONG>> got;
    ASSERT_NE(0u, CeSeekDatabaseEx(a, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
    std::wstring name;
    ULONG rank;
    while (ReadNameRank(a, &name, &rank)) got.push_back({name, rank});
    std::vector<std::pair<std::wstring, ULONG>> want = {
        {L"alpha", 1}, {L"Alpha", 5}, {L"BRAVO", ~0ul}, {L"bravo", 2}, {L"", 0}};
    EXPECT_EQ(want, got);  // a missing name sorts last; a missing rank first

    SORTORDERSPECEX desc = Sort({{kRank, CEDB_SORT_DESCENDING}});
    DbHandle d(vol.Open(L"Contacts Database", &desc, CEDB_AUTOINCREMENT));
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"bravo", L"alpha", L"", L"BRAVO"}), Names(d));
}

TEST(CedbCursor, EverySeekKind) {
    TestVolume vol(L"seek");
    vol.CreateDb(L"db");
    DbHandle w(vol.Open(L"db"));
    // Ranks 10, 20, 20, 30, 40 (written out of order).
    std::vector<ULONG> ranks = {30, 20, 40, 10, 20};
    std::vector<CEOID> oids;
    for (ULONG r : ranks) oids.push_back(Add(w, {U4(kRank, r)}));
    SORTORDERSPECEX s = Sort({{kRank, 0}});
    DbHandle db(vol.Open(L"db", &s));
    auto rankAt = [&](CEOID oid) {
        for (size_t i = 0; i < oids.size(); ++i)
            if (oids[i] == oid) return ranks[i];
        return ULONG(~0ul);
    };
    CEPROPVAL key = U4(kRank, 20);
    DWORD idx = 99;
    auto seek = [&](DWORD type, DWORD value) {
        idx = 99;
        return CeSeekDatabaseEx(db, type, value, 1, &idx);
    };
    DWORD byKey = DWORD(reinterpret_cast<uintptr_t>(&key));

    EXPECT_EQ(10u, rankAt(seek(CEDB_SEEK_BEGINNING, 0)));
    EXPECT_EQ(0u, idx);
    EXPECT_EQ(30u, rankAt(seek(CEDB_SEEK_BEGINNING, 3)));
    EXPECT_EQ(3u, idx);
    EXPECT_EQ(20u, rankAt(seek(CEDB_SEEK_CURRENT, DWORD(-1))));
    EXPECT_EQ(2u, idx);
    EXPECT_EQ(40u, rankAt(seek(CEDB_SEEK_CURRENT, 2)));
    EXPECT_EQ(40u, rankAt(seek(CEDB_SEEK_END, 0)));
    EXPECT_EQ(4u, idx);
    EXPECT_EQ(20u, rankAt(seek(CEDB_SEEK_END, 2)));
    EXPECT_EQ(oids[2], seek(CEDB_SEEK_CEOID, oids[2]));

    CEOID firstTwenty = seek(CEDB_SEEK_VALUEFIRSTEQUAL, byKey);
    EXPECT_EQ(20u, rankAt(firstTwenty));
    EXPECT_EQ(1u, idx);
    CEOID nextTwenty = seek(CEDB_SEEK_VALUENEXTEQUAL, byKey);
    EXPECT_EQ(20u, rankAt(nextTwenty));
    EXPECT_NE(firstTwenty, nextTwenty);
    EXPECT_EQ(0u, seek(CEDB_SEEK_VALUENEXTEQUAL, byKey));  // no third one
    EXPECT_EQ(20u, rankAt(seek(CEDB_SEEK_VALUEGREATEROREQUAL, byKey)));
    EXPECT_EQ(1u, idx);
    EXPECT_EQ(30u, rankAt(seek(CEDB_SEEK_VALUEGREATER, byKey)));
    EXPECT_EQ(10u, rankAt(seek(CEDB_SEEK_VALUESMALLER, byKey)));
    key.val.ulVal = 25;
    EXPECT_EQ(30u, rankAt(seek(CEDB_SEEK_VALUEGREATEROREQUAL, byKey)));
    EXPECT_EQ(20u, rankAt(seek(CEDB_SEEK_VALUESMALLER, byKey)));
    EXPECT_EQ(0u, seek(CEDB_SEEK_VALUEFIRSTEQUAL, byKey));

    // Nothing there: 0, ERROR_SEEK, and a read then finds no record.
    key.val.ulVal = 5;
    for (auto [type, value] : std::vector<std::pair<DWORD, DWORD>>{{CEDB_SEEK_VALUESMALLER, byKey},
                                                                  {CEDB_SEEK_BEGINNING, 5},
                                                                  {CEDB_SEEK_END, 5},
                                                                  {CEDB_SEEK_CURRENT, DWORD(-9)},
                                                                  {CEDB_SEEK_CEOID, 0x7FFFFF00}}) {
        SetLastError(kSentinel);
        EXPECT_EQ(0u, seek(type, value)) << type;
        EXPECT_EQ(DWORD(ERROR_SEEK), GetLastError()) << type;
        EXPECT_EQ(5u, idx) << type;
        std::wstring name;
        ULONG rank;
        SetLastError(kSentinel);
        EXPECT_EQ(0u, ReadNameRank(db, &name, &rank));
        EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), GetLastError());
    }
    key.val.ulVal = 50;
    EXPECT_EQ(0u, seek(CEDB_SEEK_VALUEGREATER, byKey));

    // Value seeks need keys of the sort's types, and no more of them than it has.
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, byKey, 2, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(w, CEDB_SEEK_VALUEFIRSTEQUAL, byKey, 1, nullptr));  // oid order
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, 0, 1, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(kSentinel);
    EXPECT_EQ(0u, CeSeekDatabaseEx(db, 0x1000, 0, 0, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CedbCursor, TwoKeySeekMatchesLeadingKeys) {
    TestVolume vol(L"seek2");
    vol.CreateDb(L"PIMNamedPropVals");
    DbHandle w(vol.Open(L"PIMNamedPropVals"));
    constexpr CEPROPID kItem = 0x00010013, kProp = 0x00020013;
    for (ULONG item : {7ul, 5ul, 7ul})
        for (ULONG prop : {2ul, 1ul}) Add(w, {U4(kItem, item), U4(kProp, prop + item)});
    SORTORDERSPECEX s = Sort({{kItem, 0}, {kProp, 0}}, CEDB_SORT_UNIQUE);
    DbHandle db(vol.Open(L"PIMNamedPropVals", &s));
    CEPROPVAL keys[2] = {U4(kItem, 7), U4(kProp, 9)};
    CEOID hit = CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, DWORD(reinterpret_cast<uintptr_t>(keys)), 2, nullptr);
    ASSERT_NE(0u, hit);
    CEPROPID ids[] = {kItem, kProp};
    WORD n = 2;
    ReadBuffer b;
    ASSERT_EQ(hit, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, ids, &b.p, &b.cb, nullptr));
    EXPECT_EQ(7u, b.vals()[0].val.ulVal);
    EXPECT_EQ(9u, b.vals()[1].val.ulVal);
    // One key: the first 7, then the others with NEXTEQUAL.
    int sevens = 0;
    DWORD one = DWORD(reinterpret_cast<uintptr_t>(keys));
    for (CEOID o = CeSeekDatabaseEx(db, CEDB_SEEK_VALUEFIRSTEQUAL, one, 1, nullptr); o;
         o = CeSeekDatabaseEx(db, CEDB_SEEK_VALUENEXTEQUAL, one, 1, nullptr))
        ++sevens;
    EXPECT_EQ(4, sevens);
}

}  // namespace
