// Message boxes of device programs are answered, and logged, instead of blocking.
#include <gtest/gtest.h>

#include "cesim.h"
#include "cesim_shell.h"
#include "devicelog.h"
#include "raii.h"

namespace {

void SetAnswerSetting(const DWORD* v) {
    raii::Key key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             key.out(), nullptr));
    if (v)
        RegSetValueExW(key.get(), L"MessageBoxAnswer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(v), sizeof *v);
    else
        RegDeleteValueW(key.get(), L"MessageBoxAnswer");
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { from_ = devlog::LogSize(); }
    void TearDown() override {
        CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE);
        SetAnswerSetting(nullptr);
    }
    std::vector<std::vector<devlog::Field>> Boxes() {
        std::vector<std::vector<devlog::Field>> out;
        for (auto& l : devlog::ReadLog(from_))
            if (devlog::Find(l, "source")->text == "messagebox") out.push_back(l);
        return out;
    }
    unsigned long long from_ = 0;
};

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

}  // namespace

TEST_F(MessageBoxTest, ATestsAnswerIsReturnedAndTheBoxLogged) {
    CeSim_SetMessageBoxAnswer(IDNO);
    EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"Delete the whole series?", L"Calendar", MB_YESNOCANCEL | MB_ICONQUESTION));
    auto boxes = Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("answered", Text(boxes[0], "event"));
    EXPECT_EQ("Calendar", Text(boxes[0], "caption"));
    EXPECT_EQ("Delete the whole series?", Text(boxes[0], "text"));
    EXPECT_EQ(std::to_string(MB_YESNOCANCEL | MB_ICONQUESTION), Text(boxes[0], "flags"));
    EXPECT_EQ(std::to_string(IDNO), Text(boxes[0], "answer"));
    EXPECT_EQ("devicelog_test.exe", Text(boxes[0], "program"));
}

TEST_F(MessageBoxTest, AnAnswerTheBoxDoesNotOfferBecomesItsDefaultButton) {
    CeSim_SetMessageBoxAnswer(IDYES);
    EXPECT_EQ(IDOK, MessageBoxW(nullptr, L"Failed to save task changes", L"", MB_OK));
    EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"t", L"c", MB_RETRYCANCEL | MB_DEFBUTTON2));
    EXPECT_EQ(IDYES, MessageBoxW(nullptr, L"t", L"c", MB_YESNO | MB_DEFBUTTON2));
}

TEST_F(MessageBoxTest, DefaultButtonFollowsTheBoxFlags) {
    CeSim_SetMessageBoxAnswer(CESIM_ANSWER_DEFAULT);
    EXPECT_EQ(IDYES, MessageBoxW(nullptr, L"t", L"c", MB_YESNOCANCEL));
    EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"t", L"c", MB_YESNOCANCEL | MB_DEFBUTTON2));
    EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"t", L"c", MB_YESNOCANCEL | MB_DEFBUTTON3));
    EXPECT_EQ(IDYES, MessageBoxW(nullptr, L"t", L"c", MB_YESNO | MB_DEFBUTTON3)) << "no third button";
    EXPECT_EQ(IDOK, MessageBoxW(nullptr, nullptr, nullptr, MB_OK | MB_DEFBUTTON4));
    EXPECT_EQ(5u, Boxes().size());
}

TEST_F(MessageBoxTest, TheDeviceSettingAnswersForEveryProgram) {
    const DWORD cancel = IDCANCEL;
    SetAnswerSetting(&cancel);
    EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"t", L"c", MB_OKCANCEL));
    auto boxes = Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("setting", Text(boxes[0], "by"));
}

TEST_F(MessageBoxTest, WithoutADisplayTheDefaultButtonAnswers) {
    // The test prefixes run Wine's null display driver: a shown box would block forever.
    EXPECT_EQ(IDRETRY, MessageBoxW(nullptr, L"t", L"c", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2));
    auto boxes = Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("headless", Text(boxes[0], "by"));
}
