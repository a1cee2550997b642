#include <gtest/gtest.h>

#include "file_chooser.h"

using namespace tallyra;

namespace {
CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }

std::vector<std::u16string> Names(const FileChooserModel& m) {
    std::vector<std::u16string> out;
    for (const FolderEntry& e : m.rows()) out.emplace_back(e.name.begin(), e.name.end());
    return out;
}

std::vector<FolderEntry> Listing() {
    return {{W(u"zeta.txt"), false}, {W(u"."), true},       {W(u"Beta"), true},   {W(u".."), true},
            {W(u"Alpha.TXT"), false}, {W(u"alpha"), true}, {W(u"Яблоко"), true}, {W(u"apple"), true}};
}
}  // namespace

TEST(FileChooser, FoldersFirstThenFilesEachSortedWithoutCase) {
    FileChooserModel m(ChooserMode::kSave, W(u"\\My Documents"), W(u"txt"));
    EXPECT_EQ(W(u"\\My Documents\\"), m.folder());
    m.SetListing(Listing());
    EXPECT_EQ((std::vector<std::u16string>{u"..", u"alpha", u"apple", u"Beta", u"Яблоко", u"Alpha.TXT", u"zeta.txt"}),
              Names(m));
    EXPECT_TRUE(m.IsUpRow(0));

    // Folder mode lists no files; the root has no way up.
    FileChooserModel f(ChooserMode::kFolder, W(u""), W(u""));
    EXPECT_EQ(W(u"\\"), f.folder());
    f.SetListing(Listing());
    EXPECT_EQ((std::vector<std::u16string>{u"alpha", u"apple", u"Beta", u"Яблоко"}), Names(f));
    EXPECT_FALSE(f.IsUpRow(0));
    EXPECT_FALSE(f.Up());
}

TEST(FileChooser, NavigatesDownAndUpKeepingTheTrailingBackslash) {
    FileChooserModel m(ChooserMode::kLoad, W(u"/Program Files//Olvane/"), W(u"ini"));
    EXPECT_EQ(W(u"\\Program Files\\Olvane\\"), m.folder());
    m.SetListing({{W(u"Tallyra"), true}, {W(u"skin.INI"), false}, {W(u"readme"), false}});
    CeStd name;
    EXPECT_EQ(FileChooserModel::Activation::kFileName, m.Activate(3, &name));
    EXPECT_EQ(W(u"skin"), name);  // the extension comes back on Select
    EXPECT_EQ(FileChooserModel::Activation::kFileName, m.Activate(2, &name));
    EXPECT_EQ(W(u"readme"), name);
    EXPECT_EQ(FileChooserModel::Activation::kNone, m.Activate(4, &name));

    EXPECT_EQ(FileChooserModel::Activation::kFolderChanged, m.Activate(1, &name));
    EXPECT_EQ(W(u"\\Program Files\\Olvane\\Tallyra\\"), m.folder());
    EXPECT_TRUE(m.rows().empty());  // to be listed again
    m.SetListing({});
    EXPECT_EQ(FileChooserModel::Activation::kFolderChanged, m.Activate(0, &name));  // ".."
    EXPECT_EQ(W(u"\\Program Files\\Olvane\\"), m.folder());
    EXPECT_TRUE(m.Up());
    EXPECT_TRUE(m.Up());
    EXPECT_EQ(W(u"\\"), m.folder());
    EXPECT_TRUE(m.AtRoot());
}

TEST(FileChooser, FolderModeReturnsAFolderEndingWithABackslash) {
    FileChooserModel m(ChooserMode::kFolder, W(u"\\Skins"), W(u""));
    m.SetListing({{W(u"Blue"), true}, {W(u"Dark"), true}});
    EXPECT_EQ(W(u"\\Skins\\"), m.SelectFolder(-1));
    EXPECT_EQ(W(u"\\Skins\\"), m.SelectFolder(0));  // ".." is not a choice
    EXPECT_EQ(W(u"\\Skins\\Dark\\"), m.SelectFolder(2));
    EXPECT_EQ(W(u"\\Skins\\"), m.SelectFolder(3));
    FileChooserModel root(ChooserMode::kFolder, W(u"Skins"), W(u""));
    EXPECT_EQ(W(u"\\Skins\\"), root.SelectFolder(-1));  // device paths are rooted
    EXPECT_TRUE(root.Up());
    EXPECT_EQ(W(u"\\"), root.SelectFolder(-1));
}

TEST(FileChooser, SelectBuildsThePathOnlyForANameInsideTheFolder) {
    FileChooserModel m(ChooserMode::kSave, W(u"\\My Documents\\"), W(u"txt"));
    CeStd path = W(u"untouched");
    EXPECT_EQ(FileChooserModel::Result::kNameMissing, m.SelectFile(W(u""), &path));
    for (const char16_t* bad : {u"..\\Windows\\x", u"a\\b", u"a/b", u"c:x", u"a*", u"a?", u"\"a\"", u"<a>", u"a|b",
                                u"a\tb", u"..", u".", u"..."})
        EXPECT_EQ(FileChooserModel::Result::kNameIllegal, m.SelectFile(W(bad), &path))
            << std::string(bad, bad + 2);
    EXPECT_EQ(W(u"untouched"), path);
    EXPECT_EQ(FileChooserModel::Result::kOk, m.SelectFile(W(u"notes .v2"), &path));
    EXPECT_EQ(W(u"\\My Documents\\notes .v2.txt"), path);
    FileChooserModel bare(ChooserMode::kLoad, W(u"\\"), W(u""));
    EXPECT_EQ(FileChooserModel::Result::kOk, bare.SelectFile(W(u"skin.ini"), &path));
    EXPECT_EQ(W(u"\\skin.ini"), path);
}
