// CBuiltInTab: a tab with a main window and a caption window (icon, slide-out
// with grouping and sort direction, category selector) left of a horizontal tab
// bar. CPlaceholderTab: a built-in or custom tab whose content comes later; it
// shows its caption over an empty list.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "alpha_image.h"
#include "bar_geometry.h"
#include "raii.h"
#include "setting.h"
#include "shell_env.h"
#include "tab.h"

namespace daybrim {

class CBuiltInTab : public CTab {
public:
    explicit CBuiltInTab(const ShellEnv* env);
    ~CBuiltInTab() override;

    bool Create(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch, HINSTANCE inst) override;
    void Destroy() override;
    void Move(int x, int y, int w, int h) override;
    void Show(bool withCaption) override;
    void Hide(bool withCaption) override;

    virtual std::wstring GetGroupingCaption() { return std::wstring(); }
    virtual HMENU PrepareGroupingMenu(HMENU menu) { return menu; }
    virtual std::wstring GetCategoryCaption() { return std::wstring(); }
    virtual void FillCategoryMenu(HMENU menu) {}
    virtual void OnCaptionChoiceChanged() {}
    void Initialize(int id, const std::wstring& customIcon, const std::wstring& displayName,
                    const std::wstring& mainClass, const std::wstring& captionClass, uint32_t captionFlags,
                    CNumericSetting* slideout, CNumericSetting* direction, const std::wstring& captionBase,
                    const std::wstring& categoryBase, int captionIconRes);
    virtual LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) = 0;
    virtual LRESULT CaptionWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    virtual void OnCaptionPaint(HWND hwnd);
    virtual void OnCaptionTap(HWND hwnd, int x, int y);
    virtual void OnCaptionCreate() { ClearCaptionCache(); }
    virtual void OnCaptionDestroy();
    virtual void OnCaptionMove() { ClearCaptionCache(); }
    // The caption keeps its place in the host when the host moves, so it hears of
    // no move of its own; its cached piece of background is stale all the same.
    void OnHostMoved() override;
    // A new Today background (a new theme) makes the composed caption as stale as a move does.
    void ClearCache(HWND, UINT, WPARAM, LPARAM) override { OnHostMoved(); }

    uint32_t CaptionFlags() const { return captionFlags_; }

protected:
    void ClearCaptionCache();
    // Composes the caption over the background into `dc` (w x h).
    void ComposeCaption(HWND hwnd, HDC dc, int w, int h);
    bool SlideOpen() const { return slideout_ && slideout_->value() != 0; }

    const ShellEnv* env_;
    std::wstring mainClass_, captionClass_;
    enum { kIcon, kOpen, kSortUp, kClose, kCategory, kCaptionImages };
    CAlphaImage images_[kCaptionImages];
    raii::Bitmap cached_;  // the composed caption (one bitmap stands for the five pieces)
    uint32_t captionFlags_ = 0;
    CNumericSetting* slideout_ = nullptr;
    CNumericSetting* direction_ = nullptr;
    std::wstring captionBase_, categoryBase_;
    int captionIconRes_ = 0;

private:
    void Release(bool tellTab);
    class MainWin;
    class CaptionWin;
    std::unique_ptr<MainWin> mainWin_;
    std::unique_ptr<CaptionWin> captionWin_;
};

// A configured tab shown as its caption over an empty list until its content
// comes with its own class.
class CPlaceholderTab : public CBuiltInTab {
public:
    CPlaceholderTab(const ShellEnv* env, DWORD type) : CBuiltInTab(env), type_(type) {}
    UINT GetMenuId() override;
    void PrepareMenu(HMENU menu) override {}
    DWORD GetType() override { return type_; }
    LRESULT KeyUp(HWND, int) override { return 0; }
    LRESULT KeyDown(HWND, int) override { return 0; }
    LRESULT KeyLeft(HWND, int) override { return 0; }
    LRESULT KeyRight(HWND, int) override { return 0; }
    LRESULT KeyEnter(HWND, int) override { return 0; }
    LRESULT ReceiveSelection(UINT) override { return 0; }
    void LoseSelection() override {}
    void SetCustomIcon(const wchar_t* name) override { customIconName_ = name ? name : L""; }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

private:
    DWORD type_;
};

}  // namespace daybrim
