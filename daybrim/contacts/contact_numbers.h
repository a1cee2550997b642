// A contact's numbers and addresses as the Contacts tab offers them: the label of
// each field, the order of the default-number popup and of the preview's rows,
// what each row does, and the texts of the menu items. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace daybrim {

// The record's fields, by property id.
enum ContactField : uint32_t {
    kFieldMobile = 0x0096001F, kFieldWork = 0x0097001F, kFieldWork2 = 0x0098001F, kFieldHome = 0x0099001F,
    kFieldHome2 = 0x009A001F, kFieldFax = 0x009B001F, kFieldMobile2 = 0x009D001F, kFieldCar = 0x009E001F,
    kFieldMobile3 = 0x009F001F, kFieldMail1 = 0x0090001F, kFieldMail2 = 0x0091001F, kFieldMail3 = 0x0092001F,
};

// The language string naming the field; 0 for an unknown one.
unsigned FieldLabel(uint32_t prop);

// Commands 41123..41132 make these the default number, in this order.
constexpr unsigned kCmdDefaultFirst = 41123;
extern const uint32_t kDefaultNumberOrder[10];

// What a preview row or toolbar button does when chosen (also the message's
// action kind). Open, edit and the contact's menu act on the contact itself, not
// on a value.
enum ContactAction : int {
    kActNone = 0, kActCall = 1, kActMail = 2, kActText = 3, kActOpen = 4, kActEdit = 5, kActMenu = 6,
};
// The preview toolbar's buttons, left to right, by the action each chooses; the
// last one only closes.
constexpr ContactAction kPreviewToolbar[4] = {kActOpen, kActEdit, kActMenu, kActNone};
inline bool IsItemAction(int action) { return action >= kActOpen && action <= kActMenu; }

// The values of one contact, by field; empty when not set.
struct ContactValues {
    struct Entry {
        uint32_t prop;
        std::wstring value;
    };
    std::vector<Entry> entries;
    const std::wstring& Of(uint32_t prop) const;
};

struct PreviewRow {
    ContactAction action;
    uint32_t prop;
    std::wstring value;
};
// The preview's rows in their order, only for values that are set; without the
// phone library calls do nothing and there is no text-message row.
std::vector<PreviewRow> PreviewRows(const ContactValues& v, bool phone);

// One item of the default-number popup or the call and mail menu.
struct NumberChoice {
    unsigned command;
    uint32_t prop;
    std::wstring text;  // label + ":  " + value
    bool checked;
};
// `labelOf` gives a label's text (the language library's).
template <typename LabelText>
std::vector<NumberChoice> DefaultNumberChoices(const ContactValues& v, uint32_t current, LabelText labelOf);
std::wstring ChoiceText(const std::wstring& label, const std::wstring& value);

// The D-pad's action on the preferred number (CntctsDPadActionOverride 2):
// mail, call, or none (the list's default handling).
ContactAction PreferredNumberAction(uint32_t prop);

template <typename LabelText>
std::vector<NumberChoice> DefaultNumberChoices(const ContactValues& v, uint32_t current, LabelText labelOf) {
    std::vector<NumberChoice> out;
    for (unsigned i = 0; i < 10; ++i) {
        const uint32_t prop = kDefaultNumberOrder[i];
        const std::wstring& value = v.Of(prop);
        if (value.empty()) continue;
        out.push_back({kCmdDefaultFirst + i, prop, ChoiceText(labelOf(FieldLabel(prop)), value), prop == current});
    }
    return out;
}

}  // namespace daybrim
