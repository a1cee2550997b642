// What the whole process shares: its module, the language, resolution and phone
// libraries, the screen's dpi, the settings and the skin's fonts and colours. One
// instance, alive from start-up to exit; the main window owns nothing of it.
#pragma once
#include <windows.h>

#include <memory>

#include <phone.h>

#include "app_settings.h"
#include "ce_string.h"
#include "raii.h"

namespace tallyra {

// Private messages the keyboard sends to the main window.
constexpr UINT WM_TL_KEY = WM_USER + 2;        // wParam low word: key id 0-11; lParam: the key window
constexpr UINT WM_TL_CLEARSEARCH = WM_USER + 3;  // the delete key was held: clear the whole search
constexpr UINT_PTR kHoldTimer = 1111;
constexpr UINT kHoldMs = 800;

struct Skin {
    raii::Font listFont, boldFont, smallFont, thumbFont, compactFont;
    COLORREF thumbColour = RGB(29, 85, 122), compactColour = RGB(29, 85, 122);
    int listFontHeight = 0;  // pixels, for the row heights
};

struct App {
    HINSTANCE instance = nullptr;
    raii::Library lang, dpiRes, phone;
    decltype(&PhoneMakeCall) makeCall = nullptr;
    int dpiX = 96, dpiY = 96;
    std::unique_ptr<SettingStore> store;
    CAppSettings settings;
    Skin skin;

    int ScaleX(int v) const;
    int ScaleY(int v) const;
    // A text of the language library (at most 100 characters), empty when missing.
    CeString Text(UINT id) const;
    // Loads settings from the registry (the store is opened on first use).
    void LoadSettings();
    bool SaveSettings();
    // The language library named by the settings; false when it cannot be loaded.
    bool LoadLanguage();
    // TLLowDpiRes.dll below 144 dpi, else TLHighDpiRes.dll, from the install folder;
    // the other one is deleted there.
    bool LoadResolutionLibrary();
    void LoadPhone();
    // Skin values and fonts; false when a list font cannot be made.
    bool LoadSkin();
};

App& TheApp();

}  // namespace tallyra
