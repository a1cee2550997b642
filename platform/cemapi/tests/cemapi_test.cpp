// Contract of cemapi.dll: stores, folders, contents tables, bodies, the write paths
// and notifications, against a mail volume of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cemapi.h"
#include "com_base.h"
#include "mailvol.h"
#include "raii.h"

namespace {

using mailvol::FolderKind;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

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
cedb::PropValue Bytes(uint32_t tag, const std::string& s) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.bytes.assign(s.begin(), s.end());
    return p;
}

// 2026-12-07 09:00 UTC plus `hours`.
int64_t Time(int hours) { return 134096148000000000LL + int64_t(hours) * 36000000000LL; }

template <class T>
struct Ptr : raii::ComPtr<T> {
    T** put() { return this->out(); }
};

struct Rows {
    LPSRowSet p = nullptr;
    ~Rows() { FreeProws(p); }
    LPSRowSet* out() {
        FreeProws(p);
        p = nullptr;
        return &p;
    }
};

struct Buffer {
    LPSPropValue p = nullptr;
    ~Buffer() { MAPIFreeBuffer(p); }
};

std::vector<uint8_t> Bin(const SPropValue& v) {
    return std::vector<uint8_t>(v.Value.bin.lpb, v.Value.bin.lpb + v.Value.bin.cb);
}

class MapiTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(L"\\Temp", nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        ce_ = L"\\Temp\\cemapi_" + std::wstring(info->name(), info->name() + strlen(info->name())) + L".vol";
        DeleteFileW(ce_.c_str());
        wchar_t full[MAX_PATH];
        GetFullPathNameW(ce_.c_str(), MAX_PATH, full, nullptr);
        full_ = full;
        cedb::Error e;
        vol_ = cedb::Volume::Open(Narrow(full_), true, &e);
        ASSERT_TRUE(vol_);
        mail_ = std::make_unique<mailvol::MailVolume>(*vol_);
        ASSERT_EQ(mail_->Init(), cedb::Error::kOk);
        ASSERT_EQ(mail_->CreateAccount(u"Work", &work_), cedb::Error::kOk);
        ASSERT_EQ(mail_->CreateAccount(u"sms", &sms_), cedb::Error::kOk);
        inbox_ = mail_->FolderOf(work_, FolderKind::kInbox);
        // Three messages: an unread one with everything, a read one, one with no subject.
        ASSERT_EQ(mail_->AddMessage(inbox_,
                                    {Str(PR_SUBJECT_W, u"Quarterly report"), Num(PR_MESSAGE_FLAGS, 0),
                                     Num(PR_MESSAGE_DELIVERY_TIME, Time(2)), Num(PR_MESSAGE_SIZE, 2048),
                                     Str(PR_SENDER_EMAIL_ADDRESS_W, u"\"Anna L\" <anna@example.org>"),
                                     Num(PR_HASATTACH, 1), Num(PR_IMPORTANCE, 2),
                                     Str(PR_BODY_W, u"Hello\r\nthere"),
                                     Bytes(PR_CE_MIME_TEXT, "From: a\r\n\r\nraw")},
                                    &m1_),
                  cedb::Error::kOk);
        ASSERT_EQ(mail_->AddMessage(inbox_,
                                    {Str(PR_SUBJECT_W, u"Lunch"), Num(PR_MESSAGE_FLAGS, MSGFLAG_READ),
                                     Num(PR_MESSAGE_DELIVERY_TIME, Time(5))},
                                    &m2_),
                  cedb::Error::kOk);
        ASSERT_EQ(mail_->AddMessage(inbox_, {Num(PR_MESSAGE_DELIVERY_TIME, Time(1))}, &m3_), cedb::Error::kOk);
        SetEnvironmentVariableW(L"CEMAPI_VOLUME", ce_.c_str());
        ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
        ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, session_.put()), S_OK);
    }
    void TearDown() override {
        session_.reset();
        MAPIUninitialize();
        mail_.reset();
        vol_.reset();
        DeleteFileW(ce_.c_str());
    }

    Ptr<IMsgStore> OpenStore(uint32_t account) {
        Ptr<IMsgStore> store;
        auto id = mailvol::MakeEntryId(mailvol::EntryKind::kStore, account);
        EXPECT_EQ(session_->OpenMsgStore(0, ULONG(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, 0,
                                         store.put()),
                  S_OK);
        return store;
    }
    template <class T>
    HRESULT Open(IMsgStore* store, mailvol::EntryKind kind, uint32_t oid, ULONG flags, T** out) {
        auto id = mailvol::MakeEntryId(kind, oid);
        ULONG type = 0;
        return store->OpenEntry(ULONG(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, flags, &type,
                                reinterpret_cast<LPUNKNOWN*>(out));
    }
    ULONG Flags(uint32_t oid) {
        cedb::Record r;
        vol_->Read(oid, &r);
        return ULONG(mailvol::NumOf(r, PR_MESSAGE_FLAGS));
    }

    std::wstring ce_, full_;
    std::unique_ptr<cedb::Volume> vol_;
    std::unique_ptr<mailvol::MailVolume> mail_;
    uint32_t work_ = 0, sms_ = 0, inbox_ = 0, m1_ = 0, m2_ = 0, m3_ = 0;
    Ptr<IMAPISession> session_;
};

TEST_F(MapiTest, StoresTableHasOneRowPerAccountAndStoresNameTheirFolders) {
    Ptr<IMAPITable> table;
    ASSERT_EQ(session_->GetMsgStoresTable(MAPI_UNICODE, table.put()), S_OK);
    SizedSPropTagArray(2, cols) = {2, {PR_ENTRYID, PR_DISPLAY_NAME_W}};
    ASSERT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), 0), S_OK);
    std::vector<std::wstring> names;
    for (;;) {
        Rows rows;
        ASSERT_EQ(table->QueryRows(1, 0, rows.out()), S_OK);
        if (rows.p->cRows == 0) break;
        names.push_back(rows.p->aRow[0].lpProps[1].Value.lpszW);
        Ptr<IMsgStore> store;
        const SPropValue& id = rows.p->aRow[0].lpProps[0];
        EXPECT_EQ(session_->OpenMsgStore(0, id.Value.bin.cb, reinterpret_cast<LPENTRYID>(id.Value.bin.lpb), nullptr,
                                         0, store.put()),
                  S_OK);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Work", L"sms"}));

    Ptr<IMsgStore> store = OpenStore(work_);
    SizedSPropTagArray(3, want) = {3, {PR_CE_IPM_INBOX_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID, PR_DISPLAY_NAME_W}};
    ULONG n = 0;
    Buffer v;
    ASSERT_EQ(store->GetProps(reinterpret_cast<LPSPropTagArray>(&want), MAPI_UNICODE, &n, &v.p), S_OK);
    ASSERT_EQ(n, 3u);
    EXPECT_EQ(Bin(v.p[0]), mailvol::MakeEntryId(mailvol::EntryKind::kFolder, inbox_));
    EXPECT_EQ(Bin(v.p[1]), mailvol::MakeEntryId(mailvol::EntryKind::kFolder,
                                                mail_->FolderOf(work_, FolderKind::kDeleted)));
    EXPECT_STREQ(v.p[2].Value.lpszW, L"Work");
    ULONG cb = 0;
    LPENTRYID receive = nullptr;
    ASSERT_EQ(store->GetReceiveFolder(nullptr, 0, &cb, &receive, nullptr), S_OK);
    EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(receive), reinterpret_cast<uint8_t*>(receive) + cb),
              Bin(v.p[0]));
    MAPIFreeBuffer(receive);
}

TEST_F(MapiTest, ContentsTableRowsCarryTheMessageProperties) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMAPIFolder> inbox;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, inbox_, 0, inbox.put()), S_OK);
    Ptr<IMAPITable> table;
    ASSERT_EQ(inbox->GetContentsTable(0, table.put()), S_OK);
    SizedSPropTagArray(8, cols) = {8,
                                   {PR_MESSAGE_FLAGS, PR_SUBJECT_W, PR_MESSAGE_DELIVERY_TIME, PR_MESSAGE_SIZE,
                                    PR_SENDER_EMAIL_ADDRESS_W, PR_HASATTACH, PR_IMPORTANCE, PR_ENTRYID}};
    ASSERT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), 0), S_OK);
    ULONG count = 0;
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 3u);
    Rows rows;
    ASSERT_EQ(table->QueryRows(10, 0, rows.out()), S_OK);
    ASSERT_EQ(rows.p->cRows, 3u);
    const SPropValue* r = rows.p->aRow[0].lpProps;  // the first message: every column present
    EXPECT_EQ(r[0].Value.l, 0);
    EXPECT_STREQ(r[1].Value.lpszW, L"Quarterly report");
    EXPECT_EQ(int64_t(uint64_t(r[2].Value.ft.dwHighDateTime) << 32 | r[2].Value.ft.dwLowDateTime), Time(2));
    EXPECT_EQ(r[3].Value.l, 2048);
    EXPECT_STREQ(r[4].Value.lpszW, L"\"Anna L\" <anna@example.org>");
    EXPECT_TRUE(r[5].Value.b);
    EXPECT_EQ(r[6].Value.l, 2);
    EXPECT_EQ(Bin(r[7]), mailvol::MakeEntryId(mailvol::EntryKind::kMessage, m1_));
    // The third has no subject or sender: those columns are errors, the others stand.
    const SPropValue* bare = rows.p->aRow[2].lpProps;
    EXPECT_EQ(bare[1].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_SUBJECT_W)));
    EXPECT_EQ(bare[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(bare[4].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_SENDER_EMAIL_ADDRESS_W)));
    EXPECT_EQ(bare[0].Value.l, 0);
    // Past the end: an empty set, not an error.
    Rows more;
    ASSERT_EQ(table->QueryRows(1, 0, more.out()), S_OK);
    EXPECT_EQ(more.p->cRows, 0u);
}

TEST_F(MapiTest, RestrictAndSortTableChooseAndOrderRows) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMAPIFolder> inbox;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, inbox_, 0, inbox.put()), S_OK);
    SizedSSortOrderSet(1, newest) = {1, 0, 0, {{PR_MESSAGE_DELIVERY_TIME, TABLE_SORT_DESCEND}}};
    SizedSSortOrderSet(1, oldest) = {1, 0, 0, {{PR_MESSAGE_DELIVERY_TIME, TABLE_SORT_ASCEND}}};
    SRestriction unread = {};
    unread.rt = RES_BITMASK;
    unread.res.resBitMask = {BMR_EQZ, PR_MESSAGE_FLAGS, MSGFLAG_READ};
    struct Case {
        const char* name;
        LPSSortOrderSet sort;
        LPSRestriction restrict;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"newest first", reinterpret_cast<LPSSortOrderSet>(&newest), nullptr, {m2_, m1_, m3_}},
        {"oldest first", reinterpret_cast<LPSSortOrderSet>(&oldest), nullptr, {m3_, m1_, m2_}},
        {"unread, newest first", reinterpret_cast<LPSSortOrderSet>(&newest), &unread, {m1_, m3_}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ptr<IMAPITable> table;
        ASSERT_EQ(inbox->GetContentsTable(0, table.put()), S_OK);
        SizedSPropTagArray(1, cols) = {1, {PR_ENTRYID}};
        ASSERT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), 0), S_OK);
        ASSERT_EQ(table->Restrict(c.restrict, 0), S_OK);
        ASSERT_EQ(table->SortTable(c.sort, 0), S_OK);
        Rows rows;
        ASSERT_EQ(table->QueryRows(10, 0, rows.out()), S_OK);
        std::vector<uint32_t> got;
        for (ULONG i = 0; i < rows.p->cRows; ++i) {
            mailvol::EntryKind k;
            uint32_t oid = 0;
            const SPropValue& v = rows.p->aRow[i].lpProps[0];
            ASSERT_TRUE(mailvol::ParseEntryId(v.Value.bin.lpb, v.Value.bin.cb, &k, &oid));
            got.push_back(oid);
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(MapiTest, BadArgumentsAndUnknownEntriesFailCleanly) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMAPIFolder> inbox;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, inbox_, 0, inbox.put()), S_OK);
    Ptr<IMAPITable> table;
    ASSERT_EQ(inbox->GetContentsTable(0, table.put()), S_OK);

    SizedSSortOrderSet(1, categorized) = {1, 1, 0, {{PR_SUBJECT_W, TABLE_SORT_ASCEND}}};
    SizedSSortOrderSet(1, badOrder) = {1, 0, 0, {{PR_SUBJECT_W, 7}}};
    SRestriction content = {};
    content.rt = RES_CONTENT;
    auto stale = mailvol::MakeEntryId(mailvol::EntryKind::kMessage, 999999);
    auto folderId = mailvol::MakeEntryId(mailvol::EntryKind::kFolder, inbox_);
    auto messageAsFolder = mailvol::MakeEntryId(mailvol::EntryKind::kFolder, m1_);
    uint8_t garbage[16] = {1, 2, 3};
    Rows rows;
    IUnknown* unk = nullptr;
    IMsgStore* noStore = nullptr;
    ULONG type = 0;
    struct Case {
        const char* name;
        HRESULT got;
        HRESULT expected;
    } cases[] = {
        {"no columns", table->SetColumns(nullptr, 0), MAPI_E_INVALID_PARAMETER},
        {"zero rows", table->QueryRows(0, 0, rows.out()), MAPI_E_INVALID_PARAMETER},
        {"negative rows", table->QueryRows(-3, 0, rows.out()), MAPI_E_INVALID_PARAMETER},
        {"no sort set", table->SortTable(nullptr, 0), MAPI_E_INVALID_PARAMETER},
        {"categories", table->SortTable(reinterpret_cast<LPSSortOrderSet>(&categorized), 0), MAPI_E_TOO_COMPLEX},
        {"bad sort order", table->SortTable(reinterpret_cast<LPSSortOrderSet>(&badOrder), 0), MAPI_E_TOO_COMPLEX},
        {"content restriction", table->Restrict(&content, 0), MAPI_E_TOO_COMPLEX},
        {"bad bookmark", table->SeekRow(BOOKMARK(77), 1, nullptr), MAPI_E_INVALID_BOOKMARK},
        {"deleted message", store->OpenEntry(ULONG(stale.size()), reinterpret_cast<LPENTRYID>(stale.data()), nullptr,
                                             0, &type, &unk),
         MAPI_E_NOT_FOUND},
        {"message named as folder",
         store->OpenEntry(ULONG(messageAsFolder.size()), reinterpret_cast<LPENTRYID>(messageAsFolder.data()), nullptr,
                          0, &type, &unk),
         MAPI_E_NOT_FOUND},
        {"not an entry id",
         store->OpenEntry(sizeof garbage, reinterpret_cast<LPENTRYID>(garbage), nullptr, 0, &type, &unk),
         MAPI_E_INVALID_ENTRYID},
        {"null entry id", store->OpenEntry(0, nullptr, nullptr, 0, &type, &unk), MAPI_E_INVALID_ENTRYID},
        {"folder as store",
         session_->OpenMsgStore(0, ULONG(folderId.size()), reinterpret_cast<LPENTRYID>(folderId.data()), nullptr, 0,
                                &noStore),
         MAPI_E_INVALID_ENTRYID},
        {"advise without sink", store->Advise(0, nullptr, fnevObjectCreated, nullptr, &type),
         MAPI_E_INVALID_PARAMETER},
        {"unknown connection", store->Unadvise(12345), MAPI_E_NOT_FOUND},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
    EXPECT_EQ(unk, nullptr);
    EXPECT_EQ(noStore, nullptr);
    // The table still answers after the refused calls.
    Rows ok;
    EXPECT_EQ(table->QueryRows(5, 0, ok.out()), S_OK);
}

TEST_F(MapiTest, EverythingFailsAfterLogoff) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMAPIFolder> inbox;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, inbox_, 0, inbox.put()), S_OK);
    Ptr<IMAPITable> table;
    ASSERT_EQ(inbox->GetContentsTable(0, table.put()), S_OK);
    Ptr<IMessage> msg;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kMessage, m1_, MAPI_MODIFY, msg.put()), S_OK);
    ASSERT_EQ(session_->Logoff(0, 0, 0), S_OK);

    Rows rows;
    Ptr<IMAPITable> t2;
    Buffer v;
    ULONG n = 0;
    IUnknown* unk = nullptr;
    ULONG type = 0;
    auto id = mailvol::MakeEntryId(mailvol::EntryKind::kMessage, m1_);
    struct Case {
        const char* name;
        HRESULT got;
    } cases[] = {
        {"second logoff", session_->Logoff(0, 0, 0)},
        {"stores table", session_->GetMsgStoresTable(0, t2.put())},
        {"session open", session_->OpenEntry(ULONG(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, 0,
                                             &type, &unk)},
        {"store props", store->GetProps(nullptr, 0, &n, &v.p)},
        {"table rows", table->QueryRows(1, 0, rows.out())},
        {"read flag", msg->SetReadFlag(0)},
        {"contents table", inbox->GetContentsTable(0, t2.put())},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, MAPI_E_INVALID_OBJECT) << c.name;
    EXPECT_EQ(Flags(m1_), 0u);
}

TEST_F(MapiTest, BodiesOpenAsStreams) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMessage> msg;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kMessage, m1_, 0, msg.put()), S_OK);
    struct Case {
        ULONG tag;
        std::string bytes;
    } cases[] = {
        {PR_BODY_W, std::string("H\0e\0l\0l\0o\0\r\0\n\0t\0h\0e\0r\0e\0", 24)},
        {PR_CE_MIME_TEXT, "From: a\r\n\r\nraw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        Ptr<IStream> s;
        ASSERT_EQ(msg->OpenProperty(c.tag, &IID_IStream, STGM_READ, 0, reinterpret_cast<LPUNKNOWN*>(s.put())), S_OK);
        STATSTG st = {};
        ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
        EXPECT_EQ(st.cbSize.QuadPart, c.bytes.size());
        std::string got(c.bytes.size() + 8, '\0');
        ULONG read = 0;
        s->Read(&got[0], ULONG(got.size()), &read);
        got.resize(read);
        EXPECT_EQ(got, c.bytes);
    }
    IUnknown* unk = nullptr;
    EXPECT_EQ(msg->OpenProperty(PR_BODY_HTML_A, &IID_IStream, 0, 0, &unk), MAPI_E_NOT_FOUND);
    EXPECT_EQ(msg->OpenProperty(PR_BODY_W, &__uuidof(IMAPITable), 0, 0, &unk), MAPI_E_INTERFACE_NOT_SUPPORTED);
    EXPECT_EQ(unk, nullptr);
}

TEST_F(MapiTest, ReadFlagsMovesAndDeletesReachTheVolume) {
    Ptr<IMsgStore> store = OpenStore(work_);
    Ptr<IMessage> msg;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kMessage, m1_, 0, msg.put()), S_OK);
    ASSERT_EQ(msg->SetReadFlag(0), S_OK);
    EXPECT_EQ(Flags(m1_), ULONG(MSGFLAG_READ));
    ASSERT_EQ(msg->SetReadFlag(CLEAR_READ_FLAG), S_OK);
    EXPECT_EQ(Flags(m1_), 0u);

    // SetProps needs MAPI_MODIFY and lands with SaveChanges.
    SPropValue flags = {};
    flags.ulPropTag = PR_MESSAGE_FLAGS;
    flags.Value.l = MSGFLAG_READ;
    EXPECT_EQ(msg->SetProps(1, &flags, nullptr), MAPI_E_NO_ACCESS);
    Ptr<IMessage> writable;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kMessage, m1_, MAPI_MODIFY, writable.put()), S_OK);
    ASSERT_EQ(writable->SetProps(1, &flags, nullptr), S_OK);
    EXPECT_EQ(Flags(m1_), 0u);
    ASSERT_EQ(writable->SaveChanges(FORCE_SAVE), S_OK);
    EXPECT_EQ(Flags(m1_), ULONG(MSGFLAG_READ));

    // Move to the wastebasket, then delete there; the folders' counts follow.
    Ptr<IMAPIFolder> inbox, trash;
    const uint32_t trashOid = mail_->FolderOf(work_, FolderKind::kDeleted);
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, inbox_, MAPI_MODIFY, inbox.put()), S_OK);
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kFolder, trashOid, MAPI_MODIFY, trash.put()), S_OK);
    auto id = mailvol::MakeEntryId(mailvol::EntryKind::kMessage, m3_);
    SBinary bin = {ULONG(id.size()), id.data()};
    ENTRYLIST list = {1, &bin};
    EXPECT_EQ(trash->CopyMessages(&list, nullptr, inbox.get(), 0, nullptr, MESSAGE_MOVE), MAPI_E_NOT_FOUND);
    EXPECT_EQ(inbox->CopyMessages(&list, nullptr, trash.get(), 0, nullptr, 0), MAPI_E_NO_SUPPORT);
    ASSERT_EQ(inbox->CopyMessages(&list, nullptr, trash.get(), 0, nullptr, MESSAGE_MOVE), S_OK);
    EXPECT_EQ(mail_->Messages(inbox_), (std::vector<uint32_t>{m1_, m2_}));
    EXPECT_EQ(mail_->Messages(trashOid), (std::vector<uint32_t>{m3_}));

    SizedSPropTagArray(2, counts) = {2, {PR_CONTENT_COUNT, PR_CONTENT_UNREAD}};
    ULONG n = 0;
    Buffer v;
    ASSERT_EQ(inbox->GetProps(reinterpret_cast<LPSPropTagArray>(&counts), 0, &n, &v.p), S_OK);
    EXPECT_EQ(v.p[0].Value.l, 2);
    EXPECT_EQ(v.p[1].Value.l, 0);

    EXPECT_EQ(inbox->DeleteMessages(&list, 0, nullptr, 0), MAPI_E_NOT_FOUND);
    ASSERT_EQ(trash->DeleteMessages(&list, 0, nullptr, 0), S_OK);
    cedb::Record gone;
    EXPECT_EQ(vol_->Read(m3_, &gone), cedb::Error::kNotFound);
}

// Records what it is told, and on which thread.
class Sink : public com::Object<IMAPIAdviseSink> {
public:
    ULONG STDMETHODCALLTYPE OnNotify(ULONG n, LPNOTIFICATION list) override {
        for (ULONG i = 0; i < n; ++i) {
            Event e;
            e.type = list[i].ulEventType;
            e.thread = GetCurrentThreadId();
            if (e.type != fnevNewMail) {
                const OBJECT_NOTIFICATION& o = list[i].info.obj;
                mailvol::EntryKind k;
                mailvol::ParseEntryId(o.lpEntryID, o.cbEntryID, &k, &e.oid);
                mailvol::ParseEntryId(o.lpParentID, o.cbParentID, &k, &e.parent);
                if (o.lpOldParentID) mailvol::ParseEntryId(o.lpOldParentID, o.cbOldParentID, &k, &e.oldParent);
            }
            events.push_back(e);
        }
        return 0;
    }
    struct Event {
        ULONG type = 0;
        uint32_t oid = 0, parent = 0, oldParent = 0;
        DWORD thread = 0;
        bool operator==(const Event& o) const {
            return type == o.type && oid == o.oid && parent == o.parent && oldParent == o.oldParent;
        }
    };
    std::vector<Event> events;
};

// Runs the probe to its end; its first output line as a number.
uint32_t RunProbe(const std::wstring& args) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE rd = nullptr, wr = nullptr;
    CreatePipe(&rd, &wr, &sa, 0);
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = wr;
    si.hStdError = wr;
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" CEMAPI_PROBE L"\" " + args;
    EXPECT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(wr);
    std::string out;
    char buf[64];
    DWORD n = 0;
    while (ReadFile(rd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(rd);
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(code, 0u) << Narrow(cmd);
    return uint32_t(strtoul(out.c_str(), nullptr, 10));
}

// Dispatches this thread's messages until the sink holds `count` events.
bool PumpUntil(Sink& sink, size_t count) {
    const DWORD deadline = GetTickCount() + 10000;
    while (sink.events.size() < count && int(deadline - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    return sink.events.size() >= count;
}

TEST_F(MapiTest, ChangesByAnotherProcessAreAnnouncedOnTheAdvisingThread) {
    Ptr<IMsgStore> store = OpenStore(work_);
    auto* sink = new Sink();
    raii::ComPtr<Sink> keep;
    keep.attach(sink);
    ULONG conn = 0;
    ASSERT_EQ(store->Advise(0, nullptr, fnevObjectCreated | fnevObjectDeleted | fnevObjectModified |
                                            fnevObjectMoved | fnevNewMail,
                            sink, &conn),
              S_OK);
    const std::wstring vol = L"\"" + full_ + L"\" ";
    const uint32_t trash = mail_->FolderOf(work_, FolderKind::kDeleted);

    const uint32_t added = RunProbe(vol + L"add Work Hello");
    ASSERT_NE(added, 0u);
    ASSERT_TRUE(PumpUntil(*sink, 2));
    RunProbe(vol + L"read " + std::to_wstring(added));
    ASSERT_TRUE(PumpUntil(*sink, 3));
    RunProbe(vol + L"move " + std::to_wstring(added) + L" 4");
    ASSERT_TRUE(PumpUntil(*sink, 4));
    RunProbe(vol + L"delete " + std::to_wstring(added));
    ASSERT_TRUE(PumpUntil(*sink, 5));
    // Mail of the other account is not this store's business.
    RunProbe(vol + L"add sms Ping");
    // A change of this process's own comes through the same way.
    Ptr<IMessage> msg;
    ASSERT_EQ(Open(store.get(), mailvol::EntryKind::kMessage, m2_, 0, msg.put()), S_OK);
    ASSERT_EQ(msg->SetReadFlag(CLEAR_READ_FLAG), S_OK);
    ASSERT_TRUE(PumpUntil(*sink, 6));

    using E = Sink::Event;
    const std::vector<E> expected = {
        {fnevObjectCreated, added, inbox_, 0}, {fnevNewMail, 0, 0, 0},
        {fnevObjectModified, added, inbox_, 0}, {fnevObjectMoved, added, trash, inbox_},
        {fnevObjectDeleted, added, trash, 0},  {fnevObjectModified, m2_, inbox_, 0},
    };
    EXPECT_EQ(sink->events, expected);
    for (const E& e : sink->events) EXPECT_EQ(e.thread, GetCurrentThreadId());

    // After Unadvise nothing more arrives.
    ASSERT_EQ(store->Unadvise(conn), S_OK);
    RunProbe(vol + L"add Work Again");
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    EXPECT_EQ(sink->events.size(), 6u);
}

TEST(MapiBuffers, MoreBlocksGoWithTheirParent) {
    void* parent = nullptr;
    ASSERT_EQ(MAPIAllocateBuffer(16, &parent), S_OK);
    for (int i = 0; i < 4; ++i) {
        void* more = nullptr;
        ASSERT_EQ(MAPIAllocateMore(64, parent, &more), S_OK);
        memset(more, 0xAB, 64);
    }
    void* none = nullptr;
    EXPECT_EQ(MAPIAllocateMore(8, nullptr, &none), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(MAPIFreeBuffer(parent), 0u);
    EXPECT_EQ(MAPIFreeBuffer(nullptr), 0u);
}

TEST(MapiLogon, NeedsInitializeAndAReadableVolume) {
    IMAPISession* s = nullptr;
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &s), MAPI_E_NOT_INITIALIZED);
    EXPECT_EQ(s, nullptr);

    // A volume file that is not one: logon fails and the file is left alone.
    CreateDirectoryW(L"\\Temp", nullptr);
    const wchar_t* path = L"\\Temp\\cemapi_corrupt.vol";
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const char junk[] = "this is no volume at all, just some bytes long enough to look like a header";
    DWORD written = 0;
    WriteFile(f, junk, sizeof junk, &written, nullptr);
    CloseHandle(f);
    SetEnvironmentVariableW(L"CEMAPI_VOLUME", path);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, &s), MAPI_E_LOGON_FAILED);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, nullptr), MAPI_E_INVALID_PARAMETER);
    MAPIUninitialize();
    WIN32_FILE_ATTRIBUTE_DATA d;
    ASSERT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &d));
    EXPECT_EQ(d.nFileSizeLow, sizeof junk);
    DeleteFileW(path);
}

}  // namespace
