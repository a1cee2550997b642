#include "mail_store.h"

#include <oleauto.h>

#include <algorithm>

#include "cemapi.h"
#include "com_base.h"
#include "mail_text.h"

namespace daybrim {

namespace {

// The contents-table columns and message properties read, in this order.
enum Column { kFlags, kSubject, kReceived, kSize, kSender, kHasAttach, kImportance, kEntryId, kColumns };
SizedSPropTagArray(kColumns, g_messageColumns) = {
    kColumns,
    {PR_MESSAGE_FLAGS, PR_SUBJECT_W, PR_MESSAGE_DELIVERY_TIME, PR_MESSAGE_SIZE, PR_SENDER_EMAIL_ADDRESS_W,
     PR_HASATTACH, PR_IMPORTANCE, PR_ENTRYID}};

LPSPropTagArray Tags(void* sized) { return reinterpret_cast<LPSPropTagArray>(sized); }

bool Has(const SPropValue& v, ULONG type) { return PROP_TYPE(v.ulPropTag) == type; }

std::u16string Text(const SPropValue& v) {
    return Has(v, PT_UNICODE) && v.Value.lpszW ? std::u16string(reinterpret_cast<const char16_t*>(v.Value.lpszW))
                                               : std::u16string();
}

EntryId Bytes(const SPropValue& v) {
    return Has(v, PT_BINARY) ? EntryId(v.Value.bin.lpb, v.Value.bin.lpb + v.Value.bin.cb) : EntryId();
}

// A UTC FILETIME as a local OLE date.
double LocalDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    double d = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
        !SystemTimeToVariantTime(&st, &d))
        return 949998.0;
    return d;
}

// Properties in the column order above; false without an entry identifier.
bool FillMessage(const SPropValue* v, MailMessage* m) {
    m->entryId = Bytes(v[kEntryId]);
    if (m->entryId.empty()) return false;
    m->unread = !(Has(v[kFlags], PT_LONG) && (v[kFlags].Value.l & MSGFLAG_READ));
    m->subject = Text(v[kSubject]);
    m->received = Has(v[kReceived], PT_SYSTIME) ? LocalDate(v[kReceived].Value.ft) : 949998.0;
    m->size = Has(v[kSize], PT_LONG) ? uint32_t(v[kSize].Value.l) : 0;
    MailSender sender = ParseSender(Text(v[kSender]));
    m->sender = sender.name;
    m->senderAddress = sender.address;
    m->hasAttachment = Has(v[kHasAttach], PT_BOOLEAN) && v[kHasAttach].Value.b;
    m->importance = Has(v[kImportance], PT_LONG) ? int(v[kImportance].Value.l) : 1;
    return true;
}

// Frees a property buffer or row set when it goes.
struct PropBuffer {
    LPSPropValue p = nullptr;
    ~PropBuffer() { MAPIFreeBuffer(p); }
};
struct RowSet {
    LPSRowSet p = nullptr;
    ~RowSet() { FreeProws(p); }
};

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

}  // namespace

// The account's store and its sink. The sink is part of the account: its reference
// calls do not count.
struct MailStore::Account {
    class Sink : public com::Static<IMAPIAdviseSink> {
    public:
        Sink(MailStore* owner, Account* account) : owner_(owner), account_(account) {}
        ULONG STDMETHODCALLTYPE OnNotify(ULONG n, LPNOTIFICATION list) override {
            owner_->OnNotify(*account_, n, list);
            return 0;
        }

    private:
        MailStore* owner_;
        Account* account_;
    };

    explicit Account(MailStore* owner) : sink(owner, this) {}
    ~Account() {
        if (store && connection) store->Unadvise(connection);
        if (store) store->Release();
    }

    IMsgStore* store = nullptr;
    EntryId storeId;
    EntryId inboxId;
    std::u16string name;
    ULONG connection = 0;
    Sink sink;
};

MailStore::MailStore(HWND host) : host_(host) {}

MailStore::~MailStore() { Close(); }

bool MailStore::Load() {
    Close();
    if (FAILED(MAPIInitialize(nullptr))) return false;
    initialized_ = true;
    if (FAILED(MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, &session_)) || !session_) {
        session_ = nullptr;
        Close();
        return false;
    }
    Released<IMAPITable> stores;
    if (FAILED(session_->GetMsgStoresTable(MAPI_UNICODE, &stores.p))) return false;
    SizedSPropTagArray(2, storeColumns) = {2, {PR_ENTRYID, PR_DISPLAY_NAME_W}};
    if (FAILED(stores.p->SetColumns(Tags(&storeColumns), 0))) return false;

    std::vector<MailAccount> loaded;
    for (;;) {
        RowSet row;
        if (FAILED(stores.p->QueryRows(1, 0, &row.p)) || !row.p || row.p->cRows == 0) break;
        const EntryId storeId = Bytes(row.p->aRow[0].lpProps[0]);
        auto account = std::make_unique<Account>(this);
        if (storeId.empty() ||
            FAILED(session_->OpenMsgStore(0, ULONG(storeId.size()), reinterpret_cast<LPENTRYID>(
                                                                          const_cast<uint8_t*>(storeId.data())),
                                          nullptr, 0, &account->store)))
            continue;  // a store that cannot be opened is left out
        account->storeId = storeId;
        account->store->Advise(0, nullptr, fnevCriticalError | fnevNewMail | fnevObjectCreated |
                                                fnevObjectDeleted | fnevObjectModified | fnevObjectMoved |
                                                fnevObjectCopied | fnevSearchComplete,
                               &account->sink, &account->connection);

        MailAccount model;
        model.storeId = storeId;
        SizedSPropTagArray(2, storeProps) = {2, {PR_CE_IPM_INBOX_ENTRYID, PR_DISPLAY_NAME_W}};
        ULONG n = 0;
        PropBuffer props;
        if (account->store->GetProps(Tags(&storeProps), MAPI_UNICODE, &n, &props.p) == S_OK && n == 2) {
            account->inboxId = Bytes(props.p[0]);
            account->name = Text(props.p[1]);
        }
        model.name = account->name;
        Released<IMAPIFolder> inbox;
        Released<IMAPITable> contents;
        ULONG type = 0;
        if (!account->inboxId.empty() &&
            SUCCEEDED(account->store->OpenEntry(ULONG(account->inboxId.size()),
                                                reinterpret_cast<LPENTRYID>(account->inboxId.data()), nullptr, 0,
                                                &type, reinterpret_cast<LPUNKNOWN*>(&inbox.p))) &&
            SUCCEEDED(inbox.p->GetContentsTable(0, &contents.p)) &&
            SUCCEEDED(contents.p->SetColumns(Tags(&g_messageColumns), 0))) {
            for (;;) {
                RowSet rows;
                if (FAILED(contents.p->QueryRows(1, 0, &rows.p)) || !rows.p || rows.p->cRows == 0) break;
                MailMessage m;
                if (rows.p->aRow[0].cValues == kColumns && FillMessage(rows.p->aRow[0].lpProps, &m))
                    model.messages.push_back(std::move(m));
            }
        }
        loaded.push_back(std::move(model));
        accounts_.push_back(std::move(account));
    }
    model_.Reset(std::move(loaded));
    return true;
}

void MailStore::Close() {
    accounts_.clear();
    model_.Reset({});
    if (session_) {
        session_->Logoff(0, 0, 0);
        session_->Release();
        session_ = nullptr;
    }
    if (initialized_) {
        MAPIUninitialize();
        initialized_ = false;
    }
}

MailStore::Account* MailStore::AccountOf(int modelIndex) {
    if (modelIndex < 0 || size_t(modelIndex) >= model_.accounts().size()) return nullptr;
    const EntryId& storeId = model_.accounts()[size_t(modelIndex)].storeId;
    for (auto& a : accounts_)
        if (a->storeId == storeId) return a.get();
    return nullptr;
}

bool MailStore::ReadMessage(Account& a, const EntryId& id, MailMessage* out) {
    Released<IMessage> msg;
    ULONG type = 0;
    if (FAILED(a.store->OpenEntry(ULONG(id.size()), reinterpret_cast<LPENTRYID>(const_cast<uint8_t*>(id.data())),
                                  nullptr, 0, &type, reinterpret_cast<LPUNKNOWN*>(&msg.p))))
        return false;
    ULONG n = 0;
    PropBuffer props;
    HRESULT hr = msg.p->GetProps(Tags(&g_messageColumns), MAPI_UNICODE, &n, &props.p);
    // Missing optional properties come back as errors in their slots.
    if (FAILED(hr) || n != kColumns) return false;
    return FillMessage(props.p, out);
}

void MailStore::Changed() {
    if (host_) SendMessageW(host_, WM_DR_MAILCHANGED, 0, 0);
}

void MailStore::OnNotify(Account& a, ULONG count, void* notifications) {
    const int index = model_.AccountIndex(a.storeId);
    if (index < 0 || !notifications) return;
    auto* list = static_cast<LPNOTIFICATION>(notifications);
    bool changed = false;
    for (ULONG i = 0; i < count; ++i) {
        const NOTIFICATION& n = list[i];
        if (n.ulEventType == fnevNewMail || n.ulEventType == fnevCriticalError) continue;
        const OBJECT_NOTIFICATION& o = n.info.obj;
        if (o.ulObjType != MAPI_MESSAGE || !o.lpEntryID) continue;
        const EntryId id(reinterpret_cast<uint8_t*>(o.lpEntryID), reinterpret_cast<uint8_t*>(o.lpEntryID) + o.cbEntryID);
        if (n.ulEventType == fnevObjectDeleted) {
            changed |= model_.Remove(index, id);
            continue;
        }
        if (n.ulEventType != fnevObjectCreated && n.ulEventType != fnevObjectModified &&
            n.ulEventType != fnevObjectMoved)
            continue;
        ULONG same = FALSE;
        const bool inInbox =
            o.lpParentID && !a.inboxId.empty() &&
            a.store->CompareEntryIDs(o.cbParentID, o.lpParentID, ULONG(a.inboxId.size()),
                                     reinterpret_cast<LPENTRYID>(a.inboxId.data()), 0, &same) == S_OK &&
            same;
        MailMessage m;
        if (inInbox && ReadMessage(a, id, &m)) {
            model_.Upsert(index, std::move(m));
            changed = true;
        } else {
            // Moved out of the inbox, or gone before it could be read.
            changed |= model_.Remove(index, id);
        }
    }
    if (changed) Changed();
}

bool MailStore::SetRead(int account, const EntryId& id, bool read) {
    Account* a = AccountOf(account);
    if (!a || !model_.Find(account, id)) return false;
    Released<IMessage> msg;
    ULONG type = 0;
    if (FAILED(a->store->OpenEntry(ULONG(id.size()), reinterpret_cast<LPENTRYID>(const_cast<uint8_t*>(id.data())),
                                   nullptr, MAPI_MODIFY, &type, reinterpret_cast<LPUNKNOWN*>(&msg.p))))
        return false;
    SizedSPropTagArray(1, flagsTag) = {1, {PR_MESSAGE_FLAGS}};
    ULONG n = 0;
    PropBuffer props;
    if (msg.p->GetProps(Tags(&flagsTag), 0, &n, &props.p) != S_OK || n != 1) return false;
    SPropValue flags = props.p[0];
    flags.Value.l = read ? (flags.Value.l | MSGFLAG_READ) : (flags.Value.l & ~LONG(MSGFLAG_READ));
    if (FAILED(msg.p->SetProps(1, &flags, nullptr)) || FAILED(msg.p->SaveChanges(FORCE_SAVE))) return false;
    model_.SetUnread(account, id, !read);
    Changed();
    return true;
}

bool MailStore::ToggleRead(int account, const EntryId& id) {
    const MailMessage* m = model_.Find(account, id);
    return m && SetRead(account, id, m->unread);
}

bool MailStore::Delete(int account, const EntryId& id) {
    Account* a = AccountOf(account);
    if (!a || !model_.Find(account, id)) return false;
    SizedSPropTagArray(2, folders) = {2, {PR_CE_IPM_INBOX_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID}};
    ULONG n = 0;
    PropBuffer props;
    if (a->store->GetProps(Tags(&folders), 0, &n, &props.p) != S_OK || n != 2) return false;
    Released<IMAPIFolder> inbox, trash;
    ULONG type = 0;
    const SBinary& in = props.p[0].Value.bin;
    const SBinary& out = props.p[1].Value.bin;
    if (FAILED(a->store->OpenEntry(in.cb, reinterpret_cast<LPENTRYID>(in.lpb), nullptr, MAPI_MODIFY, &type,
                                   reinterpret_cast<LPUNKNOWN*>(&inbox.p))) ||
        FAILED(a->store->OpenEntry(out.cb, reinterpret_cast<LPENTRYID>(out.lpb), nullptr, MAPI_MODIFY, &type,
                                   reinterpret_cast<LPUNKNOWN*>(&trash.p))))
        return false;
    SBinary entry = {ULONG(id.size()), const_cast<uint8_t*>(id.data())};
    ENTRYLIST list = {1, &entry};
    if (FAILED(inbox.p->CopyMessages(&list, nullptr, trash.p, 0, nullptr, MESSAGE_MOVE))) return false;
    model_.Remove(account, id);
    Changed();
    return true;
}

bool MailStore::GetBody(int account, const EntryId& id, std::u16string* text, bool* html) {
    if (!text || !html) return false;
    text->clear();
    *html = false;
    const MailMessage* m = model_.Find(account, id);
    Account* a = AccountOf(account);
    if (!m || !a) return false;
    if (m->isTextMessage) {
        *text = TextMessageBody(m->subject);
        return true;
    }
    Released<IMessage> msg;
    ULONG type = 0;
    if (FAILED(a->store->OpenEntry(ULONG(id.size()), reinterpret_cast<LPENTRYID>(const_cast<uint8_t*>(id.data())),
                                   nullptr, 0, &type, reinterpret_cast<LPUNKNOWN*>(&msg.p))))
        return false;
    SizedSPropTagArray(1, statusTag) = {1, {PR_MSG_STATUS}};
    ULONG n = 0;
    PropBuffer status;
    ULONG flags = 0;
    if (SUCCEEDED(msg.p->GetProps(Tags(&statusTag), 0, &n, &status.p)) && n == 1 && Has(status.p[0], PT_LONG))
        flags = ULONG(status.p[0].Value.l);
    const bool mime = (flags & MSGSTATUS_HAS_PR_CE_MIME_TEXT) != 0;
    const bool partial = (flags & MSGSTATUS_PARTIAL) != 0;

    enum class Form { kMime, kWide, kNarrow, kHtml } form = Form::kWide;
    Released<IStream> stream;
    auto open = [&](ULONG tag) {
        return SUCCEEDED(msg.p->OpenProperty(tag, &IID_IStream, STGM_READ, 0, reinterpret_cast<LPUNKNOWN*>(&stream.p)));
    };
    if (mime) {
        if (!open(PR_CE_MIME_TEXT)) return false;
        form = Form::kMime;
    } else if (open(PR_BODY_W)) {
        form = Form::kWide;
    } else if (open(PR_BODY_A)) {
        form = Form::kNarrow;
    } else if (open(PR_BODY_HTML_A)) {
        form = Form::kHtml;
    } else {
        return false;
    }
    // Read no more than a preview needs: a message with attachments is never read whole.
    STATSTG st = {};
    size_t want = kPreviewBytes;
    if (SUCCEEDED(stream.p->Stat(&st, STATFLAG_NONAME))) want = size_t(std::min<ULONGLONG>(st.cbSize.QuadPart, want));
    std::string bytes(want, '\0');
    ULONG got = 0;
    if (want && FAILED(stream.p->Read(&bytes[0], ULONG(want), &got))) return false;
    bytes.resize(got);

    switch (form) {
    case Form::kMime: {
        MimeText t = FirstTextPart(bytes, kPreviewChars);
        if (!t.found) return false;
        *text = std::move(t.text);
        *html = t.html;
        break;
    }
    case Form::kWide:
        text->assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
        break;
    case Form::kNarrow: *text = DecodeCharset(bytes, Charset::kWindows1252); break;
    case Form::kHtml:
        *text = DecodeCharset(bytes, Charset::kUtf8);
        *html = true;
        break;
    }
    if (text->size() > kPreviewChars) text->resize(kPreviewChars);
    if (!*html) *text = CleanWhitespace(*text);
    if (partial) *text += TruncatedNote(*html);
    return true;
}

}  // namespace daybrim
