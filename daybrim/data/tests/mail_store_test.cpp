// The mail store over the device's messaging: accounts and counts, order, the
// read flag and delete reaching the store, bodies, and mail delivered by another
// process reaching the host window on its own thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cemapi.h"
#include "mail_store.h"
#include "mailvol.h"

namespace daybrim {
namespace {

using mailvol::FolderKind;

cedb::PropValue Str(uint32_t tag, const std::u16string& s) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.str = s;
    return p;
}
cedb::PropValue Num(uint32_t tag, int64_t v) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.num = v;
    return p;
}
cedb::PropValue Raw(uint32_t tag, const std::string& s) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.bytes.assign(s.begin(), s.end());
    return p;
}
int64_t Time(int hours) { return 134096148000000000LL + int64_t(hours) * 36000000000LL; }

// Counts WM_DR_MAILCHANGED and the thread it arrived on.
struct Host {
    HWND hwnd = nullptr;
    int changes = 0;
    DWORD thread = 0;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_DR_MAILCHANGED) {
            auto* self = reinterpret_cast<Host*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            ++self->changes;
            self->thread = GetCurrentThreadId();
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    Host() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"MailStoreTestHost";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Host() { DestroyWindow(hwnd); }
};

class MailStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(L"\\Temp", nullptr);
        ce_ = L"\\Temp\\daybrim_mail.vol";
        DeleteFileW(ce_.c_str());
        wchar_t full[MAX_PATH];
        GetFullPathNameW(ce_.c_str(), MAX_PATH, full, nullptr);
        full_ = full;
        cedb::Error e;
        vol_ = cedb::Volume::Open(std::string(full_.begin(), full_.end()), true, &e);
        ASSERT_TRUE(vol_);
        mail_ = std::make_unique<mailvol::MailVolume>(*vol_);
        ASSERT_EQ(mail_->Init(), cedb::Error::kOk);
        uint32_t work = 0, sms = 0, home = 0;
        ASSERT_EQ(mail_->CreateAccount(u"sms", &sms), cedb::Error::kOk);
        ASSERT_EQ(mail_->CreateAccount(u"Work", &work), cedb::Error::kOk);
        ASSERT_EQ(mail_->CreateAccount(u"home", &home), cedb::Error::kOk);
        workInbox_ = mail_->FolderOf(work, FolderKind::kInbox);
        workTrash_ = mail_->FolderOf(work, FolderKind::kDeleted);
        Add(workInbox_, {Str(PR_SUBJECT_W, u"Older"), Num(PR_MESSAGE_DELIVERY_TIME, Time(1)),
                         Str(PR_SENDER_EMAIL_ADDRESS_W, u"\"Anna L\" <anna@example.org>"),
                         Str(PR_BODY_W, u"Plain\t\tbody\r\n   \r\nend"), Num(PR_MSG_STATUS, MSGSTATUS_PARTIAL)});
        Add(workInbox_, {Str(PR_SUBJECT_W, u"Newer"), Num(PR_MESSAGE_DELIVERY_TIME, Time(3)),
                         Num(PR_MESSAGE_FLAGS, MSGFLAG_READ), Num(PR_MSG_STATUS, MSGSTATUS_HAS_PR_CE_MIME_TEXT),
                         Raw(PR_CE_MIME_TEXT,
                             "From: b@example.org\r\nContent-Type: multipart/mixed; boundary=\"zz\"\r\n\r\n--zz\r\n"
                             "Content-Type: text/plain; charset=windows-1251\r\n\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\n"
                             "--zz\r\nContent-Type: application/zip\r\n\r\nPK...\r\n--zz--\r\n")});
        Add(workInbox_, {Str(PR_SUBJECT_W, u"Middle"), Num(PR_MESSAGE_DELIVERY_TIME, Time(2))});
        // Sent mail is not listed.
        Add(mail_->FolderOf(work, FolderKind::kSent), {Str(PR_SUBJECT_W, u"Sent")});
        Add(mail_->FolderOf(sms, FolderKind::kInbox), {Str(PR_SUBJECT_W, u"Call me\nlater"),
                                                       Num(PR_MESSAGE_DELIVERY_TIME, Time(4))});
        SetEnvironmentVariableW(L"CEMAPI_VOLUME", ce_.c_str());
        store_ = std::make_unique<MailStore>(host_.hwnd);
        ASSERT_TRUE(store_->Load());
    }
    void TearDown() override {
        store_.reset();
        mail_.reset();
        vol_.reset();
        DeleteFileW(ce_.c_str());
    }
    uint32_t Add(uint32_t folder, std::vector<cedb::PropValue> props) {
        uint32_t oid = 0;
        EXPECT_EQ(mail_->AddMessage(folder, std::move(props), &oid), cedb::Error::kOk);
        return oid;
    }
    const MailAccount& Work() { return store_->model().accounts().at(1); }
    std::vector<std::u16string> Subjects(const MailAccount& a) {
        std::vector<std::u16string> s;
        for (const MailMessage& m : a.messages) s.push_back(m.subject);
        return s;
    }
    uint32_t OidOf(const EntryId& id) {
        mailvol::EntryKind k;
        uint32_t oid = 0;
        mailvol::ParseEntryId(id.data(), id.size(), &k, &oid);
        return oid;
    }
    bool PumpUntil(int changes) {
        const DWORD deadline = GetTickCount() + 10000;
        while (host_.changes < changes && int(deadline - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
        return host_.changes >= changes;
    }

    Host host_;
    std::wstring ce_, full_;
    std::unique_ptr<cedb::Volume> vol_;
    std::unique_ptr<mailvol::MailVolume> mail_;
    uint32_t workInbox_ = 0, workTrash_ = 0;
    std::unique_ptr<MailStore> store_;
};

TEST_F(MailStoreTest, AccountsTitlesCountsAndOrder) {
    const auto lines = store_->model().AccountLines();
    ASSERT_EQ(lines.size(), 3u);
    struct Line {
        std::u16string name;
        int unread, read;
    } expected[] = {{u"home", 0, 0}, {u"Work", 2, 1}, {u"sms", 1, 0}};
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].name, expected[i].name) << i;
        EXPECT_EQ(lines[i].id, int(i));
        EXPECT_EQ(lines[i].unread, expected[i].unread) << i;
        EXPECT_EQ(lines[i].read, expected[i].read) << i;
    }
    EXPECT_EQ(Subjects(Work()), (std::vector<std::u16string>{u"Newer", u"Middle", u"Older"}));
    const MailMessage& older = Work().messages[2];
    EXPECT_EQ(older.sender, u"Anna L");
    EXPECT_EQ(older.senderAddress, u"anna@example.org");
    EXPECT_TRUE(store_->model().accounts()[2].messages[0].isTextMessage);
}

TEST_F(MailStoreTest, ReadFlagAndDeleteReachTheStoreAndTheCounts) {
    const EntryId older = Work().messages[2].entryId;
    ASSERT_TRUE(store_->SetRead(1, older, true));
    cedb::Record r;
    ASSERT_EQ(vol_->Read(OidOf(older), &r), cedb::Error::kOk);
    EXPECT_EQ(mailvol::NumOf(r, PR_MESSAGE_FLAGS) & MSGFLAG_READ, MSGFLAG_READ);
    EXPECT_EQ(Work().Unread(), 1);
    ASSERT_TRUE(store_->ToggleRead(1, older));
    ASSERT_EQ(vol_->Read(OidOf(older), &r), cedb::Error::kOk);
    EXPECT_EQ(mailvol::NumOf(r, PR_MESSAGE_FLAGS) & MSGFLAG_READ, 0);
    EXPECT_EQ(Work().Unread(), 2);

    ASSERT_TRUE(store_->Delete(1, older));
    EXPECT_EQ(mail_->Messages(workTrash_), std::vector<uint32_t>{OidOf(older)});
    EXPECT_EQ(Work().Unread(), 1);
    EXPECT_FALSE(store_->Delete(1, older));  // no longer listed
    EXPECT_FALSE(store_->SetRead(7, older, true));
    // The store's own notices of these changes arrive later and change nothing more:
    // once a message delivered after them is seen, they have all been handled.
    const int before = host_.changes;
    cedb::Error e;
    auto other = cedb::Volume::Open(std::string(full_.begin(), full_.end()), false, &e);
    ASSERT_TRUE(other);
    mailvol::MailVolume writer(*other);
    ASSERT_EQ(writer.AddMessage(workInbox_, {Str(PR_SUBJECT_W, u"Later"), Num(PR_MESSAGE_DELIVERY_TIME, Time(8))},
                                nullptr),
              cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(before + 1));
    EXPECT_EQ(Subjects(Work()), (std::vector<std::u16string>{u"Later", u"Newer", u"Middle"}));
    EXPECT_EQ(Work().Unread(), 2);
    EXPECT_EQ(Work().Read(), 1);
}

TEST_F(MailStoreTest, BodiesInEveryStoredForm) {
    std::u16string text;
    bool html = true;
    ASSERT_TRUE(store_->GetBody(1, Work().messages[0].entryId, &text, &html));  // MIME, first part only
    EXPECT_EQ(text, u"Привет\r\n");
    EXPECT_FALSE(html);
    ASSERT_TRUE(store_->GetBody(1, Work().messages[2].entryId, &text, &html));  // plain, partly downloaded
    EXPECT_EQ(text, u"Plain body\r\nend\r\n[Message truncated]");
    ASSERT_TRUE(store_->GetBody(2, store_->model().accounts()[2].messages[0].entryId, &text, &html));
    EXPECT_EQ(text, u"Call me\rlater");
    EXPECT_FALSE(store_->GetBody(1, Work().messages[1].entryId, &text, &html));  // no body at all
    EXPECT_FALSE(store_->GetBody(1, EntryId{1, 2, 3}, &text, &html));
}

TEST_F(MailStoreTest, ChangesByAnotherProcessReachTheHostOnItsThread) {
    // Another writer: the volume opened separately, as the device tool does.
    cedb::Error e;
    auto other = cedb::Volume::Open(std::string(full_.begin(), full_.end()), false, &e);
    ASSERT_TRUE(other);
    mailvol::MailVolume writer(*other);
    uint32_t added = 0;
    ASSERT_EQ(writer.AddMessage(workInbox_, {Str(PR_SUBJECT_W, u"Fresh"), Num(PR_MESSAGE_DELIVERY_TIME, Time(9))},
                                &added),
              cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(1));
    EXPECT_EQ(host_.thread, GetCurrentThreadId());
    EXPECT_EQ(Work().messages[0].subject, u"Fresh");
    EXPECT_EQ(Work().Unread(), 3);

    // Deleting an unread message elsewhere lowers the count; a move out of the inbox too.
    ASSERT_EQ(writer.Delete(added), cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(2));
    EXPECT_EQ(Work().Unread(), 2);
    ASSERT_EQ(writer.Move(OidOf(Work().messages[1].entryId), workTrash_), cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(3));
    EXPECT_EQ(Subjects(Work()), (std::vector<std::u16string>{u"Newer", u"Older"}));
    EXPECT_EQ(Work().Unread(), 1);
}

}  // namespace
}  // namespace daybrim
