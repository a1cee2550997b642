#include <gtest/gtest.h>

#include "search_bar_model.h"

namespace daybrim {
namespace {

TEST(SearchBarLabels, EveryType) {
    olv::KeyLabels custom = olv::ScriptLabels(olv::kScriptLatin);
    custom[0] = u"abcç";
    custom[7] = u"wxyzğ";
    const struct {
        int type;
        bool withCustom;
        size_t letters;
        std::wstring first, seventh;
    } cases[] = {
        {kAlphabetNone, false, 0, L"", L""},
        {kAlphabetLatin, false, 26, L"abc", L"tuv"},
        {kAlphabetCyrillic, false, 31, L"абвг", L"Щшыь"},
        {kAlphabetHebrew, false, 22, L"אבג", L"צק"},
        {kAlphabetGreek, false, 25, L"αβγ", L"τυφ"},
        {kAlphabetCustom, true, 28, L"abcç", L"tuv"},
        {kAlphabetCustom, false, 26, L"abc", L"tuv"},  // the file could not be used
        {kAlphabetSkinned, false, 26, L"abc", L"tuv"},
        {42, false, 26, L"abc", L"tuv"},
    };
    for (const auto& c : cases) {
        const BarLabels l = LabelsFor(c.type, c.withCustom ? std::optional<olv::KeyLabels>(custom) : std::nullopt);
        EXPECT_EQ(c.letters, l.letters) << c.type;
        EXPECT_EQ(c.first, l.keys[0]) << c.type;
        EXPECT_EQ(c.seventh, l.keys[6]) << c.type;
    }
}

TEST(SearchBarLayout, KeysFollowTheirLettersAndDeleteFillsTheRest) {
    const Scaler low{96, 96, false}, high{192, 192, false};
    const struct {
        int type;
        int width, height;
        Scaler scale;
        int firstRight, secondLeft, deleteLeft, top;
    } cases[] = {
        // unit 240 / (26 + 3) = 8: "abc" is 3 x 8 - 1 wide, the next key a pixel on.
        {kAlphabetLatin, 240, 17, low, 23, 24, 208, 1},
        {kAlphabetLatin, 480, 34, high, 46, 48, 416, 2},
        // Cyrillic: unit 240 / 34 = 7, "абвг" 4 x 7 - 1.
        {kAlphabetCyrillic, 240, 17, low, 27, 28, 217, 1},
        // Skinned: image widths scaled to the bar, from the top.
        {kAlphabetSkinned, 240, 17, low, 26, 27, 220, 0},
        {kAlphabetSkinned, 480, 34, high, 52, 54, 440, 0},
    };
    for (const auto& c : cases) {
        const KeyBoxes b = LayoutKeys(c.type, LabelsFor(c.type), c.width, c.height, c.scale);
        EXPECT_EQ(0, b[0].left) << c.type << " " << c.width;
        EXPECT_EQ(c.firstRight, b[0].right) << c.type << " " << c.width;
        EXPECT_EQ(c.secondLeft, b[1].left) << c.type << " " << c.width;
        EXPECT_EQ(c.deleteLeft, b[8].left) << c.type << " " << c.width;
        EXPECT_EQ(c.width, b[8].right);
        EXPECT_EQ(c.top, b[4].top);
        EXPECT_EQ(c.height, b[4].bottom);
        EXPECT_EQ(1, KeyAt(b, 0, c.height - 1));
        EXPECT_EQ(9, KeyAt(b, c.width - 1, c.height / 2));
        EXPECT_EQ(0, KeyAt(b, b[0].right, c.height / 2));  // the gap between keys
    }
}

TEST(SearchBarLayout, OddLabelsStayInsideTheBar) {
    olv::KeyLabels huge = olv::ScriptLabels(olv::kScriptLatin);
    huge[0] = std::u16string(5000, u'a');
    const Scaler s{96, 96, false};
    for (const auto& labels : {LabelsFor(kAlphabetCustom, huge), LabelsFor(kAlphabetNone)})
        for (int width : {0, 5, 240}) {
            const KeyBoxes b = LayoutKeys(kAlphabetCustom, labels, width, 17, s);
            for (const KeyBox& k : b) {
                EXPECT_LE(k.left, k.right);
                EXPECT_GE(k.left, 0);
                EXPECT_LE(k.right, std::max(width, 0));
            }
        }
}

TEST(SearchBarPopup, ChoicesLeaveOutTheCurrentOne) {
    auto types = [](const std::vector<AlphabetChoice>& c) {
        std::vector<std::pair<int, std::wstring>> out;
        for (const auto& e : c) out.emplace_back(e.type, e.name);
        return out;
    };
    const std::vector<std::wstring> custom = {L"Turkish", L"Runes"};
    using V = std::vector<std::pair<int, std::wstring>>;
    EXPECT_EQ((V{{0, L""}, {2, L""}, {5, L"Turkish"}, {5, L"Runes"}, {6, L""}}), types(AlphabetChoices(1, L"", 3, custom)));
    EXPECT_EQ((V{{0, L""}, {1, L""}, {2, L""}, {3, L""}, {4, L""}, {5, L"Runes"}, {6, L""}}),
              types(AlphabetChoices(5, L"Turkish", 15, custom)));
    EXPECT_EQ((V{{1, L""}, {6, L""}}), types(AlphabetChoices(0, L"", 1, {})));
    const auto texts = AlphabetChoices(6, L"", 8, {});
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(41147u, texts[0].textId);
    EXPECT_EQ(41151u, texts[1].textId);  // Greek
}

class Recorder : public BarTimers {
public:
    void Start(unsigned id, unsigned ms) override { log += "+" + std::to_string(id) + "/" + std::to_string(ms) + " "; }
    void Stop(unsigned id) override { log += "-" + std::to_string(id) + " "; }
    std::string log;
};

// Steps: 'd'<key> pen down, 'u' pen up, 'c' popup shown (cancel), 'q' quick-tap
// timer, 'h' hold timer. Signals: key number, 'C' for clear.
std::string Play(const std::string& steps, SearchBarModel& bar) {
    std::string out;
    auto note = [&](const std::optional<BarSignal>& s) {
        if (s) out += s->key == 0 ? "C" : std::to_string(s->key);
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        switch (steps[i]) {
        case 'd': note(bar.PenDown(steps[++i] - '0')); break;
        case 'u': note(bar.PenUp()); break;
        case 'c': bar.CancelPress(); break;
        case 'q': note(bar.Timer(kQuickTapTimer)); break;
        case 'h': note(bar.Timer(kHoldTimer)); break;
        }
    }
    return out;
}

TEST(SearchBarKeys, TapsHoldsAndTimers) {
    const struct {
        const char* name;
        std::string steps, signals, timers;
    } cases[] = {
        {"letter key", "d1u", "1", ""},
        {"one delete tap", "d9u", "9", "+1444/200 +1445/800 -1445 "},
        {"two quick delete taps clear", "d9ud9u", "9C9", "+1444/200 +1445/800 -1445 -1444 -1445 "},
        {"two slow delete taps do not", "d9uqd9u", "99",
         "+1444/200 +1445/800 -1445 -1444 +1444/200 +1445/800 -1445 "},
        {"holding delete clears", "d9hu", "C9", "+1444/200 +1445/800 -1445 "},
        {"hold timer after release does nothing", "d9uh", "9", "+1444/200 +1445/800 -1445 -1445 "},
        {"popup on a letter key sends nothing", "d3cu", "", ""},
        {"no key under the pen", "d0u", "", ""},
    };
    for (const auto& c : cases) {
        Recorder timers;
        SearchBarModel bar(timers);
        bar.SetLabels(kAlphabetLatin, LabelsFor(kAlphabetLatin));
        EXPECT_EQ(c.signals, Play(c.steps, bar)) << c.name;
        EXPECT_EQ(c.timers, timers.log) << c.name;
        EXPECT_FALSE(bar.penDown()) << c.name;
    }
}

TEST(SearchBarKeys, LabelsTravelWithTheKeysAndTheDPadWraps) {
    Recorder timers;
    SearchBarModel bar(timers);
    bar.SetLabels(kAlphabetGreek, LabelsFor(kAlphabetGreek));
    bar.PenDown(6);
    EXPECT_EQ(6, bar.pressed());
    EXPECT_EQ((BarSignal{6, L"πρσς"}), *bar.PenUp());
    EXPECT_EQ(0, bar.pressed());
    bar.FocusPrevious();
    EXPECT_EQ(9, bar.focus());  // before key 1: the delete key
    EXPECT_EQ((BarSignal{9, L""}), bar.PressFocused());
    bar.FocusNext();
    bar.FocusNext();
    EXPECT_EQ((BarSignal{2, L"δεζ"}), bar.PressFocused());
    bar.ShowFocus(true);
    EXPECT_EQ(2, bar.pressed());
    bar.SetLabels(kAlphabetSkinned, LabelsFor(kAlphabetSkinned));
    EXPECT_EQ(0, bar.pressed());  // the skinned bar shows no pressed key
}

// A list of `rows` rows that steps at once, and a bar: enough to follow the focus.
struct NoTimers : BarTimers {
    void Start(unsigned, unsigned) override {}
    void Stop(unsigned) override {}
};

class FakePanel : public PanelFocus::Parts {
    NoTimers timers_;

public:
    FakePanel(int rows, bool bar) : model_(timers_), rows_(rows), bar_(bar) {
        model_.SetLabels(kAlphabetLatin, LabelsFor(kAlphabetLatin));
    }
    bool HasBar() const override { return bar_; }
    bool ListKey(PadKey key) override {
        if (key == kPadEnter) { ++opened_; return true; }
        if (key == kPadUp && (hl_ < 0 ? rows_ > 0 : hl_ > 0)) { hl_ = hl_ < 0 ? rows_ - 1 : hl_ - 1; return true; }
        if (key == kPadDown && (hl_ < 0 ? rows_ > 0 : hl_ + 1 < rows_)) { hl_ = hl_ < 0 ? 0 : hl_ + 1; return true; }
        return false;
    }
    bool ListReceive(bool fromBelow) override {
        if (!rows_) return false;
        listFocus_ = true;
        if (hl_ < 0) hl_ = fromBelow ? rows_ - 1 : 0;
        return true;
    }
    void ListLose() override { listFocus_ = false; }
    void BarFocus(bool shown) override { model_.ShowFocus(shown); }
    void BarMove(int d) override { d > 0 ? model_.FocusNext() : model_.FocusPrevious(); }
    void BarPress() override { sent_ += std::to_wstring(model_.PressFocused().key); }

    int hl_ = -1;
    bool listFocus_ = false;
    int opened_ = 0;
    std::wstring sent_;
    SearchBarModel model_;

private:
    int rows_;
    bool bar_;
};

TEST(PanelFocus, KeysMoveBetweenListAndBar) {
    // Keys: U D L R E; '<' the host hands the focus in from above, '>' from below.
    // Where: "row N", "key N" (the bar's focused key, shown), or "host" when the
    // last key was left to the host.
    const struct {
        int rows;
        bool bar;
        const char* keys;
        const char* where;
        const wchar_t* sent;
    } cases[] = {
        {3, true, "<", "row 0", L""},
        {3, true, "<DD", "row 2", L""},
        {3, true, "<DDD", "key 1", L""},             // past the last row onto the bar
        {3, true, "<DDDRRL", "key 2", L""},
        {3, true, "<DDDLE", "key 9", L"9"},          // round the left end to delete
        {3, true, "<DDDRRRRRRRRR", "key 1", L""},    // round the right end
        {3, true, "<DDDRE", "key 2", L"2"},          // pressing keeps the focus there
        {3, true, "<DDDU", "row 2", L""},            // back to the last row
        {3, true, "<DDDUU", "row 1", L""},
        {3, true, "<DDDD", "host", L""},             // below the bar: the host's
        {3, true, "<U", "host", L""},                // above the first row: the host's
        {3, true, "<L", "host", L""},                // the list has no use for sideways
        {3, true, "<E", "row 0", L""},
        {3, true, ">", "key 1", L""},                // from below: the bar first
        {3, true, ">U", "row 2", L""},
        {0, true, "<", "key 1", L""},                // an empty list leaves the bar
        {0, true, "<U", "host", L""},
        {0, true, ">E", "key 1", L"1"},
        {3, false, "<DDD", "host", L""},             // no bar: as a plain list
        {3, false, ">", "row 2", L""},
        {0, false, "<", "host", L""},
    };
    for (const auto& c : cases) {
        FakePanel p(c.rows, c.bar);
        PanelFocus f(p);
        bool handled = true;
        for (const char* k = c.keys; *k; ++k) {
            switch (*k) {
            case '<': handled = f.Receive(false); break;
            case '>': handled = f.Receive(true); break;
            case 'U': handled = f.Key(kPadUp); break;
            case 'D': handled = f.Key(kPadDown); break;
            case 'L': handled = f.Key(kPadLeft); break;
            case 'R': handled = f.Key(kPadRight); break;
            case 'E': handled = f.Key(kPadEnter); break;
            }
        }
        std::string where = !handled ? "host"
                            : f.onBar() ? "key " + std::to_string(p.model_.focus())
                                        : "row " + std::to_string(p.hl_);
        EXPECT_EQ(c.where, where) << c.keys << " rows " << c.rows;
        EXPECT_EQ(c.sent, p.sent_) << c.keys;
        // The bar shows its focus exactly while it holds it, and never with the list.
        EXPECT_EQ(f.onBar() ? p.model_.focus() : 0, p.model_.pressed()) << c.keys;
        EXPECT_FALSE(f.onBar() && p.listFocus_) << c.keys;
    }
}

}  // namespace
}  // namespace daybrim
