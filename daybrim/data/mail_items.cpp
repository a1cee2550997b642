#include "mail_items.h"

#include <cwctype>
#include <map>
#include <memory>

namespace daybrim {

namespace {

int Order3(int a, int b) { return a < b ? 1 : (b < a ? -1 : 0); }

std::wstring Lowered(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

// Groups are named by their account's name, so that a fold survives an account
// added or removed before it.
uint32_t NameKey(const std::wstring& name) {
    uint32_t h = 2166136261u;
    for (wchar_t c : Lowered(name)) {
        h ^= uint32_t(c);
        h *= 16777619u;
    }
    // 0 is no key for the row list.
    return h ? h : 1;
}

}  // namespace

std::wstring WideOf(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

uint32_t EntryKey(const EntryId& id) {
    uint32_t h = 2166136261u;
    for (uint8_t b : id) {
        h ^= b;
        h *= 16777619u;
    }
    return h;
}

int TMailItem::Compare(const TItem& other) const {
    const TMailItem* o = other.Kind() == kKindMail ? static_cast<const TMailItem*>(&other) : nullptr;
    if (!o) return Order3(Kind(), other.Kind());
    // Newest first.
    if (row.received != o->row.received) return row.received > o->row.received ? 1 : -1;
    if (row.subject != o->row.subject) return row.subject < o->row.subject ? 1 : -1;
    if (entryId != o->entryId) return entryId < o->entryId ? 1 : -1;
    return 0;
}

int TMailItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Message(dc, row, rc, flags) : 0;
}

int TMessagesList::Compare(const TItem& other) const {
    const TMessagesList* o = dynamic_cast<const TMessagesList*>(&other);
    if (!o) return Order3(Kind(), other.Kind());
    return Order3(order_, o->order_);
}

int TMessagesList::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->GroupTitle(dc, *this, title, rc, flags) : 0;
}

int TMsgAccountItem::Compare(const TItem& other) const {
    if (other.Kind() != kKindMailAccount) return Order3(Kind(), other.Kind());
    return Order3(index, static_cast<const TMsgAccountItem&>(other).index);
}

int TMsgAccountItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    if (!dc.painter) return 0;
    AccountRow r;
    r.title = title;
    return dc.painter->Account(dc, r, rc, flags);
}

int MailUnreadOf(const TChildItem& row) {
    if (row.Kind() != kKindMailAccount) return 1;
    return static_cast<const TMsgAccountItem&>(row).unread;
}

void MailGroups::Sync(const MailModel& model, bool foldedByDefault, const TextSource& text) {
    std::map<uint32_t, uint8_t> folds;
    for (TItem* g = groups_.head(); g; g = g->next()) folds[g->Id()] = static_cast<TGroupingItem*>(g)->folded;
    groups_.Clear();
    const std::wstring noSubject = text.String(mail_text_id::kNoSubject);
    const std::wstring unknown = text.String(mail_text_id::kUnknownSender);
    const std::vector<MailAccount>& accounts = model.accounts();
    for (size_t a = 0; a < accounts.size(); ++a) {
        const MailAccount& account = accounts[a];
        const std::wstring name = WideOf(account.name);
        std::unique_ptr<TMessagesList> group(new TMessagesList(NameKey(name), int(a)));
        group->title = name;
        group->account = int(a);
        group->textAccount = account.IsTextAccount();
        group->unread = account.Unread();
        auto kept = folds.find(group->Id());
        group->folded = kept != folds.end() ? kept->second : uint8_t(foldedByDefault ? 1 : 0);
        for (const MailMessage& m : account.messages) {
            std::unique_ptr<TMailItem> item(new TMailItem);
            item->account = int(a);
            item->entryId = m.entryId;
            item->senderAddress = WideOf(m.senderAddress);
            item->row.sender = m.sender.empty() ? unknown : WideOf(m.sender);
            item->row.subject = m.subject.empty() ? noSubject : WideOf(m.subject);
            item->row.received = m.received;
            item->row.unread = m.unread;
            item->row.attachment = m.hasAttachment;
            item->row.textMessage = m.isTextMessage;
            item->row.importance = m.importance;
            group->AddChild(std::move(item));
        }
        // The title's counter shows the unread messages.
        group->counters[1] = group->unread;
        groups_.Insert(std::move(group));
    }
}

std::vector<TGroupingItem*> MailGroups::All() const {
    std::vector<TGroupingItem*> all;
    for (TItem* g = groups_.head(); g; g = g->next()) all.push_back(static_cast<TGroupingItem*>(g));
    return all;
}

TMessagesList* MailGroups::Group(int account) const {
    for (TItem* g = groups_.head(); g; g = g->next()) {
        TMessagesList* list = static_cast<TMessagesList*>(g);
        if (list->account == account) return list;
    }
    return nullptr;
}

TMailItem* MailGroups::Find(int account, const EntryId& id) const {
    TMessagesList* group = Group(account);
    if (!group) return nullptr;
    for (TChildItem* c : group->children()) {
        TMailItem* m = static_cast<TMailItem*>(c);
        if (m->entryId == id) return m;
    }
    return nullptr;
}

void PlaceAccountLines(TItemWithList& section, const MailModel& model, int titleFormat, bool hideWhenZero,
                       const TextSource& text) {
    std::vector<TChildItem*> old;
    for (TChildItem* c : section.children())
        if (c->Kind() == kKindMailAccount) old.push_back(c);
    for (TChildItem* c : old) section.RemoveChild(c);
    const std::vector<MailAccount>& accounts = model.accounts();
    for (size_t a = 0; a < accounts.size(); ++a) {
        std::unique_ptr<TMsgAccountItem> line(new TMsgAccountItem);
        line->name = WideOf(accounts[a].name);
        line->index = int(a);
        line->unread = accounts[a].Unread();
        line->read = accounts[a].Read();
        line->hideWhenZero = hideWhenZero;
        line->title = AccountTitle(titleFormat, line->unread, line->read, line->name, text);
        section.AddChild(std::move(line));
    }
}

}  // namespace daybrim
