#pragma once
// Timing of one piece of work from cold processor caches, for benchmarks that compare how the
// cost grows between two sizes rather than which size happens to fit a cache.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// Bytes to touch to evict earlier data: twice the last-level cache the system reports, at least
// 64 MiB and at most 256 MiB. Some hosts report hundreds of megabytes of last-level cache, and on
// such a host 64 MiB were seen to leave much of the data of a 10,000-node tree list in cache.
inline size_t FlushBytes() {
    const long reported = sysconf(_SC_LEVEL3_CACHE_SIZE);
    const size_t twice = reported > 0 ? 2 * size_t(reported) : 0;
    return std::clamp(twice, size_t(64) << 20, size_t(256) << 20);
}

// Evicts earlier data from the processor caches by touching a buffer larger than them.
inline void FlushCaches() {
    static std::vector<char> buffer(FlushBytes(), 1);
    volatile char sink = 0;
    for (size_t i = 0; i < buffer.size(); i += 64) {
        buffer[i] = char(buffer[i] + 1);
        sink = buffer[i];
    }
    (void)sink;
}

// Milliseconds Work takes, started with flushed caches.
inline double ColdMilliseconds(const std::function<void()>& Work) {
    FlushCaches();
    const auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench
