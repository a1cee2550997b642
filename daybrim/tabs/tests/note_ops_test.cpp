// The Notes tab's file work on real folders of the device image: renames and
// moves between main memory and a storage card, with failures half way and a
// card pulled during the copy. No case may lose the note.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "flashcard.h"
#include "note_ops.h"
#include "raii.h"

namespace daybrim {
namespace notes {
namespace {

const wchar_t kHome[] = L"\\My Documents\\NotesOpsTest";
const wchar_t kCard[] = L"\\Storage Card\\NotesOpsTest";

std::string Content(size_t size, char seed) {
    std::string s(size, 0);
    for (size_t i = 0; i < size; ++i) s[i] = char(seed + i * 7 % 251);
    return s;
}

bool Write(const std::wstring& path, const std::string& bytes) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    return f && WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr) && n == bytes.size();
}

// The file's bytes, or "<missing>".
std::string Read(const std::wstring& path) {
    std::string s;
    if (!ReadCapped(path, 1 << 24, &s)) return "<missing>";
    return s;
}

// The names in a folder, to see that no temporary copy is left behind; hidden
// files only when asked for.
std::wstring Listing(const std::wstring& folder, bool hidden = true) {
    std::wstring out;
    WIN32_FIND_DATAW fd = {};
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do
        if (fd.cFileName[0] != L'.' && (hidden || !(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)))
            out += std::wstring(fd.cFileName) + L";";
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

void Clean(const std::wstring& folder) {
    WIN32_FIND_DATAW fd = {};
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (fd.cFileName[0] == L'.') continue;
            const std::wstring p = folder + L"\\" + fd.cFileName;
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Clean(p);
            else DeleteFileW(p.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

class NoteOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CeSim_InsertStorageCard(L"Storage Card"));
        Clean(kHome);
        Clean(kCard);
        ASSERT_TRUE(MakeFolders(kHome));
        ASSERT_TRUE(MakeFolders(kCard));
    }
    void TearDown() override {
        CeSim_InsertStorageCard(L"Storage Card");
        Clean(kHome);
        Clean(kCard);
        CeSim_RemoveStorageCard(L"Storage Card");
    }
    std::wstring Home(const wchar_t* name) { return std::wstring(kHome) + L"\\" + name; }
    std::wstring Card(const wchar_t* name) { return std::wstring(kCard) + L"\\" + name; }
};

TEST_F(NoteOpsTest, EveryRenameAndMoveKeepsTheNote) {
    const std::string note = Content(40000, 'a'), other = Content(300, 'z');
    const struct {
        const char* what;
        std::wstring from, to;
        bool otherAtTarget, overwrite;
        FileResult result;
        bool sourceStays;  // the note is still (or only) at `from`
    } cases[] = {
        {"unchanged", Home(L"a.pwi"), Home(L"a.pwi"), false, false, FileResult::kNothingToDo, true},
        {"case only", Home(L"a.pwi"), Home(L"A.PWI"), false, false, FileResult::kDone, false},
        {"new name", Home(L"a.pwi"), Home(L"b.pwi"), false, false, FileResult::kDone, false},
        {"new sub-folder", Home(L"a.pwi"), Home(L"Work\\Deep\\a.pwi"), false, false, FileResult::kDone, false},
        {"onto the card", Home(L"a.pwi"), Card(L"a.pwi"), false, false, FileResult::kDone, false},
        {"from the card", Card(L"a.pwi"), Home(L"a.pwi"), false, false, FileResult::kDone, false},
        {"taken, not asked", Home(L"a.pwi"), Home(L"b.pwi"), true, false, FileResult::kTargetExists, true},
        {"taken, overwrite", Home(L"a.pwi"), Card(L"b.pwi"), true, true, FileResult::kDone, false},
        {"a folder in the way", Home(L"a.pwi"), std::wstring(kHome) + L"\\Sub", false, true, FileResult::kBadTarget,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(Write(c.from, note));
        if (c.otherAtTarget) {
            ASSERT_TRUE(Write(c.to, other));
        }
        MakeFolders(std::wstring(kHome) + L"\\Sub");
        EXPECT_EQ(c.result, MoveNote(c.from, c.to, c.overwrite));
        if (c.sourceStays) {
            EXPECT_EQ(note, Read(c.from));
            if (c.otherAtTarget) {
                EXPECT_EQ(other, Read(c.to));
            }
        } else {
            EXPECT_EQ(note, Read(c.to));
            if (c.result == FileResult::kDone && _wcsicmp(c.from.c_str(), c.to.c_str()) != 0) {
                EXPECT_EQ("<missing>", Read(c.from));
            }
        }
        EXPECT_EQ(std::wstring::npos, (Listing(kHome) + Listing(kCard)).find(L".tmp"));
    }
    // The case-only rename gives the file its new spelling.
    SetUp();
    ASSERT_TRUE(Write(Home(L"memo.txt"), note));
    ASSERT_EQ(FileResult::kDone, MoveNote(Home(L"memo.txt"), Home(L"Memo.txt"), false));
    EXPECT_EQ(L"Memo.txt;", Listing(kHome));
}

TEST_F(NoteOpsTest, AFailureHalfWayLeavesBothSidesAsTheyWere) {
    const std::string note = Content(50000, 'n'), old = Content(1000, 'o');
    const struct {
        const char* what;
        bool oldAtTarget;
    } cases[] = {{"new target", false}, {"overwriting", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(Write(Home(L"a.pwi"), note));
        if (c.oldAtTarget) {
            ASSERT_TRUE(Write(Card(L"a.pwi"), old));
        }
        int calls = 0;
        const FileResult r = MoveNote(Home(L"a.pwi"), Card(L"a.pwi"), true, [&](uint64_t) { return ++calls < 2; });
        EXPECT_EQ(FileResult::kCopyFailed, r);
        EXPECT_EQ(2, calls);
        EXPECT_EQ(note, Read(Home(L"a.pwi")));
        EXPECT_EQ(c.oldAtTarget ? old : "<missing>", Read(Card(L"a.pwi")));
        EXPECT_EQ(c.oldAtTarget ? L"a.pwi;" : L"", Listing(kCard));
    }
}

TEST_F(NoteOpsTest, ACardPulledDuringTheMoveLosesNothing) {
    const std::string note = Content(60000, 'c');
    const struct {
        const char* what;
        bool fromCard;
    } cases[] = {{"to the card", false}, {"from the card", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::wstring from = c.fromCard ? Card(L"a.pwi") : Home(L"a.pwi");
        const std::wstring to = c.fromCard ? Home(L"a.pwi") : Card(L"a.pwi");
        ASSERT_TRUE(Write(from, note));
        const FileResult r = MoveNote(from, to, false, [](uint64_t copied) {
            if (copied > 20000) CeSim_RemoveStorageCard(L"Storage Card");
            return true;
        });
        EXPECT_NE(FileResult::kDone, r);
        ASSERT_TRUE(CeSim_InsertStorageCard(L"Storage Card"));
        EXPECT_EQ(note, Read(from));
        EXPECT_EQ("<missing>", Read(to));
        // A copy cut off on the pulled card itself may stay behind there, hidden
        // and under a name of its own; nothing else is left anywhere.
        const std::wstring card = Listing(kCard, false), home = Listing(kHome, false);
        EXPECT_EQ(c.fromCard ? L"a.pwi;" : L"", card);
        EXPECT_EQ(c.fromCard ? L"" : L"a.pwi;", home);
    }
}

TEST_F(NoteOpsTest, CopyNeverOverwritesUnasked) {
    ASSERT_TRUE(Write(Home(L"a.txt"), "one"));
    ASSERT_TRUE(Write(Card(L"a.txt"), "two"));
    EXPECT_EQ(FileResult::kTargetExists, CopyNote(Home(L"a.txt"), Card(L"a.txt"), false));
    EXPECT_EQ("two", Read(Card(L"a.txt")));
    EXPECT_EQ(FileResult::kDone, CopyNote(Home(L"a.txt"), Card(L"b.txt"), false));
    EXPECT_EQ("one", Read(Card(L"b.txt")));
    EXPECT_EQ("one", Read(Home(L"a.txt")));
    EXPECT_EQ(FileResult::kSourceMissing, CopyNote(Home(L"none.txt"), Card(L"c.txt"), false));
}

TEST_F(NoteOpsTest, PreviewReadsAreCapped) {
    const std::string big = Content(300000, 'b');
    ASSERT_TRUE(Write(Home(L"big.txt"), big));
    const struct {
        size_t cap;
        size_t want;
        bool truncated;
    } cases[] = {{kPreviewCap, kPreviewCap, true}, {big.size(), big.size(), false}, {10, 10, true}, {0, 0, true}};
    for (const auto& c : cases) {
        std::string got;
        bool truncated = false;
        ASSERT_TRUE(ReadCapped(Home(L"big.txt"), c.cap, &got, &truncated));
        EXPECT_EQ(big.substr(0, c.want), got) << c.cap;
        EXPECT_EQ(c.truncated, truncated) << c.cap;
    }
    std::string got = "stale";
    EXPECT_FALSE(ReadCapped(Home(L"none.txt"), 10, &got));
    EXPECT_EQ("", got);
}

TEST_F(NoteOpsTest, ScanListsWantedTypesAndSetsTemplatesAside) {
    for (const wchar_t* n : {L"a.pwi", L"b.TXT", L"c.doc", L"d.bin", L"e.wav"}) ASSERT_TRUE(Write(Home(n), "x"));
    ASSERT_TRUE(Write(Home(L"Meeting.pwi"), "t"));
    SetFileAttributesW(Home(L"Meeting.pwi").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(MakeFolders(Home(L"Sub.txt")));  // a folder is never a file row
    const struct {
        unsigned wanted;
        bool root;
        std::wstring names;
    } cases[] = {{63, false, L"a b c e "}, {1, true, L"a "}, {4 | 8, false, L"b c "}, {32, false, L""}};
    for (const auto& c : cases) {
        std::vector<std::wstring> templates;
        auto files = ScanFolder(kHome, c.wanted, c.root, &templates);
        std::sort(files.begin(), files.end(), [](const ScannedFile& x, const ScannedFile& y) { return x.name < y.name; });
        std::wstring names;
        for (const auto& f : files) {
            names += f.name + L" ";
            EXPECT_EQ(c.root ? L"" : L"NotesOpsTest", f.folderName);
            EXPECT_EQ(1u, f.size);
        }
        EXPECT_EQ(c.names, names) << c.wanted;
        EXPECT_EQ((c.wanted & 1) ? std::vector<std::wstring>{L"Meeting"} : std::vector<std::wstring>{}, templates);
    }
    EXPECT_TRUE(ScanFolder(L"\\No Such Folder", 63, false).empty());
}

TEST_F(NoteOpsTest, CardsAreFoundThroughTheNotesLibrary) {
    EXPECT_EQ(std::vector<std::wstring>{L"\\Storage Card"}, StorageCardRoots());
    CeSim_RemoveStorageCard(L"Storage Card");
    EXPECT_TRUE(StorageCardRoots().empty());
}

// The list program's library as the tab uses it, with the device's stand-in:
// each list's completion, and a safe answer to every faulty one.
TEST_F(NoteOpsTest, ListLibraryAnswersSafely) {
    const ListLibrary lib(LIST_UTILS);
    ASSERT_TRUE(lib.usable());
    const struct {
        const char* text;  // null: no such file
        int want;
    } cases[] = {
        {"[x] milk\r\n[ ] bread\r\n[x] eggs\r\ntea\r\n", 50},
        {"[x] milk\n[X] bread\n", 100},
        {"[ ] milk\n", 0},
        {"", -1},
        {nullptr, -1},
        {"#refuse\n[x] milk\n", -1},
        {"#too-many\n[x] milk\n", -1},
        {"#overrun\n[x] milk\n", -1},
    };
    const std::wstring path = std::wstring(kHome) + L"\\list.mll";
    for (const auto& c : cases) {
        DeleteFileW(path.c_str());
        if (c.text) {
            ASSERT_TRUE(Write(path, c.text));
        }
        EXPECT_EQ(c.want, lib.Completion(path)) << (c.text ? c.text : "<none>");
    }
    EXPECT_EQ(-1, lib.Completion(std::wstring(MAX_PATH, L'a')));

    // The raw export refuses a structure smaller than its own, writing nothing.
    raii::Library raw(LoadLibraryW(LIST_UTILS));
    auto get = reinterpret_cast<ListLibrary::GetListData>(
        reinterpret_cast<void*>(GetProcAddress(raw.get(), "GetListData")));
    ASSERT_NE(nullptr, get);
    ListData small = {8, 7, 7, 7};
    EXPECT_FALSE(get(path.c_str(), &small));
    EXPECT_EQ(7u, small.items);
    EXPECT_FALSE(get(path.c_str(), nullptr));

    // A library without the export, and none at all, are not used.
    EXPECT_FALSE(ListLibrary(L"note_prj.dll").usable());
    EXPECT_FALSE(ListLibrary(L"\\No Such\\PinlistUtils.dll").usable());
    EXPECT_FALSE(ListLibrary(L"").usable());
}

// The device registry's "States" value around one write: what was there before
// (absent when `before` is null), what is written, and what must be read back.
TEST(NotesStates, WritesBothFieldsOrNothing) {
    const std::vector<uint8_t> shortValue(100, 0xAB);
    const std::vector<uint8_t> text = {'N', 0, 'o', 0, 0, 0};
    const std::wstring longName(kStatesFieldChars, L'x');
    const struct {
        const std::vector<uint8_t>* before;
        DWORD type;
        const wchar_t* folder;
        std::wstring templ;
        bool ok;
        const wchar_t* wantFolder;
        const wchar_t* wantTemplate;
    } cases[] = {
        {nullptr, REG_BINARY, L"Work", L"Meeting", true, L"Work", L"Meeting"},
        // A short value is grown; what lay before the folder field stays.
        {&shortValue, REG_BINARY, L"Work", L"Meeting", true, L"Work", L"Meeting"},
        // An empty folder leaves the stored one.
        {nullptr, REG_BINARY, L"", L"Meeting", true, L"", L"Meeting"},
        // A template too long for its field writes neither field.
        {&shortValue, REG_BINARY, L"Work", longName, false, nullptr, nullptr},
        // A value of another type is not ours to rewrite.
        {&text, REG_SZ, L"Work", L"Meeting", false, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kNotesStatesKey);
        raii::Key key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNotesStatesKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, key.out(), nullptr));
        if (c.before)
            RegSetValueExW(key.get(), L"States", 0, c.type, c.before->data(), DWORD(c.before->size()));
        EXPECT_EQ(c.ok, WriteNotesStates(c.folder, c.templ)) << c.folder << c.type;

        DWORD type = 0, size = 4096;
        std::vector<uint8_t> after(size);
        const LONG r = RegQueryValueExW(key.get(), L"States", nullptr, &type, after.data(), &size);
        if (!c.ok) {
            ASSERT_EQ(ERROR_SUCCESS, r);
            after.resize(size);
            EXPECT_EQ(*c.before, after) << "untouched";
            continue;
        }
        ASSERT_EQ(ERROR_SUCCESS, r);
        EXPECT_EQ(DWORD(REG_BINARY), type);
        after.resize(size);
        EXPECT_EQ(kStatesTemplateOffset + 2 * kStatesFieldChars, after.size());
        EXPECT_EQ(c.wantFolder, ReadStatesString(after, kStatesFolderOffset));
        EXPECT_EQ(c.wantTemplate, ReadStatesString(after, kStatesTemplateOffset));
        EXPECT_EQ(c.wantTemplate, CurrentNotesTemplate());
        if (c.before) {
            EXPECT_EQ(0xAB, after[kStatesFolderOffset - 1]);
        }
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kNotesStatesKey);
}

}  // namespace
}  // namespace notes
}  // namespace daybrim
