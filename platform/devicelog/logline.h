// One line of the device log: a flat JSON object, UTF-8, ending in "\n".
//   {"time":"2026-12-07T09:30:00","source":"phone","event":"call","pid":42,...}
// Values are strings, integers or booleans; nothing nests, so every line can be read
// on its own by a test, a native tool or a person. Platform-neutral.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devlog {

// A field as read back: its text is the decoded string for strings and the literal
// ("42", "true", "null") for the rest.
struct Field {
    enum class Kind { String, Number, Bool, Null };
    std::string name;
    Kind kind = Kind::String;
    std::string text;
};

class LineBuilder {
public:
    LineBuilder(std::string_view time, std::string_view source, std::string_view event);
    LineBuilder& Str(std::string_view name, std::string_view utf8);
    LineBuilder& Int(std::string_view name, int64_t value);
    LineBuilder& Bool(std::string_view name, bool value);
    // The finished line, with its newline.
    std::string Text() const { return body_ + "}\n"; }

private:
    void Key(std::string_view name);
    std::string body_;
};

// A JSON string literal (quotes included). Bytes that are not valid UTF-8 become
// U+FFFD, so a line stays valid JSON whatever a program hands the log.
std::string Quote(std::string_view utf8);

// Reads one line (a trailing "\r\n" or "\n" is allowed). Anything but a flat object
// of string, number, boolean and null values gives nullopt.
std::optional<std::vector<Field>> ParseLine(std::string_view line);

// The first field of that name, or null.
const Field* Find(const std::vector<Field>& fields, std::string_view name);

}  // namespace devlog
