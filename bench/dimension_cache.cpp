// The image-dimension cache over a session: N files each get their dimension text added and read
// back, and an older entry read from the file, with the cache freed (its file written) at the
// end. 100,000 files against 10,000: a ratio near 10 means the cost grows linearly (target: at
// most 12).

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/peer_timing.h"
#include "catalogue/cached_double_string_list.h"
#include "catalogue/lm_types.h"
#include "framework/sysutils.h"

namespace {

volatile size_t g_sink = 0;

void Session(const std::string& Folder, int Count) {
    std::filesystem::remove(Folder + "/~ImgeDim.che");
    TCachedDoubleStringList cache(nullptr);
    cache.SetCacheDirectory(Folder);
    for (int i = 0; i < Count; ++i) {
        const std::string key = MakeCacheKey("/home/user/Pictures/image" + IntToStr(i) + ".jpg", 45000 + i * 0.001);
        cache.AddValue(key, IntToStr(640 + i % 100) + "x480x24bit");
        g_sink = g_sink + cache.GetValue(key).size();
        if (i % 4 == 0) {
            const int older = i / 2;
            g_sink = g_sink + cache.GetValue(MakeCacheKey("/home/user/Pictures/image" + IntToStr(older) + ".jpg",
                                                          45000 + older * 0.001)).size();
        }
    }
}

}  // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "lumora-dimcache-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    Session(folder, 2000);  // warm up
    const double small = bench::Best(5, [&] { Session(folder, 10000); });
    const double large = bench::Best(3, [&] { Session(folder, 100000); });
    std::filesystem::remove_all(folder);

    bench::Report("dimension_cache_100000", large, "dimension_cache_10000", small);
    std::printf("100,000 additions and lookups take %.2f times the cost of 10,000: target at most 12 %s\n",
                large / small, large / small <= 12 ? "met" : "NOT met");
    return 0;
}
