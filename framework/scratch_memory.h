#pragma once
// Working memory for one large passing piece of work, such as sorting many nodes: one block taken
// from the system and handed out front to back, all of it given back when the work is done.
//
// Fresh memory costs a page fault the first time each page is touched, and for a few megabytes of
// keys that sort in milliseconds the faults of 4 KiB pages take a large share of the time. The
// block is therefore mapped on 2 MiB boundaries with the advice to back it with large pages; only
// the pages touched are ever given memory, so the block may be reserved generously. When the work
// is done the block is kept for the next piece of work on the same thread that fits in it, with the
// pages of its first 32 MiB (the system may take back those beyond), as the heap keeps small blocks. What does not fit in
// the block, and all of a request too small to gain from large pages, comes from the heap.

#include <cstddef>
#include <memory_resource>
#include <optional>

#include "framework/large_blocks.h"

class TScratchMemory {
public:
    // Room for Bytes in one block (the heap alone for less than a large page).
    explicit TScratchMemory(size_t Bytes);
    ~TScratchMemory();
    TScratchMemory(const TScratchMemory&) = delete;
    TScratchMemory& operator=(const TScratchMemory&) = delete;

    // Hands out memory front to back from the block, given back with the object; without a block,
    // the heap.
    std::pmr::memory_resource* Resource() { return FArena ? &*FArena : std::pmr::new_delete_resource(); }
    // True when the block was mapped (false for a small request or when the system refused).
    bool Mapped() const { return FBlock != nullptr; }

    static constexpr size_t LargePage = LargePageSize;

private:
    void* FBlock = nullptr;
    size_t FSize = 0;
    std::optional<std::pmr::monotonic_buffer_resource> FArena;
};
