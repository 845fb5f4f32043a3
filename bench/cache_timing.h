#pragma once
// Timing of one piece of work from cold processor caches, for benchmarks that compare how the
// cost grows between two sizes rather than which size happens to fit a cache.

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// Evicts earlier data from the processor caches by touching a buffer larger than them.
inline void FlushCaches() {
    static std::vector<char> buffer(64 << 20, 1);
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
