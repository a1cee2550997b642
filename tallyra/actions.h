// The three things the finder does with a number: call it, text it, mail it.
#pragma once
#include <windows.h>

#include "ce_string.h"

namespace tallyra {

// PhoneMakeCall; nothing when the phone library or the function is missing.
bool Dial(const CeString& number);
// The mail program's text-message composer. A number that is not a dial string is
// refused with no action: it would go into the program's quoted command line.
bool TextMessage(const CeString& number);
bool Mail(const CeString& address, HWND owner);

}  // namespace tallyra
