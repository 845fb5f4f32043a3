// Cost of many writes to one INI file: 10,000 WriteString calls followed by UpdateFile, against
// ten times the cost of 1,000 (a ratio near or below 1 means the cost grows linearly); and 10,000
// values written each by a TIniFile of its own (create, write, free, as the caches do) until they
// are on disk, against 1,000 values written so (target: a ratio of at most 12).

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/ini_file.h"
#include "framework/sysutils.h"

namespace {

double WriteMs(const std::string& folder, int count) {
    std::string file = folder + "/bench.ini";
    std::filesystem::remove(file);
    auto start = std::chrono::steady_clock::now();
    {
        TIniFile ini(file);
        for (int i = 0; i < count; ++i)
            ini.WriteString("Dimensions_Cache", "/home/user/Pictures/image" + IntToStr(i) + ".jpg",
                            "640x480x24bit");
        ini.UpdateFile();
    }
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double CreateWriteFreeMs(const std::string& folder, int count) {
    std::string file = folder + "/bench.ini";
    std::filesystem::remove(file);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        TIniFile ini(file);
        ini.WriteString("Dimensions_Cache", "/home/user/Pictures/image" + IntToStr(i) + ".jpg", "640x480x24bit");
    }
    UpdateIniFiles();
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

template <class F>
double BestOf(F run, const std::string& folder, int count, int runs) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) best = std::min(best, run(folder, count));
    return best;
}

}  // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-ini-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 1;
    BestOf(WriteMs, tmpl, 1000, 2);  // warm up
    double small = BestOf(WriteMs, tmpl, 1000, 7);
    double large = BestOf(WriteMs, tmpl, 10000, 5);
    double smallEach = BestOf(CreateWriteFreeMs, tmpl, 1000, 7);
    double largeEach = BestOf(CreateWriteFreeMs, tmpl, 10000, 5);
    std::filesystem::remove_all(tmpl);

    double peer = 10 * small;
    double ratio = large / peer;
    std::printf("ini_write_10000: ours %.2f ms, ten_times_ini_write_1000 %.2f ms, ratio %.2f\n", large, peer, ratio);
    std::printf("10,000 writes take %.2f times the cost of 1,000: growth is %s (target: below 10)\n", large / small,
                large / small < 10 ? "linear" : "faster than linear");
    double ratioEach = largeEach / smallEach;
    std::printf("ini_create_write_free_10000: ours %.2f ms, ini_create_write_free_1000 %.2f ms, ratio %.2f\n",
                largeEach, smallEach, ratioEach);
    std::printf("10,000 values written by an object each take %.2f times the cost of 1,000: target (at most 12) %s\n",
                ratioEach, ratioEach <= 12 ? "met" : "NOT met");
    return 0;
}
