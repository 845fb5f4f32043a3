#include "framework/large_blocks.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define LUMORA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define LUMORA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
constexpr size_t RedZone = 4096;  // after every block, so that a write past its end is caught
#else
#define LUMORA_POISON(p, n) ((void)(p), (void)(n))
#define LUMORA_UNPOISON(p, n) ((void)(p), (void)(n))
constexpr size_t RedZone = 0;
#endif

namespace {

constexpr size_t RegionSize = size_t(32) << 20;
constexpr size_t Granule = 4096;

size_t RoundUp(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

// One mapping. Blocks are taken from free spans first, best fit, then from the top; a freed
// block joins its free neighbours, and a free span reaching the top lowers it.
struct TRegion {
    size_t Size = 0;
    size_t Top = 0;  // everything from here up is free and outside the free spans
    size_t Touched = 0;  // everything from here up has not been written since it was mapped
    size_t Used = 0;  // bytes in blocks
    std::map<size_t, size_t> Free;  // free spans below Top: offset -> bytes
};

struct TArena {
    std::mutex Mutex;
    std::map<char*, TRegion> Regions;  // by base address
    std::map<char*, size_t> Blocks;  // block address -> bytes taken (with the red zone)
};

TArena& Arena() {
    static TArena* arena = new TArena;
    return *arena;
}

// The block of Size bytes taken from the smallest free span that holds it; null when none does.
char* TakeFreeSpan(TArena& A, size_t Size) {
    TRegion* best = nullptr;
    char* bestBase = nullptr;
    std::map<size_t, size_t>::iterator bestSpan;
    for (auto& [base, r] : A.Regions)
        for (auto span = r.Free.begin(); span != r.Free.end(); ++span)
            if (span->second >= Size && (!best || span->second < bestSpan->second)) {
                best = &r;
                bestBase = base;
                bestSpan = span;
            }
    if (!best) return nullptr;
    const size_t offset = bestSpan->first, rest = bestSpan->second - Size;
    best->Free.erase(bestSpan);
    if (rest > 0) best->Free.emplace(offset + Size, rest);
    best->Used += Size;
    return bestBase + offset;
}

// The block of Size bytes taken from the top of a region with room; Dirty tells how much of it
// was written before. Null when no region has room.
char* TakeTop(TArena& A, size_t Size, size_t& Dirty) {
    for (auto& [base, r] : A.Regions) {
        if (r.Size - r.Top < Size) continue;
        char* block = base + r.Top;
        Dirty = r.Touched > r.Top ? std::min(Size, r.Touched - r.Top) : 0;
        r.Top += Size;
        r.Touched = std::max(r.Touched, r.Top);
        r.Used += Size;
        return block;
    }
    return nullptr;
}

// The block of Size bytes at the start of a new region; null when it cannot be mapped.
char* TakeNewRegion(TArena& A, size_t Size) {
    const size_t regionSize = std::max(RegionSize, RoundUp(Size, LargePageSize));
    auto* base = static_cast<char*>(MapLargePages(regionSize));
    if (!base) return nullptr;
    LUMORA_POISON(base, regionSize);
    TRegion& r = A.Regions[base];
    r.Size = regionSize;
    r.Top = r.Touched = r.Used = Size;
    return base;
}

// A free span of the region from Offset on, joined with its free neighbours; a span that reaches
// the top lowers it, and the whole large pages above the new top go back to the system.
void ReturnSpan(TRegion& R, char* Base, size_t Offset, size_t Bytes) {
    auto next = R.Free.lower_bound(Offset);
    if (next != R.Free.end() && next->first == Offset + Bytes) {
        Bytes += next->second;
        next = R.Free.erase(next);
    }
    if (next != R.Free.begin()) {
        auto prev = std::prev(next);
        if (prev->first + prev->second == Offset) {
            Offset = prev->first;
            Bytes += prev->second;
            R.Free.erase(prev);
        }
    }
    if (Offset + Bytes < R.Top) {
        R.Free.emplace(Offset, Bytes);
        return;
    }
    R.Top = Offset;
    const size_t keep = RoundUp(R.Top, LargePageSize);
    if (R.Touched > keep) {
        madvise(Base + keep, R.Touched - keep, MADV_DONTNEED);
        R.Touched = keep;
    }
}

}  // namespace

void* MapLargePages(size_t Bytes) {
    // One large page more than asked, so that the block can start on a large page boundary.
    void* mapping = mmap(nullptr, Bytes + LargePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapping);
    const uintptr_t aligned = RoundUp(start, LargePageSize);
    if (aligned > start) munmap(mapping, aligned - start);
    if (const size_t tail = LargePageSize - (aligned - start); tail > 0)
        munmap(reinterpret_cast<void*>(aligned + Bytes), tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, Bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void* LargeBlockAlloc(size_t Bytes, bool Zero) {
    if (Bytes > SIZE_MAX / 2) return nullptr;  // no mapping can be that large
    const size_t size = RoundUp(std::max<size_t>(Bytes, 1), Granule) + RedZone;
    TArena& a = Arena();
    char* block = nullptr;
    size_t dirty = size;  // the leading bytes of the block that may hold old data
    {
        std::lock_guard<std::mutex> lock(a.Mutex);
        block = TakeFreeSpan(a, size);
        if (!block) block = TakeTop(a, size, dirty);
        if (!block) {
            block = TakeNewRegion(a, size);
            dirty = 0;
        }
        if (!block) return nullptr;
        a.Blocks[block] = size;
    }
    LUMORA_UNPOISON(block, Bytes);
    if (Zero && dirty > 0) std::memset(block, 0, std::min(dirty, Bytes));
    return block;
}

bool LargeBlockFree(void* Block) {
    TArena& a = Arena();
    std::lock_guard<std::mutex> lock(a.Mutex);
    auto found = a.Blocks.find(static_cast<char*>(Block));
    if (found == a.Blocks.end()) return false;
    char* block = found->first;
    const size_t size = found->second;
    a.Blocks.erase(found);
    auto region = std::prev(a.Regions.upper_bound(block));
    char* base = region->first;
    TRegion& r = region->second;
    r.Used -= size;
    LUMORA_POISON(block, size);
    if (r.Used == 0) {
        LUMORA_UNPOISON(base, r.Size);
        munmap(base, r.Size);
        a.Regions.erase(region);
        return true;
    }
    ReturnSpan(r, base, size_t(block - base), size);
    return true;
}

size_t LargeBlockMappedBytes() {
    TArena& a = Arena();
    std::lock_guard<std::mutex> lock(a.Mutex);
    size_t total = 0;
    for (const auto& [base, r] : a.Regions) total += r.Size;
    return total;
}
