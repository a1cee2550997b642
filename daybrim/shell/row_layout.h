// Where every piece of a list row goes: the time column, word wrapping, the
// icon strips with their hot zones, the compact one-line form and the height the
// row hands back to its list. Platform-neutral: text is measured through an
// interface, so the arithmetic is tested without a screen and the painter only
// draws what this lays out.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "../data/row_draw.h"
#include "scale.h"

namespace daybrim {

struct TextSize {
    int cx = 0, cy = 0;
};

// Measures one line of text in one font.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual TextSize Measure(std::wstring_view text) const = 0;
    // The font's character height (the magnitude of its lfHeight): the row unit.
    virtual int Height() const = 0;
};

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
};

// Settings that shape a row, already read; out-of-range values are tolerated.
struct RowSettings {
    int apptDisplayFormat = 1;
    int leadingRects = 0;
    bool indentItems = false;
    int foldingType = 0;       // 1 always compact, 2 compact unless highlighted
    // How many of each kind's two left-icon codes are set: a row reserves room for
    // its own kind's icons only.
    int apptLeftSlots = 0;
    int taskLeftSlots = 0;
    bool thinLines = false;
};

// The common inputs of one row.
struct RowArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    int yOffset = 0;
    int contentLeft = 0, contentRight = 0;
    bool highlighted = false;
    bool draw = true;  // false: only the height is wanted
};

// ---- Word wrapping ----

// Words end just after the first space, '-', tab or line feed.
std::vector<std::wstring_view> SplitWords(std::wstring_view text);

struct TextLine {
    std::wstring_view text;
    int x = 0, top = 0;
};

struct WrapResult {
    std::vector<TextLine> lines;
    int endX = 0, top = 0, bottom = 0;  // after the last word; the last line
};

// A word never splits; a word too wide for the box starts a line of its own.
WrapResult WrapText(const TextMeasurer& m, std::wstring_view text, int left, int right, int top);

// One line, ellipsised when wider than the box; the box clipped to the text.
struct SingleLine {
    Box box;
    bool ellipsis = false;
};
SingleLine FitSingleLine(const TextMeasurer& m, std::wstring_view text, Box box);

// ---- Right icon strip ----

enum class IconId {
    LowImportance, HighImportance, Reminder, Private, Recurring, Exception, Regenerated,
    Note, Link, Attendees, OwnIcon, Category,
};

// What an item carries for its right strip.
struct RightIcons {
    int importance = 1;         // tasks: 0 low, 2 high
    bool reminder = false, isPrivate = false, note = false, link = false, attendees = false;
    int recurrence = 0;         // 1 recurring, 2 exception
    int regenerated = 0;        // tasks
    int ownWidth = 0, ownHeight = 0;  // 0: no own icon bitmap
    uintptr_t ownHandle = 0;          // the bitmap itself, for the painter
    struct Bitmap { int width = 0, height = 0; uintptr_t handle = 0; };
    std::vector<Bitmap> categories;   // category bitmaps, in list order
};

// Mask bits of the right strip.
enum : unsigned {
    kIconReminder = 1, kIconPrivate = 2, kIconRecurrence = 4, kIconNote = 8, kIconCategories = 16,
    kIconImportance = 32, kIconOwn = 64, kIconAttendees = 128, kIconLink = 256,
};

struct StripIcon {
    IconId id;
    int width = 0, height = 0;  // bitmaps only; 0 for fixed icons
    int category = -1;          // index into the categories
};

std::vector<StripIcon> CollectRightIcons(const RightIcons& icons, unsigned mask);

struct PlacedIcon {
    StripIcon icon;
    int x = 0, y = 0;  // top-left corner
};

struct StripResult {
    std::vector<PlacedIcon> placed;
    int x = 0, top = 0, bottom = 0;  // the cursor after the strip
    HotRect reminder, note, link;
};

struct StripCursor {
    int x = 0, top = 0, right = 0, bottom = 0;
    int wrapX = 0;
};

StripResult LayOutRightStrip(const Scaler& sc, const std::vector<StripIcon>& icons, StripCursor cur,
                             int h, int yOffset, bool singleLine, bool measureOnly);

// Width of the icons that fit on one line from x 0 to `right`.
int MeasureRightStrip(const Scaler& sc, const std::vector<StripIcon>& icons, int right, int h);

// ---- Time column ----

// The left strip's width L before a row of the kind (with the indent).
// Calendar: the time column every row of the Calendar lines up with, so it holds
// whichever kind's icons are wider.
enum class LeftStripOf { Appointment, Task, Calendar };
int LeftStripWidth(const Scaler& sc, const RowSettings& s, LeftStripOf kind);
// Non-zero codes among a kind's two left-icon codes.
inline int LeftSlotsOf(int code1, int code2) { return int(code1 != 0) + int(code2 != 0); }
// W, measured in the time column's font.
int TimeColumnWidth(const Scaler& sc, const RowSettings& s, const TextMeasurer& timeFont);

// ---- Appointment and task rows ----

struct ApptInput {
    std::wstring_view subject, secondLine, timeText;
    bool allDay = false;
    RightIcons icons;
    unsigned rightMask = 0;
};

struct RowLayout {
    int height = 0;
    bool compact = false;
    Box textBox;
    WrapResult subject;          // full form: every line; compact: the one line
    bool subjectEllipsis = false;
    StripResult strip;
    WrapResult secondLine;
    Box timeBox;                 // time text (appointments) or due-date prefix (tasks)
    bool timeRightAligned = false;
    int allDayX = -1, allDayY = 0;     // "allday_appt", -1 when none
    int checkX = -1, checkY = 0;       // tasks: the check box
    int activeX = -1, activeY = 0;     // tasks: "active_task"
    Box leading;                       // empty when there is none
};

// Fonts of an appointment or task row: the row's, the time column's and the
// second line's (the same object when "FontGnrlUseAdvncd" is 1).
struct RowFonts {
    const TextMeasurer* row = nullptr;
    const TextMeasurer* time = nullptr;
    const TextMeasurer* second = nullptr;
};

bool IsCompact(const RowSettings& s, bool highlighted);

RowLayout LayOutAppointment(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                            const RowFonts& f, const ApptInput& in);

struct TaskInput {
    std::wstring_view subject, duePrefix;
    bool completed = false, timeOfDay = false, onCalendar = false;
    RightIcons icons;
    unsigned rightMask = 0;
    int foldingType = 0;
};

RowLayout LayOutTask(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                     const RowFonts& f, const TaskInput& in);

// A special event on the Calendar: no time column, an event icon before the
// text box instead.
struct EventInput {
    std::wstring_view subject;
    RightIcons icons;
    unsigned rightMask = 0;
};
RowLayout LayOutCalendarEvent(const Scaler& sc, const RowSettings& s, const RowArea& a, int W,
                              const TextMeasurer& font, const EventInput& in);
// The event icon's corner, left of the text box.
inline int EventIconX(const Scaler& sc, const RowLayout& r) { return r.textBox.left - sc.X(14); }

// A mail account's line on the Calendar.
RowLayout LayOutAccountLine(const RowSettings& s, const RowArea& a, int W, const TextMeasurer& font,
                            std::wstring_view title);

// The frame of a highlighted empty-list placeholder, from the buffer's origin.
Box PlaceholderFrame(const Scaler& sc, int areaWidth, int areaHeight, TextSize text);

// ---- Rows of fixed height ----

int GroupTitleHeight(const Scaler& sc, int h);

// The timeline of a day title: its box right-aligned on `right`.
struct TimelineSettings {
    int start = 0, length = 0, horZ = 1, vertZ = 1;
};
Box TimelineBox(const Scaler& sc, const TimelineSettings& t, int right, int areaTop, int h);
int TimelineRoom(const Scaler& sc, const TimelineSettings& t);

int NoteRowHeight(const Scaler& sc, int h);

// "ContactsLayout": 0, 1 list form, 2 picture form; anything else draws nothing.
enum class ContactForm { None, List, Picture };
ContactForm ContactFormFor(int layout, bool hasPicture, bool hideNoPicture);
int ContactRowHeight(const Scaler& sc, ContactForm form, int h);

int MessageRowMeasuredHeight(const Scaler& sc, int h, int secondH);

// ---- Group titles ----

struct TitleCounter {
    int kind = 0;    // 1 appt, 2 task, 3 notes, 4 mail, 5 contacts; 0 none
    int value = -1;  // -1: absent
};

struct GroupTitleInput {
    int titleWidth = 0, titleHeight = 0;  // the title measured on one line
    int avgCharWidth = 0;                 // the font's average character width
    TitleCounter counters[2];
    bool foldButton = false;
    int lineStyle = 0;          // 0 underline, 1 through the middle, 2 none, 3 band
    bool thinLines = false;
    bool fullWidth = false;     // the skin's full-width highlight
    bool timeline = false;
    TimelineSettings timelineSettings;
};

struct PlacedCounter {
    int kind = 0, value = 0;
    int iconX = 0, iconY = 0;
    Box valueBox;
};

struct GroupTitleLayout {
    int height = 0;
    Box band;                     // style 3: the band's extent across, and the row's band rows
    int bandTop = 0;              // first line of the band (the 150 tint)
    int foldX = -1, foldY = 0;    // -1: no fold button
    Box title;
    Box line;                     // styles 0 and 1: where the line runs (one row high or ScaleX(1))
    std::vector<Box> segments;    // style 1: the parts of the line drawn
    std::vector<PlacedCounter> counters;  // in drawing order
    Box timeline;                 // empty without one
    Box timelineFrame;
    HotRect timelineHot;
};

GroupTitleLayout LayOutGroupTitle(const Scaler& sc, const RowArea& a, int h, const GroupTitleInput& in);

// ---- Special Events tab ----

struct SpecialEventLayout {
    int height = 0;
    Box box;
    int reminderX = -1, reminderY = 0;  // -1: not alerted
    WrapResult days, text;
};
// `days` in its own font, then the event's text wrapped from the days' right edge.
SpecialEventLayout LayOutSpecialEvent(const Scaler& sc, const RowSettings& s, const RowArea& a,
                                      const TextMeasurer& font, const TextMeasurer& daysFont,
                                      std::wstring_view days, std::wstring_view text, bool alerted);

// ---- Notes, messages, contacts ----

struct NoteColumns {
    bool date = false, size = false, bar = false;
};
// "DisplayOnNotesTab": bit 1 date, 2 size, 4 a completion bar (lists with a value only).
NoteColumns NoteColumnsFor(int display, bool hasCompletion);

struct NoteLayout {
    int height = 0;
    int iconX = 0, iconY = 0;     // a type icon; a list's picture sits at (iconX - ScaleX(2), pictureY)
    int pictureY = 0;
    Box name;
    Box bar, barFill, date, size; // empty when the column is not shown
};
NoteLayout LayOutNote(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, const NoteColumns& cols,
                      int completion);

struct MessageLayout {
    int height = 0;
    int iconX = 0, iconY = 0;
    Box sender, date, subject;
    int importanceX = 0, importanceY = 0;
    Box separator;
};
// Both lines take their fonts' heights, measured or drawn alike.
MessageLayout LayOutMessage(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, int secondH);

struct ContactLayout {
    int height = 0;
    ContactForm form = ContactForm::None;
    Box name, number;
    int noteX = 0, noteY = 0;     // the note marker's corner
    int typeX = 0, typeY = 0;     // the number-type marker's corner
    Box frame, picture;           // picture form
};
// `layout` "ContactsLayout"; `phoneColumn` "CntctsPhoneColumnWidth".
ContactLayout LayOutContact(const Scaler& sc, const RowSettings& s, const RowArea& a, int h, ContactForm form,
                            int layout, int phoneColumn, int secondH);

}  // namespace daybrim
