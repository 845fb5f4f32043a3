// Entry point of every test program. Each run gets its own temporary home for the registry
// store and the XDG folders, so tests never touch the user's settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "framework/file_utils.h"
#include "framework/sysutils.h"

namespace {

class ScratchEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-test-XXXXXX").string();
        if (char* dir = mkdtemp(tmpl.data())) {
            root_ = dir;
            setenv("LUMORA_REGISTRY_DIR", (root_ / "registry").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
            setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
            setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
            // Print jobs that go to PDF files land here, never in the user's documents.
            setenv("LUMORA_PRINT_DIR", (root_ / "print").c_str(), 1);
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("LUMORA_TEST_SOURCE_DIR", LUMORA_SOURCE_DIR, 0);
    }
    void TearDown() override {
        std::error_code ec;
        if (!root_.empty()) std::filesystem::remove_all(root_, ec);
    }

private:
    std::filesystem::path root_;
};

}  // namespace

// The sanitizers' settings of every test program, whatever the environment it runs in (CTest
// passes only the first entry of a test's environment list through test discovery): leaks inside
// system libraries are suppressed, undefined behaviour prints its stack.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" LUMORA_SOURCE_DIR "/.ci/lsan.supp";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}
// Under ThreadSanitizer (LUMORA_TSAN): what Qt's uninstrumented libraries do is left out; a longer
// history names calls posted through Qt's event queue by their posting stack.
extern "C" const char* __tsan_default_options() {
    return "suppressions=" LUMORA_SOURCE_DIR "/.ci/tsan.supp:history_size=7";
}

int main(int argc, char** argv) {
    SetCommandLine(argc, argv);
    // Texts sort the same on every machine, whatever locales it has.
    SetCollationLocale("C");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ScratchEnvironment);
    return RUN_ALL_TESTS();
}
