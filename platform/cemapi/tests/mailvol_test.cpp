// The mail volume: accounts and their folders, messages, moves, entry ids.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "mailvol.h"

namespace mailvol {
namespace {

class MailVolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mailvol_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        cedb::Error e;
        vol_ = cedb::Volume::Open(dir_ + "/mail.vol", true, &e);
        ASSERT_TRUE(vol_);
        mail_ = std::make_unique<MailVolume>(*vol_);
        ASSERT_EQ(mail_->Init(), cedb::Error::kOk);
    }
    void TearDown() override {
        mail_.reset();
        vol_.reset();
        unlink((dir_ + "/mail.vol").c_str());
        rmdir(dir_.c_str());
    }
    std::string dir_;
    std::unique_ptr<cedb::Volume> vol_;
    std::unique_ptr<MailVolume> mail_;
};

TEST_F(MailVolTest, AccountsGetFiveFoldersAndUniqueNames) {
    uint32_t a = 0, b = 0;
    ASSERT_EQ(mail_->CreateAccount(u"Work", &a), cedb::Error::kOk);
    ASSERT_EQ(mail_->CreateAccount(u"sms", &b), cedb::Error::kOk);
    EXPECT_EQ(mail_->CreateAccount(u"WORK", nullptr), cedb::Error::kExists);
    EXPECT_EQ(mail_->CreateAccount(u"", nullptr), cedb::Error::kInvalid);
    ASSERT_EQ(mail_->Accounts().size(), 2u);
    std::vector<Folder> folders = mail_->Folders(a);
    ASSERT_EQ(folders.size(), 5u);
    EXPECT_EQ(folders[0].kind, FolderKind::kInbox);
    EXPECT_EQ(folders[0].name, u"Inbox");
    EXPECT_NE(mail_->FolderOf(a, FolderKind::kDeleted), mail_->FolderOf(b, FolderKind::kDeleted));
    // Init again changes nothing.
    ASSERT_EQ(mail_->Init(), cedb::Error::kOk);
    EXPECT_EQ(mail_->Accounts().size(), 2u);
}

TEST_F(MailVolTest, MessagesMoveOnlyWithinTheirAccount) {
    uint32_t a = 0, b = 0, m = 0;
    ASSERT_EQ(mail_->CreateAccount(u"Work", &a), cedb::Error::kOk);
    ASSERT_EQ(mail_->CreateAccount(u"Home", &b), cedb::Error::kOk);
    const uint32_t inbox = mail_->FolderOf(a, FolderKind::kInbox);
    const uint32_t trash = mail_->FolderOf(a, FolderKind::kDeleted);
    // A caller's own account or folder links are replaced by the real ones.
    cedb::PropValue bogus;
    bogus.propid = kTagFolder;
    bogus.num = 12345;
    ASSERT_EQ(mail_->AddMessage(inbox, {bogus}, &m), cedb::Error::kOk);
    EXPECT_EQ(mail_->Messages(inbox), std::vector<uint32_t>{m});
    EXPECT_EQ(mail_->AddMessage(m, {}, nullptr), cedb::Error::kNotFound);  // not a folder

    EXPECT_EQ(mail_->Move(m, mail_->FolderOf(b, FolderKind::kInbox)), cedb::Error::kInvalid);
    ASSERT_EQ(mail_->Move(m, trash), cedb::Error::kOk);
    EXPECT_TRUE(mail_->Messages(inbox).empty());
    EXPECT_EQ(mail_->SetFlags(m, kFlagRead), cedb::Error::kOk);
    EXPECT_EQ(mail_->SetFlags(inbox, kFlagRead), cedb::Error::kNotFound);  // a folder is no message
    ASSERT_EQ(mail_->Delete(m), cedb::Error::kOk);
    EXPECT_EQ(mail_->Delete(m), cedb::Error::kNotFound);
    EXPECT_TRUE(mail_->Messages(trash).empty());
}

TEST(MailVolEntryId, RoundTripsAndRefusesForeignBytes) {
    std::vector<uint8_t> id = MakeEntryId(EntryKind::kFolder, 0x01020304);
    EntryKind k;
    uint32_t oid = 0;
    ASSERT_TRUE(ParseEntryId(id.data(), id.size(), &k, &oid));
    EXPECT_EQ(k, EntryKind::kFolder);
    EXPECT_EQ(oid, 0x01020304u);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"short", std::vector<uint8_t>(id.begin(), id.end() - 1)},
        {"other marker", [&] { auto b = id; b[5] ^= 1; return b; }()},
        {"kind 0", MakeEntryId(EntryKind(0), 5)},
        {"kind 4", MakeEntryId(EntryKind(4), 5)},
        {"oid 0", MakeEntryId(EntryKind::kMessage, 0)},
    };
    for (const Case& c : cases) EXPECT_FALSE(ParseEntryId(c.bytes.data(), c.bytes.size(), &k, &oid)) << c.name;
    EXPECT_FALSE(ParseEntryId(nullptr, 16, &k, &oid));
}

TEST(MailVolTags, BinaryAndNarrowTextAreKeptAsBlobs) {
    EXPECT_EQ(StoredId(0x0FFF0102), 0x0FFF0041u);
    EXPECT_EQ(StoredId(kTagBodyHtml), 0x10130041u);
    EXPECT_EQ(StoredId(kTagBodyW), kTagBodyW);
    EXPECT_EQ(StoredId(kTagDeliveryTime), kTagDeliveryTime);
}

}  // namespace
}  // namespace mailvol
