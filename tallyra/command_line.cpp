#include "command_line.h"

namespace tallyra {

namespace {

CeStd Lit(const char* s) {
    CeStd out;
    for (; *s; ++s) out.push_back(CeChar(*s));
    return out;
}

CeChar Lower(CeChar c) { return (c >= 'A' && c <= 'Z') ? CeChar(c + 32) : c; }

}  // namespace

Command ParseCommandLine(const CeStd& line) {
    Command c;
    if (line.empty()) return c;
    c.kind = Command::kNothing;
    if (line.size() < 3 || line[0] != '/' || line[2] != ':') return c;
    const CeChar verb = Lower(line[1]);
    if (verb != 'd' && verb != 's') return c;
    c.kind = verb == 'd' ? Command::kDial : Command::kText;
    c.number = line.substr(3);
    return c;
}

bool IsDialString(const CeStd& number) {
    if (number.empty()) return false;
    bool digit = false;
    for (CeChar ch : number) {
        if (ch >= '0' && ch <= '9') {
            digit = true;
            continue;
        }
        switch (ch) {
        case '+': case '*': case '#': case ' ': case '-': case '(': case ')': case '.': case '/':
        case ',': case ';': case 'p': case 'P': case 'w': case 'W':
            continue;
        }
        return false;
    }
    return digit;
}

bool TextMessageParameters(const CeStd& number, CeStd* out) {
    if (!IsDialString(number)) return false;
    *out = Lit("-subject \"\" -to \"") + number + Lit("\" -service \"SMS\"");
    return true;
}

FileNameCheck CheckFileName(const CeStd& name) {
    if (name.empty()) return FileNameCheck::kMissing;
    static const char kIllegal[] = "\\/:*?\"<>|";
    for (CeChar c : name) {
        if (c < 32) return FileNameCheck::kIllegal;
        for (const char* p = kIllegal; *p; ++p)
            if (c == CeChar(*p)) return FileNameCheck::kIllegal;
    }
    return FileNameCheck::kOk;
}

}  // namespace tallyra
