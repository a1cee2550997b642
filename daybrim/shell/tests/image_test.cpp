// Image loading and drawing without a screen: the named-image lookup order
// against a fake file system, alpha drawing and clamped offsets, blended fills,
// the skin's icon list, and the ids of the live tabs.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <map>
#include <string>
#include <vector>

#include "alpha_image.h"
#include "image_cache.h"
#include "raii.h"
#include "settings.h"
#include "skin.h"
#include "tab_bar_window.h"
#include "tab_factory.h"
#include "tab_types.h"

namespace {

using namespace daybrim;

// A 2x1 32-bit TGA: an opaque red pixel and a half-transparent white one.
std::vector<uint8_t> TinyTga() {
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 0x28,  // header: 2x1, 32 bits, top-down
            0, 0, 255, 255, 255, 255, 255, 128};                          // blue, green, red, alpha
}

class FakeFiles : public ImageSource {
public:
    std::map<std::wstring, std::vector<uint8_t>> files;  // TGA files
    std::map<std::wstring, bool> dibs;                    // BMP files that load
    std::map<int, std::vector<uint8_t>> targa;            // TARGA resources
    std::map<int, bool> bitmaps;                          // bitmap resources
    std::vector<std::wstring> log;

    bool ReadFile(const std::wstring& p, std::vector<uint8_t>* b) override {
        log.push_back(L"file " + p);
        auto it = files.find(p);
        if (it == files.end()) return false;
        *b = it->second;
        return true;
    }
    HBITMAP LoadDib(const std::wstring& p) override {
        log.push_back(L"dib " + p);
        return dibs.count(p) ? CreateBitmap(3, 2, 1, 32, nullptr) : nullptr;
    }
    bool ReadTgaResource(HMODULE, int id, std::vector<uint8_t>* b) override {
        log.push_back(L"targa " + std::to_wstring(id));
        auto it = targa.find(id);
        if (it == targa.end()) return false;
        *b = it->second;
        return true;
    }
    HBITMAP LoadBitmapResource(HMODULE, int id) override {
        log.push_back(L"bitmap " + std::to_wstring(id));
        return bitmaps.count(id) ? CreateBitmap(4, 4, 1, 32, nullptr) : nullptr;
    }
    bool Exists(const std::wstring& p) override { return files.count(p) != 0; }
};

std::vector<std::wstring> L(std::initializer_list<const wchar_t*> v) { return std::vector<std::wstring>(v.begin(), v.end()); }

}  // namespace

TEST(NamedImageLookup, FolderFirstThenTheResolutionLibrary) {
    FakeFiles fs;
    CAlphaImage img;
    // Nothing anywhere: every place is tried in order, the high variant only when asked.
    EXPECT_FALSE(img.LoadNamed(L"\\skin\\", L"note", nullptr, 399, -1, 0x00FF00, true, fs));
    EXPECT_EQ(L({L"file \\skin\\note.tga", L"dib \\skin\\note.bmp", L"dib \\skin\\note_high.bmp", L"targa 399"}), fs.log);
    EXPECT_FALSE(img.Loaded());
    // A bitmap id is tried only without a TARGA id.
    fs.log.clear();
    EXPECT_FALSE(img.LoadNamed(L"\\skin", L"tabs_left", nullptr, -1, 365, 0x00FF00, false, fs));
    EXPECT_EQ(L({L"file \\skin\\tabs_left.tga", L"dib \\skin\\tabs_left.bmp", L"bitmap 365"}), fs.log);
    // No folder: straight to the library.
    fs.log.clear();
    fs.bitmaps[195] = true;
    EXPECT_TRUE(img.LoadNamed(L"", L"folding_expand", nullptr, -1, 195, 0x0000FF, true, fs));
    EXPECT_EQ(L({L"bitmap 195"}), fs.log);
    EXPECT_FALSE(img.HasPlanes());
    EXPECT_EQ(4, img.Width());
}

TEST(NamedImageLookup, TheFirstThatLoadsWins) {
    FakeFiles fs;
    CAlphaImage img;
    fs.dibs[L"\\skin\\note_high.bmp"] = true;
    fs.targa[399] = TinyTga();
    EXPECT_TRUE(img.LoadNamed(L"\\skin\\", L"note", nullptr, 399, -1, 0x00FF00, true, fs));
    EXPECT_EQ(3, img.Width());  // the folder's high variant, not the resource
    EXPECT_FALSE(img.HasPlanes());
    // A broken TGA in the folder falls through to the next candidates.
    fs.log.clear();
    fs.files[L"\\skin\\note.tga"] = {1, 2, 3};
    fs.dibs.clear();
    EXPECT_TRUE(img.LoadNamed(L"\\skin\\", L"note", nullptr, 399, -1, 0x00FF00, false, fs));
    EXPECT_TRUE(img.HasPlanes());
    EXPECT_EQ(L({L"file \\skin\\note.tga", L"dib \\skin\\note.bmp", L"targa 399"}), fs.log);
    // A good one is taken at once.
    fs.files[L"\\skin\\note.tga"] = TinyTga();
    fs.log.clear();
    EXPECT_TRUE(img.LoadNamed(L"\\skin\\", L"note", nullptr, 399, -1, 0x00FF00, false, fs));
    EXPECT_EQ(L({L"file \\skin\\note.tga"}), fs.log);
    EXPECT_EQ(0xFF0000FFu, img.PlanePixel(0, 0));
    // Copies own their own bitmap.
    CAlphaImage copy = img;
    EXPECT_EQ(0x80FFFFFFu, copy.PlanePixel(1, 0));
}

TEST(NamedImageLookup, CacheSlotsFollowTheTable) {
    FakeFiles fs;
    fs.targa[399] = TinyTga();
    fs.dibs[L"\\s\\phone_type_work_high.bmp"] = true;
    CImageCache cache;
    cache.Load(nullptr, true, L"\\s\\", 0xFFFFFF, fs);
    EXPECT_TRUE(cache.Image(kImgNote).HasPlanes());
    EXPECT_EQ(3, cache.Image(kImgPhoneWork).Width());
    EXPECT_FALSE(cache.Image(kImgBirthday).Loaded());
    EXPECT_STREQ(L"close_button_popup_win", NamedImageOf(kImgCloseButtonPopup).name);
    EXPECT_EQ(65, int(kImageSlotCount));
    EXPECT_EQ(45, kFontCount);
    // Only high-resolution screens try the "_high" variants.
    fs.log.clear();
    cache.Load(nullptr, false, L"\\s\\", 0xFFFFFF, fs);
    for (const std::wstring& l : fs.log) EXPECT_EQ(std::wstring::npos, l.find(L"_high")) << l;
    EXPECT_FALSE(cache.Image(kImgPhoneWork).Loaded());
}

TEST(NamedImageLookup, ScrollArrowsTakeTheSkinsHighPictureOnHighScreens) {
    FakeFiles fs;
    fs.dibs[L"\\s\\tabs_left.bmp"] = true;
    fs.dibs[L"\\s\\tabs_left_high.bmp"] = true;
    fs.dibs[L"\\s\\tabs_right.bmp"] = true;  // a skin with only the low arrow on the right
    CImageCache cache;
    auto asked = [&](const std::wstring& what) {
        for (const std::wstring& l : fs.log)
            if (l == what) return true;
        return false;
    };
    cache.Load(nullptr, true, L"\\s\\", 0xFFFFFF, fs);
    EXPECT_TRUE(cache.Image(kImgTabsLeft).Loaded());
    EXPECT_TRUE(asked(L"dib \\s\\tabs_left_high.bmp"));
    EXPECT_FALSE(asked(L"dib \\s\\tabs_left.bmp")) << "the high arrow came first";
    EXPECT_TRUE(cache.Image(kImgTabsRight).Loaded());
    EXPECT_TRUE(asked(L"dib \\s\\tabs_right.bmp")) << "without a high arrow, the low one";
    EXPECT_FALSE(asked(L"bitmap 366"));

    fs.log.clear();
    cache.Load(nullptr, false, L"\\s\\", 0xFFFFFF, fs);
    EXPECT_FALSE(asked(L"dib \\s\\tabs_left_high.bmp"));
    EXPECT_TRUE(asked(L"dib \\s\\tabs_left.bmp"));
}

namespace {

// Pixels of a picture that show: alpha over half for planes, anything but the
// transparent colour for a keyed bitmap.
int VisiblePixels(const CAlphaImage& img, COLORREF transparent) {
    int n = 0;
    if (img.HasPlanes()) {
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) n += (img.PlanePixel(x, y) >> 24) > 128;
        return n;
    }
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = img.Width();
    bi.bmiHeader.biHeight = -img.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px(size_t(img.Width()) * size_t(img.Height()));
    raii::WindowDC screen(nullptr);
    if (!GetDIBits(screen.get(), img.Bitmap(), 0, img.Height(), px.data(), &bi, DIB_RGB_COLORS)) return 0;
    const uint32_t key = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
    for (uint32_t v : px) n += (v & 0xFFFFFF) != key;
    return n;
}

}  // namespace

// Whatever a skin leaves out comes from the item's own resolution library:
// every named picture at its size for the resolution (twice it on high screens)
// and not mostly transparent. TARGA pictures carry alpha; the rest are bitmaps
// on their transparent colour.
TEST(ResolutionLibraries, HoldEveryNamedPicture) {
    const struct {
        int slot, w, h;
    } kPictures[] = {
        {kImgNote, 12, 12},
        {kImgNotePopupZoom, 16, 16},
        {kImgFoldingExpand, 11, 11},
        {kImgFoldingClosed, 11, 11},
        {kImgActiveTask, 12, 12},
        {kImgAlldayAppt, 12, 12},
        {kImgApptCounter, 10, 10},
        {kImgTaskCounter, 10, 10},
        {kImgMailCounter, 10, 10},
        {kImgNotesCounter, 10, 10},
        {kImgContactsCounter, 10, 10},
        {kImgTaskChecked, 12, 12},
        {kImgTaskNotChecked, 12, 12},
        {kImgRegenerated, 12, 12},
        {kImgReminder, 12, 12},
        {kImgHighImportance, 12, 12},
        {kImgLowImportance, 12, 12},
        {kImgRecurring, 12, 12},
        {kImgException, 12, 12},
        {kImgPrivate, 12, 12},
        {kImgLink, 12, 12},
        {kImgAttendees, 12, 12},
        {kImgAnniversary, 12, 12},
        {kImgBirthday, 12, 12},
        {kImgTabsLeft, 9, 9},
        {kImgTabsRight, 9, 9},
        {kImgEmailUnread, 14, 12},
        {kImgEmailOpened, 14, 12},
        {kImgEmailUnreadAttach, 14, 12},
        {kImgEmailOpenedAttach, 14, 12},
        {kImgMonthlyPinnedLeft, 14, 14},
        {kImgMonthlyPinnedToday, 14, 14},
        {kImgMonthlyPinnedRight, 14, 14},
        {kImgMonthlyPinnedCopy, 14, 14},
        {kImgMonthlyPinnedCut, 14, 14},
        {kImgNoteTypeMemory, 12, 12},
        {kImgNoteTypeStorage, 12, 12},
        {kImgNoteAudioTypeMemory, 12, 12},
        {kImgNoteAudioTypeStorage, 12, 12},
        {kImgNoteTextTypeMemory, 12, 12},
        {kImgNoteTextTypeStorage, 12, 12},
        {kImgNoteWordTypeMemory, 12, 12},
        {kImgNoteWordTypeStorage, 12, 12},
        {kImgNoteExcelTypeMemory, 12, 12},
        {kImgNoteExcelTypeStorage, 12, 12},
        {kImgPhoneWork, 12, 12},
        {kImgPhoneCell, 12, 12},
        {kImgPhoneEmail, 12, 12},
        {kImgPhoneHome, 12, 12},
        {kImgPhoneFax, 12, 12},
        {kImgPhoneCar, 12, 12},
        {kImgNoPictureContact, 40, 40},
        {kImgContactsSearchKeys, 240, 17},  // the search bar's full width
        {kImgPopupClrPrev, 16, 16},
        {kImgPopupClrNext, 16, 16},
        {kImgPopupClrToday, 16, 16},
        {kImgPopupTlCreateAppt, 16, 16},
        {kImgPreviewOpen, 16, 16},
        {kImgPreviewEdit, 16, 16},
        {kImgPreviewDelete, 16, 16},
        {kImgPreviewForward, 16, 16},
        {kImgPreviewReply, 16, 16},
        {kImgPreviewReplyAll, 16, 16},
        {kImgPreviewDial, 16, 16},
        {kImgCloseButtonPopup, 16, 16},
    };
    // One row per slot, in slot order: a slot added later needs its picture too.
    ASSERT_EQ(size_t(kImageSlotCount), sizeof kPictures / sizeof kPictures[0]);
    for (const bool high : {false, true}) {
        const wchar_t* path = high ? L"\\Program Files\\Olvane\\Daybrim\\HighDpiRes.dll"
                                   : L"\\Program Files\\Olvane\\Daybrim\\LowDpiRes.dll";
        raii::Library res(LoadLibraryW(path));
        ASSERT_TRUE(res) << (high ? "high" : "low");
        CImageCache cache;
        cache.Load(res.get(), high, L"");
        const int scale = high ? 2 : 1;
        for (int i = 0; i < kImageSlotCount; ++i) {
            const auto& p = kPictures[i];
            const NamedImage& entry = NamedImageOf(p.slot);
            SCOPED_TRACE(testing::Message() << entry.name << (high ? " high" : " low"));
            ASSERT_EQ(i, p.slot);
            const CAlphaImage& img = cache.Image(p.slot);
            ASSERT_TRUE(img.Loaded());
            EXPECT_EQ(entry.tgaId >= 0, img.HasPlanes());
            EXPECT_EQ(p.w * scale, img.Width());
            EXPECT_EQ(p.h * scale, img.Height());
            EXPECT_GT(VisiblePixels(img, entry.transparent), img.Width() * img.Height() / 8);
        }
    }
}

TEST(AlphaDrawing, BlendsPlanesAndClampsOffsets) {
    DibCanvas canvas(raii::WindowDC(nullptr).get(), 4, 2);
    ASSERT_TRUE(canvas.ok());
    PatBlt(canvas.dc(), 0, 0, 4, 2, BLACKNESS);
    CAlphaImage img;
    const std::vector<uint8_t> t = TinyTga();
    ASSERT_EQ(S_OK, img.LoadTgaBytes(t.data(), t.size()));
    img.Draw(canvas.dc(), 1, 0);
    GdiFlush();
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc(), 1, 0));
    EXPECT_EQ(RGB(128, 128, 128), GetPixel(canvas.dc(), 2, 0));  // 255 at 128 over 0
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 1, 1));  // below the image
    // Offsets past the image draw nothing and read nothing out of it.
    PatBlt(canvas.dc(), 0, 0, 4, 2, BLACKNESS);
    img.Draw(canvas.dc(), 0, 0, 4, 2, 50, 50);
    img.Draw(canvas.dc(), 0, 0, 4, 2, -5, 0, 1, 1);  // clamped to 0: the red pixel only
    GdiFlush();
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc(), 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 1, 0));
    // Blended fills.
    PatBlt(canvas.dc(), 0, 0, 4, 2, WHITENESS);
    FillBlended(canvas.dc(), 0, 0, 2, 2, RGB(0, 0, 255), 127);
    GdiFlush();
    EXPECT_EQ(RGB(128, 128, 255), GetPixel(canvas.dc(), 0, 0));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc(), 3, 0));
    // Not loaded: nothing drawn.
    CAlphaImage none;
    none.Draw(canvas.dc(), 0, 0);
    none.DrawTransparent(canvas.dc(), 0, 0);
    EXPECT_FALSE(none.Loaded());
}

TEST(SkinIcons, TwinsOnlyAndExclusions) {
    const std::wstring dir = std::wstring(TEST_TMP) + L"\\icons";
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* f : {L"Heart_baricon_sel.tga", L"heart_baricon_nsel.tga", L"gear_baricon_sel.tga",
                             L"gear_baricon_nsel.tga", L"lonely_baricon_sel.tga", L"other.tga"}) {
        HANDLE h = CreateFileW((dir + L"\\" + f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
    }
    EXPECT_EQ(L({L"Heart", L"gear"}), SkinIconList(dir, {}));
    EXPECT_EQ(L({L"Heart"}), SkinIconList(dir, {L"GEAR"}));
    EXPECT_TRUE(SkinIconList(L"", {}).empty());
}

TEST(LiveTabs, IdsArePositionsInTheConfiguredList) {
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
    HKEY k;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\TabSettings\\Weather", 0, nullptr, 0, KEY_WRITE,
                    nullptr, &k, nullptr);
    DWORD v = 3;
    RegSetValueExW(k, L"Order", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    v = 1;
    RegSetValueExW(k, L"Enabled", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    RegSetValueExW(k, L"Type", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    RegCloseKey(k);
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\TabSettings", 0, nullptr, 0, KEY_WRITE, nullptr,
                    &k, nullptr);
    v = 1;
    RegSetValueExW(k, L"DfltTabOnStartup", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    v = 3;
    RegSetValueExW(k, L"DfltTab", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    RegCloseKey(k);

    CSettings s;
    s.Load(nullptr);
    ShellEnv env;
    std::vector<int> ids;
    std::vector<DWORD> types;
    for (const TTabDescriptor& d : s.tabs) {
        std::unique_ptr<CTab> t = CreateTabFor(&env, s, d);
        ASSERT_TRUE(t);
        ids.push_back(t->Id());
        types.push_back(t->GetType());
    }
    // Calendar, Tasks, Weather (before Notes, equal order), Notes, Contacts, Mail, Special Events.
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7}), ids);
    EXPECT_EQ((std::vector<DWORD>{TAB_TYPE_CALENDAR, TAB_TYPE_TASKS, TAB_TYPE_TODAY_ITEM, TAB_TYPE_NOTES,
                                  TAB_TYPE_CONTACTS, TAB_TYPE_MAIL, TAB_TYPE_SEVENTS}),
              types);
    // Default tab 3 is Contacts, and "ActiveTab" names the tab whose id it is.
    EXPECT_EQ(5u, s.ActiveTab.value());
    EXPECT_EQ(TAB_TYPE_CONTACTS, types[s.ActiveTab.value() - 1]);
    TTabDescriptor bogus;
    bogus.type = 3;
    EXPECT_FALSE(CreateTabFor(&env, s, bogus));
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
}

TEST(SkinFolder, EndsInOneBackslashSoSkinIniIsFoundWhateverWasTyped) {
    EXPECT_EQ(L"\\Skins\\dark\\", SkinFolderFor(L"\\Skins\\dark", L"\\P"));
    EXPECT_EQ(L"\\Skins\\dark\\", SkinFolderFor(L"\\Skins\\dark\\\\", L"\\P"));
    EXPECT_EQ(L"\\Skins\\dark\\", SkinFolderFor(L"\\Skins\\dark/", L"\\P"));
    EXPECT_EQ(L"\\P\\Skins\\default\\", SkinFolderFor(L"", L"\\P"));
    EXPECT_EQ(L"\\", SkinFolderFor(L"\\", L"\\P"));

    // A skin whose folder was given without the backslash reads its skin.ini (and
    // not the older one-pixel text colour) as well as its pictures.
    const std::wstring dir = std::wstring(TEST_TMP) + L"\\bare_skin";
    CreateDirectoryW(dir.c_str(), nullptr);
    const char ini[] = "\"txt_color\"=\"10,20,30\"\r\n";
    HANDLE h = CreateFileW((dir + L"\\skin.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD put = 0;
    WriteFile(h, ini, DWORD(sizeof ini - 1), &put, nullptr);
    CloseHandle(h);
    for (const std::wstring& folder : {dir, SkinFolderFor(dir, L"")}) {
        CSkin skin;
        skin.Load(folder, RGB(1, 1, 1), RGB(2, 2, 2));
        EXPECT_EQ(RGB(10, 20, 30), skin.desc().textColour) << folder;
    }
    DeleteFileW((dir + L"\\skin.ini").c_str());
    RemoveDirectoryW(dir.c_str());
}
