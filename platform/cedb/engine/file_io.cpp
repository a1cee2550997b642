#include "file_io.h"

#include <algorithm>
#include <climits>

#ifdef _WIN32
#include <windows.h>

#include "raii.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cedb::detail {

// Far above any volume's data (volumes stop growing well below it): on Win32 a locked
// range also blocks reads and writes by other handles, so it must never hold data.
constexpr uint64_t kLockOffset = 0x7FFFFF00;

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), int(s.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), int(s.size()), &w[0], n);
    return w;
}

Error FromLastError() {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return Error::kNotFound;
    if (e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL) return Error::kFull;
    return Error::kIo;
}

bool Identity(HANDLE h, BY_HANDLE_FILE_INFORMATION* info) {
    return GetFileInformationByHandle(h, info) != 0;
}

}  // namespace

Error File::Open(const std::string& path, bool create, std::unique_ptr<File>* out) {
    std::wstring w = Wide(path);
    if (w.empty()) return Error::kInvalid;
    HANDLE h = CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FromLastError();
    out->reset(new File());
    (*out)->h_ = h;
    return Error::kOk;
}

Error File::Replace(const std::string& from, const std::string& to) {
    std::wstring a = Wide(from), b = Wide(to);
    if (a.empty() || b.empty()) return Error::kInvalid;
    if (!MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Win32 (and Wine with it) refuses to replace a file that any handle has
        // open, the caller's own included.
        DWORD e = GetLastError();
        if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION) return Error::kLocked;
        return FromLastError();
    }
    return Error::kOk;
}

void File::Remove(const std::string& path) {
    std::wstring w = Wide(path);
    if (!w.empty()) DeleteFileW(w.c_str());
}

File::~File() {
    if (h_) CloseHandle(h_);
}

Error File::Size(uint64_t* out) {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h_, &li)) return FromLastError();
    *out = uint64_t(li.QuadPart);
    return Error::kOk;
}

Error File::ReadAt(uint64_t off, void* buf, size_t n, size_t* got) {
    *got = 0;
    auto* p = static_cast<uint8_t*>(buf);
    while (*got < n) {
        OVERLAPPED ov = {};
        uint64_t at = off + *got;
        ov.Offset = DWORD(at);
        ov.OffsetHigh = DWORD(at >> 32);
        DWORD want = DWORD(std::min<size_t>(n - *got, 1u << 30)), did = 0;
        if (!ReadFile(h_, p + *got, want, &did, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return FromLastError();
        }
        if (did == 0) break;
        *got += did;
    }
    return Error::kOk;
}

Error File::WriteAt(uint64_t off, const void* buf, size_t n) {
    const auto* p = static_cast<const uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        OVERLAPPED ov = {};
        uint64_t at = off + done;
        ov.Offset = DWORD(at);
        ov.OffsetHigh = DWORD(at >> 32);
        DWORD want = DWORD(std::min<size_t>(n - done, 1u << 30)), did = 0;
        if (!WriteFile(h_, p + done, want, &did, &ov)) return FromLastError();
        if (did == 0) return Error::kIo;
        done += did;
    }
    return Error::kOk;
}

Error File::Truncate(uint64_t size) {
    LARGE_INTEGER li;
    li.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) || !SetEndOfFile(h_)) return FromLastError();
    return Error::kOk;
}

Error File::Sync() {
    return FlushFileBuffers(h_) ? Error::kOk : FromLastError();
}

Error File::Lock(bool exclusive) {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(kLockOffset);
    ov.OffsetHigh = DWORD(kLockOffset >> 32);
    if (!LockFileEx(h_, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 1, 0, &ov)) return Error::kLocked;
    return Error::kOk;
}

void File::Unlock() {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(kLockOffset);
    ov.OffsetHigh = DWORD(kLockOffset >> 32);
    UnlockFileEx(h_, 0, 1, 0, &ov);
}

bool File::IsAt(const std::string& path) {
    std::wstring w = Wide(path);
    if (w.empty()) return false;
    raii::File other(CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!other) return false;
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!Identity(h_, &a) || !Identity(other.get(), &b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

#else  // POSIX

namespace {

Error FromErrno(int e) {
    if (e == ENOENT || e == ENOTDIR) return Error::kNotFound;
    if (e == ENOSPC || e == EFBIG || e == EDQUOT) return Error::kFull;
    return Error::kIo;
}

// Closes a descriptor on every path out of a scope.
struct FdCloser {
    int fd;
    ~FdCloser() { if (fd >= 0) close(fd); }
};

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

Error File::Open(const std::string& path, bool create, std::unique_ptr<File>* out) {
    if (path.empty()) return Error::kInvalid;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return FromErrno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Error::kInvalid;
    }
    out->reset(new File());
    (*out)->fd_ = fd;
    return Error::kOk;
}

Error File::Replace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno);
    // The rename itself reaches the disk only with its directory.
    FdCloser dir{::open(DirOf(to).c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY)};
    if (dir.fd >= 0) fsync(dir.fd);
    return Error::kOk;
}

void File::Remove(const std::string& path) {
    ::unlink(path.c_str());
}

File::~File() {
    if (fd_ >= 0) close(fd_);
}

Error File::Size(uint64_t* out) {
    struct stat st;
    if (fstat(fd_, &st) != 0) return FromErrno(errno);
    *out = uint64_t(st.st_size);
    return Error::kOk;
}

Error File::ReadAt(uint64_t off, void* buf, size_t n, size_t* got) {
    *got = 0;
    auto* p = static_cast<uint8_t*>(buf);
    while (*got < n) {
        ssize_t r = pread(fd_, p + *got, n - *got, off_t(off + *got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return FromErrno(errno);
        }
        if (r == 0) break;
        *got += size_t(r);
    }
    return Error::kOk;
}

Error File::WriteAt(uint64_t off, const void* buf, size_t n) {
    const auto* p = static_cast<const uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t r = pwrite(fd_, p + done, n - done, off_t(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return FromErrno(errno);
        }
        if (r == 0) return Error::kIo;
        done += size_t(r);
    }
    return Error::kOk;
}

Error File::Truncate(uint64_t size) {
    while (ftruncate(fd_, off_t(size)) != 0) {
        if (errno != EINTR) return FromErrno(errno);
    }
    return Error::kOk;
}

Error File::Sync() {
    return fsync(fd_) == 0 ? Error::kOk : FromErrno(errno);
}

Error File::Lock(bool exclusive) {
    struct flock fl = {};
    fl.l_type = short(exclusive ? F_WRLCK : F_RDLCK);
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(kLockOffset);
    fl.l_len = 1;
#ifdef F_OFD_SETLKW
    // Open-file-description locks: two volumes open in one process exclude each
    // other too, and closing one descriptor does not drop another's lock. They
    // conflict with classic record locks, which is what Wine takes for LockFileEx.
    for (;;) {
        if (fcntl(fd_, F_OFD_SETLKW, &fl) == 0) return Error::kOk;
        if (errno == EINTR) continue;
        if (errno != EINVAL) return Error::kLocked;
        break;  // kernel without OFD locks
    }
#endif
    for (;;) {
        if (fcntl(fd_, F_SETLKW, &fl) == 0) return Error::kOk;
        if (errno != EINTR) return Error::kLocked;
    }
}

void File::Unlock() {
    struct flock fl = {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(kLockOffset);
    fl.l_len = 1;
#ifdef F_OFD_SETLK
    if (fcntl(fd_, F_OFD_SETLK, &fl) == 0) return;
#endif
    fcntl(fd_, F_SETLK, &fl);
}

bool File::IsAt(const std::string& path) {
    struct stat a, b;
    if (fstat(fd_, &a) != 0 || ::stat(path.c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

#endif

}  // namespace cedb::detail
