// The size-class allocator behind operator new in device programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

TEST(Heap, BlocksAreAlignedDistinctAndKeepTheirContents) {
    std::vector<std::unique_ptr<char[]>> blocks;
    for (size_t n : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(17), size_t(1023), size_t(1024),
                     size_t(1025), size_t(70000), size_t(3)}) {
        char* p = new char[n ? n : 1];
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % 16) << n;
        memset(p, int(n & 0xFF), n);
        blocks.emplace_back(p);
    }
    size_t sizes[] = {0, 1, 15, 16, 17, 1023, 1024, 1025, 70000, 3};
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t k = 0; k < sizes[i]; ++k) ASSERT_EQ(char(sizes[i] & 0xFF), blocks[i][k]);
}

TEST(Heap, FreedBlocksAreReused) {
    void* a = ::operator new(40);
    ::operator delete(a);
    void* b = ::operator new(40);  // same class: the block just freed
    EXPECT_EQ(a, b);
    ::operator delete(b);
    void* nothrow = ::operator new(24, std::nothrow);
    EXPECT_NE(nullptr, nothrow);
    ::operator delete(nothrow, std::nothrow);
}

TEST(Heap, ThreadsAllocateAndFreeAtOnce) {
    auto work = [](int seed) {
        std::vector<std::string> kept;
        for (int i = 0; i < 20000; ++i) {
            kept.emplace_back(size_t(8 + (i * seed) % 300), char('a' + seed));
            if (kept.size() > 500) kept.erase(kept.begin(), kept.begin() + 250);
        }
        for (const std::string& s : kept)
            for (char c : s) ASSERT_EQ(char('a' + seed), c);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t <= 4; ++t) threads.emplace_back(work, t);
    for (std::thread& t : threads) t.join();
}
