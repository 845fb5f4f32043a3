#pragma once
// A non-visual component that watches one folder (optionally with its subfolders) and fires
// OnNotify naming the kind of change: a file or a folder that came, went or was renamed, a
// file's size, its time, or attributes.
//
// Its worker thread waits for the process's change notifier (platform/change_notify.h) to report
// and then hands each kind of change seen since its last report over, once, in the order File,
// Folder, Size, Time, Attr: on the user-interface thread, or with AsyncNotify on the worker itself
// (where the handler must touch no control). Changes that come while a report is handled are
// reported after it returns. With nothing to watch the worker sleeps until there is.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/exceptions.h"
#include "framework/thread.h"
#include "platform/change_notify.h"

enum TNotificationOption { fnoFile, fnoFolder, fnoAttr, fnoSize, fnoTime, fnoWatchSubtree };
using TNotificationOptions = TSet<TNotificationOption>;
using TFileNotifyEvent = std::function<void(TObject* Sender, TNotificationOption Action)>;

LUMORA_DECLARE_EXCEPTION(EFileNotificationError, Exception)

class TWexloFileNotify;

class TNotificationThread : public TThread {
    LUMORA_CLASS(TNotificationThread, TThread)
public:
    explicit TNotificationThread(TWexloFileNotify* Component);
    ~TNotificationThread() override;

    // Watches the component's folder as its options ask; the watches held before are kept
    // when that fails (EFileNotificationError), and replaced when it succeeds.
    void OpenHandles();
    void CloseHandles();
    void Reset() { OpenHandles(); }
    // Ends Execute: wakes the worker wherever it waits.
    void Stop();
    // The watches held (one per folder).
    size_t HandleCount();
    // The kinds of change an inotify event is, among Options.
    static unsigned KindsOf(TNotificationOptions Options, uint32_t EventMask);

protected:
    void Execute() override;

private:
    TWatchId Watch(const std::string& Folder, unsigned Generation, TNotificationOptions Options);
    // Watches Folder and every folder under it that neither Ids nor (when ReportFound, for a
    // folder come meanwhile) the current set holds yet, adding them to Ids.
    void WatchTree(const std::string& Folder, unsigned Generation, TNotificationOptions Options,
                   std::map<std::string, TWatchId>& Ids, bool ReportFound);
    void Changed(const std::string& Folder, unsigned Generation, TNotificationOptions Options,
                 const std::vector<TFolderChange>& Changes);

    TWexloFileNotify* FComponent;
    std::mutex FLock;  // what follows
    std::condition_variable FWake;
    std::map<std::string, TWatchId> FWatches;  // by folder: one watch each
    unsigned FGeneration = 0;  // which set of watches is current
    unsigned FPending = 0;  // kinds seen and not reported yet (bits of TNotificationOption)
    bool FStopping = false;
};

class TWexloFileNotify : public TComponent {
    LUMORA_CLASS(TWexloFileNotify, TComponent)
public:
    explicit TWexloFileNotify(TComponent* AOwner);
    ~TWexloFileNotify() override;
    void BeforeDestruction() override;
    void Loaded() override;

    const std::string& GetFolder() const { return FFolder; }
    void SetFolder(const std::string& Value);
    TNotificationOptions GetOptions() const { return FOptions; }
    void SetOptions(TNotificationOptions Value);
    bool GetAsyncNotify() const { return FAsyncNotify; }
    void SetAsyncNotify(bool Value) { FAsyncNotify = Value; }
    TNotificationThread* GetThread() const { return FThread; }

    TFileNotifyEvent OnNotify;

protected:
    friend class TNotificationThread;
    virtual void DoNotify(TNotificationOption Action);

private:
    void StartThread();
    template <class T>
    void Rewatch(T& Field, const T& Value);

    std::string FFolder;
    TNotificationOptions FOptions;
    std::atomic<bool> FAsyncNotify{false};
    std::atomic<bool> FDestroying{false};
    TNotificationThread* FThread = nullptr;
};
