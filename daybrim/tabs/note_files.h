// The Notes tab's rules that need no window: file types, date groups, the order
// of files, the paths a rename or move works with, the mail command line and the
// Notes application's "States" value. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace daybrim {
namespace notes {

// One file a scan found.
struct ScannedFile {
    std::wstring name;        // without extension
    std::wstring path;        // full path
    std::wstring folder;      // the folder's path
    std::wstring folderName;  // its last component; empty for a configured root
    unsigned type = 0;        // type bit
    double modified = 0;      // OLE date, local time
    uint64_t size = 0;
    int completion = -1;      // lists: checked-off share, 0..100; -1 none
};

enum TypeBit : unsigned { kInk = 1, kVoice = 2, kText = 4, kWord = 8, kExcel = 16, kList = 32, kAllTypes = 63 };

// The type bit of a file name by its extension (any case); 0 for other files.
unsigned TypeOfName(const std::wstring& fileName);
// ".pwi" … ".mll"; empty for an unknown bit.
std::wstring DottedExtension(unsigned bit);
// The language string that titles a type group; 0 for an unknown bit.
int TypeGroupString(unsigned bit);
// The language string asking whether to delete a file of this type.
int DeleteQuestionString(unsigned bit);

// Date grouping against today (day numbers): 4 today, 3 yesterday, 2 within the
// last 7 days, 1 within the last 30, 0 older. A file dated after today counts as today.
int DateGroupKey(int32_t fileDay, int32_t today);
int DateGroupString(int key);

// What the order of files compares.
struct FileFacts {
    std::wstring name;
    double modified = 0;
    uint64_t size = 0;
};
// 1 when `a` is listed before `b`, -1 after, 0 equal: by `sort` (0 name ignoring
// case, 1 time, 2 size), reversed when `direction` is negative.
int CompareFiles(const FileFacts& a, const FileFacts& b, int sort, int direction);

// Whether `name` can be a file name: not empty, no \ / : * ? " < > | and not
// only dots or spaces.
bool ValidFileName(const std::wstring& name);
// The folder part of a path ("\a\b.txt" -> "\a") and the file name without its
// extension ("b").
std::wstring FolderOf(const std::wstring& path);
std::wstring StemOf(const std::wstring& path);
bool SamePath(const std::wstring& a, const std::wstring& b);  // ignoring case

// The target folder of the rename dialog: the location with exactly one leading
// backslash, then "\sub" unless `sub` is empty.
std::wstring TargetFolder(const std::wstring& location, const std::wstring& sub);

// How a rename or move is carried out. Unchanged: nothing to do. InPlace: the
// same path but for case, renamed by the file system. CopyThenDelete: anything
// else: the source goes only once a verified copy stands at the target.
enum class MoveKind { kUnchanged, kInPlace, kCopyThenDelete };
MoveKind PlanMove(const std::wstring& from, const std::wstring& to);

// The mail program's arguments attaching `path`, the quote closed.
std::wstring MailArguments(const std::wstring& path);

// What the list program's library ("GetListData") reports about one list file.
// The caller sets `size` to the structure's size; the library fills in the rest.
// Laid out alike on the 32-bit device and here.
struct ListData {
    uint32_t size;
    uint32_t items;     // entries of the list
    uint32_t done;      // entries checked off
    uint32_t reserved;  // 0
};
static_assert(sizeof(ListData) == 16, "the list library reads 16 bytes");
// The completion a list shows (0..100) from the library's answer; -1 when the
// call failed or the answer makes no sense (another size than asked for, more
// done than there are entries) or the list has no entries.
int ListCompletion(bool returned, const ListData& data);

// The Notes application's "States" value: the folder of new notes (a wide string
// at byte 84) and the template (at byte 1650). Each field holds at most 259
// characters and a terminator.
const size_t kStatesFolderOffset = 84;
const size_t kStatesTemplateOffset = 1650;
const size_t kStatesFieldChars = 260;
// The string at `offset`: up to its terminator, the field's end or the value's
// end, whichever comes first; empty when the value does not reach the field.
std::wstring ReadStatesString(const std::vector<uint8_t>& value, size_t offset);
// Writes `text` and its terminator into the field, zeroing the rest of it and
// growing a short value with zeros. False, the value untouched, when the text
// does not fit.
bool WriteStatesString(std::vector<uint8_t>& value, size_t offset, const std::wstring& text);

}  // namespace notes
}  // namespace daybrim
