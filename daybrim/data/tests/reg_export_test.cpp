#include <gtest/gtest.h>

#include <string>

#include "reg_export.h"

using namespace daybrim;

namespace {

std::string Section(int n, const std::string& name, int sens, int show, int uncat) {
    return "[FILTER" + std::to_string(n) + "]\r\n\"Name\"=\"" + name + "\"\r\n\"Sensitivity\"=dword:" +
           std::to_string(sens) + "\r\n\"Show\"=dword:" + std::to_string(show) + "\r\n\"Uncat\"=dword:" +
           std::to_string(uncat) + "\r\n";
}

std::vector<FilterDef> Parse(const std::string& s) {
    return ParseFilterFile(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

std::string Utf16(const std::wstring& s) {
    std::string b;
    for (wchar_t c : s) {
        b.push_back(char(c & 0xFF));
        b.push_back(char((c >> 8) & 0xFF));
    }
    return b;
}

}  // namespace

TEST(RegExportLine, Numbers) {
    std::wstring name;
    uint32_t v = 0;
    ASSERT_TRUE(ParseNumberLine(L"\"Business\"=dword:00ff00ff\r", 16, &name, &v));
    EXPECT_EQ(L"Business", name);
    EXPECT_EQ(0x00ff00ffu, v);
    ASSERT_TRUE(ParseNumberLine(L"\"x\"=dword:12", 10, &name, &v));
    EXPECT_EQ(12u, v);
    ASSERT_TRUE(ParseNumberLine(L"\"big\"=dword:99999999999999999999", 10, &name, &v));
    EXPECT_EQ(0xFFFFFFFFu, v);  // saturates
    EXPECT_FALSE(ParseNumberLine(L"\"x\"=dword:", 10, &name, &v));
    EXPECT_FALSE(ParseNumberLine(L"\"x\"=dword:zz", 16, &name, &v));
    EXPECT_FALSE(ParseNumberLine(L"x=dword:12", 10, &name, &v));
    EXPECT_FALSE(ParseNumberLine(L"=dword:12", 10, &name, &v));
    EXPECT_FALSE(ParseNumberLine(L"", 10, &name, &v));
}

TEST(RegExportLine, Strings) {
    std::wstring name, value;
    ASSERT_TRUE(ParseStringLine(L"\"Name\"=\"Work items\"\r", &name, &value));
    EXPECT_EQ(L"Name", name);
    EXPECT_EQ(L"Work items", value);
    ASSERT_TRUE(ParseStringLine(L"\"N\"=\"\"\r", &name, &value));
    EXPECT_EQ(L"", value);
    EXPECT_FALSE(ParseStringLine(L"\"N\"=\"unterminated\r", &name, &value));
    EXPECT_FALSE(ParseStringLine(L"\"N\"", &name, &value));
    EXPECT_FALSE(ParseStringLine(L"\"\"=\"", &name, &value));
}

TEST(FilterFile, ThirtyTwoSectionsRead) {
    std::string s = "junk before\n";
    for (int i = 0; i < 32; ++i) s += Section(i, "F" + std::to_string(i + 1), i % 3, i % 2, i == 4);
    const auto f = Parse(s);
    ASSERT_EQ(32u, f.size());
    EXPECT_EQ(L"F1", f[0].name);
    EXPECT_EQ(1, f[0].number);
    EXPECT_FALSE(f[0].shownInMenu);
    EXPECT_TRUE(f[1].shownInMenu);
    EXPECT_EQ(2, f[2].sensitivityRule);
    EXPECT_TRUE(f[4].includeUncategorised);
    EXPECT_EQ(L"F32", f[31].name);
    EXPECT_EQ(32, f[31].number);
}

TEST(FilterFile, ThirtyOneSectionsGiveTheDefaults) {
    std::string s;
    for (int i = 0; i < 31; ++i) s += Section(i, "Mine", 1, 0, 1);
    const auto f = Parse(s);
    ASSERT_EQ(32u, f.size());
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(L"Filter " + std::to_wstring(i + 1), f[i].name);
        EXPECT_EQ(i + 1, f[i].number);
        EXPECT_EQ(0, f[i].sensitivityRule);
        EXPECT_TRUE(f[i].shownInMenu);
        EXPECT_FALSE(f[i].includeUncategorised);
    }
}

TEST(FilterFile, OutOfOrderExtraAndDamaged) {
    std::string s;
    for (int i = 0; i < 33; ++i) s += Section(i, "x", 0, 1, 0);
    EXPECT_EQ(L"Filter 1", Parse(s)[0].name);  // 33 sections: discarded
    // A section out of order is skipped, so the count falls short.
    s = Section(1, "x", 0, 1, 0);
    for (int i = 0; i < 32; ++i) s += (i == 1 ? std::string("[FILTERX]\n") : Section(i, "y", 0, 1, 0));
    EXPECT_EQ(L"Filter 1", Parse(s)[0].name);
    EXPECT_EQ(L"Filter 1", ParseFilterFile(nullptr, 0)[0].name);
    // An absurd rule falls back to none; a long line is just a long line.
    s.clear();
    for (int i = 0; i < 32; ++i) s += Section(i, std::string(i == 7 ? 100000 : 1, 'n'), 7, 1, 0);
    const auto f = Parse(s);
    EXPECT_EQ(0, f[0].sensitivityRule);
    EXPECT_EQ(100000u, f[7].name.size());
}

TEST(PiSettings, ColoursOfTheCategoriesSection) {
    const std::wstring text =
        L"\xFEFFWindows Registry Editor\r\n\"Business\"=dword:00000001\r\n"
        L"[HKEY_CURRENT_USER\\Software\\WebIS\\PocketInformant\\Colors\\Categories]\r\n"
        L"\"Business\"=dword:000000ff\r\n\"not a value line\"\r\n\"Family\"=dword:00ff00\r\n"
        L"short\r\n\"Later\"=dword:00000002\r\n";
    const std::string bytes = Utf16(text);
    const auto c = ParsePiCategoryColours(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(2u, c.size());
    EXPECT_EQ(L"Business", c[0].first);
    EXPECT_EQ(0xFFu, c[0].second);
    EXPECT_EQ(L"Family", c[1].first);
    EXPECT_EQ(0xFF00u, c[1].second);
    // Odd byte counts and no section: nothing, no fault.
    EXPECT_TRUE(ParsePiCategoryColours(reinterpret_cast<const uint8_t*>(bytes.data()), 7).empty());
    EXPECT_TRUE(ParsePiCategoryColours(nullptr, 0).empty());
}
