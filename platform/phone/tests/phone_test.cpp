// phone.dll as the system uses it: loaded by name, PhoneMakeCall looked up, calls logged.
#include <gtest/gtest.h>

#include <algorithm>

#include "cesim_shell.h"
#include "devicelog.h"
#include "pe_exports.h"
#include "phone.h"
#include "raii.h"

namespace {

using MakeCall = LONG(WINAPI*)(PHONEMAKECALLINFO*);

class PhoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        lib_.reset(LoadLibraryW(PHONE_DLL));
        ASSERT_TRUE(lib_);
        call_ = reinterpret_cast<MakeCall>(reinterpret_cast<void*>(GetProcAddress(lib_.get(), "PhoneMakeCall")));
        ASSERT_NE(nullptr, call_);
        from_ = devlog::LogSize();
    }
    void TearDown() override { CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE); }
    std::vector<std::vector<devlog::Field>> Phone() {
        std::vector<std::vector<devlog::Field>> out;
        for (auto& l : devlog::ReadLog(from_))
            if (devlog::Find(l, "source")->text == "phone") out.push_back(l);
        return out;
    }
    static PHONEMAKECALLINFO Info(const wchar_t* number, DWORD flags = PMCF_DEFAULT) {
        PHONEMAKECALLINFO i = {};
        i.cbSize = sizeof i;
        i.dwFlags = flags;
        i.pszDestAddress = number;
        return i;
    }
    raii::Library lib_;
    MakeCall call_ = nullptr;
    unsigned long long from_ = 0;
};

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

}  // namespace

TEST_F(PhoneTest, ExportsPhoneMakeCallByItsPlainName) {
    pe::Exports e;
    ASSERT_TRUE(pe::ReadExports(lib_.get(), &e));
    EXPECT_EQ(std::vector<std::string>{"PhoneMakeCall"}, e.names);
    EXPECT_EQ(1u, e.ordinals.size());
}

TEST_F(PhoneTest, ACallIsLoggedWithItsNumber) {
    PHONEMAKECALLINFO i = Info(L"+4930p12#*,w9");
    EXPECT_EQ(0, call_(&i));
    auto lines = Phone();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("call", Text(lines[0], "event"));
    EXPECT_EQ("+4930p12#*,w9", Text(lines[0], "number"));
    EXPECT_EQ("false", Text(lines[0], "prompted"));
    EXPECT_EQ("", Text(lines[0], "calledParty"));
}

TEST_F(PhoneTest, APromptedCallAsksTheUserFirst) {
    CeSim_SetMessageBoxAnswer(IDYES);
    PHONEMAKECALLINFO i = Info(L"5551234", PMCF_PROMPTBEFORECALLING);
    i.pszCalledParty = L"Ann";
    EXPECT_EQ(0, call_(&i));
    CeSim_SetMessageBoxAnswer(IDNO);
    EXPECT_EQ(ERROR_CANCELLED, call_(&i));

    std::vector<std::string> events;
    for (auto& l : devlog::ReadLog(from_)) events.push_back(Text(l, "source") + ":" + Text(l, "event"));
    EXPECT_EQ((std::vector<std::string>{"messagebox:answered", "phone:call", "messagebox:answered",
                                        "phone:declined"}),
              events);
    auto lines = Phone();
    EXPECT_EQ("true", Text(lines[0], "prompted"));
    EXPECT_EQ("Ann", Text(lines[0], "calledParty"));
}

TEST_F(PhoneTest, NoNumberOrABadRecordPlacesNoCall) {
    PHONEMAKECALLINFO empty = Info(L""), none = Info(nullptr), small = Info(L"123");
    small.cbSize = 20;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, call_(nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, call_(&empty));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, call_(&none));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, call_(&small));
    auto lines = Phone();
    ASSERT_EQ(4u, lines.size());
    for (auto& l : lines) EXPECT_EQ("rejected", Text(l, "event"));
}
