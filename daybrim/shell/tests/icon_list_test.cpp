// The icon picker's list over a fake file system (folder order, recursion, name
// rules, duplicates, a folder that contains itself, the limits) and the
// arithmetic of its cells and layout.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "icon_list.h"

namespace {

using namespace daybrim;

class FakeFolders : public FolderReader {
public:
    // folder path (no trailing "\") -> entries; a name ending in "\" is a folder.
    std::map<std::wstring, std::vector<std::wstring>> tree;
    std::vector<std::wstring> listed;

    std::vector<FolderEntry> List(const std::wstring& folder) override {
        std::wstring key = folder;
        if (!key.empty() && key.back() == L'\\') key.pop_back();
        listed.push_back(key);
        std::vector<FolderEntry> out;
        auto it = tree.find(key);
        if (it == tree.end()) return out;
        for (const std::wstring& n : it->second) {
            FolderEntry e;
            e.folder = !n.empty() && n.back() == L'\\';
            e.name = e.folder ? n.substr(0, n.size() - 1) : n;
            out.push_back(e);
        }
        return out;
    }
};

using Paths = std::vector<std::wstring>;

}  // namespace

TEST(IconList, SearchFoldersInTheirFixedOrder) {
    EXPECT_EQ(Paths({L"\\Program Files\\Olvane\\Daybrim\\Icons\\", L"\\Storage Card\\More",
                     L"\\Sets\\24", L"\\Sets\\Blank"}),
              IconSearchFolders(L"\\Program Files", L"\\Storage Card\\More", {L"\\Sets\\24", L"", L"\\Sets\\Blank"}));
    EXPECT_EQ(Paths({L"\\P\\Olvane\\Daybrim\\Icons\\"}), IconSearchFolders(L"\\P\\", L"", {}));
}

TEST(IconList, EachFolderItsOwnFilesFirstThenItsSubFoldersDepthFirst) {
    FakeFolders fs;
    fs.tree[L"\\I"] = {L"zeta.BMP", L"b\\", L"alpha.bmp", L"readme.txt", L"a\\", L".bmp", L"x.bmp.txt",
                       L"dir.bmp\\", L".\\", L"..\\"};
    fs.tree[L"\\I\\a"] = {L"one.bmp", L"deep\\"};
    fs.tree[L"\\I\\a\\deep"] = {L"two.bmp"};
    fs.tree[L"\\I\\b"] = {L"three.bmp"};
    fs.tree[L"\\I\\dir.bmp"] = {};
    fs.tree[L"\\Extra"] = {L"four.bmp"};
    EXPECT_EQ(Paths({L"\\I\\alpha.bmp", L"\\I\\zeta.BMP", L"\\I\\a\\one.bmp", L"\\I\\a\\deep\\two.bmp",
                     L"\\I\\b\\three.bmp", L"\\Extra\\four.bmp"}),
              BuildIconList(fs, {L"\\I\\", L"\\Missing", L"\\Extra"}));
    for (const std::wstring& f : fs.listed) EXPECT_EQ(std::wstring::npos, f.find(L"\\.")) << "walked into " << f;
}

TEST(IconList, AFileReachedTwiceIsListedOnceWhereFirstFound) {
    FakeFolders fs;
    fs.tree[L"\\I"] = {L"a.bmp", L"set\\"};
    fs.tree[L"\\I\\set"] = {L"b.bmp"};
    // The additional folder is the installed one again, in another case; an icon
    // set lives inside it.
    EXPECT_EQ(Paths({L"\\I\\a.bmp", L"\\I\\set\\b.bmp"}), BuildIconList(fs, {L"\\I\\", L"\\i", L"\\I\\set"}));
}

TEST(IconList, AFolderThatContainsItselfEndsAtTheDepthLimit) {
    FakeFolders fs;
    fs.tree[L"\\L"] = {L"a.bmp", L"loop\\"};
    // Every "\loop" level lists the same entries, as a link back to the parent does.
    std::wstring p = L"\\L";
    for (int i = 0; i < 40; ++i) {
        p += L"\\loop";
        fs.tree[p] = {L"a.bmp", L"loop\\"};
    }
    IconListLimits lim;
    lim.maxDepth = 3;
    const Paths icons = BuildIconList(fs, {L"\\L"}, lim);
    EXPECT_EQ(4u, icons.size());
    EXPECT_EQ(L"\\L\\loop\\loop\\loop\\a.bmp", icons.back());
}

TEST(IconList, TheCountAndPathLengthLimitsHold) {
    FakeFolders fs;
    std::vector<std::wstring> many;
    for (int i = 0; i < 50; ++i) many.push_back(L"i" + std::to_wstring(100 + i) + L".bmp");
    many.push_back(std::wstring(300, L'x') + L".bmp");
    many.push_back(L"sub\\");
    fs.tree[L"\\M"] = many;
    fs.tree[L"\\M\\sub"] = {L"s.bmp"};
    IconListLimits lim;
    lim.maxIcons = 20;
    Paths icons = BuildIconList(fs, {L"\\M", L"\\Other"}, lim);
    EXPECT_EQ(20u, icons.size());
    EXPECT_EQ(L"\\M\\i119.bmp", icons.back());
    EXPECT_EQ(L"\\M", fs.listed.back()) << "nothing is read once the list is full";

    icons = BuildIconList(fs, {L"\\M"});
    EXPECT_EQ(51u, icons.size()) << "the over-long name is left out";
    EXPECT_EQ(L"\\M\\sub\\s.bmp", icons.back());
}

TEST(IconCells, CellsAreCentredSquaresAndIconsStayInsideTheFrame) {
    const BarRect cell = CellRect({10, 20, 50, 56}, 30);
    EXPECT_EQ(15, cell.left);
    EXPECT_EQ(23, cell.top);
    EXPECT_EQ(45, cell.right);
    EXPECT_EQ(53, cell.bottom);

    BarRect r = IconRect({0, 0, 30, 30}, 16, 12);
    EXPECT_EQ(7, r.left);
    EXPECT_EQ(9, r.top);
    EXPECT_EQ(16, r.right - r.left);
    r = IconRect({0, 0, 30, 30}, 28, 28);  // exactly the inside
    EXPECT_EQ(1, r.left);
    EXPECT_EQ(29, r.right);
    // Too large: shrunk to the inside, proportions kept.
    r = IconRect({0, 0, 30, 30}, 56, 28);
    EXPECT_EQ(28, r.right - r.left);
    EXPECT_EQ(14, r.bottom - r.top);
    EXPECT_GE(r.left, 1);
    EXPECT_LE(r.bottom, 29);
    r = IconRect({0, 0, 30, 30}, 1, 1000);
    EXPECT_EQ(1, r.right - r.left);
    EXPECT_EQ(28, r.bottom - r.top);
    // Nothing to draw.
    r = IconRect({0, 0, 30, 30}, 0, 12);
    EXPECT_EQ(0, r.right - r.left);
    r = IconRect({0, 0, 2, 2}, 5, 5);
    EXPECT_EQ(0, r.right - r.left);
}

TEST(IconCells, TheLayoutKeepsTheStripBelowTheListAtEveryDpi) {
    for (int dpi : {96, 131, 192}) {
        Scaler sc;
        sc.dpiX = sc.dpiY = dpi;
        const int w = sc.X(240), h = sc.Y(268);
        const PickerLayout l = LayoutPicker(sc, w, h);
        EXPECT_EQ(l.list.bottom, l.strip.top);
        EXPECT_EQ(h, l.strip.bottom);
        EXPECT_EQ(sc.X(30), l.preview.right - l.preview.left);
        EXPECT_GE(l.preview.top, l.strip.top);
        EXPECT_LE(l.preview.bottom, l.strip.bottom);
        EXPECT_LE(l.clear.right, w);
        EXPECT_GE(l.clear.left, l.preview.right);
    }
    // A window too small for the strip: nothing has a negative size.
    const PickerLayout tiny = LayoutPicker(Scaler(), 10, 10);
    EXPECT_EQ(0, tiny.list.bottom);
    EXPECT_EQ(10, tiny.strip.bottom);
    EXPECT_GE(tiny.clear.right, tiny.clear.left);
}
