// The ini reader and writer of the contact finder's skin file ("skin.ini").
// Platform-neutral: it works on the file's bytes; reading and writing the file
// itself is the caller's.
//
// Text is UTF-16 little-endian when it starts with the byte-order mark, otherwise
// ANSI, converted through a decoder the caller may supply (the device's code page
// on the device; Windows-1252 by default).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ce_string.h"

using AnsiDecoder = std::function<CeStd(const uint8_t* bytes, size_t n)>;
using AnsiEncoder = std::function<std::vector<uint8_t>(const CeStd& text)>;
CeStd DecodeWindows1252(const uint8_t* bytes, size_t n);
std::vector<uint8_t> EncodeWindows1252(const CeStd& text);  // '?' for what it cannot hold

class CIniSection {
public:
    const std::map<CeStd, CeStd>& values() const { return values_; }
    const CeStd* Find(const CeStd& key) const;
    void Set(const CeStd& key, const CeStd& value) { values_[key] = value; }

private:
    std::map<CeStd, CeStd> values_;  // names compare exactly
};

enum class IniEncoding { kUtf16, kAnsi };

class CIniFile {
public:
    // Replaces the contents with the parsed bytes; a freshly loaded file is unmodified.
    void LoadBytes(const uint8_t* bytes, size_t n, const AnsiDecoder& ansi = DecodeWindows1252);
    void LoadText(const CeStd& text);

    const CIniSection* FindSection(const CeStd& name) const;
    // The value with leading and trailing white space removed; false when absent.
    bool GetValue(const CeStd& section, const CeStd& key, CeStd* out) const;
    void SetValue(const CeStd& section, const CeStd& key, const CeStd& value);

    bool modified() const { return modified_; }
    void MarkSaved() { modified_ = false; }
    // Each section as CR LF "[name]" CR LF and its key=value lines, each ending CR LF.
    // UTF-16 carries its byte-order mark, so that reading it back takes it as UTF-16.
    std::vector<uint8_t> Serialize(IniEncoding enc = IniEncoding::kUtf16,
                                   const AnsiEncoder& ansi = EncodeWindows1252) const;
    const std::map<CeStd, CIniSection>& sections() const { return sections_; }

private:
    std::map<CeStd, CIniSection> sections_;
    bool modified_ = false;
};

CeStd TrimSpace(const CeStd& s);
