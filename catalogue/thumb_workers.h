#pragma once
// The thumbnail grid's workers: one thread per core (at most 8) making the thumbnails of queued
// cells, lowest item first. A job carries everything a worker needs as plain data (the file
// names the caches chose on the user-interface thread), and a worker touches nothing else: it
// has its own TImgFunctions with silent events, reads a permanent thumbnail, else the disk
// thumbnail, else decodes the file at thumbnail size, fits and resamples it, and writes the new
// disk thumbnail. Results go back through the main-thread queue (framework/thread.h) to the
// Deliver function, which runs on the user-interface thread only while the workers object lives:
// one queued call hands over every result made until it runs, so a burst of quick results (disk
// thumbnails) costs one wake-up of the user-interface thread, not one each.

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/types.h"

class TBitmap;
class TImgFunctions;

struct TThumbJob {
    Integer Item = -1;
    std::string FullName;
    TDateTime Date = 0;  // the item's listed date, to tell a changed item from the same one
    std::string PermanentFile;  // an existing permanent thumbnail, or ""
    std::string DiskFile;  // the disk thumbnail of an index entry, or ""
    std::string StoreFile;  // where a new disk thumbnail goes, or "" (disk cache off)
    bool StoreJPEG = true;
    Integer BoxWidth = 90;
    Integer BoxHeight = 75;
    bool HighQuality = true;
};

enum TThumbSource { tsPermanent, tsDisk, tsDecoded, tsFailed };

struct TThumbResult {
    TThumbJob Job;
    std::unique_ptr<TBitmap> Bitmap;  // null when failed
    TThumbSource Source = tsFailed;
    bool Stored = false;  // a new disk thumbnail was written
};

// Makes the thumbnail of one job with the worker's own image component (the default follows
// the order above); tests replace it to count or hold decodes.
using TThumbMaker = std::function<void(TImgFunctions* Img, TThumbResult& Result)>;
void MakeThumbnail(TImgFunctions* Img, TThumbResult& Result);

class TThumbWorkers {
public:
    using TDeliver = std::function<void(TThumbResult& Result)>;
    // Count 0 takes one per core, at most 8.
    TThumbWorkers(Integer Count, TDeliver Deliver, TThumbMaker Maker = MakeThumbnail);
    // Stops the workers and waits for them; results still queued are dropped.
    ~TThumbWorkers();
    TThumbWorkers(const TThumbWorkers&) = delete;
    TThumbWorkers& operator=(const TThumbWorkers&) = delete;

    static Integer DefaultCount();
    Integer GetCount() const { return Integer(FThreads.size()); }

    // Queues a job unless its item is queued, being made or waiting to be delivered.
    void Enqueue(TThumbJob Job);
    // Queues several with one wake-up of the workers.
    void Enqueue(std::vector<TThumbJob> Jobs);
    // Whether the item is queued, being made or waiting to be delivered.
    bool Pending(Integer Item);
    // Drops every queued job (jobs being made still deliver; callers check what they get).
    void Clear();
    // Drops the queued jobs whose item Keep refuses.
    void Retain(const std::function<bool(Integer Item)>& Keep);
    // Jobs queued or being made.
    Integer Outstanding();

private:
    struct TShared;
    void Run(TImgFunctions* Img);
    bool PendingLocked(Integer Item) const;
    // Hands the results made so far to Deliver (on the user-interface thread).
    static void DeliverMade(const std::shared_ptr<TShared>& Shared);

    std::shared_ptr<TShared> FShared;
    TThumbMaker FMaker;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::map<Integer, TThumbJob> FQueue;
    std::vector<Integer> FBusy;  // being made
    std::deque<TThumbResult> FMade;  // made, waiting for the user-interface thread
    bool FDeliveryQueued = false;  // a call to DeliverMade waits in the main-thread queue
    bool FStop = false;
    std::vector<TImgFunctions*> FImgs;
    std::vector<std::thread> FThreads;
};
