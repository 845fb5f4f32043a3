// The copied bytes as another program reads them: this test program runs itself again under a
// virtual X server on the xcb platform, where a tree list copies a selection with Ctrl+C and
// xclip reads the clipboard while the copy's owner keeps running. Skipped without xvfb-run and
// xclip (Debian packages xvfb and xclip).

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tree_list_input_fixture.h"

namespace {

bool Have(const char* Tool) {
    return std::system((std::string("command -v ") + Tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadAll(FILE* F) {
    std::string s;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, F)) > 0) s.append(buffer, n);
    return s;
}

const char* const Expected = "Name\tSize\t\r\r\nA\t1\t\r\nB\t\t\r\n";

}  // namespace

// Runs inside the virtual X server only (started by the test below).
TEST_F(InputFixture, ClipboardOracleChild) {
    if (!std::getenv("LUMORA_CLIPBOARD_ORACLE")) GTEST_SKIP() << "runs under the oracle below";
    AddColumns({"Name", "Size"});
    Build("A,B,C");
    list->SetNodeString(N("A"), 1, "1");
    Options({aoMultiSelect});
    list->SetNodeSelected(N("B"), true);
    list->SetNodeSelected(N("A"), true);
    uitest::PressKey(list, 'C', {ssCtrl});
    std::atomic<bool> done{false};
    std::string read;
    std::thread reader([&] {
        if (FILE* f = popen("xclip -o -selection clipboard", "r")) {
            read = ReadAll(f);
            pclose(f);
        }
        done = true;
    });
    // The clipboard's owner answers xclip from its event loop.
    uitest::WaitUntil([&] { return done.load(); }, 10000);
    reader.join();
    EXPECT_EQ(read, Expected);
}

TEST(ClipboardOracle, XclipReadsTheCopiedBytes) {
    if (std::getenv("LUMORA_CLIPBOARD_ORACLE")) GTEST_SKIP();
    if (!Have("xvfb-run") || !Have("xclip")) GTEST_SKIP() << "xvfb-run or xclip missing";
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    const std::string command = std::string("LUMORA_CLIPBOARD_ORACLE=1 QT_QPA_PLATFORM=xcb xvfb-run -a '") + self +
                                "' --gtest_filter=InputFixture.ClipboardOracleChild 2>&1";
    FILE* f = popen(command.c_str(), "r");
    ASSERT_NE(f, nullptr);
    const std::string output = ReadAll(f);
    const int status = pclose(f);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}
