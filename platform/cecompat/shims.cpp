// CE functions that desktop Win32 lacks, and the handheld's screen.
#include <string>

#include "cecompat.h"
#include "device_settings.h"
#include "raii.h"

extern "C" {

BOOL WINAPI IsAPIReady(DWORD api) {
    if (api == SH_SHELL) return cesim::Current().shellReady;
    return TRUE;
}

FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IS_INTRESOURCE(name)) return GetProcAddress(module, reinterpret_cast<LPCSTR>(name));
    char ansi[256];
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return GetProcAddress(module, ansi);
}

BOOL WINAPI TransparentImage(HDC dst, LONG x, LONG y, LONG cx, LONG cy, HANDLE src, LONG xs, LONG ys,
                             LONG cxs, LONG cys, COLORREF transparent) {
    if (!dst || !src) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (GetObjectType(src) != OBJ_BITMAP)
        return TransparentBlt(dst, x, y, cx, cy, static_cast<HDC>(src), xs, ys, cxs, cys, transparent);
    raii::MemDC mem(CreateCompatibleDC(dst));
    if (!mem) return FALSE;
    raii::Select sel(mem.get(), src);
    return sel && TransparentBlt(dst, x, y, cx, cy, mem.get(), xs, ys, cxs, cys, transparent);
}

int WINAPI CeSim_GetSystemMetrics(int index) {
    // The desktop under Wine is larger than a handheld; its size is the device's.
    if (index == SM_CXSCREEN) return int(cesim::Current().screenWidth);
    if (index == SM_CYSCREEN) return int(cesim::Current().screenHeight);
    return GetSystemMetrics(index);
}

}  // extern "C"

BOOL WINAPI CeSim_PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) {
    using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
    static const PlaySoundFn play = [] {
        HMODULE winmm = LoadLibraryW(L"winmm.dll");
        return winmm ? reinterpret_cast<PlaySoundFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "PlaySoundW")))
                     : nullptr;
    }();
    return play ? play(sound, module, flags) : FALSE;
}
