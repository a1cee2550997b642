// CNotesTab: note and document files of the configured folders, their
// sub-folders, the storage cards and the list program's folder, grouped and
// ordered by the tab's settings; opened, previewed in the floating note window,
// renamed, moved, copied, hidden, deleted and mailed from the item menu.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "note_ops.h"
#include "notes_dialog.h"
#include "notes_model.h"
#include "note_window.h"
#include "raii.h"
#include "tab_with_search_panel.h"

namespace daybrim {

enum NotesCommand : UINT {
    kCmdNoteTemplateFirst = 1079, kCmdNoteTemplateLast = 1279,
    kCmdNoteCopy = 40885, kCmdNoteDelete = 40886, kCmdNoteRename = 40887,
    kCmdNewNoteInFolder = 40889, kCmdNewNoteDefault = 40890, kCmdNoteHide = 40893,
    kCmdNoteMail = 41262, kCmdNewWorkbookFile = 41263, kCmdNewDocumentFile = 41264,
    kCmdNotesFoldAll = 40199, kCmdNotesUnfoldAll = 40200,
    // The folders of the move and copy sub-menus, filled as the menu opens.
    kCmdMoveToFirst = 45200, kCmdCopyToFirst = 45300, kCmdFolderSlots = 100,
};

// The preview text of a file: at most a fixed number of bytes read, as ANSI text.
std::wstring PreviewText(const std::wstring& path);

// The search bar's alphabet from the stored type and custom alphabet name: a
// named custom alphabet, else the stored built-in one; Latin for a type this
// version does not know (or a custom one without a name).
int NotesSearchAlphabet(uint32_t stored, const std::wstring& customName);

class CNotesTab : public CTabWithSearchPanel {
public:
    explicit CNotesTab(const ShellEnv* env);
    ~CNotesTab() override;

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return 440; }
    void PrepareMenu(HMENU menu) override;
    void OnDateChanged() override { Rescan(); }
    void OnDataChanged() override { Rescan(); }
    void LaunchApplication() override;

    // CBuiltInTab: the caption names the grouping, whose menu is the tab menu's
    // grouping sub-menu, and the folder the list is narrowed to, chosen from the
    // scanned folders.
    std::wstring GetGroupingCaption() override;
    HMENU PrepareGroupingMenu(HMENU menu) override;
    std::wstring GetCategoryCaption() override;
    void FillCategoryMenu(HMENU menu) override;
    void OnCaptionChoiceChanged() override { Rescan(); }

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override;
    void OnListTap(int x, int y, int scrollOffset) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    std::wstring GetBarIconName() override { return L"notes_baricon"; }
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;
    int OpenItemOverride(TItem* item) override;

    // Scans the folders again and rebuilds the rows.
    void Rescan();
    // A key of the alphabet search bar (0 clears, 1..8 a letter group, 9 deletes)
    // with the bar's current letter groups: narrows the rows by the tab's search
    // mode. The bar under the list calls it.
    void Search(int key, const LetterGroups& letters);
    NotesModel& Model() { return model_; }
    const std::vector<std::wstring>& Templates() const { return templates_; }
    // The choices the caption's menus change, as stored.
    NotesChoices Choices() const;
    // The folders the folder entries of the last prepared menu offer.
    const std::vector<std::wstring>& MenuFolders() const { return menuFolders_; }
    // The folders the move and copy sub-menus offer: the personal folder and its
    // sub-folders, then each card's root and its sub-folders.
    std::vector<std::wstring> MoveTargets() const;
    // The item actions, for the commands and for tests (answers through the
    // device's message boxes).
    bool MoveFileTo(TNoteItem* item, const std::wstring& folder, const std::wstring& newName);
    bool CopyFileTo(TNoteItem* item, const std::wstring& folder);
    bool DeleteNote(TNoteItem* item);
    bool HideNote(TNoteItem* item);
    bool MailNote(TNoteItem* item);
    bool PreviewNote(TNoteItem* item, int x, int y);
    // A new note in `folder` (a folder name; empty for the Notes application's
    // own) from `templateName` (empty for its current one): the organiser's
    // request when it makes notes and no template is asked for, else the Notes
    // application, started afresh with the folder and template stored for it.
    bool NewNote(const std::wstring& folder, const std::wstring& templateName);
    // The folder name an item's menu makes new notes in: a note's own, or a folder
    // group's while the files are grouped by folder; empty otherwise.
    std::wstring FolderNameOf(TItem* item) const;
    // The rename dialog's locations for a file: main memory and the cards, or
    // the list program's folder for a list.
    std::vector<NoteLocation> LocationsFor(const TNoteItem& item) const;

protected:
    // CTabWithSearchPanel: the bar shows with NotesActiveSearchBar; its alphabet is
    // the stored one (NotesSearchBarAlphabet and NotesCustomSearchBarSelected).
    SearchPanelSetup SearchPanelSettings() override;
    void OnSearchKey(int key, const std::wstring& label) override;
    void OnAlphabetChosen(int type, const std::wstring& name) override;

private:
    std::vector<notes::ScannedFile> ScanAll();
    void Scan();  // the files and groups, without touching the rows
    NotesOptions OptionsFromSettings() const;
    bool Ask(const std::wstring& text, const std::wstring& caption);
    void Tell(const std::wstring& text, const std::wstring& caption, UINT icon);
    std::wstring Text(unsigned id) const;
    void OnWindowPosChanged(HWND hwnd) override;
    void RenameWithDialog(TNoteItem* item);
    // The sub-menu of templates, its current one checked; gone when there are none.
    void FillTemplateMenu(HMENU menu);
    // The folder entries after "all folders", the current one checked.
    void FillFolderMenu(HMENU menu, const NotesChoices& c);
    // Stores what a caption or tab menu command changed, and shows it.
    void StoreChoices(const NotesChoices& was, const NotesChoices& now);

    NotesModel model_;
    std::vector<std::wstring> templates_;
    std::vector<std::wstring> menuTargets_;  // the folders of the shown item menu
    std::vector<std::wstring> menuFolders_;  // the folders of the shown folder selector
    bool scanned_ = false;
};

}  // namespace daybrim
