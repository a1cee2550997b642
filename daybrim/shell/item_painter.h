// The item painter: draws appointment and task rows into a list's back buffer
// from the geometry that row_layout computes. It keeps nothing but the time
// column width, measured once per painter.
#pragma once
#include <windows.h>

#include "row_layout.h"

namespace daybrim {

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

// Draws the strip icons; the item's icons come from the image cache, tests
// give their own.
class RowIcons {
public:
    virtual ~RowIcons() = default;
    virtual void Draw(HDC dc, IconId id, int x, int y) = 0;
    // Only the fixed icons this painter places itself.
    enum Fixed { kAllDay, kChecked, kNotChecked, kActiveTask, kBirthday, kAnniversary };
    virtual void DrawFixed(HDC dc, Fixed which, int x, int y) = 0;
};

struct RowStyle {
    HFONT font = nullptr, timeFont = nullptr, secondFont = nullptr;
    COLORREF text = 0;
    bool effect = false;  // "UseShadowColor" on and the row not highlighted
};

// What fills the leading rectangle of an appointment.
struct LeadingFill {
    int busyStatus = 2;
    COLORREF category = 0xFFFFFFFF;  // none
    bool conflicting = false;
    bool markConflicts = false;      // "Conflicting" 1
};

class CItemPainter {
public:
    CItemPainter(const Scaler& sc, const RowSettings& s, RowIcons* icons) : sc_(sc), s_(s), icons_(icons) {}

    // Measured on first use in the time column's font, then kept.
    int TimeColumnWidth(HDC dc, HFONT timeFont);

    RowLayout DrawAppointment(HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                              const LeadingFill& fill);
    RowLayout DrawTask(HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in);
    enum EventKind { kOtherEvent, kBirthdayEvent, kAnniversaryEvent };
    RowLayout DrawCalendarEvent(HDC dc, const RowArea& a, const RowStyle& st, const EventInput& in, EventKind kind);
    RowLayout DrawAccountLine(HDC dc, const RowArea& a, const RowStyle& st, std::wstring_view title);

private:
    void DrawSubject(HDC dc, const RowLayout& r, const RowStyle& st);
    void DrawStrip(HDC dc, const StripResult& s);

    Scaler sc_;
    RowSettings s_;
    RowIcons* icons_;
    int width_ = -1;
};

COLORREF LeadingColour(int leadingRects, const LeadingFill& f);

}  // namespace daybrim
