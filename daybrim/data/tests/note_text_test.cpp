// What the note window is given: line ends fitted for an edit box, the cap, the
// stream encodings, and a changed occurrence's own note found in its pattern.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agenda_build.h"
#include "note_text.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"

using namespace daybrim;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> b) {
    std::vector<uint8_t> v;
    for (int x : b) v.push_back(uint8_t(x));
    return v;
}
std::vector<uint8_t> Utf16(const std::u16string& s, bool bom) {
    std::vector<uint8_t> v;
    if (bom) v = {0xFF, 0xFE};
    for (char16_t c : s) {
        v.push_back(uint8_t(c));
        v.push_back(uint8_t(c >> 8));
    }
    return v;
}
std::vector<uint8_t> Ascii(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }
std::wstring FromBytes(const std::vector<uint8_t>& v, size_t cap = kNoteCapChars) {
    return NoteFromBytes(v.data(), v.size(), cap);
}
const std::wstring kCut = kNoteCutMarker;

}  // namespace

TEST(NoteText, DisplayFitsLineEndsAndCap) {
    struct Case {
        const char* name;
        std::wstring in;
        size_t cap;
        std::wstring want;
    };
    const Case cases[] = {
        {"empty", L"", 10, L""},
        {"bare line feeds", L"a\nb\n", 10, L"a\r\nb\r\n"},
        {"bare returns", L"a\rb", 10, L"a\r\nb"},
        {"pairs kept as they are", L"a\r\nb", 10, L"a\r\nb"},
        {"stops at a NUL", std::wstring(L"ab\0cd", 5), 10, L"ab"},
        {"exactly the cap is not cut", L"abcd", 4, L"abcd"},
        {"one over the cap is cut", L"abcde", 4, L"abcd" + kCut},
        {"a line end counts once", L"a\r\nbc", 2, L"a\r\n" + kCut},
        {"zero cap shows only the marker", L"x", 0, kCut},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, NoteForDisplay(c.in, c.cap)) << c.name;
}

TEST(NoteText, StreamEncodings) {
    struct Case {
        const char* name;
        std::vector<uint8_t> in;
        std::wstring want;
    };
    const Case cases[] = {
        {"nothing", {}, L""},
        {"UTF-16 with its mark", Utf16(u"Call Bo\n", true), L"Call Bo\r\n"},
        {"UTF-16 without a mark", Utf16(u"Room 4", false), L"Room 4"},
        {"UTF-16 mark alone", Bytes({0xFF, 0xFE}), L""},
        {"UTF-16 odd trailing byte dropped", Bytes({0xFF, 0xFE, 'h', 0, 'i', 0, 'x'}), L"hi"},
        {"UTF-8 with its mark", Bytes({0xEF, 0xBB, 0xBF, 'c', 0xC3, 0xA9, '!'}), L"c\u00e9!"},
        {"UTF-8 cut inside a sequence", Bytes({0xEF, 0xBB, 0xBF, 'a', 0xE2, 0x82}), L"a\uFFFD\uFFFD"},
        {"UTF-8 stray continuation", Bytes({0xEF, 0xBB, 0xBF, 0x80, 'b'}), L"\uFFFDb"},
        {"UTF-8 beyond the basic plane", Bytes({0xEF, 0xBB, 0xBF, 0xF0, 0x9F, 0x98, 0x80}),
         std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        {"single bytes", Ascii("milk\nbread"), L"milk\r\nbread"},
        {"Latin-1 byte", Bytes({'n', 0xE9}), L"n\u00e9"},
        {"odd length is not UTF-16", Bytes({'a', 0, 'b'}), L"a"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, FromBytes(c.in)) << c.name;
}

TEST(NoteText, LargeStreamsAreCutAtTheCap) {
    struct Case {
        const char* name;
        std::vector<uint8_t> in;
    };
    std::vector<uint8_t> utf8 = {0xEF, 0xBB, 0xBF};
    for (int i = 0; i < 5000; ++i) utf8.insert(utf8.end(), {0xE2, 0x82, 0xAC});  // the euro sign
    const Case cases[] = {
        {"UTF-16 with its mark", Utf16(std::u16string(5000, u'x'), true)},
        {"UTF-16 without a mark", Utf16(std::u16string(5000, u'x'), false)},
        {"UTF-8", utf8},
        {"single bytes", Ascii(std::string(5000, 'x'))},
    };
    for (const Case& c : cases) {
        const std::wstring got = FromBytes(c.in, 100);
        EXPECT_EQ(100 + kCut.size(), got.size()) << c.name;
        EXPECT_EQ(kCut, got.substr(100)) << c.name;
    }
}

TEST(NoteText, ExceptionNoteOfTheReplacedOccurrence) {
    pimcodec::Recurrence r;
    r.type = pimcodec::PatternType::kDaily;
    r.interval = 1;
    r.patternStart = uint32_t(pimcodec::kOleEpochDays + 46363) * 1440;  // 2026-12-07
    r.startOffset = 9 * 60;
    r.endOffset = 10 * 60;
    r.endType = pimcodec::EndType::kAfterCount;
    r.occurrences = 5;
    pimcodec::Exception own, keeps;
    own.originalDate = r.patternStart + 1440;
    own.start = own.originalDate + 11 * 60;
    own.end = own.start + 60;
    own.notes = Utf16(u"bring slides", false);
    keeps.originalDate = r.patternStart + 2 * 1440;
    keeps.start = keeps.originalDate + 12 * 60;
    keeps.end = keeps.start + 60;
    keeps.subject = u"Later";
    r.exceptions = {own, keeps};
    ASSERT_EQ(pimcodec::ComputePatternEnd(&r), pimcodec::Status::kOk);
    std::vector<uint8_t> pattern;
    ASSERT_EQ(pimcodec::EncodeRecurrence(r, &pattern), pimcodec::Status::kOk);

    struct Case {
        const char* name;
        std::vector<uint8_t> pattern;
        uint32_t date;
        bool found;
        std::wstring text;
    };
    std::vector<uint8_t> cut(pattern.begin(), pattern.end() - 3);
    const Case cases[] = {
        {"own note", pattern, own.originalDate, true, L"bring slides"},
        {"changed but keeps the series' note", pattern, keeps.originalDate, false, L""},
        {"not a changed occurrence", pattern, r.patternStart, false, L""},
        {"no pattern", {}, own.originalDate, false, L""},
        {"cut pattern", cut, own.originalDate, false, L""},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> note;
        EXPECT_EQ(c.found, ExceptionNote(c.pattern, c.date, &note)) << c.name;
        EXPECT_EQ(c.text, FromBytes(note)) << c.name;
    }

    // The changed occurrences the agenda makes carry the day they replace; the
    // others none, so that they show the series' note.
    TApptItem master;
    master.recurrence = 1;
    master.pattern = pattern;
    const pimcodec::TimeZone utc{};
    const int32_t first = int32_t(r.patternStart / 1440) - int32_t(pimcodec::kOleEpochDays);
    auto got = agenda::ExpandOccurrences(master, first, first + 6, utc, {});
    ASSERT_EQ(5u, got.size());
    int changed = 0;
    for (const auto& a : got) {
        if (a->exceptionDate == 0) continue;
        ++changed;
        EXPECT_TRUE(a->exceptionDate == own.originalDate || a->exceptionDate == keeps.originalDate);
    }
    EXPECT_EQ(2, changed);
}
