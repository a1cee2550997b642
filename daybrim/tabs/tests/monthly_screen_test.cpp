// The floating and the pinned monthly calendar drawn at 240x320 and 480x640,
// saved as pictures for a look, and checked where the picture must be right:
// today's cell, the selection, a day's timeline, the week-number column and the
// pinned side column's drop mode.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "button_strip.h"
#include "caption_buttons.h"
#include "cesim.h"
#include "image_cache.h"
#include "monthly_calendar.h"
#include "png_writer.h"
#include "reg.h"
#include "week_number.h"

namespace {

using namespace daybrim;
using namespace daybrim::monthly;

constexpr COLORREF kBarColour = RGB(200, 30, 30);
constexpr COLORREF kIconColour = RGB(20, 40, 220);  // category 5; 6 has no icon

int Day(int y, int m, int d) { return DayFromDate(y, m, d); }

// Every month has a 9:00-12:00 appointment on the 10th and an all-day one on the 18th.
class FixedReader : public RangeReader {
public:
    std::unique_ptr<LoadedRange> Load(int first, int last) override {
        auto r = std::make_unique<MonthTimelines>();
        r->first = first;
        r->last = last;
        r->days.resize(size_t(last - first + 1));
        for (int d = first; d <= last; ++d) {
            int y, m, dd;
            DateFromDay(d, &y, &m, &dd);
            if (dd == 10) r->days[size_t(d - first)].Add(d, d + 9 / 24.0, d + 12 / 24.0, false, kBarColour);
            if (dd == 10) r->days[size_t(d - first)].AddCategories({5, 6, 5});
            if (dd == 18) r->days[size_t(d - first)].Add(d, d, d + 1, true, kBarColour);
        }
        return r;
    }
};

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    void* bits = nullptr;
    int w, h;
    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bmp);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const {
        const uint32_t p = static_cast<const uint32_t*>(bits)[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool Has(const BarRect& r, COLORREF c) const {
        for (int y = std::max(0, r.top); y < std::min(h, r.bottom); ++y)
            for (int x = std::max(0, r.left); x < std::min(w, r.right); ++x)
                if (At(x, y) == c) return true;
        return false;
    }
    void Save(const std::wstring& path) const {
        std::vector<uint8_t> rgb(size_t(w) * h * 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const COLORREF c = At(x, y);
                uint8_t* d = &rgb[(size_t(y) * w + x) * 3];
                d[0] = GetRValue(c);
                d[1] = GetGValue(c);
                d[2] = GetBValue(c);
            }
        const std::vector<uint8_t> png = png::EncodeRgb(w, h, rgb.data());
        FILE* f = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(png.data(), 1, png.size(), f);
        fclose(f);
    }
};

void PumpUntil(const CMonthlyCalendar& cal) {
    for (int i = 0; i < 600 && !cal.timelines(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
}

MonthlySetup MakeSetup(const Scaler& sc) {
    MonthlySetup s;
    s.inst = GetModuleHandleW(nullptr);
    s.sc = sc;
    s.today = Day(2026, 12, 7);
    s.startDay = 0;      // weeks from Monday
    s.firstWorkDay = 0;  // Monday to Friday
    s.weekNumbers = true;
    s.weekRule = kFirstFourDayWeek;
    s.timelines = 2;
    s.dpadNavigation = 2;  // today starts selected in the floating calendar
    const uint32_t skin[kMonCount] = {0x85DA96, 0x383246, 0xEBC9B5, 0x383246, 0x8FF1EE, 0x383246, 0xE6DCE6,
                                      0x88829C, 0x969696, 0xFFFFFF, 0xDC7882, 0x565074, 0xC8C8C8, 0x282828};
    for (int i = 0; i < kMonCount; ++i) s.monthly[i] = skin[i];
    s.makeReader = [] { return std::unique_ptr<RangeReader>(new FixedReader); };
    s.categoryIcons = true;
    s.iconSize = sc.X(6);
    s.drawCategoryIcon = [](HDC dc, int32_t id, int x, int y, int size) {
        if (id != 5) return false;
        const RECT r = {x, y, x + size, y + size};
        HBRUSH b = CreateSolidBrush(kIconColour);
        FillRect(dc, &r, b);
        DeleteObject(b);
        return true;
    };
    return s;
}

// How many colours each picture square of a caption strip window shows.
std::vector<size_t> ColoursPerButton(HWND strip, const Scaler& sc, size_t count) {
    RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rc;
    GetClientRect(strip, &rc);
    Canvas shot(rc.right, rc.bottom);
    HDC dc = GetDC(strip);
    BitBlt(shot.dc, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(strip, dc);
    GdiFlush();
    const ButtonStrip geometry(sc, std::vector<int>(count, 0));
    std::vector<size_t> out;
    for (size_t i = 0; i < count; ++i) {
        const BarRect cell = geometry.ButtonRect(i);
        std::set<COLORREF> colours;
        for (int y = cell.top; y < std::min(cell.bottom, int(rc.bottom)); ++y)
            for (int x = cell.left; x < std::min(cell.right, int(rc.right)); ++x) colours.insert(shot.At(x, y));
        out.push_back(colours.size());
    }
    return out;
}

}  // namespace

TEST(MonthlyScreen, FloatingAndPinnedAtBothResolutions) {
    CreateDirectoryW(SNAP_DIR, nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MonthlyScreenHost";
    RegisterClassW(&wc);
    for (int width : {240, 480}) {
        Scaler sc;
        sc.dpiX = sc.dpiY = width == 480 ? 192 : 96;
        TheScaler() = sc;  // the caption strip sizes itself by the item's scaler
        // On the screen that comes with the resolution, or the popup is pushed up
        // off a small one and its caption cannot be read back.
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", DWORD(width));
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", DWORD(width * 4 / 3));
        HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, width * 4 / 3,
                                    nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(host);
        // The caption pictures as the item has them without a skin folder.
        raii::Library res(LoadLibraryW(width == 480 ? HIGH_RES_DLL : LOW_RES_DLL));
        ASSERT_TRUE(res);
        CImageCache images;
        images.Load(res.get(), width == 480, L"");
        for (bool pinned : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + (pinned ? " pinned" : " floating"));
            MonthlySetup setup = MakeSetup(sc);
            setup.images = &images;
            CMonthlyCalendar cal;
            const int w = pinned ? width : sc.X(220), h = pinned ? sc.Y(100) : sc.Y(160);
            ASSERT_TRUE(cal.Show(setup, host, pinned ? 0 : sc.X(10), pinned ? width * 4 / 3 - h : sc.Y(40), w, h,
                                 kBrowse, 0, 0, pinned));
            PumpUntil(cal);
            ASSERT_TRUE(cal.timelines());
            RECT rc;
            GetClientRect(cal.hwnd(), &rc);
            Canvas canvas(rc.right, rc.bottom);
            cal.Paint(canvas.dc, rc.right, rc.bottom);
            canvas.Save(std::wstring(SNAP_DIR) + L"\\monthly_" + std::to_wstring(width) +
                        (pinned ? L"_pinned.png" : L"_floating.png"));

            Layout l;
            l.sc = sc;
            l.width = rc.right;
            l.height = rc.bottom;
            l.top = pinned ? 0 : sc.Y(22);
            l.sideColumn = pinned ? sc.X(24) : 0;
            l.weekNumbers = true;
            l.rows = cal.grid().Rows();
            const MonthGrid& g = cal.grid();
            ASSERT_EQ(Day(2026, 11, 30), g.first);
            // Today: selected in the floating calendar (D-pad), filled in the pinned one.
            const COLORREF today = pinned ? setup.monthly[kMonCurrentDay] : setup.monthly[kMonHighlight];
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 12, 7) - g.first), today));
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 12, 8) - g.first), setup.monthly[kMonWeekdays]));
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 12, 12) - g.first), setup.monthly[kMonWeekends]));
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 11, 30) - g.first), setup.monthly[kMonPrevMonth]));
            // The 10th's timeline, the all-day mark of the 18th, none on the 11th.
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 12, 10) - g.first), kBarColour));
            EXPECT_TRUE(canvas.Has(l.Cell(Day(2026, 12, 18) - g.first), kBarColour));
            EXPECT_FALSE(canvas.Has(l.Cell(Day(2026, 12, 11) - g.first), kBarColour));
            EXPECT_TRUE(canvas.Has(l.WeekCell(0), setup.monthly[kMonWeekNums]));
            // Category icons in the popup only.
            EXPECT_EQ(!pinned, canvas.Has(l.Cell(Day(2026, 12, 10) - g.first), kIconColour));
            EXPECT_FALSE(canvas.Has(l.Cell(Day(2026, 12, 11) - g.first), kIconColour));
            // The floating calendar's today, previous, next and close buttons each
            // show their picture, not a blank or flat square.
            HWND strip = FindWindowExW(cal.hwnd(), nullptr, CCaptionBarButtons::kClass, nullptr);
            EXPECT_EQ(!pinned, strip != nullptr);
            if (strip) {
                const std::vector<size_t> colours = ColoursPerButton(strip, sc, 4);
                for (size_t i = 0; i < colours.size(); ++i) EXPECT_GE(colours[i], 3u) << "button " << i;
            }
            if (pinned) {
                // The copy mode, the drop mode a calendar starts in, is lit.
                EXPECT_TRUE(canvas.Has(l.SideButton(4), setup.monthly[kMonHighlight]));
                EXPECT_FALSE(canvas.Has(l.SideButton(3), setup.monthly[kMonHighlight]));
            }
            cal.Destroy();
        }
        DestroyWindow(host);
    }
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", 240);
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", 320);
}
