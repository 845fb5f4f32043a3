#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalogue/cached_double_string_list.h"
#include "catalogue/lm_types.h"
#include "framework/file_utils.h"
#include "framework/ini_file.h"
#include "framework/sysutils.h"
#include "framework/tests/scratch_folder.h"

namespace {

class DimensionCacheTest : public ScratchFolderTest {
protected:
    std::string FileText() const {
        std::ifstream in(dir_ + "~ImgeDim.che", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST_F(DimensionCacheTest, MemoryKeepsTheLatestEntriesUpperCasedAndTheFileKeepsEveryEntryAsGiven) {
    {
        TCachedDoubleStringList cache(nullptr);
        EXPECT_EQ(cache.GetCacheFilename(), "~ImgeDim.che");
        EXPECT_EQ(cache.GetMemoryCacheCount(), 1000);
        cache.SetCacheDirectory(ExcludeTrailingPathDelimiter(dir_));
        EXPECT_EQ(cache.GetCacheDirectory(), dir_);
        cache.SetMemoryCacheCount(2);
        cache.AddValue("k1", "640x480x24bit");
        cache.AddValue("k2", "1x1x1bit");
        cache.AddValue("k3", "2x2x8bit");
        // The first key left memory at the third addition and is read from the file, as stored.
        EXPECT_EQ(cache.FindInMemory("k1"), "");
        EXPECT_EQ(cache.GetValue("k1"), "640x480x24bit");
        EXPECT_EQ(cache.GetValue("K2"), "1X1X1BIT");
        EXPECT_EQ(cache.GetValue("k3"), "2X2X8BIT");
        EXPECT_EQ(cache.GetValue("k4"), "");
        // A later value for a key: memory answers with its first match, the file holds the last.
        cache.AddValue("k3", "3x3x8bit");
        EXPECT_EQ(cache.FindInMemory("k3"), "2X2X8BIT");
        EXPECT_EQ(cache.ReadFromFile("k3"), "3x3x8bit");
    }
    // Freed: everything is on disk, once per key.
    const std::string text = FileText();
    EXPECT_NE(text.find("[Dimensions_Cache]"), std::string::npos);
    EXPECT_NE(text.find("k1=640x480x24bit"), std::string::npos);
    EXPECT_EQ(text.find("2x2x8bit"), std::string::npos);

    TCachedDoubleStringList again(nullptr);
    again.SetCacheDirectory(dir_);
    EXPECT_EQ(again.GetValue("k2"), "1x1x1bit");
}

TEST_F(DimensionCacheTest, AChangedFileDateIsANewKey) {
    TCachedDoubleStringList cache(nullptr);
    cache.SetCacheDirectory(dir_);
    const std::string before = MakeCacheKey("/p/a.jpg", 45000.5);
    const std::string after = MakeCacheKey("/p/a.jpg", 45001.5);
    cache.AddValue(before, "10x10x24bit");
    EXPECT_EQ(cache.GetValue(after), "");
    cache.AddValue(after, "20x20x24bit");
    EXPECT_EQ(cache.ReadFromFile(before), "10x10x24bit");
}

TEST_F(DimensionCacheTest, TheFileIsWrittenAfterABatchNotPerAddition) {
    TCachedDoubleStringList cache(nullptr);
    cache.SetCacheDirectory(dir_);
    cache.AddValue("first", "1x1x1bit");
    EXPECT_FALSE(FileExists(dir_ + "~ImgeDim.che"));
    for (Integer i = 1; i < TCachedDoubleStringList::FlushEvery; ++i) cache.AddValue("k" + IntToStr(i), "v");
    EXPECT_NE(FileText().find("first=1x1x1bit"), std::string::npos);

    // Moving the cache writes what it holds to the old file first.
    cache.AddValue("late", "2x2x2bit");
    ASSERT_TRUE(ForceDirectories(dir_ + "other"));
    cache.SetCacheDirectory(dir_ + "other");
    EXPECT_NE(FileText().find("late=2x2x2bit"), std::string::npos);
    EXPECT_EQ(cache.GetValue("late"), "2X2X2BIT");
    EXPECT_EQ(cache.ReadFromFile("late"), "");
}
