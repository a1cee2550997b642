// What the finder's window tests share: contacts put into the test device's contact
// database and taken out again, the finder's settings reset around each test, the
// finder's main window run inside the test process, screens of either size (a test
// runs again in a process of its own when the screen's resolution must change), and
// screenshots with pixel counts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "main_wnd.h"
#include "screenshot.h"

namespace tlt {

// Number and address properties of a contact record.
namespace prop {
constexpr uint32_t kCell = 0x0096001F, kWork = 0x0097001F, kHome = 0x0099001F, kCar = 0x009E001F,
                   kFax = 0x009B001F, kEmail = 0x0090001F;
}

struct Contact {
    const wchar_t* fileAs;
    std::vector<std::pair<uint32_t, const wchar_t*>> numbers;
    uint32_t defaultNumber = 0;  // 0: none
};

// Writes contacts into "Contacts Database" of the device's \pim.vol and deletes them
// again; the database is expected to hold no others.
class ContactFixture {
public:
    explicit ContactFixture(const std::vector<Contact>& contacts);
    ~ContactFixture();
    ContactFixture(const ContactFixture&) = delete;
    ContactFixture& operator=(const ContactFixture&) = delete;
    size_t written() const { return oids_.size(); }
    // Records in the database, whoever wrote them.
    size_t CountInDatabase() const;

private:
    CEGUID volume_ = {};
    bool mounted_ = false;
    std::vector<CEOID> oids_;
};

// The contacts the screenshots show: four scripts, every kind of number.
std::vector<Contact> SampleContacts();

const wchar_t kSettingsRoot[] = L"Software\\Olvane\\Tallyra";
const wchar_t kGeneral[] = L"Software\\Olvane\\Tallyra\\General";
const wchar_t kLayout[] = L"Software\\Olvane\\Tallyra\\Layout";

// The finder's General, Layout and Tweak keys are empty (all defaults) from
// construction until destruction.
class SettingsScope {
public:
    SettingsScope();
    ~SettingsScope();
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;
    void Set(const wchar_t* key, const wchar_t* name, DWORD value);
};

// The screen the test runs on. True when this process has that screen; otherwise
// the device is switched to it, the current test runs again in a new process (whose
// result is reported here) and false is returned: the caller then returns at once.
bool OnScreen(int width, int height);
// The device back at 240x320, 96 dpi, as other tests expect it.
void RestoreSmallScreen();
int ScreenDpi();

// Delivers what is queued for this thread's windows, a WM_QUIT included.
void Pump();

// The finder's main window inside the test process, started as the program starts
// it (settings, language, screen dpi, then the instance start-up).
class Finder {
public:
    Finder();
    ~Finder();
    Finder(const Finder&) = delete;
    Finder& operator=(const Finder&) = delete;
    bool started() const { return started_; }
    tallyra::CMainWnd& wnd() { return wnd_; }
    HWND hwnd() const { return wnd_.hwnd(); }
    // The popup behind the menu bar's second button (alphabet and keyboard sub-menus).
    HMENU MenuPopup() const;
    void Command(UINT id);
    void Key(int id);

private:
    tallyra::CMainWnd wnd_;
    bool started_ = false;
};

// Runs `inside` while the modal expanded view of the selected contact is up, with
// the view's window; the view is then closed. False when no view came up.
bool WithExpandedView(Finder& finder, const std::function<void(HWND view)>& inside);

using Pixels = today::Pixels;

// Screenshot of the window, also saved as SNAP_DIR/<name>.png for people to look at.
Pixels Snap(HWND hwnd, const std::wstring& name);

bool Near(COLORREF a, COLORREF b, int tolerance = 40);
// Pixels in [x0, x1) x [y0, y1) that pass the test.
int Count(const Pixels& px, const RECT& r, const std::function<bool(COLORREF)>& test);
inline int CountNear(const Pixels& px, const RECT& r, COLORREF c, int tolerance = 40) {
    return Count(px, r, [&](COLORREF p) { return Near(p, c, tolerance); });
}
// Dark text on a light background.
bool IsInk(COLORREF c);
// Clearly coloured (not grey, not white, not black): the phone-type icons.
bool IsTinted(COLORREF c);
// The bounding box of pixels that pass the test; empty when none does.
RECT Extent(const Pixels& px, const RECT& r, const std::function<bool(COLORREF)>& test);

// The height of the finder's list font (Tahoma, FontSize 12) at this dpi.
int ListFontHeight(int dpi);
// The width of a text in the finder's keyboard font at this dpi.
int KeyTextWidth(const std::wstring& text, int dpi);

}  // namespace tlt
