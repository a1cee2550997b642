#include "ini_file_disk.h"

#include <vector>

#include "raii.h"

namespace {

// Skin and settings files are small; anything bigger is not one of ours.
const DWORD kMaxIniBytes = 1024 * 1024;

bool ReadAll(const std::wstring& path, std::vector<uint8_t>* out) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    const DWORD size = GetFileSize(f.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxIniBytes) return false;
    out->resize(size);
    DWORD got = 0;
    return size == 0 || (ReadFile(f.get(), out->data(), size, &got, nullptr) && got == size);
}

bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD put = 0;
    return WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
}

}  // namespace

CeStd DecodeSystemAnsi(const uint8_t* bytes, size_t n) {
    if (!n || n > kMaxIniBytes) return CeStd();
    const int len = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), int(n), nullptr, 0);
    CeStd out(size_t(len > 0 ? len : 0), 0);
    if (len > 0) MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), int(n), &out[0], len);
    return out;
}

bool CIniDiskFile::Load(const std::wstring& path) {
    name_ = path;
    std::vector<uint8_t> bytes;
    const bool read = ReadAll(path, &bytes);
    LoadBytes(bytes.data(), read ? bytes.size() : 0, DecodeSystemAnsi);
    return read;
}

bool CIniDiskFile::Save() {
    if (!modified() || name_.empty()) return true;
    // A half-written file must never take the old one's place: write beside it,
    // then swap (the handheld has no replacing move).
    const std::wstring temp = name_ + L".new";
    if (!WriteAll(temp, Serialize(IniEncoding::kUtf16))) {
        DeleteFileW(temp.c_str());
        return false;
    }
    DeleteFileW(name_.c_str());
    if (!MoveFileW(temp.c_str(), name_.c_str())) return false;
    MarkSaved();
    return true;
}
