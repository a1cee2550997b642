// Every kind of row drawn into a bitmap at 240 and 480 pixels wide, saved as
// pictures for a look, and checked where they are structural: the leading
// rectangle's colour, the icons where the layout put them, text inside its box,
// nothing past the content's right edge, the hot zones written back inside the
// row, the highlight fill, and a measured height that matches the drawn one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "datetime.h"
#include "image_cache.h"
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
    void DrawImage(HDC dc, int slot, int x, int y) override { Square(dc, 40 + slot, x, y); }

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
    bool Any(COLORREF c, int l, int t, int r, int b) const {
        for (int y = std::max(0, t); y < std::min(h, b); ++y)
            for (int x = std::max(0, l); x < std::min(w, r); ++x)
                if (At(x, y) == c) return true;
        return false;
    }
    void Clear() {
        const RECT rc{0, 0, w, h};
        FillRect(dc.get(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
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

namespace {

class FakeTexts : public TextSource {
public:
    std::wstring String(unsigned id) const override {
        switch (id) {
        case text_id::kToday: return L"Today";
        case text_id::kTomorrow: return L"Tomorrow";
        case text_id::kInDays: return L"in %d days";
        case text_id::kEmptyLine: return L"Nothing here";
        }
        return L"";
    }
};

class FakeFormat : public DateTimeFormat {
public:
    std::wstring Date(double, const wchar_t*) const override { return L"07/12"; }
    std::wstring Time(double, const wchar_t*) const override { return L"9:30"; }
    bool MonthOrYearFirst() const override { return true; }
    bool TwelveHour() const override { return false; }
};

constexpr COLORREF kHighlight = RGB(250, 200, 40);
constexpr int kToday = 45000;  // a fixed day: nothing here reads the clock
constexpr int kOffset = 500;   // the list's scroll offset, added to hot zones

// A 12-pixel mark centred on an 11-pixel line may stand out of its row by a pixel
// or two; more than that is a misplaced mark.
bool Inside(const HotRect& r, int width, int top, int bottom, int slack) {
    return r.left >= 0 && r.right <= width && r.top >= top + kOffset - slack &&
           r.bottom <= bottom + kOffset + slack && r.right > r.left;
}

// One row of each kind, with what must show in it.
struct RowCase {
    const char* name;
    std::vector<int> slots;  // images that must be drawn, by cache slot
    // Draws the row at `top`; checks the hot zones it wrote against the row's extent.
    std::function<int(DrawContext&, const HotRect&, unsigned)> draw;
    std::function<void(int width, int top, int bottom)> hot;
    bool marksSearch = false;  // the search match is marked in the highlight colours
};

TEST(RowPaint, EveryKindDrawsMeasuresAndHighlights) {
    CreateDirectoryW(SNAP_DIR, nullptr);
    for (int width : {240, 480}) {
        Scaler sc;
        sc.dpiX = sc.dpiY = width == 480 ? 192 : 96;
        raii::Font font(CreateFontW(-sc.Y(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        raii::Font small(CreateFontW(-sc.Y(9), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        raii::Font bold(CreateFontW(-sc.Y(11), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        SquareIcons icons(sc.X(12));
        FakeTexts texts;
        FakeFormat format;
        PainterStyle style;
        style.row.apptDisplayFormat = 3;
        style.row.leadingRects = 1;
        style.row.foldingType = 0;
        style.general = font.get();
        style.small = small.get();
        style.placeholder = bold.get();
        style.titles = bold.get();
        style.highlightBg = kHighlight;
        style.highlightText = RGB(0, 0, 128);
        style.apptLeft[0] = 1;  // the reminder on the left as well
        style.notesDisplay = 7;
        PainterServices services{&icons, &texts, &format, nullptr};
        CItemPainter painter(sc, style, services);
        PainterStyle pictures = style;
        pictures.contactsLayout = 2;
        CItemPainter picturePainter(sc, pictures, services);

        Canvas timelineBits(24, 4);
        const RECT all{0, 0, 24, 4};
        raii::Brush red(CreateSolidBrush(RGB(255, 0, 0)));
        FillRect(timelineBits.dc.get(), &all, red.get());
        SelectObject(timelineBits.dc.get(), timelineBits.old);  // the bitmap is copied from elsewhere
        HotRect timelineHot;

        TDailyList day(kToday);
        day.title = L"Monday 7 December";
        day.counters[0] = 3;
        day.counters[1] = 12;
        TApptItem appt;
        appt.title = L"Quarterly planning meeting with the whole product team";
        appt.location = L"Room 4";
        appt.reminder.value = appt.note.value = 1.0;
        TTaskClr task;
        task.title = L"Send the signed contract back";
        task.prefix = L"Fri";
        task.importance = 2;
        task.note.value = 1.0;
        TSEvent birthday(kKindSEventContact), onCalendar(kKindSEventOnCalendar);
        birthday.title = onCalendar.title = L"Ann Smith-Jones";
        {
            // Born thirty years before the day after tomorrow.
            const auto now = datetime::CivilFromDays(kToday + 3 + datetime::kOleEpochDays);
            birthday.date = double(datetime::DaysFromCivil(now.year - 30, now.month, now.day) - datetime::kOleEpochDays);
        }
        onCalendar.note.value = 1.0;
        TContactItem contact;
        contact.title = L"Smith, Ann";
        contact.preferredText = L"+1 555 0100";
        contact.preferredId = 0x0097001F;
        contact.note.value = 1.0;
        contact.matchPos = 0;
        TEmptyItem emptyGroup, emptyList(true);
        NoteRow note;
        note.name = L"Shopping list for the weekend";
        note.typeBits = 32;
        note.completion = 60;
        note.size = 2048;
        NoteRow memo;
        memo.name = L"Memo";
        memo.typeBits = 4;
        memo.onStorageCard = true;
        MessageRow mail;
        mail.sender = L"Ann Smith";
        mail.subject = L"Re: contract";
        mail.unread = true;
        mail.importance = 2;
        AccountRow account{L"Work mail: 3 unread"};
        const std::wstring search = L"sm";

        auto groupWith = [&](int lineStyle, bool timeline) {
            return [&, lineStyle, timeline](DrawContext& dc, const HotRect& rc, unsigned f) {
                dc.group.lineStyle = lineStyle;
                dc.group.foldButton = true;
                dc.group.counterKind[0] = 1;
                dc.group.counterKind[1] = 2;
                dc.group.timeline = timeline ? reinterpret_cast<uintptr_t>(timelineBits.bmp.get()) : 0;
                dc.group.timelineHot = &timelineHot;
                return day.Draw(dc, rc, f);
            };
        };
        const auto none = [](int, int, int) {};
        const RowCase cases[] = {
            {"title_band", {40 + kImgFoldingExpand, 40 + kImgApptCounter, 40 + kImgTaskCounter}, groupWith(3, true),
             [&](int w, int t, int b) { EXPECT_TRUE(Inside(timelineHot, w, t, b, sc.Y(1))); }},
            {"title_line", {40 + kImgFoldingExpand, 40 + kImgTaskCounter}, groupWith(1, false), none},
            {"title_underline", {40 + kImgFoldingExpand}, groupWith(0, false), none},
            {"appointment", {20 + int(IconId::Reminder), 20 + int(IconId::Note)},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return appt.Draw(dc, rc, f); },
             [&](int w, int t, int b) {
                 EXPECT_TRUE(Inside(appt.reminder.rc, w, t, b, sc.X(2)));
                 EXPECT_TRUE(Inside(appt.note.rc, w, t, b, sc.X(2)));
             }},
            {"task", {RowIcons::kNotChecked, 20 + int(IconId::HighImportance)},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return task.Draw(dc, rc, f); },
             [&](int w, int t, int b) {
                 EXPECT_TRUE(Inside(task.note.rc, w, t, b, sc.X(2)));
                 EXPECT_GT(task.tabValue, 0);
             }},
            {"calendar_event", {RowIcons::kBirthday},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return onCalendar.Draw(dc, rc, f); },
             [&](int w, int t, int b) { EXPECT_TRUE(Inside(onCalendar.note.rc, w, t, b, sc.X(2))); }},
            {"special_event", {20 + int(IconId::Reminder)},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) {
                 dc.alertBefore[0] = 5;
                 return birthday.Draw(dc, rc, f);
             },
             none},
            {"account", {}, [&](DrawContext& dc, const HotRect& rc, unsigned f) { return painter.Account(dc, account, rc, f); },
             none},
            {"note_list", {40 + kImgNote},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return painter.Note(dc, note, rc, f); },
             [&](int w, int, int) { EXPECT_TRUE(note.iconX >= 0 && note.iconX < w); }},
            {"note_file", {40 + kImgNoteTextTypeStorage},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return painter.Note(dc, memo, rc, f); }, none},
            {"message", {40 + kImgEmailUnread, 40 + kImgHighImportance},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) { return painter.Message(dc, mail, rc, f); }, none},
            {"contact_list", {40 + kImgNote, 40 + kImgPhoneWork},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) {
                 dc.searchText = &search;
                 return contact.Draw(dc, rc, f);
             },
             [&](int w, int t, int b) {
                 EXPECT_TRUE(Inside(contact.note.rc, w, t, b, sc.X(2)));
                 EXPECT_TRUE(Inside(contact.numberHot, w, t, b, sc.X(2)));
             },
             true},
            {"contact_picture", {40 + kImgNoPictureContact, 40 + kImgNote, 40 + kImgPhoneWork},
             [&](DrawContext& dc, const HotRect& rc, unsigned f) {
                 dc.painter = &picturePainter;
                 return contact.Draw(dc, rc, f);
             },
             [&](int w, int t, int b) { EXPECT_TRUE(Inside(contact.numberHot, w, t, b, sc.X(2))); }},
            {"empty_group", {}, [&](DrawContext& dc, const HotRect& rc, unsigned f) { return emptyGroup.Draw(dc, rc, f); },
             none},
            {"empty_list", {}, [&](DrawContext& dc, const HotRect& rc, unsigned f) { return emptyList.Draw(dc, rc, f); },
             none},
        };

        Canvas cv(width, sc.Y(80));
        for (const RowCase& c : cases) {
            const std::string what = std::string(c.name) + " at " + std::to_string(width);
            for (bool highlighted : {false, true}) {
                cv.Clear();
                DrawContext dc;
                dc.painter = &painter;
                dc.hdc = reinterpret_cast<uintptr_t>(cv.dc.get());
                dc.width = width;
                dc.contentRight = width;
                dc.yOffset = kOffset;
                dc.dpiX = dc.dpiY = sc.dpiX;
                dc.today = kToday;
                HotRect rc;
                rc.left = 0;
                rc.right = width;
                rc.top = sc.Y(10);
                rc.bottom = cv.h;
                const unsigned flags = highlighted ? unsigned(kDrawHighlighted) : 0u;
                const int measured = c.draw(dc, rc, flags | kDrawMeasureOnly);
                EXPECT_FALSE(cv.AnyInk(0, 0, cv.w, cv.h)) << what << ": measuring drew";
                if (highlighted) {
                    HotRect band = rc;
                    band.bottom = rc.top + measured;
                    painter.Highlight(dc, band);
                }
                const int drawn = c.draw(dc, rc, flags);
                EXPECT_EQ(measured, drawn) << what;
                ASSERT_GT(drawn, 0) << what;
                const int bottom = rc.top + drawn;
                EXPECT_TRUE(cv.AnyInk(0, rc.top, cv.w, bottom)) << what;
                for (int slot : c.slots) EXPECT_TRUE(cv.Any(IconColour(slot), 0, 0, cv.w, cv.h)) << what << " " << slot;
                if (highlighted) {
                    EXPECT_TRUE(cv.Any(kHighlight, 0, rc.top, cv.w, bottom)) << what;
                } else {
                    EXPECT_EQ(c.marksSearch, cv.Any(kHighlight, 0, 0, cv.w, cv.h)) << what;
                    c.hot(width, rc.top, bottom);
                    cv.Save(std::wstring(SNAP_DIR) + L"/row_" + std::wstring(c.name, c.name + strlen(c.name)) + L"_" +
                            std::to_wstring(width) + L".png");
                }
            }
        }
    }
}

TEST(RowPaint, FormsFollowTheFlagsAndTheFolding) {
    Scaler sc;
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    PainterStyle style;
    style.general = font.get();
    style.row.foldingType = 2;  // compact unless highlighted
    CItemPainter painter(sc, style, PainterServices{});
    Canvas cv(240, 200);
    TApptItem appt;
    appt.title = L"A subject long enough to need three or four lines in a narrow row of the list";
    TTaskTsks task;
    task.title = appt.title;
    DrawContext dc;
    dc.painter = &painter;
    dc.hdc = reinterpret_cast<uintptr_t>(cv.dc.get());
    dc.contentRight = 240;
    HotRect rc;
    rc.left = 0;
    rc.top = 0;
    rc.right = 240;
    rc.bottom = 200;
    const int h = GdiMeasurer(cv.dc.get(), font.get()).Height();
    struct Case {
        unsigned flags;
        int folding;     // the tab's folding type, -1 the setting
        bool oneLine;
    } cases[] = {
        {0, -1, true},
        {kDrawHighlighted, -1, false},
        {kDrawHighlighted | kDrawCompact, -1, true},
        {kDrawFull, -1, false},
        {0, 0, false},
        {kDrawHighlighted, 1, true},
        {kDrawMeasureOnly, -1, true},
        {kDrawMeasureOnly | kDrawHighlighted, -1, false},
    };
    for (const Case& c : cases) {
        dc.foldingType = c.folding;
        for (TItem* item : std::initializer_list<TItem*>{&appt, &task}) {
            const int got = item->Draw(dc, rc, c.flags);
            if (c.oneLine) EXPECT_EQ(got, h + sc.Y(1)) << c.flags << " " << c.folding << " kind " << item->Kind();
            else EXPECT_GT(got, 2 * h) << c.flags << " " << c.folding << " kind " << item->Kind();
        }
    }
}

TEST(RowPaint, HotZonesFollowTheMarksShown) {
    Scaler sc;
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    PainterStyle style;
    style.general = font.get();
    CItemPainter painter(sc, style, PainterServices{});
    Canvas cv(240, 100);
    TApptItem appt;
    appt.title = L"Review";
    appt.reminder.value = appt.note.value = appt.link.value = 1.0;
    DrawContext dc;
    dc.painter = &painter;
    dc.hdc = reinterpret_cast<uintptr_t>(cv.dc.get());
    dc.contentRight = 240;
    HotRect rc;
    rc.left = 0;
    rc.top = 20;
    rc.right = 240;
    rc.bottom = 100;
    struct Case {
        int mask;        // the strip's icons
        unsigned flags;
        bool reminder, note, link;  // hot zones expected on screen
    } cases[] = {
        {kIconReminder | kIconNote | kIconLink, 0, true, true, true},
        {kIconNote, 0, false, true, false},               // marks no longer shown answer no taps
        {kIconReminder | kIconNote | kIconLink, kDrawMeasureOnly, false, true, false},  // measuring keeps them
        {kIconLink, 0, false, false, true},
    };
    const auto shown = [](const HotSpot& h) { return h.rc.left >= 0 && h.rc.top >= 0; };
    for (const Case& c : cases) {
        dc.rightMask = c.mask;
        appt.Draw(dc, rc, c.flags);
        EXPECT_EQ(c.reminder, shown(appt.reminder)) << c.mask;
        EXPECT_EQ(c.note, shown(appt.note)) << c.mask;
        EXPECT_EQ(c.link, shown(appt.link)) << c.mask;
    }
}

TEST(RowPaint, TaskCheckBoxFollowsTheLeftCodesItsRowDraws) {
    Scaler sc;
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    Canvas cv(240, 60);
    TTaskTsks task;
    task.title = L"Buy milk";
    HotRect rc;
    rc.left = 0;
    rc.top = 0;
    rc.right = 240;
    rc.bottom = 60;
    struct Case {
        int apptSlots, taskSlots;  // the Calendar's left codes set, per kind
        int tabCodes[2];           // the tab's own codes; -1 the Calendar's
        int checkX;
    } cases[] = {
        {2, 0, {-1, -1}, 1},       // appointments' icons take no room before a task
        {2, 2, {0, 0}, 1},         // a tab drawing no left icons keeps no room for them
        {0, 0, {0, 5}, 13 + 1},    // and one drawing its own keeps room for those
        {2, 0, {4, 5}, 26 + 1},
    };
    for (const Case& c : cases) {
        PainterStyle style;
        style.general = font.get();
        style.row.apptLeftSlots = c.apptSlots;
        style.row.taskLeftSlots = c.taskSlots;
        CItemPainter painter(sc, style, PainterServices{});
        DrawContext dc;
        dc.painter = &painter;
        dc.hdc = reinterpret_cast<uintptr_t>(cv.dc.get());
        dc.contentRight = 240;
        dc.leftIcons[0] = c.tabCodes[0];
        dc.leftIcons[1] = c.tabCodes[1];
        task.tabValue = -1;
        task.Draw(dc, rc, 0);
        EXPECT_EQ(c.checkX, task.tabValue)
            << c.apptSlots << " " << c.taskSlots << " " << c.tabCodes[0] << " " << c.tabCodes[1];
    }
}

// The calendar's time column holds the longest due date the chosen format makes,
// so no task's date is cut at the row's edge; a short format leaves it alone.
TEST(RowPaint, TimeColumnHoldsTheWidestDueDate) {
    class LongDates : public FakeFormat {
    public:
        std::wstring Date(double, const wchar_t* picture) const override {
            return picture ? L"12/28" : L"12/28/2088 xxxxxxxxxx";
        }
    } format;
    Scaler sc;
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    Canvas cv(240, 20);
    PainterStyle style;
    style.row.apptDisplayFormat = 6;
    style.small = font.get();
    const int plain = CItemPainter(sc, style, PainterServices{}).TimeColumnWidth(cv.dc.get(), font.get());
    for (int dueFormat : {0, 3}) {
        style.dueDateFormat = dueFormat;
        CItemPainter painter(sc, style, PainterServices{nullptr, nullptr, &format, nullptr});
        const int w = painter.TimeColumnWidth(cv.dc.get(), font.get());
        if (dueFormat == 3) {
            EXPECT_EQ(plain, w);
        } else {
            SIZE date;
            const std::wstring text = format.Date(0, nullptr) + L" ";
            raii::Select sel(cv.dc.get(), font.get());
            GetTextExtentPoint32W(cv.dc.get(), text.c_str(), int(text.size()), &date);
            EXPECT_GT(w, plain);
            EXPECT_GE(w, date.cx + sc.X(12));
        }
    }
}

}  // namespace
