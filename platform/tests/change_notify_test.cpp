#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <thread>

#include "platform/change_notify.h"
#include "platform/tests/file_fixture.h"

namespace {

using namespace std::chrono_literals;

// What a handler received, waited for from the test's thread.
class Collector {
public:
    TFolderChangeHandler Handler() {
        return [this](const std::vector<TFolderChange>& changes) {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const TFolderChange& c : changes) changes_.push_back(c);
            ++calls_;
            cv_.notify_all();
        };
    }
    // Waits until a change with all of Bits (and the name, unless empty) has come.
    bool WaitFor(uint32_t Bits, const std::string& Name = "", std::chrono::milliseconds Timeout = 3s) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, Timeout, [&] { return Has(Bits, Name); });
    }
    bool Has(uint32_t Bits, const std::string& Name) const {
        for (const TFolderChange& c : changes_)
            if ((c.Mask & Bits) == Bits && (Name.empty() || c.Name == Name)) return true;
        return false;
    }
    bool Saw(uint32_t Bits, const std::string& Name = "") {
        std::lock_guard<std::mutex> lock(mutex_);
        return Has(Bits, Name);
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return changes_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<TFolderChange> changes_;
    int calls_ = 0;
};

// A marker change sent after the ones under test: once it has come, everything before it has.
void Settle(TChangeNotifier& N, const std::string& Folder) {
    Collector c;
    std::string marker = Folder + "/.settle";
    TWatchId id = N.WatchFolder(Folder, IN_CREATE, c.Handler());
    std::ofstream(marker) << "";
    c.WaitFor(IN_CREATE, ".settle");
    N.Unwatch(id);
    unlink(marker.c_str());
}

// Each test makes its notifier after the handlers' state, so that it ends before that state.
using ChangeNotifyTest = FileTest;

TEST_F(ChangeNotifyTest, ReportsEachKindOfChangeWithItsName) {
    std::filesystem::create_directories(dir_ + "w/sub");
    Make(dir_ + "w/old.txt", "x");
    Collector c;
    TChangeNotifier notifier_;
    ASSERT_NE(
        notifier_.WatchFolder(
            dir_ + "w", IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE,
            c.Handler()),
        0u);
    Make(dir_ + "w/new.txt", "abc");
    std::filesystem::create_directory(dir_ + "w/folder");
    std::filesystem::rename(dir_ + "w/sub", dir_ + "w/renamed");
    std::filesystem::remove(dir_ + "w/old.txt");
    chmod((dir_ + "w/new.txt").c_str(), 0600);
    EXPECT_TRUE(c.WaitFor(IN_CREATE, "new.txt"));
    EXPECT_TRUE(c.WaitFor(IN_MODIFY, "new.txt"));
    EXPECT_TRUE(c.WaitFor(IN_CLOSE_WRITE, "new.txt"));
    EXPECT_TRUE(c.WaitFor(IN_CREATE | IN_ISDIR, "folder"));
    EXPECT_TRUE(c.WaitFor(IN_MOVED_FROM | IN_ISDIR, "sub"));
    EXPECT_TRUE(c.WaitFor(IN_MOVED_TO | IN_ISDIR, "renamed"));
    EXPECT_TRUE(c.WaitFor(IN_DELETE, "old.txt"));
    EXPECT_TRUE(c.WaitFor(IN_ATTRIB, "new.txt"));
    EXPECT_FALSE(c.Saw(IN_ISDIR, "new.txt"));
}

TEST_F(ChangeNotifyTest, AFolderWatchedTwiceSharesOneDescriptorAndEachSeesOnlyItsKinds) {
    std::filesystem::create_directories(dir_ + "w");
    Make(dir_ + "w/f", "x");
    symlink((dir_ + "w").c_str(), (dir_ + "link").c_str());
    Collector names, attrs;
    TChangeNotifier notifier_;
    TWatchId a = notifier_.WatchFolder(dir_ + "w", IN_CREATE, names.Handler());
    TWatchId b = notifier_.WatchFolder(dir_ + "link", IN_ATTRIB, attrs.Handler());
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(notifier_.WatchCount(), 1u);
    EXPECT_EQ(notifier_.SubscriptionCount(), 2u);

    chmod((dir_ + "w/f").c_str(), 0600);
    Make(dir_ + "w/g");
    EXPECT_TRUE(names.WaitFor(IN_CREATE, "g"));
    EXPECT_TRUE(attrs.WaitFor(IN_ATTRIB, "f"));
    Settle(notifier_, dir_ + "w");
    EXPECT_FALSE(names.Saw(IN_ATTRIB));
    EXPECT_FALSE(attrs.Saw(IN_CREATE));

    // One subscriber leaves: the other keeps the watch.
    notifier_.Unwatch(a);
    EXPECT_EQ(notifier_.WatchCount(), 1u);
    chmod((dir_ + "w/g").c_str(), 0600);
    EXPECT_TRUE(attrs.WaitFor(IN_ATTRIB, "g"));
    notifier_.Unwatch(b);
    EXPECT_EQ(notifier_.WatchCount(), 0u);
    EXPECT_EQ(notifier_.SubscriptionCount(), 0u);
}

TEST_F(ChangeNotifyTest, ADeletedFolderEndsItsWatchAndAWatchMadeAgainWorks) {
    std::filesystem::create_directories(dir_ + "gone");
    Collector c;
    TChangeNotifier notifier_;
    TWatchId id = notifier_.WatchFolder(dir_ + "gone", IN_CREATE, c.Handler());
    std::filesystem::remove(dir_ + "gone");
    EXPECT_TRUE(c.WaitFor(IN_IGNORED));
    EXPECT_EQ(notifier_.WatchCount(), 0u);
    notifier_.Unwatch(id);  // harmless after the watch went

    // Removed by us and made again at once: the old descriptor's IN_IGNORED, still on its way,
    // must not end the new watch.
    std::filesystem::create_directories(dir_ + "again");
    for (int round = 0; round < 20; ++round) {
        Collector first;
        notifier_.Unwatch(notifier_.WatchFolder(dir_ + "again", IN_CREATE, first.Handler()));
    }
    Collector last;
    TWatchId id2 = notifier_.WatchFolder(dir_ + "again", IN_CREATE, last.Handler());
    ASSERT_NE(id2, 0u);
    Settle(notifier_, dir_ + "again");
    Make(dir_ + "again/x");
    EXPECT_TRUE(last.WaitFor(IN_CREATE, "x"));
    EXPECT_FALSE(last.Saw(IN_IGNORED));
    notifier_.Unwatch(id2);
}

TEST_F(ChangeNotifyTest, RefusedWatchesFailWithTheSystemsReason) {
    Make(dir_ + "file");
    Collector c;
    TChangeNotifier notifier_;
    struct Case {
        std::string Path;
        int Errno;
    } cases[] = {{dir_ + "missing", ENOENT}, {dir_ + "file", ENOTDIR}};
    for (const Case& k : cases) {
        errno = 0;
        EXPECT_EQ(notifier_.WatchFolder(k.Path, IN_CREATE, c.Handler()), 0u) << k.Path;
        EXPECT_EQ(errno, k.Errno) << k.Path;
    }
    // The user's watch table is full.
    notifier_.SetAddWatchForTesting([](int, const char*, uint32_t) {
        errno = ENOSPC;
        return -1;
    });
    errno = 0;
    EXPECT_EQ(notifier_.WatchFolder(dir_, IN_CREATE, c.Handler()), 0u);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(notifier_.SubscriptionCount(), 0u);
}

TEST_F(ChangeNotifyTest, UnwatchWaitsForARunningHandlerAndNoCallFollows) {
    std::filesystem::create_directories(dir_ + "w");
    std::atomic<bool> entered{false}, left{false};
    std::atomic<int> calls{0};
    TChangeNotifier notifier_;
    TWatchId id = notifier_.WatchFolder(dir_ + "w", IN_CREATE, [&](const std::vector<TFolderChange>&) {
        ++calls;
        entered = true;
        std::this_thread::sleep_for(200ms);
        left = true;
    });
    Make(dir_ + "w/a");
    while (!entered) std::this_thread::sleep_for(1ms);
    notifier_.Unwatch(id);
    EXPECT_TRUE(left);
    int seen = calls;
    Make(dir_ + "w/b");
    Settle(notifier_, dir_ + "w");
    EXPECT_EQ(calls, seen);
}

TEST_F(ChangeNotifyTest, ManyFoldersShareOneInstance) {
    // More folders than a user may have inotify instances.
    std::vector<TWatchId> ids;
    Collector c;
    TChangeNotifier notifier_;
    for (int i = 0; i < 300; ++i) {
        std::string folder = dir_ + "f" + std::to_string(i);
        std::filesystem::create_directories(folder);
        ids.push_back(notifier_.WatchFolder(folder, IN_CREATE, c.Handler()));
        ASSERT_NE(ids.back(), 0u);
    }
    EXPECT_EQ(notifier_.WatchCount(), 300u);
    Make(dir_ + "f0/first");
    Make(dir_ + "f299/last");
    EXPECT_TRUE(c.WaitFor(IN_CREATE, "first"));
    EXPECT_TRUE(c.WaitFor(IN_CREATE, "last"));
    for (TWatchId id : ids) notifier_.Unwatch(id);
    EXPECT_EQ(notifier_.WatchCount(), 0u);
}

TEST_F(ChangeNotifyTest, AnOverflowedQueueTellsEverySubscriber) {
    int limit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit <= 0 || limit > 50000) GTEST_SKIP() << "event queue of " << limit;
    std::filesystem::create_directories(dir_ + "busy");
    std::filesystem::create_directories(dir_ + "quiet");
    // The first handler holds the worker while the queue fills.
    std::mutex hold;
    std::unique_lock<std::mutex> holding(hold);
    std::atomic<bool> entered{false};
    Collector busy, quiet;
    TFolderChangeHandler collect = busy.Handler();
    TChangeNotifier notifier_;
    notifier_.WatchFolder(dir_ + "busy", IN_CREATE, [&](const std::vector<TFolderChange>& changes) {
        entered = true;
        std::lock_guard<std::mutex> wait(hold);
        collect(changes);
    });
    notifier_.WatchFolder(dir_ + "quiet", IN_CREATE, quiet.Handler());
    Make(dir_ + "busy/start");
    while (!entered) std::this_thread::sleep_for(1ms);
    for (int i = 0; i <= limit; ++i) {
        int fd = open((dir_ + "busy/" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        close(fd);
    }
    holding.unlock();
    EXPECT_TRUE(busy.WaitFor(IN_Q_OVERFLOW));
    EXPECT_TRUE(quiet.WaitFor(IN_Q_OVERFLOW));
}

TEST_F(ChangeNotifyTest, MountsThatComeAndGoAreReported) {
    std::string point = dir_ + "mnt";
    std::filesystem::create_directories(point);
    // A private mount namespace of a child process; the tmpfs mounted there first is not watched.
    int result = WithTmpfs(dir_ + "base", 64, [&] {
        TChangeNotifier notifier;
        std::mutex m;
        std::condition_variable cv;
        TMountChange seen;
        notifier.WatchMounts([&](const TMountChange& change) {
            std::lock_guard<std::mutex> lock(m);
            seen.Added.insert(seen.Added.end(), change.Added.begin(), change.Added.end());
            seen.Removed.insert(seen.Removed.end(), change.Removed.begin(), change.Removed.end());
            cv.notify_all();
        });
        auto has = [](const std::vector<std::string>& v, const std::string& p) {
            return std::find(v.begin(), v.end(), p) != v.end();
        };
        if (mount("tmpfs", point.c_str(), "tmpfs", 0, "size=16k") != 0) return 77;
        {
            std::unique_lock<std::mutex> lock(m);
            if (!cv.wait_for(lock, 3s, [&] { return has(seen.Added, point); })) return 1;
        }
        if (umount(point.c_str()) != 0) return 2;
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, 3s, [&] { return has(seen.Removed, point); })) return 3;
        return has(seen.Added, dir_ + "base") ? 4 : 0;
    });
    if (result == -1) GTEST_SKIP() << "private mounts refused";
    EXPECT_EQ(result, 0);
}

}  // namespace
