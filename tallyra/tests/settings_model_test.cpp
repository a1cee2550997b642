#include <gtest/gtest.h>

#include "settings_model.h"

using namespace tallyra;

namespace {
CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }

std::vector<uint32_t> Data(const ComboModel& m) {
    std::vector<uint32_t> out;
    for (const ComboItem& i : m.items) out.push_back(i.data);
    return out;
}
}  // namespace

TEST(GeneralPage, AlphabetComboOffersTheActiveAlphabetsAndTheListItem) {
    ComboModel m = AlphabetCombo(15, 4);
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 4, 8, kChooseAlphabets}), Data(m));
    EXPECT_EQ(8008u, m.items.back().textId);
    EXPECT_EQ(2, m.selected);  // Hebrew

    m = AlphabetCombo(2 | 8, 8);
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 8, kChooseAlphabets}), Data(m));  // Latin without its bit
    EXPECT_EQ(2, m.selected);
    EXPECT_EQ(8005u, m.items[1].textId);

    // The current alphabet was switched off: Latin, never the list item.
    m = AlphabetCombo(1, 8);
    EXPECT_EQ((std::vector<uint32_t>{1, kChooseAlphabets}), Data(m));
    EXPECT_EQ(0, m.selected);
    EXPECT_EQ(1u, ValueFromCombo(m, m.selected, 8));
}

TEST(GeneralPage, TheListItemAndNoSelectionNeverBecomeAValue) {
    const ComboModel m = AlphabetCombo(15, 2);
    EXPECT_EQ(2u, ValueFromCombo(m, 4, 2));  // "Choose alphabets..." is not alphabet 4096
    EXPECT_EQ(2u, ValueFromCombo(m, -1, 2));
    EXPECT_EQ(2u, ValueFromCombo(m, 99, 2));
    EXPECT_EQ(8u, ValueFromCombo(m, 3, 2));
}

TEST(GeneralPage, AvailableAlphabetsAlwaysKeepLatin) {
    EXPECT_EQ(1u, AlphabetMask(false, false, false));
    EXPECT_EQ(15u, AlphabetMask(true, true, true));
    EXPECT_EQ(1u | 4u, AlphabetMask(false, true, false));
}

TEST(Pages, IndexCombosMapValuesBothWaysAndKeepUnknownValues) {
    struct Case {
        ComboModel (*make)(uint32_t);
        std::vector<unsigned> ids;
    };
    const Case cases[] = {{KeyboardModeCombo, {8010, 8011, 8012, 8089}},
                          {PostOperationCombo, {8059, 8060, 8061, 8062}},
                          {ContactLayoutCombo, {8017, 8038, 8018}}};
    for (const Case& c : cases) {
        for (uint32_t v = 0; v < c.ids.size(); ++v) {
            const ComboModel m = c.make(v);
            ASSERT_EQ(c.ids.size(), m.items.size());
            EXPECT_EQ(c.ids[v], m.items[v].textId);
            EXPECT_EQ(int(v), m.selected);
            EXPECT_EQ(v, ValueFromCombo(m, m.selected, 77));
        }
        // A value the page cannot show (written by hand) is shown unselected and kept.
        const ComboModel odd = c.make(uint32_t(c.ids.size()));
        EXPECT_EQ(-1, odd.selected);
        EXPECT_EQ(uint32_t(c.ids.size()), ValueFromCombo(odd, odd.selected, uint32_t(c.ids.size())));
    }
}

TEST(LayoutPage, TitleFormatsOneAndTwoAreShownUnselectedAndKept) {
    ComboModel m = TitleFormatCombo(0);
    ASSERT_EQ(1u, m.items.size());
    EXPECT_EQ(8022u, m.items[0].textId);
    EXPECT_EQ(0, m.selected);
    for (uint32_t format : {1u, 2u}) {
        m = TitleFormatCombo(format);
        EXPECT_EQ(-1, m.selected);
        EXPECT_EQ(format, ValueFromCombo(m, m.selected, format));
        EXPECT_EQ(0u, ValueFromCombo(m, 0, format));  // picking the one item stores 0
    }
}

TEST(LayoutPage, FontSizeIsTheIndexPlusEight) {
    ComboModel m = FontSizeCombo(12);
    ASSERT_EQ(17u, m.items.size());
    EXPECT_EQ(4, m.selected);
    for (int i = 0; i < 17; ++i) EXPECT_EQ(uint32_t(i + 8), ValueFromCombo(m, i, 0));
    EXPECT_EQ(0, FontSizeCombo(8).selected);
    EXPECT_EQ(16, FontSizeCombo(24).selected);
    for (uint32_t odd : {0u, 7u, 25u, 0xFFFFFFFFu}) {
        m = FontSizeCombo(odd);
        EXPECT_EQ(-1, m.selected);
        EXPECT_EQ(odd, ValueFromCombo(m, -1, odd));
    }
}

TEST(GeneralPage, SkinFolderAlwaysEndsWithABackslash) {
    EXPECT_EQ(W(u""), SkinFolderFromText(W(u"")));
    EXPECT_EQ(W(u""), SkinFolderFromText(W(u"  \t")));
    EXPECT_EQ(W(u"\\Skins\\Blue\\"), SkinFolderFromText(W(u"\\Skins\\Blue")));
    EXPECT_EQ(W(u"\\Skins\\Blue\\"), SkinFolderFromText(W(u" \\Skins\\Blue\\ ")));
    EXPECT_EQ(W(u"\\"), SkinFolderFromText(W(u"\\")));
}
