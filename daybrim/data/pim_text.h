// Text rules of the PIM records: task subject codes and counters, contact names
// and the preferred number. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace daybrim {

// What a task's subject carries besides its title.
struct TaskSubject {
    std::wstring code;     // priority code such as "A1"; empty when none
    int counter = 0;       // "|3:..." counter; 0 when none
    std::wstring title;    // the subject without code and counter
};
// `pimSw`: 1 Pocket Informant and 2 Agenda Fusion know priority codes.
TaskSubject ParseTaskSubject(const std::wstring& subject, int pimSw);
// The title shown: "(A1) " before it unless hidden, " [3]" after it.
std::wstring TaskDisplayTitle(const TaskSubject& s, bool hideCodes);

// Display name of a contact by naming mode: 1 "First Last", 2 "Last, First";
// other modes, or no names, give the file-as name.
std::wstring ContactDisplayName(int mode, const std::wstring& fileAs, const std::wstring& first,
                                const std::wstring& last);

// The four texts of readContactNames: "Last, First"; "First Last";
// "Company (Last, First)"; "Last, First (Company)".
struct ContactNameTexts {
    std::wstring lastFirst, firstLast, companyNames, namesCompany;
};
ContactNameTexts BuildContactNames(const std::wstring& first, const std::wstring& last,
                                   const std::wstring& company);

// One of a contact's ten number entries (nine phones and the first e-mail).
struct NumberEntry {
    uint32_t propid = 0;
    std::wstring text;
};
// The contact's number: the entry named by `preferred` when it has text, else the
// first non-empty entry in list order; propid 0xFFFFFFFF and empty text when none.
NumberEntry PreferredNumber(const std::vector<NumberEntry>& entries, uint32_t preferred);

}  // namespace daybrim
