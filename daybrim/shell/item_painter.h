// The item painter: lays out (through row_layout) and draws every kind of list
// row into a list's back buffer, and writes the hot zones it placed back into the
// items so that taps can be dispatched. Its fonts, colours and formats are taken
// from the settings once per load; the time column width is measured on first use
// and kept.
#pragma once
#include <windows.h>

#include "alpha_image.h"
#include "item_text.h"
#include "items.h"
#include "raii.h"
#include "row_layout.h"

namespace daybrim {

class CSettings;
class CImageCache;
class CCategoryTable;
struct SkinDescription;

// Measures with a font selected into a DC for the call only.
class GdiMeasurer : public TextMeasurer {
public:
    GdiMeasurer(HDC dc, HFONT font);
    TextSize Measure(std::wstring_view text) const override;
    int Height() const override { return height_; }

private:
    HDC dc_;
    HFONT font_;
    int height_ = 0;
};

// The pictures of a row, by the image cache's slot; the item's own bitmaps the
// painter draws itself. The host draws from the skin, tests give their own.
class RowIcons {
public:
    virtual ~RowIcons() = default;
    virtual void DrawImage(HDC dc, int slot, int x, int y) = 0;
    virtual void Draw(HDC dc, IconId id, int x, int y);
    // The fixed icons this painter places itself.
    enum Fixed { kAllDay, kChecked, kNotChecked, kActiveTask, kBirthday, kAnniversary };
    virtual void DrawFixed(HDC dc, Fixed which, int x, int y);
};
// The image slot of a strip icon; -1 for the bitmaps (own icon, categories).
int IconSlot(IconId id);
int FixedSlot(RowIcons::Fixed which);

// The skin's images, as the image cache loaded them.
class CachedRowIcons : public RowIcons {
public:
    explicit CachedRowIcons(const CImageCache& images) : images_(images) {}
    void DrawImage(HDC dc, int slot, int x, int y) override;

private:
    const CImageCache& images_;
};

struct RowStyle {
    HFONT font = nullptr, timeFont = nullptr, secondFont = nullptr;
    COLORREF text = 0;
    bool effect = false;  // "UseShadowColor" on and the row not highlighted
    EffectDefaults effectDefaults;
};

// What fills the leading rectangle of an appointment.
struct LeadingFill {
    int busyStatus = 2;
    COLORREF category = 0xFFFFFFFF;  // none
    bool conflicting = false;
    bool markConflicts = false;      // "Conflicting" 1
    const COLORREF* status = nullptr;  // four colours by status, 0xFFFFFFFF: the default
};
COLORREF LeadingColour(int leadingRects, const LeadingFill& f);

// Everything the painter reads from the settings and the skin, resolved once.
struct PainterStyle {
    RowSettings row;
    HFONT general = nullptr;      // rows whose tab gives no font
    HFONT small = nullptr;        // time column, second lines and columns; null: the row's font
    HFONT placeholder = nullptr;  // the empty-list text
    HFONT titles = nullptr;       // group titles whose tab gives no font
    COLORREF text = 0;
    COLORREF placeholderText = 0;
    COLORREF highlightBg = 0x800000, highlightText = 0xFFFFFF;
    int highlightOpacity = 255;
    COLORREF frame = 0x808080;    // the placeholder's and the contact picture's frame
    COLORREF lineColour = 0;      // group title lines whose tab gives none
    bool effect = false;
    EffectDefaults effectDefaults;
    int apptLeft[2] = {0, 0}, taskLeft[2] = {0, 0};
    unsigned apptRight = 479, taskRight = 383;
    bool fullWidthHighlight = true;
    bool markConflicts = true;
    COLORREF status[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    TimelineSettings timeline;
    int notesDisplay = 5;
    int contactsLayout = 0, phoneColumn = 90;
    bool hideNoPicture = false;
    int seDateFormat = 0;
    int dueDateFormat = 0;  // the calendar's task dates, which the time column must hold
};
PainterStyle StyleFromSettings(const CSettings& s, const SkinDescription& skin, CImageCache& images);

// What the painter draws with besides its style; any may be null.
struct PainterServices {
    RowIcons* icons = nullptr;
    const TextSource* texts = nullptr;
    const DateTimeFormat* format = nullptr;
    const CCategoryTable* categories = nullptr;
};

class CItemPainter : public RowPainter {
public:
    CItemPainter(const Scaler& sc, const RowSettings& s, RowIcons* icons);
    CItemPainter(const Scaler& sc, const PainterStyle& style, const PainterServices& services);

    const PainterStyle& style() const { return style_; }
    // The Notes rows' columns, chosen from the tab's menu while it runs.
    void SetNotesDisplay(int bits) { style_.notesDisplay = bits; }

    // Measured on first use in the time column's font, then kept.
    int TimeColumnWidth(HDC dc, HFONT timeFont);

    // The highlight behind a row: the skin's colour blended at its opacity.
    void FillHighlight(HDC dc, const Box& b) const;

    // The rows by their geometry.
    RowLayout DrawAppointment(HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                              const LeadingFill& fill);
    RowLayout DrawTask(HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in);
    enum EventKind { kOtherEvent, kBirthdayEvent, kAnniversaryEvent };
    RowLayout DrawCalendarEvent(HDC dc, const RowArea& a, const RowStyle& st, const EventInput& in, EventKind kind);
    RowLayout DrawAccountLine(HDC dc, const RowArea& a, const RowStyle& st, std::wstring_view title);

    // RowPainter: the items' rows.
    int GroupTitle(DrawContext& dc, TItemWithList& group, const std::wstring& title, const HotRect& rc,
                   unsigned flags) override;
    int Appointment(DrawContext& dc, TApptItem& item, const HotRect& rc, unsigned flags) override;
    int Task(DrawContext& dc, TTask& item, const HotRect& rc, unsigned flags) override;
    int CalendarEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) override;
    int SpecialEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) override;
    int Contact(DrawContext& dc, TContactItem& item, const HotRect& rc, unsigned flags) override;
    int Empty(DrawContext& dc, TEmptyItem& item, const HotRect& rc, unsigned flags) override;
    int Account(DrawContext& dc, const AccountRow& row, const HotRect& rc, unsigned flags) override;
    int Note(DrawContext& dc, NoteRow& row, const HotRect& rc, unsigned flags) override;
    int Message(DrawContext& dc, const MessageRow& row, const HotRect& rc, unsigned flags) override;
    void Highlight(DrawContext& dc, const HotRect& rc) override;

private:
    struct Geometry {
        Scaler sc;
        RowSettings s;  // the folding as this row asks for it
    };
    struct Row;
    int Width(const Scaler& sc, HDC dc, HFONT timeFont);
    RowLayout PaintAppointment(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                               const LeadingFill& fill);
    RowLayout PaintTask(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in);
    RowLayout PaintCalendarEvent(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st,
                                 const EventInput& in, EventKind kind);
    RowLayout PaintAccountLine(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st,
                               std::wstring_view title);
    Row Begin(const DrawContext& dc, const HotRect& rc, unsigned flags, HFONT fallback) const;
    void DrawSubject(HDC dc, const RowLayout& r, const RowStyle& st);
    void DrawStrip(HDC dc, const StripResult& s, const RightIcons& icons);
    int DrawLeftStrip(HDC dc, const Row& row, TAgendaItem& item, const int codes[2], int x0);
    void DrawMarked(HDC dc, const Row& row, const std::wstring& text, const Box& box, int matchPos,
                    const std::wstring* search);
    RightIcons RightIconsOf(const TAgendaItem& item, bool task) const;

    Scaler sc_;
    PainterStyle style_;
    PainterServices services_;
    raii::MemDC scratch_;  // measures rows asked for without a DC
    int width_ = -1;
    int widthKey_ = 0;
};

}  // namespace daybrim
