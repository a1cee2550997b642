// Finding the phone numbers a person typed into an appointment or a task: what the
// Dial Number and Send Text Message menus offer.
#pragma once
#include <vector>

#include "ce_string.h"

namespace tallyext {

// The numbers in `text`, in order of appearance, duplicates kept.
//
// A number starts at a digit or at one of ( * + # and runs over digits and the
// characters ( * + # ) , p w - and space (the pause and wait codes and the
// separators people write). A run with more than two digits is a number, taken as
// written, separators and trailing spaces included: tallyra dials what it is given
// and the menu shows what the user typed. "ext 12" is no number: "e" ends the run
// before it and "12" alone has two digits.
std::vector<CeStd> FindNumbers(const CeChar* text, size_t length);
inline std::vector<CeStd> FindNumbers(const CeStd& text) { return FindNumbers(text.data(), text.size()); }

}  // namespace tallyext
