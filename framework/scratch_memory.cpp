// The working memory block of a passing piece of work, mapped with the advice of large pages.

#include "framework/scratch_memory.h"

#include "framework/large_blocks.h"

#include <sys/mman.h>

#include <utility>

namespace {

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
        FBlock = MapLargePages(FSize);
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
