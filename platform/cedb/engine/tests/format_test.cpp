// Damaged volume files: truncation, bit flips, torn tails. Never a crash; committed
// data stays or the volume reports kCorrupt.
#include <gtest/gtest.h>

#include "format.h"
#include "test_util.h"

namespace cedb {
namespace {

using test::Num;
using test::Str;

constexpr uint32_t kIndex = 0x00010013;
constexpr uint32_t kText = 0x0002001F;

// Writes n records holding their index and a text; returns the file's bytes.
std::vector<uint8_t> MakeVolume(const std::string& path, int n, bool flush) {
    auto v = Volume::Open(path, true, nullptr);
    uint32_t db = 0;
    EXPECT_EQ(v->CreateDatabase(u"db", 0, {}, &db), Error::kOk);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(v->Write(db, 0, {Num(kIndex, i), Str(kText, std::u16string(size_t(i), u'x'))}, {}, nullptr),
                  Error::kOk);
    }
    if (flush) {
        EXPECT_EQ(v->Flush(), Error::kOk);
    }
    v.reset();
    return test::ReadAll(path);
}

// The records visible are records 0..k-1 for some k, each whole.
::testing::AssertionResult IsPrefix(Volume& v, int n) {
    DbInfo info;
    if (v.FindDatabase(u"db", &info) != Error::kOk) return ::testing::AssertionSuccess();  // nothing committed yet
    std::vector<uint32_t> ids = v.RecordIds(info.oid);
    if (ids.size() > size_t(n)) return ::testing::AssertionFailure() << "too many records";
    for (size_t i = 0; i < ids.size(); ++i) {
        Record r;
        if (v.Read(ids[i], &r) != Error::kOk) return ::testing::AssertionFailure() << "unreadable";
        const PropValue* idx = r.find(kIndex);
        const PropValue* txt = r.find(kText);
        if (!idx || idx->num != int64_t(i) || !txt || txt->str != std::u16string(i, u'x'))
            return ::testing::AssertionFailure() << "record " << i << " damaged";
    }
    return ::testing::AssertionSuccess();
}

TEST(DamagedVolumeTest, EveryTruncationOpensAsACommittedPrefix) {
    test::TempDir dir;
    std::vector<uint8_t> full = MakeVolume(dir.File("a.vol"), 12, false);
    for (size_t len = 0; len <= full.size(); ++len) {
        std::string p = dir.File("t.vol");
        test::WriteAll(p, std::vector<uint8_t>(full.begin(), full.begin() + long(len)));
        Error e;
        auto v = Volume::Open(p, false, &e);
        if (len < detail::kHeaderSize) {
            EXPECT_EQ(e, Error::kCorrupt) << len;
            continue;
        }
        ASSERT_EQ(e, Error::kOk) << len;
        EXPECT_TRUE(IsPrefix(*v, 12)) << len;
    }
}

TEST(DamagedVolumeTest, BitFlipsNeverCrashAndFlushedDataIsNeverSilentlyLost) {
    test::TempDir dir;
    for (bool flushed : {false, true}) {
        std::vector<uint8_t> full = MakeVolume(dir.File(flushed ? "flushed.vol" : "plain.vol"), 8, flushed);
        for (size_t at = 0; at < full.size(); ++at) {
            std::vector<uint8_t> bad = full;
            bad[at] ^= uint8_t(1u << (at % 8));
            std::string p = dir.File("f.vol");
            test::WriteAll(p, bad);
            Error e;
            auto v = Volume::Open(p, false, &e);
            if (flushed) {
                // Every byte was synced: damage anywhere must be reported.
                EXPECT_EQ(e, Error::kCorrupt) << at;
            } else if (e == Error::kOk) {
                EXPECT_TRUE(IsPrefix(*v, 8)) << at;
            } else {
                EXPECT_EQ(e, Error::kCorrupt) << at;
            }
        }
    }
}

TEST(DamagedVolumeTest, TornTailIsIgnoredThenCutByTheNextWriter) {
    test::TempDir dir;
    std::string p = dir.File("a.vol");
    std::vector<uint8_t> full = MakeVolume(p, 3, false);
    std::vector<uint8_t> torn = full;
    torn.insert(torn.end(), {0x40, 0, 0, 0, 0x4F, 0xDB, 0xC7, 0x5E, 1, 2, 3});  // a header, half a payload
    test::WriteAll(p, torn);
    auto v = Volume::Open(p, false, nullptr);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(IsPrefix(*v, 3));
    DbInfo info;
    ASSERT_EQ(v->FindDatabase(u"db", &info), Error::kOk);
    EXPECT_EQ(info.records, 3u);
    ASSERT_EQ(v->Write(info.oid, 0, {Num(kIndex, 3), Str(kText, u"xxx")}, {}, nullptr), Error::kOk);
    v.reset();
    auto again = Volume::Open(p, false, nullptr);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->FindDatabase(u"db", &info), Error::kOk);
    EXPECT_EQ(info.records, 4u);
    EXPECT_TRUE(IsPrefix(*again, 4));
}

TEST(DamagedVolumeTest, ValidChecksumsOverInconsistentEntriesAreCorrupt) {
    // Entries that check but contradict the log (a change to a record that was
    // never created) can only come from damage or a foreign writer.
    detail::Enc enc;
    enc.begin(detail::kEntryCreateDb, 1);
    enc.u32(5);
    enc.u32(0);
    enc.str(u"db");
    enc.u8(0);
    enc.seal();
    enc.begin(detail::kEntryWrite, 2);
    enc.u32(5);
    enc.u32(77);
    enc.u8(0);  // "changed", yet 77 does not exist
    enc.u32(0);
    enc.u32(0);
    enc.seal();
    std::vector<uint8_t> image = detail::EncodeHeader(detail::kHeaderSize);
    image.insert(image.end(), enc.b.begin(), enc.b.end());
    detail::Replica r;
    EXPECT_EQ(detail::LoadImage(image.data(), image.size(), &r), Error::kCorrupt);
    // and on the file path too
    test::TempDir dir;
    test::WriteAll(dir.File("c.vol"), image);
    Error e;
    EXPECT_EQ(Volume::Open(dir.File("c.vol"), false, &e), nullptr);
    EXPECT_EQ(e, Error::kCorrupt);
}

TEST(DamagedVolumeTest, HugeDeclaredLengthsAllocateNothing) {
    std::vector<uint8_t> image = detail::EncodeHeader(detail::kHeaderSize);
    uint32_t len = 0x7FFFFFF0;
    uint32_t check = len ^ detail::kLenCheck;
    for (int i = 0; i < 4; ++i) image.push_back(uint8_t(len >> (8 * i)));
    for (int i = 0; i < 4; ++i) image.push_back(uint8_t(check >> (8 * i)));
    image.insert(image.end(), 20, 0);
    detail::Replica r;
    EXPECT_EQ(detail::LoadImage(image.data(), image.size(), &r), Error::kOk);  // an unflushed torn tail
    EXPECT_TRUE(r.dbs.empty());
}

}  // namespace
}  // namespace cedb
