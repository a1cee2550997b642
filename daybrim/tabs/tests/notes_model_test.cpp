// The Notes tab's rows from a scan: groups by folder, date and type, their
// order and the order of files, the selected folder and the kept folding.
#include <gtest/gtest.h>

#include "notes_model.h"

namespace daybrim {
namespace {

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override { return L"#" + std::to_wstring(id); }
};

notes::ScannedFile File(const wchar_t* folderName, const wchar_t* name, unsigned type, double modified,
                        uint64_t size = 10) {
    notes::ScannedFile f;
    f.name = name;
    f.folderName = folderName;
    f.folder = std::wstring(L"\\My Documents") + (*folderName ? L"\\" : L"") + folderName;
    f.path = f.folder + L"\\" + name + notes::DottedExtension(type);
    f.type = type;
    f.modified = modified;
    f.size = size;
    return f;
}

const int32_t kToday = 46363;

std::vector<notes::ScannedFile> Sample() {
    return {
        File(L"Work", L"minutes", notes::kInk, kToday + 0.4, 300),
        File(L"work", L"Budget", notes::kExcel, kToday - 1 + 0.5, 9000),
        File(L"", L"shopping", notes::kList, kToday - 30 + 0.9, 50),
        File(L"Personal", L"diary", notes::kText, kToday - 31 + 0.1, 20),
        File(L"Personal", L"voice", notes::kVoice, kToday - 7 + 0.2, 100000),
    };
}

// "title: child child | title: ..." with only the shown children.
std::wstring Render(NotesModel& m) {
    std::wstring out;
    for (TItem* g = m.groups().head(); g; g = g->next()) {
        auto* group = static_cast<TItemWithList*>(g);
        out += group->title + L":";
        for (TChildItem* c : group->children())
            if (c->IsVisibleCached()) out += L" " + static_cast<TNoteItem*>(c)->file.name;
        out += L" | ";
    }
    return out;
}

TEST(NotesModel, GroupingsAndTheirOrder) {
    const struct {
        int grouping, groupDirection, sort, sortDirection;
        const wchar_t* want;
    } cases[] = {
        {0, 1, 0, 1, L"#41340: Budget diary minutes shopping voice | "},
        {0, 1, 0, -1, L"#41340: voice shopping minutes diary Budget | "},
        {0, 1, 1, 1, L"#41340: diary shopping voice Budget minutes | "},
        {0, 1, 2, 1, L"#41340: diary shopping minutes Budget voice | "},
        // Folder names meet ignoring case; the configured root has no name of its own.
        {1, 1, 0, 1, L"#41340: shopping | Personal: diary voice | Work: Budget minutes | "},
        {1, -1, 0, 1, L"Work: Budget minutes | Personal: diary voice | #41340: shopping | "},
        // 30 days back is still "last 30 days", 31 is older.
        {2, 1, 0, 1, L"#73: minutes | #41347: Budget | #41348: voice | #41349: shopping | #41350: diary | "},
        {3, 1, 0, 1, L"#41341: minutes | #41342: voice | #41343: diary | #41345: Budget | #41346: shopping | "},
        {3, -1, 0, 1, L"#41346: shopping | #41345: Budget | #41343: diary | #41342: voice | #41341: minutes | "},
    };
    for (const auto& c : cases) {
        NotesOptions o;
        o.grouping = c.grouping;
        o.groupDirection = c.groupDirection;
        o.sort = c.sort;
        o.sortDirection = c.sortDirection;
        o.today = kToday;
        NotesModel m;
        m.Build(Sample(), o, Texts());
        EXPECT_EQ(c.want, Render(m)) << c.grouping << " " << c.sort;
    }
}

TEST(NotesModel, FolderNamesMeetIgnoringCase) {
    // "Work" and "work" are one group, titled with the first spelling met.
    NotesOptions o;
    o.sort = 0;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    TItemWithList* work = nullptr;
    for (TItem* g = m.groups().head(); g; g = g->next())
        if (static_cast<TItemWithList*>(g)->title == L"Work") work = static_cast<TItemWithList*>(g);
    ASSERT_NE(nullptr, work);
    EXPECT_EQ(2u, work->children().size());
}

TEST(NotesModel, SelectedFolderHidesOthersAndFoldingIsKept) {
    NotesOptions o;
    o.selFolder = L"personal";
    o.today = kToday;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    EXPECT_EQ(L"#41340: | Personal: diary voice | Work: | ", Render(m));
    for (TItem* g = m.groups().head(); g; g = g->next())
        EXPECT_EQ(static_cast<TItemWithList*>(g)->title == L"Personal", g->IsVisible()) << static_cast<TItemWithList*>(g)->title;

    // First scan with folding by default: every group folded; a rescan keeps
    // what the user changed, by the group's key.
    o.selFolder.clear();
    o.foldedByDefault = true;
    m.Build(Sample(), o, Texts());
    std::set<uint32_t> folded = m.FoldedKeys();
    EXPECT_EQ(3u, folded.size());
    TItem* first = m.groups().head();
    folded.erase(first->Id());
    m.Build(Sample(), o, Texts(), &folded);
    EXPECT_EQ(0, static_cast<TItemWithList*>(m.groups().head())->folded);
    EXPECT_EQ(1, static_cast<TItemWithList*>(m.groups().head()->next())->folded);
    const std::set<uint32_t> none;
    m.Build(Sample(), o, Texts(), &none);
    EXPECT_TRUE(m.FoldedKeys().empty());  // all unfolded stays unfolded
}

TEST(NotesModel, ItemsAreFoundByPathWhateverItsCase) {
    NotesOptions o;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    TNoteItem* item = m.Find(NoteIdOf(L"\\MY DOCUMENTS\\Personal\\DIARY.txt"));
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(L"diary", item->file.name);
    EXPECT_EQ(unsigned(notes::kText), item->row.typeBits);
    EXPECT_EQ(nullptr, m.Find(NoteIdOf(L"\\My Documents\\none.txt")));
}

}  // namespace
}  // namespace daybrim

namespace daybrim {
namespace {

const LetterGroups kGroups = {L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"};

TEST(NotesChoices, MenuCommandsChangeOneChoiceEach) {
    const std::vector<std::wstring> folders = {L"Personal", L"Work"};
    NotesChoices base;
    base.selFolder = L"work";
    const struct {
        unsigned command;
        bool applies;
        int grouping, groupDirection, sort, sortDirection, display, searchMode;
        const wchar_t* selFolder;
    } cases[] = {
        {kCmdNotesGroupFirst, true, 0, 1, 0, 1, 5, 0, L"work"},
        {kCmdNotesGroupFirst + 3, true, 3, 1, 0, 1, 5, 0, L"work"},
        {kCmdNotesGroupsDown, true, 1, -1, 0, 1, 5, 0, L"work"},
        {kCmdNotesSortFirst + 2, true, 1, 1, 2, 1, 5, 0, L"work"},
        {kCmdNotesSortDown, true, 1, 1, 0, -1, 5, 0, L"work"},
        {kCmdNotesShowFirst, true, 1, 1, 0, 1, 4, 0, L"work"},
        {kCmdNotesShowFirst + 1, true, 1, 1, 0, 1, 7, 0, L"work"},
        {kCmdNotesSearchLetters, true, 1, 1, 0, 1, 5, 1, L"work"},
        {kCmdNotesAllFolders, true, 1, 1, 0, 1, 5, 0, L""},
        {kCmdNotesAllFolders + 1, true, 1, 1, 0, 1, 5, 0, L"Personal"},
        // A folder entry past those offered, and the commands around the block.
        {kCmdNotesAllFolders + 3, false, 1, 1, 0, 1, 5, 0, L"work"},
        {kCmdNotesGroupFirst - 1, false, 1, 1, 0, 1, 5, 0, L"work"},
        {kCmdNotesSearchLetters + 1, false, 1, 1, 0, 1, 5, 0, L"work"},
    };
    for (const auto& c : cases) {
        NotesChoices got = base;
        EXPECT_EQ(c.applies, ApplyNotesChoice(c.command, folders, &got)) << c.command;
        NotesChoices want;
        want.grouping = c.grouping;
        want.groupDirection = c.groupDirection;
        want.sort = c.sort;
        want.sortDirection = c.sortDirection;
        want.display = c.display;
        want.searchMode = c.searchMode;
        want.selFolder = c.selFolder;
        EXPECT_TRUE(want == got) << c.command;
        // What a command chose is what its entry shows checked.
        if (c.applies && c.command != kCmdNotesShowFirst) {
            EXPECT_TRUE(NotesChoiceChecked(c.command, folders, got)) << c.command;
        }
    }
    // The selected folder is checked whatever its case; an unknown grouping checks folder.
    EXPECT_TRUE(NotesChoiceChecked(kCmdNotesAllFolders + 2, folders, base));
    base.grouping = 9;
    EXPECT_TRUE(NotesChoiceChecked(kCmdNotesGroupFirst + 1, folders, base));
    EXPECT_FALSE(NotesChoiceChecked(kCmdNotesAllFolders, folders, base));
}

TEST(NotesModelSearch, KeySequenceNarrowsAndBackspaceWidens) {
    NotesOptions o;
    o.grouping = 0;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    const struct {
        int key;
        const wchar_t* want;
    } steps[] = {
        {2, L"#41340: Budget diary minutes voice | "},  // d, e or f anywhere
        {3, L"#41340: Budget diary | "},                 // then g, h or i
        {9, L"#41340: Budget diary minutes voice | "},
        {9, L"#41340: Budget diary minutes shopping voice | "},
        {6, L"#41340: diary minutes shopping | "},       // p..s anywhere
        {0, L"#41340: Budget diary minutes shopping voice | "},
    };
    std::wstring got;
    for (const auto& s : steps) {
        m.Search(s.key, 0, kGroups, true);
        got += Render(m);
    }
    std::wstring want;
    for (const auto& s : steps) want += s.want;
    EXPECT_EQ(want, got);
}

TEST(NotesModelSearch, LetterModeStepsThroughTheGroupAndUnfolds) {
    NotesOptions o;
    o.grouping = 1;
    o.foldedByDefault = true;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    m.Search(1, 1, kGroups, true);  // 'a'
    EXPECT_EQ(L'a', m.searchLetter());
    EXPECT_EQ(L"#41340: | Personal: | Work: | ", Render(m));
    m.Search(1, 1, kGroups, true);  // 'b'
    EXPECT_EQ(L"#41340: | Personal: | Work: Budget | ", Render(m));
    EXPECT_TRUE(m.FoldedKeys().empty());  // a search opens every group
    TItem* first = m.groups().head();
    EXPECT_FALSE(first->IsVisible());  // nothing matched in it
    m.Search(1, 1, kGroups, true);
    m.Search(1, 1, kGroups, true);  // past 'c': back to 'a'
    EXPECT_EQ(L'a', m.searchLetter());
    m.Search(9, 1, kGroups, true);
    EXPECT_EQ(0, m.searchLetter());
    EXPECT_EQ(L"#41340: shopping | Personal: diary voice | Work: Budget minutes | ", Render(m));
    // A key without letters, or beyond the groups, clears rather than reading past them.
    m.Search(8, 1, LetterGroups{L"abc"}, true);
    EXPECT_EQ(0, m.searchLetter());
}

TEST(NotesModelSearch, ARescanKeepsTheNarrowing) {
    NotesOptions o;
    o.grouping = 0;
    NotesModel m;
    m.Build(Sample(), o, Texts());
    m.Search(2, 0, kGroups, true);
    m.Search(3, 0, kGroups, true);
    m.Build(Sample(), o, Texts());
    EXPECT_EQ(L"#41340: Budget diary | ", Render(m));
    EXPECT_EQ(L"23", m.searchText());
    // With the search bar off every name's key is empty: nothing typed matches.
    m.Search(0, 0, kGroups, false);
    m.Search(2, 0, kGroups, false);
    EXPECT_EQ(L"#41340: | ", Render(m));
}

}  // namespace
}  // namespace daybrim
