// The icons the icon picker offers: every ".bmp" under the installed icon folder,
// the additional icon folder and the icon-set folders, in that order, and where a
// cell of the picker draws one. Platform-neutral: the folders are read through
// FolderReader, which the device implements with FindFirstFile and tests fake.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "bar_geometry.h"
#include "scale.h"

namespace daybrim {

struct FolderEntry {
    std::wstring name;
    bool folder = false;
};

class FolderReader {
public:
    virtual ~FolderReader() = default;
    // The entries of a folder ("." and ".." may be among them); empty when the
    // folder is missing.
    virtual std::vector<FolderEntry> List(const std::wstring& folder) = 0;
};

// Where icons are looked for, in order: <ProgramFiles>\Olvane\Daybrim\Icons\,
// the additional folder when it is set, then the icon-set folders (already in
// "InstallPath24", "InstallPath18", "InstallPath12", "InstallPathBlank" order;
// empty ones are left out).
std::vector<std::wstring> IconSearchFolders(const std::wstring& programFiles, const std::wstring& additional,
                                            const std::vector<std::wstring>& iconSets);

struct IconListLimits {
    // Deep enough for any icon set; it stops a folder that contains itself
    // (a link on a card's file system) from being walked for ever.
    int maxDepth = 8;
    // More icons than anyone scrolls through; the list, its cells and the picker's
    // bitmaps stay bounded whatever a card holds.
    size_t maxIcons = 2000;
    // Paths the device cannot open are left out.
    size_t maxPath = 259;
};

// Each folder in turn: its own ".bmp" files (any case) in name order, then its
// sub-folders in name order, depth first. A file reached twice (a folder listed
// twice, or inside another listed folder) appears once, where first found.
std::vector<std::wstring> BuildIconList(FolderReader& reader, const std::vector<std::wstring>& folders,
                                        const IconListLimits& limits = IconListLimits());

bool HasBmpExtension(const std::wstring& name);

// The picker's cell: a `cell`-pixel square centred in the item rectangle the
// list view gives, a one-pixel frame round it.
BarRect CellRect(const BarRect& item, int cell);
// Where a w x h icon goes inside a cell: centred in the area inside the frame;
// an icon larger than that area is shrunk to fit, keeping its proportions, so
// that it never draws over a neighbouring cell. Empty for an empty icon.
BarRect IconRect(const BarRect& cell, int w, int h);

// The picker's client area: the list on top, the strip with the chosen icon and
// the clear button at the bottom.
struct PickerLayout {
    BarRect list, strip, label, preview, clear;
};
PickerLayout LayoutPicker(const Scaler& sc, int width, int height);

}  // namespace daybrim
