// The class factory the stand-ins' in-process servers share: one static object per
// class, whose own references do not keep the module loaded (LockServer does, into
// the module's count that DllCanUnloadNow reads).
#pragma once
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <new>

#include "com_base.h"
#include "raii.h"

template <class Object>
class CeSimStaticFactory : public com::Static<IClassFactory> {
public:
    explicit CeSimStaticFactory(std::atomic<long>* moduleRefs) : moduleRefs_(moduleRefs) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        raii::ComPtr<Object> object;
        object.attach(new (std::nothrow) Object());
        if (!object) return E_OUTOFMEMORY;
        // The creation reference goes with `object`: a failed query destroys it.
        return object->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++*moduleRefs_;
        else
            --*moduleRefs_;
        return S_OK;
    }

private:
    std::atomic<long>* moduleRefs_;
};
