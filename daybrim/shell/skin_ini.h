// The skin description and its "skin.ini" reader. The file is a list of
// "key"="value" lines read in one fixed key order; see ParseSkinIni for the rules.
// Platform-neutral (skins are outside files): colours are COLORREF values
// 0x00BBGGRR held in uint32_t.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace daybrim {

enum TextEffect : uint32_t { kEffectNone = 0, kEffectRight = 1, kEffectShadow = 2, kEffectBottom = 3, kEffectGlow = 4 };

enum MonthlyColour {
    kMonWeekdays, kMonWeekdaysText, kMonWeekends, kMonWeekendsText, kMonCurrentDay, kMonCurrentDayText,
    kMonPrevMonth, kMonPrevMonthText, kMonWeekNums, kMonWeekNumsText, kMonHighlight, kMonHighlightText,
    kMonDayTitles, kMonDayTitlesText, kMonCount
};

struct SkinDescription {
    std::wstring folder;  // ends with "\"
    uint32_t textColour = 0x000000;
    uint32_t effect = kEffectNone;
    uint32_t effectColour = 0xFFFFFF;
    uint32_t slideTextColour = 0x000000;
    uint32_t slideEffect = kEffectNone;
    uint32_t slideEffectColour = 0xFFFFFF;
    uint32_t scrollBkColour = 0x8C8C8C;
    bool hideScrollBk = false;
    bool hideVertTabsBorder = false;
    bool fullWidthHighlight = true;
    uint32_t highlightColour = 0;
    uint32_t highlightTextColour = 0;
    uint32_t highlightTransparency = 100;  // percent, never above 100
    uint32_t blendingBaseColour = 0xFFFFFF;
    uint32_t monthly[kMonCount] = {};
    uint32_t pinnedBlendBase = 0xFFFFFF;

    // Every field back to its default; the host gives theme colours 34 and 35
    // for the highlight. The day-title background has no default and keeps the
    // value it had.
    void SetDefaults(const std::wstring& skinFolder, uint32_t colour34, uint32_t colour35);
    // "highlight_transparency" as an opacity 0..255 (percent x 2.55, truncated).
    uint32_t HighlightOpacity() const;
};

// What the reader saw, for tests.
struct SkinIniResult {
    int keysMatched = 0;
    bool stoppedAtUnknown = false;  // a line matched none of the keys still to come
};

// Applies the lines of a skin.ini over `skin` (already at its defaults):
// - bytes are widened one to one; a line ends at LF and keeps its CR; a last line
//   without LF is ignored;
// - a line counts when it is at least 8 characters long, starts with '"',
//   contains "=" between quotes and has '"' second to last (the last being the CR);
// - keys are taken in their fixed order, case-insensitively: a line that is not
//   the next key is tried against the keys after it (those keep their defaults);
//   reading stops at the end, after the last key, or at a line that is none of the
//   keys still to come;
// - once the first three keys have been tried, the slide-out values start as the
//   plain text values.
SkinIniResult ParseSkinIni(const uint8_t* data, size_t size, SkinDescription* skin);

// "R,G,B" in decimal (missing parts 0, each part clamped to 255); a value without
// a comma gives 0.
uint32_t ParseSkinColour(const std::wstring& v);

}  // namespace daybrim
