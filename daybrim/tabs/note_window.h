// The floating note window: a small captioned popup that shows a note's text
// read-only. There is one for the whole item: showing another note reuses it,
// and it closes when it loses activation, on OK and when the tab that owns it
// goes away.
#pragma once
#include <windows.h>

#include <string>

namespace daybrim {

class CNoteWindow {
public:
    static CNoteWindow& Instance();
    // Shows `text` titled `title` at the screen rectangle, owned by `owner`. A
    // window shown for the same owner is refilled and moved; one of another
    // owner is closed first.
    bool Show(HINSTANCE inst, HWND owner, const std::wstring& title, const std::wstring& text, const RECT& where);
    void Close();
    // Closes the window when `owner` owns it (a tab being destroyed).
    void CloseFor(HWND owner);
    HWND hwnd() const { return window_; }
    // The body's text as shown (tests).
    std::wstring Text() const;

private:
    CNoteWindow() = default;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND window_ = nullptr;
    HWND body_ = nullptr;
    HWND owner_ = nullptr;
    bool closing_ = false;
};

}  // namespace daybrim
