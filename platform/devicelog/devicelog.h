// The device log: what the platform's stand-ins were asked to do (a call dialled, a
// program started with its command line, a message box answered...), one JSON line
// per event (logline.h), so that tests and `./dev devctl log` can see it.
//
// It lives in the device image at \Windows\devicelog.jsonl (build/device/Windows/
// on the host). Every line:
//   {"time":"<device clock, YYYY-MM-DDTHH:MM:SS>","source":"phone"|"tmail"|...,
//    "event":"...","pid":<process id>, ...fields of that event}
// Several processes append at once: each line is written whole under an exclusive
// byte-range lock, which native tools honour as well (fcntl).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "logline.h"

namespace devlog {

// Rooted, as CE paths are: device programs run with their current directory on the
// device drive.
constexpr wchar_t kLogPath[] = L"\\Windows\\devicelog.jsonl";

std::string Utf8(const std::wstring& s);
std::wstring Wide(const std::string& utf8);

class Event {
public:
    Event(const char* source, const char* event);
    Event& Str(const char* name, const std::wstring& value);
    Event& Str(const char* name, const wchar_t* value);  // null is logged as ""
    Event& Int(const char* name, long long value);
    Event& Bool(const char* name, bool value);
    Event& Hex(const char* name, const void* data, size_t size);  // upper-case pairs
    // Appends the line; false when the log could not be written (the caller goes on:
    // a stand-in never fails because its log did).
    bool Append() const;

private:
    LineBuilder line_;
};

// The log's size in bytes now (0 when there is none): tests read what came after.
unsigned long long LogSize();
// Every well-formed line from byte offset `from` on; malformed lines are skipped.
std::vector<std::vector<Field>> ReadLog(unsigned long long from = 0);

}  // namespace devlog
