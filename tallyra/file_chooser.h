// The finder's own file and folder chooser, without its window: the current folder,
// the rows listed for it, moving between folders and what Select returns.
//
// Folders are device paths ("\My Documents\Skins\") and always carry their trailing
// backslash here, so that a chosen folder can have file names appended to it as the
// skin settings do.
#pragma once
#include <vector>

#include "ce_string.h"
#include "command_line.h"

namespace tallyra {

enum class ChooserMode { kSave = 0, kLoad = 1, kFolder = 2 };

struct FolderEntry {
    CeStd name;
    bool folder = false;
};

// The path rooted, with / read as \, no doubled separators and one trailing backslash.
CeStd FolderPath(const CeStd& path);

// Case-insensitive order of names (Latin, Greek and Cyrillic letters folded),
// ties broken by the exact text so the order never depends on the listing's.
bool NameLess(const CeStd& a, const CeStd& b);

class FileChooserModel {
public:
    FileChooserModel(ChooserMode mode, const CeStd& folder, const CeStd& extension);

    ChooserMode mode() const { return mode_; }
    const CeStd& folder() const { return folder_; }
    const CeStd& extension() const { return extension_; }
    bool AtRoot() const { return folder_.size() == 1; }

    // The folder's entries as the file system listed them, in any order: "." and
    // ".." are dropped, files too in folder mode. The rows are then "..", unless at
    // the root, followed by the folders and then the files, each sorted by name.
    void SetListing(std::vector<FolderEntry> entries);
    const std::vector<FolderEntry>& rows() const { return rows_; }
    bool IsUpRow(size_t row) const { return row == 0 && !AtRoot(); }

    enum class Activation { kNone, kFolderChanged, kFileName };
    // A folder row (or "..") becomes the current folder, to be listed again; a file
    // row gives its name for the name box, without the chooser's extension.
    Activation Activate(size_t row, CeStd* name);
    bool Up();

    enum class Result { kOk, kNameMissing, kNameIllegal };
    // File modes: the folder, the name and "." plus the extension (none when the
    // extension is empty). The name must be one name inside the folder: not empty,
    // none of \ / : * ? " < > | or control characters, and not made of dots only.
    Result SelectFile(const CeStd& name, CeStd* path) const;
    // Folder mode: the folder of the selected row (not "..") or else the current one,
    // always ending with a backslash.
    CeStd SelectFolder(int selectedRow) const;

private:
    ChooserMode mode_;
    CeStd folder_, extension_;
    std::vector<FolderEntry> rows_;
};

}  // namespace tallyra
