#include "mailvol.h"

#include <algorithm>
#include <cstring>

namespace mailvol {

namespace {

constexpr uint8_t kMarker[4] = {'O', 'M', 'L', '1'};
constexpr uint32_t kDbType = 0x4D41494C;  // "MAIL"

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

cedb::PropValue Num(uint32_t tag, int64_t v) {
    cedb::PropValue p;
    p.propid = StoredId(tag);
    p.num = v;
    return p;
}
cedb::PropValue Str(uint32_t tag, const std::u16string& s) {
    cedb::PropValue p;
    p.propid = StoredId(tag);
    p.str = s;
    return p;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const char16_t* FolderName(FolderKind k) {
    switch (k) {
    case FolderKind::kInbox: return u"Inbox";
    case FolderKind::kOutbox: return u"Outbox";
    case FolderKind::kSent: return u"Sent Items";
    case FolderKind::kDeleted: return u"Deleted Items";
    case FolderKind::kDrafts: return u"Drafts";
    }
    return u"";
}

}  // namespace

bool IsBlobTag(uint32_t tag) {
    const uint32_t type = tag & 0xFFFF;
    return type == 0x0102 || type == 0x001E;
}

uint32_t StoredId(uint32_t tag) {
    return IsBlobTag(tag) ? (tag & 0xFFFF0000u) | cedb::kBlob : tag;
}

std::vector<uint8_t> MakeEntryId(EntryKind kind, uint32_t oid) {
    std::vector<uint8_t> id(kEntryIdSize, 0);
    std::memcpy(&id[4], kMarker, 4);
    Put32(&id[8], uint32_t(kind));
    Put32(&id[12], oid);
    return id;
}

bool ParseEntryId(const void* bytes, size_t size, EntryKind* kind, uint32_t* oid) {
    if (!bytes || size != kEntryIdSize) return false;
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (std::memcmp(p + 4, kMarker, 4) != 0) return false;
    const uint32_t k = Get32(p + 8), o = Get32(p + 12);
    if (k < uint32_t(EntryKind::kStore) || k > uint32_t(EntryKind::kMessage) || o == 0) return false;
    *kind = EntryKind(k);
    *oid = o;
    return true;
}

int64_t NumOf(const cedb::Record& r, uint32_t tag) {
    const cedb::PropValue* p = r.find(StoredId(tag));
    return p ? p->num : 0;
}
std::u16string StrOf(const cedb::Record& r, uint32_t tag) {
    const cedb::PropValue* p = r.find(StoredId(tag));
    return p ? p->str : std::u16string();
}

cedb::Error MailVolume::Init() {
    for (const char16_t* name : {kAccountsDb, kFoldersDb, kMessagesDb}) {
        cedb::DbInfo info;
        cedb::Error e = vol_.FindDatabase(name, &info);
        if (e == cedb::Error::kOk) continue;
        if (e != cedb::Error::kNotFound) return e;
        uint32_t oid = 0;
        e = vol_.CreateDatabase(name, kDbType, {}, &oid);
        if (e != cedb::Error::kOk) return e;
    }
    return cedb::Error::kOk;
}

cedb::Error MailVolume::Ids(uint32_t* accounts, uint32_t* folders, uint32_t* messages) {
    cedb::DbInfo a, f, m;
    cedb::Error e = vol_.FindDatabase(kAccountsDb, &a);
    if (e == cedb::Error::kOk) e = vol_.FindDatabase(kFoldersDb, &f);
    if (e == cedb::Error::kOk) e = vol_.FindDatabase(kMessagesDb, &m);
    if (e != cedb::Error::kOk) return e;
    if (accounts) *accounts = a.oid;
    if (folders) *folders = f.oid;
    if (messages) *messages = m.oid;
    return cedb::Error::kOk;
}

cedb::Error MailVolume::Read(uint32_t oid, uint32_t db, cedb::Record* out) {
    cedb::Error e = vol_.Read(oid, out);
    if (e != cedb::Error::kOk) return e;
    return out->dboid == db ? cedb::Error::kOk : cedb::Error::kNotFound;
}

cedb::Error MailVolume::CreateAccount(const std::u16string& name, uint32_t* oid) {
    if (name.empty()) return cedb::Error::kInvalid;
    uint32_t adb = 0, fdb = 0;
    cedb::Error e = Ids(&adb, &fdb, nullptr);
    if (e != cedb::Error::kOk) return e;
    if (FindAccount(name, nullptr)) return cedb::Error::kExists;
    uint32_t account = 0;
    e = vol_.Write(adb, 0, {Str(kTagDisplayName, name)}, {}, &account);
    if (e != cedb::Error::kOk) return e;
    for (uint32_t k = 1; k <= 5; ++k) {
        uint32_t f = 0;
        e = vol_.Write(fdb, 0,
                       {Num(kTagAccount, account), Num(kTagFolderKind, k),
                        Str(kTagDisplayName, FolderName(FolderKind(k)))},
                       {}, &f);
        if (e != cedb::Error::kOk) return e;
    }
    if (oid) *oid = account;
    return cedb::Error::kOk;
}

std::vector<Account> MailVolume::Accounts() {
    std::vector<Account> out;
    uint32_t adb = 0;
    if (Ids(&adb, nullptr, nullptr) != cedb::Error::kOk) return out;
    for (uint32_t oid : vol_.RecordIds(adb)) {
        cedb::Record r;
        if (vol_.Read(oid, &r) != cedb::Error::kOk) continue;
        out.push_back({oid, StrOf(r, kTagDisplayName)});
    }
    return out;
}

bool MailVolume::FindAccount(const std::u16string& name, Account* out) {
    for (const Account& a : Accounts())
        if (SameName(a.name, name)) {
            if (out) *out = a;
            return true;
        }
    return false;
}

std::vector<Folder> MailVolume::Folders(uint32_t account) {
    std::vector<Folder> out;
    uint32_t fdb = 0;
    if (Ids(nullptr, &fdb, nullptr) != cedb::Error::kOk) return out;
    for (uint32_t oid : vol_.RecordIds(fdb)) {
        cedb::Record r;
        if (vol_.Read(oid, &r) != cedb::Error::kOk) continue;
        if (uint32_t(NumOf(r, kTagAccount)) != account) continue;
        out.push_back({oid, account, FolderKind(NumOf(r, kTagFolderKind)), StrOf(r, kTagDisplayName)});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Folder& a, const Folder& b) { return a.kind < b.kind; });
    return out;
}

uint32_t MailVolume::FolderOf(uint32_t account, FolderKind kind) {
    for (const Folder& f : Folders(account))
        if (f.kind == kind) return f.oid;
    return 0;
}

cedb::Error MailVolume::AddMessage(uint32_t folder, std::vector<cedb::PropValue> props, uint32_t* oid) {
    uint32_t fdb = 0, mdb = 0;
    cedb::Error e = Ids(nullptr, &fdb, &mdb);
    if (e != cedb::Error::kOk) return e;
    cedb::Record f;
    e = Read(folder, fdb, &f);
    if (e != cedb::Error::kOk) return e;
    props.erase(std::remove_if(props.begin(), props.end(),
                               [](const cedb::PropValue& p) {
                                   return p.propid == kTagAccount || p.propid == kTagFolder;
                               }),
                props.end());
    props.push_back(Num(kTagAccount, NumOf(f, kTagAccount)));
    props.push_back(Num(kTagFolder, folder));
    return vol_.Write(mdb, 0, props, {}, oid);
}

std::vector<uint32_t> MailVolume::Messages(uint32_t folder) {
    std::vector<uint32_t> out;
    uint32_t mdb = 0;
    if (Ids(nullptr, nullptr, &mdb) != cedb::Error::kOk) return out;
    for (uint32_t oid : vol_.RecordIds(mdb)) {
        cedb::Record r;
        if (vol_.Read(oid, &r) == cedb::Error::kOk && uint32_t(NumOf(r, kTagFolder)) == folder)
            out.push_back(oid);
    }
    return out;
}

cedb::Error MailVolume::SetFlags(uint32_t message, uint32_t flags) {
    uint32_t mdb = 0;
    cedb::Error e = Ids(nullptr, nullptr, &mdb);
    cedb::Record r;
    if (e == cedb::Error::kOk) e = Read(message, mdb, &r);
    if (e != cedb::Error::kOk) return e;
    return vol_.Write(mdb, message, {Num(kTagMessageFlags, flags)}, {}, nullptr);
}

cedb::Error MailVolume::Move(uint32_t message, uint32_t folder) {
    uint32_t fdb = 0, mdb = 0;
    cedb::Error e = Ids(nullptr, &fdb, &mdb);
    cedb::Record m, f;
    if (e == cedb::Error::kOk) e = Read(message, mdb, &m);
    if (e == cedb::Error::kOk) e = Read(folder, fdb, &f);
    if (e != cedb::Error::kOk) return e;
    // Mail stays within its account.
    if (NumOf(m, kTagAccount) != NumOf(f, kTagAccount)) return cedb::Error::kInvalid;
    return vol_.Write(mdb, message, {Num(kTagFolder, folder)}, {}, nullptr);
}

cedb::Error MailVolume::Delete(uint32_t message) {
    uint32_t mdb = 0;
    cedb::Error e = Ids(nullptr, nullptr, &mdb);
    cedb::Record r;
    if (e == cedb::Error::kOk) e = Read(message, mdb, &r);
    if (e != cedb::Error::kOk) return e;
    return vol_.Delete(mdb, message);
}

uint32_t MailVolume::DatabaseOf(uint32_t oid) {
    cedb::Record r;
    return vol_.Read(oid, &r) == cedb::Error::kOk ? r.dboid : 0;
}

}  // namespace mailvol
