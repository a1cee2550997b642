// The finder's command line and the texts its actions hand to other programs.
#pragma once
#include "ce_string.h"

namespace tallyra {

struct Command {
    enum Kind { kWindow, kDial, kText, kNothing } kind = kWindow;
    CeStd number;
};

// Empty: the normal start with a window. "/d:" or "/s:" (any case) followed by a
// number: dial it or start a text message, without a window. Anything else: nothing.
Command ParseCommandLine(const CeStd& line);

// Characters a dial string may hold: digits, + * # and the separators and pause
// codes people write into numbers. Nothing that could end a quoted argument.
bool IsDialString(const CeStd& number);

// The mail program's parameters for a text message to `number`; false (and no
// text) when the number is not a dial string, since it goes into a quoted argument.
bool TextMessageParameters(const CeStd& number, CeStd* out);

// A file name the chooser may append to its folder: not empty, and none of the
// characters that name another folder or a device (\ / :) or are not allowed in a
// name (* ? " < > |).
enum class FileNameCheck { kOk, kMissing, kIllegal };
FileNameCheck CheckFileName(const CeStd& name);

}  // namespace tallyra
