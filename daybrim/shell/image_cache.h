// CImageCache: the item's named pictures (from the skin folder, else the
// resolution library), its font objects by catalogue id (the item's one table of
// fonts), and the Today background under the host window, plain and tinted.
#pragma once
#include <windows.h>

#include <string>

#include "alpha_image.h"
#include "raii.h"

namespace daybrim {

class CSettings;

enum ImageSlot {
    kImgNote, kImgNotePopupZoom, kImgFoldingExpand, kImgFoldingClosed, kImgActiveTask, kImgAlldayAppt,
    kImgApptCounter, kImgTaskCounter, kImgMailCounter, kImgNotesCounter, kImgContactsCounter, kImgTaskChecked,
    kImgTaskNotChecked, kImgRegenerated, kImgReminder, kImgHighImportance, kImgLowImportance, kImgRecurring,
    kImgException, kImgPrivate, kImgLink, kImgAttendees, kImgAnniversary, kImgBirthday, kImgTabsLeft,
    kImgTabsRight, kImgEmailUnread, kImgEmailOpened, kImgEmailUnreadAttach, kImgEmailOpenedAttach,
    kImgMonthlyPinnedLeft, kImgMonthlyPinnedToday, kImgMonthlyPinnedRight, kImgMonthlyPinnedCopy,
    kImgMonthlyPinnedCut, kImgNoteTypeMemory, kImgNoteTypeStorage, kImgNoteAudioTypeMemory,
    kImgNoteAudioTypeStorage, kImgNoteTextTypeMemory, kImgNoteTextTypeStorage, kImgNoteWordTypeMemory,
    kImgNoteWordTypeStorage, kImgNoteExcelTypeMemory, kImgNoteExcelTypeStorage, kImgPhoneWork, kImgPhoneCell,
    kImgPhoneEmail, kImgPhoneHome, kImgPhoneFax, kImgPhoneCar, kImgNoPictureContact, kImgContactsSearchKeys,
    kImgPopupClrPrev, kImgPopupClrNext, kImgPopupClrToday, kImgPopupTlCreateAppt, kImgPreviewOpen,
    kImgPreviewEdit, kImgPreviewDelete, kImgPreviewForward, kImgPreviewReply, kImgPreviewReplyAll,
    kImgPreviewDial, kImgCloseButtonPopup, kImageSlotCount
};

struct NamedImage {
    const wchar_t* name;
    int tgaId;     // -1: none
    int bitmapId;  // -1: none
    COLORREF transparent;
    bool high;
};
const NamedImage& NamedImageOf(int slot);

// The catalogue's font ids; the table of font objects is sized from this list.
constexpr int kFontIds[] = {0,   1,   2,   3,   4,   50,  51,  52,  53,  100, 101, 102, 103, 104, 105,
                            106, 107, 108, 109, 110, 111, 112, 113, 200, 201, 202, 203, 204, 205, 250,
                            251, 260, 261, 262, 270, 271, 272, 300, 301, 302, 303, 304, 305, 400, 500};
constexpr int kFontCount = int(sizeof kFontIds / sizeof kFontIds[0]);

class CImageCache {
public:
    virtual ~CImageCache() = default;
    // Drops everything, then loads every slot in table order.
    void Load(HMODULE resolution, bool high, const std::wstring& skinFolder, COLORREF blendBase = 0xFFFFFF,
              ImageSource& src = SystemImageSource());
    void Release();
    void ReleaseBitmaps() { Release(); }

    // The Today background under `host` (client size), fetched once through
    // TODAYM_DRAWWATERMARK; dropped when the host moves or resizes.
    HBITMAP GetBackground(HWND host);
    HBITMAP GetBackgroundTinted105(HWND host);
    HBITMAP GetBackgroundTinted150(HWND host);
    HBITMAP Watermark(HWND host) { return GetBackground(host); }
    // The Today screen's background changed under an unmoved host (a new theme):
    // the next use fetches it again.
    void DropBackgrounds();
    // Copies the background under `child` (a window inside the host) into dc at 0, 0.
    void PaintBackgroundFor(HWND child, HDC dc, int w, int h);

    // The font of a catalogue id, created from `settings` on first use and kept
    // until ClearFonts or Release; null for an id not in kFontIds.
    HFONT GetFont(const CSettings& settings, int id);
    // Fonts made from settings that were just read again are stale.
    void ClearFonts();

    const CAlphaImage& Image(int slot) const;
    bool high() const { return high_; }

private:
    HBITMAP Tinted(HWND host, raii::Bitmap* slot, int opacity);
    void CheckHost(HWND host);

    raii::Bitmap background_;
    raii::Bitmap tinted105_;
    raii::Bitmap tinted150_;
    RECT hostRect_ = {};
    CAlphaImage images_[kImageSlotCount];
    raii::Font fonts_[kFontCount];
    COLORREF blendBase_ = 0xFFFFFF;
    bool high_ = false;
};

}  // namespace daybrim
