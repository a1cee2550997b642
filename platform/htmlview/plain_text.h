// The HTML view's text rules: an HTML document as the plain text it shows.
#pragma once

#include <string>

namespace htmlview {

// Markup dropped (script and style content with it), runs of white space folded
// into one space as HTML does, line breaks at <br>, paragraphs, divisions, list
// items and table rows, and the common character references decoded.
std::wstring PlainFromHtml(const std::wstring& html);

}  // namespace htmlview
