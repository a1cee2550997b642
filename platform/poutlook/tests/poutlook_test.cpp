// \Windows\poutlook.exe as the system and the tests drive it: a start records its
// command line; --menu builds an item's context menu with the registered extensions
// (the test extension here, registered by the test) and --choose carries a command
// through GetCommandString and InvokeCommand.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "devicelog.h"
#include "raii.h"
#include "windbase.h"

namespace {

constexpr wchar_t kPoutlook[] = L"D:\\Windows\\poutlook.exe";
constexpr wchar_t kClassA[] = L"{7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B01}";
constexpr wchar_t kClassB[] = L"{7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B02}";
constexpr wchar_t kCalendarMenu[] =
    L"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\Calendar\\Main_ContextMenu\\";

struct Outcome {
    DWORD code = ~0u;
    std::string out;
};

// Runs the program with its output captured; the test fails on a hang.
Outcome Start(const std::wstring& args) {
    Outcome r;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    raii::Handle read, write;
    if (!CreatePipe(read.out(), write.out(), &sa, 0)) return r;
    SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write.get();
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring cmd = std::wstring(L"\"") + kPoutlook + L"\" " + args;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(kPoutlook, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return r;
    raii::Handle process(pi.hProcess), thread(pi.hThread);
    write.reset();
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(read.get(), buf, sizeof buf, &n, nullptr) && n) r.out.append(buf, n);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 60000));
    GetExitCodeProcess(process.get(), &r.code);
    return r;
}

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

std::vector<std::vector<devlog::Field>> From(unsigned long long at, const char* source) {
    std::vector<std::vector<devlog::Field>> out;
    for (auto& l : devlog::ReadLog(at))
        if (Text(l, "source") == source) out.push_back(l);
    return out;
}

bool SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    raii::Key key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr)) return false;
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The test extension registered as a Calendar extension under one or two class ids
// for the test, and an appointment to show the menu of.
class PoutlookMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[] = L"\\pim.vol";
        ASSERT_TRUE(CeMountDBVolEx(&guid_, path, nullptr, OPEN_EXISTING));
        CEOID dboid = 0;
        HANDLE db = CeOpenDatabaseInSession(nullptr, &guid_, &dboid, const_cast<LPWSTR>(L"Appointments Database"),
                                            nullptr, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, db);
        CEPROPVAL props[2] = {};
        props[0].propid = 0x10000066;
        props[0].val.ulVal = 0xF501;
        props[1].propid = 0x0020001F;
        props[1].val.lpwstr = const_cast<LPWSTR>(L"Team sync");
        record_ = CeWriteRecordProps(db, 0, 2, props);
        CloseHandle(db);
        ASSERT_NE(0u, record_);
        from_ = devlog::LogSize();
    }
    void TearDown() override {
        for (const wchar_t* c : {kClassA, kClassB}) Unregister(c);
        CEOID dboid = 0;
        HANDLE db = CeOpenDatabaseInSession(nullptr, &guid_, &dboid, const_cast<LPWSTR>(L"Appointments Database"),
                                            nullptr, 0, nullptr);
        if (db != INVALID_HANDLE_VALUE) {
            CeDeleteRecord(db, record_);
            CloseHandle(db);
        }
        CeUnmountDBVol(&guid_);
    }
    static void Register(const wchar_t* clsid) {
        std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
        ASSERT_TRUE(SetString(HKEY_CLASSES_ROOT, key, nullptr, TESTEXT_DLL));
        ASSERT_TRUE(SetString(HKEY_CLASSES_ROOT, key, L"ThreadingModel", L"Both"));
        ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kCalendarMenu + std::wstring(clsid), nullptr, L"PimTest extension"));
    }
    static void Unregister(const wchar_t* clsid) {
        std::wstring key = std::wstring(L"CLSID\\") + clsid;
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kCalendarMenu + std::wstring(clsid)).c_str());
    }

    CEGUID guid_ = {};
    CEOID record_ = 0;
    unsigned long long from_ = 0;
};

}  // namespace

TEST(Poutlook, AStartRecordsItsCommandLine) {
    unsigned long long from = devlog::LogSize();
    Outcome r = Start(L"calendar");
    EXPECT_EQ(0u, r.code);
    auto lines = From(from, "poutlook");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("start", Text(lines[0], "event"));
    EXPECT_EQ("calendar", Text(lines[0], "args"));
}

TEST(Poutlook, AMenuWithoutExtensionsIsEmpty) {
    Outcome r = Start(L"--menu Contacts 0x80000001");
    EXPECT_EQ(0u, r.code);
    EXPECT_EQ("menu Contacts 0x80000001\n(empty)\n", r.out);
}

TEST(Poutlook, BadArgumentsAreRefused) {
    for (const wchar_t* args : {L"--menu", L"--menu Calendar", L"--menu Calendar 12x", L"--menu Calendar -1",
                                L"--menu Calendar 0x100000000", L"--menu Calendar 1 --choose",
                                L"--menu Calendar 1 --bogus x", L"--menu ..\\x 1"}) {
        EXPECT_EQ(2u, Start(args).code) << std::string(args, args + wcslen(args));
    }
}

TEST_F(PoutlookMenuTest, RoundTripFromQueryContextMenuToInvokeCommand) {
    Register(kClassA);
    Outcome r = Start(L"--menu Calendar 0x4000F501 --choose \"Test Extension/Say Team sync\"");
    EXPECT_EQ(0u, r.code) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("menu Calendar 0x4000F501\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("popup \"Test Extension\"\n  1000 \"Say Team sync\"\n  1001 \"Silent\"\n"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("command 1000 verb \"say:0x4000F501:1000\" invoked: 0x00000000\n"))
        << r.out;

    auto ext = From(from_, "testext");
    ASSERT_EQ(3u, ext.size());
    EXPECT_EQ("query", Text(ext[0], "event"));
    EXPECT_EQ("1000", Text(ext[0], "first"));
    EXPECT_EQ("0", Text(ext[0], "index"));
    EXPECT_EQ("0", Text(ext[0], "getData"));
    EXPECT_EQ(std::to_string(0x4000F501), Text(ext[0], "oid"));  // from offset 8
    EXPECT_EQ(std::to_string(long(0x80040064)), Text(ext[0], "wrongTymed"));
    EXPECT_EQ("Team sync", Text(ext[0], "subject"));  // through the object model
    EXPECT_EQ("verb", Text(ext[1], "event"));
    EXPECT_EQ("1000", Text(ext[1], "id"));
    EXPECT_EQ("4", Text(ext[1], "type"));  // GCS_VERBW
    EXPECT_EQ("256", Text(ext[1], "cch"));
    EXPECT_EQ("invoke", Text(ext[2], "event"));
    EXPECT_EQ(std::to_string(sizeof(CMINVOKECOMMANDINFO)), Text(ext[2], "cbSize"));
    EXPECT_EQ("say:0x4000F501:1000", Text(ext[2], "verb"));

    auto host = From(from_, "poutlook");
    ASSERT_EQ(2u, host.size());
    EXPECT_EQ("menu", Text(host[0], "event"));
    EXPECT_EQ("1", Text(host[0], "items"));
    EXPECT_EQ("invoke", Text(host[1], "event"));
    EXPECT_EQ("say:0x4000F501:1000", Text(host[1], "verb"));
    EXPECT_EQ("0", Text(host[1], "result"));
}

TEST_F(PoutlookMenuTest, EachExtensionGetsTheIdsAfterThePreviousOnes) {
    Register(kClassA);
    Register(kClassB);
    Outcome r = Start(L"--menu Calendar 0x4000F501 --choose \"#1/#0\"");
    EXPECT_EQ(0u, r.code) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("  1000 \"Say Team sync\"\n  1001 \"Silent\"\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("  1002 \"Say Team sync\"\n  1003 \"Silent\"\n")) << r.out;
    // The second popup's command goes to the second extension, with its own id.
    EXPECT_NE(std::string::npos, r.out.find("verb \"say:0x4000F501:1002\"")) << r.out;
}

TEST_F(PoutlookMenuTest, AnEmptyVerbIsNotInvokedAndAMissingPathIsReported) {
    Register(kClassA);
    Outcome silent = Start(L"--menu Calendar 0x4000F501 --choose \"Test Extension/Silent\"");
    EXPECT_EQ(4u, silent.code) << silent.out;
    Outcome missing = Start(L"--menu Calendar 0x4000F501 --choose \"Test Extension/Nothing\"");
    EXPECT_EQ(3u, missing.code);
    Outcome popup = Start(L"--menu Calendar 0x4000F501 --choose \"Test Extension\"");
    EXPECT_EQ(3u, popup.code);
    for (auto& l : From(from_, "testext")) EXPECT_NE("invoke", Text(l, "event"));
}

TEST_F(PoutlookMenuTest, OldStyleAddInsComeFirstAndRunTheirCommand) {
    const std::wstring addIns = L"Software\\Microsoft\\PimApps\\PimExtensions\\Calendar\\AddIns\\";
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, addIns + L"Sample", L"DLL", TESTADDIN_DLL));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, addIns + L"Sample", L"Menu", L"Sample add-in"));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, addIns + L"Half", L"DLL", TESTADDIN_DLL));  // no "Menu": skipped
    Register(kClassA);
    Outcome r = Start(L"--menu Calendar 0x4000F501 --choose \"Sample add-in\"");
    Outcome ext = Start(L"--menu Calendar 0x4000F501 --choose \"Test Extension/Say Team sync\"");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (addIns + L"Sample").c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (addIns + L"Half").c_str());

    EXPECT_EQ(0u, r.code) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("1000 \"Sample add-in\"\npopup \"Test Extension\"\n  1001 \"Say Team sync\"\n"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("command 1000 add-in \"Sample\" ran: 0x00000000\n")) << r.out;
    auto addIn = From(from_, "testaddin");
    ASSERT_EQ(1u, addIn.size());
    EXPECT_EQ("true", Text(addIn[0], "window"));
    EXPECT_EQ("1", Text(addIn[0], "kind"));
    EXPECT_EQ("1", Text(addIn[0], "items"));
    EXPECT_EQ(std::to_string(0x4000F501), Text(addIn[0], "oid"));
    // The extension after it still gets its own command.
    EXPECT_EQ(0u, ext.code) << ext.out;
    EXPECT_NE(std::string::npos, ext.out.find("verb \"say:0x4000F501:1001\"")) << ext.out;
}
