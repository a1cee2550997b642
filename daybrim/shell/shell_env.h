// What the tabs and the tab bar reach in the host: settings, skin, images, the
// resource libraries and the navigator. The host window owns one and keeps it
// up to date across reloads.
#pragma once
#include <windows.h>

#include <string>

#include "messages.h"

namespace launch {
struct LaunchConfig;
}
namespace menuext {
class CPimMenuExtensions;
}

namespace daybrim {

class CSettings;
class CSkin;
class CImageCache;
class CDPadNavigator;
class CItemPainter;
class MenuPort;
class SoundPort;
class GesturePort;
class CPimStore;
class CCategoryTable;
class MailStore;

struct ShellEnv {
    HINSTANCE instance = nullptr;
    CSettings* settings = nullptr;
    CSkin* skin = nullptr;
    CImageCache* images = nullptr;
    HMODULE lang = nullptr;
    HMODULE resolution = nullptr;
    bool high = false;
    HWND host = nullptr;
    CDPadNavigator* navigator = nullptr;
    CItemPainter* painter = nullptr;  // draws every list row
    const launch::LaunchConfig* launch = nullptr;       // how other programs are started
    menuext::CPimMenuExtensions* menuExtensions = nullptr;  // the item menus' extensions
    // Null: the system's (popup menus tracked, sounds played).
    MenuPort* menus = nullptr;
    SoundPort* sounds = nullptr;
    GesturePort* gestures = nullptr;  // null: the shell's
    // What the content tabs list.
    CPimStore* pim = nullptr;
    CCategoryTable* categories = nullptr;
    MailStore* mail = nullptr;  // null: mail is shown nowhere
};

// "Settings..." in the tabs' own menus: the same as the host's settings command.
const UINT IDM_TAB_SETTINGS = 40180;

// Menu choices the tabs and the bar do not handle themselves go to the host.
inline void ForwardCommand(const ShellEnv* env, WPARAM wp, LPARAM lp) {
    if (!env || !env->host) return;
    if (LOWORD(wp) == IDM_TAB_SETTINGS) wp = MAKEWPARAM(IDM_SETTINGS, HIWORD(wp));
    SendMessageW(env->host, WM_COMMAND, wp, lp);
}

// Shows a popup menu; the real one tracks it, tests record it.
class MenuPort {
public:
    virtual ~MenuPort() = default;
    virtual void Track(HMENU menu, int x, int y, HWND owner) {
        TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, owner, nullptr);
    }
};
MenuPort& DefaultMenuPort();
inline MenuPort& Menus(const ShellEnv* env) { return env && env->menus ? *env->menus : DefaultMenuPort(); }

// Plays a sound file asynchronously; the real one asks the system, tests record it.
class SoundPort {
public:
    virtual ~SoundPort() = default;
    virtual void PlayFile(const std::wstring& path);
};
SoundPort& DefaultSoundPort();
inline SoundPort& Sounds(const ShellEnv* env) { return env && env->sounds ? *env->sounds : DefaultSoundPort(); }

// Tells a tap-and-hold from a tap at `at` (client point of `hwnd`). The shell's
// runs a message loop while the pen is down, so anything posted meanwhile (a
// reload among them) is handled before it returns; tests decide by themselves.
class GesturePort {
public:
    virtual ~GesturePort() = default;
    virtual bool Held(HWND hwnd, POINT at);
};
GesturePort& DefaultGesturePort();
inline GesturePort& Gestures(const ShellEnv* env) {
    return env && env->gestures ? *env->gestures : DefaultGesturePort();
}

}  // namespace daybrim
