// The working memory of a passing piece of work: a large request is one mapped block handed out
// front to back, with the heap behind it once the block is used up, and kept for the next request
// it can hold; a small one is the heap.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "framework/scratch_memory.h"

TEST(ScratchMemoryTest, ALargeBlockHandsOutAlignedPiecesThenTheHeap) {
    constexpr size_t block = 2 * TScratchMemory::LargePage;
    TScratchMemory memory(block - 100);  // rounded up to whole large pages
    ASSERT_TRUE(memory.Mapped());
    std::pmr::memory_resource* resource = memory.Resource();
    auto* first = static_cast<char*>(resource->allocate(3, 1));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % TScratchMemory::LargePage, 0u);
    auto* aligned = static_cast<char*>(resource->allocate(block / 2, 64));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 64, 0u);
    EXPECT_GE(aligned, first + 3);
    EXPECT_LE(aligned + block / 2, first + block);
    std::memset(aligned, 0x5A, block / 2);
    // More than the block has left: the heap, still usable and never overlapping the block.
    auto* beyond = static_cast<char*>(resource->allocate(block, 16));
    EXPECT_TRUE(beyond + block <= first || beyond >= first + block);
    std::memset(beyond, 0xA5, block);
    EXPECT_EQ(aligned[block / 2 - 1], 0x5A);
    resource->deallocate(beyond, block, 16);
    resource->deallocate(aligned, block / 2, 64);
    resource->deallocate(first, 3, 1);
}

TEST(ScratchMemoryTest, TheBlockServesTheNextRequestItCanHold) {
    constexpr size_t block = 3 * TScratchMemory::LargePage;
    void* first = nullptr;
    {
        TScratchMemory memory(block);
        first = memory.Resource()->allocate(block, 64);
        std::memset(first, 1, block);
    }
    {
        TScratchMemory memory(block - TScratchMemory::LargePage);
        void* again = memory.Resource()->allocate(16, 16);
        EXPECT_EQ(again, first);
        // A second piece of work at the same time gets a block of its own.
        TScratchMemory inner(block);
        EXPECT_NE(inner.Resource()->allocate(16, 16), again);
    }
}

TEST(ScratchMemoryTest, ASmallRequestUsesTheHeap) {
    for (size_t bytes : {size_t(0), size_t(1000), TScratchMemory::LargePage - 1}) {
        TScratchMemory memory(bytes);
        EXPECT_FALSE(memory.Mapped()) << bytes;
        EXPECT_EQ(memory.Resource(), std::pmr::new_delete_resource()) << bytes;
    }
}
