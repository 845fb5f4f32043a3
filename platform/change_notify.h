#pragma once
// Change notification for folders and for the mount table: one inotify instance for the whole
// process and one worker thread that polls it together with an eventfd (to wake it) and
// /proc/self/mountinfo (whose priority event marks a mount or an unmount).
//
// A folder watched several times (two trees, a link and its target, a component) shares one
// watch descriptor: its subscribers are counted and their masks united, and each subscriber is
// handed only the events its own mask asks for. The kernel always adds IN_IGNORED (the folder is
// no longer watched: deleted, moved off its file system or unmounted) and IN_Q_OVERFLOW (events
// were lost; every subscriber should look at everything again).
//
// Handlers run on the worker thread, with the events of one wake-up. They must not wait for the
// main thread (queue a call there, never synchronise): the main thread may be waiting in Unwatch
// for the handler to return.
//
// inotify sees what this machine does to a file system: /proc, /sys and changes other hosts make
// on network mounts are never reported.

#include <sys/inotify.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/shell_namespace.h"

struct TFolderChange {
    uint32_t Mask = 0;  // IN_* bits (IN_ISDIR: the entry is a folder)
    std::string Name;  // the entry's name in the folder; "" for the folder itself
};
using TFolderChangeHandler = std::function<void(const std::vector<TFolderChange>& Changes)>;

struct TMountChange {
    std::vector<std::string> Added;  // mount points, in the table's order
    std::vector<std::string> Removed;
};
using TMountChangeHandler = std::function<void(const TMountChange& Change)>;

using TWatchId = uint64_t;

class TChangeNotifier {
public:
    TChangeNotifier();
    ~TChangeNotifier();
    TChangeNotifier(const TChangeNotifier&) = delete;
    TChangeNotifier& operator=(const TChangeNotifier&) = delete;

    // Whether the instance and its worker exist (false when the system refused an instance).
    bool Valid() const { return FInotify >= 0; }
    // Watches the folder Folder for the events in Mask. Answers the subscription, or 0 with errno
    // set: ENOENT, ENOTDIR, EACCES, ENOSPC (the user's watch limit is reached) and the like.
    TWatchId WatchFolder(const std::string& Folder, uint32_t Mask, TFolderChangeHandler Handler);
    // Reports mount points that come and go.
    TWatchId WatchMounts(TMountChangeHandler Handler);
    // Ends a subscription. Once it returns the handler does not run any more; called from a
    // handler, it only stops the later calls.
    void Unwatch(TWatchId Id);
    // The watch descriptors held, and the subscriptions (tests).
    size_t WatchCount() const;
    size_t SubscriptionCount() const;

    // Replaces inotify_add_watch (tests: a full watch table).
    void SetAddWatchForTesting(std::function<int(int Fd, const char* Path, uint32_t Mask)> AddWatch);

private:
    struct TSubscription;
    struct TWatch {
        std::string Path;
        dev_t Device = 0;
        ino_t Inode = 0;
        uint32_t Mask = 0;
        std::vector<std::shared_ptr<TSubscription>> Subscribers;
    };
    using TDispatch = std::vector<std::pair<std::shared_ptr<TSubscription>, std::vector<TFolderChange>>>;

    void Run();
    void ReadEvents(TDispatch& Dispatch);
    void ReadMounts(std::vector<std::pair<std::shared_ptr<TSubscription>, TMountChange>>& Dispatch);
    void DropWatch(int Wd, TDispatch& Dispatch);
    void Wake();

    int FInotify = -1;
    int FWake = -1;
    int FMounts = -1;
    std::thread FWorker;
    bool FStop = false;  // guarded by FMutex

    mutable std::mutex FMutex;  // the tables below
    std::mutex FDispatchMutex;  // held while handlers run
    std::map<int, TWatch> FWatches;
    std::map<TWatchId, std::shared_ptr<TSubscription>> FSubscriptions;
    std::map<int, int> FIgnoredPending;  // removed descriptors whose IN_IGNORED is still coming
    TDispatch FPendingDispatch;  // reports made outside the worker, handed out by it
    std::vector<std::string> FMountPoints;
    TWatchId FNextId = 1;
    std::function<int(int, const char*, uint32_t)> FAddWatch;
};

// The process's notifier, made on first use.
TChangeNotifier& ChangeNotifier();
