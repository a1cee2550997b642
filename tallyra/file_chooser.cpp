#include "file_chooser.h"

#include <algorithm>

namespace tallyra {

namespace {

CeChar Fold(CeChar c) {
    if (c >= 'A' && c <= 'Z') return CeChar(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return CeChar(c + 32);      // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3A9) return CeChar(c + 32);                  // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return CeChar(c + 32);                  // Cyrillic А-Я
    if (c >= 0x400 && c <= 0x40F) return CeChar(c + 80);                  // Ѐ-Џ
    return c;
}

bool DotsOnly(const CeStd& name) {
    return std::all_of(name.begin(), name.end(), [](CeChar c) { return c == '.'; });
}

CeStd Dots(size_t n) { return CeStd(n, CeChar('.')); }

bool EqualFolded(const CeStd& a, size_t from, const CeStd& b) {
    if (a.size() - from != b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (Fold(a[from + i]) != Fold(b[i])) return false;
    return true;
}

}  // namespace

CeStd FolderPath(const CeStd& path) {
    // Device paths are rooted and have no drive letters.
    CeStd out(1, CeChar('\\'));
    for (CeChar c : path) {
        if (c == '/') c = '\\';
        if (c != '\\' || out.back() != '\\') out.push_back(c);
    }
    if (out.back() != '\\') out.push_back('\\');
    return out;
}

bool NameLess(const CeStd& a, const CeStd& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const CeChar x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

FileChooserModel::FileChooserModel(ChooserMode mode, const CeStd& folder, const CeStd& extension)
    : mode_(mode), folder_(FolderPath(folder)), extension_(extension) {}

void FileChooserModel::SetListing(std::vector<FolderEntry> entries) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const FolderEntry& e) {
                                     return e.name.empty() || e.name == Dots(1) || e.name == Dots(2) ||
                                            (!e.folder && mode_ == ChooserMode::kFolder);
                                 }),
                  entries.end());
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.folder != b.folder) return a.folder;
        return NameLess(a.name, b.name);
    });
    rows_.clear();
    if (!AtRoot()) rows_.push_back({Dots(2), true});
    rows_.insert(rows_.end(), entries.begin(), entries.end());
}

FileChooserModel::Activation FileChooserModel::Activate(size_t row, CeStd* name) {
    if (row >= rows_.size()) return Activation::kNone;
    if (IsUpRow(row)) return Up() ? Activation::kFolderChanged : Activation::kNone;
    const FolderEntry& e = rows_[row];
    if (e.folder) {
        folder_ += e.name;
        folder_.push_back('\\');
        rows_.clear();
        return Activation::kFolderChanged;
    }
    *name = e.name;
    // Select appends the extension again.
    const size_t ext = extension_.size() + 1;
    if (!extension_.empty() && name->size() > ext && (*name)[name->size() - ext] == '.' &&
        EqualFolded(*name, name->size() - extension_.size(), extension_))
        name->resize(name->size() - ext);
    return Activation::kFileName;
}

bool FileChooserModel::Up() {
    if (AtRoot()) return false;
    const size_t cut = folder_.rfind(CeChar('\\'), folder_.size() - 2);
    folder_.resize(cut == CeStd::npos ? 1 : cut + 1);
    rows_.clear();
    return true;
}

FileChooserModel::Result FileChooserModel::SelectFile(const CeStd& name, CeStd* path) const {
    switch (CheckFileName(name)) {
    case FileNameCheck::kMissing: return Result::kNameMissing;
    case FileNameCheck::kIllegal: return Result::kNameIllegal;
    case FileNameCheck::kOk: break;
    }
    // "." and ".." name the folder itself or its parent, not a file in it.
    if (DotsOnly(name)) return Result::kNameIllegal;
    *path = folder_ + name;
    if (!extension_.empty()) {
        path->push_back('.');
        *path += extension_;
    }
    return Result::kOk;
}

CeStd FileChooserModel::SelectFolder(int selectedRow) const {
    if (selectedRow >= 0 && size_t(selectedRow) < rows_.size() && !IsUpRow(size_t(selectedRow)) &&
        rows_[size_t(selectedRow)].folder)
        return folder_ + rows_[size_t(selectedRow)].name + CeStd(1, CeChar('\\'));
    return folder_;
}

}  // namespace tallyra
