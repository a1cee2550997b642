// The rename and move dialog of a note: a new name, a location (main memory or
// a storage card; the list program's folder for lists) and one of its
// sub-folders. OK asks the owner to carry the move out; a move that did not
// happen keeps the dialog open.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog.h"
#include "item_text.h"

namespace daybrim {

struct NoteLocation {
    std::wstring title;  // as listed
    std::wstring root;   // its folder
    int data = 0;        // 0 main memory, 1 the list program's folder, 2 a card
};

class CRenameNoteDialog : public win::Dialog {
public:
    // `move(folder, name)` carries the move out and says whether it happened.
    using Move = std::function<bool(const std::wstring& folder, const std::wstring& name)>;
    CRenameNoteDialog(const TextSource& texts, const std::wstring& path, std::vector<NoteLocation> locations,
                      Move move)
        : texts_(texts), path_(path), locations_(std::move(locations)), move_(std::move(move)) {}
    bool Run(HINSTANCE module, HWND owner);

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnInit();
    void FillFolders(const std::wstring& select);
    bool Take();

    const TextSource& texts_;
    std::wstring path_;
    std::vector<NoteLocation> locations_;
    Move move_;
};

}  // namespace daybrim
