#include "contact_list.h"

#include <commctrl.h>

#include <algorithm>

#include "app.h"

namespace tallyra {

namespace {

const wchar_t* const kIconFiles[6] = {L"phone_type_home.tga", L"phone_type_car.tga",   L"phone_type_cell.tga",
                                      L"phone_type_work.tga", L"phone_type_fax.tga",    L"phone_type_email.tga"};

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

void DrawText(HDC dc, const CeString& text, size_t from, size_t n, RECT rc, UINT extra = 0) {
    DrawTextW(dc, text.c_str() + from, int(n), &rc, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | extra);
}

// The box of a title's matched span as DrawText lays out the whole title in rc (one
// line, vertically centred): the text cell's height, from the width of what comes
// before the span to the width up to its end, cut at the rectangle's right edge.
RECT SpanBox(HDC dc, const CeString& title, Span span, const RECT& rc) {
    if (span.end <= span.begin || span.end > title.length()) return RECT{};
    SIZE before = {}, through = {};
    if (span.begin && !GetTextExtentPoint32W(dc, title.c_str(), int(span.begin), &before)) return RECT{};
    if (!GetTextExtentPoint32W(dc, title.c_str(), int(span.end), &through)) return RECT{};
    RECT box;
    box.left = rc.left + before.cx;
    box.right = std::min(LONG(rc.left + through.cx), rc.right);
    box.top = rc.top + ((rc.bottom - rc.top) - through.cy) / 2;
    box.bottom = box.top + through.cy;
    if (box.left >= box.right) return RECT{};
    return box;
}

// Restores the DC's clipping (and everything else SaveDC keeps) when it ends.
class ClipScope {
public:
    explicit ClipScope(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~ClipScope() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace

bool CContactList::Create(HWND parent) {
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                            0, 0, 10, 10, parent, nullptr, TheApp().instance, nullptr);
    if (!list_) return false;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x10000060);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(L"Contacts");
    col.cx = 10;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    LoadIcons();
    return true;
}

void CContactList::LoadIcons() {
    App& app = TheApp();
    for (size_t i = 0; i < 6; ++i) {
        if (!icons_[i].LoadFile(app.settings.SkinPath.Get() + kIconFiles[i]))
            icons_[i].LoadResource(app.dpiRes.get(), int(2116 + i));
    }
}

const CTgaImage* CContactList::Icon(uint32_t property) const {
    const IconGroup g = IconOf(property);
    if (g == IconGroup::kNone) return nullptr;
    const CTgaImage& i = icons_[size_t(g)];
    return i.empty() ? nullptr : &i;
}

bool CContactList::Load() {
    WaitCursor wait;
    ShowWindow(list_, SW_HIDE);
    records_.clear();
    model_.Reset();
    titleFormat_ = TheApp().settings.TitleFormat.Get();
    const bool open = db_.Open();
    if (open && db_.Rewind()) {
        ContactProps p;
        CEOID oid = 0;
        while (db_.ReadNext(&p, &oid)) {
            CContactRecord r;
            r.title = CeString(FormatTitle(titleFormat_, p));
            r.oid = oid;
            r.numbers.push_back(PreferredNumber(p));
            model_.Add(r.title.str());
            records_.push_back(std::move(r));
        }
    }
    Show();
    return open;
}

bool CContactList::Reload() {
    if (TheApp().settings.TitleFormat.Get() == titleFormat_) return true;
    return Load();
}

void CContactList::Show() {
    const int n = int(model_.visible().size());
    SendMessageW(list_, LVM_SETITEMCOUNT, WPARAM(n), 0);
    FitColumn();  // the row count may have brought the scroll bar or taken it away
    FocusFirst();
    InvalidateRect(list_, nullptr, TRUE);
    ShowWindow(list_, SW_SHOW);
}

void CContactList::FocusFirst() {
    if (model_.visible().empty()) return;
    LVITEMW item = {};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list_, LVM_SETSELECTIONMARK, 0, 0);
    SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
}

void CContactList::AppendKey(int key) {
    if (model_.AppendKey(key) != SearchModel::Change::kNone) Show();
}

void CContactList::TypeChar(wchar_t c) {
    if (model_.TypeChar(c) != SearchModel::Change::kNone) Show();
}

void CContactList::ClearSearch() {
    if (model_.Clear() != SearchModel::Change::kNone)
        Show();
    else
        FocusFirst();  // the list stays as it is, but the selection may have moved
}

void CContactList::SetTypedMode(bool typed) {
    if (model_.SetTypedMode(typed) != SearchModel::Change::kNone) Show();
}

CContactRecord* CContactList::SelectedRecord() {
    int row = int(SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0));
    if (row < 0) row = int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    const auto& v = model_.visible();
    if (row < 0 || size_t(row) >= v.size()) return nullptr;
    return &records_[v[size_t(row)]];
}

bool CContactList::Expand(CContactRecord* r) {
    if (!r) return false;
    if (r->expanded) return true;
    ContactProps p;
    if (!db_.ReadById(r->oid, &p)) return false;  // the list's number stays as it was
    r->numbers = AllNumbers(p);
    r->expanded = true;
    return true;
}

void CContactList::Move(int x, int y, int w, int h) {
    MoveWindow(list_, x, y, w, h, TRUE);
    FitColumn();
}

void CContactList::FitColumn() {
    // As wide as the client area, not the window: beside a vertical scroll bar a
    // column as wide as the window brings a horizontal one, which hides a row.
    RECT rc;
    if (list_ && GetClientRect(list_, &rc)) SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, rc.right);
}

void CContactList::RemeasureRows() {
    RECT rc;
    if (!list_ || !GetWindowRect(list_, &rc)) return;
    MapWindowPoints(nullptr, GetParent(list_), reinterpret_cast<POINT*>(&rc), 2);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    // A size change it sees, then the size it had.
    MoveWindow(list_, rc.left, rc.top, w, h + 1, FALSE);
    MoveWindow(list_, rc.left, rc.top, w, h, TRUE);
    FitColumn();  // taller rows may need the scroll bar
}

int CContactList::RowHeight() const {
    const App& app = TheApp();
    const int l = app.skin.listFontHeight;
    return app.settings.ContactLayout.Get() == 2 ? app.ScaleY(7) + 2 * l : app.ScaleY(6) + l;
}

void CContactList::Measure(MEASUREITEMSTRUCT* mis) const { mis->itemHeight = UINT(RowHeight()); }

LRESULT CContactList::CustomDraw(const NMLVCUSTOMDRAW* cd) const {
    const bool nothingMatches = model_.visible().empty() && !model_.search().empty();
    if (!nothingMatches) return CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
    if (cd->nmcd.dwDrawStage != CDDS_POSTPAINT) return CDRF_DODEFAULT;
    const App& app = TheApp();
    const CeString text = app.Text(kNoMatchText);
    RECT rc;
    if (text.empty() || !GetClientRect(list_, &rc)) return CDRF_DODEFAULT;
    // Where the first row would stand.
    rc.bottom = rc.top + RowHeight();
    HDC dc = cd->nmcd.hdc;
    raii::Select font(dc, app.skin.listFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawText(dc, text, 0, text.length(), rc, DT_CENTER);
    return CDRF_DODEFAULT;
}

void CContactList::Draw(const DRAWITEMSTRUCT* dis) {
    const auto& v = model_.visible();
    if (dis->itemID >= v.size()) return;
    const size_t index = v[dis->itemID];
    const CContactRecord& r = records_[index];
    App& app = TheApp();
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    const bool focused = (dis->itemState & ODS_FOCUS) || (dis->itemState & ODS_SELECTED);
    FillRect(dc, &rc, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF text = GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);

    const int m = app.ScaleX(app.ScaleY(4));
    const CTgaImage& car = icons_[size_t(IconGroup::kCar)];
    const int iconW = car.width();
    const int layout = int(app.settings.ContactLayout.Get());
    const int width = rc.right - rc.left, half = width / 2;
    const ContactNumber& number = r.numbers.empty() ? ContactNumber() : r.numbers.front();
    const CTgaImage* icon = Icon(number.property);

    RECT title = rc, num = rc;
    int iconX = 0, iconY = 0;
    if (layout == 2) {
        rc.bottom -= app.ScaleY(1);
        const int mid = (rc.top + rc.bottom) / 2;
        title = {rc.left + m, rc.top, rc.right, mid};
        num = {rc.left + 2 * m + iconW, mid, rc.right, rc.bottom};
        iconX = rc.left + m;
        iconY = mid + ((rc.bottom - mid) - (icon ? icon->height() : 0)) / 2;
    } else if (layout == 1) {
        title = {rc.left, rc.top, rc.right - (2 * m + iconW), rc.bottom};
        iconX = rc.right - m - iconW;
        iconY = rc.top + (rc.bottom - rc.top - (icon ? icon->height() : 0)) / 2;
        num = {0, 0, 0, 0};
    } else {
        title = {rc.left, rc.top, rc.left + half, rc.bottom};
        iconX = rc.left + m + half;
        iconY = rc.top + (rc.bottom - rc.top - (icon ? icon->height() : 0)) / 2;
        num = {rc.left + half + 2 * m + iconW, rc.top, rc.right, rc.bottom};
    }
    if (icon) icon->Draw(dc, iconX, iconY);
    if (num.right > num.left) {
        raii::Select font(dc, app.skin.listFont.get());
        DrawText(dc, number.text, 0, number.text.length(), num);
    }
    {
        raii::Select font(dc, app.skin.boldFont.get());
        const Span s = HighlightSpan(r.title.str(), model_.MatchPos(index), model_.search().size());
        const RECT hl = focused ? RECT{} : SpanBox(dc, r.title, s, title);
        if (IsRectEmpty(&hl)) {
            DrawText(dc, r.title, 0, r.title.length(), title);
        } else {
            // The title is laid out once and each of its pixels drawn by one pass:
            // outside the matched span's box in the text colour, inside it in the
            // highlight's. Drawing the span and the rest as separate strings put
            // them where the whole string's layout did not, and smeared the rest.
            FillRect(dc, &hl, GetSysColorBrush(COLOR_HIGHLIGHT));
            {
                ClipScope clip(dc);
                ExcludeClipRect(dc, hl.left, hl.top, hl.right, hl.bottom);
                DrawText(dc, r.title, 0, r.title.length(), title);
            }
            ClipScope clip(dc);
            IntersectClipRect(dc, hl.left, hl.top, hl.right, hl.bottom);
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawText(dc, r.title, 0, r.title.length(), title);
            SetTextColor(dc, text);
        }
    }
    if (layout == 2) {
        RECT line = {dis->rcItem.left, dis->rcItem.bottom - app.ScaleY(1), dis->rcItem.right, dis->rcItem.bottom};
        FillRect(dc, &line, GetSysColorBrush(COLOR_GRAYTEXT));
    }
}

}  // namespace tallyra
