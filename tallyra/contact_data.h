// What a contact record means to the finder: the property ids it reads, the title
// it shows, the number it prefers, and the actions each number offers.
#pragma once
#include <cstdint>
#include <vector>

#include "ce_string.h"

namespace tallyra {

namespace prop {
constexpr uint32_t kDefaultNumber = 0x00F80013;  // CEVT_UI4: the property id of the default number
constexpr uint32_t kFileAs = 0x0080001F;
constexpr uint32_t kFirstName = 0x0082001F;
constexpr uint32_t kLastName = 0x0084001F;
constexpr uint32_t kSortTieBreak = 0x01020013;
constexpr uint32_t kNone = 0xFFFFFFFF;  // a contact without any number or address
}  // namespace prop

// Numbers and addresses in the order they are examined and listed.
extern const uint32_t kNumberOrder[14];
// The 18 properties read per record, in request order.
extern const uint32_t kReadOrder[18];

enum class IconGroup { kNone = -1, kHome, kCar, kCell, kWork, kFax, kEmail };
IconGroup IconOf(uint32_t property);
// Language-library string id of the number's label, 0 when none.
int LabelIdOf(uint32_t property);
bool IsEmail(uint32_t property);
// Numbers the Talk key dials: faxes and e-mail addresses are not.
bool TalkKeyDials(uint32_t property);

struct ContactNumber {
    CeString text;
    uint32_t property = prop::kNone;
};

// The record as read: which of the 18 properties were present, and their values.
struct ContactProps {
    bool hasDefault = false;
    uint32_t defaultNumber = 0;
    CeStd fileAs, first, last;
    // Present numbers and addresses, any order.
    std::vector<ContactNumber> numbers;
};

// TitleFormat 0: file-as; 1: first, last; 2: last, first (an empty part drops the comma).
CeStd FormatTitle(unsigned format, const ContactProps& p);
// The one number of a list row: the default when present, else the first in number
// order; an empty number with property kNone when the contact has none.
ContactNumber PreferredNumber(const ContactProps& p);
// All numbers in number order, the default first.
std::vector<ContactNumber> AllNumbers(const ContactProps& p);

// Rows of the expanded view.
enum ActionKind { kCall = 1, kText = 2, kMail = 4 };
struct ActionRow {
    int kind;
    size_t number;  // index into the contact's full number list
};
std::vector<ActionRow> ActionRows(const std::vector<ContactNumber>& numbers);

}  // namespace tallyra
