// The COM contract of the server: exports, class objects, aggregation, reference
// counts and unloading, the site, and registration against the registry.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "host.h"
#include "pe_exports.h"

using namespace txtest;

namespace {

const wchar_t* const kClasses[] = {L"{F89616F1-C3A6-4af3-8B39-6EE5A41175C0}", L"{A4A3F257-008B-4cb5-A6CC-2DE2BC0037F2}",
                                   L"{3D93274C-E776-4233-8291-78BBA9D0313B}", L"{B0251639-F731-41cb-B92D-B4F786F3F5EE}"};
constexpr wchar_t kDeviceCopy[] = L"D:\\Program Files\\Olvane\\Tallyra\\tallyext.dll";

// A site that only counts its references.
struct CountedUnknown : com::Object<IUnknown> {
    void Final() override {}
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Load(TALLYEXT_DLL)); }
    Server server_;
};

// The registry fragment the device image is made with: key -> (value name -> text).
using Keys = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

std::wstring Unescape(const std::string& quoted) {
    std::wstring out;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) ++i;
        out += wchar_t(static_cast<unsigned char>(quoted[i]));
    }
    return out;
}

Keys ReadFragment() {
    Keys keys;
    std::ifstream in(TALLYEXT_REG);
    std::string line;
    std::wstring key;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line[0] == '[') {
            key = std::wstring(line.begin() + 1, line.end() - 1);
            keys[key];
        } else if (!line.empty()) {
            const size_t eq = line.find("=\"");
            const std::string name = line.substr(0, eq);
            keys[key][name == "@" ? L"" : Unescape(name)] = Unescape(line.substr(eq + 1));
        }
    }
    return keys;
}

// The string values of one key, or false when it does not exist.
bool ReadKey(const std::wstring& full, std::map<std::wstring, std::wstring>* values) {
    const size_t slash = full.find(L'\\');
    const std::wstring rootName = full.substr(0, slash);
    HKEY root = rootName == L"HKEY_CLASSES_ROOT" ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
    raii::Key key;
    if (RegOpenKeyExW(root, full.substr(slash + 1).c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    values->clear();
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], data[512];
        DWORD nameLen = 256, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        if (RegEnumValueW(key.get(), i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        data[dataSize / sizeof(wchar_t)] = 0;
        (*values)[name] = type == REG_SZ ? data : L"<not a string>";
    }
    return true;
}

}  // namespace

TEST_F(ServerTest, ExportsTheFourEntryPointsByNameOnly) {
    pe::Exports exports;
    ASSERT_TRUE(pe::ReadExports(server_.lib.get(), &exports));
    std::vector<std::string> names = exports.names;
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "DllUnregisterServer"}),
              names);
    EXPECT_EQ(4u, exports.ordinals.size());
}

TEST_F(ServerTest, ClassObjectsForTheFourClassesOnly) {
    for (const wchar_t* text : kClasses) {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromString(const_cast<LPOLESTR>(text), &clsid));
        raii::ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, server_.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.out())));
        EXPECT_TRUE(factory);
        raii::ComPtr<IUnknown> unknown;
        EXPECT_EQ(S_OK, server_.getClassObject(clsid, IID_IUnknown, reinterpret_cast<void**>(unknown.out())));
        void* other = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, server_.getClassObject(clsid, IID_IContextMenu, &other));
        EXPECT_EQ(nullptr, other);
    }
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, server_.getClassObject(CLSID_Application, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, server_.canUnloadNow());  // nothing left alive by failed requests
}

TEST_F(ServerTest, FactoriesObjectsAndLocksKeepTheModuleLoaded) {
    EXPECT_EQ(S_OK, server_.canUnloadNow());
    raii::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK,
              server_.getClassObject(kCalendarSoftkey, IID_IClassFactory, reinterpret_cast<void**>(factory.out())));
    EXPECT_EQ(S_FALSE, server_.canUnloadNow());  // its code must outlive the factory

    raii::ComPtr<IObjectWithSite> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(object.out())));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, server_.canUnloadNow());
    object.reset();
    EXPECT_EQ(S_FALSE, server_.canUnloadNow());  // still locked
    raii::ComPtr<IClassFactory> again;
    ASSERT_EQ(S_OK,
              server_.getClassObject(kCalendarSoftkey, IID_IClassFactory, reinterpret_cast<void**>(again.out())));
    EXPECT_EQ(S_OK, again->LockServer(FALSE));
    again.reset();
    EXPECT_EQ(S_OK, server_.canUnloadNow());
}

TEST_F(ServerTest, AggregationAndUnknownInterfacesAreRefused) {
    raii::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK,
              server_.getClassObject(kCalendarSoftkey, IID_IClassFactory, reinterpret_cast<void**>(factory.out())));
    CountedUnknown outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1u, outer.refs());
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IDataObject, &out));
    EXPECT_EQ(nullptr, out);
    factory.reset();
    EXPECT_EQ(S_OK, server_.canUnloadNow());  // the refused object was destroyed
}

TEST_F(ServerTest, OneObjectBehindBothInterfacesWithOneCount) {
    raii::ComPtr<IContextMenu> menu = server_.Create();
    ASSERT_TRUE(menu);
    raii::ComPtr<IObjectWithSite> site;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(site.out())));
    raii::ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(a.out())));
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(b.out())));
    EXPECT_EQ(a.get(), b.get());  // COM identity
    raii::ComPtr<IContextMenu> back;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(back.out())));
    EXPECT_EQ(menu.get(), back.get());
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, menu->QueryInterface(IID_IDataObject, &out));
    EXPECT_EQ(nullptr, out);
    // menu, site, a, b, back: five references, counted together.
    EXPECT_EQ(6u, menu->AddRef());
    EXPECT_EQ(5u, site->Release());
    back.reset();
    a.reset();
    b.reset();
    site.reset();
    IContextMenu* raw = menu.get();
    raw->AddRef();
    menu.reset();
    EXPECT_EQ(S_FALSE, server_.canUnloadNow());
    EXPECT_EQ(0u, raw->Release());  // the last reference takes the object with it
    EXPECT_EQ(S_OK, server_.canUnloadNow());
}

TEST_F(ServerTest, TheSiteIsHeldWithAReferenceUntilReplaced) {
    raii::ComPtr<IContextMenu> menu = server_.Create();
    ASSERT_TRUE(menu);
    raii::ComPtr<IObjectWithSite> object;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(object.out())));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, object->GetSite(IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);

    CountedUnknown first, second;
    EXPECT_EQ(S_OK, object->SetSite(&first));
    EXPECT_EQ(2u, first.refs());
    raii::ComPtr<IUnknown> got;
    EXPECT_EQ(S_OK, object->GetSite(IID_IUnknown, reinterpret_cast<void**>(got.out())));
    EXPECT_EQ(&first, got.get());
    got.reset();
    EXPECT_EQ(E_NOINTERFACE, object->GetSite(IID_IDataObject, &out));
    EXPECT_EQ(S_OK, object->SetSite(&second));
    EXPECT_EQ(1u, first.refs());
    EXPECT_EQ(2u, second.refs());
    object.reset();
    menu.reset();
    EXPECT_EQ(1u, second.refs());  // released with the object
}

TEST_F(ServerTest, RegistrationWritesWhatTheDeviceImageHoldsAndUnregistrationRemovesIt) {
    const Keys fragment = ReadFragment();
    ASSERT_EQ(12u, fragment.size());
    // Registered from where the device installs it, the server writes exactly the
    // image's fragment (the test device was made from it, so it starts registered).
    Server installed;
    ASSERT_TRUE(installed.Load(kDeviceCopy));
    ASSERT_EQ(S_OK, installed.registerServer());
    for (const auto& k : fragment) {
        std::map<std::wstring, std::wstring> values;
        ASSERT_TRUE(ReadKey(k.first, &values)) << std::string(k.first.begin(), k.first.end());
        EXPECT_TRUE(values == k.second) << std::string(k.first.begin(), k.first.end());
    }

    ASSERT_EQ(S_OK, installed.unregisterServer());
    std::map<std::wstring, std::wstring> values;
    for (const auto& k : fragment)
        EXPECT_FALSE(ReadKey(k.first, &values)) << std::string(k.first.begin(), k.first.end());
    EXPECT_EQ(S_OK, installed.unregisterServer());  // nothing left to remove is no failure

    // Registered from elsewhere, the keys name that file.
    ASSERT_EQ(S_OK, server_.registerServer());
    ASSERT_TRUE(ReadKey(std::wstring(L"HKEY_CLASSES_ROOT\\CLSID\\") + kClasses[2] + L"\\InprocServer32", &values));
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(server_.lib.get(), path, MAX_PATH);
    EXPECT_EQ(path, values[L""]);
    EXPECT_EQ(L"Both", values[L"ThreadingModel"]);

    // Leave the device as it was made.
    ASSERT_EQ(S_OK, installed.registerServer());
}
