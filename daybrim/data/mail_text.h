// Text rules of the mail store: sender values, message bodies in their stored
// forms (raw MIME with its transfer encodings and character sets, plain text),
// and the clean-up a preview gets. Platform-neutral; every function accepts any
// bytes, including a message cut off anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace daybrim {

// A sender value split into display name and address. An empty name means the
// value was empty (the caller shows its "unknown sender" text).
struct MailSender {
    std::u16string name;
    std::u16string address;
};
MailSender ParseSender(const std::u16string& value);

enum class Charset { kUtf8, kLatin1, kWindows1252, kWindows1251, kIso8859_7, kIso8859_8, kKoi8R };
// By its MIME name, ignoring case and quotes; anything unknown reads as UTF-8.
Charset CharsetByName(std::string_view name);
// Bytes to UTF-16; malformed UTF-8 and undefined bytes become U+FFFD.
std::u16string DecodeCharset(std::string_view bytes, Charset cs);

// Content transfer encodings. Input ending mid-way decodes as far as it is whole.
std::string DecodeQuotedPrintable(std::string_view in);
std::string DecodeBase64(std::string_view in);

// The headers of a message or of one part: read line by line up to the first
// empty line (CRLF or LF endings, folded lines joined).
struct MimeHeaders {
    std::string type = "text/plain";  // lower case, parameters removed
    std::string charset;               // lower case, as given
    std::string boundary;
    std::string encoding;              // transfer encoding, lower case
    bool attachment = false;           // Content-Disposition: attachment
    size_t bodyStart = 0;              // offset of the body in the text read
    bool complete = false;             // the empty line was found
};
MimeHeaders ReadMimeHeaders(std::string_view text);

// The first text part of a raw message (in a multipart alternative, its plain
// text when it has one), decoded to UTF-16 with CRLF line ends, at most maxChars
// long. found is false when the message holds no text part.
struct MimeText {
    std::u16string text;
    bool html = false;
    bool found = false;
};
MimeText FirstTextPart(std::string_view raw, size_t maxChars);

// The preview's whitespace rules: tab runs and then space runs become one space,
// and a line break followed by spaces and further breaks becomes one line break.
std::u16string CleanWhitespace(const std::u16string& text);

// A text message's body is its subject; lone line feeds become carriage returns
// unless the text already breaks its lines with CR LF or LF CR.
std::u16string TextMessageBody(const std::u16string& subject);

// How much of a stored body a preview reads, and how long its text may get: a
// message with large attachments is never read whole.
constexpr size_t kPreviewBytes = 64 * 1024;
constexpr size_t kPreviewChars = 16 * 1024;

// The marker added to a message that was only partly downloaded.
std::u16string TruncatedNote(bool html);

}  // namespace daybrim
