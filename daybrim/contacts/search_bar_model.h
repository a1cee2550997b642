// The alphabet search bar without its window: the labels of each alphabet type, the
// key rectangles, what a tap, a release, a timer or a D-pad press sends, and the
// alphabet popup's entries. The window (search_bar.h) only draws and forwards.
// Platform-neutral, so that every rule is tested without a screen.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "letter_groups.h"
#include "scale.h"

namespace daybrim {

// Alphabet types of the bar (the tab keeps the current one).
enum AlphabetType : int {
    kAlphabetNone = 0,     // no labels
    kAlphabetLatin = 1,
    kAlphabetCyrillic = 2,
    kAlphabetHebrew = 3,
    kAlphabetGreek = 4,
    kAlphabetCustom = 5,   // a custom alphabet file's lines
    kAlphabetSkinned = 6,  // Latin, painted with the skin's image of the bar
};
constexpr int kDeleteKey = 9;

struct BarLabels {
    std::array<std::wstring, 8> keys;  // keys 1..8; key 9 has none
    size_t letters = 0;
};
// The labels of `type`; a custom type without usable lines, and any unknown type,
// gets the Latin labels. The Cyrillic seventh key reads "Щшыь" (the contact finder
// writes it in lower case); matching lower-cases it either way.
BarLabels LabelsFor(int type, const std::optional<olv::KeyLabels>& custom = std::nullopt);

struct KeyBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
using KeyBoxes = std::array<KeyBox, 9>;
// Rectangles of keys 1..9 (index 0 is key 1) in a bar `width` x `height`.
KeyBoxes LayoutKeys(int type, const BarLabels& labels, int width, int height, const Scaler& scale);
// 1..9, or 0 when no key holds the point.
int KeyAt(const KeyBoxes& boxes, int x, int y);

// One entry of the alphabet popup.
struct AlphabetChoice {
    int type = 0;
    std::wstring name;  // custom alphabets: their name (also the item's text)
    unsigned textId = 0;  // language string of the other types
};
// Entries in popup order, leaving out the current one: no alphabet, the active
// languages' scripts, every custom alphabet with a file, the skinned bar.
std::vector<AlphabetChoice> AlphabetChoices(int currentType, const std::wstring& currentCustom, unsigned languages,
                                            const std::vector<std::wstring>& customNames);

// Timers the bar runs; the window's own in the product, a recorder in tests.
class BarTimers {
public:
    virtual ~BarTimers() = default;
    virtual void Start(unsigned id, unsigned ms) = 0;
    virtual void Stop(unsigned id) = 0;
};
constexpr unsigned kQuickTapTimer = 1444, kHoldTimer = 1445;
constexpr unsigned kQuickTapMs = 200, kHoldMs = 800;

// What the bar tells its tab: a key (1..8 with its label, 9 delete) or "clear" (0).
struct BarSignal {
    int key = 0;
    std::wstring label;
    bool operator==(const BarSignal& o) const { return key == o.key && label == o.label; }
};

class SearchBarModel {
public:
    explicit SearchBarModel(BarTimers& timers) : timers_(timers) {}

    void SetLabels(int type, const BarLabels& labels) {
        type_ = type;
        labels_ = labels;
    }
    int type() const { return type_; }
    const BarLabels& labels() const { return labels_; }

    // The pen went down on `key` (0: no key): returns "clear" for a second tap on the
    // delete key within the quick-tap time.
    std::optional<BarSignal> PenDown(int key);
    // A tap-and-hold on the pressed key opened the alphabet popup: the release sends
    // nothing.
    void CancelPress();
    // The pen came up: the pressed key is sent.
    std::optional<BarSignal> PenUp();
    std::optional<BarSignal> Timer(unsigned id);

    // The key drawn pressed (0: none): under the pen, or the D-pad's while shown.
    int pressed() const { return type_ == kAlphabetSkinned ? 0 : (pen_ ? pen_ : (showFocus_ ? focus_ : 0)); }
    bool penDown() const { return pen_ != 0; }

    // D-pad: the focus moves round keys 1..9; pressing sends as a release would.
    void FocusNext() { focus_ = focus_ >= 9 ? 1 : focus_ + 1; }
    void FocusPrevious() { focus_ = focus_ <= 1 ? 9 : focus_ - 1; }
    void ShowFocus(bool on) { showFocus_ = on; }
    int focus() const { return focus_; }
    BarSignal PressFocused() const { return Signal(focus_); }

private:
    BarSignal Signal(int key) const;

    BarTimers& timers_;
    int type_ = kAlphabetNone;
    BarLabels labels_;
    int pen_ = 0;
    int focus_ = 1;
    bool showFocus_ = false;
    bool quickRunning_ = false;
    bool holdRunning_ = false;
};

// D-pad keys as the tab gets them.
enum PadKey { kPadUp, kPadDown, kPadLeft, kPadRight, kPadEnter };

// Where a search-panel tab's D-pad focus is: on its list or on the bar under it.
// The list keeps the focus while it can move; Down past its last row goes to the
// bar, Up from the bar back to the list's last row. Keys neither part can use are
// reported as not handled so that the host moves the selection on.
class PanelFocus {
public:
    // The two parts as the hand-over sees them.
    class Parts {
    public:
        virtual ~Parts() = default;
        virtual bool HasBar() const = 0;
        virtual bool ListKey(PadKey key) = 0;          // true when the list used it
        virtual bool ListReceive(bool fromBelow) = 0;  // false when the list is empty
        virtual void ListLose() = 0;
        virtual void BarFocus(bool shown) = 0;
        virtual void BarMove(int direction) = 0;       // +1 next key, -1 previous
        virtual void BarPress() = 0;
    };
    explicit PanelFocus(Parts& p) : p_(p) {}

    bool Key(PadKey key);
    // The host hands the focus in: `fromBelow` when it came with Up.
    bool Receive(bool fromBelow);
    void Lose();
    // The focus leaves the bar without going to the list: a tap on the list (which
    // takes the focus itself) or the bar going away.
    void LeaveBar();
    bool onBar() const { return onBar_; }

private:

    Parts& p_;
    bool onBar_ = false;
};

}  // namespace daybrim
