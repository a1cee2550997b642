// The device's mail, kept in the object store's volume format ("\mail.vol"), so
// that every process on the device and the native device tool read and change the
// same messages through one engine. Platform-neutral: cemapi.dll and devctl are
// both built on this.
//
// Three databases: accounts (one message store each), folders (five per account)
// and messages. Property ids are the messaging tags where the two type systems
// agree (strings, longs, booleans, times); binary and 8-bit string tags are kept
// as blobs under the same id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "volume.h"

namespace mailvol {

// The volume file, from the device root.
constexpr char kVolumeFile[] = "mail.vol";
constexpr char16_t kAccountsDb[] = u"Mail Accounts";
constexpr char16_t kFoldersDb[] = u"Mail Folders";
constexpr char16_t kMessagesDb[] = u"Mail Messages";

// Messaging property tags (id in the high word, type in the low word).
enum : uint32_t {
    kTagDisplayName = 0x3001001F,
    kTagSubject = 0x0037001F,
    kTagImportance = 0x00170003,
    kTagDeliveryTime = 0x0E060040,
    kTagMessageFlags = 0x0E070003,
    kTagMessageSize = 0x0E080003,
    kTagMsgStatus = 0x0E170003,
    kTagHasAttach = 0x0E1B000B,
    kTagSenderEmail = 0x0C1F001F,
    kTagMessageClass = 0x001A001F,
    kTagBodyW = 0x1000001F,
    kTagBodyA = 0x1000001E,
    kTagBodyHtml = 0x1013001E,
    kTagMimeText = 0x81030102,
    // The records' own links: owning account and folder (object ids), folder kind.
    kTagAccount = 0x66F10003,
    kTagFolder = 0x66F20003,
    kTagFolderKind = 0x66F30003,
};

// Message flag bits and status bits the store keeps.
enum : uint32_t {
    kFlagRead = 0x0001,
    kStatusPartial = 0x00100000,
    kStatusHasMime = 0x08000000,
};

enum class FolderKind : uint32_t { kInbox = 1, kOutbox = 2, kSent = 3, kDeleted = 4, kDrafts = 5 };

// The engine property id a tag is stored under, and back (given the tag asked for).
uint32_t StoredId(uint32_t tag);
bool IsBlobTag(uint32_t tag);
inline bool TypeIsBlob(uint32_t propid) { return cedb::TypeOf(propid) == cedb::kBlob; }

// Entry identifiers: 16 bytes, four zero flag bytes, a marker, the kind and the
// record's object id. Object ids are unique in the volume, so an identifier names
// one record whatever database it is looked up in.
enum class EntryKind : uint32_t { kStore = 1, kFolder = 2, kMessage = 3 };
constexpr size_t kEntryIdSize = 16;
std::vector<uint8_t> MakeEntryId(EntryKind kind, uint32_t oid);
// False (and nothing stored) for anything that is not one of ours.
bool ParseEntryId(const void* bytes, size_t size, EntryKind* kind, uint32_t* oid);

struct Account {
    uint32_t oid = 0;
    std::u16string name;
};
struct Folder {
    uint32_t oid = 0;
    uint32_t account = 0;
    FolderKind kind = FolderKind::kInbox;
    std::u16string name;
};

// The mail databases of one mounted volume. Every call reads the volume afresh,
// so changes by other processes are seen at once.
class MailVolume {
public:
    explicit MailVolume(cedb::Volume& vol) : vol_(vol) {}

    // Creates the databases that are missing.
    cedb::Error Init();
    // The three databases' object ids; kNotFound before Init.
    cedb::Error Ids(uint32_t* accounts, uint32_t* folders, uint32_t* messages);

    // A new account with its five folders. Names are unique (ignoring case).
    cedb::Error CreateAccount(const std::u16string& name, uint32_t* oid);
    std::vector<Account> Accounts();                  // ascending object id
    bool FindAccount(const std::u16string& name, Account* out);
    std::vector<Folder> Folders(uint32_t account);    // by kind
    uint32_t FolderOf(uint32_t account, FolderKind kind);  // 0 when missing

    // A new message in a folder; `props` are stored as given (tags as above).
    cedb::Error AddMessage(uint32_t folder, std::vector<cedb::PropValue> props, uint32_t* oid);
    std::vector<uint32_t> Messages(uint32_t folder);  // ascending object id
    cedb::Error SetFlags(uint32_t message, uint32_t flags);
    cedb::Error Move(uint32_t message, uint32_t folder);
    cedb::Error Delete(uint32_t message);

    // Which database a record lives in (0 when there is no such record).
    uint32_t DatabaseOf(uint32_t oid);
    cedb::Volume& volume() { return vol_; }

private:
    cedb::Error Read(uint32_t oid, uint32_t db, cedb::Record* out);
    cedb::Volume& vol_;
};

// Integer and string values of a record, by tag (0 / empty when missing).
int64_t NumOf(const cedb::Record& r, uint32_t tag);
std::u16string StrOf(const cedb::Record& r, uint32_t tag);

}  // namespace mailvol
