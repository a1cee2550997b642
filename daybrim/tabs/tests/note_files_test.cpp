// The Notes tab's file rules: types, date groups, order, rename paths, the mail
// line and the "States" value of the Notes application.
#include <gtest/gtest.h>

#include "note_files.h"

namespace daybrim {
namespace notes {
namespace {

TEST(NoteFiles, TypesByExtension) {
    const struct {
        const wchar_t* name;
        unsigned bit;
    } cases[] = {
        {L"memo.pwi", kInk}, {L"MEMO.PWI", kInk}, {L"rec.Wav", kVoice}, {L"a.b.txt", kText},
        {L"x.doc", kWord},   {L"x.xls", kExcel},  {L"shop.mll", kList}, {L"x.docx", 0},
        {L"pwi", 0},         {L"x.", 0},          {L"", 0},             {L"dir.txt\\file", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.bit, TypeOfName(c.name)) << c.name;
    for (unsigned bit = 1; bit < kAllTypes; bit <<= 1) {
        EXPECT_EQ(bit, TypeOfName(L"f" + DottedExtension(bit))) << bit;
        EXPECT_NE(0, TypeGroupString(bit));
    }
    EXPECT_EQ(L"", DottedExtension(3));
    EXPECT_EQ(41021, DeleteQuestionString(kInk));
    EXPECT_EQ(41259, DeleteQuestionString(kList));
}

TEST(NoteFiles, DateGroupsCountWholeDaysBack) {
    const int32_t today = 46000;
    const struct {
        int32_t age;
        int key;
    } cases[] = {{-3, 4}, {0, 4}, {1, 3}, {2, 2}, {7, 2}, {8, 1}, {30, 1}, {31, 0}, {4000, 0}};
    for (const auto& c : cases) EXPECT_EQ(c.key, DateGroupKey(today - c.age, today)) << c.age;
    EXPECT_EQ(73, DateGroupString(4));
    EXPECT_EQ(41002, DateGroupString(0));
    EXPECT_EQ(41002, DateGroupString(99));
}

TEST(NoteFiles, OrderOfFiles) {
    const FileFacts a{L"alpha", 10.0, 500}, b{L"Beta", 5.0, 100}, a2{L"ALPHA", 10.0, 500};
    const struct {
        int sort, direction;
        int aBeforeB;
    } cases[] = {{0, 1, 1}, {0, -1, -1}, {1, 1, -1}, {1, -1, 1}, {2, 1, -1}, {2, -1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.aBeforeB, CompareFiles(a, b, c.sort, c.direction)) << c.sort << c.direction;
        EXPECT_EQ(-c.aBeforeB, CompareFiles(b, a, c.sort, c.direction));
        EXPECT_EQ(0, CompareFiles(a, a2, c.sort, c.direction));  // names ignore case
    }
    // Equal times fall back on the name, so the order is total.
    EXPECT_EQ(1, CompareFiles({L"a", 1.0, 0}, {L"b", 1.0, 0}, 1, 1));
}

TEST(NoteFiles, NamesAndPaths) {
    for (const wchar_t* ok : {L"memo", L"a.b", L"shopping list", L".hidden"}) EXPECT_TRUE(ValidFileName(ok)) << ok;
    for (const wchar_t* bad : {L"", L"a\\b", L"a/b", L"c:", L"a*", L"a?", L"a\"b", L"<", L">", L"|", L"..", L"  ", L"a\tb"})
        EXPECT_FALSE(ValidFileName(bad)) << bad;
    EXPECT_EQ(L"\\My Documents\\Work", FolderOf(L"\\My Documents\\Work\\memo.pwi"));
    EXPECT_EQ(L"memo", StemOf(L"\\My Documents\\Work\\memo.pwi"));
    EXPECT_EQ(L"a.b", StemOf(L"\\x\\a.b.txt"));
    EXPECT_EQ(L".hidden", StemOf(L"\\x\\.hidden"));

    const struct {
        const wchar_t *location, *sub, *want;
    } folders[] = {
        {L"My Documents", L"", L"\\My Documents"},
        {L"\\My Documents", L"Work", L"\\My Documents\\Work"},
        {L"\\\\Storage Card\\", L"Notes", L"\\Storage Card\\Notes"},
        {L"", L"Work", L"\\Work"},
    };
    for (const auto& f : folders) EXPECT_EQ(f.want, TargetFolder(f.location, f.sub)) << f.location;
}

TEST(NoteFiles, MovePlans) {
    const struct {
        const wchar_t *from, *to;
        MoveKind kind;
    } cases[] = {
        {L"\\My Documents\\a.pwi", L"\\My Documents\\a.pwi", MoveKind::kUnchanged},
        {L"\\My Documents\\a.pwi", L"\\My Documents\\A.pwi", MoveKind::kInPlace},
        {L"\\My Documents\\a.pwi", L"\\my documents\\A.PWI", MoveKind::kInPlace},
        {L"\\My Documents\\a.pwi", L"\\My Documents\\b.pwi", MoveKind::kCopyThenDelete},
        {L"\\My Documents\\a.pwi", L"\\Storage Card\\a.pwi", MoveKind::kCopyThenDelete},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kind, PlanMove(c.from, c.to)) << c.from << " " << c.to;
}

TEST(NoteFiles, MailAttachmentIsQuotedOnBothSides) {
    EXPECT_EQ(L"-attach \"\\My Documents\\a b.pwi\"", MailArguments(L"\\My Documents\\a b.pwi"));
}

TEST(NoteFiles, ListCompletionTrustsOnlySensibleAnswers) {
    const uint32_t kSize = sizeof(ListData);
    const struct {
        bool returned;
        ListData data;
        int want;
    } cases[] = {
        {true, {kSize, 4, 2, 0}, 50},
        {true, {kSize, 3, 1, 0}, 33},  // rounded down: full only when all are done
        {true, {kSize, 3, 3, 0}, 100},
        {true, {kSize, 5, 0, 0}, 0},
        {true, {kSize, 0xFFFFFFFFu, 0xFFFFFFFEu, 0}, 99},  // no overflow on the way
        {false, {kSize, 4, 2, 0}, -1},                      // the call failed
        {true, {kSize, 0, 0, 0}, -1},                       // nothing to complete
        {true, {kSize, 2, 3, 0}, -1},                       // more done than there are
        {true, {kSize * 2, 4, 2, 0}, -1},                   // another layout than asked for
        {true, {0, 4, 2, 0}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.want, ListCompletion(c.returned, c.data)) << c.data.size << " " << c.data.items << " " << c.data.done;
}

TEST(NoteStates, ReadStopsAtTerminatorFieldAndValueEnd) {
    std::vector<uint8_t> v;
    ASSERT_TRUE(WriteStatesString(v, kStatesTemplateOffset, L"Meeting notes"));
    EXPECT_EQ(L"Meeting notes", ReadStatesString(v, kStatesTemplateOffset));
    EXPECT_EQ(L"", ReadStatesString(v, kStatesFolderOffset));  // grown with zeros

    std::vector<uint8_t> cut(v.begin(), v.begin() + kStatesTemplateOffset + 9);  // 4.5 characters
    EXPECT_EQ(L"Meet", ReadStatesString(cut, kStatesTemplateOffset));
    for (size_t size : {size_t(0), size_t(84), kStatesTemplateOffset, kStatesTemplateOffset + 1})
        EXPECT_EQ(L"", ReadStatesString(std::vector<uint8_t>(size, 0x41), kStatesTemplateOffset)) << size;

    // No terminator anywhere: at most 259 characters come back.
    std::vector<uint8_t> full(kStatesTemplateOffset + 2000, 0x41);
    EXPECT_EQ(std::wstring(259, L'\x4141'), ReadStatesString(full, kStatesTemplateOffset));
    EXPECT_EQ(L"", ReadStatesString(full, size_t(-1)));
}

TEST(NoteStates, WriteKeepsTheRestOfTheValue) {
    std::vector<uint8_t> v(2400, 0x5A);
    ASSERT_TRUE(WriteStatesString(v, kStatesFolderOffset, L"Work"));
    EXPECT_EQ(2400u, v.size());
    EXPECT_EQ(L"Work", ReadStatesString(v, kStatesFolderOffset));
    EXPECT_EQ(0x5A, v[kStatesFolderOffset - 1]);
    EXPECT_EQ(0x5A, v[kStatesFolderOffset + kStatesFieldChars * 2]);
    EXPECT_EQ(0, v[kStatesFolderOffset + 8]);  // the old tail is cleared
    EXPECT_EQ(0, v[kStatesFolderOffset + kStatesFieldChars * 2 - 1]);

    const std::vector<uint8_t> before = v;
    EXPECT_FALSE(WriteStatesString(v, kStatesFolderOffset, std::wstring(260, L'x')));
    EXPECT_EQ(before, v);
    EXPECT_TRUE(WriteStatesString(v, kStatesFolderOffset, std::wstring(259, L'x')));
    EXPECT_EQ(std::wstring(259, L'x'), ReadStatesString(v, kStatesFolderOffset));
    EXPECT_FALSE(WriteStatesString(v, size_t(-1) - 3, L"a"));
}

}  // namespace
}  // namespace notes
}  // namespace daybrim
