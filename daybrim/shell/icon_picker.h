// The icon picker: a full-screen dialog offering every installed icon (".bmp"
// files of the icon folders) in a grid of framed cells, with Done / Cancel soft
// keys and a button that clears the choice.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialog.h"
#include "icon_list.h"
#include "raii.h"

namespace daybrim {

class CSettings;

// Reads folders with FindFirstFile.
class SystemFolderReader : public FolderReader {
public:
    std::vector<FolderEntry> List(const std::wstring& folder) override;
};

// The folders named by HKCU\Software\Olvane\Daybrim\IconSet ("InstallPath24",
// "InstallPath18", "InstallPath12", "InstallPathBlank"), those values that exist.
std::vector<std::wstring> IconSetFolders();

// The installed icons, found the first time they are asked for (with the wait
// cursor up) and kept for the life of the library.
const std::vector<std::wstring>& InstalledIcons(const CSettings& settings);

// Shows the picker over `parent`. Done stores the chosen icon's path in *path
// (empty when the choice was cleared) and returns true; Cancel returns false and
// leaves *path as it was. `lang` holds the texts.
bool PickIcon(HWND parent, HINSTANCE module, HMODULE lang, const CSettings& settings, std::wstring* path);

// The dialog itself, over a given list of icons.
class CIconPicker : public win::Dialog {
public:
    static const int kClearId = 1001;
    static const int kListId = 1002;

    CIconPicker(std::vector<std::wstring> icons, HMODULE lang);
    bool Run(HWND parent, HINSTANCE module, std::wstring* path);

    // What tests look at while the dialog runs.
    HWND Dialog() const { return dlg_; }
    HWND List() const { return list_; }
    HWND MenuBar() const { return menuBar_; }
    const std::wstring& Chosen() const { return chosen_; }
    const std::vector<std::wstring>& Icons() const { return icons_; }
    // The strip's picture square, in dialog client coordinates.
    RECT PreviewRect() const;

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnInit();
    void Layout();
    void OnPaint();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
    void Choose(const std::wstring& path);
    HBITMAP Picture(size_t index);
    void DrawCell(HDC dc, const RECT& cell, HBITMAP picture, bool selected) const;
    std::wstring Text(UINT id, const wchar_t* fallback) const;

    std::vector<std::wstring> icons_;
    HMODULE lang_;
    HWND list_ = nullptr, clear_ = nullptr, menuBar_ = nullptr;
    std::wstring chosen_;
    raii::Bitmap chosenPicture_;
    // Each icon's picture, loaded when its cell is first drawn; freed with the dialog.
    std::vector<raii::Bitmap> pictures_;
    std::vector<bool> tried_;
    std::wstring doneText_, cancelText_, noneText_, iconText_;
    HIMAGELIST cells_ = nullptr;  // sizes the list's items; owned by the list view
};

}  // namespace daybrim
