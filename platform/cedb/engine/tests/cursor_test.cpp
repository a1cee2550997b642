// Cursor ordering, seeks and how it follows changes; CompareValues.
#include <gtest/gtest.h>

#include "test_util.h"

namespace cedb {
namespace {

using test::Num;
using test::Str;

constexpr uint32_t kFileAs = 0x0080001F;
constexpr uint32_t kKey2 = 0x01020013;
constexpr uint32_t kRecurring = 0x0022000B;

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        vol = Volume::Open(dir.File("pim.vol"), true, nullptr);
        ASSERT_NE(vol, nullptr);
        ASSERT_EQ(vol->CreateDatabase(u"Contacts Database", 0, {}, &db), Error::kOk);
    }
    uint32_t Add(std::vector<PropValue> props) {
        uint32_t oid = 0;
        EXPECT_EQ(vol->Write(db, 0, props, {}, &oid), Error::kOk);
        return oid;
    }
    static SortOrder Order(std::vector<SortKey> keys) {
        SortOrder o;
        o.keys = std::move(keys);
        return o;
    }
    static std::vector<uint32_t> Scan(Cursor& c) {
        std::vector<uint32_t> out;
        for (uint32_t o = c.SeekBeginning(); o; o = c.Next()) out.push_back(o);
        return out;
    }
    test::TempDir dir;
    std::unique_ptr<Volume> vol;
    uint32_t db = 0;
};

TEST(CompareValuesTest, MissingValuesAndFlags) {
    PropValue a = Num(0x00010013, 1), b = Num(0x00010013, 2);
    EXPECT_LT(CompareValues(&a, &b, 0), 0);
    EXPECT_GT(CompareValues(&a, &b, kSortDescending), 0);
    EXPECT_GT(CompareValues(nullptr, &a, 0), 0);
    EXPECT_GT(CompareValues(nullptr, &a, kSortDescending), 0);  // still last
    EXPECT_LT(CompareValues(nullptr, &a, kSortUnknownFirst), 0);
    EXPECT_EQ(CompareValues(nullptr, nullptr, 0), 0);
    PropValue t1 = Num(0x0001000B, 1), t2 = Num(0x0001000B, -1);
    EXPECT_EQ(CompareValues(&t1, &t2, 0), 0);  // any non-zero BOOL is TRUE
    PropValue i1 = Num(0x00010003, -5), i2 = Num(0x00010003, 3);
    EXPECT_LT(CompareValues(&i1, &i2, 0), 0);
    PropValue f1 = Num(0x00010040, int64_t(0x8000000000000000ull)), f2 = Num(0x00010040, 1);
    EXPECT_GT(CompareValues(&f1, &f2, 0), 0);  // FILETIME is unsigned
}

TEST(CompareValuesTest, CaseInsensitiveAcrossScripts) {
    auto eq = [](const std::u16string& x, const std::u16string& y) {
        PropValue a = Str(0x1F, x), b = Str(0x1F, y);
        return CompareValues(&a, &b, kSortCaseInsensitive) == 0;
    };
    EXPECT_TRUE(eq(u"ÅSA ÇÉ", u"åsa çé"));
    EXPECT_TRUE(eq(u"ŁÓDŹ ŸŒ", u"łódź ÿœ"));
    EXPECT_TRUE(eq(u"ΟΔΥΣΣΕΑΣ Ά", u"οδυσσεας ά"));
    EXPECT_TRUE(eq(u"οδυσσεας", u"οδυσσεας"));
    EXPECT_TRUE(eq(u"ПЁТР Ґ", u"пётр ґ"));
    EXPECT_TRUE(eq(u"שלום", u"שלום"));
    EXPECT_FALSE(eq(u"abc", u"abd"));
    EXPECT_FALSE(eq(u"ab", u"abc"));
    EXPECT_FALSE(eq(u"×", u"÷"));  // signs next to the Latin-1 letters are no letters
    PropValue a = Str(0x1F, u"a"), B = Str(0x1F, u"B");
    EXPECT_GT(CompareValues(&a, &B, 0), 0);
    EXPECT_LT(CompareValues(&a, &B, kSortCaseInsensitive), 0);
}

TEST_F(CursorTest, TwoKeysWithFlagsAndOidTieBreak) {
    uint32_t smithB = Add({Str(kFileAs, u"smith"), Num(kKey2, 2)});
    uint32_t none = Add({Num(kKey2, 1)});
    uint32_t smithA = Add({Str(kFileAs, u"Smith"), Num(kKey2, 2)});
    uint32_t smithNo = Add({Str(kFileAs, u"SMITH")});
    uint32_t adams = Add({Str(kFileAs, u"Adams"), Num(kKey2, 9)});
    Cursor c(*vol, db, Order({{kFileAs, kSortCaseInsensitive}, {kKey2, kSortUnknownFirst | kSortDescending}}));
    EXPECT_EQ(Scan(c), (std::vector<uint32_t>{adams, smithNo, smithB, smithA, none}));
    EXPECT_EQ(c.Index(), 5u);
    EXPECT_EQ(c.Current(), 0u);
    EXPECT_EQ(c.Next(), 0u);  // stays past the end
    Cursor byOid(*vol, db, SortOrder());
    EXPECT_EQ(Scan(byOid), (std::vector<uint32_t>{smithB, none, smithA, smithNo, adams}));
}

TEST_F(CursorTest, SeeksByOidValueAndEnd) {
    std::vector<uint32_t> ids;
    for (int i = 0; i < 10; ++i) ids.push_back(Add({Num(kKey2, (i / 2) * 10), Num(0x00030003, i)}));
    Cursor c(*vol, db, Order({{kKey2, 0}, {0x00030003, 0}}));
    EXPECT_EQ(c.SeekOid(ids[7]), ids[7]);
    EXPECT_EQ(c.Index(), 7u);
    EXPECT_EQ(c.SeekOid(999999), 0u);
    EXPECT_EQ(c.SeekOid(db), 0u);
    EXPECT_EQ(c.SeekFirstEqual({Num(kKey2, 20)}), ids[4]);
    EXPECT_EQ(c.SeekNextEqual({Num(kKey2, 20)}), ids[5]);
    EXPECT_EQ(c.SeekNextEqual({Num(kKey2, 20)}), 0u);
    EXPECT_EQ(c.SeekFirstEqual({Num(kKey2, 20), Num(0x00030003, 5)}), ids[5]);
    EXPECT_EQ(c.SeekFirstEqual({Num(kKey2, 25)}), 0u);
    EXPECT_EQ(c.SeekGreaterOrEqual({Num(kKey2, 25)}), ids[6]);
    EXPECT_EQ(c.SeekGreaterOrEqual({Num(kKey2, 41)}), 0u);  // past the end
    EXPECT_EQ(c.Current(), 0u);
    EXPECT_EQ(c.SeekEnd(), ids[9]);
    // from before the group, next-equal finds its first record
    c.SeekBeginning();
    EXPECT_EQ(c.SeekNextEqual({Num(kKey2, 30)}), ids[6]);
    // wrong types or too many keys find nothing
    EXPECT_EQ(c.SeekFirstEqual({Str(0x0102001F, u"20")}), 0u);
    EXPECT_EQ(c.SeekFirstEqual({Num(kKey2, 0), Num(0x00030003, 0), Num(0x00040003, 0)}), 0u);
    EXPECT_EQ(c.SeekFirstEqual({}), 0u);
}

TEST_F(CursorTest, EmptyAndUnknownDatabases) {
    Cursor c(*vol, db, Order({{kFileAs, 0}}));
    EXPECT_EQ(c.SeekBeginning(), 0u);
    EXPECT_EQ(c.SeekEnd(), 0u);
    EXPECT_EQ(c.Count(), 0u);
    Cursor nowhere(*vol, 424242, SortOrder());
    EXPECT_EQ(nowhere.SeekBeginning(), 0u);
    EXPECT_EQ(nowhere.SeekGreaterOrEqual({Num(kFileAs, 1)}), 0u);
}

TEST_F(CursorTest, FollowsChangesAndKeepsItsRecord) {
    uint32_t a = Add({Num(kRecurring, 0), Str(kFileAs, u"a")});
    uint32_t b = Add({Num(kRecurring, 0), Str(kFileAs, u"b")});
    uint32_t c1 = Add({Num(kRecurring, 1), Str(kFileAs, u"c")});
    Cursor c(*vol, db, Order({{kFileAs, 0}}));
    EXPECT_EQ(c.SeekOid(b), b);
    // another replica writes: the cursor re-sorts but stays on b
    auto other = Volume::Open(dir.File("pim.vol"), false, nullptr);
    uint32_t first = 0;
    ASSERT_EQ(other->Write(db, 0, {Str(kFileAs, u"0")}, {}, &first), Error::kOk);
    EXPECT_EQ(c.Current(), b);
    EXPECT_EQ(c.Index(), 2u);
    // deleting the current record moves it to the one that followed
    ASSERT_EQ(other->Delete(db, b), Error::kOk);
    EXPECT_EQ(c.Current(), c1);
    EXPECT_EQ(c.Next(), 0u);
    EXPECT_EQ(c.SeekBeginning(), first);
    EXPECT_EQ(c.Next(), a);
    // the database going away leaves the cursor past the end
    ASSERT_EQ(other->DeleteDatabase(db), Error::kOk);
    EXPECT_EQ(c.Current(), 0u);
    EXPECT_EQ(c.SeekBeginning(), 0u);
}

TEST_F(CursorTest, OutlivesItsVolumeObject) {
    uint32_t a = Add({Str(kFileAs, u"a")});
    Cursor c(*vol, db, Order({{kFileAs, 0}}));
    vol.reset();
    EXPECT_EQ(c.SeekBeginning(), a);
}

}  // namespace
}  // namespace cedb
