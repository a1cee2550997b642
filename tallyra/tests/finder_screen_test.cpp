// Screenshots of the finder at both screen sizes (240x320 at 96 dpi, 480x640 at
// 192 dpi): the list above each keyboard layout, every alphabet's key labels, the
// two-line rows and the expanded view of a contact. The pictures go to the build
// folder (tallyra_snaps/); the checks look for structure (where keys, labels, rows,
// icons and lines are), not for exact pixels, so that a font change does not break them.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "alphabet.h"
#include "app.h"
#include "finder_harness.h"
#include "layout.h"
#include "raii.h"

using namespace tlt;

namespace {

const COLORREF kLabel = RGB(29, 85, 122);   // the keyboard text colour without a skin
const COLORREF kKeyFace = RGB(0xEE, 0xF2, 0xF6);  // the face of a key cap that is not pushed

struct KeyCell {
    int id;
    RECT rc;
};

// Where the keys of a thumb layout must be, from the keyboard's size alone.
std::vector<KeyCell> ThumbCells(int mode, int w, int top, int h) {
    static const int kIds3x4[12] = {9, 0, 1, 8, 2, 3, 4, 10, 5, 6, 7, 11};
    const int cols = mode == 3 ? 4 : 3;
    std::vector<KeyCell> cells;
    for (int i = 0; i < cols * 3; ++i) {
        const int r = i / cols, c = i % cols;
        RECT rc = {c * (w / cols), top + r * (h / 3), c == cols - 1 ? w : (c + 1) * (w / cols),
                   r == 2 ? top + h : top + (r + 1) * (h / 3)};
        cells.push_back({mode == 3 ? kIds3x4[i] : i, rc});
    }
    return cells;
}

// The compact bar: each group key as wide as its letters, "<<" takes the rest.
std::vector<KeyCell> CompactCells(unsigned alphabet, int w, int top, int h, int scale) {
    const auto labels = tallyra::KeyLabels(alphabet);
    const int unit = (w - 20 * scale) / int(tallyra::LetterCount(labels));
    std::vector<KeyCell> cells;
    int x = 0;
    for (int k = 0; k < 8; ++k) {
        const int kw = unit * int(labels[size_t(k)].size());
        cells.push_back({k, RECT{x, top, x + kw, top + h}});
        x += kw;
    }
    cells.push_back({8, RECT{x, top, w, top + h}});
    return cells;
}

bool IsLabel(COLORREF c) { return Near(c, kLabel, 60); }

RECT Inset(RECT r, int dx, int dy) {
    InflateRect(&r, -dx, -dy);
    return r;
}

// Every group key and the delete key carry their label, centred; blank keys none.
void ExpectLabels(const Pixels& px, const std::vector<KeyCell>& cells, int scale) {
    std::set<int> inks;
    for (const KeyCell& k : cells) {
        SCOPED_TRACE("key " + std::to_string(k.id));
        const RECT inner = Inset(k.rc, 2 * scale, 2 * scale);
        const int n = Count(px, inner, IsLabel);
        if (k.id > 8) {
            EXPECT_EQ(0, n);
            continue;
        }
        EXPECT_GT(n, 8 * scale * scale);
        inks.insert(n);
        const RECT e = Extent(px, inner, IsLabel);
        EXPECT_NEAR((e.left + e.right) / 2, (k.rc.left + k.rc.right) / 2, 3 * scale);
        EXPECT_NEAR((e.top + e.bottom) / 2, (k.rc.top + k.rc.bottom) / 2, 4 * scale);
    }
    // Letters the font lacks all come out as the same empty boxes.
    EXPECT_GT(inks.size(), 3u) << "the key labels look alike: is the alphabet missing from the font?";
}

// The height of the selected row: the highlight down the right edge of the rows
// (left of a scroll bar).
int SelectedBand(const Pixels& px, HWND list, int limit) {
    RECT rc;
    GetClientRect(list, &rc);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    int band = 0;
    while (band < limit && Near(px.At(rc.right - 2, band), highlight, 8)) ++band;
    return band;
}

bool HasHorizontalScrollBar(HWND list) { return (GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0; }

std::wstring SizeName(int scale) { return scale == 1 ? L"240x320" : L"480x640"; }

class FinderScreen : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { RestoreSmallScreen(); }
    int s() const { return GetParam(); }
    bool Screen() { return OnScreen(240 * s(), 320 * s()); }
};

const wchar_t* const kModeNames[4] = {L"none", L"compact", L"thumb3x3", L"thumb3x4"};

}  // namespace

TEST_P(FinderScreen, ListAboveEachKeyboardLayout) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    ASSERT_EQ(contacts.written(), contacts.CountInDatabase()) << "the test device holds other contacts";
    const int dpi = 96 * s();
    const int rowH = tallyra::ScaleDpi(6, dpi) + ListFontHeight(dpi);
    for (int mode : {2, 3, 1, 0}) {
        SCOPED_TRACE(mode);
        settings.Set(kGeneral, L"KeyboardMode", DWORD(mode));
        Finder f;
        ASSERT_TRUE(f.started());
        const Pixels px = Snap(f.hwnd(), std::wstring(L"list-") + kModeNames[mode] + L"-" + SizeName(s()));
        RECT client;
        GetClientRect(f.hwnd(), &client);
        const int w = client.right, h = client.bottom;
        ASSERT_EQ(240 * s(), w);
        ASSERT_EQ(w, px.width);

        // The keyboard: rows of the resolution library's caps (30 or 24 pixels high
        // at 96 dpi, twice that at 192) along the bottom.
        const int kbH = (mode == 1 ? 24 : mode == 0 ? 0 : 90) * s();
        const int kbTop = h - kbH;
        EXPECT_EQ(kbH, f.wnd().keyboard().Height());
        if (mode != 0) {
            // Key faces from a few pixels below the keyboard's top edge on, none above it.
            EXPECT_GT(CountNear(px, RECT{0, kbTop + 4 * s(), w, kbTop + 4 * s() + 1}, kKeyFace, 8), w * 7 / 10);
            EXPECT_EQ(0, CountNear(px, RECT{0, kbTop - 3 * s(), w, kbTop}, kKeyFace, 8));
            EXPECT_GT(CountNear(px, RECT{0, h - 4 * s() - 1, w, h - 4 * s()}, kKeyFace, 8), w * 7 / 10);
            ExpectLabels(px, mode == 1 ? CompactCells(tallyra::kLatin, w, kbTop, kbH, s())
                                       : ThumbCells(mode, w, kbTop, kbH),
                         s());
        } else {
            EXPECT_EQ(0, CountNear(px, RECT{0, h - 10 * s(), w, h}, kKeyFace, 8));
        }

        // The list above it: row 0 selected, one row height high, then one row per
        // contact with its title on the left, its number's icon and the number.
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        EXPECT_EQ(rowH, SelectedBand(px, f.wnd().list().hwnd(), kbTop));
        const int rows = std::min(int(contacts.written()), kbTop / rowH);
        EXPECT_GE(rows, 5);
        const int m = tallyra::ScaleDpi(tallyra::ScaleDpi(4, dpi), dpi);
        const int iconX = w / 2 + m, iconW = 16 * s();
        for (int r = 1; r < rows; ++r) {
            SCOPED_TRACE("row " + std::to_string(r));
            const int top = r * rowH;
            EXPECT_GT(Count(px, RECT{0, top, w / 2, top + rowH}, IsInk), 10 * s());
            EXPECT_GT(Count(px, RECT{iconX, top, iconX + iconW, top + rowH}, IsTinted), 8 * s() * s());
            EXPECT_GT(Count(px, RECT{iconX + iconW + m, top, w, top + rowH}, IsInk), 10 * s());
            EXPECT_EQ(0, Count(px, RECT{0, top, w, top + rowH}, [&](COLORREF c) { return Near(c, highlight, 8); }));
        }
        // Nothing below the last contact.
        EXPECT_EQ(0, Count(px, RECT{0, rows * rowH, w, kbTop}, IsInk));
    }
}

// One list row as the list's owner draw paints it, into a bitmap of its own.
Pixels DrawRow(tallyra::CContactList& list, UINT row, int width, int height) {
    Pixels px;
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    raii::Bitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bmp || !bits) return px;
    raii::Select keep(dc.get(), bmp.get());
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_LISTVIEW;
    dis.itemID = row;
    dis.hDC = dc.get();
    dis.rcItem = {0, 0, width, height};
    list.Draw(&dis);
    GdiFlush();
    px.width = width;
    px.height = height;
    const auto* p = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        px.rgb.push_back(p[4 * i + 2]);
        px.rgb.push_back(p[4 * i + 1]);
        px.rgb.push_back(p[4 * i]);
    }
    return px;
}

TEST_P(FinderScreen, AHighlightedMatchLeavesTheRestOfTheTitleAsItWas) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    auto& list = f.wnd().list();
    RECT client;
    GetClientRect(list.hwnd(), &client);
    const int w = client.right, h = tallyra::ScaleDpi(6, 96 * s()) + ListFontHeight(96 * s());
    // Every title before any key: nothing highlighted.
    const std::vector<uint32_t> all = list.model().visible();
    std::vector<Pixels> plainRows;
    for (size_t row = 0; row < all.size(); ++row) plainRows.push_back(DrawRow(list, UINT(row), w, h));

    f.Key(0);
    const auto& narrowed = list.model().visible();
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    int checked = 0;
    for (size_t row = 0; row < narrowed.size() && row < 6; ++row) {
        const uint32_t record = narrowed[row];
        if (list.model().MatchPos(record) < 0) continue;
        const size_t plainRow = size_t(std::find(all.begin(), all.end(), record) - all.begin());
        ASSERT_LT(plainRow, all.size());
        SCOPED_TRACE("record " + std::to_string(record));
        const Pixels lit = DrawRow(list, UINT(row), w, h);
        const Pixels& plain = plainRows[plainRow];
        ASSERT_EQ(plain.rgb.size(), lit.rgb.size());
        const RECT box = Extent(lit, RECT{0, 0, w, h}, [&](COLORREF c) { return c == highlight; });
        ASSERT_LT(box.left, box.right) << "no highlight drawn";
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((x < box.left || x >= box.right || y < box.top || y >= box.bottom) &&
                    lit.At(x, y) != plain.At(x, y))
                    ++differ;
        EXPECT_EQ(0, differ) << "pixels outside the highlight that changed";
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

TEST_P(FinderScreen, AnEmptyResultSaysThatNoContactMatches) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    HWND list = f.wnd().list().hwnd();
    RECT lr;
    GetClientRect(list, &lr);
    const int rowH = f.wnd().list().RowHeight();
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    auto greyInk = [&](COLORREF c) { return Near(c, grey, 24) && c != GetSysColor(COLOR_WINDOW); };
    // Eight presses of one key: no title has that many letters of one group.
    for (int i = 0; i < 8; ++i) f.Key(7);
    ASSERT_TRUE(f.wnd().list().model().visible().empty());
    const Pixels empty = Snap(list, L"list-no-match-" + SizeName(s()));
    const RECT firstRow = Extent(empty, RECT{0, 0, lr.right, rowH}, greyInk);
    EXPECT_LT(firstRow.left, firstRow.right) << "no text in the empty list";
    // Centred in the first row's place, nothing below it.
    EXPECT_NEAR(lr.right / 2, (firstRow.left + firstRow.right) / 2, 3 * s());
    EXPECT_EQ(0, Count(empty, RECT{0, rowH, lr.right, lr.bottom}, greyInk));

    // The text goes with the search.
    f.Key(8);
    while (!f.wnd().list().model().search().empty()) f.Key(8);
    ASSERT_FALSE(f.wnd().list().model().visible().empty());
}

TEST_P(FinderScreen, TheNavigationBarShowsTheFindersTitleAndTheClock) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    SetForegroundWindow(f.hwnd());
    Pump();
    Pixels screen;
    ASSERT_TRUE(today::CaptureScreen(&screen));
    Snap(f.hwnd(), L"screen-" + SizeName(s()));
    RECT wr;
    GetWindowRect(f.hwnd(), &wr);
    const int band = wr.top;  // the finder starts below the bar
    ASSERT_EQ(26 * s(), band);
    const int w = screen.width;
    // The bar's blue from edge to edge, white text at the left (the title) and at
    // the right (the clock), none in the middle of an empty stretch.
    EXPECT_EQ(0, Count(screen, RECT{0, 0, w, 1}, [](COLORREF c) { return GetBValue(c) < 80 || GetRValue(c) > 60; }));
    auto white = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200; };
    EXPECT_GT(Count(screen, RECT{0, 0, w / 3, band}, white), 20 * s());
    EXPECT_GT(Count(screen, RECT{w * 3 / 4, 0, w, band}, white), 10 * s());
    // The view and the settings dialog take the bar's title: their caption is gone.
    wchar_t title[64] = {};
    GetWindowTextW(f.hwnd(), title, 64);
    EXPECT_STRNE(L"", title);
}

TEST_P(FinderScreen, KeyLabelsOfEveryAlphabet) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    const int dpi = 96 * s();
    struct {
        unsigned alphabet;
        UINT command;
        const wchar_t* name;
    } const alphabets[] = {{tallyra::kLatin, tallyra::kCmdLatin, L"latin"},
                           {tallyra::kCyrillic, tallyra::kCmdCyrillic, L"cyrillic"},
                           {tallyra::kHebrew, tallyra::kCmdHebrew, L"hebrew"},
                           {tallyra::kGreek, tallyra::kCmdGreek, L"greek"}};
    for (int mode : {2, 1}) {
        settings.Set(kGeneral, L"KeyboardMode", DWORD(mode));
        Finder f;
        ASSERT_TRUE(f.started());
        RECT client;
        GetClientRect(f.hwnd(), &client);
        const int w = client.right, kbH = (mode == 1 ? 24 : 90) * s(), kbTop = client.bottom - kbH;
        for (const auto& a : alphabets) {
            SCOPED_TRACE(std::string(mode == 1 ? "compact " : "thumb ") + std::to_string(a.alphabet));
            f.Command(a.command);
            const Pixels px = Snap(f.hwnd(), std::wstring(L"keys-") + kModeNames[mode] + L"-" + a.name + L"-" +
                                                 SizeName(s()));
            const auto cells = mode == 1 ? CompactCells(a.alphabet, w, kbTop, kbH, s()) : ThumbCells(mode, w, kbTop, kbH);
            ExpectLabels(px, cells, s());
            // The first and sixth keys show this alphabet's letters: their ink is as
            // wide as those letters in the key font (on the thumb keys, where they fit).
            const auto labels = tallyra::KeyLabels(a.alphabet);
            for (int k : {0, 5}) {
                if (mode == 1) break;
                const RECT e = Extent(px, Inset(cells[size_t(k)].rc, s(), s()), IsLabel);
                EXPECT_NEAR(KeyTextWidth(labels[size_t(k)], dpi), e.right - e.left, 2 + 2 * s()) << "key " << k;
            }
        }
    }
}

TEST_P(FinderScreen, TwoLineRows) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    settings.Set(kLayout, L"ContactLayout", 2);
    settings.Set(kGeneral, L"KeyboardMode", 0);
    Finder f;
    ASSERT_TRUE(f.started());
    const Pixels px = Snap(f.hwnd(), L"list-two-lines-" + SizeName(s()));
    const int dpi = 96 * s(), w = px.width;
    const int rowH = tallyra::ScaleDpi(7, dpi) + 2 * ListFontHeight(dpi);
    const int line = tallyra::ScaleDpi(1, dpi);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const int m = tallyra::ScaleDpi(tallyra::ScaleDpi(4, dpi), dpi), iconW = 16 * s();
    RECT list;
    GetClientRect(f.wnd().list().hwnd(), &list);
    const int rows = std::min(8, int(list.bottom) / rowH);
    EXPECT_GE(rows, 6);
    // More rows than fit: a vertical scroll bar, and the rows narrowed beside it.
    EXPECT_FALSE(HasHorizontalScrollBar(f.wnd().list().hwnd()));
    EXPECT_EQ(list.right, ListView_GetColumnWidth(f.wnd().list().hwnd(), 0));
    for (int r = 0; r < rows; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const int top = r * rowH, mid = top + (rowH - line) / 2;
        // A separator under every row, and only there.
        EXPECT_GT(CountNear(px, RECT{0, top + rowH - line, w, top + rowH}, grey, 4), w * line * 9 / 10);
        EXPECT_LT(CountNear(px, RECT{0, top + rowH - line - 1, w, top + rowH - line}, grey, 4), w / 2);
        // The number's icon at the left of the lower line, the number beside it.
        if (r > 0) {
            EXPECT_GT(Count(px, RECT{m, mid, m + iconW, top + rowH - line}, IsTinted), 8 * s() * s());
            EXPECT_EQ(0, Count(px, RECT{m, top, m + iconW, mid - 1}, IsTinted));
            EXPECT_GT(Count(px, RECT{2 * m + iconW, mid, w, top + rowH - line}, IsInk), 10 * s());
            EXPECT_GT(Count(px, RECT{m, top, w, mid}, IsInk), 10 * s());
        }
    }
}

TEST_P(FinderScreen, RowsTakeTheirNewHeightWhenTheSettingsChange) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    const int dpi = 96 * s(), l = ListFontHeight(dpi);
    HWND list = f.wnd().list().hwnd();
    EXPECT_EQ(tallyra::ScaleDpi(6, dpi) + l,
              SelectedBand(Snap(f.hwnd(), L"list-before-settings-" + SizeName(s())), list, 200));
    // What the settings dialog's OK does: two-line rows, same keyboard, same list size.
    settings.Set(kLayout, L"ContactLayout", 2);
    f.wnd().ApplySettings();
    Pump();
    const Pixels px = Snap(f.hwnd(), L"list-after-settings-" + SizeName(s()));
    const int rowH = tallyra::ScaleDpi(7, dpi) + 2 * l;
    EXPECT_EQ(rowH - tallyra::ScaleDpi(1, dpi), SelectedBand(px, list, 200));
    EXPECT_FALSE(HasHorizontalScrollBar(list));
    EXPECT_GT(CountNear(px, RECT{0, 2 * rowH - s(), px.width, 2 * rowH}, GetSysColor(COLOR_GRAYTEXT), 4),
              px.width * 9 / 10);
}

TEST_P(FinderScreen, ExpandedViewOfAContact) {
    if (!Screen()) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    // a-d-a-m-s on the group keys leaves the one contact.
    for (int key : {0, 1, 0, 4, 5}) f.Key(key);
    ASSERT_EQ(1u, f.wnd().list().model().visible().size());
    Snap(f.hwnd(), L"list-narrowed-" + SizeName(s()));

    const int dpi = 96 * s();
    const int rowH = 2 * (tallyra::ScaleDpi(9, dpi) + ListFontHeight(dpi));
    const int line = tallyra::ScaleDpi(1, dpi);
    const int m = tallyra::ScaleDpi(tallyra::ScaleDpi(4, dpi), dpi), iconW = 16 * s();
    Pixels view, rows;
    RECT listInView = {};
    const bool shown = WithExpandedView(f, [&](HWND dlg) {
        view = Snap(dlg, L"expanded-" + SizeName(s()));
        HWND list = FindWindowExW(dlg, nullptr, WC_LISTVIEWW, nullptr);
        ASSERT_NE(nullptr, list);
        rows = Snap(list, L"expanded-rows-" + SizeName(s()));
        RECT wr, lr;
        GetWindowRect(dlg, &wr);
        GetWindowRect(list, &lr);
        listInView = RECT{lr.left - wr.left, lr.top - wr.top, lr.right - wr.left, lr.bottom - wr.top};
    });
    ASSERT_TRUE(shown);
    ASSERT_EQ(240 * s(), view.width);
    ASSERT_GT(rows.height, 4 * rowH);

    // The header above the rows: the contact's title in ink.
    EXPECT_GT(Count(view, RECT{0, listInView.top - 28 * s(), view.width / 2, listInView.top}, IsInk), 20 * s());

    // Call and text for the mobile number, call for the work number, mail for the
    // address: label over number at the left, a separator under each row, and the
    // number's icon at the right: blue phones, the brown case and the yellow letter,
    // 16 pixels square at 96 dpi and 32 at 192 (the high-resolution library's).
    auto bluish = [](COLORREF c) { return IsTinted(c) && GetBValue(c) > GetRValue(c) + 40; };
    auto brownish = [](COLORREF c) { return IsTinted(c) && GetRValue(c) > GetBValue(c) + 40; };
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), white = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const int w = rows.width;
    const int least = s() == 1 ? 6 : 40;
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const int top = r * rowH, bottom = top + rowH - line, mid = (top + bottom) / 2;
        EXPECT_GT(CountNear(rows, RECT{0, bottom, w, bottom + line}, grey, 4), w * line * 9 / 10);
        if (r == 0) {  // selected: light text on the highlight
            EXPECT_GT(CountNear(rows, RECT{m, top, w / 2, mid}, white, 30), 10 * s());
            EXPECT_GT(CountNear(rows, RECT{m, mid, w / 2, bottom}, white, 30), 10 * s());
            continue;
        }
        const RECT icon = {w - m - iconW - s(), top, w - m + s(), bottom};
        EXPECT_GT(Count(rows, icon, r == 1 ? std::function<bool(COLORREF)>(bluish) : brownish), least);
        EXPECT_EQ(0, Count(rows, RECT{w / 2, top, w - m - iconW - 2 * s(), bottom}, IsTinted));
        EXPECT_GT(Count(rows, RECT{m, top, w / 2, mid}, IsInk), 10 * s());
        EXPECT_GT(Count(rows, RECT{m, mid, w / 2, bottom}, IsInk), 10 * s());
    }
    EXPECT_EQ(0, Count(rows, RECT{0, 4 * rowH, w, rows.height}, IsInk));
}

INSTANTIATE_TEST_SUITE_P(BothScreens, FinderScreen, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& i) { return i.param == 1 ? "Small" : "Large"; });
