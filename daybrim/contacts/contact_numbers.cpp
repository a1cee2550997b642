#include "contact_numbers.h"

namespace daybrim {

const uint32_t kDefaultNumberOrder[10] = {kFieldWork,  kFieldWork2, kFieldMobile, kFieldHome,  kFieldHome2,
                                          kFieldMail1, kFieldFax,   kFieldMobile2,  kFieldCar,   kFieldMobile3};

unsigned FieldLabel(uint32_t prop) {
    switch (prop) {
    case kFieldMobile: return 41207;
    case kFieldWork: return 41205;
    case kFieldWork2: return 41206;
    case kFieldHome: return 41208;
    case kFieldHome2: return 41209;
    case kFieldMobile2: return 41214;
    case kFieldCar: return 41215;
    case kFieldMobile3: return 41216;
    case kFieldFax: return 41213;
    case kFieldMail1: return 41210;
    case kFieldMail2: return 41211;
    case kFieldMail3: return 41212;
    }
    return 0;
}

const std::wstring& ContactValues::Of(uint32_t prop) const {
    static const std::wstring kNone;
    for (const Entry& e : entries)
        if (e.prop == prop) return e.value;
    return kNone;
}

std::vector<PreviewRow> PreviewRows(const ContactValues& v, bool phone) {
    const ContactAction call = phone ? kActCall : kActNone;
    const struct {
        uint32_t prop;
        ContactAction action;
        bool needsPhone;
    } order[] = {{kFieldMobile, call, false}, {kFieldWork, call, false},  {kFieldHome, call, false},
                 {kFieldMobile, kActText, true}, {kFieldMail1, kActMail, false}, {kFieldWork2, call, false},
                 {kFieldHome2, call, false}, {kFieldMail2, kActMail, false}, {kFieldMail3, kActMail, false},
                 {kFieldMobile2, call, false}, {kFieldCar, call, false},   {kFieldMobile3, call, false},
                 {kFieldFax, kActNone, false}};
    std::vector<PreviewRow> out;
    for (const auto& o : order) {
        if (o.needsPhone && !phone) continue;
        const std::wstring& value = v.Of(o.prop);
        if (!value.empty()) out.push_back({o.action, o.prop, value});
    }
    return out;
}

std::wstring ChoiceText(const std::wstring& label, const std::wstring& value) {
    return label.empty() ? value : label + L":  " + value;
}

ContactAction PreferredNumberAction(uint32_t prop) {
    switch (prop) {
    case kFieldMail1: return kActMail;
    case kFieldMobile:
    case kFieldWork:
    case kFieldWork2:
    case kFieldHome:
    case kFieldHome2:
    case kFieldCar:
    case kFieldMobile3: return kActCall;
    }
    return kActNone;
}

}  // namespace daybrim
