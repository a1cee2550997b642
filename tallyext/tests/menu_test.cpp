// The menus the extension builds for an item and the commands it carries out,
// driven as Pocket Outlook drives it: create, SetSite, QueryContextMenu, then
// GetCommandString and InvokeCommand for the chosen id.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>

#include "host.h"

using namespace txtest;

namespace {

// Two numbers and an extension too short to be one.
constexpr wchar_t kTwoNumbers[] = L"Call 555-0123 or (212) 555 7788 ext 12";
// A device program that only logs how it was started: stands in for the finder.
constexpr wchar_t kRecorder[] = L"\\Windows\\pword.exe";

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Load(TALLYEXT_DLL));
        reg_.SetString(kFinderKey, L"AppExePath", kRecorder);
        for (const wchar_t* name : {L"SeekApptSubject", L"SeekApptLocation", L"SeekApptNote", L"SeekTaskSubject",
                                    L"SeekTaskNote", L"InsertDialMenu", L"InsertTxtMsgMenu"})
            reg_.Delete(kTweakKey, name);
        menu_.reset(CreatePopupMenu());
        AppendMenuW(menu_.get(), MF_STRING, 1, L"Edit");
        AppendMenuW(menu_.get(), MF_STRING, 2, L"Delete");
    }
    // One use of the menu for the item: the extension is created after the settings.
    HRESULT Query(DWORD oid, UINT first = 100, UINT last = 200, SIZE_T blockSize = sizeof(ITEMREFARRAY)) {
        return QueryWith(std::make_unique<ItemSite>(oid, blockSize), first, last);
    }
    HRESULT QueryWith(std::unique_ptr<ItemSite> site, UINT first = 100, UINT last = 200) {
        ext_.reset();  // it holds the old site
        site_ = std::move(site);
        ext_ = server_.Create();
        if (!ext_) return E_UNEXPECTED;
        raii::ComPtr<IObjectWithSite> withSite;
        ext_->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(withSite.out()));
        withSite->SetSite(site_.get());
        return ext_->QueryContextMenu(menu_.get(), 0, first, last, CMF_NORMAL);
    }
    std::wstring Verb(UINT id) {
        wchar_t buf[256] = {};
        if (FAILED(ext_->GetCommandString(id, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(buf), 256))) return L"<fail>";
        return buf;
    }
    HRESULT Invoke(LPCSTR verb) {
        CMINVOKECOMMANDINFO ci = {};
        ci.cbSize = sizeof ci;
        ci.lpVerb = verb;
        ci.nShow = SW_SHOWNORMAL;
        return ext_->InvokeCommand(&ci);
    }
    void TearDown() override {
        ext_.reset();
        if (site_) {
            EXPECT_EQ(1u, site_->refs());  // the extension let go of its site
        }
    }

    Server server_;
    RegistryPatch reg_;
    PimItems pim_;
    raii::Menu menu_;
    std::unique_ptr<ItemSite> site_;
    raii::ComPtr<IContextMenu> ext_;
};

// A site whose data object throws a C++ exception, as an allocation failing inside
// the extension's own work would.
class ThrowingSite : public ItemSite {
public:
    explicit ThrowingSite(void (*thrower)()) : ItemSite(0), thrower_(thrower) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override {
        thrower_();
        return E_FAIL;
    }

private:
    void (*thrower_)();
};

const std::wstring kBothMenus =
    L"[Send Text Message]\n  102 555-0123 \n  103 (212) 555 7788 \n"
    L"[Dial Number]\n  100 555-0123 \n  101 (212) 555 7788 \n"
    L"1 Edit\n2 Delete\n";

}  // namespace

TEST_F(MenuTest, AnAppointmentWithTwoNumbersGetsBothPopupsWithBothNumbers) {
    const DWORD oid = pim_.Appointment(0xE101, kTwoNumbers);
    ASSERT_NE(0u, oid);
    EXPECT_EQ(MAKE_HRESULT(0, 0, 4), Query(oid));
    EXPECT_EQ(kBothMenus, Describe(menu_.get()));
    EXPECT_EQ(L"/d:555-0123 ", Verb(100));
    EXPECT_EQ(L"/d:(212) 555 7788 ", Verb(101));
    EXPECT_EQ(L"/s:555-0123 ", Verb(102));
    EXPECT_EQ(L"/s:(212) 555 7788 ", Verb(103));
}

TEST_F(MenuTest, SubjectLocationAndNoteInThatOrderAsTheSettingsAllow) {
    const DWORD oid = pim_.Appointment(0xE102, L"Sync with 555-1111", L"Room 4 (dial-in 555-2222)",
                                       L"Backup: 555-3333\r\nor 555-1111");
    EXPECT_EQ(MAKE_HRESULT(0, 0, 8), Query(oid));
    EXPECT_EQ(L"/d:555-1111", Verb(100));
    EXPECT_EQ(L"/d:555-2222)", Verb(101));  // ")" belongs to numbers
    EXPECT_EQ(L"/d:555-3333", Verb(102));
    EXPECT_EQ(L"/d:555-1111", Verb(103));

    reg_.SetDword(kTweakKey, L"SeekApptLocation", 0);
    reg_.SetDword(kTweakKey, L"InsertDialMenu", 0);
    EXPECT_EQ(MAKE_HRESULT(0, 0, 6), Query(oid));  // text ids still follow the 3 dial ids
    EXPECT_EQ(L"[Send Text Message]\n  103 555-1111\n  104 555-3333\n  105 555-1111\n1 Edit\n2 Delete\n",
              Describe(menu_.get()));
    EXPECT_EQ(L"<fail>", Verb(100));
}

TEST_F(MenuTest, AppointmentSettingsOffLeaveTasksSearched) {
    const DWORD appt = pim_.Appointment(0xE103, kTwoNumbers);
    const DWORD task = pim_.Task(0xE104, L"Ring back", L"Her number: +44 20 7946 0958");
    for (const wchar_t* name : {L"SeekApptSubject", L"SeekApptLocation", L"SeekApptNote"})
        reg_.SetDword(kTweakKey, name, 0);
    EXPECT_EQ(S_OK, Query(appt));
    EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get()));
    EXPECT_EQ(MAKE_HRESULT(0, 0, 2), Query(task));
    EXPECT_EQ(L"/s:+44 20 7946 0958", Verb(101));

    reg_.SetDword(kTweakKey, L"InsertDialMenu", 0);
    reg_.SetDword(kTweakKey, L"InsertTxtMsgMenu", 0);
    EXPECT_EQ(S_OK, Query(task));  // no menus wanted: nothing added
    EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get()));
}

TEST_F(MenuTest, EveryLeftoverPopupIsReplaced) {
    const DWORD oid = pim_.Appointment(0xE105, kTwoNumbers);
    EXPECT_EQ(MAKE_HRESULT(0, 0, 4), Query(oid));
    EXPECT_EQ(MAKE_HRESULT(0, 0, 4), Query(oid));
    EXPECT_EQ(kBothMenus, Describe(menu_.get()));
    // An item with nothing to offer takes the old popups away too.
    const DWORD none = pim_.Appointment(0xE106, L"Lunch");
    EXPECT_EQ(S_OK, Query(none));
    EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get()));
}

TEST_F(MenuTest, NoFinderNoMenus) {
    const DWORD oid = pim_.Appointment(0xE107, kTwoNumbers);
    reg_.Delete(kFinderKey, L"AppExePath");
    EXPECT_EQ(S_OK, Query(oid));
    EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get()));
    EXPECT_EQ(0, site_->requests());  // not even the item was asked for
}

TEST_F(MenuTest, ABadSiteOrItemAddsNothing) {
    const DWORD oid = pim_.Appointment(0xE108, kTwoNumbers);
    EXPECT_EQ(S_OK, Query(oid, 100, 200, 8));  // a block too short to hold the id
    EXPECT_EQ(1, site_->requests());
    EXPECT_EQ(S_OK, Query(0x4000EFFF));  // no such item
    EXPECT_EQ(S_OK, Query(0x8000E108));  // a contact's id
    EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get()));
    ext_.reset();
    site_.reset();
    ext_ = server_.Create();  // no site at all
    EXPECT_EQ(S_OK, ext_->QueryContextMenu(menu_.get(), 0, 100, 200, CMF_NORMAL));
    EXPECT_EQ(E_INVALIDARG, ext_->QueryContextMenu(nullptr, 0, 100, 200, CMF_NORMAL));
}

TEST_F(MenuTest, TheItemBlockIsReadOnlyWhenItHoldsTheWholeRecord) {
    const DWORD oid = pim_.Appointment(0xE10A, kTwoNumbers);
    const HRESULT both = MAKE_HRESULT(0, 0, 4);
    const struct {
        SIZE_T size;
        HRESULT want;
    } cases[] = {
        {offsetof(ITEMREFARRAY, oid), S_OK},          // ends where the id would start
        {sizeof(ITEMREFARRAY) - 1, S_OK},             // one byte short of it
        {sizeof(ITEMREFARRAY), both},                 // exactly the record
        {sizeof(ITEMREFARRAY) + 64, both},            // a host that rounds up
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.want, Query(oid, 100, 200, c.size)) << c.size;
        EXPECT_EQ(1, site_->requests()) << c.size;
    }
}

TEST_F(MenuTest, IdsStopAtTheHostsLast) {
    const DWORD oid = pim_.Appointment(0xE109, kTwoNumbers);
    EXPECT_EQ(MAKE_HRESULT(0, 0, 3), Query(oid, 100, 102));
    EXPECT_EQ(L"[Send Text Message]\n  102 555-0123 \n[Dial Number]\n  100 555-0123 \n  101 (212) 555 7788 \n"
              L"1 Edit\n2 Delete\n",
              Describe(menu_.get()));
}

TEST_F(MenuTest, CommandStringsHonourTheTypeAndTheBuffer) {
    ASSERT_EQ(MAKE_HRESULT(0, 0, 4), Query(pim_.Appointment(0xE10A, kTwoNumbers)));
    char narrow[64];
    memset(narrow, 'x', sizeof narrow);
    EXPECT_EQ(S_OK, ext_->GetCommandString(102, GCS_VERBA, nullptr, narrow, 64));
    EXPECT_STREQ("/s:555-0123 ", narrow);
    EXPECT_EQ('x', narrow[13]);

    wchar_t wide[8];
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
              ext_->GetCommandString(102, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), 8));
    EXPECT_EQ(0, wide[0]);
    memset(narrow, 'x', sizeof narrow);
    EXPECT_TRUE(FAILED(ext_->GetCommandString(99, GCS_VERBA, nullptr, narrow, 64)));
    EXPECT_EQ(0, narrow[0]);
    EXPECT_EQ(S_OK, ext_->GetCommandString(100, GCS_VALIDATEW, nullptr, nullptr, 0));
    EXPECT_EQ(S_FALSE, ext_->GetCommandString(104, GCS_VALIDATEW, nullptr, nullptr, 0));
    EXPECT_TRUE(FAILED(ext_->GetCommandString(100, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(wide), 8)));
}

TEST_F(MenuTest, InvokeStartsTheFinderForAnOffsetOrAVerbItProduced) {
    ASSERT_EQ(MAKE_HRESULT(0, 0, 4), Query(pim_.Appointment(0xE10B, kTwoNumbers)));
    unsigned long long from = devlog::LogSize();
    const std::wstring verb = Verb(103);
    EXPECT_EQ(S_OK, Invoke(reinterpret_cast<LPCSTR>(verb.c_str())));
    EXPECT_EQ(S_OK, Invoke(MAKEINTRESOURCEA(1)));  // offset 1: id 101
    // Strings the map did not produce, and offsets past it, start nothing.
    const std::wstring forged = L"/d:0900-666 & more";
    EXPECT_EQ(E_INVALIDARG, Invoke(reinterpret_cast<LPCSTR>(forged.c_str())));
    EXPECT_EQ(E_INVALIDARG, Invoke(MAKEINTRESOURCEA(4)));
    EXPECT_EQ(E_INVALIDARG, Invoke("/d:555-0123 "));  // narrow: not this host's convention
    EXPECT_EQ(E_INVALIDARG, ext_->InvokeCommand(nullptr));

    // The started programs log on their own time; both run concurrently.
    std::vector<std::vector<devlog::Field>> starts;
    for (int i = 0; i < 400 && starts.size() < 2; ++i, Sleep(50)) starts = LogFrom(from, "pword");
    ASSERT_EQ(2u, starts.size());
    std::vector<std::string> lines = {Field(starts[0], "commandLine"), Field(starts[1], "commandLine")};
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ((std::vector<std::string>{"/d:(212) 555 7788 ", "/s:(212) 555 7788 "}), lines);
}

TEST_F(MenuTest, AFinderThatCannotBeStartedIsAFailure) {
    reg_.SetString(kFinderKey, L"AppExePath", L"\\Program Files\\Nowhere\\tallyra.exe");
    ASSERT_EQ(MAKE_HRESULT(0, 0, 4), Query(pim_.Appointment(0xE10C, kTwoNumbers)));
    const std::wstring verb = Verb(100);
    EXPECT_TRUE(FAILED(Invoke(reinterpret_cast<LPCSTR>(verb.c_str()))));
}

TEST_F(MenuTest, AnExceptionInsideBecomesTheHostsResult) {
    const struct {
        const char* what;
        void (*thrower)();
        HRESULT expected;
    } cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"length_error", [] { std::wstring().resize(std::wstring().max_size() + 1); }, E_FAIL},
        {"int", [] { throw 7; }, E_FAIL},
    };
    for (const auto& c : cases) {
        HRESULT hr = S_OK;
        EXPECT_NO_THROW(hr = QueryWith(std::make_unique<ThrowingSite>(c.thrower))) << c.what;
        EXPECT_EQ(c.expected, hr) << c.what;
        EXPECT_EQ(L"1 Edit\n2 Delete\n", Describe(menu_.get())) << c.what;
    }
}

TEST(LanguageLibrary, HoldsThePopupTitles) {
    raii::Library lib(LoadLibraryW(L"D:\\Program Files\\Olvane\\Tallyra\\LangRes\\TLLangRcEng.dll"));
    ASSERT_TRUE(lib);
    wchar_t text[64] = {};
    EXPECT_LT(0, LoadStringW(lib.get(), 8056, text, 64));
    EXPECT_STREQ(L"Dial Number", text);
    EXPECT_LT(0, LoadStringW(lib.get(), 8058, text, 64));
    EXPECT_STREQ(L"Send Text Message", text);
}
