// What the mail store knows: the accounts and the messages of their inboxes, kept
// in the order the tabs show them. Platform-neutral.
//
// Messages are addressed by account and entry identifier, never by pointer: a
// change or a reload may move or free them. Read and unread counts are counted
// from the messages each time they are asked for, so no sequence of changes can
// make them drift from what the store holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace daybrim {

using EntryId = std::vector<uint8_t>;

struct MailMessage {
    EntryId entryId;
    std::u16string subject;        // empty: the caller shows its "no subject" text
    std::u16string sender;         // empty: unknown sender
    std::u16string senderAddress;
    double received = 949998.0;    // local OLE date; the no-date value when absent
    uint32_t size = 0;
    bool unread = false;
    bool hasAttachment = false;
    int importance = 1;
    bool isTextMessage = false;
};

struct MailAccount {
    std::u16string name;
    EntryId storeId;
    std::vector<MailMessage> messages;  // newest first
    bool IsTextAccount() const;         // the account named "sms", any case
    int Unread() const;
    int Read() const;
};

// One line of the calendar's mail section.
struct MailAccountLine {
    std::u16string name;
    int id = 0;  // the account's index in the list
    int unread = 0;
    int read = 0;
};

class MailModel {
public:
    // Replaces everything; accounts are put in order (by name, ignoring case, the
    // text-message account last) and each account's messages newest first.
    void Reset(std::vector<MailAccount> accounts);
    const std::vector<MailAccount>& accounts() const { return accounts_; }
    int AccountIndex(const EntryId& storeId) const;  // -1 when unknown

    const MailMessage* Find(int account, const EntryId& id) const;
    // Adds the message, or replaces the one with its entry id, in its place by date.
    // False for an unknown account.
    bool Upsert(int account, MailMessage message);
    // False when there was no such message.
    bool Remove(int account, const EntryId& id);
    bool SetUnread(int account, const EntryId& id, bool unread);

    std::vector<MailAccountLine> AccountLines() const;

private:
    std::vector<MailAccount> accounts_;
};

// Whether a sorts before b in an account's list: newer first, then by subject and
// entry id so that the order is total.
bool MessageBefore(const MailMessage& a, const MailMessage& b);

}  // namespace daybrim
