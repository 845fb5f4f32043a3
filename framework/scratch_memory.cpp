// The working memory block of a passing piece of work, mapped with the advice of large pages.

#include "framework/scratch_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace {

// A block of Bytes (a multiple of LargePage) starting on a large page, or null.
void* MapBlock(size_t Bytes) {
    constexpr size_t page = TScratchMemory::LargePage;
    // One large page more than asked, so that the block can start on a large page boundary.
    void* mapping = mmap(nullptr, Bytes + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapping);
    const uintptr_t aligned = (start + page - 1) & ~uintptr_t(page - 1);
    if (aligned > start) munmap(mapping, aligned - start);
    if (const size_t tail = page - (aligned - start); tail > 0) munmap(reinterpret_cast<void*>(aligned + Bytes), tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    // Only advice: without large pages the block still works with small ones.
    madvise(block, Bytes, MADV_HUGEPAGE);
#endif
    return block;
}

// The block of the last piece of work, kept for the next one on this thread, so that the next sort
// of a long list does not take and clear fresh memory again. The pages of its first KeptBytes stay
// with the program: handing them to the system and back costs a sort of 100,000 nodes more time
// than it spends on them (about a millisecond). The system may take back the pages beyond.
constexpr size_t KeptBytes = size_t(32) << 20;
struct TSpareBlock {
    void* Block = nullptr;
    size_t Size = 0;
    ~TSpareBlock() {
        if (Block) munmap(Block, Size);
    }
};
thread_local TSpareBlock Spare;

size_t BlockSize(size_t Bytes) {
    constexpr size_t page = TScratchMemory::LargePage;
    return Bytes < page ? 0 : (Bytes + page - 1) / page * page;
}

}  // namespace

TScratchMemory::TScratchMemory(size_t Bytes) : FSize(BlockSize(Bytes)) {
    if (FSize && Spare.Block && Spare.Size >= FSize) {
        FBlock = std::exchange(Spare.Block, nullptr);
        FSize = Spare.Size;
    } else if (FSize) {
        FBlock = MapBlock(FSize);
    }
    if (FBlock)
        FArena.emplace(FBlock, FSize, std::pmr::new_delete_resource());
    else
        FSize = 0;
}

TScratchMemory::~TScratchMemory() {
    FArena.reset();
    if (!FBlock) return;
    // The larger of this block and the one kept is kept; the system may take back its pages while
    // it waits.
    if (Spare.Block && Spare.Size >= FSize) {
        munmap(FBlock, FSize);
        return;
    }
    if (Spare.Block) munmap(Spare.Block, Spare.Size);
#ifdef MADV_FREE
    if (FSize > KeptBytes) madvise(static_cast<char*>(FBlock) + KeptBytes, FSize - KeptBytes, MADV_FREE);
#endif
    Spare.Block = FBlock;
    Spare.Size = FSize;
}
