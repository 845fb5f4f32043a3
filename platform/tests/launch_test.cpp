#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/launch.h"
#include "platform/tests/file_fixture.h"
#include "platform/tests/scoped_env.h"

namespace {

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    struct Case {
        const char* Line;
        std::vector<std::string> Args;
    } cases[] = {
        {"", {}},
        {"  a b\t c  ", {"a", "b", "c"}},
        {"\"two words\" x", {"two words", "x"}},
        {"\"$(x)\" \";\" \"*\" `y`", {"$(x)", ";", "*", "`y`"}},
        {"\\\"q\\\"", {"\"q\""}},
        {"a\\b c\\\\d", {"a\\b", "c\\\\d"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"\" x", {"", "x"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"mid\"dle q\"uote", {"middle quote"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.Line), c.Args) << c.Line;
}

// Stubs on PATH that write down how they were started: the folder, then every argument, then
// what their open descriptors point to.
class LaunchTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        bin_ = dir_ + "bin/";
        std::filesystem::create_directories(bin_);
        record_ = dir_ + "record";
        Stub(bin_ + "xdg-open");
        Stub(bin_ + "lumora-stub-prog");
        path_ = std::make_unique<ScopedEnv>("PATH", dir_ + "bin:/usr/bin:/bin");
        recordEnv_ = std::make_unique<ScopedEnv>("LUMORA_RECORD", record_);
    }
    void TearDown() override {
        path_.reset();
        recordEnv_.reset();
        FileTest::TearDown();
    }
    void Stub(const std::string& Path) {
        Make(Path,
             "#!/bin/sh\n"
             "{ echo \"$0\"; pwd; for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; echo fds;"
             " for f in /proc/$$/fd/*; do readlink \"$f\"; done; } > \"$LUMORA_RECORD.tmp\"\n"
             "mv \"$LUMORA_RECORD.tmp\" \"$LUMORA_RECORD\"\n");
        chmod(Path.c_str(), 0755);
    }
    // The record of the one start, once it is there.
    std::vector<std::string> Recorded() {
        for (int i = 0; i < 500 && !Exists(record_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::vector<std::string> lines;
        std::istringstream in(Read(record_));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::remove(record_.c_str());
        return lines;
    }
    // The lines between the folder and "fds".
    static std::vector<std::string> Args(const std::vector<std::string>& Lines) {
        std::vector<std::string> args;
        for (size_t i = 2; i < Lines.size() && Lines[i] != "fds"; ++i) args.push_back(Lines[i]);
        return args;
    }
    std::string bin_, record_;
    std::unique_ptr<ScopedEnv> path_, recordEnv_;
};

TEST_F(LaunchTest, AProgramGetsItsArgumentsExactlyAndNothingElse) {
    std::filesystem::create_directories(dir_ + "work");
    // A descriptor of ours that a careless start would hand on.
    int leak = open((dir_ + "marker").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(leak, 0);
    Integer result =
        ShellExecute(nullptr, "open", bin_ + "lumora-stub-prog",
                     "plain \"two words\" \"$(touch pwned)\" \";\" \"*\" \\\"q\\\" \"\"", dir_ + "work", SW_SHOWNORMAL);
    close(leak);
    EXPECT_GT(result, 32);
    std::vector<std::string> lines = Recorded();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], bin_ + "lumora-stub-prog");
    EXPECT_EQ(lines[1], dir_ + "work");
    EXPECT_EQ(Args(lines),
              (std::vector<std::string>{"<plain>", "<two words>", "<$(touch pwned)>", "<;>", "<*>", "<\"q\">", "<>"}));
    for (const std::string& line : lines) EXPECT_EQ(line.find("marker"), std::string::npos) << line;
    EXPECT_FALSE(Exists(dir_ + "work/pwned"));
    // The starter was waited for: no child of ours is left, running or dead.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    // A bare name is looked up on PATH.
    EXPECT_GT(ShellExecuteFile("lumora-stub-prog", "x", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(Args(Recorded()), std::vector<std::string>{"<x>"});
}

TEST_F(LaunchTest, DocumentsAndUrlsGoToTheOpenerWhole) {
    Make(dir_ + "holiday $(x) ;*.jpg", "jpeg");
    // An executable bit alone (as on some media) does not make a program.
    Make(dir_ + "notes.txt", "just text");
    Make(dir_ + "ab:cd.jpg", "jpeg");
    chmod((dir_ + "notes.txt").c_str(), 0755);
    struct Case {
        std::string File, Directory, Expected;
    } cases[] = {
        {"holiday $(x) ;*.jpg", dir_, dir_ + "holiday $(x) ;*.jpg"},
        {dir_ + "notes.txt", "", dir_ + "notes.txt"},
        {dir_ + "bin/../notes.txt", "", dir_ + "notes.txt"},
        {dir_, "", dir_},
        {"ab:cd.jpg", dir_, dir_ + "ab:cd.jpg"},  // a file, though it looks like a URL
        {"https://example.org/a b?c=1&d=';'", "", "https://example.org/a b?c=1&d=';'"},
    };
    for (const Case& c : cases) {
        EXPECT_GT(ShellExecute(nullptr, "", c.File, "ignored words", c.Directory, SW_SHOWNORMAL), 32) << c.File;
        std::vector<std::string> lines = Recorded();
        ASSERT_FALSE(lines.empty()) << c.File;
        EXPECT_EQ(lines[0], bin_ + "xdg-open");
        EXPECT_EQ(Args(lines), std::vector<std::string>{"<" + c.Expected + ">"}) << c.File;
    }
}

TEST_F(LaunchTest, FailuresAnswerErrorCodes) {
    Make(dir_ + "doc.txt", "text");
    EXPECT_EQ(ShellExecute(nullptr, "open", dir_ + "missing", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(nullptr, "open", "no-such-program-anywhere", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(nullptr, "open", dir_ + "doc.txt", "", dir_ + "gone", SW_SHOWNORMAL), SE_ERR_PNF);
    EXPECT_EQ(ShellExecute(nullptr, "print", dir_ + "doc.txt", "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    // Without an opener nothing can open a document.
    ScopedEnv path("PATH", dir_ + "empty");
    EXPECT_EQ(ShellExecute(nullptr, "open", dir_ + "doc.txt", "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    EXPECT_FALSE(Exists(record_));
}

}  // namespace
