// The thumbnail workers: the order of the sources a thumbnail comes from, bad input, delivery on
// the user-interface thread, and the pictures against ImageMagick's Lanczos resize.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "catalogue/img_functions.h"
#include "catalogue/tests/thumb_fixtures.h"
#include "catalogue/thumb_cache.h"
#include "catalogue/thumb_workers.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/testing/tool_run.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "framework/thread.h"

namespace {

class ThumbWorkersTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        img_ = new TImgFunctions(nullptr);
    }
    void TearDown() override {
        img_->Free();
        ScratchFolderTest::TearDown();
    }
    TThumbResult Make(const TThumbJob& Job) {
        TThumbResult r;
        r.Job = Job;
        MakeThumbnail(img_, r);
        return r;
    }
    static TThumbJob JobFor(Integer Item) {
        TThumbJob job;
        job.Item = Item;
        return job;
    }
    TImgFunctions* img_ = nullptr;
};

}  // namespace

TEST_F(ThumbWorkersTest, PermanentThenDiskThenTheFileFittedIntoTheBox) {
    WriteBitmapFile(dir_ + "src.bmp", 200, 100, clBlue);
    WriteBitmapFile(dir_ + "perm.bmp", 40, 40, clRed);
    WriteBitmapFile(dir_ + "disk.bmp", 90, 45, clLime);
    struct Case {
        const char* Name;
        std::string Permanent, Disk;
        TThumbSource Source;
        TColor Colour;
        Integer W, H;
    } cases[] = {
        {"permanent first", dir_ + "perm.bmp", dir_ + "disk.bmp", tsPermanent, clRed, 75, 75},
        {"then the disk thumbnail", "", dir_ + "disk.bmp", tsDisk, clLime, 90, 45},
        {"a vanished disk thumbnail falls through", "", dir_ + "none", tsDecoded, clBlue, 90, 45},
        {"then the file", "", "", tsDecoded, clBlue, 90, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TThumbJob job;
        job.FullName = dir_ + "src.bmp";
        job.PermanentFile = c.Permanent;
        job.DiskFile = c.Disk;
        job.StoreFile = dir_ + "~xstored";
        DeleteFile(job.StoreFile);
        const TThumbResult r = Make(job);
        EXPECT_EQ(r.Source, c.Source);
        ASSERT_TRUE(r.Bitmap);
        EXPECT_EQ(r.Bitmap->GetWidth(), c.W);
        EXPECT_EQ(r.Bitmap->GetHeight(), c.H);
        EXPECT_TRUE(NearColour(r.Bitmap->GetCanvas()->GetPixels(c.W / 2, c.H / 2), c.Colour));
        // Only a decoded thumbnail is written to the disk cache.
        EXPECT_EQ(r.Stored, c.Source == tsDecoded);
        EXPECT_EQ(FileExists(job.StoreFile), c.Source == tsDecoded);
    }
}

TEST_F(ThumbWorkersTest, BadInputFailsWithoutBlocking) {
    std::ofstream(dir_ + "broken.jpg") << "not a picture";
    ASSERT_EQ(mkfifo((dir_ + "pipe.jpg").c_str(), 0600), 0);
    for (const char* name : {"broken.jpg", "pipe.jpg", "missing.bmp"}) {
        SCOPED_TRACE(name);
        TThumbJob job;
        job.FullName = dir_ + name;
        job.StoreFile = dir_ + "~xout";
        const TThumbResult r = Make(job);
        EXPECT_EQ(r.Source, tsFailed);
        EXPECT_FALSE(r.Bitmap);
        EXPECT_FALSE(FileExists(job.StoreFile));
    }
}

TEST_F(ThumbWorkersTest, ResultsArriveOnTheUserInterfaceThreadOncePerItem) {
    EXPECT_GE(TThumbWorkers::DefaultCount(), 1);
    EXPECT_LE(TThumbWorkers::DefaultCount(), 8);
    WriteBitmapFile(dir_ + "a.bmp", 30, 20, clRed);
    std::atomic<int> made{0};
    std::vector<Integer> delivered;
    bool onMain = true;
    {
        TThumbWorkers workers(
            4,
            [&](TThumbResult& R) {
                onMain = onMain && IsMainThread();
                delivered.push_back(R.Job.Item);
            },
            [&](TImgFunctions* Img, TThumbResult& R) {
                ++made;
                MakeThumbnail(Img, R);
            });
        EXPECT_EQ(workers.GetCount(), 4);
        for (Integer i = 0; i < 20; ++i) {
            TThumbJob job;
            job.Item = i % 10;  // each item queued twice: made once
            job.FullName = dir_ + "a.bmp";
            workers.Enqueue(job);
        }
        ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
        EXPECT_GE(delivered.size(), 10u);
        EXPECT_LE(delivered.size(), 20u);
        std::sort(delivered.begin(), delivered.end());
        delivered.erase(std::unique(delivered.begin(), delivered.end()), delivered.end());
        EXPECT_EQ(delivered.size(), 10u);
        EXPECT_TRUE(onMain);
    }
    // Nothing arrives once the workers are gone.
    const size_t before = delivered.size();
    uitest::IdleTurns(2);
    EXPECT_EQ(delivered.size(), before);
}

TEST_F(ThumbWorkersTest, ADeliveryThatRaisesLeavesTheOtherResultsToCome) {
    std::vector<Integer> delivered;
    TThumbWorkers workers(
        2,
        [&](TThumbResult& R) {
            delivered.push_back(R.Job.Item);
            if (R.Job.Item == 0) throw EAbort("");  // silent where the loop catches it
        },
        [](TImgFunctions*, TThumbResult&) {});
    std::vector<TThumbJob> jobs;
    for (Integer i = 0; i < 6; ++i) jobs.push_back(JobFor(i));
    workers.Enqueue(std::move(jobs));
    ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
    std::sort(delivered.begin(), delivered.end());
    EXPECT_EQ(delivered, (std::vector<Integer>{0, 1, 2, 3, 4, 5}));
    // Later results still arrive.
    workers.Enqueue(JobFor(9));
    ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
    EXPECT_EQ(delivered.back(), 9);
}

TEST_F(ThumbWorkersTest, PlainStretchesRunOnSeveralWorkersAtOnce) {
    // Without high quality, and for boxes under 10 pixels, the picture is stretched plainly.
    WriteBitmapFile(dir_ + "wide.bmp", 300, 100, clRed);
    WriteBitmapFile(dir_ + "small.bmp", 30, 60, clBlue);
    struct Case {
        const char* File;
        bool HighQuality;
        Integer BoxW, BoxH, W, H;
        TColor Colour;
    } cases[] = {
        {"wide.bmp", false, 90, 75, 90, 30, clRed},   // reduced
        {"small.bmp", false, 90, 75, 38, 75, clBlue}, // enlarged
        {"wide.bmp", true, 9, 9, 9, 3, clRed},        // tiny despite high quality
        {"small.bmp", true, 8, 6, 3, 6, clBlue},
    };
    constexpr Integer Rounds = 6;
    Integer checked = 0;
    std::vector<std::string> wrong;
    {
        TThumbWorkers workers(4, [&](TThumbResult& R) {
            const Case& c = cases[R.Job.Item % 4];
            ++checked;
            if (R.Source != tsDecoded || !R.Bitmap || R.Bitmap->GetWidth() != c.W || R.Bitmap->GetHeight() != c.H ||
                R.Bitmap->GetCanvas()->GetPixels(c.W / 2, c.H / 2) != c.Colour)
                wrong.push_back(std::to_string(R.Job.Item));
        });
        for (Integer i = 0; i < 4 * Rounds; ++i) {
            const Case& c = cases[i % 4];
            TThumbJob job;
            job.Item = i;
            job.FullName = dir_ + c.File;
            job.HighQuality = c.HighQuality;
            job.BoxWidth = c.BoxW;
            job.BoxHeight = c.BoxH;
            workers.Enqueue(job);
        }
        ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
    }
    EXPECT_EQ(checked, 4 * Rounds);
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " wrong, first item " << wrong.front();
}

TEST_F(ThumbWorkersTest, ClearedAndScrolledAwayJobsAreDropped) {
    std::atomic<bool> release{false};
    std::atomic<int> made{0};
    std::vector<Integer> delivered;
    TThumbWorkers workers(
        1, [&](TThumbResult& R) { delivered.push_back(R.Job.Item); },
        [&](TImgFunctions*, TThumbResult&) {
            ++made;
            while (!release.load()) std::this_thread::yield();
        });
    workers.Enqueue(JobFor(0));
    ASSERT_TRUE(uitest::WaitUntil([&] { return made.load() == 1; }));  // the worker is busy
    for (Integer i : {5, 1, 3, 2, 4}) workers.Enqueue(JobFor(i));
    workers.Retain([](Integer Item) { return Item != 3; });  // scrolled away
    EXPECT_FALSE(workers.Pending(3));
    EXPECT_TRUE(workers.Pending(4));
    release = true;
    ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
    // The queue is taken in item order.
    EXPECT_EQ(delivered, (std::vector<Integer>{0, 1, 2, 4, 5}));

    release = false;
    made = 0;
    delivered.clear();
    for (Integer i : {7, 8, 9}) workers.Enqueue(JobFor(i));
    ASSERT_TRUE(uitest::WaitUntil([&] { return made.load() == 1; }));
    workers.Clear();
    release = true;
    ASSERT_TRUE(uitest::WaitUntil([&] { return workers.Outstanding() == 0; }));
    EXPECT_EQ(delivered, (std::vector<Integer>{7}));
}

TEST_F(ThumbWorkersTest, ThumbnailsAgreeWithALanczosResize) {
    using testtools::RunTool;
    if (RunTool("command -v convert >/dev/null && command -v compare >/dev/null").Status != 0)
        GTEST_SKIP() << "ImageMagick is not installed";
    // A few times the box, and a picture many times larger (first averaged down in blocks).
    for (const char* size : {"280x184", "1680x1104"}) {
        SCOPED_TRACE(size);
        const std::string source = dir_ + "rose" + size + ".png";
        ASSERT_EQ(RunTool("convert rose: -resize " + std::string(size) + "! '" + source + "'").Status, 0);
        TThumbJob job;
        job.FullName = source;
        TThumbResult r = Make(job);
        ASSERT_TRUE(r.Bitmap);
        EXPECT_EQ(r.Bitmap->GetWidth(), 90);
        EXPECT_EQ(r.Bitmap->GetHeight(), 59);
        ASSERT_TRUE(img_->SaveBitmapToFile(r.Bitmap.get(), dir_ + "ours.png", false, false, 0));
        ASSERT_EQ(RunTool("convert '" + source + "' -filter Lanczos -resize 90x59! '" + dir_ + "theirs.png'").Status,
                  0);
        const auto run = RunTool("compare -metric PSNR '" + dir_ + "ours.png' '" + dir_ + "theirs.png' null: 2>&1");
        EXPECT_GT(std::atof(run.Output.c_str()), 25.0) << run.Output;
    }
}
