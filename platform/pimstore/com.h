// The COM plumbing every object of the server shares: reference counting that
// keeps the module loaded, an IDispatch that offers no type information (callers
// use the vtables), and BSTR and DATE helpers.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "com_base.h"

namespace pim {

// Live objects and server locks: DllCanUnloadNow says no while any exist.
extern std::atomic<long> g_moduleRefs;

// An object of the server with interface I (and IDispatch, which I derives from),
// counted among the module's live objects.
template <typename I>
class Object : public com::Object<I> {
public:
    Object() { ++g_moduleRefs; }
    ~Object() override { --g_moduleRefs; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
        if (t) *t = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

protected:
    void* QueryMore(REFIID iid) override {
        return IsEqualIID(iid, IID_IDispatch) ? static_cast<I*>(this) : nullptr;
    }
};

// A new BSTR in *out (E_POINTER / E_OUTOFMEMORY as COM callers expect).
HRESULT ReturnString(const std::wstring& s, BSTR* out);
// A BSTR argument as text (null is empty).
inline std::wstring FromBstr(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

// DATEs a store can hold (1601 to 9999, finite).
bool ValidDate(DATE d);

// UTC FILETIME <-> device-local DATE, with the daylight rule of that date.
DATE LocalDateFromUtc(uint64_t ft);
uint64_t UtcFromLocalDate(DATE d);
// Wall-clock minutes in the zone of a time-zone blob (the device's when the blob is
// missing or unreadable) <-> UTC minutes.
int64_t UtcFromZoneMinutes(const std::vector<uint8_t>& zoneBlob, int64_t wall);
int64_t ZoneMinutesFromUtc(const std::vector<uint8_t>& zoneBlob, int64_t utc);

}  // namespace pim
