#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "components/file_notify.h"
#include "framework/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FileNotifyTest : public ScratchFolderTest {
protected:
    void TearDown() override {
        if (notify_) notify_->Free();
        if (owner_) owner_->Free();
        ScratchFolderTest::TearDown();
    }
    // The component as a form would hold it, built inside a loading bracket.
    TWexloFileNotify* Make(const std::string& Folder, TNotificationOptions Options) {
        owner_ = new TComponent(nullptr);
        BuildComponents(owner_, [&] {
            notify_ = new TWexloFileNotify(owner_);
            notify_->SetOptions(Options);
            if (!Folder.empty()) notify_->SetFolder(Folder);
        });
        notify_->OnNotify = [this](TObject*, TNotificationOption Action) { seen_.push_back(Action); };
        return notify_;
    }
    // Runs the calls handed to this thread until Condition holds or the time is up.
    static bool Eventually(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout = 3s) {
        auto end = std::chrono::steady_clock::now() + Timeout;
        while (!Condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            CheckSynchronize(20);
        }
        return true;
    }
    // Lets the reports of what happened so far arrive.
    static void Settle() {
        auto end = std::chrono::steady_clock::now() + 400ms;
        while (std::chrono::steady_clock::now() < end) CheckSynchronize(20);
    }
    bool Saw(TNotificationOption O) const { return std::find(seen_.begin(), seen_.end(), O) != seen_.end(); }

    TComponent* owner_ = nullptr;
    TWexloFileNotify* notify_ = nullptr;
    std::vector<TNotificationOption> seen_;
};

TEST_F(FileNotifyTest, ANewFileAndARenamedSubfolderAreReportedByKind) {
    fs::create_directories(dir_ + "sub");
    Make(dir_, {fnoFile});
    std::ofstream(dir_ + "new.jpg") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
    fs::rename(dir_ + "sub", dir_ + "sub2");
    Settle();
    EXPECT_FALSE(Saw(fnoFolder));

    seen_.clear();
    notify_->SetOptions({fnoFolder});
    fs::rename(dir_ + "sub2", dir_ + "sub3");
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFolder); }));
    std::ofstream(dir_ + "other.jpg") << "x";
    Settle();
    EXPECT_FALSE(Saw(fnoFile));
}

TEST_F(FileNotifyTest, AFolderSwitchKeepsTheComponentAndItsThread) {
    fs::create_directories(dir_ + "a");
    fs::create_directories(dir_ + "b");
    Make(dir_ + "a", {fnoFile});
    TNotificationThread* thread = notify_->GetThread();
    notify_->SetFolder(dir_ + "b");
    EXPECT_EQ(notify_->GetThread(), thread);
    std::ofstream(dir_ + "a/x") << "x";
    Settle();
    EXPECT_TRUE(seen_.empty());
    std::ofstream(dir_ + "b/x") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
}

TEST_F(FileNotifyTest, OptionsWithoutAFolderLoadQuietlyAndWatchOnceItIsSet) {
    Make("", {fnoFile, fnoSize});
    ASSERT_NE(notify_->GetThread(), nullptr);
    EXPECT_EQ(notify_->GetThread()->HandleCount(), 0u);
    notify_->SetFolder(dir_);
    EXPECT_EQ(notify_->GetThread()->HandleCount(), 1u);
    std::ofstream(dir_ + "x") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile) && Saw(fnoSize); }));
}

TEST_F(FileNotifyTest, AFolderThatCannotBeWatchedRaisesAndKeepsTheOldWatch) {
    Make(dir_, {fnoFile});
    try {
        notify_->SetFolder(dir_ + "missing");
        FAIL() << "no exception";
    } catch (const EFileNotificationError& e) {
        EXPECT_STREQ(e.what(), "Could not allocate notification object");
    }
    EXPECT_EQ(notify_->GetFolder(), dir_);
    EXPECT_EQ(notify_->GetThread()->HandleCount(), 1u);
    std::ofstream(dir_ + "x") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));

    // Loading with such a folder raises from Loaded and watches nothing.
    auto* owner = new TComponent(nullptr);
    TWexloFileNotify* other = nullptr;
    EXPECT_THROW(BuildComponents(owner,
                                 [&] {
                                     other = new TWexloFileNotify(owner);
                                     other->SetFolder(dir_ + "missing");
                                 }),
                 EFileNotificationError);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetThread()->HandleCount(), 0u);
    owner->Free();
}

TEST_F(FileNotifyTest, EachKindIsReportedOncePerWakeUpInItsOrder) {
    Make(dir_, {fnoFile, fnoFolder, fnoAttr, fnoSize, fnoTime});
    // The first report holds the worker until this thread takes it; meanwhile more come.
    fs::create_directory(dir_ + "first");
    std::this_thread::sleep_for(200ms);
    std::ofstream(dir_ + "a") << "x";
    std::ofstream(dir_ + "b") << "y";
    chmod((dir_ + "a").c_str(), 0600);
    fs::create_directory(dir_ + "second");
    std::this_thread::sleep_for(300ms);
    Settle();
    std::vector<TNotificationOption> expected = {fnoFolder, fnoFile, fnoFolder, fnoSize, fnoTime, fnoAttr};
    EXPECT_EQ(seen_, expected);
}

TEST_F(FileNotifyTest, SubtreesAreWatchedAlsoInNewFolders) {
    fs::create_directories(dir_ + "a/b");
    Make(dir_, {fnoFile, fnoWatchSubtree});
    std::ofstream(dir_ + "a/b/deep.txt") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
    seen_.clear();
    fs::create_directories(dir_ + "new/inner");
    EXPECT_TRUE(Eventually([&] { return notify_->GetThread()->HandleCount() == 5; }));
    Settle();
    seen_.clear();
    std::ofstream(dir_ + "new/inner/f") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
    // A file made in a new folder before its watch was made is found by its scan.
    seen_.clear();
    fs::create_directories(dir_ + "quick");
    std::ofstream(dir_ + "quick/f") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
}

TEST_F(FileNotifyTest, AFolderDeletedAndMadeAgainIsWatchedOnceMore) {
    fs::create_directories(dir_ + "a/b");
    Make(dir_, {fnoFile, fnoWatchSubtree});
    ASSERT_EQ(notify_->GetThread()->HandleCount(), 3u);
    fs::remove_all(dir_ + "a");
    EXPECT_TRUE(Eventually([&] { return notify_->GetThread()->HandleCount() == 1; }));
    // Made again at once, deeper: each folder is watched once, found by its event or its scan.
    fs::create_directories(dir_ + "a/b/c/d");
    EXPECT_TRUE(Eventually([&] { return notify_->GetThread()->HandleCount() == 5; }));
    Settle();
    EXPECT_EQ(notify_->GetThread()->HandleCount(), 5u);
    seen_.clear();
    std::ofstream(dir_ + "a/b/c/d/f") << "x";
    EXPECT_TRUE(Eventually([&] { return Saw(fnoFile); }));
}

TEST_F(FileNotifyTest, AsyncReportsRunOnTheWorker) {
    Make("", {fnoFile});
    std::atomic<bool> onWorker{false}, called{false};
    notify_->SetAsyncNotify(true);
    notify_->OnNotify = [&](TObject*, TNotificationOption) {
        onWorker = !IsMainThread();
        called = true;
    };
    notify_->SetFolder(dir_);  // the handler is in place before anything is watched
    std::ofstream(dir_ + "x") << "x";
    auto end = std::chrono::steady_clock::now() + 3s;
    while (!called && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(called);
    EXPECT_TRUE(onWorker);
    notify_->Free();  // before the handler's state goes
    notify_ = nullptr;
}

TEST_F(FileNotifyTest, FreeingWhileASynchronousReportWaitsDoesNotDeadlock) {
    Make(dir_, {fnoFile});
    std::ofstream(dir_ + "x") << "x";
    std::this_thread::sleep_for(300ms);  // the worker now waits for this thread
    notify_->Free();
    notify_ = nullptr;
    EXPECT_TRUE(seen_.empty());
}

TEST_F(FileNotifyTest, NothingToWatchLeavesTheWorkerAsleep) {
    Make("", {fnoFile});
    pid_t self = getpid();
    auto cpu = [&] {
        std::ifstream stat("/proc/" + std::to_string(self) + "/task/" +
                           std::to_string(notify_->GetThread()->GetThreadID()) + "/stat");
        std::string field;
        for (int i = 0; i < 14 && stat >> field;) ++i;  // utime is the 14th field
        return std::stol(field);
    };
    long before = cpu();
    std::this_thread::sleep_for(500ms);
    EXPECT_LE(cpu() - before, 2);
}

// The kinds inotifywait sees beside ours while a script changes a folder.
TEST_F(FileNotifyTest, KindsMatchInotifywait) {
    if (system("command -v inotifywait >/dev/null 2>&1") != 0) GTEST_SKIP() << "inotifywait missing";
    fs::create_directories(dir_ + "w/sub");
    std::string log = dir_ + "inotifywait.log";
    pid_t pid = fork();
    if (pid == 0) {
        execlp("sh", "sh", "-c",
               ("exec stdbuf -oL inotifywait -m -q --format '%e' '" + dir_ + "w' > '" + log + "'").c_str(), nullptr);
        _exit(127);
    }
    Make(dir_ + "w", {fnoFile, fnoFolder, fnoAttr, fnoSize, fnoTime});
    std::this_thread::sleep_for(500ms);  // inotifywait sets up its watches
    std::string script = "cd '" + dir_ + "w' && echo a > f && chmod 600 f && mkdir d && mv sub sub2 && rm f";
    ASSERT_EQ(system(script.c_str()), 0);
    std::this_thread::sleep_for(300ms);
    Settle();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    std::set<TNotificationOption> theirs;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        bool folder = line.find("ISDIR") != std::string::npos;
        for (const char* name : {"CREATE", "DELETE", "MOVED_FROM", "MOVED_TO"})
            if (line.find(name) != std::string::npos) theirs.insert(folder ? fnoFolder : fnoFile);
        if (!folder && (line.find("MODIFY") != std::string::npos || line.find("CLOSE_WRITE") != std::string::npos)) {
            theirs.insert(fnoSize);
            theirs.insert(fnoTime);
        }
        if (line.find("ATTRIB") != std::string::npos) {
            theirs.insert(fnoAttr);
            theirs.insert(fnoTime);
        }
    }
    std::set<TNotificationOption> ours(seen_.begin(), seen_.end());
    EXPECT_FALSE(theirs.empty());
    EXPECT_EQ(ours, theirs);
}

}  // namespace
