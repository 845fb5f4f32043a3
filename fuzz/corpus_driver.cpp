// Runs a fuzz target over files: each argument is a file, or a folder whose files are all run.
// Used where libFuzzer is not available, so the targets build everywhere and seed corpora are
// replayed by the tests.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (!entry.is_regular_file()) continue;
                failures += RunFile(entry.path());
                ++runs;
            }
        } else if (std::filesystem::exists(arg)) {
            failures += RunFile(arg);
            ++runs;
        }
    }
    // An empty input still exercises the target once.
    if (runs == 0) LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs\n", runs);
    return failures == 0 ? 0 : 1;
}
