// COM pieces every server and client here needs: one IUnknown for objects that
// implement a list of interfaces, and owners for COM's own acquire/release pairs
// (the apartment, BSTRs, a logged-on session). Header-only.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <string>

namespace com {

// The IID of interface I, through __uuidof: an interface the SDK does not know
// declares its IID with __CRT_UUID_DECL next to its declaration.
template <class I>
inline const IID& IidOf() {
    return __uuidof(I);
}

namespace detail {

template <class I, class Self>
bool Match(Self* self, REFIID iid, void** out) {
    if (!IsEqualIID(iid, IidOf<I>())) return false;
    *out = static_cast<I*>(self);
    return true;
}

// QueryInterface over the interfaces First, Rest...: IUnknown is answered with the
// first one, so that every query for it gives the same pointer.
template <class Self, class First, class... Rest>
void* Find(Self* self, REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown)) return static_cast<IUnknown*>(static_cast<First*>(self));
    void* out = nullptr;
    Match<First>(self, iid, &out) || (Match<Rest>(self, iid, &out) || ...);
    return out;
}

}  // namespace detail

// A heap object implementing Is...: it starts with one reference (the creator's)
// and deletes itself when the last goes. Derived classes answer further IIDs (an
// interface's bases, say) in QueryMore.
template <class... Is>
class Object : public Is... {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = detail::Find<Object, Is...>(this, iid);
        if (!*out) *out = QueryMore(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long n = --refs_;
        if (n == 0) Final();
        return ULONG(n);
    }
    // The references held now, for tests.
    ULONG refs() const { return ULONG(refs_.load()); }

protected:
    virtual ~Object() = default;
    virtual void* QueryMore(REFIID) { return nullptr; }
    // The last reference went. An object owned elsewhere (a test's site on its
    // stack) overrides this to stay.
    virtual void Final() { delete this; }

private:
    std::atomic<long> refs_{1};
};

// An object implementing Is... that lives as long as the module (a class factory, a
// host's site): references are not counted and never free it.
template <class... Is>
class Static : public Is... {
public:
    Static() = default;
    Static(const Static&) = delete;
    Static& operator=(const Static&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = detail::Find<Static, Is...>(this, iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

protected:
    ~Static() = default;
};

// CoInitializeEx, paired with CoUninitialize only when it succeeded: a host that
// chose another apartment keeps its own.
class Init {
public:
    explicit Init(DWORD model = COINIT_MULTITHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~Init() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    Init(const Init&) = delete;
    Init& operator=(const Init&) = delete;
    HRESULT result() const { return hr_; }
    explicit operator bool() const { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

// A BSTR, freed with SysFreeString.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* s) : b_(s ? SysAllocString(s) : nullptr) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* out() {  // for calls that return a new BSTR through a pointer
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    // The text, embedded nulls and all; a null BSTR is empty.
    std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

// A logged-on session of an application object (Logon/Logoff): logged off on
// destruction when the logon succeeded.
template <class App>
class Session {
public:
    explicit Session(App* app, long owner = 0) : app_(app), ok_(app && SUCCEEDED(app->Logon(owner))) {}
    ~Session() {
        if (ok_) app_->Logoff();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool ok() const { return ok_; }

private:
    App* app_;
    bool ok_;
};

}  // namespace com
