// The application object as its callers use it: created in-process from the device
// registration, logged on and off, items found by their object identifier, named
// properties, folders and new items.
#include "pe_exports.h"
#include "pim_test.h"

using namespace pimtest;

namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";

std::wstring RegString(const wchar_t* path, const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    raii::Key key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return L"<no key>";
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
        return L"<no value>";
    return buf;
}

}  // namespace

TEST(PimServer, RegisteredMachineWideAsAFreeThreadedInprocServer) {
    const wchar_t* key = L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}\\InprocServer32";
    EXPECT_EQ(L"Both", RegString(key, L"ThreadingModel"));
    EXPECT_EQ(L"D:\\Windows\\pimstore.dll", RegString(key, nullptr));
}

TEST(PimServer, ExportsTheFourServerEntryPointsByName) {
    raii::Library lib(LoadLibraryW(PIMSTORE_DLL));
    ASSERT_TRUE(lib);
    pe::Exports e;
    ASSERT_TRUE(pe::ReadExports(lib.get(), &e));
    std::vector<std::string> names = e.names;
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "DllUnregisterServer"}),
              names);

    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(lib.get(), "DllGetClassObject")));
    ASSERT_NE(nullptr, get);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(IID_IAppointment, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    raii::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, get(CLSID_Application, IID_IClassFactory, reinterpret_cast<void**>(factory.out())));
    raii::ComPtr<IUnknown> obj;
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory.get());
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(obj.out())));
    EXPECT_FALSE(obj);
}

TEST(PimServer, AnswersForItsInterfacesOnly) {
    const com::Init com;
    ASSERT_TRUE(com);
    {
        raii::ComPtr<IPOutlookApp> app;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                         reinterpret_cast<void**>(app.out())));
        raii::ComPtr<IPOutlookApp2> app2;
        EXPECT_EQ(S_OK, app->QueryInterface(IID_IPOutlookApp2, reinterpret_cast<void**>(app2.out())));
        raii::ComPtr<IDispatch> disp;
        EXPECT_EQ(S_OK, app->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(disp.out())));
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, app->QueryInterface(IID_IAppointment, &none));
        EXPECT_EQ(nullptr, none);
    }
}

TEST_F(PimTest, NothingIsFoundBeforeLogonOrAfterLogoffButItemsOutliveLogoff) {
    CEOID rec = vol_.Add(kContacts, {cedbtest::U4(kRecid, 0xF101), cedbtest::Str(0x0080001F, L"Berg, Ann")});
    raii::ComPtr<IPOutlookApp2> fresh;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                     reinterpret_cast<void**>(fresh.out())));
    raii::ComPtr<IDispatch> item;
    EXPECT_EQ(E_UNEXPECTED, fresh->GetItemFromOid(long(0x8000F101), item.out()));
    EXPECT_FALSE(item);

    raii::ComPtr<IContact> c = Get<IContact>(long(0x8000F101), IID_IContact);
    ASSERT_TRUE(c);
    EXPECT_EQ(S_OK, app_->Logon(0));  // a second logon is harmless
    EXPECT_EQ(S_OK, app_->Logoff());
    EXPECT_EQ(E_UNEXPECTED, app_->GetItemFromOid(long(0x8000F101), item.out()));
    Bstr name(L"Berg, Anna");
    EXPECT_EQ(S_OK, c->put_FileAs(name.get()));
    EXPECT_EQ(S_OK, c->Save());
    cedbtest::ReadBuffer b;
    EXPECT_STREQ(L"Berg, Anna", vol_.Read(kContacts, rec, &b)[0x0080001F].val.lpwstr);
}

TEST_F(PimTest, ObjectIdentifiersFollowTheKindRuleWithWrap) {
    vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF111), cedbtest::Str(0x0020001F, L"appointment")});
    vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF111), cedbtest::Str(0x0020001F, L"task")});
    vol_.Add(kContacts, {cedbtest::U4(kRecid, 0xF111), cedbtest::Str(0x0080001F, L"contact")});

    HRESULT hr;
    Bstr s;
    auto a = Get<IAppointment>(long(0x4000F111), IID_IAppointment, &hr);
    ASSERT_TRUE(a) << std::hex << hr;
    a->get_Subject(s.out());
    EXPECT_EQ(L"appointment", s.str());
    // RECID - 0x40000000 wraps to 0xC000....
    auto t = Get<ITask>(long(0xC000F111), IID_ITask, &hr);
    ASSERT_TRUE(t) << std::hex << hr;
    t->get_Subject(s.out());
    EXPECT_EQ(L"task", s.str());
    auto c = Get<IContact>(long(0x8000F111), IID_IContact, &hr);
    ASSERT_TRUE(c) << std::hex << hr;
    c->get_FileAs(s.out());
    EXPECT_EQ(L"contact", s.str());
    long oid = 0;
    EXPECT_EQ(S_OK, t->get_Oid(&oid));
    EXPECT_EQ(long(0xC000F111), oid);

    // An item answers for its own kind only.
    raii::ComPtr<IDispatch> d;
    ASSERT_EQ(S_OK, app_->GetItemFromOid(long(0x4000F111), d.out()));
    raii::ComPtr<ITask> wrong;
    EXPECT_EQ(E_NOINTERFACE, d->QueryInterface(IID_ITask, reinterpret_cast<void**>(wrong.out())));
}

TEST_F(PimTest, UnknownAndStaleIdentifiersFailWithANullItem) {
    CEOID rec = vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF121), cedbtest::Str(0x0020001F, L"gone soon")});
    for (long oid : {0L, long(0x12345678), long(0x4000F122), long(0xC0000000), long(0x8000FFFF)}) {
        IDispatch* raw = reinterpret_cast<IDispatch*>(1);
        EXPECT_EQ(E_INVALIDARG, app_->GetItemFromOid(oid, &raw)) << std::hex << oid;
        EXPECT_EQ(nullptr, raw);
    }
    EXPECT_EQ(E_POINTER, app_->GetItemFromOid(long(0xC000F121), nullptr));

    auto t = Get<ITask>(long(0xC000F121), IID_ITask);
    ASSERT_TRUE(t);
    {
        cedbtest::DbHandle h(vol_.Open(kTasks));
        ASSERT_TRUE(CeDeleteRecord(h, rec));
    }
    HRESULT hr;
    EXPECT_FALSE(Get<ITask>(long(0xC000F121), IID_ITask, &hr));
    EXPECT_EQ(E_INVALIDARG, hr);
    // The item still in hand can neither bring the record back nor delete another.
    Bstr s(L"changed");
    t->put_Subject(s.get());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), t->Save());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), t->Delete());
    EXPECT_FALSE(Get<ITask>(long(0xC000F121), IID_ITask));
}

TEST_F(PimTest, NamedPropertyIdsAreStableAndTyped) {
    const LPCWSTR known[] = {L"DR_IconName", L"PI_IconName"};
    CEPROPID ids[2] = {};
    ASSERT_EQ(S_OK, app_->GetIDsFromNames(2, known, PIM_CREATE | CEVT_BLOB, ids));
    EXPECT_EQ(0x80010041u, ids[0]);
    EXPECT_EQ(0x80020041u, ids[1]);

    // A new name is numbered once, and keeps its number for every later caller.
    const LPCWSTR mine[] = {L"PimTest_Stable"};
    CEPROPID first = 0, again = 0, looked = 0;
    ASSERT_EQ(S_OK, app_->GetIDsFromNames(1, mine, PIM_CREATE | CEVT_LPWSTR, &first));
    EXPECT_GE(first >> 16, 0x8100u);
    EXPECT_EQ(CEPROPID(CEVT_LPWSTR), first & 0xFFFF);
    raii::ComPtr<IPOutlookApp2> other;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                     reinterpret_cast<void**>(other.out())));
    ASSERT_EQ(S_OK, other->Logon(0));
    EXPECT_EQ(S_OK, other->GetIDsFromNames(1, mine, PIM_CREATE | CEVT_LPWSTR, &again));
    EXPECT_EQ(first, again);
    EXPECT_EQ(S_OK, other->GetIDsFromNames(1, mine, 0, &looked));  // no type: the stored one
    EXPECT_EQ(first, looked);
    // Asked for with another type: refused.
    CEPROPID clash = 0;
    EXPECT_TRUE(FAILED(other->GetIDsFromNames(1, mine, CEVT_BLOB, &clash)));
    EXPECT_EQ(CEPROPID(PIM_INVALIDID), clash);
    other->Logoff();

    // Unknown without PIM_CREATE: that slot is invalid, the others are filled.
    const LPCWSTR mixed[] = {L"PimTest_NeverCreated", L"DR_IconName"};
    CEPROPID two[2] = {};
    EXPECT_TRUE(FAILED(app_->GetIDsFromNames(2, mixed, CEVT_BLOB, two)));
    EXPECT_EQ(CEPROPID(PIM_INVALIDID), two[0]);
    EXPECT_EQ(0x80010041u, two[1]);

    EXPECT_EQ(E_INVALIDARG, app_->GetIDsFromNames(0, mine, CEVT_BLOB, ids));
    EXPECT_EQ(E_INVALIDARG, app_->GetIDsFromNames(1, nullptr, CEVT_BLOB, ids));
    EXPECT_EQ(E_INVALIDARG, app_->GetIDsFromNames(1, mine, CEVT_BLOB, nullptr));
    const LPCWSTR empty[] = {L""};
    EXPECT_EQ(E_INVALIDARG, app_->GetIDsFromNames(1, empty, PIM_CREATE | CEVT_BLOB, ids));
}

TEST_F(PimTest, FoldersListTheirItemsAndCreateNewOnes) {
    raii::ComPtr<IFolder> folder;
    EXPECT_EQ(E_INVALIDARG, app_->GetDefaultFolder(42, folder.out()));
    ASSERT_EQ(S_OK, app_->GetDefaultFolder(olFolderTasks, folder.out()));
    int type = 0;
    EXPECT_EQ(S_OK, folder->get_DefaultItemType(&type));
    EXPECT_EQ(olTaskItem, type);
    raii::ComPtr<IPOutlookItemCollection> items;
    ASSERT_EQ(S_OK, folder->get_Items(items.out()));
    int before = -1, after = -1;
    ASSERT_EQ(S_OK, items->get_Count(&before));

    raii::ComPtr<IDispatch> d;
    ASSERT_EQ(S_OK, items->Add(d.out()));
    raii::ComPtr<ITask> task;
    ASSERT_EQ(S_OK, d->QueryInterface(IID_ITask, reinterpret_cast<void**>(task.out())));
    long oid = -1;
    EXPECT_EQ(S_OK, task->get_Oid(&oid));
    EXPECT_EQ(0, oid);  // not in the store yet
    EXPECT_EQ(E_UNEXPECTED, task->Delete());
    Bstr subject(L"new task");
    task->put_Subject(subject.get());
    ASSERT_EQ(S_OK, task->Save());
    ASSERT_EQ(S_OK, task->get_Oid(&oid));
    EXPECT_EQ(0xC000u, uint32_t(oid) >> 16);

    ASSERT_EQ(S_OK, items->get_Count(&after));
    EXPECT_EQ(before + 1, after);
    raii::ComPtr<IDispatch> last;
    ASSERT_EQ(S_OK, items->Item(after, last.out()));
    raii::ComPtr<ITask> found;
    ASSERT_EQ(S_OK, last->QueryInterface(IID_ITask, reinterpret_cast<void**>(found.out())));
    Bstr s;
    found->get_Subject(s.out());
    EXPECT_EQ(L"new task", s.str());
    DATE due = 0;
    EXPECT_EQ(S_OK, found->get_DueDate(&due));
    EXPECT_EQ(PIM_NODATE, due);
    EXPECT_EQ(E_INVALIDARG, items->Item(0, last.out()));
    EXPECT_EQ(E_INVALIDARG, items->Item(after + 1, last.out()));

    // A second new item takes another RECID.
    raii::ComPtr<IDispatch> d2;
    ASSERT_EQ(S_OK, app_->CreateItem(olTaskItem, d2.out()));
    raii::ComPtr<ITask> task2;
    ASSERT_EQ(S_OK, d2->QueryInterface(IID_ITask, reinterpret_cast<void**>(task2.out())));
    ASSERT_EQ(S_OK, task2->Save());
    long oid2 = 0;
    task2->get_Oid(&oid2);
    EXPECT_NE(oid, oid2);
    EXPECT_EQ(S_OK, task->Delete());
    EXPECT_EQ(S_OK, task2->Delete());
    EXPECT_EQ(E_INVALIDARG, app_->CreateItem(7, d2.out()));
}
