// The Today screen: a full-screen window with the navigation band at the top, the
// soft-key bar at the bottom and, between them, a scrolling view that stacks the
// custom Today items registered on the device.
//
// Its theme is HKLM\Software\Microsoft\Today: "Watermark" (a bitmap file, stretched
// over the view; none, missing or unreadable: a soft light gradient), "TextColor",
// "HighlightColor" and "HighlightTextColor". The handheld tells its programs of a new
// theme with a WM_SETTINGCHANGE broadcast, which reaches this top-level window: on
// any WM_SETTINGCHANGE the screen reads the theme again and, when it differs from
// the one shown (a value, or the picture file's size or time), repaints and sends
// every item WM_TODAYCUSTOM_CLEARCACHE, so that items drop the background they
// keep. Items are not told of notices that leave the theme as it was.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "raii.h"
#include "screenshot.h"
#include "today_model.h"
#include "window.h"

namespace today {

// Posted to the Today screen by todayctl.exe (a registered message), wParam says what.
#define TODAY_CONTROL_MESSAGE L"CeSimTodayControl"
enum ControlCommand { kCtlPoll = 1, kCtlHibernate = 2, kCtlSettingChange = 3, kCtlQuit = 4, kCtlReload = 5 };

struct ScreenOptions {
    int width = 240, height = 320;       // the screen, in device pixels
    HKEY itemsRoot = HKEY_LOCAL_MACHINE;
    std::wstring itemsKey = L"Software\\Microsoft\\Today\\Items";
    UINT pollMs = 2000;                  // 0: no poll timer (tests poll by hand)
    bool quitOnDestroy = false;          // the program's main window ends the message loop
};

class TodayScreen : public win::Window, private ItemPort {
public:
    explicit TodayScreen(const ScreenOptions& options);
    ~TodayScreen() override;

    bool Create(HINSTANCE inst);
    void LoadItems();
    void UnloadItems();

    void PollNow();
    void Key(UINT vk);
    void Tap(int x, int y, bool hold);
    // The pen goes down at (x1, y1), moves to (x2, y2) in small steps and lifts;
    // moves and the lift go to the window holding the capture, as input would.
    void Drag(int x1, int y1, int x2, int y2);
    void Hibernate();
    void SettingChange();
    // Reads the theme again; when it changed, repaints and tells the items. True when it changed.
    bool ThemeChanged();
    bool Capture(Pixels* out);
    // What a person sees of the Today screen: the window with the popups above it
    // (menus, a popup calendar, a preview).
    bool CaptureAsShown(Pixels* out);

    TodayModel& model() { return model_; }
    HWND view() const;
    int bandHeight() const { return Scale(26); }
    int Scale(int v) const { return (v * dpi_ + 48) / 96; }
    // Paints the Today background of the view area `src` (view coordinates) into `dc` at `dst`.
    void PaintBackground(HDC dc, const RECT& dst, POINT src) const;
    COLORREF Color(DWORD which) const;

private:
    class View;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT Send(size_t item, UINT msg, WPARAM wp, LPARAM lp) override;
    void Layout();
    void PaintFrame(HDC dc);
    void LoadWatermark();

    // What the theme's registry values and picture file say, to tell a change apart
    // from a notice about something else.
    struct Theme {
        std::wstring watermark;
        ULONGLONG pictureSize = 0;
        FILETIME pictureTime = {};
        COLORREF text = 0, highlight = 0, highlightText = 0;
        bool operator==(const Theme& o) const;
    };
    static Theme ReadTheme();

    ScreenOptions options_;
    HINSTANCE inst_ = nullptr;
    int dpi_ = 96;
    UINT controlMsg_ = 0;
    std::unique_ptr<View> view_;
    TodayModel model_;
    std::vector<raii::Library> libraries_;  // parallel to the model's items
    Theme theme_;
    raii::Bitmap watermark_;                // the background picture, at the view's size; null: the gradient
    raii::Font barFont_;
};

}  // namespace today
