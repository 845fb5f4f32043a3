#include <unordered_map>

#include "components/shell_tree.h"
#include "framework/thread.h"

// What the notifier's worker and the user-interface thread share of one monitor.
struct TDiscMonitorThread::TShared {
    uint64_t Id = 0;
    std::atomic<Cardinal> Filter{0};
    std::atomic<bool> Pending{false};  // a refresh is queued and has not run yet
    std::atomic<bool> Failed{false};
};

namespace {

// The monitors alive, by id; touched on the user-interface thread only.
std::unordered_map<uint64_t, TDiscMonitorThread*>& LiveMonitors() {
    static std::unordered_map<uint64_t, TDiscMonitorThread*> monitors;
    return monitors;
}

uint64_t NextMonitorId() {
    static uint64_t next = 0;
    return ++next;
}

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

uint32_t TDiscMonitorThread::WatchMask(Cardinal Filter) {
    uint32_t mask = 0;
    if (Filter & FILE_NOTIFY_CHANGE_ATTRIBUTES) mask |= IN_ATTRIB;
    if (Filter & (FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME)) mask |= kNameEvents;
    return mask;
}

bool TDiscMonitorThread::Wanted(Cardinal Filter, uint32_t EventMask) {
    if (EventMask & IN_Q_OVERFLOW) return true;
    if ((EventMask & IN_ATTRIB) && (Filter & FILE_NOTIFY_CHANGE_ATTRIBUTES)) return true;
    if (!(EventMask & kNameEvents)) return false;
    return (Filter & ((EventMask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME)) != 0;
}

TDiscMonitorThread::TDiscMonitorThread(TShellnode* Node, Cardinal Filter)
    : FNode(Node), FPath(Node->GetPath()), FShared(std::make_shared<TShared>()) {
    FShared->Id = NextMonitorId();
    FShared->Filter = Filter;
    LiveMonitors()[FShared->Id] = this;
    Watch();
}

TDiscMonitorThread::~TDiscMonitorThread() {
    LiveMonitors().erase(FShared->Id);
    if (FWatch) ChangeNotifier().Unwatch(FWatch);
}

Cardinal TDiscMonitorThread::GetFilter() const {
    return FShared->Filter;
}

bool TDiscMonitorThread::GetFailed() const {
    return FShared->Failed;
}

void TDiscMonitorThread::SetFilter(Cardinal Value) {
    if (Value == FShared->Filter || FShared->Failed) return;
    FShared->Filter = Value;
    if (FWatch) ChangeNotifier().Unwatch(FWatch);
    FWatch = 0;
    Watch();
}

void TDiscMonitorThread::Watch() {
    std::shared_ptr<TShared> shared = FShared;
    FWatch = ChangeNotifier().WatchFolder(FPath, WatchMask(shared->Filter), [shared](const auto& Changes) {
        bool wanted = false;
        for (const TFolderChange& c : Changes) {
            if (c.Mask & IN_IGNORED)
                shared->Failed = true;  // the folder went; its parent's monitor reports that
            else if (Wanted(shared->Filter, c.Mask))
                wanted = true;
        }
        if (!wanted || shared->Pending.exchange(true)) return;
        TThread::Queue(nullptr, [id = shared->Id] {
            auto it = LiveMonitors().find(id);
            if (it == LiveMonitors().end()) return;  // its node was deleted meanwhile
            TDiscMonitorThread* monitor = it->second;
            monitor->FShared->Pending = false;
            if (TShellTree* tree = monitor->FNode->GetShellTree()) tree->MonitorChanged(monitor->FNode);
        });
    });
    if (!FWatch) FShared->Failed = true;
}
