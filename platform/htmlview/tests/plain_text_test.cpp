// What the HTML view shows for a document.
#include <gtest/gtest.h>

#include "plain_text.h"

namespace htmlview {
namespace {

TEST(PlainFromHtml, DropsMarkupKeepsBreaksDecodesEntities) {
    struct Case {
        const char* name;
        std::wstring html, text;
    } cases[] = {
        {"paragraphs", L"<html><body><p>One</p><p>Two</p></body></html>", L"One\r\nTwo"},
        {"white space folds", L"a \r\n\t  b", L"a b"},
        {"br", L"line<br>next<BR/>last", L"line\r\nnext\r\nlast"},
        {"script and style vanish", L"<style>p{}</style>x<SCRIPT>alert(1)</script>y", L"xy"},
        {"entities", L"&lt;tag&gt; &amp; &quot;q&quot; &#1055;&#x440;", L"<tag> & \"q\" Пр"},
        {"unknown or broken entities stay", L"&bogus; &#xD800; & a", L"&bogus; &#xD800; & a"},
        {"attributes", L"<a href=\"x>y\">link</a>", L"y\">link"},
        {"cut-off tag", L"text<b", L"text"},
        {"empty", L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(PlainFromHtml(c.html), c.text) << c.name;
}

}  // namespace
}  // namespace htmlview
