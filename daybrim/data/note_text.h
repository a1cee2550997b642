// An item's note as the floating note window shows it: the record's note text,
// or its note stream, or the note of one changed occurrence of a series. Notes
// come from other programs and may be large or odd: what is shown is capped and
// never read past its bytes. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace daybrim {

// At most this many characters are shown (64 KB of UTF-16); the rest is cut
// with a marker line.
constexpr size_t kNoteCapChars = 32 * 1024;
// The line that says the note goes on beyond what is shown.
constexpr wchar_t kNoteCutMarker[] = L"\r\n...";

// The text fitted for a multi-line edit box: bare line feeds and carriage
// returns become CR LF, the text stops at a NUL and at `cap` characters.
std::wstring NoteForDisplay(const std::wstring& text, size_t cap = kNoteCapChars);

// A note stream's bytes as text: UTF-16 (little-endian; with or without its byte
// order mark), UTF-8 with its mark, otherwise one byte a character. Then as
// NoteForDisplay.
std::wstring NoteFromBytes(const uint8_t* data, size_t size, size_t cap = kNoteCapChars);

// The note bytes of the changed occurrence of `pattern` (a recurrence stream)
// that replaces the occurrence of `originalDate` (minutes, its midnight): true
// with `out` set when that occurrence has a note of its own; false when the
// pattern does not parse, has no such occurrence or the occurrence keeps the
// series' note.
bool ExceptionNote(const std::vector<uint8_t>& pattern, uint32_t originalDate, std::vector<uint8_t>* out);

}  // namespace daybrim
