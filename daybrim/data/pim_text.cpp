#include "pim_text.h"

namespace daybrim {

namespace {

// "A", "A1", "A12": an upper-case letter and at most two digits.
bool IsPriorityCode(const std::wstring& s) {
    if (s.empty() || s.size() > 3 || s[0] < L'A' || s[0] > L'Z') return false;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i] < L'0' || s[i] > L'9') return false;
    return true;
}

std::wstring AfterSeparator(const std::wstring& s, size_t sep) {
    size_t from = sep + 1;
    if (from < s.size() && s[from] == L' ') ++from;
    return s.substr(from);
}

}  // namespace

TaskSubject ParseTaskSubject(const std::wstring& subject, int pimSw) {
    TaskSubject r;
    std::wstring s = subject;
    if ((pimSw == 1 || pimSw == 2) && s.size() >= 5) {
        size_t sep = std::wstring::npos;
        for (wchar_t c : {L'|', L':'}) {
            for (size_t i = 1; i <= 3 && sep == std::wstring::npos; ++i)
                if (s[i] == c) sep = i;
            if (sep != std::wstring::npos) break;
        }
        if (sep != std::wstring::npos && IsPriorityCode(s.substr(0, sep))) {
            r.code = s.substr(0, sep);
            s = AfterSeparator(s, sep);
        }
    }
    if (s.size() > 2 && s[0] == L'|') {
        const size_t colon = s.find(L':');
        if (colon != std::wstring::npos) {
            // Only a plain decimal number counts; anything else stays in the title.
            const std::wstring digits = s.substr(1, colon - 1);
            bool ok = !digits.empty() && digits.size() <= 9;
            for (wchar_t c : digits) ok = ok && c >= L'0' && c <= L'9';
            if (ok) {
                r.counter = std::stoi(digits);
                s = AfterSeparator(s, colon);
            }
        }
    }
    r.title = s;
    return r;
}

std::wstring TaskDisplayTitle(const TaskSubject& s, bool hideCodes) {
    std::wstring t;
    if (!s.code.empty() && !hideCodes) t = L"(" + s.code + L") ";
    t += s.title;
    if (s.counter > 0) t += L" [" + std::to_wstring(s.counter) + L"]";
    return t;
}

std::wstring ContactDisplayName(int mode, const std::wstring& fileAs, const std::wstring& first,
                                const std::wstring& last) {
    std::wstring r;
    if (mode == 1) {
        r = first;
        if (!r.empty() && !last.empty()) r += L" ";
        r += last;
    } else if (mode == 2) {
        r = last;
        if (!r.empty() && !first.empty()) r += L", ";
        r += first;
    }
    return r.empty() ? fileAs : r;
}

ContactNameTexts BuildContactNames(const std::wstring& first, const std::wstring& last,
                                   const std::wstring& company) {
    ContactNameTexts t;
    if (!last.empty()) t.lastFirst = first.empty() ? last : last + L", " + first;
    if (!first.empty()) t.firstLast = last.empty() ? first : first + L" " + last;
    const std::wstring names = !last.empty() ? t.lastFirst : first;
    if (!company.empty()) {
        t.companyNames = names.empty() ? company : company + L" (" + names + L")";
        if (!names.empty()) t.namesCompany = names + L" (" + company + L")";
    }
    return t;
}

NumberEntry PreferredNumber(const std::vector<NumberEntry>& entries, uint32_t preferred) {
    for (const NumberEntry& e : entries)
        if (e.propid == preferred && !e.text.empty()) return e;
    for (const NumberEntry& e : entries)
        if (!e.text.empty()) return e;
    return NumberEntry{0xFFFFFFFFu, L""};
}

}  // namespace daybrim
