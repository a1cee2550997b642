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

// The commands of the tab's grouping menu (its caption's slide-out) and of the
// caption's folder selector.
enum NotesChoiceCommand : unsigned {
    kCmdNotesGroupFirst = 45400,  // one group, folder, date, type
    kCmdNotesGroupsUp = 45404, kCmdNotesGroupsDown = 45405,
    kCmdNotesSortFirst = 45406,   // name, date, size
    kCmdNotesSortUp = 45409, kCmdNotesSortDown = 45410,
    kCmdNotesShowFirst = 45411,   // date, size, completion bar: a bit each
    kCmdNotesSearchKeys = 45414, kCmdNotesSearchLetters = 45415,
    kCmdNotesAllFolders = 45500,  // then the offered folders, one each
    kNotesFolderSlots = 99,
};

// The stored choices those menus change.
struct NotesChoices {
    int grouping = 1;
    int groupDirection = 1;
    int sort = 0;
    int sortDirection = 1;
    int display = 5;     // bit 1 date, 2 size, 4 completion bar
    int searchMode = 0;  // 0 key groups, 1 first letter
    std::wstring selFolder;
    bool operator==(const NotesChoices& o) const {
        return grouping == o.grouping && groupDirection == o.groupDirection && sort == o.sort &&
               sortDirection == o.sortDirection && display == o.display && searchMode == o.searchMode &&
               selFolder == o.selFolder;
    }
};

// Applies a menu command to the choices; false (and nothing changed) for a
// command that is none of theirs. `folders` are those the folder entries offered.
bool ApplyNotesChoice(unsigned command, const std::vector<std::wstring>& folders, NotesChoices* choices);
// Whether the command's entry is checked for the choices.
bool NotesChoiceChecked(unsigned command, const std::vector<std::wstring>& folders, const NotesChoices& choices);

// The caption's texts: the grouping's name (an unknown grouping groups by
// folder, and says so) and the folder the list is narrowed to, or all of them.
enum NotesCaptionString : unsigned {
    kStrGroupNone = 97,
    kStrGroupFolder = 41352, kStrGroupDate = 41353, kStrGroupType = 41354,
    kStrAllFolders = 41355,  // the selector's first entry
    kStrAllShort = 41098,    // the caption's field has room for a word only
};
std::wstring NotesGroupingCaption(int grouping, const TextSource& texts);
std::wstring NotesFolderCaption(const std::wstring& selFolder, const TextSource& texts);

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
    // The folder names of the scanned files, shown or not: each once (ignoring
    // case), alphabetical; a configured folder's own files have none.
    std::vector<std::wstring> FolderNames() const;
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
