#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ini_file.h"

namespace {

CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }

std::vector<uint8_t> Ansi(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Utf16(const std::u16string& s) {
    std::vector<uint8_t> out = {0xFF, 0xFE};
    for (char16_t c : s) {
        out.push_back(uint8_t(c & 0xFF));
        out.push_back(uint8_t(c >> 8));
    }
    return out;
}

CeStd Get(const CIniFile& ini, const char16_t* section, const char16_t* key) {
    CeStd v;
    return ini.GetValue(W(section), W(key), &v) ? v : W(u"<absent>");
}

const char kSkin[] =
    "; keyboard of the blue skin\r\n"
    "[KEYBOARD]\r\n"
    "thumbs_kbrd_font_size = 14 ; big\r\n"
    "thumbs_kbrd_font_color=10,20,30\r\n"
    "compact_kbrd_font_bold =  1\n"
    "empty=\r\n"
    "[OTHER]\n"
    "key=value";

}  // namespace

TEST(Ini, Utf16AndAnsiFilesParseAlike) {
    CIniFile ansi, wide;
    ansi.LoadBytes(Ansi(kSkin).data(), sizeof kSkin - 1);
    const std::string s = kSkin;
    wide.LoadBytes(Utf16(std::u16string(s.begin(), s.end())).data(), Utf16(std::u16string(s.begin(), s.end())).size());
    for (const CIniFile* f : {&ansi, &wide}) {
        EXPECT_EQ(W(u"14"), Get(*f, u"KEYBOARD", u"thumbs_kbrd_font_size"));  // comment cut, trimmed
        EXPECT_EQ(W(u"10,20,30"), Get(*f, u"KEYBOARD", u"thumbs_kbrd_font_color"));
        EXPECT_EQ(W(u"1"), Get(*f, u"KEYBOARD", u"compact_kbrd_font_bold"));
        EXPECT_EQ(W(u""), Get(*f, u"KEYBOARD", u"empty"));
        EXPECT_EQ(W(u"value"), Get(*f, u"OTHER", u"key"));  // the last value, without a line break
        EXPECT_EQ(W(u"<absent>"), Get(*f, u"keyboard", u"thumbs_kbrd_font_size"));  // names are exact
        EXPECT_FALSE(f->modified());
    }
}

TEST(Ini, AnsiBytesGoThroughTheCodePage) {
    CIniFile ini;
    const std::vector<uint8_t> bytes = Ansi("[S]\nname=Andr\xE9 \x80\n");
    ini.LoadBytes(bytes.data(), bytes.size());
    EXPECT_EQ(W(u"André €"), Get(ini, u"S", u"name"));
}

TEST(Ini, ALineWithoutEqualsEndsThereAndDoesNotSwallowTheNextEntry) {
    CIniFile ini;
    ini.LoadText(W(u"[S]\r\nbroken line\r\nsize=9\r\n[T\r\nlost=1\r\n[U]\r\nok=2"));
    EXPECT_EQ(W(u"9"), Get(ini, u"S", u"size"));
    EXPECT_EQ(W(u"<absent>"), Get(ini, u"S", u"broken line\r\nsize"));
    // An unclosed header names no section: its keys are not put into the one before.
    EXPECT_EQ(W(u"<absent>"), Get(ini, u"S", u"lost"));
    EXPECT_EQ(W(u"2"), Get(ini, u"U", u"ok"));
}

TEST(Ini, KeysOutsideSectionsAreIgnoredAndLaterKeysReplaceEarlierOnes) {
    CIniFile ini;
    ini.LoadText(W(u"top=1\n[S]\na=1\na=2\n[S]\nb=3\n;a=4\nc= ;only a comment\n"));
    EXPECT_EQ(nullptr, ini.FindSection(W(u"")));
    EXPECT_EQ(W(u"2"), Get(ini, u"S", u"a"));
    EXPECT_EQ(W(u"3"), Get(ini, u"S", u"b"));
    EXPECT_EQ(W(u""), Get(ini, u"S", u"c"));
}

TEST(Ini, WrittenFilesReadBackInBothEncodings) {
    CIniFile ini;
    ini.SetValue(W(u"KEYBOARD"), W(u"font"), W(u"Tahoma"));
    ini.SetValue(W(u"KEYBOARD"), W(u"colour"), W(u"1,2,3"));
    ini.SetValue(W(u"Ελληνικά"), W(u"name"), W(u"Ωμέγα"));
    EXPECT_TRUE(ini.modified());
    const std::vector<uint8_t> wide = ini.Serialize();
    ASSERT_GE(wide.size(), 2u);
    EXPECT_EQ(0xFF, wide[0]);
    EXPECT_EQ(0xFE, wide[1]);
    CIniFile back;
    back.LoadBytes(wide.data(), wide.size());
    EXPECT_EQ(W(u"Tahoma"), Get(back, u"KEYBOARD", u"font"));
    EXPECT_EQ(W(u"Ωμέγα"), Get(back, u"Ελληνικά", u"name"));
    // ANSI has no Greek: only the Latin section survives the trip unchanged.
    const std::vector<uint8_t> ansi = ini.Serialize(IniEncoding::kAnsi);
    const std::string text(ansi.begin(), ansi.end());
    EXPECT_NE(std::string::npos, text.find("\r\n[KEYBOARD]\r\ncolour=1,2,3\r\nfont=Tahoma\r\n"));
    CIniFile backAnsi;
    backAnsi.LoadBytes(ansi.data(), ansi.size());
    EXPECT_EQ(W(u"1,2,3"), Get(backAnsi, u"KEYBOARD", u"colour"));
}

TEST(Ini, OddAndEmptyInputIsHarmless) {
    CIniFile ini;
    const uint8_t odd[] = {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\n', 0, 'a', 0, '=', 0, '1', 0, 'x'};
    ini.LoadBytes(odd, sizeof odd);
    EXPECT_EQ(W(u"1"), Get(ini, u"S", u"a"));
    ini.LoadBytes(nullptr, 0);
    EXPECT_TRUE(ini.sections().empty());
}
