// Contract of Volume: databases, records, changes, limits, several replicas.
#include <gtest/gtest.h>

#include "test_util.h"

namespace cedb {
namespace {

using test::Bytes;
using test::Num;
using test::Str;

constexpr uint32_t kSubject = 0x0020001F;
constexpr uint32_t kStart = 0x10420040;
constexpr uint32_t kBusy = 0x00450013;
constexpr uint32_t kPicture = 0x00FF0064;

class VolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Error e;
        vol = Volume::Open(path, true, &e);
        ASSERT_EQ(e, Error::kOk);
        ASSERT_EQ(vol->CreateDatabase(u"Appointments Database", 0, {}, &db), Error::kOk);
    }
    std::unique_ptr<Volume> Reopen() {
        Error e;
        auto v = Volume::Open(path, false, &e);
        EXPECT_EQ(e, Error::kOk);
        return v;
    }
    test::TempDir dir;
    std::string path = dir.File("pim.vol");
    std::unique_ptr<Volume> vol;
    uint32_t db = 0;
};

TEST_F(VolumeTest, OpenMissingWithoutCreateFailsAndCreatesNothing) {
    Error e;
    EXPECT_EQ(Volume::Open(dir.File("none.vol"), false, &e), nullptr);
    EXPECT_EQ(e, Error::kNotFound);
    EXPECT_EQ(Volume::Open(dir.File("none.vol"), false, &e), nullptr);
}

TEST_F(VolumeTest, OpenRejectsFilesThatAreNoVolume) {
    test::WriteAll(dir.File("text.vol"), std::vector<uint8_t>(200, 'x'));
    Error e;
    EXPECT_EQ(Volume::Open(dir.File("text.vol"), true, &e), nullptr);
    EXPECT_EQ(e, Error::kCorrupt);
    // and does not overwrite it
    EXPECT_EQ(test::ReadAll(dir.File("text.vol")), std::vector<uint8_t>(200, 'x'));
}

TEST_F(VolumeTest, DatabasesAreFoundByNameCaseInsensitivelyAndUnique) {
    SortOrder o;
    o.keys = {{kStart, 0}};
    uint32_t tasks = 0;
    ASSERT_EQ(vol->CreateDatabase(u"Tasks Database", 7, {o}, &tasks), Error::kOk);
    EXPECT_NE(tasks, db);
    EXPECT_EQ(vol->CreateDatabase(u"TASKS database", 0, {}, nullptr), Error::kExists);
    DbInfo info;
    ASSERT_EQ(vol->FindDatabase(u"tasks DATABASE", &info), Error::kOk);
    EXPECT_EQ(info.oid, tasks);
    EXPECT_EQ(info.name, u"Tasks Database");
    EXPECT_EQ(info.type, 7u);
    ASSERT_EQ(info.sorts.size(), 1u);
    EXPECT_EQ(info.sorts[0].keys[0].propid, kStart);
    EXPECT_EQ(vol->FindDatabase(u"Contacts Database", &info), Error::kNotFound);
    EXPECT_EQ(vol->GetDatabase(12345, &info), Error::kNotFound);
    EXPECT_EQ(vol->Databases().size(), 2u);
    // Cyrillic and Greek names fold too
    ASSERT_EQ(vol->CreateDatabase(u"Контакты Σ", 0, {}, nullptr), Error::kOk);
    EXPECT_EQ(vol->FindDatabase(u"контакты σ", &info), Error::kOk);
}

TEST_F(VolumeTest, CreateDatabaseRejectsBadArguments) {
    SortOrder none, five, badType;
    five.keys.assign(5, SortKey{kStart, 0});
    badType.keys = {{0x00010007, 0}};
    EXPECT_EQ(vol->CreateDatabase(u"", 0, {}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->CreateDatabase(std::u16string(256, u'a'), 0, {}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->CreateDatabase(u"x", 0, {none}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->CreateDatabase(u"x", 0, {five}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->CreateDatabase(u"x", 0, {badType}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->Databases().size(), 1u);
}

TEST_F(VolumeTest, WriteMergesPropertiesAndDeletesListed) {
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, {Str(kSubject, u"Lunch"), Num(kBusy, 2)}, {}, &oid), Error::kOk);
    EXPECT_NE(oid, 0u);
    EXPECT_NE(oid, db);
    uint32_t again = 0;
    ASSERT_EQ(vol->Write(db, oid, {Num(kStart, 0x01D9000000000000), Str(kSubject, u"Dinner")}, {kBusy}, &again),
              Error::kOk);
    EXPECT_EQ(again, oid);
    Record r;
    ASSERT_EQ(vol->Read(oid, &r), Error::kOk);
    EXPECT_EQ(r.dboid, db);
    ASSERT_EQ(r.props.size(), 2u);
    EXPECT_EQ(r.props[0].propid, kSubject);  // keeps first-written order
    EXPECT_EQ(r.props[0].str, u"Dinner");
    EXPECT_EQ(r.find(kStart)->num, 0x01D9000000000000);
    EXPECT_EQ(r.find(kBusy), nullptr);
    EXPECT_EQ(vol->RecordIds(db), std::vector<uint32_t>{oid});
}

TEST_F(VolumeTest, WriteAndDeleteFailOnUnknownTargets) {
    uint32_t other = 0, oid = 0;
    ASSERT_EQ(vol->CreateDatabase(u"Other", 0, {}, &other), Error::kOk);
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {}, &oid), Error::kOk);
    EXPECT_EQ(vol->Write(999999, 0, {Num(kBusy, 1)}, {}, nullptr), Error::kNotFound);
    EXPECT_EQ(vol->Write(db, 999999, {Num(kBusy, 1)}, {}, nullptr), Error::kNotFound);
    EXPECT_EQ(vol->Write(other, oid, {Num(kBusy, 1)}, {}, nullptr), Error::kNotFound);
    EXPECT_EQ(vol->Write(db, db, {Num(kBusy, 1)}, {}, nullptr), Error::kNotFound);  // a database is no record
    EXPECT_EQ(vol->Delete(other, oid), Error::kNotFound);
    EXPECT_EQ(vol->Delete(db, 999999), Error::kNotFound);
    EXPECT_EQ(vol->Read(999999, nullptr), Error::kNotFound);
    EXPECT_EQ(vol->DeleteDatabase(999999), Error::kNotFound);
    ASSERT_EQ(vol->Delete(db, oid), Error::kOk);
    EXPECT_EQ(vol->Delete(db, oid), Error::kNotFound);
    EXPECT_EQ(vol->Read(oid, nullptr), Error::kNotFound);
}

TEST_F(VolumeTest, WriteRejectsBadTypesAndValues) {
    EXPECT_EQ(vol->Write(db, 0, {Num(0x00010007, 1)}, {}, nullptr), Error::kInvalid);   // no such type
    EXPECT_EQ(vol->Write(db, 0, {Num(0x00010002, 40000)}, {}, nullptr), Error::kInvalid);  // I2 range
    EXPECT_EQ(vol->Write(db, 0, {Num(0x00010012, -1)}, {}, nullptr), Error::kInvalid);     // UI2
    EXPECT_EQ(vol->Write(db, 0, {Num(0x00010013, int64_t(1) << 32)}, {}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {0x00090008}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {kBusy}, nullptr), Error::kInvalid);   // set and delete
    EXPECT_TRUE(vol->RecordIds(db).empty());
    EXPECT_EQ(vol->LastSeq(), 1u);  // only the database creation
}

TEST_F(VolumeTest, ValuesOfEveryTypeSurviveReopen) {
    std::vector<PropValue> set = {
        Num(0x00010002, -32768), Num(0x00020003, INT32_MIN), Num(0x00030005, int64_t(0xC00921FB54442D18ull)),
        Num(0x0004000B, -1), Num(0x00050012, 65535), Num(0x00060013, UINT32_MAX),
        Str(0x0007001F, u"Zürich ✓ \U0001F600"), Num(0x00080040, INT64_MIN),
        Bytes(0x00090041, {0, 1, 2, 255}), Bytes(0x000A0064, {}), Num(0x000B0066, 0x10000000),
        Str(0x000C001F, u""),
    };
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, set, {}, &oid), Error::kOk);
    auto v2 = Reopen();
    Record r;
    ASSERT_EQ(v2->Read(oid, &r), Error::kOk);
    ASSERT_EQ(r.props.size(), set.size());
    for (size_t i = 0; i < set.size(); ++i) {
        EXPECT_EQ(r.props[i].propid, set[i].propid);
        EXPECT_EQ(r.props[i].num, set[i].num) << i;
        EXPECT_EQ(r.props[i].str, set[i].str) << i;
        EXPECT_EQ(r.props[i].bytes, set[i].bytes) << i;
    }
}

TEST_F(VolumeTest, HugeValuesUpToTheRecordLimit) {
    uint32_t oid = 0;
    std::vector<uint8_t> big(kMaxRecordBytes - 64, 0xAB);
    ASSERT_EQ(vol->Write(db, 0, {Bytes(kPicture, big)}, {}, &oid), Error::kOk);
    // The whole record counts, not just this write.
    EXPECT_EQ(vol->Write(db, oid, {Bytes(0x00FE0041, std::vector<uint8_t>(1024))}, {}, nullptr), Error::kInvalid);
    EXPECT_EQ(vol->Write(db, 0, {Bytes(kPicture, std::vector<uint8_t>(kMaxRecordBytes + 1))}, {}, nullptr),
              Error::kInvalid);
    EXPECT_EQ(vol->Write(db, 0, {Str(kSubject, std::u16string(kMaxRecordBytes / 2 + 1, u'x'))}, {}, nullptr),
              Error::kInvalid);
    auto v2 = Reopen();
    Record r;
    ASSERT_EQ(v2->Read(oid, &r), Error::kOk);
    EXPECT_EQ(r.props[0].bytes, big);
}

// Compaction replaces an open file: only POSIX allows that. Elsewhere it must fail
// cleanly and leave the volume working.
#ifdef _WIN32
constexpr Error kCompactResult = Error::kLocked;
#else
constexpr Error kCompactResult = Error::kOk;
#endif

TEST_F(VolumeTest, ObjectIdsAreNeverReusedEvenAfterCompaction) {
    uint32_t a = 0, b = 0, c = 0;
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {}, &a), Error::kOk);
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {}, &b), Error::kOk);
    ASSERT_EQ(vol->Delete(db, b), Error::kOk);
    ASSERT_EQ(vol->Compact(nullptr), kCompactResult);
    auto v2 = Reopen();
    ASSERT_EQ(v2->Write(db, 0, {Num(kBusy, 1)}, {}, &c), Error::kOk);
    EXPECT_GT(c, b);
    EXPECT_EQ(v2->RecordIds(db), (std::vector<uint32_t>{a, c}));
}

TEST_F(VolumeTest, DeleteDatabaseRemovesItsRecords) {
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {}, &oid), Error::kOk);
    ASSERT_EQ(vol->DeleteDatabase(db), Error::kOk);
    EXPECT_EQ(vol->Read(oid, nullptr), Error::kNotFound);
    EXPECT_TRUE(vol->RecordIds(db).empty());
    // the name is free again, under a new id
    uint32_t again = 0;
    ASSERT_EQ(vol->CreateDatabase(u"Appointments Database", 0, {}, &again), Error::kOk);
    EXPECT_GT(again, oid);
    EXPECT_EQ(Reopen()->Databases().size(), 1u);
}

TEST_F(VolumeTest, ChangesAreNumberedAndSeenByOtherReplicas) {
    auto other = Reopen();
    uint64_t base = other->LastSeq();
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 1)}, {}, &oid), Error::kOk);
    ASSERT_EQ(vol->Write(db, oid, {Num(kBusy, 2)}, {}, nullptr), Error::kOk);
    ASSERT_EQ(vol->Delete(db, oid), Error::kOk);
    for (Volume* v : {vol.get(), other.get()}) {
        std::vector<Change> ch = v->ChangesSince(base);
        ASSERT_EQ(ch.size(), 3u);
        EXPECT_EQ(ch[0].kind, ChangeKind::kCreated);
        EXPECT_EQ(ch[1].kind, ChangeKind::kChanged);
        EXPECT_EQ(ch[2].kind, ChangeKind::kDeleted);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(ch[i].seq, base + 1 + i);
            EXPECT_EQ(ch[i].oid, oid);
            EXPECT_EQ(ch[i].dboid, db);
        }
        EXPECT_EQ(v->ChangesSince(base + 2).size(), 1u);
        EXPECT_TRUE(v->ChangesSince(base + 3).empty());
        EXPECT_TRUE(v->ChangesSince(base + 100).empty());
    }
}

TEST_F(VolumeTest, HistoryIsBoundedAndTheGapIsVisible) {
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 0)}, {}, &oid), Error::kOk);
    uint64_t start = vol->LastSeq();
    for (size_t i = 0; i < kChangeHistory + 10; ++i)
        ASSERT_EQ(vol->Write(db, oid, {Num(kBusy, int64_t(i & 3))}, {}, nullptr), Error::kOk);
    std::vector<Change> ch = vol->ChangesSince(start);
    ASSERT_EQ(ch.size(), kChangeHistory);
    EXPECT_GT(ch.front().seq, start + 1);  // the caller can tell it missed some
    EXPECT_EQ(vol->OldestSeq(), ch.front().seq);
    EXPECT_EQ(ch.back().seq, vol->LastSeq());
}

TEST_F(VolumeTest, CompactionIsFollowedByOtherReplicas) {
    auto other = Reopen();
    uint32_t keep = 0, gone = 0;
    ASSERT_EQ(vol->Write(db, 0, {Str(kSubject, u"keep")}, {}, &keep), Error::kOk);
    ASSERT_EQ(vol->Write(db, 0, {Str(kSubject, u"gone")}, {}, &gone), Error::kOk);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(vol->Write(db, keep, {Num(kBusy, i)}, {}, nullptr), Error::kOk);
    ASSERT_EQ(vol->Delete(db, gone), Error::kOk);
    ASSERT_EQ(other->Refresh(), Error::kOk);
    uint64_t before = vol->FileSize(), after = 0, seq = vol->LastSeq();
    ASSERT_EQ(other->Compact(&after), kCompactResult);
    if (kCompactResult == Error::kOk) {
        EXPECT_LT(after, before / 4);
    }
    // vol still holds the old file: its next write must land in the new one
    uint32_t late = 0;
    ASSERT_EQ(vol->Write(db, 0, {Str(kSubject, u"late")}, {}, &late), Error::kOk);
    std::vector<Change> ch = other->ChangesSince(seq);
    ASSERT_EQ(ch.size(), 1u);
    EXPECT_EQ(ch[0].seq, seq + 1);
    EXPECT_EQ(ch[0].oid, late);
    auto fresh = Reopen();
    EXPECT_EQ(fresh->RecordIds(db), (std::vector<uint32_t>{keep, late}));
    Record r;
    ASSERT_EQ(fresh->Read(keep, &r), Error::kOk);
    EXPECT_EQ(r.find(kBusy)->num, 49);
    EXPECT_EQ(fresh->LastSeq(), seq + 1);
}

TEST_F(VolumeTest, FlushKeepsEverything) {
    uint32_t oid = 0;
    ASSERT_EQ(vol->Write(db, 0, {Num(kBusy, 3)}, {}, &oid), Error::kOk);
    ASSERT_EQ(vol->Flush(), Error::kOk);
    ASSERT_EQ(Reopen()->Read(oid, nullptr), Error::kOk);
}

TEST(ErrorTextTest, NamesEveryError) {
    for (int i = 0; i <= int(Error::kFull); ++i) EXPECT_STRNE(ErrorText(Error(i)), "unknown error");
}

}  // namespace
}  // namespace cedb
