#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "framework/file_utils.h"
#include "platform/file_copy.h"
#include "platform/tests/file_fixture.h"

namespace {

std::string Pattern(size_t Size) {
    std::string s(Size, '\0');
    for (size_t i = 0; i < Size; ++i) s[i] = char((i * 131 + i / 7) & 0xFF);
    return s;
}

// Puts a fault into the copies' I/O for the life of the object.
class FaultyIO {
public:
    explicit FaultyIO(TFileCopyIO IO) { SetFileCopyIOForTesting(std::move(IO)); }
    ~FaultyIO() { SetFileCopyIOForTesting({}); }
};

// Writes fail with Error once Allowed bytes have gone through.
TFileCopyIO FailWritesAfter(long Allowed, int Error) {
    auto written = std::make_shared<long>(0);
    return {nullptr, [=](int Fd, const void* Buffer, unsigned long Count) -> long {
                if (*written + long(Count) > Allowed) {
                    errno = Error;
                    return -1;
                }
                *written += long(Count);
                return ::write(Fd, Buffer, Count);
            }};
}

class FileCopyTest : public FileTest {};

TEST_F(FileCopyTest, CopiesWholeFilesOfEverySize) {
    // Around the old 8192-byte buffer, past the present one, and empty.
    for (size_t size : {size_t(0), size_t(1), size_t(8191), size_t(8192), size_t(8193), size_t(3 << 20) + 5}) {
        std::string source = Make(dir_ + "src", Pattern(size));
        CopyFileTo(source, dir_ + "dest");
        EXPECT_EQ(Read(dir_ + "dest"), Pattern(size)) << size;
    }
    EXPECT_EQ(Names(dir_), (std::vector<std::string>{"dest", "src"}));
}

TEST_F(FileCopyTest, ShortReadsAreNotTheEnd) {
    // A read may return less than asked long before the end.
    FaultyIO io({[](int Fd, void* Buffer, unsigned long Count) -> long {
                     return ::read(Fd, Buffer, Count < 100 ? Count : 100);
                 },
                 nullptr});
    Make(dir_ + "src", Pattern(20000));
    CopyFileTo(dir_ + "src", dir_ + "dest");
    EXPECT_EQ(Read(dir_ + "dest"), Pattern(20000));
}

TEST_F(FileCopyTest, AFullLastReadIsFollowedByOneEmptyRead) {
    // 8192 bytes: the data in one read, then a read that finds the end; one write.
    int reads = 0, writes = 0;
    FaultyIO io({[&](int Fd, void* Buffer, unsigned long Count) -> long {
                     ++reads;
                     return ::read(Fd, Buffer, Count);
                 },
                 [&](int Fd, const void* Buffer, unsigned long Count) -> long {
                     ++writes;
                     return ::write(Fd, Buffer, Count);
                 }});
    Make(dir_ + "src", Pattern(8192));
    CopyFileTo(dir_ + "src", dir_ + "dest");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(Read(dir_ + "dest"), Pattern(8192));
}

TEST_F(FileCopyTest, AFolderDestinationTakesTheSourceName) {
    std::filesystem::create_directory(dir_ + "folder");
    Make(dir_ + "a.txt", "alpha");
    CopyFileTo(dir_ + "a.txt", dir_ + "folder");
    CopyFileTo(dir_ + "a.txt", dir_ + "folder/");
    EXPECT_EQ(Read(dir_ + "folder/a.txt"), "alpha");
    EXPECT_EQ(Names(dir_ + "folder"), (std::vector<std::string>{"a.txt"}));
}

TEST_F(FileCopyTest, FailuresRaiseAndKeepTheOldDestination) {
    Make(dir_ + "src", Pattern(50000));
    Make(dir_ + "dest", "old content");
    std::filesystem::create_directory(dir_ + "folder");
    struct Case {
        const char* Name;
        TFileCopyIO IO;
        std::string Source;
        std::string Dest;
        std::string Message;  // the start of the exception's message
    } cases[] = {
        {"missing source", {}, dir_ + "missing", dir_ + "dest", "Cannot open file " + dir_ + "missing"},
        {"a folder as source", {}, dir_ + "folder", dir_ + "dest", "Cannot open file " + dir_ + "folder"},
        {"missing destination folder",
         {},
         dir_ + "src",
         dir_ + "none/dest",
         "Cannot create file " + dir_ + "none/dest"},
        {"onto itself", {}, dir_ + "src", dir_ + "src", "Cannot create file " + dir_ + "src"},
        {"onto itself through a folder", {}, dir_ + "src", dir_, "Cannot create file " + dir_ + "src"},
        {"write error", FailWritesAfter(10000, EIO), dir_ + "src", dir_ + "dest", "Cannot write file " + dir_ + "dest"},
        {"disk full", FailWritesAfter(0, ENOSPC), dir_ + "src", dir_ + "dest", "Cannot write file " + dir_ + "dest"},
        {"read error",
         {[](int, void*, unsigned long) -> long {
              errno = EIO;
              return -1;
          },
          nullptr},
         dir_ + "src",
         dir_ + "dest",
         "Cannot read file " + dir_ + "src"},
    };
    for (Case& c : cases) {
        FaultyIO io(c.IO);
        try {
            CopyFileTo(c.Source, c.Dest);
            ADD_FAILURE() << c.Name << ": no exception";
        } catch (const EStreamError& e) {
            EXPECT_EQ(e.Message.rfind(c.Message, 0), 0u) << c.Name << ": " << e.Message;
        }
        EXPECT_EQ(Read(dir_ + "dest"), "old content") << c.Name;
        EXPECT_EQ(Read(dir_ + "src"), Pattern(50000)) << c.Name;
        EXPECT_EQ(Names(dir_), (std::vector<std::string>{"dest", "folder", "src"})) << c.Name;
    }
}

TEST_F(FileCopyTest, AReadOnlyDestinationIsNotReplaced) {
    Make(dir_ + "src", "new");
    Make(dir_ + "dest", "old");
    chmod((dir_ + "dest").c_str(), 0444);
    EXPECT_THROW(CopyFileTo(dir_ + "src", dir_ + "dest"), EFCreateError);
    EXPECT_EQ(Read(dir_ + "dest"), "old");
}

TEST_F(FileCopyTest, AReplacedFileKeepsItsModeAndALinkItsTarget) {
    Make(dir_ + "src", "new");
    Make(dir_ + "target", "old");
    chmod((dir_ + "target").c_str(), 0640);
    symlink("target", (dir_ + "link").c_str());
    CopyFileTo(dir_ + "src", dir_ + "link");
    struct stat st {};
    ASSERT_EQ(lstat((dir_ + "link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Read(dir_ + "target"), "new");
    stat((dir_ + "target").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // A link to nothing becomes a new file of the usual mode.
    symlink("nowhere", (dir_ + "dangling").c_str());
    CopyFileTo(dir_ + "src", dir_ + "dangling");
    ASSERT_EQ(lstat((dir_ + "dangling").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0111, 0u);
    EXPECT_EQ(Read(dir_ + "dangling"), "new");
}

TEST_F(FileCopyTest, AFullDiskKeepsTheOldDestination) {
    std::string disk = dir_ + "small";
    Make(dir_ + "big", Pattern(200 * 1024));
    int result = WithTmpfs(disk, 64, [&] {
        Make(disk + "/dest", "old content");
        try {
            CopyFileTo(dir_ + "big", disk + "/dest");
            return 1;
        } catch (const EWriteError&) {}
        if (Read(disk + "/dest") != "old content") return 2;
        if (Names(disk) != std::vector<std::string>{"dest"}) return 3;
        // A copy that fits still works there.
        Make(dir_ + "small.txt", "fits");
        CopyFileTo(dir_ + "small.txt", disk + "/dest");
        return Read(disk + "/dest") == "fits" ? 0 : 4;
    });
    if (result < 0) GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(result, 0);
}

TEST_F(FileCopyTest, MoveRenamesWithinAFileSystem) {
    Make(dir_ + "a", "alpha");
    MoveFileTo(dir_ + "a", dir_ + "b");
    EXPECT_FALSE(Exists(dir_ + "a"));
    EXPECT_EQ(Read(dir_ + "b"), "alpha");
    // Onto itself: raises and changes nothing.
    EXPECT_THROW(MoveFileTo(dir_ + "b", dir_ + "b"), EFCantMove);
    EXPECT_THROW(MoveFileTo(dir_ + "b", dir_ + "./b"), EFCantMove);
    EXPECT_EQ(Read(dir_ + "b"), "alpha");
    // Onto an existing file the rename is refused: the file is copied over it and the source
    // stays for the caller to remove.
    Make(dir_ + "c", "old");
    MoveFileTo(dir_ + "b", dir_ + "c");
    EXPECT_EQ(Read(dir_ + "c"), "alpha");
    EXPECT_TRUE(Exists(dir_ + "b"));
    // A read-only source whose rename is refused is not copied either.
    Make(dir_ + "ro", "read only");
    chmod((dir_ + "ro").c_str(), 0444);
    EXPECT_THROW(MoveFileTo(dir_ + "ro", dir_ + "c"), EFCantMove);
    EXPECT_EQ(Read(dir_ + "c"), "alpha");
    EXPECT_EQ(Read(dir_ + "ro"), "read only");
}

TEST_F(FileCopyTest, MoveAcrossFileSystemsCopiesChecksAndDeletes) {
    std::string other = OtherFileSystem();
    if (other.empty()) GTEST_SKIP() << "no second file system";
    Make(dir_ + "a", Pattern(100000));
    MoveFileTo(dir_ + "a", other + "a");
    EXPECT_FALSE(Exists(dir_ + "a"));
    EXPECT_EQ(Read(other + "a"), Pattern(100000));
    // Into a folder there.
    Make(dir_ + "b", "beta");
    std::filesystem::create_directory(other + "in");
    MoveFileTo(dir_ + "b", other + "in");
    EXPECT_EQ(Read(other + "in/b"), "beta");
    EXPECT_FALSE(Exists(dir_ + "b"));
}

TEST_F(FileCopyTest, AMoveAcrossFileSystemsFailingMidCopyKeepsTheSource) {
    std::string other = OtherFileSystem();
    if (other.empty()) GTEST_SKIP() << "no second file system";
    Make(dir_ + "a", Pattern(3 << 20));
    {
        FaultyIO io(FailWritesAfter(1 << 20, EIO));
        EXPECT_THROW(MoveFileTo(dir_ + "a", other + "a"), EWriteError);
    }
    EXPECT_EQ(Read(dir_ + "a"), Pattern(3 << 20));
    EXPECT_TRUE(Names(other).empty());
}

TEST_F(FileCopyTest, SizesDatesAndAttributes) {
    EXPECT_EQ(GetFileSizeByName(dir_ + "missing"), -1);
    EXPECT_FALSE(FileHasAttr(dir_ + "missing", faReadOnly));
    EXPECT_FALSE(FileHasAttr(dir_ + "missing", 0));
    EXPECT_EQ(GetFileDateTime(dir_ + "missing"), 0);
    // Sizes past 4 GiB (a sparse file takes no room).
    int fd = open((dir_ + "huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 5LL << 30), 0);
    close(fd);
    EXPECT_EQ(GetFileSizeByName(dir_ + "huge.bin"), 5LL << 30);
    EXPECT_EQ(GetFileSizeByName(dir_ + "*.bin"), 5LL << 30);
    Make(dir_ + "ro", "x");
    chmod((dir_ + "ro").c_str(), 0444);
    EXPECT_TRUE(FileHasAttr(dir_ + "ro", faReadOnly));
    EXPECT_FALSE(FileHasAttr(dir_ + "huge.bin", faReadOnly));
    EXPECT_TRUE(FileHasAttr(dir_ + ".", faDirectory));
    EXPECT_GT(GetFileDateTime(dir_ + "ro"), 40000.0);
}

}  // namespace
