// The Contacts tab's data: grouping, ordering and the letter-group search in every
// alphabet, on names like the demo device's.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "item_text.h"
#include "items.h"

namespace daybrim {
namespace {

class Categories : public CategoryLookup {
public:
    const std::wstring* CategoryName(int32_t id) const override {
        auto it = names_.find(id);
        return it == names_.end() ? nullptr : &it->second;
    }
    uint32_t FilterMask(int32_t) const override { return 0; }
    const FilterDef* Filter(int) const override { return nullptr; }

private:
    std::map<int32_t, std::wstring> names_ = {{10, L"Family"}, {20, L"Clients"}};
};

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override {
        return id == text_id::kNoCategory ? L"No Category" : id == text_id::kNoCompany ? L"No Company" : L"All";
    }
};

class Picture : public ItemIcon {
public:
    std::unique_ptr<ItemIcon> Clone() const override { return std::make_unique<Picture>(); }
};

std::unique_ptr<TContactItem> Contact(const std::wstring& title, std::vector<int32_t> cats = {},
                                      const std::wstring& company = L"", bool picture = false) {
    auto c = std::make_unique<TContactItem>();
    c->SetTitle(title);
    c->SetCategories(std::move(cats));
    c->company = company;
    if (picture) c->picture = std::make_unique<Picture>();
    return c;
}

// Group title -> member titles, in list order.
std::vector<std::pair<std::wstring, std::vector<std::wstring>>> Listing(TGroupingTitlesList& list) {
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> out;
    for (TItem* g = list.groups.head(); g; g = g->next()) {
        auto* group = static_cast<TItemWithList*>(g);
        out.emplace_back(group->title, std::vector<std::wstring>());
        for (TChildItem* c : group->children()) out.back().second.push_back(static_cast<TContactItem*>(c)->title);
    }
    return out;
}

struct Filed {
    int grouping, groupingDirection, sortDirection;
    bool hideNoPicture;
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> expected;
};

TEST(ContactGroups, GroupingDirectionsAndOrder) {
    const Filed cases[] = {
        {0, 1, 1, false, {{L"All", {L"Ann", L"Bo", L"Cy", L"Dee"}}}},
        {0, 1, -1, false, {{L"All", {L"Dee", L"Cy", L"Bo", L"Ann"}}}},  // Z to A
        {0, 1, 1, true, {{L"All", {L"Bo", L"Dee", L"Ann", L"Cy"}}}},    // pictures first
        {1, 1, 1, false,
         {{L"Clients", {L"Ann", L"Cy"}}, {L"Family", {L"Ann", L"Bo"}}, {L"No Category", {L"Dee"}}}},
        {1, -1, 1, false,
         {{L"No Category", {L"Dee"}}, {L"Family", {L"Ann", L"Bo"}}, {L"Clients", {L"Ann", L"Cy"}}}},
        {2, 1, 1, false, {{L"Alpha", {L"Cy", L"Dee"}}, {L"Zeta", {L"Ann"}}, {L"No Company", {L"Bo"}}}},
        {7, 1, 1, false, {}},  // no such grouping: nothing is listed
    };
    const Categories cats;
    const Texts texts;
    for (const Filed& f : cases) {
        ContactOrder order{f.grouping, f.groupingDirection, f.sortDirection, f.hideNoPicture};
        TSeacrhableGroupingTitlesList list;
        ContactGrouper grouper(f.grouping, &cats, texts);
        // Categories 30 and 40 are unknown: Dee has no category that exists.
        std::unique_ptr<TContactItem> all[] = {Contact(L"Cy", {20}, L"Alpha"), Contact(L"Ann", {10, 20}, L"Zeta"),
                                               Contact(L"Dee", {30, 40}, L"Alpha", true),
                                               Contact(L"Bo", {10}, L"", true)};
        for (auto& c : all) {
            const std::vector<GroupKey> keys = grouper.Groups(c->categories(), c->company);
            FileContact(list, std::move(c), keys, order);
        }
        EXPECT_EQ(f.expected, Listing(list)) << "grouping " << f.grouping << " directions " << f.groupingDirection
                                             << "/" << f.sortDirection;
    }
}

// Sorting with a comparison that is not an order is undefined: every pair of groups
// must compare opposite ways round, the ones without a key too.
TEST(ContactGroups, ComparisonIsAnOrder) {
    for (int direction : {1, -1}) {
        ContactOrder order{1, direction, 1, false};
        const TContactsGroup groups[] = {TContactsGroup(TContactsGroup::kNoKey, L"No Category", &order),
                                         TContactsGroup(TContactsGroup::kNoKey, L"Other", &order),
                                         TContactsGroup(10, L"Family", &order), TContactsGroup(20, L"Clients", &order)};
        for (const auto& a : groups)
            for (const auto& b : groups) EXPECT_EQ(a.Compare(b), -b.Compare(a)) << a.title << " / " << b.title;
        EXPECT_EQ(0, groups[0].Compare(groups[1]));
        EXPECT_EQ(-direction, groups[0].Compare(groups[2]));  // keyless last, reversed with the direction
    }
}

TEST(ContactGroups, RemovedCopyLeavesTheOtherGroup) {
    const Categories cats;
    const Texts texts;
    ContactOrder order{1, 1, 1, false};
    TSeacrhableGroupingTitlesList list;
    ContactGrouper grouper(1, &cats, texts);
    auto c = Contact(L"Ann", {10, 20});
    c->oid = 77;
    FileContact(list, std::move(c), grouper.Groups({10, 20}, L""), order);
    auto* family = static_cast<TItemWithList*>(list.groups.Find(10));
    ASSERT_TRUE(family);
    EXPECT_EQ(77u, static_cast<TContactItem*>(*family->children().begin())->oid);  // copies keep the record
    family->RemoveChild(family->children().begin());
    EXPECT_EQ(1u, static_cast<TItemWithList*>(list.groups.Find(20))->children().size());
}

// --- search in every alphabet ------------------------------------------------------
const wchar_t* const kTitles[] = {L"Engström, Tilda", L"Иванова, Наталья", L"Шевченко, Богдан", L"Γεωργίου, Ελένη",
                                  L"לוי, איתי",         L"Щербаков, Олег",   L"Krüger & Söhne"};

std::vector<std::wstring> Shown(TSeacrhableGroupingTitlesList& list) {
    std::vector<std::wstring> out;
    for (TItem* g = list.groups.head(); g; g = g->next())
        for (TChildItem* c : static_cast<TItemWithList*>(g)->children())
            if (c->IsVisibleCached()) out.push_back(static_cast<TContactItem*>(c)->title);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(ContactSearch, KeyGroupsInEveryAlphabet) {
    const struct {
        unsigned languages;
        std::vector<int> keys;
        std::vector<std::wstring> shown;
    } cases[] = {
        {1, {2, 5}, {L"Engström, Tilda"}},
        {1, {7, 2, 1}, {}},  // Latin only: Cyrillic titles have no groups
        {2, {7, 2, 1}, {L"Шевченко, Богдан"}},
        {2, {7, 2, 5}, {L"Щербаков, Олег"}},  // the capital Щ of the label's key
        {2, {3, 1, 1, 4}, {L"Иванова, Наталья"}},
        {8, {1, 2, 8}, {L"Γεωργίου, Ελένη"}},
        {4, {4, 2, 4}, {L"לוי, איתי"}},
        {15, {6, 5, 3, 5, 2}, {L"Krüger & Söhne"}},
        {15, {7, 2, 1, 9, 9, 9, 7, 2, 5}, {L"Щербаков, Олег"}},  // back to empty, then anew
        {15, {7, 2, 0}, {L"Engström, Tilda", L"Krüger & Söhne", L"לוי, איתי", L"Γεωργίου, Ελένη", L"Иванова, Наталья",
                         L"Шевченко, Богдан", L"Щербаков, Олег"}},
    };
    for (const auto& c : cases) {
        const LetterGroups groups = MatchingLetterGroups(c.languages);
        TSeacrhableGroupingTitlesList list;
        auto* g = static_cast<TItemWithList*>(list.groups.Insert(std::make_unique<TContactsGroup>(1)));
        for (const wchar_t* t : kTitles) {
            auto item = Contact(t);
            item->searchKey = BuildSearchKey(t, groups, true);
            g->AddChild(std::move(item));
        }
        for (int k : c.keys) list.Search(k, TSeacrhableGroupingTitlesList::kKeySequence, groups);
        std::vector<std::wstring> want = c.shown;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(want, Shown(list)) << "languages " << c.languages << " after " << c.keys.size() << " keys";
    }
}

TEST(ContactSearch, LatinAndCyrillicShareTheFirstKey) {
    const LetterGroups groups = MatchingLetterGroups(3);
    EXPECT_EQ(L"abcàáâãäåæçабвг", groups[0]);
    for (const wchar_t* t : {L"Chloé", L"Богдан", L"Ärger"}) EXPECT_EQ(L'1', BuildSearchKey(t, groups, true)[0]) << t;
    EXPECT_EQ(L'9', BuildSearchKey(L"Γιώργος", groups, true)[0]);  // Greek is not active
}

TEST(ContactSearch, LetterModeInEveryAlphabet) {
    const struct {
        LetterGroups labels;
        std::vector<int> keys;
        wchar_t letter;
        std::vector<std::wstring> shown;
    } cases[] = {
        {MatchingLetterGroups(1), {2}, L'd', {}},
        {MatchingLetterGroups(1), {2, 2}, L'e', {L"Engström, Tilda"}},
        {{L"абвг", L"дежз", L"ийкл", L"мноп", L"рсту", L"фхцч", L"Щшыь", L"эюя"}, {7}, L'Щ', {L"Щербаков, Олег"}},
        {{L"абвг", L"дежз", L"ийкл", L"мноп", L"рсту", L"фхцч", L"Щшыь", L"эюя"}, {7, 7}, L'ш', {L"Шевченко, Богдан"}},
        {{L"αβγ", L"δεζ", L"ηθι", L"κλμ", L"νξο", L"πρσς", L"τυφ", L"χψω"}, {1, 1, 1}, L'γ', {L"Γεωργίου, Ελένη"}},
        {{L"אבג", L"דהו", L"זחט", L"יכל", L"מנ", L"סעפ", L"צק", L"רשת"}, {4, 4, 4}, L'ל', {L"לוי, איתי"}},
        {{L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"}, {4, 4, 4, 4}, L'j', {}},  // wraps round
    };
    for (const auto& c : cases) {
        TSeacrhableGroupingTitlesList list;
        auto* g = static_cast<TItemWithList*>(list.groups.Insert(std::make_unique<TContactsGroup>(1)));
        for (const wchar_t* t : kTitles) g->AddChild(Contact(t));
        for (int k : c.keys) list.Search(k, TSeacrhableGroupingTitlesList::kLetter, c.labels);
        EXPECT_EQ(c.letter, list.letter());
        std::vector<std::wstring> want = c.shown;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(want, Shown(list)) << int(c.letter);
    }
}

}  // namespace
}  // namespace daybrim
