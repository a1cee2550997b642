#include "app.h"

#include <vector>

#include "ini_file_disk.h"
#include "layout.h"

namespace tallyra {

App& TheApp() {
    static App app;
    return app;
}

int App::ScaleX(int v) const { return ScaleDpi(v, dpiX); }
int App::ScaleY(int v) const { return ScaleDpi(v, dpiY); }

CeString App::Text(UINT id) const {
    wchar_t buf[101] = {};
    if (!lang || !LoadStringW(lang.get(), id, buf, 101)) return CeString();
    return CeString(buf);
}

void App::LoadSettings() {
    if (!store) store = OpenSettingsRegistry();
    settings.Load(*store);
}

bool App::SaveSettings() {
    if (!store) store = OpenSettingsRegistry();
    return settings.Save(*store);
}

bool App::LoadLanguage() {
    lang.reset(LoadLibraryW(settings.SelectedLangResFile.Get().c_str()));
    return bool(lang);
}

bool App::LoadResolutionLibrary() {
    const bool high = ScaleDpi(1, dpiX) >= 2;
    const CeString folder = settings.InstallPath.Get() + L"\\";
    const CeString chosen = folder + (high ? L"TLHighDpiRes.dll" : L"TLLowDpiRes.dll");
    // The other resolution's library stays installed: deleting it, as was once done
    // to save room, breaks the finder for good once the screen mode changes.
    dpiRes.reset(LoadLibraryExW(chosen.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    return bool(dpiRes);
}

void App::LoadPhone() {
    phone.reset(LoadLibraryW(L"phone.dll"));
    makeCall = phone ? reinterpret_cast<decltype(&PhoneMakeCall)>(
                               reinterpret_cast<void*>(GetProcAddressW(phone.get(), L"PhoneMakeCall")))
                     : nullptr;
}

namespace {

HFONT MakeFont(int height96, int weight, int dpiY) {
    LOGFONTW lf = {};
    lf.lfHeight = -ScaleDpi(height96, dpiY);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

}  // namespace

bool App::LoadSkin() {
    CIniDiskFile ini;
    const CeString skinPath = settings.SkinPath.Get();
    const CeString file = skinPath.empty() ? settings.InstallPath.Get() + L"\\skin.ini" : skinPath + L"skin.ini";
    ini.Load(file.c_str());  // a missing file leaves every keyboard value at its default

    const int fontSize = int(settings.FontSize.Get() >= 4 && settings.FontSize.Get() <= 72 ? settings.FontSize.Get() : 12);
    auto value = [&](const wchar_t* key, CeStd* out) { return ini.GetValue(L"KEYBOARD", key, out); };
    auto keyboardFont = [&](const wchar_t* prefix, raii::Font* font, COLORREF* colour) {
        CeStd v;
        int size = fontSize;
        if (value((CeStd(prefix) + L"_size").c_str(), &v)) ParseSize(v, &size);
        const bool bold = value((CeStd(prefix) + L"_bold").c_str(), &v) && v == L"1";
        *colour = RGB(29, 85, 122);
        uint32_t rgb;
        if (value((CeStd(prefix) + L"_color").c_str(), &v) && ParseColour(v, &rgb)) *colour = rgb;
        font->reset(MakeFont(size, bold ? FW_BOLD : FW_THIN, dpiY));
    };
    keyboardFont(L"thumbs_kbrd_font", &skin.thumbFont, &skin.thumbColour);
    keyboardFont(L"compact_kbrd_font", &skin.compactFont, &skin.compactColour);

    skin.listFont.reset(MakeFont(fontSize, FW_THIN, dpiY));
    skin.boldFont.reset(MakeFont(fontSize, FW_BOLD, dpiY));
    skin.smallFont.reset(MakeFont(11, FW_THIN, dpiY));
    skin.listFontHeight = 0;
    if (skin.listFont) {
        raii::WindowDC dc(nullptr);
        raii::Select sel(dc.get(), skin.listFont.get());
        TEXTMETRICW tm = {};
        GetTextMetricsW(dc.get(), &tm);
        skin.listFontHeight = tm.tmHeight;
    }
    return skin.listFont && skin.boldFont && skin.smallFont;
}

}  // namespace tallyra
