// The tab bar's window ("TabBarWin", with "TabBarSettingsWin" beside a vertical
// bar): button pictures with their fallbacks, double-buffered painting, scroll
// arrows and the animated scroll, taps and holds, menus, blinking, the switch
// sound and the custom-icon chooser.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "alpha_image.h"
#include "bar_geometry.h"
#include "raii.h"
#include "shell_env.h"
#include "tab_bar.h"

namespace daybrim {

const UINT IDT_BLINK = 1574;
const UINT IDM_ICON_DEFAULT = 2033;
const UINT IDM_ICON_FIRST = 2034;
const UINT IDM_ICON_LAST = 2134;
// The icon sub-menu's texts in the language library.
const UINT IDS_ICON_MENU = 41270;
const UINT IDS_ICON_DEFAULT = 41271;

// The skin's tab-bar icons: every "<name>_baricon_sel.tga" with its
// "_baricon_nsel.tga" twin, names not in `exclude`, sorted.
std::vector<std::wstring> SkinIconList(const std::wstring& folder, const std::vector<std::wstring>& exclude);

class CTabBarWindow : public CTabBar {
public:
    explicit CTabBarWindow(const ShellEnv* env);
    ~CTabBarWindow() override;

    bool Create(HWND parent, int x, int y, int w, int h, bool hookMode, bool vertical, int sx, int sy, int sw, int sh,
                HINSTANCE inst) override;
    void AddButton(CTab* tab) override;
    void SelectTab(int id) override;
    void StartBlinking(int id) override;
    void RepaintFocus(bool on) override;
    void PerformFocusedAction() override;
    int MinimumHeight() const override;
    void Move(int x, int y, int w, int h, bool repaint) override;
    void Show(bool show) override;
    void ShowSettingsButton(bool show, int x, int y, int w, int h) override;
    void Destroy() override;
    HWND Window() const override;

    int ScrollOffset() const { return scroll_; }
    size_t ButtonCount() const { return buttons_.size(); }
    // Button state for tests: whether the selected picture shows.
    bool ShowsSelected(int id) const;
    bool Blinking(int id) const { return blink_.Blinking(id); }
    std::vector<int> ScrollHistory() const { return scrollHistory_; }
    const std::vector<std::wstring>& IconList() const { return icons_; }

    // The window's messages (public for the window class).
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleSettings(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct Button;
    class BarWin;
    HorizontalBar HGeometry() const;
    VerticalBar VGeometry() const;
    // False when `iconName` is set but its two pictures did not both load (the
    // button then keeps its usual pictures).
    bool LoadButtonImages(Button& b, const std::wstring& iconName);
    RECT ButtonRect(size_t index) const;  // where the button is, painted or not
    void Paint(HDC dc, int w, int h);
    void PaintButton(HDC dc, Button& b, const RECT& r, bool selected);
    void PaintSettingsIcon(HDC dc, int x, int y);
    void OnTap(int x, int y);
    void ScrollBy(int n);
    void ButtonAction(size_t index);
    void SettingsMenu(int x, int y);
    void OnIconCommand(UINT id);
    Button* Find(int id);
    int IndexOf(int id) const;
    void Repaint();

    const ShellEnv* env_;
    std::unique_ptr<BarWin> bar_;
    std::unique_ptr<BarWin> settingsWin_;
    std::vector<std::unique_ptr<Button>> buttons_;
    CAlphaImage settingsIcon_;
    int width_ = 0, height_ = 0;
    int scroll_ = 0;
    int reserved_ = 0;
    BlinkSet blink_;
    std::vector<std::wstring> icons_;
    std::vector<int> scrollHistory_;
    HINSTANCE inst_ = nullptr;
    // Expires with the object: code that ran a message loop checks it before it
    // touches the bar again.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace daybrim
