// The Notes tab's rows without the window: the scanned files as note items in
// their groups (by folder, date or type), ordered and filtered by the tab's
// settings. Platform-neutral.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "item_text.h"
#include "items.h"
#include "note_files.h"
#include "row_draw.h"

namespace daybrim {

// The tab's settings that shape the rows.
struct NotesOptions {
    int grouping = 1;        // 0 one group, 1 folder, 2 date, 3 type
    int groupDirection = 1;  // 1 or -1
    int sort = 0;            // 0 name, 1 time, 2 size
    int sortDirection = 1;
    std::wstring selFolder;  // only this folder's files when not empty
    bool foldedByDefault = false;
    int32_t today = 0;       // day number (OLE)
};

// Language strings of the groups the library's older ids do not carry.
enum NotesString : unsigned {
    kStrNotesAll = 41340,
    kStrTypeInk = 41341,  // … 41346 by type bit
    kStrYesterday = 41347, kStrLastWeek = 41348, kStrLastMonth = 41349, kStrOlder = 41350,
    kStrMoveFailed = 41351,
    kStrToday = 73,
};

class TNoteItem : public TChildItem {
public:
    TNoteItem(const notes::ScannedFile& f, const NotesOptions* order);
    bool IsVisible() override { return shown && matched; }
    int Kind() const override { return kKindNote; }
    int Compare(const TItem& other) const override;
    uint32_t Id() const override { return id_; }
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

    notes::ScannedFile file;
    NoteRow row;
    bool shown = true;
    bool matched = true;  // by the search bar's narrowing

private:
    const NotesOptions* order_;
    uint32_t id_;
};

class TNoteGroup : public TItemWithList {
public:
    TNoteGroup(uint32_t key, std::wstring groupTitle, const NotesOptions* order);
    uint32_t Id() const override { return key_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

private:
    uint32_t key_;
    const NotesOptions* order_;
};

// A path's identity across scans: the same file gives the same id whatever its case.
uint32_t NoteIdOf(const std::wstring& path);

class NotesModel {
public:
    // Rebuilds the groups from a scan. With `folded` (a rescan) the groups whose
    // keys it holds start folded; without it (the first scan) the options decide.
    void Build(const std::vector<notes::ScannedFile>& files, const NotesOptions& options, const TextSource& texts,
               const std::set<uint32_t>* folded = nullptr);
    ItemList& groups() { return groups_; }
    const NotesOptions& options() const { return options_; }
    TNoteItem* Find(uint32_t id) const;
    std::set<uint32_t> FoldedKeys() const;
    // The search bar's key (0 clears, 1..8 a letter group, 9 deletes) in mode 0
    // (the typed groups as digits, found anywhere in a name's key) or mode 1 (the
    // first letter, stepping through the group's letters on each press). Every
    // group is unfolded and counted again.
    void Search(int key, int mode, const LetterGroups& groups, bool searchBarOn,
                LetterEquals equals = SimpleLetterEquals);
    const std::wstring& searchText() const { return searchText_; }
    wchar_t searchLetter() const;
    // The group key a file goes to under the current options.
    uint32_t GroupKeyOf(const notes::ScannedFile& f) const;

private:
    std::wstring GroupTitle(uint32_t key, const notes::ScannedFile& f, const TextSource& texts) const;

    void ApplySearch(const LetterGroups& groups, bool searchBarOn, LetterEquals equals);

    NotesOptions options_;
    ItemList groups_;
    std::wstring searchText_;
    std::wstring cursorGroup_;  // letter mode: the group's letters, the cursor in them
    size_t cursor_ = std::wstring::npos;
    int searchMode_ = 0;
    LetterGroups searchGroups_;
    bool searchBarOn_ = true;
    LetterEquals equals_ = SimpleLetterEquals;
};

}  // namespace daybrim
