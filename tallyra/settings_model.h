// What the settings pages show and store, without a window: which items each combo
// box holds for the current values, which one is selected, and which value a
// selection stands for. The pages (settings_pages.cpp) only move these between the
// controls and the settings record.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "ce_string.h"

namespace tallyra {

// One combo-box item: its text from the language library (0: the data written as a
// number) and the value it stands for.
struct ComboItem {
    unsigned textId;
    uint32_t data;
};

struct ComboModel {
    std::vector<ComboItem> items;
    int selected = -1;  // -1: no item matches the current value
};

// The last item of the alphabet combo: it opens the list of available alphabets and
// is never a value of its own.
constexpr uint32_t kChooseAlphabets = 4096;

// The alphabets of `activeMask` in menu order, then the item that changes the mask.
// Latin is always offered, as the main menu always keeps it. When the current
// alphabet is not offered any more, Latin is selected: the keyboard must show one of
// the active alphabets.
ComboModel AlphabetCombo(uint32_t activeMask, uint32_t alphabet);
// The mask chosen in the list of available alphabets; Latin cannot be switched off.
uint32_t AlphabetMask(bool cyrillic, bool hebrew, bool greek);

ComboModel KeyboardModeCombo(uint32_t mode);      // modes 0-3
ComboModel PostOperationCombo(uint32_t behaviour);  // 0-3
ComboModel ContactLayoutCombo(uint32_t layout);   // 0-2
// Only format 0 can be picked here; 1 and 2 (set in the registry) show no selection
// and are kept when the page is saved.
ComboModel TitleFormatCombo(uint32_t format);
ComboModel FontSizeCombo(uint32_t size);  // 8-24; another size shows no selection

// The value a selection stands for; `current` when nothing (or the alphabet list's
// item) is selected, so that saving a page never invents a value.
uint32_t ValueFromCombo(const ComboModel& combo, int selected, uint32_t current);

// The skin folder as typed or chosen: trimmed, and ending with a backslash unless
// empty, since the skin's file names are appended to it directly.
CeStd SkinFolderFromText(const CeStd& text);

// The check boxes of the Tweaks page in screen order.
enum class Tweak {
    kSeekApptSubject,
    kSeekApptLocation,
    kSeekApptNote,
    kSeekTaskSubject,
    kSeekTaskNote,
    kInsertDialMenu,
    kInsertTxtMsgMenu
};
struct TweakBox {
    Tweak tweak;
    unsigned textId;
};
extern const std::array<TweakBox, 7> kTweakBoxes;

// A check box's BM_GETCHECK state as the stored value: only "checked" counts.
inline uint32_t CheckedValue(intptr_t state) { return uint32_t(state & 1); }

}  // namespace tallyra
