#include "skin_ini.h"

#include <cwctype>

namespace daybrim {

namespace {

enum class Kind { kColour, kEffect, kFlag, kNumber };

struct Key {
    const wchar_t* name;
    Kind kind;
};

// The order of the file is the order of this table.
const Key kKeys[] = {
    {L"txt_color", Kind::kColour},
    {L"shadow", Kind::kEffect},
    {L"shadow_color", Kind::kColour},
    {L"txt_color_slideout", Kind::kColour},
    {L"shadow_slideout", Kind::kEffect},
    {L"shadow_color_slideout", Kind::kColour},
    {L"scroll_bk_color", Kind::kColour},
    {L"hide_scroll_bk", Kind::kFlag},
    {L"hide_verttabs_border", Kind::kFlag},
    {L"full_width_highlight", Kind::kFlag},
    {L"highlight_default_color", Kind::kColour},
    {L"highlight_text_color", Kind::kColour},
    {L"highlight_transparency", Kind::kNumber},
    {L"blending_base_color", Kind::kColour},
    {L"monthly_clr_weekdays", Kind::kColour},
    {L"monthly_clr_weekdays_txt", Kind::kColour},
    {L"monthly_clr_weekends", Kind::kColour},
    {L"monthly_clr_weekends_txt", Kind::kColour},
    {L"monthly_clr_curr_day", Kind::kColour},
    {L"monthly_clr_curr_day_txt", Kind::kColour},
    {L"monthly_clr_prev_month", Kind::kColour},
    {L"monthly_clr_prev_month_txt", Kind::kColour},
    {L"monthly_clr_weeknums", Kind::kColour},
    {L"monthly_clr_weeknums_txt", Kind::kColour},
    {L"monthly_clr_highlight", Kind::kColour},
    {L"monthly_clr_highlight_txt", Kind::kColour},
    {L"monthly_clr_dayttls", Kind::kColour},
    {L"monthly_clr_dayttls_txt", Kind::kColour},
    {L"pinned_clr_blend_base", Kind::kColour},
};
const int kKeyCount = int(sizeof kKeys / sizeof kKeys[0]);

bool SameKey(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
    return i == a.size() && !b[i];
}

uint32_t Decimal(const std::wstring& v, size_t from, size_t* end = nullptr) {
    uint64_t n = 0;
    size_t i = from;
    while (i < v.size() && v[i] == L' ') ++i;
    for (; i < v.size() && v[i] >= L'0' && v[i] <= L'9'; ++i) {
        n = n * 10 + uint64_t(v[i] - L'0');
        if (n > 0xFFFFFFFFu) n = 0xFFFFFFFFu;
    }
    if (end) *end = i;
    return uint32_t(n);
}

uint32_t* Field(SkinDescription* s, int index) {
    switch (index) {
    case 0: return &s->textColour;
    case 1: return &s->effect;
    case 2: return &s->effectColour;
    case 3: return &s->slideTextColour;
    case 4: return &s->slideEffect;
    case 5: return &s->slideEffectColour;
    case 6: return &s->scrollBkColour;
    case 10: return &s->highlightColour;
    case 11: return &s->highlightTextColour;
    case 12: return &s->highlightTransparency;
    case 13: return &s->blendingBaseColour;
    case 28: return &s->pinnedBlendBase;
    }
    if (index >= 14 && index < 28) return &s->monthly[index - 14];
    return nullptr;
}

void Store(SkinDescription* s, int index, const std::wstring& value) {
    const Kind kind = kKeys[index].kind;
    if (kind == Kind::kFlag) {
        const wchar_t c = value.empty() ? 0 : wchar_t(std::towlower(wint_t(value[0])));
        const bool on = c == L't' || c == L'h';
        if (index == 7) s->hideScrollBk = on;
        else if (index == 8) s->hideVertTabsBorder = on;
        else s->fullWidthHighlight = on;
        return;
    }
    uint32_t* f = Field(s, index);
    if (!f) return;
    switch (kind) {
    case Kind::kColour: *f = ParseSkinColour(value); break;
    case Kind::kNumber: {
        const uint32_t n = Decimal(value, 0);
        *f = n > 100 ? 100 : n;  // an opacity past 100 % would wrap the blend
        break;
    }
    case Kind::kEffect: {
        static const wchar_t* const kNames[] = {L"right", L"shadow", L"bottom", L"glow"};
        for (uint32_t i = 0; i < 4; ++i)
            if (SameKey(value, kNames[i])) *f = i + 1;
        break;  // any other word leaves the effect as it was
    }
    case Kind::kFlag: break;
    }
}

}  // namespace

void SkinDescription::SetDefaults(const std::wstring& skinFolder, uint32_t colour34, uint32_t colour35) {
    const uint32_t dayTitles = monthly[kMonDayTitles];
    *this = SkinDescription();
    folder = skinFolder;
    highlightColour = colour34;
    highlightTextColour = colour35;
    static const uint32_t kMonthly[kMonCount] = {0x85DA96, 0x383246, 0xEBC9B5, 0x383246, 0x8FF1EE, 0x383246, 0xE6DCE6,
                                                 0x88829C, 0x969696, 0xFFFFFF, 0xDC7882, 0x565074, 0,        0x282828};
    for (int i = 0; i < kMonCount; ++i) monthly[i] = kMonthly[i];
    monthly[kMonDayTitles] = dayTitles;
}

uint32_t SkinDescription::HighlightOpacity() const {
    const uint32_t p = highlightTransparency > 100 ? 100 : highlightTransparency;
    return p * 255 / 100;
}

uint32_t ParseSkinColour(const std::wstring& v) {
    if (v.find(L',') == std::wstring::npos) return 0;
    uint32_t part[3] = {0, 0, 0};
    size_t at = 0;
    for (int i = 0; i < 3 && at <= v.size(); ++i) {
        size_t end = at;
        const uint32_t n = Decimal(v, at, &end);
        part[i] = n > 255 ? 255 : n;
        const size_t comma = v.find(L',', end);
        if (comma == std::wstring::npos) break;
        at = comma + 1;
    }
    return part[0] | (part[1] << 8) | (part[2] << 16);
}

SkinIniResult ParseSkinIni(const uint8_t* data, size_t size, SkinDescription* skin) {
    SkinIniResult result;
    int next = 0;
    bool slideSet = false;
    size_t start = 0;
    while (next < kKeyCount && data) {
        size_t lf = start;
        while (lf < size && data[lf] != '\n') ++lf;
        if (lf >= size) break;  // the last line has no LF: not a line
        std::wstring line;
        line.reserve(lf - start);
        for (size_t i = start; i < lf; ++i) line.push_back(wchar_t(data[i]));
        start = lf + 1;

        const size_t n = line.size();
        const size_t eq = line.find(L"\"=\"");
        if (n < 8 || line[0] != L'"' || eq == std::wstring::npos || line[n - 2] != L'"') continue;
        const std::wstring key = line.substr(1, eq - 1);
        const size_t valueAt = eq + 3;
        const std::wstring value = valueAt < n - 2 ? line.substr(valueAt, n - 2 - valueAt) : std::wstring();

        int match = -1;
        for (int k = next; k < kKeyCount; ++k) {
            if (k >= 3 && !slideSet) {
                // The slide-out values start as the plain ones once those were tried.
                skin->slideTextColour = skin->textColour;
                skin->slideEffect = skin->effect;
                skin->slideEffectColour = skin->effectColour;
                slideSet = true;
            }
            if (SameKey(key, kKeys[k].name)) {
                match = k;
                break;
            }
        }
        if (match < 0) {
            result.stoppedAtUnknown = true;
            break;
        }
        Store(skin, match, value);
        ++result.keysMatched;
        next = match + 1;
    }
    return result;
}

}  // namespace daybrim
