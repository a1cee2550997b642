// Mail text rules: senders, character sets, transfer encodings, MIME structure,
// preview clean-up.
#include <gtest/gtest.h>

#include <string>

#include "mail_model.h"
#include "mail_text.h"

namespace daybrim {
namespace {

std::string U8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else {
            char buf[8];
            snprintf(buf, sizeof buf, "<%04X>", unsigned(c));
            out += buf;
        }
    }
    return out;
}

TEST(MailSender, SplitsDisplayNameAndAddress) {
    struct Case {
        std::u16string value, name, address;
    } cases[] = {
        {u"\"Anna Lindqvist\" <anna@nordlicht.example>", u"Anna Lindqvist", u"anna@nordlicht.example"},
        {u"anna@nordlicht.example", u"anna@nordlicht.example", u""},
        {u"Bastian Krüger <b@k.example>", u"Bastian Krüger", u"b@k.example"},
        {u"\"Too short\" <a>", u"\"Too short\" <a>", u""},  // fewer than three characters left
        {u"\"\" <x@y.example>", u"x@y.example", u"x@y.example"},
        {u"\"Unclosed <z@y.example", u"\"Unclosed <z@y.example", u""},
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        MailSender s = ParseSender(c.value);
        EXPECT_EQ(s.name, c.name) << U8(c.value);
        EXPECT_EQ(s.address, c.address) << U8(c.value);
    }
}

TEST(MailCharset, DecodesTheDeclaredSet) {
    struct Case {
        const char* charset;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"utf-8", "Gr\xC3\xBC\xC3\x9F" "e", u"Grüße"},
        {"UTF8", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"iso-8859-1", "Gr\xFC\xDF" "e", u"Grüße"},
        {"\"us-ascii\"", "plain", u"plain"},
        {"windows-1252", "\x80uro", u"€uro"},
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"},
        {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", u"Привет"},
        {"iso-8859-7", "\xC3\xE5\xE9\xDC\x20\xF3\xEF\xF5", u"Γειά σου"},
        {"iso-8859-8-i", "\xF9\xEC\xE5\xED", u"שלום"},
        // Malformed UTF-8: a lone continuation byte, a cut-off sequence, an overlong
        // slash and an encoded surrogate each become one replacement character.
        {"utf-8", "a\x80" "b\xE2\x82", u"a\uFFFDb\uFFFD"},
        {"utf-8", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"utf-8", "\xED\xA0\x80", u"\uFFFD"},
        {"x-unknown", "ok \xC3\xA9", u"ok é"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(U8(DecodeCharset(c.bytes, CharsetByName(c.charset))), U8(c.text)) << c.charset;
}

TEST(MailTransfer, QuotedPrintableAndBase64) {
    struct Case {
        const char* name;
        bool base64;
        std::string in, out;
    } cases[] = {
        {"qp escapes", false, "Gr=C3=BC=C3=9Fe", "Gr\xC3\xBC\xC3\x9F" "e"},
        {"qp soft break crlf", false, "long li=\r\nne", "long line"},
        {"qp soft break lf", false, "long li=\nne", "long line"},
        {"qp lower hex", false, "=e9t=e9", "\xE9t\xE9"},
        {"qp not an escape", false, "a=ZZb", "a=ZZb"},
        {"qp cut in escape", false, "abc=C", "abc"},
        {"b64", true, "SGVsbG8sIHdvcmxk", "Hello, world"},
        {"b64 lines and padding", true, "SGVs\r\nbG8=\r\n", "Hello"},
        {"b64 cut mid quantum", true, "SGVsbG", "Hell"},
        {"b64 junk ignored", true, "SG*V\tsbG8", "Hello"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.base64 ? DecodeBase64(c.in) : DecodeQuotedPrintable(c.in), c.out) << c.name;
}

TEST(MailMime, FindsTheFirstTextPart) {
    const std::string multipart =
        "From: a@b.example\r\nDate: Mon, 7 Dec 2026 08:00:00 +0100\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed;\r\n boundary=\"XYZ-outer\"\r\n\r\n"
        "preamble\r\n--XYZ-outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner-1\r\n\r\n"
        "--inner-1\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>html</p>\r\n"
        "--inner-1\r\nContent-Type: text/plain; charset=koi8-r\r\nContent-Transfer-Encoding: base64\r\n"
        "X-Extra: one\r\nX-Extra: two\r\n\r\n8NLJ18XU\r\n"
        "--inner-1--\r\n--XYZ-outer\r\nContent-Type: text/plain\r\nContent-Disposition: attachment\r\n\r\n"
        "not this\r\n--XYZ-outer--\r\n";
    struct Case {
        const char* name;
        std::string raw;
        std::u16string text;
        bool html, found;
    } cases[] = {
        {"plain, no headers beyond type", "Content-Type: text/plain; charset=iso-8859-1\r\n\r\nGr\xFC\xDF" "e\r\n",
         u"Grüße\r\n", false, true},
        {"defaults and bare line feeds", "Subject: x\n\nline one\nline two", u"line one\r\nline two", false, true},
        {"nested alternative prefers plain; part headers of any length", multipart, u"Привет", false, true},
        {"only html", "Content-Type: text/html\r\n\r\n<b>hi</b>", u"<b>hi</b>", true, true},
        {"quoted-printable greek",
         "Content-Type: text/plain; charset=\"iso-8859-7\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
         "=C3=E5=E9=DC",
         u"Γειά", false, true},
        {"attachment only",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: image/png\r\n\r\nPNG\r\n--b--\r\n",
         u"", false, false},
        {"cut before the closing delimiter",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\npartial te",
         u"partial te", false, true},
        {"cut inside the headers", "Content-Type: text/plain\r\nX-Long: aaa", u"", false, true},
        {"multipart without boundary", "Content-Type: multipart/mixed\r\n\r\n--x\r\n", u"", false, false},
    };
    for (const Case& c : cases) {
        MimeText t = FirstTextPart(c.raw, 1000);
        EXPECT_EQ(t.found, c.found) << c.name;
        EXPECT_EQ(t.html, c.html) << c.name;
        EXPECT_EQ(U8(t.text), U8(c.text)) << c.name;
    }
}

TEST(MailMime, CapsTheTextWithoutSplittingAPair) {
    const std::string raw = "Content-Type: text/plain; charset=utf-8\r\n\r\nab\xF0\x9F\x98\x80" "cd";
    EXPECT_EQ(FirstTextPart(raw, 3).text, u"ab");
    EXPECT_EQ(FirstTextPart(raw, 4).text, u"ab\U0001F600");
    EXPECT_EQ(FirstTextPart(raw, 100).text, u"ab\U0001F600cd");
}

TEST(MailPreview, WhitespaceAndTextMessages) {
    struct Case {
        const char* name;
        std::u16string in, out;
    } cases[] = {
        {"tabs and spaces", u"a\t\t b    c", u"a b c"},
        {"indented lines", u"one\r\n   \r\n\r\n  two", u"one\r\ntwo"},
        {"blank lines kept", u"one\r\n\r\ntwo", u"one\r\n\r\ntwo"},
    };
    for (const Case& c : cases) EXPECT_EQ(CleanWhitespace(c.in), c.out) << c.name;
    EXPECT_EQ(TextMessageBody(u"a\nb"), u"a\rb");
    EXPECT_EQ(TextMessageBody(u"a\r\nb\nc"), u"a\r\nb\nc");
    EXPECT_EQ(TextMessageBody(u"a\n\rb"), u"a\n\rb");
    EXPECT_EQ(TruncatedNote(false), u"\r\n[Message truncated]");
}

}  // namespace
}  // namespace daybrim

#ifdef DEMO_MAIL_DIR
namespace daybrim {
namespace {

// The demo device's messages, written by a real mail library in several character
// sets and encodings: the reader finds the same first text as that library did.
TEST(MailMime, ReadsTheDemoMessages) {
    struct Case {
        const char* file;
        std::u16string start;
        bool html;
    } cases[] = {
        {"Home/01-shabbat.eml", u"שלום אנה,\r\n\r\nנשמח", false},
        {"Home/02-bilety.eml", u"Привет!\r\n\r\nБилеты на поезд", false},
        {"Home/03-marche.eml", u"Coucou Anna,\r\n\r\nOn se retrouve samedi au marché", false},
        {"Work/01-quartal.eml", u"Hallo Anna,\r\n\r\nanbei die Zahlen für das dritte Quartal", false},
        {"Work/02-vstrecha.eml", u"Добрый день!\r\n\r\nПодтверждаю встречу", false},
        {"Work/03-prosfora.eml", u"Καλησπέρα,\r\n\r\nσας στέλνω την προσφορά", false},
        {"Work/04-newsletter.eml", u"<html><body><h1>Harbourline news</h1>", true},
    };
    for (const Case& c : cases) {
        std::string path = std::string(DEMO_MAIL_DIR) + "/" + c.file;
        FILE* f = fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        std::string raw;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
        fclose(f);
        MimeText t = FirstTextPart(raw, kPreviewChars);
        ASSERT_TRUE(t.found) << c.file;
        EXPECT_EQ(t.html, c.html) << c.file;
        EXPECT_EQ(U8(t.text.substr(0, c.start.size())), U8(c.start)) << c.file;
        EXPECT_EQ(t.text.find(u'\uFFFD'), std::u16string::npos) << c.file;
    }
}
}  // namespace
}  // namespace daybrim
#endif
