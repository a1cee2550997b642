#include "com_base.h"

#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

namespace {

// Two interfaces, so that identity and the order of the list matter.
class Both : public com::Object<IPersist, IObjectWithSite> {
public:
    explicit Both(bool* gone) : gone_(gone) {}
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = CLSID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID, void** out) override {
        *out = nullptr;
        return E_FAIL;
    }

protected:
    ~Both() override { *gone_ = true; }
    // IPersistStream is not implemented; its base answers through the first list entry.
    void* QueryMore(REFIID iid) override {
        return IsEqualIID(iid, IID_IPersistStream) ? static_cast<IPersist*>(this) : nullptr;
    }

private:
    bool* gone_;
};

template <class I>
IUnknown* Identity(I* p) {
    IUnknown* u = nullptr;
    if (FAILED(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)))) return nullptr;
    u->Release();
    return u;
}

TEST(ComObject, AnswersEachListedInterfaceWithOneIdentity) {
    bool gone = false;
    auto* obj = new Both(&gone);
    IPersist* persist = nullptr;
    IObjectWithSite* site = nullptr;
    ASSERT_EQ(S_OK, obj->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    ASSERT_EQ(S_OK, obj->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
    EXPECT_EQ(static_cast<IPersist*>(obj), persist);
    EXPECT_EQ(static_cast<IObjectWithSite*>(obj), site);
    EXPECT_NE(static_cast<void*>(persist), static_cast<void*>(site));
    EXPECT_EQ(Identity(persist), Identity(site));
    EXPECT_EQ(static_cast<IUnknown*>(persist), Identity(site));
    site->Release();
    persist->Release();
    EXPECT_FALSE(gone);
    EXPECT_EQ(0u, obj->Release());
    EXPECT_TRUE(gone);
}

TEST(ComObject, RefusesOtherInterfacesAndBadArguments) {
    bool gone = false;
    auto* obj = new Both(&gone);
    const struct {
        const IID* iid;
        HRESULT want;
    } cases[] = {
        {&IID_IClassFactory, E_NOINTERFACE},
        {&IID_IDispatch, E_NOINTERFACE},
        {&IID_IPersistStream, S_OK},  // through QueryMore
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.want, obj->QueryInterface(*c.iid, &out));
        if (c.want == S_OK) {
            EXPECT_EQ(static_cast<void*>(static_cast<IPersist*>(obj)), out);
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(nullptr, out);  // a refusal never leaves a stale pointer behind
        }
    }
    EXPECT_EQ(E_POINTER, obj->QueryInterface(IID_IPersist, nullptr));
    EXPECT_EQ(2u, obj->AddRef());
    EXPECT_EQ(1u, obj->Release());
    EXPECT_FALSE(gone);
    obj->Release();
    EXPECT_TRUE(gone);
}

// An object owned elsewhere counts its references but outlives the last one.
struct OnStack : com::Object<IUnknown> {
    int finals = 0;
    void Final() override { ++finals; }
};

TEST(ComObject, FinalRunsOnceWhenTheCountReachesZero) {
    OnStack s;
    EXPECT_EQ(1u, s.refs());
    IUnknown* u = nullptr;
    ASSERT_EQ(S_OK, s.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)));
    EXPECT_EQ(2u, s.refs());
    u->Release();
    EXPECT_EQ(0, s.finals);
    EXPECT_EQ(0u, s.Release());
    EXPECT_EQ(1, s.finals);
}

class Factory : public com::Static<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TEST(ComStatic, CountsNothingAndAnswersItsInterfaces) {
    Factory f;
    IClassFactory* cf = nullptr;
    ASSERT_EQ(S_OK, f.QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&cf)));
    EXPECT_EQ(&f, cf);
    EXPECT_EQ(static_cast<IUnknown*>(&f), Identity(cf));
    void* out = &f;
    EXPECT_EQ(E_NOINTERFACE, f.QueryInterface(IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    for (int i = 0; i < 3; ++i) EXPECT_NE(0u, cf->Release());  // never frees a stack object
}

TEST(ComBstr, OwnsAndReplacesItsString) {
    com::Bstr none;
    EXPECT_EQ(nullptr, none.get());
    EXPECT_EQ(L"", none.str());
    com::Bstr b(L"abc");
    EXPECT_EQ(L"abc", b.str());
    // A result through out() replaces (and frees) what was held.
    *b.out() = SysAllocStringLen(L"x\0y", 3);
    EXPECT_EQ(std::wstring(L"x\0y", 3), b.str());
    com::Bstr null(nullptr);
    EXPECT_EQ(nullptr, null.get());
}

TEST(ComInit, UninitialisesOnlyWhatItInitialised) {
    com::Init outer;
    ASSERT_TRUE(outer);
    {
        com::Init again;  // S_FALSE counts as success and must be balanced too
        EXPECT_TRUE(again);
        com::Init other(COINIT_APARTMENTTHREADED);  // refused: this thread chose MTA
        EXPECT_FALSE(other);
        EXPECT_EQ(RPC_E_CHANGED_MODE, other.result());
    }
    // Still initialised: the refused one did not uninitialise the thread.
    IUnknown* unk = nullptr;
    EXPECT_NE(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                    reinterpret_cast<void**>(&unk)));
}

struct FakeApp {
    HRESULT logon;
    int logons = 0, logoffs = 0;
    long owner = -1;
    HRESULT Logon(long o) {
        ++logons;
        owner = o;
        return logon;
    }
    HRESULT Logoff() {
        ++logoffs;
        return S_OK;
    }
};

TEST(ComSession, LogsOffOnlyAfterALogon) {
    const struct {
        HRESULT logon;
        int logoffs;
    } cases[] = {{S_OK, 1}, {S_FALSE, 1}, {E_FAIL, 0}};
    for (const auto& c : cases) {
        FakeApp app{c.logon};
        {
            com::Session<FakeApp> s(&app, 42);
            EXPECT_EQ(SUCCEEDED(c.logon), s.ok());
            EXPECT_EQ(0, app.logoffs);
        }
        EXPECT_EQ(1, app.logons);
        EXPECT_EQ(42, app.owner);
        EXPECT_EQ(c.logoffs, app.logoffs);
    }
    com::Session<FakeApp> none(nullptr);
    EXPECT_FALSE(none.ok());
}

}  // namespace
