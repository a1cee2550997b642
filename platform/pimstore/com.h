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

namespace pim {

// Live objects and server locks: DllCanUnloadNow says no while any exist.
extern std::atomic<long> g_moduleRefs;

// Reference count and IUnknown for one interface I (plus IDispatch and IUnknown).
// Derived classes list further interfaces in QueryExtra.
template <typename I>
class Object : public I {
public:
    Object() { ++g_moduleRefs; }
    virtual ~Object() { --g_moduleRefs; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, Iid())) {
            *out = static_cast<I*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        long n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
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
    virtual const IID& Iid() const = 0;

private:
    std::atomic<long> refs_{1};
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
