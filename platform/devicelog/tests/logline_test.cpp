// The device log's line format: what a stand-in writes, any reader gets back.
#include <gtest/gtest.h>

#include "logline.h"

using devlog::Field;

TEST(LogLine, WritesOneFlatObjectPerLine) {
    std::string line = devlog::LineBuilder("2026-12-07T09:30:00", "phone", "call")
                           .Int("pid", 7)
                           .Str("number", "+49 30")
                           .Bool("prompt", false)
                           .Text();
    EXPECT_EQ(
        "{\"time\":\"2026-12-07T09:30:00\",\"source\":\"phone\",\"event\":\"call\",\"pid\":7,"
        "\"number\":\"+49 30\",\"prompt\":false}\n",
        line);
    auto fields = devlog::ParseLine(line);
    ASSERT_TRUE(fields);
    ASSERT_EQ(6u, fields->size());
    EXPECT_EQ("phone", devlog::Find(*fields, "source")->text);
    EXPECT_EQ(Field::Kind::Number, devlog::Find(*fields, "pid")->kind);
    EXPECT_EQ("false", devlog::Find(*fields, "prompt")->text);
    EXPECT_EQ(nullptr, devlog::Find(*fields, "missing"));
}

TEST(LogLine, TextThatBreaksJsonRoundTrips) {
    // Command lines carry quotes and backslashes; message texts carry line breaks.
    const std::string nasty = "-to \"a\\b\"\r\n\t\x01 caf\xC3\xA9 \xF0\x9F\x98\x80";
    std::string line = devlog::LineBuilder("t", "s", "e").Str("x", nasty).Text();
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one physical line";
    auto fields = devlog::ParseLine(line);
    ASSERT_TRUE(fields);
    EXPECT_EQ(nasty, devlog::Find(*fields, "x")->text);
}

TEST(LogLine, InvalidUtf8IsReplacedNotPassedOn) {
    // A lone continuation byte, a truncated sequence, an overlong slash, a surrogate.
    std::string line =
        devlog::LineBuilder("t", "s", "e").Str("x", "a\x80" "b\xC3" "c\xC0\xAF" "d\xED\xA0\x80").Text();
    auto fields = devlog::ParseLine(line);
    ASSERT_TRUE(fields);
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ("a" + r + "b" + r + "c" + r + r + "d" + r + r + r, devlog::Find(*fields, "x")->text);
}

TEST(LogLine, ReadsEscapesAndSurrogatePairs) {
    auto fields = devlog::ParseLine("{\"a\":\"\\u00e9\\ud83d\\ude00\\/\",\"n\":-1.5e3,\"z\":null}\r\n");
    ASSERT_TRUE(fields);
    EXPECT_EQ("\xC3\xA9\xF0\x9F\x98\x80/", (*fields)[0].text);
    EXPECT_EQ("-1.5e3", (*fields)[1].text);
    EXPECT_EQ(Field::Kind::Null, (*fields)[2].kind);
}

TEST(LogLine, RejectsWhatIsNotALine) {
    for (const char* bad : {"", "{", "[]", "{\"a\":1", "{\"a\":{}}", "{\"a\":[1]}", "{\"a\":1,}", "{\"a\" 1}",
                            "{\"a\":\"x}", "{\"a\":\"\\ud800\"}", "{\"a\":\"\\udc00x\"}", "{\"a\":\"\\q\"}",
                            "{\"a\":\"\x01\"}", "{\"a\":01x}", "{\"a\":-}", "{\"a\":1.}", "{\"a\":tru}",
                            "{\"a\":1} {}", "{\"a\":\"\xFF\"}"})
        EXPECT_FALSE(devlog::ParseLine(bad)) << bad;
}
