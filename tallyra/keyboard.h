// The on-screen keyboard: letter-group keys in one of three layouts, drawn from the
// skin's cap bitmaps; holding the delete key (or a blank key) clears the search.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "ce_string.h"
#include "raii.h"
#include "window.h"

namespace tallyra {

class CButton {
public:
    CButton(HWND parent, int id, const RECT& rc, bool compact);
    ~CButton();
    CButton(const CButton&) = delete;
    CButton& operator=(const CButton&) = delete;
    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }
    void SetLabel(const CeString& label);
    // The window went with its parent: nothing is left to destroy.
    void Forget() { hwnd_ = nullptr; }
    const CeString& label() const { return label_; }

private:
    HWND hwnd_ = nullptr;
    int id_;
    CeString label_;
};

class CKeyboard : public win::Window {
public:
    static bool RegisterClass(HINSTANCE inst);
    // Rebuilds keys and bitmaps for the mode in the bottom of the parent's client
    // area; mode 0 hides the keyboard. False when a cap bitmap is missing.
    bool Build(HWND parent, int mode, unsigned alphabet, const RECT& parentClient);
    // Labels the keys; returns the number of letters on them.
    size_t Relabel(unsigned alphabet);
    int Height() const { return mode_ ? rect_.bottom - rect_.top : 0; }
    int mode() const { return mode_; }
    // Whether the keys were built for a parent of that client area.
    bool Fits(const RECT& parentClient) const {
        return rect_.left == parentClient.left && rect_.right == parentClient.right &&
               rect_.bottom == parentClient.bottom;
    }
    // The key with that id, for tests.
    HWND Key(int id) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    enum Cap { kLeft, kRight, kCentre, kLeftPushed, kRightPushed, kCentrePushed };
    bool LoadCaps(int mode);
    void DrawKey(const DRAWITEMSTRUCT* dis);
    void LayoutCompact();

    HWND parent_ = nullptr;
    int mode_ = 0;
    unsigned alphabet_ = 1;
    std::vector<std::unique_ptr<CButton>> keys_;
    std::array<raii::Bitmap, 6> caps_;
    RECT rect_ = {};
};

}  // namespace tallyra
