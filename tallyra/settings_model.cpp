#include "settings_model.h"

#include <initializer_list>

namespace tallyra {

namespace {

// Items whose data is their position: the value v is item v.
ComboModel Indexed(std::initializer_list<unsigned> textIds, uint32_t value) {
    ComboModel m;
    uint32_t i = 0;
    for (unsigned id : textIds) m.items.push_back({id, i++});
    if (value < m.items.size()) m.selected = int(value);
    return m;
}

bool IsSpace(CeChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

ComboModel AlphabetCombo(uint32_t activeMask, uint32_t alphabet) {
    static const ComboItem kAlphabets[] = {{8004, 1}, {8005, 2}, {8006, 4}, {8007, 8}};
    ComboModel m;
    for (const ComboItem& a : kAlphabets)
        if (a.data == 1 || (activeMask & a.data)) {
            if (a.data == alphabet) m.selected = int(m.items.size());
            m.items.push_back(a);
        }
    m.items.push_back({8008, kChooseAlphabets});
    if (m.selected < 0) m.selected = 0;
    return m;
}

uint32_t AlphabetMask(bool cyrillic, bool hebrew, bool greek) {
    return 1u | (cyrillic ? 2u : 0u) | (hebrew ? 4u : 0u) | (greek ? 8u : 0u);
}

ComboModel KeyboardModeCombo(uint32_t mode) { return Indexed({8010, 8011, 8012, 8089}, mode); }
ComboModel PostOperationCombo(uint32_t behaviour) { return Indexed({8059, 8060, 8061, 8062}, behaviour); }
ComboModel ContactLayoutCombo(uint32_t layout) { return Indexed({8017, 8038, 8018}, layout); }
ComboModel TitleFormatCombo(uint32_t format) { return Indexed({8022}, format); }

ComboModel FontSizeCombo(uint32_t size) {
    ComboModel m;
    for (uint32_t s = 8; s <= 24; ++s) {
        if (s == size) m.selected = int(m.items.size());
        m.items.push_back({0, s});
    }
    return m;
}

uint32_t ValueFromCombo(const ComboModel& combo, int selected, uint32_t current) {
    if (selected < 0 || size_t(selected) >= combo.items.size()) return current;
    const uint32_t data = combo.items[size_t(selected)].data;
    return data == kChooseAlphabets ? current : data;
}

CeStd SkinFolderFromText(const CeStd& text) {
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;
    CeStd out = text.substr(b, e - b);
    if (!out.empty() && out.back() != '\\') out.push_back('\\');
    return out;
}

const std::array<TweakBox, 7> kTweakBoxes = {{
    {Tweak::kSeekApptSubject, 8066},
    {Tweak::kSeekApptLocation, 8064},
    {Tweak::kSeekApptNote, 8065},
    {Tweak::kSeekTaskSubject, 8068},
    {Tweak::kSeekTaskNote, 8067},
    {Tweak::kInsertDialMenu, 8069},
    {Tweak::kInsertTxtMsgMenu, 8070},
}};

}  // namespace tallyra
