#include "item_painter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "category_table.h"
#include "cecompat.h"
#include "datetime.h"
#include "image_cache.h"
#include "settings.h"
#include "sevent_dates.h"
#include "skin_ini.h"
#include "store_parts.h"

namespace daybrim {

GdiMeasurer::GdiMeasurer(HDC dc, HFONT font) : dc_(dc), font_(font) {
    LOGFONTW lf{};
    if (font && GetObjectW(font, sizeof lf, &lf)) height_ = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    if (height_ == 0) {
        // A font made with height 0 takes the DC's default size: use its cell.
        raii::Select sel(dc, font);
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc, &tm)) height_ = tm.tmHeight - tm.tmInternalLeading;
    }
}

TextSize GdiMeasurer::Measure(std::wstring_view text) const {
    raii::Select sel(dc_, font_);
    RECT rc{0, 0, 0, 0};
    const std::wstring s(text);
    DrawTextW(dc_, s.c_str(), static_cast<int>(s.size()), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

// ---- Icons ----

int IconSlot(IconId id) {
    switch (id) {
    case IconId::LowImportance: return kImgLowImportance;
    case IconId::HighImportance: return kImgHighImportance;
    case IconId::Reminder: return kImgReminder;
    case IconId::Private: return kImgPrivate;
    case IconId::Recurring: return kImgRecurring;
    case IconId::Exception: return kImgException;
    case IconId::Regenerated: return kImgRegenerated;
    case IconId::Note: return kImgNote;
    case IconId::Link: return kImgLink;
    case IconId::Attendees: return kImgAttendees;
    case IconId::OwnIcon:
    case IconId::Category: break;
    }
    return -1;
}

int FixedSlot(RowIcons::Fixed which) {
    static const int kSlots[] = {kImgAlldayAppt, kImgTaskChecked, kImgTaskNotChecked,
                                 kImgActiveTask, kImgBirthday,    kImgAnniversary};
    return which >= 0 && which < int(sizeof kSlots / sizeof kSlots[0]) ? kSlots[which] : -1;
}

void RowIcons::Draw(HDC dc, IconId id, int x, int y) {
    const int slot = IconSlot(id);
    if (slot >= 0) DrawImage(dc, slot, x, y);
}

void RowIcons::DrawFixed(HDC dc, Fixed which, int x, int y) {
    const int slot = FixedSlot(which);
    if (slot >= 0) DrawImage(dc, slot, x, y);
}

void CachedRowIcons::DrawImage(HDC dc, int slot, int x, int y) {
    if (slot < 0 || slot >= kImageSlotCount) return;
    images_.Image(slot).DrawTransparent(dc, x, y);
}

COLORREF LeadingColour(int leadingRects, const LeadingFill& f) {
    if (f.markConflicts && f.conflicting) return 0x0000FF;
    if (leadingRects == 1) {
        static const COLORREF kStatus[] = {0x58FC79, 0xF8A068, 0xF80000, 0x800418};
        const int n = static_cast<int>(sizeof kStatus / sizeof kStatus[0]);
        if (f.busyStatus < 0 || f.busyStatus >= n) return 0xFFFFFF;
        if (f.status && f.status[f.busyStatus] != 0xFFFFFFFF) return f.status[f.busyStatus];
        return kStatus[f.busyStatus];
    }
    if (leadingRects == 2) return f.category != 0xFFFFFFFF ? f.category : 0xFFFFFF;
    return 0xFFFFFF;
}

// ---- Style ----

PainterStyle StyleFromSettings(const CSettings& s, const SkinDescription& skin, CImageCache& images) {
    PainterStyle st;
    const bool advanced = s.FontGnrlUseAdvncd.value() == 1;
    st.row.apptDisplayFormat = s.ApptDisplayFormat.Int();
    st.row.leadingRects = s.LeadingRects.Int();
    st.row.indentItems = s.IndentItems.value() == 1;
    st.row.foldingType = s.FoldingType.Int();
    st.row.apptLeftSlots = LeftSlotsOf(s.ApptLeftAlignIcon1.Int(), s.ApptLeftAlignIcon2.Int());
    st.row.taskLeftSlots = LeftSlotsOf(s.TaskLeftAlignIcon1.Int(), s.TaskLeftAlignIcon2.Int());
    st.row.thinLines = s.UseThinLines.value() == 1;

    st.general = images.GetFont(s, 0);
    st.small = advanced ? nullptr : images.GetFont(s, 50);
    st.placeholder = images.GetFont(s, advanced ? 0 : 51);
    st.titles = images.GetFont(s, 53);
    const auto colour = [](DWORD v, uint32_t def) { return v == 0xFFFFFFFF ? COLORREF(def) : COLORREF(v); };
    st.text = colour(s.GeneralFontColor.value(), skin.textColour);
    st.placeholderText = colour(s.FontGeneral.color(), skin.textColour);
    st.highlightBg = colour(s.HighlightBgClr.value(), skin.highlightColour);
    st.highlightText = colour(s.HighlightTextClr.value(), skin.highlightTextColour);
    st.highlightOpacity = int(skin.HighlightOpacity());
    st.lineColour = colour(s.ClrBreakingLineClr.value(), skin.textColour);
    st.frame = st.lineColour;
    st.effect = s.UseShadowColor.value() != 0;
    st.effectDefaults.effect = s.UseShadowColor.Int();
    st.effectDefaults.colour = s.ShadowFontColor.value();
    st.apptLeft[0] = s.ApptLeftAlignIcon1.Int();
    st.apptLeft[1] = s.ApptLeftAlignIcon2.Int();
    st.taskLeft[0] = s.TaskLeftAlignIcon1.Int();
    st.taskLeft[1] = s.TaskLeftAlignIcon2.Int();
    st.apptRight = s.ClrApptRightIcons.value();
    st.taskRight = s.ClrTaskRightIcons.value();
    st.fullWidthHighlight = skin.fullWidthHighlight;
    st.markConflicts = s.Conflicting.value() == 1;
    st.status[0] = s.ClrStatusFree.value();
    st.status[1] = s.ClrStatusTentative.value();
    st.status[2] = s.ClrStatusBusy.value();
    st.status[3] = s.ClrStatusOutofoffice.value();
    st.timeline = {s.TimelinesStart.Int(), s.TimelinesLength.Int(), s.TimelinesHorZ.Int(), s.TimelinesVertZ.Int()};
    st.notesDisplay = s.DisplayOnNotesTab.Int();
    st.contactsLayout = s.ContactsLayout.Int();
    st.phoneColumn = s.CntctsPhoneColumnWidth.Int();
    st.hideNoPicture = s.CntctsHideNoPicture.value() == 1;
    st.seDateFormat = s.SEDateFormat.Int();
    st.dueDateFormat = s.DueDateTsksDateFrmt.Int();
    return st;
}

// ---- Drawing helpers ----

namespace {

void Fill(HDC dc, const Box& b, COLORREF c) {
    if (b.right <= b.left || b.bottom <= b.top) return;
    const RECT rc{b.left, b.top, b.right, b.bottom};
    raii::Brush br(CreateSolidBrush(c));
    FillRect(dc, &rc, br.get());
}

void Text(HDC dc, HFONT font, std::wstring_view text, RECT rc, UINT flags, const RowStyle& st) {
    if (text.empty()) return;
    // A line set at the top of its box keeps its descenders: boxes are as high as
    // the font, the glyph cells are taller.
    if ((flags & DT_SINGLELINE) && !(flags & (DT_VCENTER | DT_BOTTOM))) rc.bottom = std::max(rc.bottom, rc.top + 0x4000);
    raii::Select sel(dc, font);
    const std::wstring s(text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, st.text);
    DrawTextWithEffect(dc, &rc, s.c_str(), st.effect, flags | DT_NOPREFIX, -1, 0xFFFFFFFF, st.effectDefaults);
}

RECT R(const Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

bool BitmapSize(HBITMAP b, int* w, int* h) {
    BITMAP bm{};
    if (!b || !GetObjectW(b, sizeof bm, &bm)) return false;
    *w = bm.bmWidth;
    *h = bm.bmHeight;
    return true;
}

// Item and category bitmaps leave out pure green.
void DrawKeyed(HDC dc, HBITMAP b, int x, int y, int w, int h) {
    if (!b || w <= 0 || h <= 0) return;
    TransparentImage(dc, x, y, w, h, b, 0, 0, w, h, 0x00FF00);
}

void Copy(HDC dc, HBITMAP from, const Box& b, int fromX, int fromY) {
    if (!from || b.right <= b.left || b.bottom <= b.top) return;
    raii::MemDC mem(CreateCompatibleDC(dc));
    raii::Select sel(mem.get(), from);
    BitBlt(dc, b.left, b.top, b.Width(), b.bottom - b.top, mem.get(), fromX, fromY, SRCCOPY);
}

HBITMAP ItemBitmap(const ItemIcon* icon) {
    const auto* b = dynamic_cast<const BitmapIcon*>(icon);
    return b ? b->get() : nullptr;
}

const RowTexts& DefaultTexts() {
    static const RowTexts texts;
    return texts;
}

Scaler ScalerOf(const DrawContext& dc) {
    Scaler sc;
    sc.dpiX = dc.dpiX > 0 ? dc.dpiX : 96;
    sc.dpiY = dc.dpiY > 0 ? dc.dpiY : 96;
    sc.forcedVga = dc.forcedVga;
    return sc;
}

}  // namespace

struct CItemPainter::Row {
    Scaler sc;
    HDC dc = nullptr;
    bool draw = false;
    RowArea area;
    RowStyle st;
    RowSettings settings;
    int h = 0;
};

CItemPainter::CItemPainter(const Scaler& sc, const RowSettings& s, RowIcons* icons)
    : sc_(sc), scratch_(CreateCompatibleDC(nullptr)) {
    style_.row = s;
    services_.icons = icons;
}

CItemPainter::CItemPainter(const Scaler& sc, const PainterStyle& style, const PainterServices& services)
    : sc_(sc), style_(style), services_(services), scratch_(CreateCompatibleDC(nullptr)) {}

int CItemPainter::TimeColumnWidth(HDC dc, HFONT timeFont) { return Width(sc_, dc, timeFont); }

int CItemPainter::Width(const Scaler& sc, HDC dc, HFONT timeFont) {
    // Measured once; only a row asked for at another scale measures again.
    const int key = sc.dpiX * 2 + (sc.forcedVga ? 1 : 0);
    if (width_ < 0 || widthKey_ != key) {
        const GdiMeasurer font(dc, timeFont);
        width_ = daybrim::TimeColumnWidth(sc, style_.row, font);
        // A task's due date stands right-aligned before its check box in this
        // column: a long date (a four-digit year) would be cut at the row's edge.
        const int format = style_.row.apptDisplayFormat;
        if (services_.format && format > 0 && format < 7) {
            const int date = font.Measure(WidestDuePrefix(style_.dueDateFormat, *services_.format)).cx;
            width_ = std::max(width_, date + sc.X(12));
        }
        widthKey_ = key;
    }
    return width_;
}

void CItemPainter::FillHighlight(HDC dc, const Box& b) const {
    if (style_.highlightOpacity >= 255) Fill(dc, b, style_.highlightBg);
    else FillBlended(dc, b.left, b.top, b.Width(), b.bottom - b.top, style_.highlightBg, style_.highlightOpacity);
}

void CItemPainter::Highlight(DrawContext& dc, const HotRect& rc) {
    if (!dc.hdc) return;
    const Scaler sc = ScalerOf(dc);
    Box b{dc.contentLeft, rc.top, dc.contentRight > 0 ? dc.contentRight : rc.right, rc.bottom};
    // Two pixels stay clear beside the scroll-bar column unless the skin fills across.
    if (style_.fullWidthHighlight) {
        b.left = rc.left;
        b.right = rc.right;
    } else if (dc.contentLeft >= 1) {
        b.left += sc.X(2);
    } else {
        b.right -= sc.X(2);
    }
    FillHighlight(reinterpret_cast<HDC>(dc.hdc), b);
}

CItemPainter::Row CItemPainter::Begin(const DrawContext& dc, const HotRect& rc, unsigned flags,
                                      HFONT fallback) const {
    Row r;
    r.sc = ScalerOf(dc);
    r.dc = dc.hdc ? reinterpret_cast<HDC>(dc.hdc) : scratch_.get();
    r.draw = dc.hdc && !(flags & kDrawMeasureOnly);
    r.area.left = rc.left;
    r.area.top = rc.top;
    r.area.right = rc.right;
    r.area.bottom = rc.bottom;
    r.area.yOffset = dc.yOffset;
    r.area.contentLeft = dc.contentLeft;
    r.area.contentRight = dc.contentRight > 0 ? dc.contentRight : rc.right;
    r.area.highlighted = (flags & kDrawHighlighted) != 0;
    r.area.draw = r.draw;
    r.st.font = dc.font ? reinterpret_cast<HFONT>(dc.font) : fallback ? fallback : style_.general;
    if (!r.st.font) r.st.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    r.st.timeFont = style_.small ? style_.small : r.st.font;
    r.st.secondFont = r.st.timeFont;
    r.st.text = dc.textColour != 0xFFFFFFFF ? COLORREF(dc.textColour)
                : r.area.highlighted        ? style_.highlightText
                                            : style_.text;
    r.st.effect = style_.effect && !r.area.highlighted;
    r.st.effectDefaults = style_.effectDefaults;
    r.settings = style_.row;
    if (dc.foldingType >= 0) r.settings.foldingType = dc.foldingType;
    // A tab drawing its tasks with its own left codes (the Tasks tab's) keeps room
    // for those. The time column is measured once for the Calendar: appointments
    // keep the painter's.
    if (dc.leftIcons[0] >= 0 || dc.leftIcons[1] >= 0)
        r.settings.taskLeftSlots = LeftSlotsOf(std::max(0, dc.leftIcons[0]), std::max(0, dc.leftIcons[1]));
    if (flags & kDrawCompact) r.settings.foldingType = 1;
    if (flags & kDrawFull) r.settings.foldingType = 0;
    r.h = GdiMeasurer(r.dc, r.st.font).Height();
    return r;
}

void CItemPainter::DrawSubject(HDC dc, const RowLayout& r, const RowStyle& st) {
    if (r.compact) {
        if (r.subject.lines.empty()) return;
        const RECT rc{r.textBox.left, r.subject.top, r.textBox.right, r.subject.bottom};
        Text(dc, st.font, r.subject.lines[0].text, rc, DT_SINGLELINE | (r.subjectEllipsis ? DT_WORD_ELLIPSIS : 0u),
             st);
        return;
    }
    const int h = r.subject.bottom - r.subject.top;
    for (const TextLine& l : r.subject.lines) {
        // Each line was fitted already; no clipping at the box, an over-wide word shows whole.
        const RECT rc{l.x, l.top, l.x + 0x4000, l.top + h};
        Text(dc, st.font, l.text, rc, DT_SINGLELINE, st);
    }
}

void CItemPainter::DrawStrip(HDC dc, const StripResult& s, const RightIcons& icons) {
    for (const PlacedIcon& p : s.placed) {
        if (p.icon.id == IconId::OwnIcon) {
            DrawKeyed(dc, reinterpret_cast<HBITMAP>(icons.ownHandle), p.x, p.y, p.icon.width, p.icon.height);
        } else if (p.icon.id == IconId::Category) {
            if (p.icon.category >= 0 && size_t(p.icon.category) < icons.categories.size()) {
                const auto& b = icons.categories[size_t(p.icon.category)];
                DrawKeyed(dc, reinterpret_cast<HBITMAP>(b.handle), p.x, p.y, b.width, b.height);
            }
        } else if (services_.icons) {
            services_.icons->Draw(dc, p.icon.id, p.x, p.y);
        }
    }
}

RightIcons CItemPainter::RightIconsOf(const TAgendaItem& item, bool task) const {
    RightIcons ic;
    ic.importance = 1;
    if (task) {
        const auto& t = static_cast<const TTask&>(item);
        ic.importance = t.importance;
        ic.regenerated = t.counter;
    }
    ic.reminder = item.reminder.value != 0.0;
    ic.isPrivate = item.sensitivity == 2;
    ic.note = item.note.value != 0.0;
    ic.link = item.link.value != 0.0;
    ic.recurrence = item.recurrence;
    if (!task) ic.attendees = static_cast<const TApptItem&>(item).attendees;
    if (HBITMAP own = ItemBitmap(item.icon.get())) {
        if (BitmapSize(own, &ic.ownWidth, &ic.ownHeight)) ic.ownHandle = reinterpret_cast<uintptr_t>(own);
    }
    if (services_.categories) {
        for (int32_t id : item.categories()) {
            const CategoryEntry* e = services_.categories->CategoryById(id);
            if (!e || !e->icon) continue;
            RightIcons::Bitmap b;
            if (!BitmapSize(e->icon.get(), &b.width, &b.height)) continue;
            b.handle = reinterpret_cast<uintptr_t>(e->icon.get());
            ic.categories.push_back(b);
        }
    }
    return ic;
}

int CItemPainter::DrawLeftStrip(HDC dc, const Row& row, TAgendaItem& item, const int codes[2], int x0) {
    const Scaler& sc = row.sc;
    const int t = row.area.top, half = row.h / 2;
    const RightIcons ic = RightIconsOf(item, item.Kind() == kKindTask);
    size_t nextCategory = 0;
    int x = x0;
    for (int i = 0; i < 2; ++i) {
        const unsigned code = LeftIconCode(codes[i], item);
        if (code == 0) continue;
        if (code == icon_code::kCategories || code == icon_code::kOwnIcon) {
            uintptr_t handle = 0;
            int w = 0, h = 0;
            if (code == icon_code::kOwnIcon) {
                handle = ic.ownHandle;
                w = ic.ownWidth;
                h = ic.ownHeight;
            } else if (nextCategory < ic.categories.size()) {
                const auto& b = ic.categories[nextCategory++];
                handle = b.handle;
                w = b.width;
                h = b.height;
            }
            if (!handle) continue;
            DrawKeyed(dc, reinterpret_cast<HBITMAP>(handle), x, t + half - h / 2, w, h);
            x += w + (code == icon_code::kOwnIcon ? sc.X(2) : sc.X(1));
            continue;
        }
        const wchar_t* name = StatusIconName(code, item);
        if (!name) continue;
        IconId id = IconId::Reminder;
        switch (code) {
        case icon_code::kReminder: id = IconId::Reminder; break;
        case icon_code::kPrivate: id = IconId::Private; break;
        case icon_code::kRecurrence: id = item.recurrence == 2 ? IconId::Exception : IconId::Recurring; break;
        case icon_code::kNote: id = IconId::Note; break;
        case icon_code::kImportance:
            id = static_cast<const TTask&>(item).importance == 0 ? IconId::LowImportance : IconId::HighImportance;
            break;
        case icon_code::kAttendees: id = IconId::Attendees; break;
        case icon_code::kLink: id = IconId::Link; break;
        default: continue;
        }
        const int y = t - sc.X(6) + half;
        if (services_.icons) services_.icons->Draw(dc, id, x, y);
        HotRect hot;
        hot.left = x;
        hot.top = y + row.area.yOffset;
        hot.right = x + sc.X(12);
        hot.bottom = hot.top + sc.X(12);
        if (id == IconId::Reminder) item.reminder.rc = hot;
        if (id == IconId::Note) item.note.rc = hot;
        if (id == IconId::Link) item.link.rc = hot;
        x += sc.X(13);
    }
    return x;
}

// ---- Rows by their geometry ----

RowLayout CItemPainter::PaintAppointment(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                                        const LeadingFill& fill) {
    const GdiMeasurer row(dc, st.font);
    const GdiMeasurer time(dc, st.timeFont ? st.timeFont : st.font);
    const GdiMeasurer second(dc, st.secondFont ? st.secondFont : st.font);
    const int W = Width(g.sc, dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutAppointment(g.sc, g.s, a, W, {&row, &time, &second}, in);
    if (!a.draw) return r;

    if (r.allDayX >= 0 && services_.icons) services_.icons->DrawFixed(dc, RowIcons::kAllDay, r.allDayX, r.allDayY);
    if (r.timeBox.right > r.timeBox.left) {
        Text(dc, st.timeFont ? st.timeFont : st.font, in.timeText, R(r.timeBox),
             DT_SINGLELINE | (r.timeRightAligned ? DT_RIGHT : DT_LEFT), st);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip, in.icons);
    const int h2 = r.secondLine.bottom - r.secondLine.top;
    for (const TextLine& l : r.secondLine.lines) {
        const RECT rc{l.x, l.top, r.textBox.right + 0x4000, l.top + h2};
        Text(dc, st.secondFont ? st.secondFont : st.font, l.text, rc, DT_SINGLELINE, st);
    }
    if (r.leading.Width() > 0 && r.leading.bottom > r.leading.top) {
        Fill(dc, r.leading, 0);
        const int in1 = g.s.thinLines ? 1 : g.sc.X(1);
        Fill(dc, {r.leading.left + in1, r.leading.top + in1, r.leading.right - in1, r.leading.bottom - in1},
             LeadingColour(g.s.leadingRects, fill));
    }
    return r;
}

RowLayout CItemPainter::PaintTask(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in) {
    const GdiMeasurer row(dc, st.font);
    const GdiMeasurer time(dc, st.timeFont ? st.timeFont : st.font);
    const int W = Width(g.sc, dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutTask(g.sc, g.s, a, W, {&row, &time, &row}, in);
    if (!a.draw) return r;

    if (services_.icons) {
        services_.icons->DrawFixed(dc, in.completed ? RowIcons::kChecked : RowIcons::kNotChecked, r.checkX,
                                   r.checkY);
        if (r.activeX >= 0) services_.icons->DrawFixed(dc, RowIcons::kActiveTask, r.activeX, r.activeY);
    }
    if (r.timeBox.right > r.timeBox.left) {
        Text(dc, st.timeFont ? st.timeFont : st.font, in.duePrefix, R(r.timeBox),
             DT_SINGLELINE | (r.timeRightAligned ? DT_RIGHT : DT_LEFT), st);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip, in.icons);
    return r;
}

RowLayout CItemPainter::PaintCalendarEvent(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, const EventInput& in,
                                          EventKind kind) {
    const GdiMeasurer row(dc, st.font);
    const int W = Width(g.sc, dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutCalendarEvent(g.sc, g.s, a, W, row, in);
    if (!a.draw) return r;
    if (services_.icons && kind != kOtherEvent) {
        const int half = row.Height() / 2;
        services_.icons->DrawFixed(dc, kind == kBirthdayEvent ? RowIcons::kBirthday : RowIcons::kAnniversary,
                                   EventIconX(g.sc, r), a.top - g.sc.X(6) + half);
    }
    DrawSubject(dc, r, st);
    DrawStrip(dc, r.strip, in.icons);
    return r;
}

RowLayout CItemPainter::PaintAccountLine(const Geometry& g, HDC dc, const RowArea& a, const RowStyle& st, std::wstring_view title) {
    const GdiMeasurer row(dc, st.font);
    const int W = Width(g.sc, dc, st.timeFont ? st.timeFont : st.font);
    const RowLayout r = LayOutAccountLine(g.s, a, W, row, title);
    if (a.draw) DrawSubject(dc, r, st);
    return r;
}

RowLayout CItemPainter::DrawAppointment(HDC dc, const RowArea& a, const RowStyle& st, const ApptInput& in,
                                        const LeadingFill& fill) {
    return PaintAppointment({sc_, style_.row}, dc, a, st, in, fill);
}

RowLayout CItemPainter::DrawTask(HDC dc, const RowArea& a, const RowStyle& st, const TaskInput& in) {
    return PaintTask({sc_, style_.row}, dc, a, st, in);
}

RowLayout CItemPainter::DrawCalendarEvent(HDC dc, const RowArea& a, const RowStyle& st, const EventInput& in,
                                          EventKind kind) {
    return PaintCalendarEvent({sc_, style_.row}, dc, a, st, in, kind);
}

RowLayout CItemPainter::DrawAccountLine(HDC dc, const RowArea& a, const RowStyle& st, std::wstring_view title) {
    return PaintAccountLine({sc_, style_.row}, dc, a, st, title);
}

// ---- The items' rows ----

namespace {

// Hot zones move to where the row put them; a mark the row no longer shows (the
// compact form dropped it) must not answer taps where it used to be.
void TakeHot(HotSpot& spot, const HotRect& laid) {
    if (laid.left != -10 || laid.top != -10) spot.rc = laid;
}
void ClearHot(TAgendaItem& item) { item.reminder.rc = item.note.rc = item.link.rc = HotRect(); }

bool HasTimeOfDay(double date) { return date != kNoDate && date - std::floor(date) > 1e-9; }

}  // namespace

int CItemPainter::Appointment(DrawContext& dc, TApptItem& item, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const RowTexts& texts = dc.texts ? *dc.texts : DefaultTexts();
    const std::wstring subject = WithoutDoneMarker(item.title);
    const std::wstring time = texts.ApptTime(item), second = texts.ApptSecondLine(item);
    ApptInput in;
    in.subject = subject;
    in.timeText = time;
    in.secondLine = second;
    in.allDay = item.allDay;
    in.icons = RightIconsOf(item, false);
    in.rightMask = dc.rightMask >= 0 ? unsigned(dc.rightMask) : style_.apptRight;
    LeadingFill fill;
    fill.busyStatus = item.busy;
    fill.conflicting = dc.conflicting;
    fill.markConflicts = style_.markConflicts;
    fill.status = style_.status;
    if (services_.categories) {
        for (int32_t id : item.categories()) {
            const CategoryEntry* e = services_.categories->CategoryById(id);
            if (e && e->colour != 0xFFFFFFFF) {
                fill.category = e->colour;
                break;
            }
        }
    }
    const RowLayout r = PaintAppointment({row.sc, row.settings}, row.dc, row.area, row.st, in, fill);
    if (row.draw) {
        ClearHot(item);
        const int* codes = dc.leftIcons[0] >= 0 || dc.leftIcons[1] >= 0 ? dc.leftIcons : style_.apptLeft;
        DrawLeftStrip(row.dc, row, item, codes,
                      row.area.left + row.area.contentLeft + row.sc.X(1) + (row.settings.indentItems ? row.sc.X(8) : 0));
        TakeHot(item.reminder, r.strip.reminder);
        TakeHot(item.note, r.strip.note);
        TakeHot(item.link, r.strip.link);
    }
    return r.height;
}

int CItemPainter::Task(DrawContext& dc, TTask& item, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const RowTexts& texts = dc.texts ? *dc.texts : DefaultTexts();
    const std::wstring prefix = texts.TaskPrefix(item);
    TaskInput in;
    in.subject = item.title;
    in.duePrefix = prefix;
    in.completed = item.completed != 0;
    in.onCalendar = item.OnCalendar();
    in.timeOfDay = HasTimeOfDay(item.due) || HasTimeOfDay(item.startDate);
    in.icons = RightIconsOf(item, true);
    in.rightMask = dc.rightMask >= 0 ? unsigned(dc.rightMask) : style_.taskRight;
    in.foldingType = row.settings.foldingType;
    const RowLayout r = PaintTask({row.sc, row.settings}, row.dc, row.area, row.st, in);
    if (row.draw) {
        ClearHot(item);
        const int* codes = dc.leftIcons[0] >= 0 || dc.leftIcons[1] >= 0 ? dc.leftIcons : style_.taskLeft;
        DrawLeftStrip(row.dc, row, item, codes,
                      row.area.contentLeft + row.sc.X(1) + (row.settings.indentItems ? row.sc.X(8) : 0));
        TakeHot(item.reminder, r.strip.reminder);
        TakeHot(item.note, r.strip.note);
        TakeHot(item.link, r.strip.link);
    }
    // The task tabs find the check box by this x on a tap.
    item.tabValue = r.checkX;
    return r.height;
}

int CItemPainter::CalendarEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    EventInput in;
    in.subject = item.title;
    in.icons.note = item.note.value != 0.0;
    in.rightMask = dc.rightMask >= 0 ? unsigned(dc.rightMask) : style_.apptRight;
    // Appointments of a special-events category carry no birthday or anniversary mark.
    const EventKind kind = item.categoryIndex > 0 ? kOtherEvent
                           : item.anniversary     ? kAnniversaryEvent
                                                  : kBirthdayEvent;
    const RowLayout r = PaintCalendarEvent({row.sc, row.settings}, row.dc, row.area, row.st, in, kind);
    if (row.draw) item.note.rc = r.strip.note;
    return r.height;
}

int CItemPainter::SpecialEvent(DrawContext& dc, TSEvent& item, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const EventOccurrence when = NextOccurrence(item.date, dc.today);
    const int days = when.daysLeft, years = when.years;
    const int cls = std::clamp(item.categoryIndex, 0, 4);
    const bool alerted = days <= dc.alertBefore[cls];
    std::wstring daysText, text = item.title;
    if (services_.texts) {
        daysText = DaysUntil(days, *services_.texts);
        if (services_.format) {
            const daybrim::EventKind kind = item.Kind() == kKindSEventAppt ? daybrim::EventKind::kAppointment
                                            : item.anniversary            ? daybrim::EventKind::kAnniversary
                                                                          : daybrim::EventKind::kBirthday;
            text = SpecialEventLine(style_.seDateFormat, item.date, item.title, kind, years, *services_.format,
                                    *services_.texts);
        }
    }
    const HFONT daysFont = style_.small ? style_.small : row.st.font;
    const GdiMeasurer font(row.dc, row.st.font), small(row.dc, daysFont);
    // Measured without drawing: the wrapping is laid out through the measurers.
    const SpecialEventLayout r =
        LayOutSpecialEvent(row.sc, row.settings, row.area, font, small, daysText, text, alerted);
    if (!row.draw) return r.height;
    if (r.reminderX >= 0 && services_.icons) {
        services_.icons->Draw(row.dc, IconId::Reminder, r.reminderX, r.reminderY);
    }
    // Each line was fitted already; its descenders may reach below the font's height.
    for (const TextLine& l : r.days.lines)
        Text(row.dc, daysFont, l.text, RECT{l.x, l.top, l.x + 0x4000, l.top + 0x4000}, DT_SINGLELINE, row.st);
    for (const TextLine& l : r.text.lines)
        Text(row.dc, row.st.font, l.text, RECT{l.x, l.top, l.x + 0x4000, l.top + 0x4000}, DT_SINGLELINE, row.st);
    return r.height;
}

void CItemPainter::DrawMarked(HDC dc, const Row& row, const std::wstring& text, const Box& box, int matchPos,
                              const std::wstring* search) {
    const UINT one = DT_SINGLELINE | DT_WORD_ELLIPSIS;
    const bool marked = search && !search->empty() && !row.area.highlighted && matchPos >= 0 &&
                        size_t(matchPos) < text.size();
    if (!marked) {
        Text(dc, row.st.font, text, R(box), one, row.st);
        return;
    }
    // Before the match, the match on the highlight colours, then the rest.
    const GdiMeasurer m(dc, row.st.font);
    const size_t at = size_t(matchPos), len = std::min(search->size(), text.size() - at);
    const std::wstring_view all(text);
    const std::wstring_view parts[3] = {all.substr(0, at), all.substr(at, len), all.substr(at + len)};
    int x = box.left;
    for (int i = 0; i < 3; ++i) {
        if (parts[i].empty() || x >= box.right) continue;
        const int w = m.Measure(parts[i]).cx;
        const Box piece{x, box.top, std::min(box.right, x + w), box.bottom};
        RowStyle st = row.st;
        if (i == 1) {
            Fill(dc, piece, style_.highlightBg);
            st.text = style_.highlightText;
            st.effect = false;
        }
        Text(dc, row.st.font, parts[i], R(piece), i == 2 ? one : DT_SINGLELINE, st);
        x += w;
    }
}

int CItemPainter::Contact(DrawContext& dc, TContactItem& item, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const HBITMAP picture = ItemBitmap(item.picture.get());
    const ContactForm form = ContactFormFor(style_.contactsLayout, picture != nullptr, style_.hideNoPicture);
    const HFONT numberFont = style_.small ? style_.small : row.st.font;
    const int secondH = GdiMeasurer(row.dc, numberFont).Height();
    const ContactLayout r = LayOutContact(row.sc, row.settings, row.area, row.h, form, style_.contactsLayout,
                                          style_.phoneColumn, secondH);
    if (!row.draw || form == ContactForm::None) return r.height;
    const Scaler& sc = row.sc;
    item.note.rc = item.numberHot = HotRect();

    if (form == ContactForm::Picture) {
        Fill(row.dc, r.frame, style_.frame);
        const int inner = sc.X(32);
        if (picture) {
            int w = 0, h = 0;
            BitmapSize(picture, &w, &h);
            Fill(row.dc, r.picture, 0xFFFFFF);
            w = std::min(w, inner);
            h = std::min(h, inner);
            Copy(row.dc, picture,
                 {r.picture.left + (inner - w) / 2, r.picture.top + (inner - h) / 2,
                  r.picture.left + (inner - w) / 2 + w, r.picture.top + (inner - h) / 2 + h},
                 0, 0);
        } else if (services_.icons) {
            services_.icons->DrawImage(row.dc, kImgNoPictureContact, r.picture.left, r.picture.top);
        }
    }
    DrawMarked(row.dc, row, item.title, r.name, item.matchPos, dc.searchText);
    if (r.number.right > r.number.left) {
        RowStyle st = row.st;
        st.font = numberFont;
        Text(row.dc, numberFont, item.preferredText, R(r.number), DT_SINGLELINE | DT_WORD_ELLIPSIS, st);
    }
    if (item.note.value != 0.0) {
        if (services_.icons) services_.icons->DrawImage(row.dc, kImgNote, r.noteX, r.noteY);
        item.note.rc = {r.noteX, r.noteY + row.area.yOffset, r.noteX + sc.X(12), r.noteY + row.area.yOffset + sc.X(12)};
    }
    if (const wchar_t* name = NumberIcon(item.preferredId)) {
        static const struct {
            const wchar_t* name;
            int slot;
        } kPhones[] = {{L"phone_type_work", kImgPhoneWork}, {L"phone_type_home", kImgPhoneHome},
                       {L"phone_type_cell", kImgPhoneCell}, {L"phone_type_fax", kImgPhoneFax},
                       {L"phone_type_car", kImgPhoneCar},   {L"phone_type_email", kImgPhoneEmail}};
        for (const auto& p : kPhones) {
            if (wcscmp(p.name, name) != 0) continue;
            if (services_.icons) services_.icons->DrawImage(row.dc, p.slot, r.typeX, r.typeY);
            item.numberHot = {r.typeX, r.typeY + row.area.yOffset, r.typeX + sc.X(12),
                              r.typeY + row.area.yOffset + sc.X(12)};
        }
    }
    return r.height;
}

int CItemPainter::Empty(DrawContext& dc, TEmptyItem& item, const HotRect& rc, unsigned flags) {
    const HFONT font = dc.font ? reinterpret_cast<HFONT>(dc.font) : style_.placeholder;
    Row row = Begin(dc, rc, flags, font);
    row.st.font = font ? font : row.st.font;
    row.st.effect = style_.effect;  // the placeholder keeps its effect even highlighted
    const Scaler& sc = row.sc;
    // The list's own placeholder fills what is left of the list; a group's stands
    // for one line under its title.
    const bool wholeList = item.Kind() == kKindEmptyFlagged;
    const int height = wholeList ? std::max(0, rc.bottom - rc.top) : row.h + sc.Y(4);
    if (!row.draw) return height;
    const std::wstring text = services_.texts ? EmptyLine(*services_.texts) : std::wstring();
    const int areaW = rc.right - rc.left;
    if (row.area.highlighted) {
        const TextSize ts = GdiMeasurer(row.dc, row.st.font).Measure(text);
        Box frame = PlaceholderFrame(sc, areaW, height, ts);
        frame.left += rc.left;
        frame.right += rc.left;
        frame.top += rc.top;
        frame.bottom += rc.top;
        Fill(row.dc, frame, style_.frame);
        FillHighlight(row.dc, {frame.left + sc.X(1), frame.top + sc.X(1), frame.right - sc.X(1),
                               frame.bottom - sc.X(1)});
        row.st.text = dc.textColour != 0xFFFFFFFF ? COLORREF(dc.textColour) : style_.highlightText;
    } else {
        row.st.text = dc.textColour != 0xFFFFFFFF ? COLORREF(dc.textColour) : style_.placeholderText;
    }
    const RECT box{row.area.contentLeft, rc.top, row.area.contentRight, rc.top + height};
    Text(row.dc, row.st.font, text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE, row.st);
    return height;
}

int CItemPainter::Account(DrawContext& dc, const AccountRow& account, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    return PaintAccountLine({row.sc, row.settings}, row.dc, row.area, row.st, account.title).height;
}

int CItemPainter::Note(DrawContext& dc, NoteRow& note, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const NoteColumns cols = NoteColumnsFor(style_.notesDisplay, note.completion >= 0);
    const NoteLayout r = LayOutNote(row.sc, row.settings, row.area, row.h, cols, note.completion);
    if (!row.draw) return r.height;
    note.iconX = r.iconX - row.sc.X(2);

    const bool list = (note.typeBits & 32) != 0;
    if (list && note.picture) {
        int w = 0, h = 0;
        if (BitmapSize(reinterpret_cast<HBITMAP>(note.picture), &w, &h))
            DrawKeyed(row.dc, reinterpret_cast<HBITMAP>(note.picture), note.iconX, r.pictureY, w, h);
    } else if (services_.icons) {
        static const struct {
            unsigned bit;
            int memory, storage;
        } kTypes[] = {{1, kImgNoteTypeMemory, kImgNoteTypeStorage},
                      {2, kImgNoteAudioTypeMemory, kImgNoteAudioTypeStorage},
                      {4, kImgNoteTextTypeMemory, kImgNoteTextTypeStorage},
                      {8, kImgNoteWordTypeMemory, kImgNoteWordTypeStorage},
                      {16, kImgNoteExcelTypeMemory, kImgNoteExcelTypeStorage}};
        int slot = list ? kImgNote : -1;
        for (const auto& t : kTypes)
            if (note.typeBits & t.bit) {
                slot = note.onStorageCard ? t.storage : t.memory;
                break;
            }
        if (slot >= 0) services_.icons->DrawImage(row.dc, slot, r.iconX, r.iconY);
    }
    DrawMarked(row.dc, row, note.name, r.name, note.matchPos, dc.searchText);

    const HFONT small = style_.small ? style_.small : row.st.font;
    if (cols.bar) {
        Fill(row.dc, r.bar, style_.frame);
        Fill(row.dc, {r.bar.left + row.sc.Y(1), r.bar.top + row.sc.Y(1), r.bar.right - row.sc.Y(1),
                      r.bar.bottom - row.sc.Y(1)},
             0xFFFFFF);
        Fill(row.dc, r.barFill, 0x2E8B57);
    }
    if (cols.date && services_.format)
        Text(row.dc, small, DateOrTimeColumn(note.date, dc.today, *services_.format), R(r.date),
             DT_SINGLELINE | DT_LEFT, row.st);
    if (cols.size) Text(row.dc, small, SizeColumn(note.size), R(r.size), DT_SINGLELINE | DT_LEFT, row.st);
    return r.height;
}

int CItemPainter::Message(DrawContext& dc, const MessageRow& msg, const HotRect& rc, unsigned flags) {
    const Row row = Begin(dc, rc, flags, nullptr);
    const HFONT second = style_.small ? style_.small : row.st.font;
    const int secondH = GdiMeasurer(row.dc, second).Height();
    const MessageLayout r = LayOutMessage(row.sc, row.settings, row.area, row.h, secondH);
    if (!row.draw) return r.height;
    if (services_.icons) {
        const int slot = msg.attachment ? (msg.unread ? kImgEmailUnreadAttach : kImgEmailOpenedAttach)
                                        : (msg.unread ? kImgEmailUnread : kImgEmailOpened);
        services_.icons->DrawImage(row.dc, slot, r.iconX, r.iconY);
        if (msg.importance == 0 || msg.importance == 2)
            services_.icons->DrawImage(row.dc, msg.importance == 0 ? kImgLowImportance : kImgHighImportance,
                                       r.importanceX, r.importanceY);
    }
    std::wstring sender = msg.sender;
    if (msg.textMessage) sender = sender.substr(0, sender.find_first_of(L"\r\n"));
    Text(row.dc, row.st.font, sender, R(r.sender), DT_SINGLELINE | DT_WORD_ELLIPSIS, row.st);
    if (services_.format)
        Text(row.dc, row.st.font, DateOrTimeColumn(msg.received, dc.today, *services_.format), R(r.date),
             DT_SINGLELINE | DT_RIGHT, row.st);
    Text(row.dc, second, msg.subject, R(r.subject), DT_SINGLELINE | DT_WORD_ELLIPSIS, row.st);
    if (dc.tinted105) {
        Copy(row.dc, reinterpret_cast<HBITMAP>(dc.tinted105), r.separator, dc.backgroundX + r.separator.left,
             dc.backgroundY + r.separator.top);
    } else {
        Fill(row.dc, r.separator, style_.lineColour);
    }
    return r.height;
}

int CItemPainter::GroupTitle(DrawContext& dc, TItemWithList& group, const std::wstring& title, const HotRect& rc,
                             unsigned flags) {
    const Row row = Begin(dc, rc, flags, style_.titles);
    const Scaler& sc = row.sc;
    if (!row.draw) return GroupTitleHeight(sc, row.h);
    const GroupTitleStyle& gs = dc.group;
    const GdiMeasurer m(row.dc, row.st.font);
    const TextSize ts = m.Measure(title);
    TEXTMETRICW tm{};
    {
        raii::Select sel(row.dc, row.st.font);
        GetTextMetricsW(row.dc, &tm);
    }
    GroupTitleInput in;
    in.titleWidth = ts.cx;
    in.titleHeight = ts.cy > 0 ? ts.cy : row.h;
    in.avgCharWidth = tm.tmAveCharWidth;
    for (int i = 0; i < 2; ++i) {
        const int slot = std::clamp(gs.counterSlot[i], 0, 2);
        in.counters[i] = {gs.counterKind[i], gs.counterKind[i] > 0 ? group.counters[slot] : -1};
    }
    in.foldButton = gs.foldButton;
    in.lineStyle = gs.lineStyle;
    in.thinLines = row.settings.thinLines;
    in.fullWidth = style_.fullWidthHighlight;
    in.timeline = gs.timeline != 0;
    in.timelineSettings = style_.timeline;
    const GroupTitleLayout r = LayOutGroupTitle(sc, row.area, row.h, in);
    const COLORREF line = gs.lineColour != 0xFFFFFFFF ? COLORREF(gs.lineColour) : style_.lineColour;

    if (gs.lineStyle == 3) {
        const Box top{r.band.left, r.bandTop, r.band.right, r.bandTop + sc.Y(1)};
        const Box middle{r.band.left, top.bottom, r.band.right, top.bottom + row.h};
        const Box bottom{r.band.left, middle.bottom, r.band.right, middle.bottom + sc.X(1)};
        const auto band = [&](const Box& b, uintptr_t bitmap, int opacity) {
            if (bitmap) {
                Copy(row.dc, reinterpret_cast<HBITMAP>(bitmap), b, dc.backgroundX + b.left, dc.backgroundY + b.top);
            } else {
                FillBlended(row.dc, b.left, b.top, b.Width(), b.bottom - b.top, line, opacity);
            }
        };
        band(top, dc.tinted150, 150);
        if (!row.area.highlighted) band(middle, dc.tinted105, 40);
        band(bottom, dc.tinted150, 150);
    }
    if (r.foldX >= 0 && services_.icons)
        services_.icons->DrawImage(row.dc, group.folded ? kImgFoldingClosed : kImgFoldingExpand, r.foldX, r.foldY);
    Text(row.dc, row.st.font, title, R(r.title), DT_SINGLELINE, row.st);
    if (gs.lineStyle == 1)
        for (const Box& b : r.segments) Fill(row.dc, b, line);
    if (gs.lineStyle == 0) Fill(row.dc, r.line, line);
    static const int kCounterSlots[] = {-1, kImgApptCounter, kImgTaskCounter, kImgNotesCounter, kImgMailCounter,
                                        kImgContactsCounter};
    for (const PlacedCounter& c : r.counters) {
        if (services_.icons && c.kind >= 1 && c.kind <= 5)
            services_.icons->DrawImage(row.dc, kCounterSlots[c.kind], c.iconX, c.iconY);
        Text(row.dc, row.st.font, std::to_wstring(c.value), R(c.valueBox), DT_SINGLELINE | DT_RIGHT, row.st);
    }
    if (in.timeline && r.timeline.Width() > 0) {
        Fill(row.dc, r.timelineFrame, line);
        const HBITMAP bmp = reinterpret_cast<HBITMAP>(gs.timeline);
        int w = 0, h = 0;
        if (BitmapSize(bmp, &w, &h)) {
            raii::MemDC mem(CreateCompatibleDC(row.dc));
            raii::Select sel(mem.get(), bmp);
            StretchBlt(row.dc, r.timeline.left, r.timeline.top, r.timeline.Width(),
                       r.timeline.bottom - r.timeline.top, mem.get(), 0, 0, w, h, SRCCOPY);
        }
        if (gs.timelineHot) *gs.timelineHot = r.timelineHot;
    }
    return r.height;
}

}  // namespace daybrim
