#include "image_cache.h"

#include "settings.h"
#include "todaycmn.h"

namespace daybrim {

namespace {

const COLORREF kGreen = 0x00FF00;
const COLORREF kRed = 0x0000FF;

const NamedImage kNamedImages[kImageSlotCount] = {
    {L"note", 399, -1, kGreen, false},
    {L"note_popup_zoom", 393, -1, kGreen, false},
    {L"folding_expand", -1, 195, kRed, true},
    {L"folding_closed", -1, 217, kRed, true},
    {L"active_task", 405, -1, kGreen, false},
    {L"allday_appt", 404, -1, kGreen, false},
    {L"appt_counter", 406, -1, kGreen, false},
    {L"task_counter", 407, -1, kGreen, false},
    {L"mail_counter", 408, -1, kGreen, false},
    {L"notes_counter", 428, -1, kGreen, false},
    {L"contacts_counter", 447, -1, kGreen, true},
    {L"task_checked", -1, 173, kRed, true},
    {L"task_not_checked", -1, 172, kRed, true},
    {L"regenerated", 400, -1, kGreen, false},
    {L"reminder", 396, -1, kGreen, false},
    {L"high_importance", 401, -1, kGreen, false},
    {L"low_importance", 402, -1, kGreen, false},
    {L"recurring", 398, -1, kGreen, false},
    {L"exception", 436, -1, kGreen, false},
    {L"private", 395, -1, kGreen, false},
    {L"link", 403, -1, kGreen, false},
    {L"attendees", 397, -1, kGreen, false},
    {L"anniversary", 391, -1, kGreen, false},
    {L"birthday", 392, -1, kGreen, false},
    {L"tabs_left", -1, 365, kGreen, false},
    {L"tabs_right", -1, 366, kGreen, false},
    {L"email_unread", 410, -1, kGreen, false},
    {L"email_opened", 409, -1, kGreen, false},
    {L"email_unread_attach", 412, -1, kGreen, false},
    {L"email_opened_attach", 411, -1, kGreen, false},
    {L"monthly_pinned_left", 419, -1, kGreen, false},
    {L"monthly_pinned_today", 418, -1, kGreen, false},
    {L"monthly_pinned_right", 417, -1, kGreen, false},
    {L"monthly_pinned_copy", 415, -1, kGreen, false},
    {L"monthly_pinned_cut", 416, -1, kGreen, false},
    {L"note_type_memory", 421, -1, kGreen, false},
    {L"note_type_storage", 420, -1, kGreen, false},
    {L"note_audio_type_memory", 423, -1, kGreen, false},
    {L"note_audio_type_storage", 424, -1, kGreen, false},
    {L"note_text_type_memory", 455, -1, kGreen, false},
    {L"note_text_type_storage", 456, -1, kGreen, false},
    {L"note_word_type_memory", 457, -1, kGreen, false},
    {L"note_word_type_storage", 458, -1, kGreen, false},
    {L"note_excel_type_memory", 459, -1, kGreen, false},
    {L"note_excel_type_storage", 460, -1, kGreen, false},
    {L"phone_type_work", 266, -1, kRed, true},
    {L"phone_type_cell", 267, -1, kRed, true},
    {L"phone_type_email", 268, -1, kRed, true},
    {L"phone_type_home", 269, -1, kRed, true},
    {L"phone_type_fax", 270, -1, kRed, true},
    {L"phone_type_car", 271, -1, kRed, true},
    {L"no_picture_contact", -1, 273, kRed, true},
    {L"contacts_search_keys", 272, -1, kRed, true},
    {L"popup_clr_prev", 386, -1, kGreen, false},
    {L"popup_clr_next", 385, -1, kGreen, false},
    {L"popup_clr_today", 387, -1, kGreen, false},
    {L"popup_tl_create_appt", 389, -1, kGreen, false},
    {L"popup_item_preview_open", 448, -1, kGreen, false},
    {L"popup_item_preview_edit", 449, -1, kGreen, false},
    {L"popup_item_preview_delete", 450, -1, kGreen, false},
    {L"popup_item_preview_forward", 451, -1, kGreen, false},
    {L"popup_item_preview_reply", 452, -1, kGreen, false},
    {L"popup_item_preview_replyall", 453, -1, kGreen, false},
    {L"popup_item_preview_dial", 454, -1, kGreen, false},
    {L"close_button_popup_win", 388, -1, kGreen, false},
};

static_assert(kFontCount == 45, "the font catalogue lists 45 ids");

}  // namespace

const NamedImage& NamedImageOf(int slot) {
    static const NamedImage kNone = {L"", -1, -1, 0, false};
    return slot >= 0 && slot < kImageSlotCount ? kNamedImages[slot] : kNone;
}

void CImageCache::Load(HMODULE resolution, bool high, const std::wstring& skinFolder, COLORREF blendBase,
                       ImageSource& src) {
    Release();
    high_ = high;
    blendBase_ = blendBase;
    for (int i = 0; i < kImageSlotCount; ++i) {
        const NamedImage& s = kNamedImages[i];
        // The scroll arrows sit in scaled tap squares: on a high-resolution screen
        // a skin drawn for both resolutions gives its "_high" arrow first, which
        // the plain lookup would never reach past the low-resolution one.
        const bool arrow = i == kImgTabsLeft || i == kImgTabsRight;
        if (arrow && high && !skinFolder.empty() &&
            images_[i].LoadNamed(skinFolder, std::wstring(s.name) + L"_high", nullptr, -1, -1, s.transparent, false,
                                 src))
            continue;
        images_[i].LoadNamed(skinFolder, s.name, resolution, s.tgaId, s.bitmapId, s.transparent, s.high && high,
                             src);
    }
}

void CImageCache::ClearFonts() {
    for (raii::Font& f : fonts_) f.reset();
}

void CImageCache::Release() {
    for (CAlphaImage& i : images_) i.Release();
    ClearFonts();
    background_.reset();
    tinted105_.reset();
    tinted150_.reset();
    hostRect_ = RECT();
}

const CAlphaImage& CImageCache::Image(int slot) const {
    static const CAlphaImage kEmpty;
    return slot >= 0 && slot < kImageSlotCount ? images_[slot] : kEmpty;
}

HFONT CImageCache::GetFont(const CSettings& settings, int id) {
    for (int i = 0; i < kFontCount; ++i) {
        if (kFontIds[i] != id) continue;
        if (!fonts_[i]) {
            LOGFONTW lf = settings.CatalogueFont(id);
            fonts_[i].reset(CreateFontIndirectW(&lf));
        }
        return fonts_[i].get();
    }
    return nullptr;
}

void CImageCache::CheckHost(HWND host) {
    RECT rc = {};
    GetWindowRect(host, &rc);
    if (!EqualRect(&rc, &hostRect_)) {
        DropBackgrounds();
        hostRect_ = rc;
    }
}

void CImageCache::DropBackgrounds() {
    background_.reset();
    tinted105_.reset();
    tinted150_.reset();
}

HBITMAP CImageCache::GetBackground(HWND host) {
    if (!host) return nullptr;
    CheckHost(host);
    if (background_) return background_.get();
    RECT rc;
    GetClientRect(host, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return nullptr;
    raii::WindowDC screen(host);
    raii::Bitmap bmp(CreateCompatibleBitmap(screen.get(), rc.right, rc.bottom));
    raii::MemDC mem(CreateCompatibleDC(screen.get()));
    if (!bmp || !mem) return nullptr;
    {
        raii::Select sel(mem.get(), bmp.get());
        PatBlt(mem.get(), 0, 0, rc.right, rc.bottom, WHITENESS);
        TODAYDRAWWATERMARKINFO info = {mem.get(), rc, host};
        SendMessageW(GetParent(host), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
    }
    background_ = std::move(bmp);
    return background_.get();
}

HBITMAP CImageCache::Tinted(HWND host, raii::Bitmap* slot, int opacity) {
    HBITMAP plain = GetBackground(host);
    if (!plain) return nullptr;
    if (*slot) return slot->get();
    RECT rc;
    GetClientRect(host, &rc);
    raii::WindowDC screen(host);
    raii::Bitmap bmp(CreateCompatibleBitmap(screen.get(), rc.right, rc.bottom));
    raii::MemDC dst(CreateCompatibleDC(screen.get())), src(CreateCompatibleDC(screen.get()));
    if (!bmp || !dst || !src) return nullptr;
    {
        raii::Select s1(dst.get(), bmp.get());
        raii::Select s2(src.get(), plain);
        BitBlt(dst.get(), 0, 0, rc.right, rc.bottom, src.get(), 0, 0, SRCCOPY);
        FillBlended(dst.get(), 0, 0, rc.right, rc.bottom, blendBase_, opacity);
    }
    *slot = std::move(bmp);
    return slot->get();
}

HBITMAP CImageCache::GetBackgroundTinted105(HWND host) { return Tinted(host, &tinted105_, 105); }
HBITMAP CImageCache::GetBackgroundTinted150(HWND host) { return Tinted(host, &tinted150_, 150); }

void CImageCache::PaintBackgroundFor(HWND child, HDC dc, int w, int h) {
    HWND host = child;
    // The host is the window of class "QuorvelWnd" above the child.
    while (host) {
        wchar_t cls[32] = {};
        GetClassNameW(host, cls, 32);
        if (lstrcmpW(cls, L"QuorvelWnd") == 0) break;
        host = GetParent(host);
    }
    HBITMAP bg = host ? GetBackground(host) : nullptr;
    if (!bg) {
        PatBlt(dc, 0, 0, w, h, WHITENESS);
        return;
    }
    POINT at = {0, 0};
    MapWindowPoints(child, host, &at, 1);
    raii::MemDC mem(CreateCompatibleDC(dc));
    raii::Select sel(mem.get(), bg);
    BitBlt(dc, 0, 0, w, h, mem.get(), at.x, at.y, SRCCOPY);
}

}  // namespace daybrim
