#include "notes_model.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace daybrim {

namespace {

std::wstring Lower(const std::wstring& s) {
    std::wstring out(s);
    for (wchar_t& c : out) c = wchar_t(std::towlower(c));
    return out;
}

uint32_t Hash(const std::wstring& s) {
    uint32_t h = 2166136261u;
    for (wchar_t c : s) {
        h ^= uint32_t(c);
        h *= 16777619u;
    }
    return h;
}

int32_t FileDay(double ole) { return int32_t(std::floor(ole)); }

}  // namespace

uint32_t NoteIdOf(const std::wstring& path) { return Hash(Lower(path)); }

TNoteItem::TNoteItem(const notes::ScannedFile& f, const NotesOptions* order)
    : file(f), order_(order), id_(NoteIdOf(f.path)) {
    row.name = f.name;
    row.typeBits = f.type;
    row.date = f.modified;
    row.size = f.size;
    row.completion = f.type == notes::kList ? f.completion : -1;
}

int TNoteItem::Compare(const TItem& other) const {
    const TNoteItem* o = dynamic_cast<const TNoteItem*>(&other);
    if (!o) return 0;
    const notes::FileFacts a{file.name, file.modified, file.size}, b{o->file.name, o->file.modified, o->file.size};
    const int c = notes::CompareFiles(a, b, order_ ? order_->sort : 0, order_ ? order_->sortDirection : 1);
    if (c != 0) return c;
    // Same name in two folders of one group: the path keeps them apart and in order.
    const std::wstring pa = Lower(file.path), pb = Lower(o->file.path);
    return pa < pb ? 1 : (pb < pa ? -1 : 0);
}

int TNoteItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Note(dc, row, rc, flags) : 0;
}

TNoteGroup::TNoteGroup(uint32_t key, std::wstring groupTitle, const NotesOptions* order)
    : key_(key), order_(order) {
    title = std::move(groupTitle);
}

int TNoteGroup::Compare(const TItem& other) const {
    const TNoteGroup* o = dynamic_cast<const TNoteGroup*>(&other);
    if (!o) return 0;
    const int grouping = order_ ? order_->grouping : 1;
    int c = 0;
    if (grouping == 1) {
        const std::wstring a = Lower(title), b = Lower(o->title);
        c = a < b ? 1 : (b < a ? -1 : 0);
    } else if (grouping == 2) {
        c = key_ > o->key_ ? 1 : (key_ < o->key_ ? -1 : 0);  // today first
    } else {
        c = key_ < o->key_ ? 1 : (key_ > o->key_ ? -1 : 0);
    }
    return order_ && order_->groupDirection < 0 ? -c : c;
}

int TNoteGroup::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->GroupTitle(dc, *this, title, rc, flags) : 0;
}

uint32_t NotesModel::GroupKeyOf(const notes::ScannedFile& f) const {
    switch (options_.grouping) {
    case 0: return 0;
    case 2: return uint32_t(notes::DateGroupKey(FileDay(f.modified), options_.today));
    case 3: return f.type;
    default: return Hash(Lower(f.folderName)) | 0x80000000u;  // apart from the small keys
    }
}

std::wstring NotesModel::GroupTitle(uint32_t key, const notes::ScannedFile& f, const TextSource& texts) const {
    switch (options_.grouping) {
    case 0: return texts.String(kStrNotesAll);
    case 2: {
        static const unsigned kIds[] = {kStrOlder, kStrLastMonth, kStrLastWeek, kStrYesterday, kStrToday};
        return texts.String(key <= 4 ? kIds[key] : kStrOlder);
    }
    case 3:
        for (unsigned bit = 1, i = 0; bit <= notes::kList; bit <<= 1, ++i)
            if (bit == key) return texts.String(kStrTypeInk + i);
        return std::wstring();
    default: return f.folderName.empty() ? texts.String(kStrNotesAll) : f.folderName;
    }
}

void NotesModel::Build(const std::vector<notes::ScannedFile>& files, const NotesOptions& options,
                       const TextSource& texts, const std::set<uint32_t>* folded) {
    groups_.Clear();
    options_ = options;
    for (const notes::ScannedFile& f : files) {
        if (!(f.type & notes::kAllTypes)) continue;
        const uint32_t key = GroupKeyOf(f);
        TNoteGroup* g = static_cast<TNoteGroup*>(groups_.Find(key));
        if (!g) {
            std::unique_ptr<TNoteGroup> made(new TNoteGroup(key, GroupTitle(key, f, texts), &options_));
            made->folded = folded ? folded->count(key) != 0 : options_.foldedByDefault;
            g = static_cast<TNoteGroup*>(groups_.Insert(std::move(made)));
        }
        std::unique_ptr<TNoteItem> item(new TNoteItem(f, &options_));
        item->shown = options_.selFolder.empty() || notes::SamePath(options_.selFolder, f.folderName);
        g->AddChild(std::move(item));
    }
    // A rescan keeps what the search bar narrowed to.
    if (!searchText_.empty() || cursor_ != std::wstring::npos) ApplySearch(searchGroups_, searchBarOn_, equals_);
}

wchar_t NotesModel::searchLetter() const {
    return cursor_ < cursorGroup_.size() ? cursorGroup_[cursor_] : 0;
}

void NotesModel::Search(int key, int mode, const LetterGroups& groups, bool searchBarOn, LetterEquals equals) {
    if (mode != searchMode_) {
        searchText_.clear();
        cursor_ = std::wstring::npos;
        searchMode_ = mode;
    }
    if (mode == 0) {
        if (key >= 1 && key <= 8) searchText_ += wchar_t(L'0' + key);
        else if (key == 9 && !searchText_.empty()) searchText_.pop_back();
        else if (key != 9) searchText_.clear();
    } else if (key >= 1 && key <= 8 && size_t(key) <= groups.size() && !groups[size_t(key - 1)].empty()) {
        const std::wstring& letters = groups[size_t(key - 1)];
        if (cursorGroup_ == letters && cursor_ + 1 < letters.size()) {
            ++cursor_;
        } else {
            cursorGroup_ = letters;
            cursor_ = 0;
        }
    } else {
        cursorGroup_.clear();
        cursor_ = std::wstring::npos;
    }
    searchGroups_ = groups;
    searchBarOn_ = searchBarOn;
    equals_ = equals ? equals : SimpleLetterEquals;
    ApplySearch(searchGroups_, searchBarOn_, equals_);
}

void NotesModel::ApplySearch(const LetterGroups& groups, bool searchBarOn, LetterEquals equals) {
    const SearchKeyMap keys(groups);
    const wchar_t letter = searchLetter();
    for (TItem* g = groups_.head(); g; g = g->next()) {
        TItemWithList* group = static_cast<TItemWithList*>(g);
        for (TChildItem* c : group->children()) {
            TNoteItem* n = static_cast<TNoteItem*>(c);
            n->row.matchPos = -1;
            if (searchMode_ == 0) {
                const size_t at = searchText_.empty() ? 0 : keys.Key(n->file.name, searchBarOn).find(searchText_);
                n->matched = at != std::wstring::npos;
                if (n->matched && !searchText_.empty()) n->row.matchPos = int(at);
            } else {
                n->matched = letter == 0 || (!n->file.name.empty() && equals(n->file.name[0], letter));
                if (n->matched && letter != 0) n->row.matchPos = 0;
            }
        }
        group->folded = 0;
        group->Recount();
    }
}

TNoteItem* NotesModel::Find(uint32_t id) const {
    for (TItem* g = groups_.head(); g; g = g->next())
        if (TChildItem* c = static_cast<TItemWithList*>(g)->FindChildById(id)) return static_cast<TNoteItem*>(c);
    return nullptr;
}

std::set<uint32_t> NotesModel::FoldedKeys() const {
    std::set<uint32_t> out;
    for (TItem* g = groups_.head(); g; g = g->next())
        if (static_cast<TItemWithList*>(g)->folded) out.insert(g->Id());
    return out;
}

std::vector<std::wstring> NotesModel::FolderNames() const {
    std::vector<std::wstring> out;
    for (TItem* g = groups_.head(); g; g = g->next())
        for (TChildItem* c : static_cast<TItemWithList*>(g)->children()) {
            const std::wstring& name = static_cast<TNoteItem*>(c)->file.folderName;
            if (name.empty()) continue;
            if (std::none_of(out.begin(), out.end(), [&](const std::wstring& o) { return Lower(o) == Lower(name); }))
                out.push_back(name);
        }
    std::sort(out.begin(), out.end(),
              [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
    return out;
}

// --- the caption's menus ----------------------------------------------------------------

bool ApplyNotesChoice(unsigned command, const std::vector<std::wstring>& folders, NotesChoices* c) {
    if (!c) return false;
    if (command >= kCmdNotesGroupFirst && command < kCmdNotesGroupFirst + 4) {
        c->grouping = int(command - kCmdNotesGroupFirst);
    } else if (command == kCmdNotesGroupsUp || command == kCmdNotesGroupsDown) {
        c->groupDirection = command == kCmdNotesGroupsUp ? 1 : -1;
    } else if (command >= kCmdNotesSortFirst && command < kCmdNotesSortFirst + 3) {
        c->sort = int(command - kCmdNotesSortFirst);
    } else if (command == kCmdNotesSortUp || command == kCmdNotesSortDown) {
        c->sortDirection = command == kCmdNotesSortUp ? 1 : -1;
    } else if (command >= kCmdNotesShowFirst && command < kCmdNotesShowFirst + 3) {
        c->display ^= 1 << (command - kCmdNotesShowFirst);
    } else if (command == kCmdNotesSearchKeys || command == kCmdNotesSearchLetters) {
        c->searchMode = command == kCmdNotesSearchLetters ? 1 : 0;
    } else if (command == kCmdNotesAllFolders) {
        c->selFolder.clear();
    } else if (command > kCmdNotesAllFolders && command <= kCmdNotesAllFolders + kNotesFolderSlots &&
               command - kCmdNotesAllFolders <= folders.size()) {
        c->selFolder = folders[command - kCmdNotesAllFolders - 1];
    } else {
        return false;
    }
    return true;
}

bool NotesChoiceChecked(unsigned command, const std::vector<std::wstring>& folders, const NotesChoices& c) {
    if (command >= kCmdNotesGroupFirst && command < kCmdNotesGroupFirst + 4) {
        // The rows group by folder for a grouping this version does not know.
        const int g = c.grouping >= 0 && c.grouping <= 3 ? c.grouping : 1;
        return int(command - kCmdNotesGroupFirst) == g;
    }
    if (command == kCmdNotesGroupsUp || command == kCmdNotesGroupsDown)
        return (c.groupDirection < 0) == (command == kCmdNotesGroupsDown);
    if (command >= kCmdNotesSortFirst && command < kCmdNotesSortFirst + 3) {
        const int s = c.sort >= 0 && c.sort <= 2 ? c.sort : 0;
        return int(command - kCmdNotesSortFirst) == s;
    }
    if (command == kCmdNotesSortUp || command == kCmdNotesSortDown)
        return (c.sortDirection < 0) == (command == kCmdNotesSortDown);
    if (command >= kCmdNotesShowFirst && command < kCmdNotesShowFirst + 3)
        return (c.display & (1 << (command - kCmdNotesShowFirst))) != 0;
    if (command == kCmdNotesSearchKeys || command == kCmdNotesSearchLetters)
        return (c.searchMode == 1) == (command == kCmdNotesSearchLetters);
    if (command == kCmdNotesAllFolders) return c.selFolder.empty();
    if (command > kCmdNotesAllFolders && command <= kCmdNotesAllFolders + kNotesFolderSlots &&
        command - kCmdNotesAllFolders <= folders.size())
        return !c.selFolder.empty() && Lower(c.selFolder) == Lower(folders[command - kCmdNotesAllFolders - 1]);
    return false;
}

std::wstring NotesGroupingCaption(int grouping, const TextSource& texts) {
    switch (grouping) {
    case 0: return texts.String(kStrGroupNone);
    case 2: return texts.String(kStrGroupDate);
    case 3: return texts.String(kStrGroupType);
    default: return texts.String(kStrGroupFolder);
    }
}

std::wstring NotesFolderCaption(const std::wstring& selFolder, const TextSource& texts) {
    return selFolder.empty() ? texts.String(kStrAllShort) : selFolder;
}

}  // namespace daybrim
