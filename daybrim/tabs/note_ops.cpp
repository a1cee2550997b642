#include "note_ops.h"

#include <cstring>
#include <memory>

#include "flashcard.h"
#include "note_files.h"
#include "raii.h"

namespace daybrim {
namespace notes {

namespace {

const DWORD kChunk = 16 * 1024;

double OleDate(const FILETIME& utc) {
    FILETIME local = {};
    if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
    const int64_t ticks = (int64_t(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    const double days = double(ticks) / (864000000000.0);
    return days - 109205.0;  // days from 1601-01-01 to 1899-12-30
}

std::wstring LastComponent(const std::wstring& folder) {
    std::wstring f = folder;
    while (!f.empty() && f.back() == L'\\') f.pop_back();
    const size_t slash = f.rfind(L'\\');
    return slash == std::wstring::npos ? f : f.substr(slash + 1);
}

bool IsFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

raii::File OpenRead(const std::wstring& path) {
    return raii::File(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool ReadSome(HANDLE f, char* buf, DWORD want, DWORD* got) {
    *got = 0;
    return ReadFile(f, buf, want, got, nullptr) != FALSE;
}

// Whether two files hold the same bytes, read a chunk at a time.
bool SameContent(const std::wstring& a, const std::wstring& b) {
    raii::File fa = OpenRead(a), fb = OpenRead(b);
    if (!fa || !fb) return false;
    std::unique_ptr<char[]> ba(new char[kChunk]), bb(new char[kChunk]);
    for (;;) {
        DWORD na = 0, nb = 0;
        if (!ReadSome(fa.get(), ba.get(), kChunk, &na) || !ReadSome(fb.get(), bb.get(), kChunk, &nb)) return false;
        if (na != nb || std::memcmp(ba.get(), bb.get(), na) != 0) return false;
        if (na == 0) return true;
    }
}

// A name beside `to` that no file has.
std::wstring TemporaryBeside(const std::wstring& to) {
    const std::wstring folder = FolderOf(to);
    for (unsigned n = 0; n < 1000; ++n) {
        const std::wstring candidate = folder + L"\\~copy" + std::to_wstring(n) + L".tmp";
        if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return std::wstring();
}

// Writes `from` into the new file `temp`, keeping its time stamp.
bool CopyBytes(const std::wstring& from, const std::wstring& temp, const CopyProgress& progress) {
    raii::File in = OpenRead(from);
    if (!in) return false;
    // Hidden until verified: a copy cut short by a pulled card is never listed as a note.
    raii::File out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!out) return false;
    std::unique_ptr<char[]> buf(new char[kChunk]);
    uint64_t copied = 0;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadSome(in.get(), buf.get(), kChunk, &got)) return false;
        if (got == 0) break;
        if (!WriteFile(out.get(), buf.get(), got, &put, nullptr) || put != got) return false;
        copied += got;
        if (progress && !progress(copied)) return false;
    }
    FILETIME created, accessed, written;
    if (GetFileTime(in.get(), &created, &accessed, &written)) SetFileTime(out.get(), &created, &accessed, &written);
    return true;
}

const wchar_t kStatesValue[] = L"States";

// The value's bytes; false when it is there but not binary (someone else's data).
bool ReadStates(HKEY key, std::vector<uint8_t>* value) {
    value->clear();
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExW(key, kStatesValue, nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return true;
    if (r != ERROR_SUCCESS || type != REG_BINARY) return false;
    value->resize(size);
    if (size == 0) return true;
    r = RegQueryValueExW(key, kStatesValue, nullptr, &type, value->data(), &size);
    if (r != ERROR_SUCCESS || type != REG_BINARY) return false;
    value->resize(size);
    return true;
}

}  // namespace

ListLibrary::ListLibrary(const std::wstring& path) {
    if (path.empty()) return;
    lib_.reset(LoadLibraryW(path.c_str()));
    if (lib_) get_ = reinterpret_cast<GetListData>(reinterpret_cast<void*>(GetProcAddress(lib_.get(), "GetListData")));
}

int ListLibrary::Completion(const std::wstring& listPath) const {
    if (!get_ || listPath.size() >= MAX_PATH) return -1;
    // Room past the structure, marked: a library that writes more than it was
    // given is caught here rather than in what lies beside the call's frame.
    struct Guarded {
        ListData data;
        uint8_t guard[48];
    } g;
    std::memset(&g, 0xA5, sizeof g);
    g.data = ListData{sizeof(ListData), 0, 0, 0};
    const bool returned = get_(listPath.c_str(), &g.data) != FALSE;
    for (uint8_t b : g.guard)
        if (b != 0xA5) return -1;
    return ListCompletion(returned, g.data);
}

const wchar_t kNotesStatesKey[] = L"SOFTWARE\\Microsoft\\Notes\\States";

bool WriteNotesStates(const std::wstring& folder, const std::wstring& templateName) {
    if (folder.empty() && templateName.empty()) return true;
    raii::Key key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNotesStatesKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<uint8_t> value;
    if (!ReadStates(key.get(), &value)) return false;
    // On a copy: a template that does not fit must not leave the folder changed alone.
    std::vector<uint8_t> next = value;
    if (!folder.empty() && !WriteStatesString(next, kStatesFolderOffset, folder)) return false;
    if (!templateName.empty() && !WriteStatesString(next, kStatesTemplateOffset, templateName)) return false;
    return RegSetValueExW(key.get(), kStatesValue, 0, REG_BINARY, next.data(), DWORD(next.size())) == ERROR_SUCCESS;
}

std::wstring CurrentNotesTemplate() {
    raii::Key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNotesStatesKey, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
        return std::wstring();
    std::vector<uint8_t> value;
    if (!ReadStates(key.get(), &value) || value.size() < kStatesTemplateOffset) return std::wstring();
    return ReadStatesString(value, kStatesTemplateOffset);
}

std::vector<ScannedFile> ScanFolder(const std::wstring& folder, unsigned wanted, bool isRoot,
                                    std::vector<std::wstring>* templates) {
    std::vector<ScannedFile> out;
    WIN32_FIND_DATAW fd = {};
    HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const unsigned type = TypeOfName(fd.cFileName);
        if (!(type & wanted)) continue;
        const std::wstring path = folder + L"\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) {
            if (type == kInk && templates) templates->push_back(StemOf(path));
            continue;
        }
        ScannedFile f;
        f.name = StemOf(path);
        f.path = path;
        f.folder = folder;
        f.folderName = isRoot ? std::wstring() : LastComponent(folder);
        f.type = type;
        f.modified = OleDate(fd.ftLastWriteTime);
        f.size = (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        out.push_back(std::move(f));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

std::vector<std::wstring> SubFolders(const std::wstring& folder) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd = {};
    HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
            fd.cFileName[0] != L'.')
            out.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

std::vector<std::wstring> StorageCardRoots() {
    std::vector<std::wstring> out;
    raii::Library lib(LoadLibraryW(L"note_prj.dll"));
    if (!lib) return out;
    auto first = reinterpret_cast<PFN_FindFirstFlashCard>(
        reinterpret_cast<void*>(GetProcAddress(lib.get(), MAKEINTRESOURCEA(7))));
    auto next = reinterpret_cast<PFN_FindNextFlashCard>(
        reinterpret_cast<void*>(GetProcAddress(lib.get(), MAKEINTRESOURCEA(8))));
    if (!first || !next) return out;
    WIN32_FIND_DATAW fd = {};
    HANDLE h = first(&fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        fd.cFileName[MAX_PATH - 1] = 0;
        std::wstring name = fd.cFileName;
        if (name.empty()) continue;
        out.push_back(name[0] == L'\\' ? name : L"\\" + name);
    } while (next(h, &fd));
    FindClose(h);
    return out;
}

std::wstring PersonalFolder() { return L"\\My Documents"; }

bool ReadCapped(const std::wstring& path, size_t cap, std::string* out, bool* truncated) {
    out->clear();
    if (truncated) *truncated = false;
    raii::File f = OpenRead(path);
    if (!f) return false;
    std::unique_ptr<char[]> buf(new char[kChunk]);
    while (out->size() < cap) {
        const size_t room = cap - out->size();
        DWORD got = 0;
        if (!ReadSome(f.get(), buf.get(), DWORD(room < kChunk ? room : kChunk), &got)) return false;
        if (got == 0) return true;
        out->append(buf.get(), got);
    }
    // Full: one byte more tells whether anything was left out.
    char probe = 0;
    DWORD got = 0;
    if (truncated && ReadSome(f.get(), &probe, 1, &got)) *truncated = got != 0;
    return true;
}

bool MakeFolders(const std::wstring& path) {
    if (path.empty() || path == L"\\") return true;
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring parent = FolderOf(path);
    if (parent != path && !MakeFolders(parent)) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

FileResult CopyNote(const std::wstring& from, const std::wstring& to, bool overwrite, const CopyProgress& progress) {
    if (!IsFile(from)) return FileResult::kSourceMissing;
    if (SamePath(from, to)) return FileResult::kNothingToDo;
    const bool targetExists = GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (targetExists && !overwrite) return FileResult::kTargetExists;
    if (targetExists && !IsFile(to)) return FileResult::kBadTarget;  // a folder of that name
    if (!MakeFolders(FolderOf(to))) return FileResult::kBadTarget;
    const std::wstring temp = TemporaryBeside(to);
    if (temp.empty()) return FileResult::kCopyFailed;
    if (!CopyBytes(from, temp, progress)) {
        DeleteFileW(temp.c_str());
        return FileResult::kCopyFailed;
    }
    if (!SameContent(from, temp)) {
        DeleteFileW(temp.c_str());
        return FileResult::kVerifyFailed;
    }
    // Only a verified copy replaces what was at the target.
    if (targetExists) SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((targetExists && !DeleteFileW(to.c_str())) || !MoveFileW(temp.c_str(), to.c_str())) {
        DeleteFileW(temp.c_str());
        return FileResult::kCopyFailed;
    }
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return FileResult::kDone;
}

FileResult MoveNote(const std::wstring& from, const std::wstring& to, bool overwrite, const CopyProgress& progress) {
    if (!IsFile(from)) return FileResult::kSourceMissing;
    switch (PlanMove(from, to)) {
    case MoveKind::kUnchanged:
        return FileResult::kNothingToDo;
    case MoveKind::kInPlace: {
        // One file under two spellings: renamed, never copied onto itself. Some
        // file systems take a change of case alone as no change, so the rename
        // goes by way of a free name beside it, and back should the second step fail.
        const std::wstring temp = TemporaryBeside(to);
        if (temp.empty() || !MoveFileW(from.c_str(), temp.c_str())) return FileResult::kCopyFailed;
        if (MoveFileW(temp.c_str(), to.c_str())) return FileResult::kDone;
        MoveFileW(temp.c_str(), from.c_str());
        return FileResult::kCopyFailed;
    }
    case MoveKind::kCopyThenDelete:
        break;
    }
    const FileResult copied = CopyNote(from, to, overwrite, progress);
    if (copied != FileResult::kDone) return copied;
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(from.c_str()) ? FileResult::kDone : FileResult::kSourceKept;
}

}  // namespace notes
}  // namespace daybrim
