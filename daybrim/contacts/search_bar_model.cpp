#include "search_bar_model.h"

#include <algorithm>

namespace daybrim {

namespace {
// Menu texts of the alphabet popup.
constexpr unsigned kTextNone = 41147, kTextLatin = 41148, kTextSkinned = 41152;
// Widths of the skinned bar's keys in its 240-pixel image.
constexpr int kSkinnedWidths[8] = {26, 26, 26, 26, 26, 28, 26, 28};
}  // namespace

BarLabels LabelsFor(int type, const std::optional<olv::KeyLabels>& custom) {
    BarLabels out;
    if (type == kAlphabetNone) return out;
    olv::KeyLabels l;
    switch (type) {
    case kAlphabetCyrillic:
        l = olv::ScriptLabels(olv::kScriptCyrillic);
        l[6] = u"Щшыь";
        break;
    case kAlphabetHebrew: l = olv::ScriptLabels(olv::kScriptHebrew); break;
    case kAlphabetGreek: l = olv::ScriptLabels(olv::kScriptGreek); break;
    case kAlphabetCustom: l = custom ? *custom : olv::ScriptLabels(olv::kScriptLatin); break;
    default: l = olv::ScriptLabels(olv::kScriptLatin); break;
    }
    for (size_t k = 0; k < 8; ++k) {
        out.keys[k].assign(l[k].begin(), l[k].end());
        out.letters += out.keys[k].size();
    }
    return out;
}

KeyBoxes LayoutKeys(int type, const BarLabels& labels, int width, int height, const Scaler& scale) {
    KeyBoxes boxes;
    if (width <= 0 || height <= 0) return boxes;
    const int gap = scale.X(1);
    const bool skinned = type == kAlphabetSkinned;
    const int top = skinned ? 0 : scale.Y(1);
    const int unit = int(size_t(width) / (labels.letters + 3));
    const int strip = scale.X(240);
    int x = 0;
    for (size_t k = 0; k < 8; ++k) {
        int w;
        if (skinned) w = strip > 0 ? int((long long)scale.X(kSkinnedWidths[k]) * width / strip) : 0;
        else w = int(labels.keys[k].size()) * unit - gap;
        // Long custom labels must not push keys off the bar or turn them inside out.
        w = std::max(0, std::min(w, width - x));
        boxes[k] = KeyBox{x, top, x + w, height};
        x = std::min(width, x + w + gap);
    }
    boxes[8] = KeyBox{x, top, width, height};
    return boxes;
}

int KeyAt(const KeyBoxes& boxes, int x, int y) {
    for (size_t k = 0; k < boxes.size(); ++k)
        if (boxes[k].Contains(x, y)) return int(k) + 1;
    return 0;
}

std::vector<AlphabetChoice> AlphabetChoices(int currentType, const std::wstring& currentCustom, unsigned languages,
                                            const std::vector<std::wstring>& customNames) {
    std::vector<AlphabetChoice> out;
    if (currentType != kAlphabetNone) out.push_back({kAlphabetNone, L"", kTextNone});
    for (int i = 0; i < 4; ++i)
        if ((languages & (1u << i)) && currentType != kAlphabetLatin + i)
            out.push_back({kAlphabetLatin + i, L"", kTextLatin + unsigned(i)});
    for (const std::wstring& name : customNames)
        if (!(currentType == kAlphabetCustom && name == currentCustom)) out.push_back({kAlphabetCustom, name, 0});
    if (currentType != kAlphabetSkinned) out.push_back({kAlphabetSkinned, L"", kTextSkinned});
    return out;
}

BarSignal SearchBarModel::Signal(int key) const {
    BarSignal s;
    s.key = key;
    if (key >= 1 && key <= 8) s.label = labels_.keys[size_t(key - 1)];
    return s;
}

std::optional<BarSignal> SearchBarModel::PenDown(int key) {
    pen_ = key;
    if (key != kDeleteKey) return std::nullopt;
    if (quickRunning_) {
        timers_.Stop(kQuickTapTimer);
        timers_.Stop(kHoldTimer);
        quickRunning_ = holdRunning_ = false;
        return BarSignal{};
    }
    timers_.Start(kQuickTapTimer, kQuickTapMs);
    timers_.Start(kHoldTimer, kHoldMs);
    quickRunning_ = holdRunning_ = true;
    return std::nullopt;
}

void SearchBarModel::CancelPress() {
    pen_ = 0;
    if (holdRunning_) timers_.Stop(kHoldTimer);
    holdRunning_ = false;
}

std::optional<BarSignal> SearchBarModel::PenUp() {
    if (holdRunning_) timers_.Stop(kHoldTimer);
    holdRunning_ = false;
    const int key = pen_;
    pen_ = 0;
    if (!key) return std::nullopt;
    return Signal(key);
}

std::optional<BarSignal> SearchBarModel::Timer(unsigned id) {
    timers_.Stop(id);
    if (id == kQuickTapTimer) {
        quickRunning_ = false;
    } else if (id == kHoldTimer && holdRunning_) {
        holdRunning_ = false;
        return BarSignal{};
    }
    return std::nullopt;
}

void PanelFocus::LeaveBar() {
    if (onBar_) p_.BarFocus(false);
    onBar_ = false;
}

bool PanelFocus::Key(PadKey key) {
    if (!onBar_) {
        if (p_.ListKey(key)) return true;
        if (key != kPadDown || !p_.HasBar()) return false;
        p_.ListLose();
        onBar_ = true;
        p_.BarFocus(true);
        return true;
    }
    switch (key) {
    case kPadLeft: p_.BarMove(-1); return true;
    case kPadRight: p_.BarMove(+1); return true;
    case kPadEnter: p_.BarPress(); return true;
    case kPadUp:
        LeaveBar();
        return p_.ListReceive(true);
    case kPadDown: return false;  // the bar is the tab's last part
    }
    return false;
}

bool PanelFocus::Receive(bool fromBelow) {
    LeaveBar();
    // Coming up from below, the bar is the nearest part; an empty list leaves only it.
    if (p_.HasBar() && fromBelow) {
        onBar_ = true;
        p_.BarFocus(true);
        return true;
    }
    if (p_.ListReceive(fromBelow)) return true;
    if (!p_.HasBar()) return false;
    onBar_ = true;
    p_.BarFocus(true);
    return true;
}

void PanelFocus::Lose() {
    LeaveBar();
    p_.ListLose();
}


}  // namespace daybrim
