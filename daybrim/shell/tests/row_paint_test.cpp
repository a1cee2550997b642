// Appointment and task rows drawn into a bitmap at 240 and 480 pixels wide,
// saved as pictures for a look, and checked where they are structural: the
// leading rectangle's colour, the icons where the layout put them, text inside
// its box and nothing past the content's right edge.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "item_painter.h"
#include "png_writer.h"
#include "raii.h"

namespace {

using namespace daybrim;

constexpr COLORREF kWhite = 0xFFFFFF;

COLORREF IconColour(int code) { return RGB(code * 8, 200 - code * 4, 90); }

// Solid squares in a colour of their own, so that each icon can be found.
class SquareIcons : public RowIcons {
public:
    explicit SquareIcons(int side) : side_(side) {}
    void Draw(HDC dc, IconId id, int x, int y) override { Square(dc, 20 + static_cast<int>(id), x, y); }
    void DrawFixed(HDC dc, Fixed which, int x, int y) override { Square(dc, static_cast<int>(which), x, y); }

private:
    void Square(HDC dc, int code, int x, int y) {
        const RECT rc{x, y, x + side_, y + side_};
        raii::Brush br(CreateSolidBrush(IconColour(code)));
        FillRect(dc, &rc, br.get());
    }
    int side_;
};

struct Canvas {
    raii::MemDC dc;
    raii::Bitmap bmp;
    void* bits = nullptr;
    int w, h;
    HGDIOBJ old = nullptr;
    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc.reset(CreateCompatibleDC(nullptr));
        bmp.reset(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        old = SelectObject(dc.get(), bmp.get());
        const RECT rc{0, 0, w, h};
        FillRect(dc.get(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() { SelectObject(dc.get(), old); }
    COLORREF At(int x, int y) const {
        const uint32_t p = static_cast<const uint32_t*>(bits)[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool AnyInk(int l, int t, int r, int b) const {
        for (int y = std::max(0, t); y < std::min(h, b); ++y)
            for (int x = std::max(0, l); x < std::min(w, r); ++x)
                if (At(x, y) != kWhite) return true;
        return false;
    }
    void Save(const std::wstring& path) const {
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const COLORREF c = At(x, y);
                uint8_t* d = &rgb[(static_cast<size_t>(y) * w + x) * 3];
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

TEST(RowPaint, AppointmentsAndTasksAtTwoWidths) {
    CreateDirectoryW(SNAP_DIR, nullptr);
    int wrappedHeight[2] = {0, 0};
    int pass = 0;
    for (int width : {240, 480}) {
        Scaler sc;
        sc.dpiX = sc.dpiY = width == 480 ? 192 : 96;
        raii::Font font(CreateFontW(-sc.Y(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        RowSettings s;
        s.apptDisplayFormat = 3;
        s.leadingRects = 1;
        SquareIcons icons(sc.X(12));
        CItemPainter painter(sc, s, &icons);
        Canvas cv(width, sc.Y(200));
        RowStyle st;
        st.font = font.get();

        ApptInput appt;
        appt.subject = L"Quarterly planning meeting with the whole product team";
        appt.timeText = L"9:00-10:30";
        appt.secondLine = L"Room 4";
        appt.icons.reminder = appt.icons.note = true;
        appt.rightMask = 0x1FF;
        LeadingFill busy;

        RowArea a;
        a.right = a.contentRight = width;
        a.bottom = cv.h;
        a.yOffset = 1000;
        std::vector<RowLayout> rows;
        const auto next = [&] { a.top += rows.back().height; };

        rows.push_back(painter.DrawAppointment(cv.dc.get(), a, st, appt, busy));
        wrappedHeight[pass] = rows.back().height;
        next();
        s.foldingType = 1;
        CItemPainter compact(sc, s, &icons);
        rows.push_back(compact.DrawAppointment(cv.dc.get(), a, st, appt, busy));
        next();
        TaskInput task;
        task.subject = L"Send the signed contract back to the lawyers";
        task.duePrefix = L"Fri";
        task.onCalendar = true;
        task.icons.importance = 2;
        task.icons.reminder = true;
        task.rightMask = 0x1FF;
        rows.push_back(painter.DrawTask(cv.dc.get(), a, st, task));
        next();
        task.foldingType = 1;
        task.completed = true;
        rows.push_back(painter.DrawTask(cv.dc.get(), a, st, task));
        next();
        EventInput ev;
        ev.subject = L"Birthday of Ann Smith-Jones";
        ev.icons.reminder = true;
        ev.rightMask = 0x1FF;
        rows.push_back(painter.DrawCalendarEvent(cv.dc.get(), a, st, ev, CItemPainter::kBirthdayEvent));
        const int eventIconY = a.top - sc.X(6) + GdiMeasurer(cv.dc.get(), font.get()).Height() / 2;
        next();
        rows.push_back(painter.DrawAccountLine(cv.dc.get(), a, st, L"Work mail: 3 unread, 12 messages in all"));
        next();
        cv.Save(std::wstring(SNAP_DIR) + L"/rows_" + std::to_wstring(width) + L".png");

        // Rows stack without gaps and each was at least one line high.
        int y = 0;
        for (const auto& r : rows) {
            EXPECT_GE(r.height, GdiMeasurer(cv.dc.get(), font.get()).Height()) << width;
            y += r.height;
        }
        EXPECT_EQ(y, a.top);

        // The busy appointment's leading rectangle: black frame, busy colour inside.
        const Box& lead = rows[0].leading;
        ASSERT_GT(lead.Width(), 0);
        EXPECT_EQ(cv.At(lead.left, lead.top), 0u) << width;
        EXPECT_EQ(cv.At((lead.left + lead.right) / 2, (lead.top + lead.bottom) / 2), LeadingColour(1, busy)) << width;

        // Every icon where the layout says, and hot zones shifted by the offset.
        for (const auto& r : rows)
            for (const auto& p : r.strip.placed)
                EXPECT_EQ(cv.At(p.x + 1, p.y + 1), IconColour(20 + static_cast<int>(p.icon.id))) << width;
        EXPECT_EQ(rows[0].strip.reminder.top - 1000, rows[0].strip.placed[0].y) << width;
        EXPECT_EQ(cv.At(rows[2].checkX + 1, rows[2].checkY + 1), IconColour(RowIcons::kNotChecked)) << width;
        EXPECT_EQ(cv.At(rows[3].checkX + 1, rows[3].checkY + 1), IconColour(RowIcons::kChecked)) << width;
        EXPECT_EQ(cv.At(EventIconX(sc, rows[4]) + 1, eventIconY + 1), IconColour(RowIcons::kBirthday)) << width;

        // Text inside the subject boxes; the compact rows leave nothing past the edge
        // of the content.
        for (const auto& r : rows)
            EXPECT_TRUE(cv.AnyInk(r.textBox.left, r.subject.top, r.textBox.right, r.subject.bottom)) << width;
        EXPECT_FALSE(cv.AnyInk(width - sc.X(2), rows[1].subject.top, width, rows[1].subject.bottom)) << width;
        ++pass;
    }
    // Twice the width at twice the scale wraps the same: heights scale with the font.
    EXPECT_GT(wrappedHeight[0], 0);
    EXPECT_GT(wrappedHeight[1], wrappedHeight[0]);
}

}  // namespace
