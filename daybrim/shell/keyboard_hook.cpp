#include "keyboard_hook.h"

#include "messages.h"

namespace daybrim {

namespace {
// The hook procedure has no context argument: the one installed hook is here.
CKeyboardHook* g_active = nullptr;
}  // namespace

HookAction DecideHookKey(int code, WPARAM message, DWORD vk, bool menuOpen, DWORD osMajor) {
    if (code != HC_ACTION || message != WM_KEYDOWN) return HookAction::kPass;
    if (vk != VK_UP && vk != VK_DOWN && vk != VK_LEFT && vk != VK_RIGHT && vk != VK_RETURN) return HookAction::kPass;
    if (!menuOpen) return HookAction::kPostAndSwallow;
    // Older shells leave an open menu on Left: close it for them.
    if (vk == VK_LEFT && (osMajor == 3 || osMajor == 4)) return HookAction::kCancelMenuAndSwallow;
    return HookAction::kPass;
}

bool CKeyboardHook::Install() {
    if (hook_) return true;
    if (g_active) return false;  // one hook per process
    coredll_.reset(LoadLibraryW(L"coredll.dll"));
    if (!coredll_) return false;
    setHook_ = reinterpret_cast<SetHookFn>(reinterpret_cast<void*>(GetProcAddressW(coredll_.get(), L"SetWindowsHookExW")));
    callNext_ = reinterpret_cast<CallNextFn>(reinterpret_cast<void*>(GetProcAddressW(coredll_.get(), L"CallNextHookEx")));
    unhook_ = reinterpret_cast<UnhookFn>(reinterpret_cast<void*>(GetProcAddressW(coredll_.get(), L"UnhookWindowsHookEx")));
    if (!setHook_ || !callNext_ || !unhook_) {
        coredll_.reset();
        return false;
    }
    g_active = this;
    hook_ = setHook_(WH_KEYBOARD_LL, &CKeyboardHook::Proc, inst_, 0);
    if (!hook_) {
        g_active = nullptr;
        coredll_.reset();
        return false;
    }
    return true;
}

void CKeyboardHook::Remove() {
    if (hook_ && unhook_) unhook_(hook_);
    hook_ = nullptr;
    if (g_active == this) g_active = nullptr;
    coredll_.reset();
}

LRESULT CALLBACK CKeyboardHook::Proc(int code, WPARAM wp, LPARAM lp) {
    CKeyboardHook* self = g_active;
    if (!self) return 0;
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    HWND menu = FindWindowW(L"MNU", nullptr);
    OSVERSIONINFOW v = {sizeof v};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    switch (DecideHookKey(code, wp, k ? k->vkCode : 0, menu != nullptr, v.dwMajorVersion)) {
    case HookAction::kPostAndSwallow:
        // Only a post: the hook never touches the item's state itself.
        PostMessageW(self->host_, WM_DR_HOOKKEY, 0, LPARAM(k->vkCode));
        return 1;
    case HookAction::kCancelMenuAndSwallow:
        SendMessageW(menu, WM_CANCELMODE, 0, 0);
        return 1;
    case HookAction::kPass:
        break;
    }
    return self->callNext_(self->hook_, code, wp, lp);
}

}  // namespace daybrim
