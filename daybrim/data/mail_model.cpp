#include "mail_model.h"

#include <algorithm>

namespace daybrim {

namespace {

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

int CompareNoCase(const std::u16string& a, const std::u16string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool AccountBefore(const MailAccount& a, const MailAccount& b) {
    if (a.IsTextAccount() != b.IsTextAccount()) return b.IsTextAccount();
    return CompareNoCase(a.name, b.name) < 0;
}

}  // namespace

bool MailAccount::IsTextAccount() const { return CompareNoCase(name, u"sms") == 0; }

int MailAccount::Unread() const {
    return int(std::count_if(messages.begin(), messages.end(), [](const MailMessage& m) { return m.unread; }));
}

int MailAccount::Read() const { return int(messages.size()) - Unread(); }

bool MessageBefore(const MailMessage& a, const MailMessage& b) {
    if (a.received != b.received) return a.received > b.received;
    if (a.subject != b.subject) return a.subject < b.subject;
    return a.entryId < b.entryId;
}

void MailModel::Reset(std::vector<MailAccount> accounts) {
    accounts_ = std::move(accounts);
    std::stable_sort(accounts_.begin(), accounts_.end(), AccountBefore);
    for (MailAccount& a : accounts_) {
        for (MailMessage& m : a.messages) m.isTextMessage = a.IsTextAccount();
        std::sort(a.messages.begin(), a.messages.end(), MessageBefore);
    }
}

int MailModel::AccountIndex(const EntryId& storeId) const {
    for (size_t i = 0; i < accounts_.size(); ++i)
        if (accounts_[i].storeId == storeId) return int(i);
    return -1;
}

const MailMessage* MailModel::Find(int account, const EntryId& id) const {
    if (account < 0 || size_t(account) >= accounts_.size()) return nullptr;
    for (const MailMessage& m : accounts_[size_t(account)].messages)
        if (m.entryId == id) return &m;
    return nullptr;
}

bool MailModel::Upsert(int account, MailMessage message) {
    if (account < 0 || size_t(account) >= accounts_.size()) return false;
    MailAccount& a = accounts_[size_t(account)];
    Remove(account, message.entryId);
    message.isTextMessage = a.IsTextAccount();
    auto at = std::lower_bound(a.messages.begin(), a.messages.end(), message, MessageBefore);
    a.messages.insert(at, std::move(message));
    return true;
}

bool MailModel::Remove(int account, const EntryId& id) {
    if (account < 0 || size_t(account) >= accounts_.size()) return false;
    auto& list = accounts_[size_t(account)].messages;
    auto it = std::find_if(list.begin(), list.end(), [&](const MailMessage& m) { return m.entryId == id; });
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

bool MailModel::SetUnread(int account, const EntryId& id, bool unread) {
    if (account < 0 || size_t(account) >= accounts_.size()) return false;
    for (MailMessage& m : accounts_[size_t(account)].messages)
        if (m.entryId == id) {
            m.unread = unread;
            return true;
        }
    return false;
}

std::vector<MailAccountLine> MailModel::AccountLines() const {
    std::vector<MailAccountLine> lines;
    for (size_t i = 0; i < accounts_.size(); ++i)
        lines.push_back({accounts_[i].name, int(i), accounts_[i].Unread(), accounts_[i].Read()});
    return lines;
}

}  // namespace daybrim
