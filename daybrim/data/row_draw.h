// What an item's Draw works with: the row rectangle and the hot zones the row
// lays out, the flags of one call and the context the list hands every row. The
// item model only names the painter through the interface below; the shell's item
// painter implements it, so the model never depends on the window that shows it.
// Platform-neutral: device handles travel as opaque values.
#pragma once
#include <cstdint>
#include <string>

namespace daybrim {

// Off-screen until a row is laid out.
struct HotRect {
    int left = -10, top = -10, right = -10, bottom = -10;
};

// Flags of TItem::Draw. The call returns the row's height in pixels; with
// kDrawMeasureOnly nothing is drawn and the item's hot zones keep their last
// places, but the height is the one the row draws at under the same flags.
enum DrawFlag : unsigned {
    kDrawMeasureOnly = 1,
    kDrawHighlighted = 2,   // the row carries the highlight (fill already laid)
    kDrawListFocus = 4,     // the list holds the D-pad focus
    kDrawCompact = 8,       // one line whatever the folding setting says
    kDrawFull = 16,         // every line whatever the folding setting says
    kDrawStartsInView = 32, // the row's top lies inside the visible part of the list
};

class TApptItem;
class TTask;
class TSEvent;
class TContactItem;
class TEmptyItem;
class TItemWithList;

// A mail account's line on the Calendar, as its owner built it.
struct AccountRow {
    std::wstring title;  // already formatted with the unread and read counts
};

// A note or document file of the Notes tab.
struct NoteRow {
    std::wstring name;
    unsigned typeBits = 0;        // 1 note, 2 audio, 4 text, 8 word, 16 excel, 32 list
    bool onStorageCard = false;
    uintptr_t picture = 0;        // a list's own picture (HBITMAP); 0 none
    double date = 0;              // OLE date of the last change
    uint64_t size = 0;            // bytes
    int completion = -1;          // lists: 0..100, -1 none
    int matchPos = -1;            // where the search text matched; -1 none
    int iconX = -10;              // written: where the type icon was placed
};

// A mail or text message.
struct MessageRow {
    std::wstring sender, subject;
    double received = 0;          // OLE date, local
    bool unread = false, attachment = false, textMessage = false;
    int importance = 1;           // 0 low, 2 high
};

// What a group title shows besides its text; the owner tab decides.
struct GroupTitleStyle {
    int lineStyle = 0;            // 0 underline, 1 line through the middle, 2 none, 3 band
    uint32_t lineColour = 0;      // COLORREF
    bool foldButton = false;
    int counterKind[2] = {0, 0};  // 1 appt, 2 task, 3 notes, 4 mail, 5 contacts; 0 none
    int counterSlot[2] = {0, 1};  // which of the group's counters each shows
    uintptr_t timeline = 0;       // the day's timeline bitmap (HBITMAP); 0 none
    HotRect* timelineHot = nullptr;  // where its hot zone is written
};

// The texts of a row that its tab composes; the defaults serve lists without
// their own rules.
class RowTexts {
public:
    virtual ~RowTexts() = default;
    virtual std::wstring ApptTime(const TApptItem&) const { return {}; }
    virtual std::wstring ApptSecondLine(const TApptItem&) const;
    virtual std::wstring TaskPrefix(const TTask&) const;
};

struct DrawContext;

// Lays out and draws one row of each kind; returns the row's height in pixels.
// `rc` is the area: its top is the row's y in the list's buffer.
class RowPainter {
public:
    virtual ~RowPainter() = default;
    virtual int GroupTitle(DrawContext& dc, TItemWithList& group, const std::wstring& title,
                           const HotRect& rc, unsigned flags) = 0;
    virtual int Appointment(DrawContext& dc, TApptItem& item, const HotRect& rc, unsigned flags) = 0;
    virtual int Task(DrawContext& dc, TTask& item, const HotRect& rc, unsigned flags) = 0;
    // Kind 3 on the Calendar; kinds 5 and 6 on the Special Events tab.
    virtual int CalendarEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) = 0;
    virtual int SpecialEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) = 0;
    virtual int Contact(DrawContext& dc, TContactItem& item, const HotRect& rc, unsigned flags) = 0;
    virtual int Empty(DrawContext& dc, TEmptyItem& item, const HotRect& rc, unsigned flags) = 0;
    virtual int Account(DrawContext& dc, const AccountRow& row, const HotRect& rc, unsigned flags) = 0;
    virtual int Note(DrawContext& dc, NoteRow& row, const HotRect& rc, unsigned flags) = 0;
    virtual int Message(DrawContext& dc, const MessageRow& row, const HotRect& rc, unsigned flags) = 0;
    // Fills the highlight behind a row before it is drawn highlighted.
    virtual void Highlight(DrawContext&, const HotRect&) {}
};

// Everything a row needs from its list and tab, set once per paint pass and
// adjusted per row where the tab's rules say so.
struct DrawContext {
    RowPainter* painter = nullptr;   // null: rows draw nothing and measure 0
    uintptr_t hdc = 0;               // the list's back buffer (HDC); may be 0 when measuring
    int width = 0;                   // the row's width in pixels
    int contentLeft = 0, contentRight = 0;
    int yOffset = 0;                 // added to every hot zone written
    int dpiX = 96, dpiY = 96;        // the scale of the design values
    bool forcedVga = false;

    uintptr_t font = 0;              // the tab's font for this row (HFONT); 0: the painter's
    uint32_t textColour = 0xFFFFFFFF;  // COLORREF; 0xFFFFFFFF: the painter's
    int leftIcons[2] = {-1, -1};     // the left strip's codes; -1: the Calendar's settings
    int rightMask = -1;              // the right strip's mask; -1: the Calendar's setting
    int foldingType = -1;            // -1: the setting

    bool conflicting = false;        // the appointment overlaps another (Calendar)

    // The host's background tinted at 105 and 150 (HBITMAP), and where the list's
    // buffer lies on it: bands and separators are copied from there. 0: drawn
    // from the line colour instead.
    uintptr_t tinted105 = 0, tinted150 = 0;
    int backgroundX = 0, backgroundY = 0;

    int32_t today = 0;               // day number
    int32_t day = 0;                 // the day whose list is painted (Calendar)
    int alertBefore[5] = {0, 0, 0, 0, 0};  // special events: days of warning per class
    const std::wstring* searchText = nullptr;  // the typed search of the tab; null none
    const RowTexts* texts = nullptr;  // null: the defaults
    GroupTitleStyle group;
};

}  // namespace daybrim
