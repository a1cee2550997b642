#include "contact_data.h"

namespace tallyra {

const uint32_t kNumberOrder[14] = {0x0096001F, 0x0097001F, 0x0098001F, 0x0099001F, 0x009A001F,
                                   0x009D001F, 0x009E001F, 0x009F001F, 0x00A1001F, 0x00A0001F,
                                   0x009B001F, 0x0090001F, 0x0091001F, 0x0092001F};

const uint32_t kReadOrder[18] = {0x00F80013, 0x0080001F, 0x0082001F, 0x0084001F, 0x0097001F, 0x0098001F,
                                 0x0096001F, 0x0099001F, 0x009A001F, 0x0090001F, 0x0091001F, 0x0092001F,
                                 0x009B001F, 0x009D001F, 0x009E001F, 0x009F001F, 0x00A1001F, 0x00A0001F};

namespace {

struct NumberInfo {
    uint32_t property;
    IconGroup icon;
    int label;
};
const NumberInfo kInfo[14] = {
    {0x0096001F, IconGroup::kCell, 8046}, {0x0097001F, IconGroup::kWork, 8047},
    {0x0098001F, IconGroup::kWork, 8048}, {0x0099001F, IconGroup::kHome, 8041},
    {0x009A001F, IconGroup::kHome, 8042}, {0x009D001F, IconGroup::kCell, 8045},
    {0x009E001F, IconGroup::kCar, 8043},  {0x009F001F, IconGroup::kCell, 8044},
    {0x00A1001F, IconGroup::kWork, 8049}, {0x00A0001F, IconGroup::kWork, 8050},
    {0x009B001F, IconGroup::kFax, 8051},  {0x0090001F, IconGroup::kEmail, 8052},
    {0x0091001F, IconGroup::kEmail, 8053}, {0x0092001F, IconGroup::kEmail, 8054}};

const NumberInfo* InfoOf(uint32_t property) {
    for (const NumberInfo& i : kInfo)
        if (i.property == property) return &i;
    return nullptr;
}

int OrderOf(uint32_t property) {
    for (int i = 0; i < 14; ++i)
        if (kNumberOrder[i] == property) return i;
    return 14;
}

CeStd Join(const CeStd& a, const CeStd& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    CeStd out = a;
    out.push_back(',');
    out.push_back(' ');
    return out + b;
}

}  // namespace

IconGroup IconOf(uint32_t property) {
    const NumberInfo* i = InfoOf(property);
    return i ? i->icon : IconGroup::kNone;
}

int LabelIdOf(uint32_t property) {
    const NumberInfo* i = InfoOf(property);
    return i ? i->label : 0;
}

bool IsEmail(uint32_t property) { return IconOf(property) == IconGroup::kEmail; }

bool TalkKeyDials(uint32_t property) {
    switch (property) {
    case 0x0096001F: case 0x0097001F: case 0x0098001F: case 0x0099001F: case 0x009A001F:
    case 0x009D001F: case 0x009E001F: case 0x009F001F: case 0x00A1001F:
        return true;
    }
    return false;
}

CeStd FormatTitle(unsigned format, const ContactProps& p) {
    switch (format) {
    case 1: return Join(p.first, p.last);
    case 2: return Join(p.last, p.first);
    }
    return p.fileAs;
}

std::vector<ContactNumber> AllNumbers(const ContactProps& p) {
    std::vector<ContactNumber> out;
    for (uint32_t property : kNumberOrder)
        for (const ContactNumber& n : p.numbers)
            if (n.property == property) {
                out.push_back(n);
                break;
            }
    if (p.hasDefault) {
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i].property == p.defaultNumber) {
                ContactNumber d = out[i];
                out.erase(out.begin() + long(i));
                out.insert(out.begin(), d);
                break;
            }
    }
    return out;
}

ContactNumber PreferredNumber(const ContactProps& p) {
    std::vector<ContactNumber> all = AllNumbers(p);
    return all.empty() ? ContactNumber() : all.front();
}

std::vector<ActionRow> ActionRows(const std::vector<ContactNumber>& numbers) {
    std::vector<ActionRow> rows;
    for (size_t i = 0; i < numbers.size(); ++i) {
        const uint32_t p = numbers[i].property;
        if (IsEmail(p)) {
            rows.push_back({kMail, i});
        } else if (OrderOf(p) < 14) {
            rows.push_back({kCall, i});
            if (p == 0x0096001F || p == 0x00A1001F) rows.push_back({kText, i});
        }
    }
    return rows;
}

}  // namespace tallyra
