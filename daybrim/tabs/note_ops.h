// The Notes tab's work on the device's files: scanning a folder, the storage
// cards, capped reads for the preview, and copies, renames and moves that never
// lose a note.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "note_files.h"
#include "raii.h"

namespace daybrim {
namespace notes {


// The files of `folder` whose type bit is in `wanted`. Hidden files are not
// listed; hidden ink notes are the Notes application's templates and go to
// `templates` when given. A missing folder yields nothing.
std::vector<ScannedFile> ScanFolder(const std::wstring& folder, unsigned wanted, bool isRoot,
                                    std::vector<std::wstring>* templates = nullptr);
// The direct sub-folders' names of `folder`, hidden ones left out.
std::vector<std::wstring> SubFolders(const std::wstring& folder);

// The roots of the inserted storage cards ("\Storage Card"), through the notes
// library; none when the library or its exports are missing.
std::vector<std::wstring> StorageCardRoots();
// The personal folder ("\My Documents").
std::wstring PersonalFolder();

// At most `cap` bytes from the start of a file, however large it is.
bool ReadCapped(const std::wstring& path, size_t cap, std::string* out, bool* truncated = nullptr);
const size_t kPreviewCap = 64 * 1024;

// Every folder of `path` that is missing, made.
bool MakeFolders(const std::wstring& path);

enum class FileResult {
    kDone,
    kNothingToDo,     // the target is the source
    kSourceMissing,
    kTargetExists,    // and overwriting was not asked for
    kBadTarget,       // the target folder cannot be made
    kCopyFailed,      // the target is left as it was, the source too
    kVerifyFailed,    // the copy differs from the source: removed, the source kept
    kSourceKept,      // the copy stands but the source could not be deleted
};

// Called after each chunk a copy wrote, with the bytes so far; false stops the
// copy as a failing write would (tests pull cards and fail disks here).
using CopyProgress = std::function<bool(uint64_t copied)>;

// Copies `from` to `to` (a full path), by way of a temporary file beside the
// target that is compared with the source before it takes the target's name.
FileResult CopyNote(const std::wstring& from, const std::wstring& to, bool overwrite,
                    const CopyProgress& progress = nullptr);
// Renames or moves: a change of case only is a rename in place; anything else
// is a verified copy, and only then the source is deleted.
FileResult MoveNote(const std::wstring& from, const std::wstring& to, bool overwrite,
                    const CopyProgress& progress = nullptr);

// The list program's library, loaded for one scan: its "GetListData" asked about
// each list file. Whatever the library answers, a list gets a completion of
// 0..100 or none.
class ListLibrary {
public:
    using GetListData = BOOL(WINAPI*)(const wchar_t* path, ListData* data);
    explicit ListLibrary(const std::wstring& path);
    // Loaded and exporting "GetListData".
    bool usable() const { return get_ != nullptr; }
    int Completion(const std::wstring& listPath) const;

private:
    raii::Library lib_;
    GetListData get_ = nullptr;
};

// The Notes application's saved state (HKEY_LOCAL_MACHINE): the folder and
// template of its next new note. Both fields are written together or not at
// all; an empty one is left as it was. False, the value untouched, when a text
// does not fit its field or the value is not binary.
extern const wchar_t kNotesStatesKey[];
bool WriteNotesStates(const std::wstring& folder, const std::wstring& templateName);
// The template the Notes application starts new notes with; empty when none is stored.
std::wstring CurrentNotesTemplate();

}  // namespace notes
}  // namespace daybrim
