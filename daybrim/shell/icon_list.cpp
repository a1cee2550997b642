#include "icon_list.h"

#include <algorithm>
#include <cwctype>
#include <set>

namespace daybrim {

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(wint_t(c)));
    return s;
}

std::wstring WithSlash(const std::wstring& folder) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder;
    return folder + L"\\";
}

bool NameLess(const FolderEntry& a, const FolderEntry& b) {
    const std::wstring la = Lower(a.name), lb = Lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
}

class Walker {
public:
    Walker(FolderReader& reader, const IconListLimits& limits) : reader_(reader), limits_(limits) {}

    void Walk(const std::wstring& folder, int depth) {
        if (Full() || depth > limits_.maxDepth) return;
        std::vector<FolderEntry> entries = reader_.List(folder);
        std::sort(entries.begin(), entries.end(), NameLess);
        const std::wstring base = WithSlash(folder);
        for (const FolderEntry& e : entries) {
            if (e.folder || !HasBmpExtension(e.name)) continue;
            const std::wstring path = base + e.name;
            if (path.size() > limits_.maxPath) continue;
            if (seen_.insert(Lower(path)).second) icons_.push_back(path);
            if (Full()) return;
        }
        for (const FolderEntry& e : entries) {
            if (!e.folder || e.name.empty() || e.name == L"." || e.name == L"..") continue;
            const std::wstring sub = base + e.name;
            if (sub.size() >= limits_.maxPath) continue;
            Walk(sub, depth + 1);
            if (Full()) return;
        }
    }

    std::vector<std::wstring> Take() { return std::move(icons_); }

private:
    bool Full() const { return icons_.size() >= limits_.maxIcons; }

    FolderReader& reader_;
    const IconListLimits& limits_;
    std::vector<std::wstring> icons_;
    std::set<std::wstring> seen_;
};

}  // namespace

std::vector<std::wstring> IconSearchFolders(const std::wstring& programFiles, const std::wstring& additional,
                                            const std::vector<std::wstring>& iconSets) {
    std::vector<std::wstring> out;
    out.push_back(WithSlash(programFiles) + L"Olvane\\Daybrim\\Icons\\");
    if (!additional.empty()) out.push_back(additional);
    for (const std::wstring& s : iconSets)
        if (!s.empty()) out.push_back(s);
    return out;
}

std::vector<std::wstring> BuildIconList(FolderReader& reader, const std::vector<std::wstring>& folders,
                                        const IconListLimits& limits) {
    Walker w(reader, limits);
    for (const std::wstring& f : folders)
        if (!f.empty()) w.Walk(f, 0);
    return w.Take();
}

bool HasBmpExtension(const std::wstring& name) {
    if (name.size() <= 4) return false;  // ".bmp" alone names no picture
    return Lower(name.substr(name.size() - 4)) == L".bmp";
}

BarRect CellRect(const BarRect& item, int cell) {
    BarRect r;
    r.left = item.left + (item.right - item.left - cell) / 2;
    r.top = item.top + (item.bottom - item.top - cell) / 2;
    r.right = r.left + cell;
    r.bottom = r.top + cell;
    return r;
}

BarRect IconRect(const BarRect& cell, int w, int h) {
    BarRect r;
    const int inW = cell.right - cell.left - 2, inH = cell.bottom - cell.top - 2;
    if (w <= 0 || h <= 0 || inW <= 0 || inH <= 0) return r;
    if (w > inW || h > inH) {
        // The larger shrink of the two keeps both sides inside.
        if (static_cast<long long>(w) * inH >= static_cast<long long>(h) * inW) {
            h = std::max(1, int(static_cast<long long>(h) * inW / w));
            w = inW;
        } else {
            w = std::max(1, int(static_cast<long long>(w) * inH / h));
            h = inH;
        }
    }
    r.left = cell.left + 1 + (inW - w) / 2;
    r.top = cell.top + 1 + (inH - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

PickerLayout LayoutPicker(const Scaler& sc, int width, int height) {
    PickerLayout l;
    width = std::max(0, width);
    height = std::max(0, height);
    const int stripH = std::min(height, sc.Y(36));
    l.list = {0, 0, width, height - stripH};
    l.strip = {0, height - stripH, width, height};
    const int cell = sc.X(30);
    const int cy = l.strip.top + (stripH - cell) / 2;
    l.label = {sc.X(4), l.strip.top, sc.X(4) + sc.X(40), height};
    l.preview = {l.label.right, cy, l.label.right + cell, cy + cell};
    const int bw = sc.X(64), bh = sc.Y(24);
    const int by = l.strip.top + (stripH - bh) / 2;
    l.clear = {std::max(l.preview.right + sc.X(4), width - sc.X(4) - bw), by, 0, by + bh};
    l.clear.right = l.clear.left + bw;
    return l;
}

}  // namespace daybrim
