#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "framework/dynlib.h"
#include "framework/graphics.h"
#include "framework/large_blocks.h"

namespace {

constexpr size_t MiB = size_t(1) << 20;

bool Filled(const void* Block, size_t Bytes, unsigned char Value) {
    const auto* p = static_cast<const unsigned char*>(Block);
    return std::all_of(p, p + Bytes, [&](unsigned char b) { return b == Value; });
}

}  // namespace

// Blocks of a picture's size keep their contents while others come and go in any order, freed
// space is reused, and the memory goes back to the system when the last block is freed.
TEST(LargeBlocks, KeepContentsReuseSpaceAndReturnMemory) {
    const size_t before = LargeBlockMappedBytes();
    // One block larger than a mapping's usual size, and smaller ones of sizes that are not
    // multiples of a page.
    auto* huge = static_cast<unsigned char*>(LargeBlockAlloc(40 * MiB, false));
    ASSERT_NE(huge, nullptr);
    std::memset(huge, 0x5A, 40 * MiB);
    const std::vector<size_t> sizes = {921654, LargeBlockMinimum, 3 * MiB + 17, 700001};
    std::vector<unsigned char*> blocks;
    for (int round = 0; round < 12; ++round)
        for (size_t i = 0; i < sizes.size(); ++i) {
            auto* p = static_cast<unsigned char*>(LargeBlockAlloc(sizes[i], false));
            ASSERT_NE(p, nullptr);
            std::memset(p, int(blocks.size() % 251), sizes[i]);
            blocks.push_back(p);
        }
    const size_t peak = LargeBlockMappedBytes();
    EXPECT_GT(peak, before);
    // Every other block is freed, then as many are taken again: they fit into the holes.
    for (size_t k = 0; k < blocks.size(); k += 2) {
        EXPECT_TRUE(LargeBlockFree(blocks[k]));
        blocks[k] = nullptr;
    }
    for (size_t k = 0; k < blocks.size(); k += 2) {
        blocks[k] = static_cast<unsigned char*>(LargeBlockAlloc(sizes[k % sizes.size()], true));
        ASSERT_NE(blocks[k], nullptr);
        EXPECT_TRUE(Filled(blocks[k], sizes[k % sizes.size()], 0)) << k;  // cleared although reused
        std::memset(blocks[k], int(k % 251), sizes[k % sizes.size()]);
    }
    EXPECT_EQ(LargeBlockMappedBytes(), peak);
    for (size_t k = 0; k < blocks.size(); ++k) EXPECT_TRUE(Filled(blocks[k], sizes[k % sizes.size()], k % 251)) << k;
    // Freed from the middle out, so that spans join on both sides.
    for (size_t k = blocks.size() / 2, j = k + 1; k > 0 || j < blocks.size();) {
        if (k > 0) {
            EXPECT_TRUE(LargeBlockFree(blocks[--k]));
        }
        if (j < blocks.size()) {
            EXPECT_TRUE(LargeBlockFree(blocks[j++]));
        }
    }
    EXPECT_TRUE(LargeBlockFree(blocks[blocks.size() / 2]));
    EXPECT_TRUE(Filled(huge, 40 * MiB, 0x5A));
    EXPECT_TRUE(LargeBlockFree(huge));
    EXPECT_EQ(LargeBlockMappedBytes(), before);
}

TEST(LargeBlocks, ForeignAndFreedAddressesAreRefused) {
    int local = 0;
    EXPECT_FALSE(LargeBlockFree(&local));
    EXPECT_FALSE(LargeBlockFree(nullptr));
    auto* keep = static_cast<char*>(LargeBlockAlloc(MiB, false));
    auto* p = static_cast<char*>(LargeBlockAlloc(MiB, false));
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(LargeBlockFree(p + 4096));  // inside a block, not its start
    EXPECT_TRUE(LargeBlockFree(p));
    EXPECT_FALSE(LargeBlockFree(p));  // a second free
    EXPECT_TRUE(LargeBlockFree(keep));
}

TEST(LargeBlocks, ThreadsAllocateAndFreeAtOnce) {
    std::vector<std::thread> threads;
    int ok[4] = {1, 1, 1, 1};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &ok] {
            std::vector<unsigned char*> mine;
            for (int i = 0; i < 40; ++i) {
                auto* p = static_cast<unsigned char*>(LargeBlockAlloc(LargeBlockMinimum + size_t(i) * 4099, true));
                if (!p || !Filled(p, LargeBlockMinimum, 0)) ok[t] = 0;
                if (!p) continue;
                std::memset(p, t + 1, LargeBlockMinimum);
                mine.push_back(p);
                if (i % 3 == 0) {
                    LargeBlockFree(mine.front());
                    mine.erase(mine.begin());
                }
            }
            for (unsigned char* p : mine) {
                if (!Filled(p, LargeBlockMinimum, static_cast<unsigned char>(t + 1))) ok[t] = 0;
                LargeBlockFree(p);
            }
        });
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < 4; ++t) EXPECT_TRUE(ok[t]) << t;
}

#if defined(__SANITIZE_ADDRESS__)
TEST(LargeBlocksDeathTest, WritesPastTheEndAndAfterFreeAreCaught) {
    auto* p = static_cast<volatile char*>(LargeBlockAlloc(921654, false));
    ASSERT_NE(p, nullptr);
    EXPECT_DEATH(p[921654] = 1, "AddressSanitizer");
    auto* keep = LargeBlockAlloc(MiB, false);
    LargeBlockFree(const_cast<char*>(p));
    EXPECT_DEATH(p[10] = 1, "AddressSanitizer");
    LargeBlockFree(keep);
}
#endif

// Global memory blocks move between the allocators as they grow past the large-block size and
// shrink below it, keeping their contents, handles and zeroed tails.
TEST(GlobalMemory, BlocksCrossTheLargeBlockSize) {
    const size_t large = LargeBlockMinimum + 1000;
    HGLOBAL h = GlobalAlloc(GHND, 100);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    std::memset(p, 7, 100);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, large, GMEM_ZEROINIT | GMEM_MOVEABLE), h);
    p = static_cast<unsigned char*>(GlobalLock(h));
    EXPECT_TRUE(Filled(p, 100, 7));
    EXPECT_TRUE(Filled(p + 100, large - 100, 0));
    EXPECT_EQ(GlobalHandle(p), h);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 50, 0), h);
    p = static_cast<unsigned char*>(GlobalLock(h));
    EXPECT_TRUE(Filled(p, 50, 7));
    EXPECT_EQ(GlobalSize(h), 50u);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);

    // A fixed large block is cleared when asked, and its handle follows it when it moves.
    HGLOBAL f = GlobalAlloc(GPTR, large);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Filled(f, large, 0));
    std::memset(f, 3, large);
    HGLOBAL moved = GlobalReAlloc(f, 2 * large, GMEM_ZEROINIT);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalHandle(moved), moved);
    EXPECT_TRUE(Filled(moved, large, 3));
    EXPECT_TRUE(Filled(static_cast<char*>(moved) + large, large, 0));
    EXPECT_EQ(GlobalFree(moved), nullptr);
}

// Containers with the large-block allocator: a picture's pixel block comes from the large blocks
// (and goes back with the bitmap), keeps its pixels when the bitmap grows, and small blocks stay
// with the heap.
TEST(LargeBlocks, PictureSizedBitmapsTakeThemAndGiveThemBack) {
    const size_t before = LargeBlockMappedBytes();
    {
        std::vector<unsigned char, TLargeBlockAllocator<unsigned char>> small(LargeBlockMinimum - 1, 7);
        EXPECT_EQ(LargeBlockMappedBytes(), before);
        TBitmap big;
        big.SetSize(4000, 3000);
        EXPECT_GE(LargeBlockMappedBytes(), before + 36 * 1000 * 1000);
        std::memset(big.ScanLine(2999), 0x3C, 12000);
        big.SetSize(4001, 3000);
        EXPECT_TRUE(Filled(big.ScanLine(2999), 12000, 0x3C));
        TBitmap copy;
        copy.Assign(&big);
        EXPECT_TRUE(Filled(copy.ScanLine(2999), 12000, 0x3C));
        EXPECT_TRUE(Filled(small.data(), small.size(), 7));
    }
    EXPECT_EQ(LargeBlockMappedBytes(), before);
}
