#include "note_window.h"

#include "inkx.h"

namespace daybrim {

namespace {
const wchar_t kNoteWindowClass[] = L"DRNoteWindow";
}  // namespace

CNoteWindow& CNoteWindow::Instance() {
    static CNoteWindow window;
    return window;
}

LRESULT CALLBACK CNoteWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CNoteWindow& self = Instance();
    switch (msg) {
    case WM_SIZE:
        if (self.body_ && self.window_ == hwnd) MoveWindow(self.body_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE && !self.closing_) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK && self.window_ == hwnd) self.Close();
        return 0;
    case WM_CLOSE:
        if (self.window_ == hwnd) self.Close();
        else DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        // Also when the owner goes first and takes its popups with it.
        if (self.window_ == hwnd) self.window_ = self.body_ = self.owner_ = nullptr;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool CNoteWindow::Show(HINSTANCE inst, HWND owner, const std::wstring& title, const std::wstring& text,
                       const RECT& where) {
    if (window_ && owner_ == owner && IsWindow(window_)) {
        // A close the window posted to itself when it lost activation (the tap
        // that shows the next note) must not take the refilled window away.
        MSG pending;
        while (PeekMessageW(&pending, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        }
        SetWindowTextW(window_, title.c_str());
        if (body_) SetWindowTextW(body_, text.c_str());
        SetWindowPos(window_, HWND_TOP, where.left, where.top, where.right - where.left, where.bottom - where.top,
                     SWP_SHOWWINDOW);
        return true;
    }
    Close();
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = inst;
        wc.lpszClassName = kNoteWindowClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    window_ = CreateWindowExW(0, kNoteWindowClass, title.c_str(), WS_POPUP | WS_VISIBLE | WS_CAPTION, where.left,
                              where.top, where.right - where.left, where.bottom - where.top, owner, nullptr, inst,
                              nullptr);
    if (!window_) return false;
    owner_ = owner;
    // The ink control comes from its own library; without it a plain edit box shows the text.
    static HMODULE ink = LoadLibraryW(L"inkx.dll");
    auto init = ink ? reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ink, "InitInkX")))
                    : nullptr;
    RECT rc;
    GetClientRect(window_, &rc);
    const bool inkReady = init && init();
    body_ = CreateWindowExW(0, inkReady ? WC_INKX : L"EDIT", text.c_str(),
                            WS_CHILD | WS_VISIBLE | ES_READONLY | ES_MULTILINE | WS_VSCROLL, 0, 0, rc.right,
                            rc.bottom, window_, nullptr, inst, nullptr);
    if (body_) SetWindowTextW(body_, text.c_str());
    return true;
}

void CNoteWindow::Close() {
    if (!window_ || closing_) return;
    closing_ = true;
    HWND w = window_;
    window_ = body_ = owner_ = nullptr;
    DestroyWindow(w);
    closing_ = false;
}

void CNoteWindow::CloseFor(HWND owner) {
    if (window_ && owner && owner_ == owner) Close();
}

std::wstring CNoteWindow::Text() const {
    if (!body_) return std::wstring();
    const int n = GetWindowTextLengthW(body_);
    std::wstring s(size_t(n) + 1, L'\0');
    GetWindowTextW(body_, &s[0], n + 1);
    s.resize(size_t(n));
    return s;
}

}  // namespace daybrim
