// The low-level keyboard hook of the D-pad navigator's hook mode: D-pad keys go to
// the host window as WM_DR_HOOKKEY instead of through the Today screen. The hook
// functions are taken from "coredll.dll" by name; without them there is no hook.
#pragma once
#include <windows.h>

#include "raii.h"

namespace daybrim {

enum class HookAction { kPass, kPostAndSwallow, kCancelMenuAndSwallow };

// What the hook does with one keyboard event.
HookAction DecideHookKey(int code, WPARAM message, DWORD vk, bool menuOpen, DWORD osMajor);

class CKeyboardHook {
public:
    CKeyboardHook(HINSTANCE inst, HWND host) : inst_(inst), host_(host) {}
    ~CKeyboardHook() { Remove(); }
    CKeyboardHook(const CKeyboardHook&) = delete;
    CKeyboardHook& operator=(const CKeyboardHook&) = delete;

    bool Install();
    void Remove();
    bool Installed() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp);

    typedef LRESULT(WINAPI* CallNextFn)(HHOOK, int, WPARAM, LPARAM);
    typedef HHOOK(WINAPI* SetHookFn)(int, HOOKPROC, HINSTANCE, DWORD);
    typedef BOOL(WINAPI* UnhookFn)(HHOOK);

    HINSTANCE inst_;
    raii::Library coredll_;
    CallNextFn callNext_ = nullptr;
    SetHookFn setHook_ = nullptr;
    UnhookFn unhook_ = nullptr;
    HHOOK hook_ = nullptr;
    HWND host_;
};

}  // namespace daybrim
