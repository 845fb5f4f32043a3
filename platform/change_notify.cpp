#include "platform/change_notify.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>

struct TChangeNotifier::TSubscription {
    TWatchId Id = 0;
    int Wd = -1;  // -1: a mount subscription, or a folder whose watch has gone
    uint32_t Mask = 0;
    TFolderChangeHandler OnFolder;
    TMountChangeHandler OnMounts;
    std::atomic<bool> Alive{true};
};

namespace {

// Events the kernel adds to every watch.
constexpr uint32_t kAlwaysReported = IN_IGNORED | IN_Q_OVERFLOW | IN_UNMOUNT;

std::vector<std::string> MountPoints() {
    std::vector<std::string> points;
    for (const TMountEntry& e : MountTable()) points.push_back(e.MountPoint);
    return points;
}

// The entries of A that B lacks, in A's order (a mount point counted as often as it is mounted).
std::vector<std::string> Missing(const std::vector<std::string>& A, std::vector<std::string> B) {
    std::vector<std::string> missing;
    for (const std::string& p : A) {
        auto it = std::find(B.begin(), B.end(), p);
        if (it == B.end())
            missing.push_back(p);
        else
            B.erase(it);
    }
    return missing;
}

}  // namespace

TChangeNotifier::TChangeNotifier() : FAddWatch(inotify_add_watch) {
    FInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    FWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    FMounts = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (FInotify < 0 || FWake < 0) {
        if (FInotify >= 0) close(FInotify);
        FInotify = -1;
        return;
    }
    FMountPoints = MountPoints();
    FWorker = std::thread([this] { Run(); });
}

TChangeNotifier::~TChangeNotifier() {
    if (FWorker.joinable()) {
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FStop = true;
        }
        Wake();
        FWorker.join();
    }
    for (int fd : {FInotify, FWake, FMounts})
        if (fd >= 0) close(fd);
}

void TChangeNotifier::Wake() {
    uint64_t one = 1;
    ssize_t n = write(FWake, &one, sizeof one);
    (void)n;
}

void TChangeNotifier::SetAddWatchForTesting(std::function<int(int, const char*, uint32_t)> AddWatch) {
    std::lock_guard<std::mutex> lock(FMutex);
    FAddWatch = AddWatch ? std::move(AddWatch) : std::function<int(int, const char*, uint32_t)>(inotify_add_watch);
}

TWatchId TChangeNotifier::WatchFolder(const std::string& Folder, uint32_t Mask, TFolderChangeHandler Handler) {
    if (!Valid()) {
        errno = EMFILE;
        return 0;
    }
    TWatchId id = 0;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        int wd = FAddWatch(FInotify, Folder.c_str(), Mask | IN_MASK_ADD | IN_ONLYDIR);
        if (wd < 0) return 0;
        struct stat st {};
        if (stat(Folder.c_str(), &st) != 0) st = {};
        auto it = FWatches.find(wd);
        if (it != FWatches.end() && (it->second.Device != st.st_dev || it->second.Inode != st.st_ino)) {
            // The descriptor was freed with its folder and given out again before the worker read
            // the old watch's IN_IGNORED: the old subscribers lose their watch now and that
            // IN_IGNORED is not the new watch's.
            DropWatch(wd, FPendingDispatch);
            ++FIgnoredPending[wd];
            wake = true;
            it = FWatches.end();
        }
        if (it == FWatches.end()) it = FWatches.emplace(wd, TWatch{Folder, st.st_dev, st.st_ino, 0, {}}).first;
        auto sub = std::make_shared<TSubscription>();
        sub->Id = id = FNextId++;
        sub->Wd = wd;
        sub->Mask = Mask;
        sub->OnFolder = std::move(Handler);
        it->second.Mask |= Mask;
        it->second.Subscribers.push_back(sub);
        FSubscriptions[id] = sub;
    }
    // Those who lost the old watch hear of it from the worker, as they would have.
    if (wake) Wake();
    return id;
}

TWatchId TChangeNotifier::WatchMounts(TMountChangeHandler Handler) {
    if (!Valid()) {
        errno = EMFILE;
        return 0;
    }
    std::lock_guard<std::mutex> lock(FMutex);
    auto sub = std::make_shared<TSubscription>();
    sub->Id = FNextId++;
    sub->OnMounts = std::move(Handler);
    FSubscriptions[sub->Id] = sub;
    return sub->Id;
}

void TChangeNotifier::Unwatch(TWatchId Id) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        auto found = FSubscriptions.find(Id);
        if (found == FSubscriptions.end()) return;
        std::shared_ptr<TSubscription> sub = found->second;
        FSubscriptions.erase(found);
        sub->Alive = false;
        auto it = sub->Wd >= 0 ? FWatches.find(sub->Wd) : FWatches.end();
        if (it != FWatches.end()) {
            auto& subs = it->second.Subscribers;
            std::erase(subs, sub);
            if (subs.empty()) {
                inotify_rm_watch(FInotify, sub->Wd);
                ++FIgnoredPending[sub->Wd];
                FWatches.erase(it);
            }
            // Otherwise the united mask stays: the others' handlers see only what they asked for.
        }
    }
    // Wait for a handler that may be running now, unless this is that handler.
    if (std::this_thread::get_id() != FWorker.get_id()) std::lock_guard<std::mutex> lock(FDispatchMutex);
}

size_t TChangeNotifier::WatchCount() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FWatches.size();
}

size_t TChangeNotifier::SubscriptionCount() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSubscriptions.size();
}

void TChangeNotifier::DropWatch(int Wd, TDispatch& Dispatch) {
    auto it = FWatches.find(Wd);
    if (it == FWatches.end()) return;
    for (auto& sub : it->second.Subscribers) {
        sub->Wd = -1;
        Dispatch.push_back({sub, {{IN_IGNORED, ""}}});
    }
    FWatches.erase(it);
}

void TChangeNotifier::ReadEvents(TDispatch& Dispatch) {
    alignas(inotify_event) char buffer[64 * 1024];
    std::map<TSubscription*, size_t> slot;  // the subscriber's entry in Dispatch
    auto add = [&](const std::shared_ptr<TSubscription>& sub, TFolderChange change) {
        auto [it, added] = slot.try_emplace(sub.get(), Dispatch.size());
        if (added) Dispatch.push_back({sub, {}});
        Dispatch[it->second].second.push_back(std::move(change));
    };
    for (;;) {
        ssize_t n = read(FInotify, buffer, sizeof buffer);
        if (n <= 0) break;
        for (char* p = buffer; p < buffer + n;) {
            auto* e = reinterpret_cast<inotify_event*>(p);
            p += sizeof(inotify_event) + e->len;
            std::string name = e->len ? std::string(e->name) : std::string();
            if (e->mask & IN_Q_OVERFLOW) {
                for (auto& [wd, watch] : FWatches)
                    for (auto& sub : watch.Subscribers) add(sub, {IN_Q_OVERFLOW, ""});
                continue;
            }
            if (e->mask & IN_IGNORED) {
                auto pending = FIgnoredPending.find(e->wd);
                if (pending != FIgnoredPending.end()) {
                    if (--pending->second == 0) FIgnoredPending.erase(pending);
                    continue;
                }
                auto it = FWatches.find(e->wd);
                if (it == FWatches.end()) continue;
                for (auto& sub : it->second.Subscribers) {
                    sub->Wd = -1;
                    add(sub, {IN_IGNORED, ""});
                }
                FWatches.erase(it);
                continue;
            }
            auto it = FWatches.find(e->wd);
            if (it == FWatches.end()) continue;  // removed meanwhile
            for (auto& sub : it->second.Subscribers)
                if (e->mask & (sub->Mask | kAlwaysReported)) add(sub, {e->mask, name});
        }
    }
}

void TChangeNotifier::ReadMounts(std::vector<std::pair<std::shared_ptr<TSubscription>, TMountChange>>& Dispatch) {
    std::vector<std::string> now = MountPoints();
    TMountChange change{Missing(now, FMountPoints), Missing(FMountPoints, now)};
    FMountPoints = std::move(now);
    if (change.Added.empty() && change.Removed.empty()) return;
    for (auto& [id, sub] : FSubscriptions)
        if (sub->OnMounts) Dispatch.push_back({sub, change});
}

void TChangeNotifier::Run() {
    for (;;) {
        pollfd fds[3] = {{FWake, POLLIN, 0}, {FInotify, POLLIN, 0}, {FMounts, POLLPRI, 0}};
        int count = FMounts >= 0 ? 3 : 2;
        if (poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t value;
            ssize_t n = read(FWake, &value, sizeof value);
            (void)n;
        }
        TDispatch folders;
        std::vector<std::pair<std::shared_ptr<TSubscription>, TMountChange>> mounts;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            if (FStop) return;
            folders = std::move(FPendingDispatch);
            FPendingDispatch.clear();
            if (fds[1].revents & POLLIN) ReadEvents(folders);
            if (count == 3 && (fds[2].revents & (POLLPRI | POLLERR))) ReadMounts(mounts);
        }
        std::lock_guard<std::mutex> lock(FDispatchMutex);
        for (auto& [sub, changes] : folders)
            if (sub->Alive) sub->OnFolder(changes);
        for (auto& [sub, change] : mounts)
            if (sub->Alive) sub->OnMounts(change);
    }
}

TChangeNotifier& ChangeNotifier() {
    // Never destroyed: watches may still be ended while the program's statics go.
    static TChangeNotifier* notifier = new TChangeNotifier;
    return *notifier;
}
