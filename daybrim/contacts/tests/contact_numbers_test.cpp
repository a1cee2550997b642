#include <gtest/gtest.h>

#include "contact_numbers.h"

namespace daybrim {
namespace {

std::wstring Label(unsigned id) { return id == 41207 ? L"Mobile" : id == 41205 ? L"Work" : L"L" + std::to_wstring(id); }

TEST(ContactNumbers, PreviewRowsFollowTheValuesAndThePhone) {
    const ContactValues mailOnly{{{kFieldMail2, L"b@x"}, {kFieldMail1, L"a@x"}}};
    const ContactValues mobile{{{kFieldMobile, L"555"}, {kFieldFax, L"777"}, {kFieldWork, L"111"}}};
    const struct {
        const char* name;
        const ContactValues* v;
        bool phone;
        std::vector<std::pair<int, std::wstring>> rows;
    } cases[] = {
        {"mail only", &mailOnly, true, {{kActMail, L"a@x"}, {kActMail, L"b@x"}}},
        {"mobile calls and texts", &mobile, true, {{kActCall, L"555"}, {kActCall, L"111"}, {kActText, L"555"}, {kActNone, L"777"}}},
        {"no phone library", &mobile, false, {{kActNone, L"555"}, {kActNone, L"111"}, {kActNone, L"777"}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<int, std::wstring>> got;
        for (const PreviewRow& r : PreviewRows(*c.v, c.phone)) got.emplace_back(r.action, r.value);
        EXPECT_EQ(c.rows, got) << c.name;
    }
}

TEST(ContactNumbers, DefaultNumberPopupInCommandOrder) {
    const ContactValues v{{{kFieldMobile, L"555"}, {kFieldMail1, L"a@x"}, {kFieldWork, L"111"}, {kFieldMail3, L"c@x"}}};
    const auto choices = DefaultNumberChoices(v, kFieldMobile, Label);
    ASSERT_EQ(3u, choices.size());  // e-mail 3 is not one of the ten
    EXPECT_EQ(41123u, choices[0].command);
    EXPECT_EQ(L"Work:  111", choices[0].text);
    EXPECT_FALSE(choices[0].checked);
    EXPECT_EQ(41125u, choices[1].command);
    EXPECT_EQ(L"Mobile:  555", choices[1].text);
    EXPECT_TRUE(choices[1].checked);
    EXPECT_EQ(41128u, choices[2].command);
    EXPECT_EQ(kFieldMail1, choices[2].prop);
    EXPECT_EQ(L"555", ChoiceText(L"", L"555"));
}

TEST(ContactNumbers, DPadActionOnThePreferredNumber) {
    EXPECT_EQ(kActMail, PreferredNumberAction(kFieldMail1));
    for (uint32_t p : {kFieldMobile, kFieldWork, kFieldWork2, kFieldHome, kFieldHome2, kFieldCar, kFieldMobile3})
        EXPECT_EQ(kActCall, PreferredNumberAction(p)) << std::hex << p;
    for (uint32_t p : {uint32_t(kFieldFax), uint32_t(kFieldMobile2), uint32_t(kFieldMail2), 0xFFFFFFFFu}) EXPECT_EQ(kActNone, PreferredNumberAction(p));
}

}  // namespace
}  // namespace daybrim
