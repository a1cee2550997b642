// The rows the mail store's accounts and messages become: a foldable group per
// account with its messages (the Mail tab) and one line per account (the
// Calendar's mail section). Platform-neutral.
//
// The rows are rebuilt from the MailModel after every change; they are never the
// model's own objects, so a tab only keeps what names a message (its account and
// entry id) from one rebuild to the next.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "item_text.h"
#include "items.h"
#include "mail_model.h"

namespace daybrim {

// The language library's strings the mail rows use.
namespace mail_text_id {
constexpr unsigned kNoSubject = 3, kUnknownSender = 40998;
}

std::wstring WideOf(const std::u16string& s);

// A stable 32-bit name for an entry id (row keys, highlight across rebuilds).
uint32_t EntryKey(const EntryId& id);

class TMailItem : public TChildItem {
public:
    bool IsVisible() override { return true; }
    int Kind() const override { return kKindMail; }
    int Compare(const TItem& other) const override;
    uint32_t Id() const override { return EntryKey(entryId); }
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

    int account = -1;  // the account's index in the model
    EntryId entryId;
    std::wstring senderAddress;
    MessageRow row;  // sender, subject, date and marks as drawn
};

class TMessagesList : public TItemWithList {
public:
    TMessagesList(uint32_t key, int order) : key_(key), order_(order) {}
    uint32_t Id() const override { return key_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;
    // A group is shown even when its account has no mail.
    bool IsVisible() override { return true; }

    int account = -1;
    int unread = 0;
    bool textAccount = false;

private:
    uint32_t key_;
    int order_;
};

// One account on the Calendar.
class TMsgAccountItem : public TChildItem {
public:
    bool IsVisible() override { return !(hideWhenZero && unread == 0); }
    int Kind() const override { return kKindMailAccount; }
    // Account lines come before the day's appointments, among themselves in the
    // account list's order.
    int Compare(const TItem& other) const override;
    uint32_t Id() const override { return uint32_t(index); }
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

    std::wstring name;
    std::wstring title;  // the name with its counts, as MailTitleFormat writes it
    int index = 0;
    int unread = 0, read = 0;
    bool hideWhenZero = false;
};

// The unread count an account line adds to its section's counter (any other row
// counts one).
int MailUnreadOf(const TChildItem& row);

// The Mail tab's groups, rebuilt from the model.
class MailGroups {
public:
    // Every account becomes a group, in the model's order, holding its messages
    // newest first. A group keeps its fold flag across rebuilds (by account name);
    // a new one starts folded with `foldedByDefault`.
    void Sync(const MailModel& model, bool foldedByDefault, const TextSource& text);

    ItemList& groups() { return groups_; }
    std::vector<TGroupingItem*> All() const;
    TMessagesList* Group(int account) const;
    TMailItem* Find(int account, const EntryId& id) const;

private:
    ItemList groups_;
};

// Replaces the account lines (kind 4) of `section` with one per account of the
// model, in its order, titled by `titleFormat` (MailTitleFormat).
void PlaceAccountLines(TItemWithList& section, const MailModel& model, int titleFormat, bool hideWhenZero,
                       const TextSource& text);

}  // namespace daybrim
