// A PIM volume of a test's own ("\Temp\dbt_<name>.vol", plus its FusionLinks
// volume) with every database and sort order of the device's, and record writers.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "pim_ids.h"
#include "windbase.h"

namespace pimtest {

inline SORTORDERSPECEX Sort(CEPROPID a, DWORD fa = 0, CEPROPID b = 0, DWORD fb = 0, WORD keyFlags = 0) {
    SORTORDERSPECEX s = {};
    s.wVersion = SORTORDERSPECEX_VERSION;
    s.wNumProps = b ? 2 : 1;
    s.wKeyFlags = keyFlags;
    s.rgPropID[0] = a;
    s.rgdwFlags[0] = fa;
    s.rgPropID[1] = b;
    s.rgdwFlags[1] = fb;
    return s;
}

class PimVolume {
public:
    explicit PimVolume(const std::wstring& name) {
        CreateDirectoryW(L"\\Temp", nullptr);
        path = L"\\Temp\\dbt_" + name + L".vol";
        fusionPath = L"\\Temp\\dbt_" + name + L"_fl.vol";
        DeleteFileW(path.c_str());
        DeleteFileW(fusionPath.c_str());
        if (!CeMountDBVolEx(&guid, &path[0], nullptr, OPEN_ALWAYS)) return;
        if (!CeMountDBVolEx(&fusionGuid, &fusionPath[0], nullptr, OPEN_ALWAYS)) return;
        ok = Create(guid, L"Appointments Database", {Sort(0x10420040), Sort(0x0022000B)}) &&
             Create(guid, L"Tasks Database", {}) &&
             Create(guid, L"Contacts Database", {Sort(0x0080001F, CEDB_SORT_CASEINSENSITIVE)}) &&
             Create(guid, L"CategoryMainDB", {}) &&
             Create(guid, L"CategoryAssocDB", {Sort(0x00010013, 0, 0x00020003, 0, CEDB_SORT_UNIQUE)}) &&
             Create(guid, L"PIMNamedPropVals", {Sort(0x00010013, 0, 0x00020013, 0, CEDB_SORT_UNIQUE)}) &&
             Create(fusionGuid, L"FusionLinks", {Sort(0x00010003, 0, 0, 0, 1), Sort(0x00020002, 0, 0, 0, 1)});
    }
    ~PimVolume() {
        for (HANDLE h : open_) CloseHandle(h);
        CeUnmountDBVol(&guid);
        CeUnmountDBVol(&fusionGuid);
        DeleteFileW(path.c_str());
        DeleteFileW(fusionPath.c_str());
    }
    PimVolume(const PimVolume&) = delete;
    PimVolume& operator=(const PimVolume&) = delete;

    // A handle of the test's own (closed with the volume).
    HANDLE Db(const wchar_t* name) {
        CEOID oid = 0;
        const bool fusion = std::wstring(name) == L"FusionLinks";
        HANDLE h = CeOpenDatabaseInSession(nullptr, fusion ? &fusionGuid : &guid, &oid, const_cast<LPWSTR>(name),
                                           nullptr, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) open_.push_back(h);
        return h;
    }
    CEOID Write(const wchar_t* db, std::vector<CEPROPVAL> props, CEOID oid = 0) {
        return CeWriteRecordProps(Db(db), oid, WORD(props.size()), props.data());
    }
    bool Delete(const wchar_t* db, CEOID oid) { return CeDeleteRecord(Db(db), oid) != FALSE; }

    std::wstring path, fusionPath;
    CEGUID guid = {}, fusionGuid = {};
    bool ok = false;

    static bool Create(CEGUID& g, const wchar_t* name, std::vector<SORTORDERSPECEX> sorts) {
        CEDBASEINFOEX info = {};
        info.wVersion = CEDBASEINFOEX_VERSION;
        info.dwFlags = CEDB_VALIDNAME | (sorts.empty() ? 0 : CEDB_VALIDSORTSPEC);
        lstrcpynW(info.szDbaseName, name, CEDB_MAXDBASENAMELEN);
        info.wNumSortOrder = WORD(sorts.size());
        for (size_t i = 0; i < sorts.size(); ++i) info.rgSortSpecs[i] = sorts[i];
        return CeCreateDatabaseEx2(&g, &info) != 0;
    }

private:
    std::vector<HANDLE> open_;
};

inline CEPROPVAL U4(CEPROPID id, ULONG v) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.ulVal = v;
    return p;
}
inline CEPROPVAL I2(CEPROPID id, short v) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.iVal = v;
    return p;
}
inline CEPROPVAL Str(CEPROPID id, const wchar_t* s) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.lpwstr = const_cast<LPWSTR>(s);
    return p;
}
inline CEPROPVAL Bool(CEPROPID id, bool v) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.boolVal = v;
    return p;
}
inline CEPROPVAL Date(CEPROPID id, double ole) {
    CEPROPVAL p = {};
    p.propid = id;
    const uint64_t t = daybrim::TicksFromOle(ole);
    p.val.filetime.dwLowDateTime = DWORD(t);
    p.val.filetime.dwHighDateTime = DWORD(t >> 32);
    return p;
}
inline CEPROPVAL Blob(CEPROPID id, std::vector<BYTE>& bytes) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.blob.dwCount = DWORD(bytes.size());
    p.val.blob.lpb = bytes.data();
    return p;
}

}  // namespace pimtest
