// Copying files with CopyFileTo and the shell's folder copy against cp: one file of 1 GiB, and a
// folder of 10,000 files of 4 KiB. The work folder is the first argument (default: the
// temporary folder); the destinations are removed before every run, for ours and for cp alike.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "framework/file_utils.h"
#include "platform/file_copy.h"
#include "platform/shell_file_ops.h"

namespace {

void WriteFile(const std::string& Name, size_t Size, unsigned Seed) {
    std::vector<char> block(1 << 20);
    std::ofstream out(Name, std::ios::binary);
    for (size_t done = 0; done < Size;) {
        for (size_t i = 0; i < block.size(); ++i) block[i] = char((i * 2654435761u + Seed + done) >> 13);
        size_t n = std::min(block.size(), Size - done);
        out.write(block.data(), std::streamsize(n));
        done += n;
    }
}

void Remove(const std::string& Path) {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
}

// Best of three: Prepare runs untimed before each timed Work.
double Timed(const std::function<void()>& Prepare, const std::function<void()>& Work) {
    double best = 1e300;
    for (int r = 0; r < 3; ++r) {
        Prepare();
        best = std::min(best, bench::Best(1, Work));
    }
    return best;
}

double TimedCommand(const std::function<void()>& Prepare, const std::string& Command) {
    return Timed(Prepare, [&] {
        if (std::system(Command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", Command.c_str());
    });
}

void Verdict(const char* What, double Ratio, double Target) {
    std::printf("%s within %.1f times cp: %s\n", What, Target, Ratio <= Target ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
    std::string base = argc > 1 ? IncludeTrailingPathDelimiter(argv[1]) : GetTempPath();
    std::string work = base + "lumora-file-copy-bench/";
    Remove(work);
    std::filesystem::create_directories(work + "tree");

    const std::string big = work + "big.bin", bigOurs = work + "big-ours.bin", bigPeer = work + "big-cp.bin";
    WriteFile(big, size_t(1) << 30, 7);
    // The source is read once first, so both copies start from the same cache.
    std::system(("cat '" + big + "' > /dev/null").c_str());
    double ours = Timed([&] { Remove(bigOurs); }, [&] { CopyFileTo(big, bigOurs); });
    double peer = TimedCommand([&] { Remove(bigPeer); }, "cp '" + big + "' '" + bigPeer + "'");
    bench::Report("copy 1 GiB", ours, "cp", peer);
    Verdict("copy 1 GiB", ours / peer, 1.5);
    Remove(big);
    Remove(bigOurs);
    Remove(bigPeer);

    for (int i = 0; i < 10000; ++i) {
        std::string folder = work + "tree/d" + std::to_string(i / 500) + "/";
        if (i % 500 == 0) std::filesystem::create_directories(folder);
        WriteFile(folder + "f" + std::to_string(i) + ".dat", 4096, unsigned(i));
    }
    const std::string treeOurs = work + "tree-ours", treePeer = work + "tree-cp";
    ours =
        Timed([&] { Remove(treeOurs); }, [&] { ShellCopyFiles(nullptr, {work + "tree"}, {treeOurs}, false, false); });
    peer = TimedCommand([&] { Remove(treePeer); }, "cp -r '" + work + "tree' '" + treePeer + "'");
    bench::Report("copy 10,000 files of 4 KiB", ours, "cp -r", peer);
    Verdict("copy 10,000 files of 4 KiB", ours / peer, 2.0);
    Remove(work);
    return 0;
}
