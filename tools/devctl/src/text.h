// Text and date conversions of the device tool: UTF-8 <-> UTF-16, ISO 8601 dates,
// hex blobs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pimcodec/pimtime.h"

namespace devctl {

// Strict: ill-formed UTF-8 gives nullopt (nlohmann::json already refuses it on
// parse, this guards values that come from elsewhere).
std::optional<std::u16string> Utf16FromUtf8(const std::string& s);
// Unpaired surrogates become U+FFFD: the store may hold anything.
std::string Utf8FromUtf16(const std::u16string& s);

struct IsoTime {
    pimcodec::CivilDateTime t;
    bool hasTime = false;   // "YYYY-MM-DD" alone has none
    bool utc = false;       // trailing 'Z'
};
// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM", "YYYY-MM-DDTHH:MM:SS", each optionally with 'Z';
// a space may stand for 'T'. Dates before 1601 or after 30827 are refused.
std::optional<IsoTime> ParseIso(const std::string& s);
std::string FormatIsoUtc(uint64_t filetime);   // "2026-12-07T08:00:00Z"
std::string FormatIsoDate(const pimcodec::CivilDate& d);

std::string Hex(const std::vector<uint8_t>& b);
std::optional<std::vector<uint8_t>> FromHex(const std::string& s);
std::string Hex32(uint32_t v);   // "0x0020001F"

}  // namespace devctl
