// An ini file on disk keeps a caller's changes: they are written back when the
// object goes, and an unchanged file is left exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ini_file_disk.h"
#include "raii.h"

namespace {

class IniDisk : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = std::wstring(tmp) + L"olv_ini_disk_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        path_ = dir_ + L"\\skin.ini";
    }
    void TearDown() override {
        DeleteFileW(path_.c_str());
        DeleteFileW((path_ + L".new").c_str());
        RemoveDirectoryW(dir_.c_str());
    }
    void Write(const std::string& bytes) {
        raii::File f(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD put = 0;
        WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &put, nullptr);
    }
    std::string Read() {
        raii::File f(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!f) return "(missing)";
        std::string bytes(GetFileSize(f.get(), nullptr), '\0');
        DWORD got = 0;
        ReadFile(f.get(), &bytes[0], DWORD(bytes.size()), &got, nullptr);
        return bytes;
    }
    std::wstring dir_, path_;
};

}  // namespace

TEST_F(IniDisk, ChangesAreWrittenBackWhenTheFileGoes) {
    Write("[KEYBOARD]\r\nthumbs_kbrd_font_size = 14 ; big\r\n");
    {
        CIniDiskFile ini;
        ASSERT_TRUE(ini.Load(path_));
        EXPECT_FALSE(ini.modified());
        ini.SetValue(L"KEYBOARD", L"thumbs_kbrd_font_bold", L"1");
    }
    const std::string bytes = Read();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));  // written back as UTF-16
    CIniDiskFile again;
    ASSERT_TRUE(again.Load(path_));
    CeStd v;
    EXPECT_TRUE(again.GetValue(L"KEYBOARD", L"thumbs_kbrd_font_size", &v));
    EXPECT_EQ(L"14", v);
    EXPECT_TRUE(again.GetValue(L"KEYBOARD", L"thumbs_kbrd_font_bold", &v));
    EXPECT_EQ(L"1", v);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path_ + L".new").c_str()));
}

TEST_F(IniDisk, UnchangedOrMissingFilesAreLeftAlone) {
    const std::string original = "[KEYBOARD]\r\ncompact_kbrd_font_color=255,0,0\r\n";
    Write(original);
    {
        CIniDiskFile ini;
        ASSERT_TRUE(ini.Load(path_));
    }
    EXPECT_EQ(original, Read());  // still ANSI, byte for byte

    DeleteFileW(path_.c_str());
    {
        CIniDiskFile ini;
        EXPECT_FALSE(ini.Load(path_));
        EXPECT_EQ(nullptr, ini.FindSection(L"KEYBOARD"));
    }
    EXPECT_EQ("(missing)", Read());  // nothing changed, nothing made
}

TEST_F(IniDisk, AFailedWriteKeepsTheOldFileAndTheChanges) {
    Write("[A]\r\nk=v\r\n");
    CIniDiskFile ini;
    ASSERT_TRUE(ini.Load(path_));
    ini.SetValue(L"A", L"k", L"w");
    // The temporary file's place is taken by a folder: the new text cannot be written.
    ASSERT_TRUE(CreateDirectoryW((path_ + L".new").c_str(), nullptr));
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(ini.modified());
    EXPECT_EQ("[A]\r\nk=v\r\n", Read());
    RemoveDirectoryW((path_ + L".new").c_str());
    EXPECT_TRUE(ini.Save());
    EXPECT_FALSE(ini.modified());
}
