// Storage cards as device programs meet them: found through the notes library's
// ordinals, their files reachable while inserted and gone, not lost, while out.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "flashcard.h"
#include "raii.h"

namespace {

const wchar_t* const kCards[] = {L"Storage Card", L"SD Card 2"};

class FlashCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        lib_.reset(LoadLibraryW(NOTE_PRJ_DLL));
        ASSERT_TRUE(lib_);
        first_ = reinterpret_cast<PFN_FindFirstFlashCard>(
            reinterpret_cast<void*>(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(7))));
        next_ = reinterpret_cast<PFN_FindNextFlashCard>(
            reinterpret_cast<void*>(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(8))));
        ASSERT_TRUE(first_ && next_);
        for (const wchar_t* c : kCards) ASSERT_TRUE(CeSim_RemoveStorageCard(c));
    }
    void TearDown() override {
        for (const wchar_t* c : kCards) CeSim_RemoveStorageCard(c);
    }
    std::set<std::wstring> Enumerated() {
        std::set<std::wstring> out;
        WIN32_FIND_DATAW fd = {};
        HANDLE h = first_(&fd);
        if (h == INVALID_HANDLE_VALUE) return out;
        do out.insert(fd.cFileName);
        while (next_(h, &fd));
        FindClose(h);
        return out;
    }
    static bool WriteFile(const std::wstring& path, const char* text) {
        raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        return f && ::WriteFile(f.get(), text, DWORD(strlen(text)), &n, nullptr);
    }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    raii::Library lib_;
    PFN_FindFirstFlashCard first_ = nullptr;
    PFN_FindNextFlashCard next_ = nullptr;
};

TEST_F(FlashCardTest, OnlyInsertedCardsAreEnumerated) {
    CreateDirectoryW(L"\\Plain Folder", nullptr);  // a root folder that is no card
    const struct {
        bool first, second;
    } cases[] = {{false, false}, {true, false}, {true, true}, {false, true}};
    for (const auto& c : cases) {
        if (c.first) ASSERT_TRUE(CeSim_InsertStorageCard(kCards[0]));
        else ASSERT_TRUE(CeSim_RemoveStorageCard(kCards[0]));
        if (c.second) ASSERT_TRUE(CeSim_InsertStorageCard(kCards[1]));
        else ASSERT_TRUE(CeSim_RemoveStorageCard(kCards[1]));
        std::set<std::wstring> want;
        if (c.first) want.insert(kCards[0]);
        if (c.second) want.insert(kCards[1]);
        EXPECT_EQ(want, Enumerated()) << c.first << c.second;
        EXPECT_EQ(c.first, !!CeSim_IsStorageCardInserted(kCards[0]));
    }
    RemoveDirectoryW(L"\\Plain Folder");
}

TEST_F(FlashCardTest, NoCardGivesAnInvalidHandle) {
    WIN32_FIND_DATAW fd = {};
    EXPECT_EQ(INVALID_HANDLE_VALUE, first_(&fd));
    EXPECT_EQ(INVALID_HANDLE_VALUE, first_(nullptr));
    EXPECT_FALSE(next_(INVALID_HANDLE_VALUE, &fd));
}

TEST_F(FlashCardTest, FilesSurviveRemovalAndComeBackWithTheCard) {
    ASSERT_TRUE(CeSim_InsertStorageCard(kCards[0]));
    CreateDirectoryW(L"\\Storage Card\\Notes", nullptr);
    ASSERT_TRUE(WriteFile(L"\\Storage Card\\Notes\\memo.txt", "on the card"));
    ASSERT_TRUE(CeSim_RemoveStorageCard(kCards[0]));
    EXPECT_FALSE(Exists(L"\\Storage Card\\Notes\\memo.txt"));
    // A program writing to a pulled card fails instead of making a new folder.
    EXPECT_FALSE(WriteFile(L"\\Storage Card\\Notes\\other.txt", "x"));
    ASSERT_TRUE(CeSim_InsertStorageCard(kCards[0]));
    EXPECT_TRUE(Exists(L"\\Storage Card\\Notes\\memo.txt"));
    DeleteFileW(L"\\Storage Card\\Notes\\memo.txt");
    RemoveDirectoryW(L"\\Storage Card\\Notes");
}

TEST_F(FlashCardTest, BadNamesAndBlockedFoldersAreRefused) {
    for (const wchar_t* bad : {L"", L"a\\b", L"..", L"x:y"}) {
        EXPECT_FALSE(CeSim_InsertStorageCard(bad)) << bad;
        EXPECT_FALSE(CeSim_RemoveStorageCard(bad)) << bad;
    }
    EXPECT_FALSE(CeSim_InsertStorageCard(nullptr));
    ASSERT_TRUE(WriteFile(L"\\Blocked", "a file where a card would go"));
    EXPECT_FALSE(CeSim_InsertStorageCard(L"Blocked"));
    DeleteFileW(L"\\Blocked");
}

}  // namespace
