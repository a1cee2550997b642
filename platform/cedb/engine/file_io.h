// The few file operations the engine needs, over POSIX descriptors or Win32 handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "volume.h"

namespace cedb::detail {

class File {
public:
    // Opens read-write, sharing everything (other processes read, write, rename and
    // delete it meanwhile). kNotFound when missing and !create.
    static Error Open(const std::string& path, bool create, std::unique_ptr<File>* out);
    // Atomically replaces `to` by `from` (both on one file system).
    static Error Replace(const std::string& from, const std::string& to);
    static void Remove(const std::string& path);

    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    Error Size(uint64_t* out);
    // Reads up to n bytes; fewer only at the end of the file.
    Error ReadAt(uint64_t off, void* buf, size_t n, size_t* got);
    Error WriteAt(uint64_t off, const void* buf, size_t n);
    Error Truncate(uint64_t size);
    Error Sync();
    // Blocking byte-range lock on one byte far past any data; interoperates
    // between native processes and Win32 processes under Wine.
    Error Lock(bool exclusive);
    void Unlock();
    // Whether `path` still names this open file (false also when it is gone).
    bool IsAt(const std::string& path);

private:
    File() = default;
#ifdef _WIN32
    void* h_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// Holds a File's lock for a scope.
class FileLock {
public:
    FileLock(File& f, bool exclusive) : f_(&f) { err_ = f.Lock(exclusive); }
    ~FileLock() { if (err_ == Error::kOk) f_->Unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    Error error() const { return err_; }

private:
    File* f_;
    Error err_;
};

}  // namespace cedb::detail
