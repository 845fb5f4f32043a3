#include "components/file_notify.h"

#include <dirent.h>
#include <sys/stat.h>

#include <utility>

namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kWriteEvents = IN_MODIFY | IN_CLOSE_WRITE;

constexpr unsigned Bit(TNotificationOption O) {
    return 1u << O;
}

// The order in which one wake-up's kinds are reported.
constexpr TNotificationOption kReportOrder[] = {fnoFile, fnoFolder, fnoSize, fnoTime, fnoAttr};

uint32_t MaskOf(TNotificationOptions Options) {
    uint32_t mask = 0;
    if (Options.Contains(fnoFile) || Options.Contains(fnoFolder)) mask |= kNameEvents;
    if (Options.Contains(fnoSize)) mask |= kWriteEvents;
    if (Options.Contains(fnoTime)) mask |= kWriteEvents | IN_ATTRIB;
    if (Options.Contains(fnoAttr)) mask |= IN_ATTRIB;
    // New subfolders are watched as they come, and forgotten as they go.
    if (Options.Contains(fnoWatchSubtree)) mask |= kNameEvents;
    return mask;
}

std::string Join(const std::string& Folder, const std::string& Name) {
    return Folder.back() == '/' ? Folder + Name : Folder + "/" + Name;
}

// The subfolders of a folder (not through links) and whether it holds any other entry.
std::vector<std::string> Subfolders(const std::string& Folder, bool& HasFiles) {
    std::vector<std::string> folders;
    HasFiles = false;
    DIR* dir = opendir(Folder.c_str());
    if (!dir) return folders;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            folder = lstat(Join(Folder, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
            folders.push_back(Join(Folder, name));
        else
            HasFiles = true;
    }
    closedir(dir);
    return folders;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TNotificationThread::TNotificationThread(TWexloFileNotify* Component) : TThread(true), FComponent(Component) {}

TNotificationThread::~TNotificationThread() {
    CloseHandles();
}

unsigned TNotificationThread::KindsOf(TNotificationOptions Options, uint32_t EventMask) {
    unsigned kinds = 0;
    if (EventMask & IN_Q_OVERFLOW) {
        // Changes were lost: every kind asked for may have happened.
        for (TNotificationOption o : kReportOrder)
            if (Options.Contains(o)) kinds |= Bit(o);
        return kinds;
    }
    bool folder = EventMask & IN_ISDIR;
    if ((EventMask & kNameEvents) && Options.Contains(folder ? fnoFolder : fnoFile))
        kinds |= Bit(folder ? fnoFolder : fnoFile);
    if ((EventMask & kWriteEvents) && !folder) {
        if (Options.Contains(fnoSize)) kinds |= Bit(fnoSize);
        if (Options.Contains(fnoTime)) kinds |= Bit(fnoTime);
    }
    if (EventMask & IN_ATTRIB) {
        if (Options.Contains(fnoAttr)) kinds |= Bit(fnoAttr);
        if (Options.Contains(fnoTime)) kinds |= Bit(fnoTime);
    }
    return kinds;
}

TWatchId TNotificationThread::Watch(const std::string& Folder, unsigned Generation, TNotificationOptions Options) {
    return ChangeNotifier().WatchFolder(Folder, MaskOf(Options), [=, this](const std::vector<TFolderChange>& Changes) {
        Changed(Folder, Generation, Options, Changes);
    });
}

void TNotificationThread::WatchTree(const std::string& Folder, unsigned Generation, TNotificationOptions Options,
                                    std::map<std::string, TWatchId>& Ids, bool ReportFound) {
    std::vector<std::string> pending{Folder};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        // A folder made just after its parent's watch is found both by the scan and by its event.
        if (Ids.count(folder)) continue;
        if (ReportFound) {
            std::lock_guard<std::mutex> lock(FLock);
            if (Generation == FGeneration && FWatches.count(folder)) continue;
        }
        TWatchId id = Watch(folder, Generation, Options);
        if (!id) {
            if (folder == Folder) throw EFileNotificationError("Could not allocate notification object");
            continue;  // a subfolder that went or cannot be read
        }
        Ids[folder] = id;
        bool hasFiles = false;
        std::vector<std::string> inner = Subfolders(folder, hasFiles);
        // Scanned after its watch is made: what came before it was made is reported now.
        if (ReportFound) {
            std::lock_guard<std::mutex> lock(FLock);
            if (Generation == FGeneration) {
                if (hasFiles && Options.Contains(fnoFile)) FPending |= Bit(fnoFile);
                if (!inner.empty() && Options.Contains(fnoFolder)) FPending |= Bit(fnoFolder);
                if (FPending) FWake.notify_all();
            }
        }
        pending.insert(pending.end(), inner.begin(), inner.end());
    }
}

void TNotificationThread::Changed(const std::string& Folder, unsigned Generation, TNotificationOptions Options,
                                  const std::vector<TFolderChange>& Changes) {
    unsigned kinds = 0;
    std::vector<std::string> newFolders, goneFolders;
    for (const TFolderChange& c : Changes) {
        kinds |= KindsOf(Options, c.Mask);
        if (!Options.Contains(fnoWatchSubtree) || !(c.Mask & IN_ISDIR)) continue;
        if (c.Mask & (IN_CREATE | IN_MOVED_TO)) newFolders.push_back(Join(Folder, c.Name));
        if (c.Mask & (IN_DELETE | IN_MOVED_FROM)) goneFolders.push_back(Join(Folder, c.Name));
    }
    std::vector<TWatchId> ended;
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (Generation != FGeneration) return;  // replaced meanwhile
        FPending |= kinds;
        if (FPending) FWake.notify_all();
        // A folder deleted or moved away takes its subfolders' watches with it; one coming back
        // under its name is watched anew.
        for (const std::string& gone : goneFolders) {
            if (auto it = FWatches.find(gone); it != FWatches.end()) {
                ended.push_back(it->second);
                FWatches.erase(it);
            }
            const std::string inside = gone + "/";
            for (auto it = FWatches.lower_bound(inside);
                 it != FWatches.end() && it->first.compare(0, inside.size(), inside) == 0;) {
                ended.push_back(it->second);
                it = FWatches.erase(it);
            }
        }
    }
    for (TWatchId id : ended) ChangeNotifier().Unwatch(id);
    for (const std::string& folder : newFolders) {
        std::map<std::string, TWatchId> ids;
        try {
            WatchTree(folder, Generation, Options, ids, true);
        } catch (const EFileNotificationError&) {
            // Gone again before it could be watched.
        }
        std::lock_guard<std::mutex> lock(FLock);
        if (Generation == FGeneration) {
            FWatches.insert(ids.begin(), ids.end());
            ids.clear();
        }
        // Watches of a set replaced meanwhile are ended here, from the notifier's own thread.
        for (const auto& [name, id] : ids) ChangeNotifier().Unwatch(id);
    }
}

void TNotificationThread::OpenHandles() {
    std::string folder = FComponent ? FComponent->GetFolder() : std::string();
    TNotificationOptions options = FComponent ? FComponent->GetOptions() : TNotificationOptions{};
    bool any = false;
    for (TNotificationOption o : kReportOrder) any = any || options.Contains(o);
    std::map<std::string, TWatchId> fresh;
    unsigned generation;
    {
        std::lock_guard<std::mutex> lock(FLock);
        generation = FGeneration + 1;
    }
    if (any && !folder.empty()) {
        try {
            if (options.Contains(fnoWatchSubtree)) {
                WatchTree(folder, generation, options, fresh, false);
            } else {
                TWatchId id = Watch(folder, generation, options);
                if (!id) throw EFileNotificationError("Could not allocate notification object");
                fresh[folder] = id;
            }
        } catch (...) {
            for (const auto& [name, id] : fresh) ChangeNotifier().Unwatch(id);
            throw;
        }
    }
    std::map<std::string, TWatchId> old;
    {
        std::lock_guard<std::mutex> lock(FLock);
        FGeneration = generation;
        old.swap(FWatches);
        FWatches = std::move(fresh);
        FPending = 0;
        FWake.notify_all();
    }
    for (const auto& [name, id] : old) ChangeNotifier().Unwatch(id);
}

void TNotificationThread::CloseHandles() {
    std::map<std::string, TWatchId> old;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ++FGeneration;
        old.swap(FWatches);
        FPending = 0;
    }
    for (const auto& [name, id] : old) ChangeNotifier().Unwatch(id);
}

size_t TNotificationThread::HandleCount() {
    std::lock_guard<std::mutex> lock(FLock);
    return FWatches.size();
}

void TNotificationThread::Stop() {
    Terminate();
    std::lock_guard<std::mutex> lock(FLock);
    FStopping = true;
    FWake.notify_all();
}

void TNotificationThread::Execute() {
    for (;;) {
        unsigned kinds;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FWake.wait(lock, [&] { return FStopping || FPending != 0; });
            if (FStopping) return;
            kinds = FPending;
            FPending = 0;
        }
        for (TNotificationOption action : kReportOrder) {
            if (!(kinds & Bit(action)) || GetTerminated()) continue;
            if (FComponent->GetAsyncNotify())
                FComponent->DoNotify(action);
            else
                Synchronize([this, action] {
                    if (!FComponent->FDestroying) FComponent->DoNotify(action);
                });
        }
    }
}

// ---------------------------------------------------------------------------------------------

TWexloFileNotify::TWexloFileNotify(TComponent* AOwner) : TComponent(AOwner) {
    FOptions = {fnoFile, fnoFolder};
    // Made in code outside a loading bracket it watches at once; otherwise from Loaded.
    if (!GetComponentState().Contains(csLoading)) StartThread();
}

TWexloFileNotify::~TWexloFileNotify() = default;

void TWexloFileNotify::StartThread() {
    if (FThread) return;
    FThread = ::Create<TNotificationThread>(this);
    FThread->Start();
    FThread->Reset();  // a folder that cannot be watched raises, and nothing is watched
}

void TWexloFileNotify::Loaded() {
    TComponent::Loaded();
    StartThread();
}

void TWexloFileNotify::BeforeDestruction() {
    FDestroying = true;
    if (FThread) {
        FThread->Stop();
        // Runs the calls the worker hands over meanwhile, so a report waiting for this thread
        // ends without being delivered.
        FThread->WaitFor();
        FThread->Free();
        FThread = nullptr;
    }
    TComponent::BeforeDestruction();
}

// A folder or options that cannot be watched raise and leave the component as it was, still
// watching what it watched.
template <class T>
void TWexloFileNotify::Rewatch(T& Field, const T& Value) {
    if (Value == Field) return;
    T old = std::exchange(Field, Value);
    try {
        if (FThread) FThread->Reset();
    } catch (...) {
        Field = old;
        throw;
    }
}

void TWexloFileNotify::SetFolder(const std::string& Value) {
    Rewatch(FFolder, Value);
}

void TWexloFileNotify::SetOptions(TNotificationOptions Value) {
    Rewatch(FOptions, Value);
}

void TWexloFileNotify::DoNotify(TNotificationOption Action) {
    if (OnNotify) OnNotify(this, Action);
}
