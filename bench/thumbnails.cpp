// The thumbnail grid making every thumbnail of a folder shown whole: the time from the first
// paint until the last thumbnail is in, cold (empty caches; JPEG disk thumbnails are written)
// and warm (the disk cache filled, a new grid), against vipsthumbnail -s 90x75 on the same files
// in the same run. Twice: one worker against one vipsthumbnail process, and all workers against
// as many vipsthumbnail processes side by side (xargs -P). Targets: cold ratio at most 1.0 in
// both; warm at least 20 times faster than cold. Also printed: the peak memory.
// "thumbnails FIXTURE_FOLDER WORK_FOLDER" (bench/thumbnails.sh makes the fixtures).

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/peer_timing.h"
#include "catalogue/file_grid_columns.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "framework/data_source.h"
#include "framework/dataset.h"
#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"

namespace {

constexpr Integer Columns = 12;

struct TRun {
    double Ms = 0;
    Integer Made = 0;
};

// A new grid over the folder's table, big enough to show every item, timed from its first paint
// until no thumbnail is outstanding.
TRun TimeGrid(TdmTempDB* Db, const std::string& CacheFolder, Integer Workers, Integer Items) {
    TForm* form = new TForm(nullptr);
    auto* files = new TgxDBGrid(form);
    files->SetParent(form);
    files->SetVisible(false);
    files->SetOptions(files->GetOptions() + TgxDBGridOptions{egoLoadAllRecords});
    auto* thumbs = new TgxThumbGrid2(form);
    const TFileGridColumns columns = CreateFileGridColumns(files, form);
    columns.Filename->SetSorted(csNone);  // the folder in its listing order
    BindFileGridColumns(columns, nullptr, thumbs);
    files->SetDataSource(Db->dscMode3);
    thumbs->SetParent(form);
    thumbs->SetBorderStyle(bsNone);
    thumbs->SetThumbDisplayType(tdtLargeIcon);
    thumbs->SupportedFormats = "*.*";
    thumbs->SetJPEGThumbnails(true);
    thumbs->SetDiskCacheMaxCacheCount(TThumbDiskCache::NoLimit);
    thumbs->SetDiskCacheDirectory(CacheFolder);
    std::atomic<Integer> made{0};
    thumbs->SetThumbnailWorkers(Workers, [&](TImgFunctions* Img, TThumbResult& Result) {
        MakeThumbnail(Img, Result);
        if (Result.Bitmap) ++made;
    });
    const Integer rows = (Items + Columns - 1) / Columns;
    form->SetBounds(0, 0, 20 + Columns * 107 + 40, 20 + rows * 107 + 60);
    thumbs->SetBounds(0, 0, 20 + Columns * 107 + 10, 20 + rows * 107 + 10);
    thumbs->SetAttachedgxDBGrid(files);
    uitest::ShowForm(form);
    thumbs->UpdateLayout(true, false);

    const auto t0 = bench::Clock::now();
    thumbs->Invalidate();
    uitest::ProcessEvents();
    uitest::WaitUntil([&] { return thumbs->ThumbnailsOutstanding() == 0; }, 600000);
    const double ms = bench::Ms(t0, bench::Clock::now());
    form->Free();
    return {ms, made.load()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: thumbnails FIXTURE_FOLDER WORK_FOLDER\n");
        return 2;
    }
    // Whole paths: vipsthumbnail writes a relative output name beside its input.
    const std::string fixtures = IncludeTrailingPathDelimiter(ExpandFileName(argv[1]));
    const std::string work = IncludeTrailingPathDelimiter(ExpandFileName(argv[2]));
    uitest::Start();

    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(fixtures)) {
        const std::string ext = e.path().extension().string();
        if (ext == ".jpg" || ext == ".png") names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    const Integer items = Integer(names.size());
    auto* db = Create<TdmTempDB>(nullptr);
    for (const std::string& n : names) db->AddFileByName(db->memMode3, fixtures + n, true);
    db->memMode3->First();
    std::printf("files: %d (%s)\n", int(items), fixtures.c_str());

    const Integer all = TThumbWorkers::DefaultCount();
    bool ok = true;
    for (const Integer workers : {Integer(1), all}) {
        const std::string cache = work + "cache" + std::to_string(workers) + "/";
        const std::string peerOut = work + "vips" + std::to_string(workers) + "/";
        std::filesystem::remove_all(cache);
        std::filesystem::remove_all(peerOut);
        std::filesystem::create_directories(cache);
        std::filesystem::create_directories(peerOut);

        bench::ResetPeak();
        const TRun cold = TimeGrid(db, cache, workers, items);
        const double coldPeak = bench::PeakMiB();
        const TRun warm = TimeGrid(db, cache, workers, items);

        // The peer: the same files, thumbnails written as JPEG like our disk cache.
        const std::string command = "cd '" + fixtures + "' && ls *.jpg *.png | xargs -P " + std::to_string(workers) +
                                    " -n " + std::to_string(workers == 1 ? items : (items + workers - 1) / workers) +
                                    " vipsthumbnail -s 90x75 -o '" + peerOut + "%s.jpg[Q=90]'";
        const double peer = bench::RunOnce(command);

        const std::string label = std::to_string(workers) + (workers == 1 ? " worker" : " workers");
        // A repaint of the whole grid makes the cells the memory cache let go once more.
        std::printf("thumbnails made: cold %d, warm %d, for %d files\n", int(cold.Made), int(warm.Made), int(items));
        bench::Report("thumbnails cold, " + label, cold.Ms, "vipsthumbnail x" + std::to_string(workers), peer);
        const double speedUp = warm.Ms > 0 ? cold.Ms / warm.Ms : 0;
        std::printf("thumbnails warm, %s: ours %.1f ms, cold %.1f ms, %.1f times faster\n", label.c_str(), warm.Ms,
                    cold.Ms, speedUp);
        std::printf("peak memory, %s: %.1f MiB\n", label.c_str(), coldPeak);
        const bool coldMet = peer > 0 && cold.Ms <= peer && cold.Made >= items;
        const bool warmMet = speedUp >= 20 && warm.Made >= items;
        std::printf("cold target (ratio at most 1.0), %s: %s\n", label.c_str(), coldMet ? "met" : "NOT met");
        std::printf("warm target (at least 20 times faster), %s: %s\n", label.c_str(), warmMet ? "met" : "NOT met");
        ok = ok && coldMet && warmMet;
    }
    db->Free();
    return ok ? 0 : 1;
}
