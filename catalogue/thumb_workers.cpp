#include "catalogue/thumb_workers.h"

#include <algorithm>

#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "catalogue/thumb_cache.h"
#include "framework/graphics.h"
#include "framework/thread.h"
#include "framework/window_backend.h"
#include "imaging/bitmap_routines.h"
#include "imaging/resample.h"

namespace {

// Fits the picture into the job's box (smaller pictures are enlarged) and resamples it there.
bool FitToBox(TImgFunctions* Img, TBitmap* Bitmap, const TThumbJob& Job) {
    if (Bitmap->GetEmpty()) return false;
    if (Bitmap->GetPixelFormat() != pf24bit) Bitmap->SetPixelFormat(pf24bit);
    const TRect fit = FitRectInBox(Bitmap->GetWidth(), Bitmap->GetHeight(), Job.BoxWidth, Job.BoxHeight, 0, 0, true,
                                   true, false, false);
    const Integer w = std::max<Integer>(1, fit.Right - fit.Left), h = std::max<Integer>(1, fit.Bottom - fit.Top);
    // A picture many times the box (one that cannot be decoded at a smaller size) is first
    // averaged down in whole blocks to about twice the box, so that the filter reads a few
    // pixels per thumbnail pixel rather than hundreds.
    const Integer factor = std::min(Bitmap->GetWidth() / (2 * w), Bitmap->GetHeight() / (2 * h));
    if (Job.HighQuality && factor >= 2) {
        TBitmap shrunk;
        ShrinkByBlocks(Bitmap, &shrunk, factor);
        CopyBitmap(&shrunk, Bitmap);
    }
    return Img->ResampleBitmap(Bitmap, w, false, false, Job.HighQuality, h);
}

}  // namespace

void MakeThumbnail(TImgFunctions* Img, TThumbResult& Result) {
    const TThumbJob& job = Result.Job;
    auto bitmap = std::make_unique<TBitmap>();
    if (!job.PermanentFile.empty() && Img->LoadGraphic(bitmap.get(), job.PermanentFile, false) &&
        FitToBox(Img, bitmap.get(), job)) {
        Result.Source = tsPermanent;
    } else if (!job.DiskFile.empty() && ReadThumbnailFile(Img, bitmap.get(), job.DiskFile) &&
               FitToBox(Img, bitmap.get(), job)) {
        Result.Source = tsDisk;
    } else if (Img->LoadGraphicAtSize(bitmap.get(), job.FullName, false, job.BoxWidth, job.BoxHeight) &&
               FitToBox(Img, bitmap.get(), job)) {
        Result.Source = tsDecoded;
        if (!job.StoreFile.empty())
            Result.Stored = WriteThumbnailFile(Img, bitmap.get(), job.StoreFile, job.StoreJPEG, 90);
    } else {
        Result.Source = tsFailed;
        return;
    }
    Result.Bitmap = std::move(bitmap);
}

// What the queued deliveries share with the workers object: its address while it lives. Only
// the user-interface thread reads or clears it.
struct TThumbWorkers::TShared {
    TThumbWorkers* Owner = nullptr;
    TDeliver Deliver;
};

Integer TThumbWorkers::DefaultCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp<Integer>(Integer(cores), 1, 8);
}

TThumbWorkers::TThumbWorkers(Integer Count, TDeliver Deliver, TThumbMaker Maker)
    : FShared(std::make_shared<TShared>()), FMaker(std::move(Maker)) {
    FShared->Owner = this;
    FShared->Deliver = std::move(Deliver);
    const Integer count = Count > 0 ? std::min<Integer>(Count, 8) : DefaultCount();
    // The image components are made here, on the user-interface thread, and each is used by its
    // worker alone until the workers have ended.
    for (Integer i = 0; i < count; ++i) FImgs.push_back(new TImgFunctions(nullptr));
    for (TImgFunctions* img : FImgs) FThreads.emplace_back([this, img] { Run(img); });
}

TThumbWorkers::~TThumbWorkers() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
        FQueue.clear();
    }
    FWake.notify_all();
    for (std::thread& t : FThreads) t.join();
    for (TImgFunctions* img : FImgs) img->Free();
    FShared->Owner = nullptr;
    FShared->Deliver = nullptr;
}

namespace {

bool Contains(const std::vector<Integer>& Items, Integer Item) {
    return std::find(Items.begin(), Items.end(), Item) != Items.end();
}

}  // namespace

bool TThumbWorkers::PendingLocked(Integer Item) const {
    return FQueue.count(Item) || Contains(FBusy, Item) ||
           std::any_of(FMade.begin(), FMade.end(), [&](const TThumbResult& R) { return R.Job.Item == Item; });
}

void TThumbWorkers::Enqueue(TThumbJob Job) {
    std::vector<TThumbJob> jobs;
    jobs.push_back(std::move(Job));
    Enqueue(std::move(jobs));
}

void TThumbWorkers::Enqueue(std::vector<TThumbJob> Jobs) {
    size_t added = 0;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        for (TThumbJob& job : Jobs) {
            if (PendingLocked(job.Item)) continue;
            const Integer item = job.Item;
            FQueue.emplace(item, std::move(job));
            ++added;
        }
    }
    if (added == 1)
        FWake.notify_one();
    else if (added > 1)
        FWake.notify_all();
}

bool TThumbWorkers::Pending(Integer Item) {
    std::lock_guard<std::mutex> lock(FMutex);
    return PendingLocked(Item);
}

void TThumbWorkers::Clear() {
    std::lock_guard<std::mutex> lock(FMutex);
    FQueue.clear();
}

void TThumbWorkers::Retain(const std::function<bool(Integer Item)>& Keep) {
    std::lock_guard<std::mutex> lock(FMutex);
    std::erase_if(FQueue, [&](const auto& entry) { return !Keep(entry.first); });
}

Integer TThumbWorkers::Outstanding() {
    std::lock_guard<std::mutex> lock(FMutex);
    return Integer(FQueue.size() + FBusy.size() + FMade.size());
}

void TThumbWorkers::Run(TImgFunctions* Img) {
    for (;;) {
        TThumbResult result;
        {
            std::unique_lock<std::mutex> lock(FMutex);
            FWake.wait(lock, [this] { return FStop || !FQueue.empty(); });
            if (FStop) return;
            auto first = FQueue.begin();
            result.Job = std::move(first->second);
            FQueue.erase(first);
            FBusy.push_back(result.Job.Item);
        }
        try {
            FMaker(Img, result);
        } catch (...) {
            result.Bitmap.reset();
            result.Source = tsFailed;
        }
        bool queueDelivery = false;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FBusy.erase(std::find(FBusy.begin(), FBusy.end(), result.Job.Item));
            if (FStop) return;
            FMade.push_back(std::move(result));
            queueDelivery = !FDeliveryQueued;
            FDeliveryQueued = true;
        }
        if (queueDelivery) TThread::Queue(nullptr, [shared = FShared] { DeliverMade(shared); });
    }
}

void TThumbWorkers::DeliverMade(const std::shared_ptr<TShared>& Shared) {
    TThumbWorkers* owner = Shared->Owner;
    if (!owner) return;
    // The results there now; those made meanwhile come with the next call, so that the window
    // gets its turn between calls. Each stays pending until it is handed over.
    size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(owner->FMutex);
        count = owner->FMade.size();
    }
    // Then the results made meanwhile get a call of their own (also after a delivery that
    // raised), or the workers queue one with their next result.
    auto finish = [&Shared] {
        TThumbWorkers* live = Shared->Owner;
        if (!live) return;  // a delivery freed the workers
        bool again = false;
        {
            std::lock_guard<std::mutex> lock(live->FMutex);
            again = !live->FMade.empty();
            live->FDeliveryQueued = again;
        }
        if (again) lumora_backend::PostToLoop([Shared] { DeliverMade(Shared); });
    };
    for (; count > 0 && Shared->Owner; --count) {
        owner = Shared->Owner;
        TThumbResult result;
        {
            std::lock_guard<std::mutex> lock(owner->FMutex);
            result = std::move(owner->FMade.front());
            owner->FMade.pop_front();
        }
        try {
            if (Shared->Deliver) Shared->Deliver(result);
        } catch (...) {
            finish();
            throw;
        }
    }
    finish();
}
