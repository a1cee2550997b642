// An ini file on the device's file system: loaded from its path, and written back
// (UTF-16) when it is destroyed with changes, so that a caller's SetValue is never
// lost. The parsing and the text layout are CIniFile's.
#pragma once
#include <windows.h>

#include <string>

#include "ini_file.h"

class CIniDiskFile : public CIniFile {
public:
    CIniDiskFile() = default;
    CIniDiskFile(const CIniDiskFile&) = delete;
    CIniDiskFile& operator=(const CIniDiskFile&) = delete;
    ~CIniDiskFile() { Save(); }

    // Remembers the path and parses the file; false when it could not be read (the
    // contents are then empty, and a later change still creates the file).
    bool Load(const std::wstring& path);
    // Writes the contents back when they changed since loading or the last save.
    // The old file is replaced only once the new one is complete.
    bool Save();
    const std::wstring& name() const { return name_; }

private:
    std::wstring name_;
};

// ANSI text of the device's code page, for CIniFile::LoadBytes.
CeStd DecodeSystemAnsi(const uint8_t* bytes, size_t n);
