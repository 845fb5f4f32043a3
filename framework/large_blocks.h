#pragma once
// Large memory blocks (the pixel blocks of images and video frames, a megabyte each) carved from a
// few big mappings with the advice of large pages: a fresh block costs one page fault per 2 MiB
// instead of one per 4 KiB, and a freed block is reused by the next one. A mapping whose blocks
// are all freed goes back to the system at once, so memory follows what is held.
// Thread-safe.

#include <cstddef>
#include <cstdint>
#include <memory>

constexpr size_t LargePageSize = size_t(2) << 20;

// A mapping of Bytes (a multiple of LargePageSize) starting on a large page, with the advice to
// back it with large pages (without them it still works with small ones); null on failure.
void* MapLargePages(size_t Bytes);

// Blocks smaller than this belong to the ordinary allocator.
constexpr size_t LargeBlockMinimum = size_t(256) * 1024;

// A block of Bytes (at least LargeBlockMinimum), cleared when Zero; null when no memory can be
// mapped.
void* LargeBlockAlloc(size_t Bytes, bool Zero);
// Frees a block LargeBlockAlloc gave; false (and nothing done) for any other address.
bool LargeBlockFree(void* Block);
// The bytes of address space the large blocks hold now, used or free.
size_t LargeBlockMappedBytes();

// An allocator for containers that may grow large (pixel blocks): a request of LargeBlockMinimum
// bytes or more comes from the large blocks, anything smaller (or refused there) from the heap.
template <class T>
struct TLargeBlockAllocator {
    using value_type = T;
    TLargeBlockAllocator() = default;
    template <class U>
    TLargeBlockAllocator(const TLargeBlockAllocator<U>&) {}

    T* allocate(size_t N) {
        if (N >= LargeBlockMinimum / sizeof(T) && N <= SIZE_MAX / sizeof(T))
            if (void* block = LargeBlockAlloc(N * sizeof(T), false)) return static_cast<T*>(block);
        return std::allocator<T>().allocate(N);
    }
    void deallocate(T* Block, size_t N) {
        if (N >= LargeBlockMinimum / sizeof(T) && LargeBlockFree(Block)) return;
        std::allocator<T>().deallocate(Block, N);
    }
    template <class U>
    bool operator==(const TLargeBlockAllocator<U>&) const {
        return true;
    }
};
