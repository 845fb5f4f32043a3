// The thumbnail caches: the memory ring, the disk thumbnails with their index, and the
// permanent thumbnails.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "catalogue/tests/thumb_fixtures.h"
#include "catalogue/thumb_cache.h"
#include "dbgrid/tests/mem_table.h"
#include "framework/date_time.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/tests/scratch_folder.h"

namespace {

std::string ReadText(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Touch(const std::string& File, Int64 Age) {
    std::ofstream(File, std::ios::app).put('x');
    FileSetDate(File, Age);
}

}  // namespace

TEST(ThumbMemoryCache, RingReusesItsFirstSlotAndComparesNamesExactly) {
    TThumbMemoryCache ring;
    ring.SetMaxCount(2);
    auto red = SolidBitmap(4, 3, clRed), blue = SolidBitmap(4, 3, clBlue);
    ring.Add(red.get(), "/f/A.jpg");
    ring.Add(blue.get(), "/f/a.jpg");  // another file on this system, not the same one
    EXPECT_EQ(ring.Find("/f/A.jpg"), 0);
    EXPECT_EQ(ring.Find("/f/a.jpg"), 1);
    ring.Add(blue.get(), "/f/c.jpg");
    EXPECT_EQ(ring.Find("/f/c.jpg"), 0);
    EXPECT_EQ(ring.Find("/f/A.jpg"), -1);
    TBitmap out;
    ASSERT_TRUE(ring.Get(&out, ring.Find("/f/a.jpg")));
    EXPECT_EQ(out.GetCanvas()->GetPixels(1, 1), clBlue);

    ring.Clear();
    EXPECT_EQ(ring.Find("/f/c.jpg"), -1);
    ring.Add(red.get(), "/f/d.jpg");
    EXPECT_EQ(ring.Find("/f/d.jpg"), 0);

    ring.SetMaxCount(0);
    ring.Add(red.get(), "/f/e.jpg");
    EXPECT_EQ(ring.Find("/f/d.jpg"), -1);
    EXPECT_EQ(ring.Find("/f/e.jpg"), -1);
    EXPECT_FALSE(ring.Get(&out, 0));
    ring.SetMaxCount(500);
    EXPECT_EQ(ring.GetMaxCount(), TThumbMemoryCache::RingSize);
}

class ThumbDiskCacheTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        cache_ = dir_ + "cache/";
        std::filesystem::create_directory(cache_);
        img_ = new TImgFunctions(nullptr);
    }
    void TearDown() override {
        img_->Free();
        ScratchFolderTest::TearDown();
    }
    std::string Source(const std::string& Name) {
        const std::string file = dir_ + Name;
        if (!FileExists(file)) Touch(file, 1600000000);
        return file;
    }
    std::vector<std::string> CacheFiles() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(cache_))
            if (e.path().filename().string().rfind("~x", 0) == 0) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string cache_;
    TImgFunctions* img_ = nullptr;
};

TEST_F(ThumbDiskCacheTest, FileNamesFollowSizeDifferenceSourceDateAndSuffix) {
    const std::string src = Source("p.jpg");
    const TDateTime date = ThumbSourceDate(src);
    EXPECT_NE(date, 0);
    TThumbDiskNaming a{cache_, 15, true, true}, b{cache_, 105 - 90, true, true};
    EXPECT_EQ(a.FileFor(src, date), b.FileFor(src, date));
    EXPECT_EQ(a.FileFor(src, date), cache_ + "~x15" + MakeCacheKey(src, date) + "e");
    EXPECT_EQ((TThumbDiskNaming{cache_, 0, true, false}.FileFor(src, 0)),
              cache_ + "~x0" + MakeCacheKey(src, 0) + ".jpg");
    EXPECT_EQ((TThumbDiskNaming{cache_, 3, false, true}.FileFor(src, 0)), cache_ + "~x3" + MakeCacheKey(src, 0) + "b");
    EXPECT_EQ((TThumbDiskNaming{cache_, 3, false, false}.FileFor(src, 0)),
              cache_ + "~x3" + MakeCacheKey(src, 0) + ".bmp");
    Touch(src, 1700000000);
    EXPECT_NE(a.FileFor(src, ThumbSourceDate(src)), a.FileFor(src, date));
}

TEST_F(ThumbDiskCacheTest, StoresLoadsEvictsInRecentOrderAndSavesTheIndex) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache_);
    disk.SetMaxCount(2);
    disk.SetJPEG(false);
    auto red = SolidBitmap(9, 6, clRed);
    const std::string a = Source("a.bmp"), b = Source("b.bmp"), c = Source("c.bmp");
    disk.Store(img_, red.get(), a);
    disk.Store(img_, red.get(), b);
    const std::string fileOfA = disk.FileAt(disk.Find(a));
    ASSERT_TRUE(FileExists(fileOfA));
    TBitmap out;
    ASSERT_TRUE(disk.Load(img_, &out, disk.Find(a)));  // a becomes the most recent
    EXPECT_EQ(out.GetWidth(), 9);
    EXPECT_EQ(out.GetCanvas()->GetPixels(2, 2), clRed);
    EXPECT_EQ(disk.GetIndex(), (std::vector<std::string>{b, a}));
    disk.Store(img_, red.get(), c);  // over the limit: b goes with its file
    EXPECT_EQ(disk.GetIndex(), (std::vector<std::string>{a, c}));
    EXPECT_EQ(CacheFiles().size(), 2u);
    EXPECT_FALSE(FileExists(cache_ + TThumbDiskCache::IndexName));

    // Storing a name again replaces its entry: evicting it later must not find a second one.
    Touch(a, 1700000000);
    disk.Store(img_, red.get(), a);
    EXPECT_EQ(disk.GetIndex(), (std::vector<std::string>{c, a}));
    EXPECT_TRUE(FileExists(disk.FileAt(disk.Find(a))));

    // Names with a line break never enter the index file.
    disk.Stored(dir_ + "bad\nname.bmp");
    disk.Stored(dir_ + "bad\rname.bmp");
    EXPECT_EQ(disk.GetIndex().size(), 2u);

    disk.SaveIndex();
    EXPECT_EQ(ReadText(cache_ + TThumbDiskCache::IndexName), c + "\n" + a + "\n");
    TThumbDiskCache again;
    again.SetDirectory(cache_);
    EXPECT_EQ(again.GetIndex(), (std::vector<std::string>{c, a}));
}

TEST_F(ThumbDiskCacheTest, IndexIsSavedEveryThirtyOneAdditionsAndRemovedWhenEmpty) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache_);
    disk.SetMaxCount(TThumbDiskCache::NoLimit);
    const std::string index = cache_ + TThumbDiskCache::IndexName;
    for (Integer i = 0; i < 30; ++i) disk.Stored(dir_ + IntToStr(i) + ".jpg");
    EXPECT_FALSE(FileExists(index));
    disk.Stored(dir_ + "30.jpg");
    EXPECT_TRUE(FileExists(index));
    EXPECT_EQ(disk.GetIndex().size(), 31u);
    disk.Clear();
    EXPECT_FALSE(FileExists(index));
}

TEST_F(ThumbDiskCacheTest, ClearDeletesOrphanedThumbnailsButNothingElse) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache_);
    auto red = SolidBitmap(5, 5, clRed);
    const std::string a = Source("a.jpg");
    disk.Store(img_, red.get(), a);
    Touch(a, 1700000000);  // its file is now an orphan
    disk.Store(img_, red.get(), a);
    EXPECT_EQ(CacheFiles().size(), 2u);
    std::ofstream(cache_ + "keep.txt") << "mine";
    disk.Clear();
    EXPECT_TRUE(CacheFiles().empty());
    EXPECT_TRUE(FileExists(cache_ + "keep.txt"));
    EXPECT_TRUE(disk.GetIndex().empty());
}

TEST_F(ThumbDiskCacheTest, MissingFolderRaisesAndKeepsTheOldOne) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache_);
    EXPECT_EQ(ErrorOf([&] { disk.SetDirectory(dir_ + "none"); }), "Directory does no exist!");
    EXPECT_EQ(disk.GetDirectory(), cache_);
    EXPECT_TRUE(disk.Enabled());
    disk.SetMaxCount(0);
    EXPECT_FALSE(disk.Enabled());
    EXPECT_EQ(disk.Find(dir_ + "a.jpg"), -1);
}

TEST_F(ThumbDiskCacheTest, PermanentThumbnailsNeedInfoFileSurviveDatesAndMove) {
    const std::string thumbs = dir_ + "Thumbs/";
    std::filesystem::create_directory(thumbs);
    const std::string clip = Source("clip.avi"), moved = Source("moved.avi");
    TPermanentThumbs perm;
    perm.SetDirectory(thumbs);
    EXPECT_FALSE(perm.Present());
    auto red = SolidBitmap(30, 20, clRed);
    ASSERT_TRUE(perm.Store(img_, red.get(), clip));
    EXPECT_TRUE(perm.Present());
    const std::string info = ReadText(thumbs + "info.txt");
    EXPECT_EQ(info.substr(0, 50), "This directory stores your permanent thumbnail, su");
    EXPECT_NE(info.find("\nNOTE: If you delete all of these files then you SHOULD ALSO DELETE THIS FILE!"),
              std::string::npos);
    EXPECT_EQ(perm.FileFor(clip), thumbs + "x" + MakeCacheKey(clip, 0) + ".jpg");
    Touch(clip, 1700000000);
    TBitmap out;
    ASSERT_TRUE(perm.Load(img_, &out, clip));
    EXPECT_EQ(out.GetWidth(), 30);

    perm.Move(clip, moved);
    EXPECT_EQ(perm.FileFor(clip), "");
    EXPECT_EQ(perm.FileFor(moved), perm.NameFor(moved, true));

    // Without "info.txt" the folder is no permanent cache at the next start.
    DeleteFile(thumbs + "info.txt");
    TPermanentThumbs next;
    next.SetDirectory(thumbs);
    EXPECT_FALSE(next.Present());
    EXPECT_EQ(next.FileFor(moved), "");
}
