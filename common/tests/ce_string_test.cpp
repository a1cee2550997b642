#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ce_string.h"

namespace {

CeString S(const char* s) {
    CeStd w;
    for (; *s; ++s) w.push_back(CeChar(*s));
    return CeString(w);
}

}  // namespace

TEST(CeString, EveryEmptyStringSharesOneUncountedBuffer) {
    CeString a, b(S("")), c(S("x"));
    c.Truncate(0);
    CeString d = S("abc").Mid(5);
    EXPECT_TRUE(a.SharesBufferWith(b));
    EXPECT_TRUE(a.SharesBufferWith(c));
    EXPECT_TRUE(a.SharesBufferWith(d));
    EXPECT_EQ(0, a.RefCount());
    EXPECT_EQ(0u, a.length());
    EXPECT_EQ(CeChar(0), a.c_str()[0]);
}

TEST(CeString, CopiesShareUntilOneIsChanged) {
    CeString a = S("hello");
    CeString b = a;
    EXPECT_TRUE(a.SharesBufferWith(b));
    EXPECT_EQ(2, a.RefCount());
    b.SetAt(0, 'j');
    EXPECT_FALSE(a.SharesBufferWith(b));
    EXPECT_EQ(S("hello"), a);
    EXPECT_EQ(S("jello"), b);
    EXPECT_EQ(1, a.RefCount());
    EXPECT_EQ(1, b.RefCount());
    // An unshared buffer is changed in place.
    const CeChar* before = b.c_str();
    b.SetAt(1, 'a');
    EXPECT_EQ(before, b.c_str());
    b.SetAt(99, 'x');  // out of range: nothing
    EXPECT_EQ(S("jallo"), b);
}

TEST(CeString, BufferLayoutIsCountLengthTextTerminator) {
    CeString a = S("abcd");
    const int32_t* head = reinterpret_cast<const int32_t*>(a.c_str()) - 2;
    EXPECT_EQ(1, head[0]);
    EXPECT_EQ(4, head[1]);
    EXPECT_EQ(CeChar(0), a.c_str()[4]);
}

TEST(CeString, AppendingToItselfAndToASharedBuffer) {
    CeString a = S("ab");
    CeString keep = a;
    a += a;
    EXPECT_EQ(S("abab"), a);
    EXPECT_EQ(S("ab"), keep);
    a.Append(a.c_str() + 1, 2);  // a source inside the buffer being replaced
    EXPECT_EQ(S("ababba"), a);
    EXPECT_EQ(S("abab").Find(S("ba")), 1u);
    EXPECT_EQ(S("abab").Find(S("ba"), 2), CeString::npos);
    EXPECT_EQ(S("abab").Find(S("ababab")), CeString::npos);
    EXPECT_EQ(S("b"), S("abc").Mid(1, 1));
}

TEST(CeString, MovesAndSelfAssignmentKeepCountsRight) {
    CeString a = S("x");
    CeString b = a;
    CeString& alias = a;
    a = alias;
    EXPECT_EQ(2, b.RefCount());
    CeString c = std::move(a);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(2, c.RefCount());
    b = CeString();
    EXPECT_EQ(1, c.RefCount());
}

TEST(CeString, CountsStayExactAcrossThreads) {
    CeString shared = S("shared between threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) {
                CeString copy = shared;
                CeString again = copy;
                (void)again;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(1, shared.RefCount());
    EXPECT_EQ(S("shared between threads"), shared);
}
