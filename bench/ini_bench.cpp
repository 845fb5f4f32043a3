// Cost of many writes to one INI file: 10,000 WriteString calls followed by UpdateFile, against
// ten times the cost of 1,000. A ratio near or below 1 means the cost grows linearly.

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

double BestOf(const std::string& folder, int count, int runs) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) best = std::min(best, WriteMs(folder, count));
    return best;
}

}  // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-ini-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 1;
    BestOf(tmpl, 1000, 2);  // warm up
    double small = BestOf(tmpl, 1000, 7);
    double large = BestOf(tmpl, 10000, 5);
    std::filesystem::remove_all(tmpl);

    double peer = 10 * small;
    double ratio = large / peer;
    std::printf("ini_write_10000: ours %.2f ms, ten_times_ini_write_1000 %.2f ms, ratio %.2f\n", large, peer, ratio);
    std::printf("10,000 writes take %.2f times the cost of 1,000: growth is %s (target: below 10)\n", large / small,
                large / small < 10 ? "linear" : "faster than linear");
    return 0;
}
