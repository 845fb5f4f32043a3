#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "framework/date_time.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/tests/scratch_folder.h"

namespace {

class FileSystemTest : public ScratchFolderTest {
protected:
    std::string Make(const std::string& name, const std::string& content = "") {
        std::ofstream(dir_ + name, std::ios::binary) << content;
        return dir_ + name;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir_ + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Names FindFirst/FindNext report for Path.
    std::set<std::string> Found(const std::string& path, Integer attr, Integer* firstResult = nullptr) {
        std::set<std::string> names;
        TSearchRec f;
        Integer rc = FindFirst(path, attr, f);
        if (firstResult) *firstResult = rc;
        for (Integer r = rc; r == 0; r = FindNext(f)) names.insert(f.Name);
        FindClose(f);
        return names;
    }
};

}  // namespace

TEST(PathParts, ExtensionsComeFromTheLastPointOfTheNamePart) {
    struct Case {
        const char* name;
        const char* ext;
        const char* changed;  // ChangeFileExt(name, ".new")
    } cases[] = {
        {"a.b/c", "", "a.b/c.new"},
        {".bashrc", ".bashrc", ".new"},
        {"x.tar.gz", ".gz", "x.tar.new"},
        {"/photos/IMG.JPG", ".JPG", "/photos/IMG.new"},
        {"noext", "", "noext.new"},
        {"dir.d/", "", "dir.d/.new"},
        {"file.", ".", "file.new"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
        EXPECT_EQ(ChangeFileExt(c.name, ".new"), c.changed) << c.name;
    }
    EXPECT_EQ(ChangeFileExt("x.jpg", ""), "x");
}

TEST(PathParts, NamesFoldersAndDelimiters) {
    EXPECT_EQ(ExtractFileName("/a/b.txt"), "b.txt");
    EXPECT_EQ(ExtractFileName("b"), "b");
    EXPECT_EQ(ExtractFileName("/a/"), "");
    EXPECT_EQ(ExtractFilePath("/a/b.txt"), "/a/");
    EXPECT_EQ(ExtractFilePath("b"), "");
    EXPECT_EQ(ExtractFileDir("/a/b.txt"), "/a");
    EXPECT_EQ(ExtractFileDir("/b"), "/");
    EXPECT_EQ(ExtractFileDir("b"), "");
    EXPECT_EQ(ExtractFileDrive("/x"), "/");
    EXPECT_EQ(ExtractFileDrive("x"), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingBackslash("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingBackslash("/"), "/");
    EXPECT_TRUE(IsPathDelimiter("a/b", 2));
}

TEST(PathParts, ExpandAndRelativePaths) {
    EXPECT_EQ(ExpandFileName("/a//b/../c/./"), "/a/c/");
    EXPECT_EQ(ExpandFileName("/../x/.."), "/");
    EXPECT_EQ(ExpandFileName(""), "");
    EXPECT_EQ(ExpandFileName("x/../y/./z"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "y/z");
    EXPECT_EQ(ExtractRelativePath("/a/b/x.txt", "/a/c/d.txt"), "../c/d.txt");
    EXPECT_EQ(ExtractRelativePath("/a/b/", "/a/b/c/d"), "c/d");
    EXPECT_EQ(ExtractRelativePath("/a/b/x", "/a/b/y"), "y");
    EXPECT_EQ(ExtractRelativePath("rel/x", "/abs/y"), "/abs/y");
}

TEST(PathParts, MatchesMaskIgnoresCase) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"Photo.JPG", "*.jpg", true},       {"a.jpeg", "*.jpg", false},        {"abc", "a?c", true},
        {"ac", "a?c", false},               {"file1.txt", "file[0-9].txt", true}, {"filex.txt", "file[!0-9].txt", true},
        {"file5.txt", "file[!0-9].txt", false}, {"x", "*", true},              {"\xC3\x84" "BC.txt", "\xC3\xA4" "bc.*", true},
        {"a[b", "a[b", true},               {"abc", "*.*", false},             {"a.b.c", "*.c", true},
        {"aaa", "*a*a*a*", true},           {"aa", "*a*a*a*", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST_F(FileSystemTest, RenameFileNeverReplacesAnExistingFile) {
    Make("a", "first");
    Make("b", "second");
    errno = 0;
    EXPECT_FALSE(RenameFile(dir_ + "a", dir_ + "b"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(Read("a"), "first");
    EXPECT_EQ(Read("b"), "second");
    EXPECT_TRUE(RenameFile(dir_ + "a", dir_ + "c"));
    EXPECT_FALSE(FileExists(dir_ + "a"));
    EXPECT_EQ(Read("c"), "first");
    ASSERT_TRUE(CreateDir(dir_ + "sub"));
    EXPECT_FALSE(RenameFile(dir_ + "c", dir_ + "sub"));
    EXPECT_TRUE(RenameFile(dir_ + "sub", dir_ + "sub2"));
    EXPECT_TRUE(DirectoryExists(dir_ + "sub2"));
    EXPECT_FALSE(RenameFile(dir_ + "missing", dir_ + "d"));
}

TEST_F(FileSystemTest, AttributesOfDotFilesFoldersAndReadOnlyFiles) {
    Make(".hidden");
    Make("plain");
    Make("ro");
    chmod((dir_ + "ro").c_str(), 0444);
    CreateDir(dir_ + "sub");
    CreateDir(dir_ + ".cfg");
    EXPECT_EQ(FileGetAttr(dir_ + ".hidden"), faHidden);
    EXPECT_EQ(FileGetAttr(dir_ + "plain"), 0);
    EXPECT_EQ(FileGetAttr(dir_ + "ro"), faReadOnly);
    EXPECT_EQ(FileGetAttr(dir_ + "sub"), faDirectory);
    EXPECT_EQ(FileGetAttr(dir_ + ".cfg/"), faDirectory | faHidden);
    EXPECT_EQ(FileGetAttr(dir_ + "missing"), -1);
    EXPECT_TRUE(FileIsReadOnly(dir_ + "ro"));

    // Read-only toggles write permission; a read-only file cannot be deleted.
    EXPECT_EQ(FileSetAttr(dir_ + "plain", faReadOnly | faArchive), 0);
    EXPECT_EQ(FileGetAttr(dir_ + "plain"), faReadOnly);
    EXPECT_FALSE(DeleteFile(dir_ + "plain"));
    EXPECT_TRUE(FileExists(dir_ + "plain"));
    EXPECT_EQ(FileSetAttr(dir_ + "plain", 0), 0);
    EXPECT_EQ(FileGetAttr(dir_ + "plain"), 0);
    EXPECT_EQ(FileSetAttr(dir_ + "ro", 0), 0);
    EXPECT_EQ(FileGetAttr(dir_ + "ro"), 0);

    // Hidden follows the name and cannot be set or cleared.
    EXPECT_EQ(FileSetAttr(dir_ + "plain", faHidden | faReadOnly), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FileGetAttr(dir_ + "plain"), 0);
    EXPECT_EQ(FileSetAttr(dir_ + ".hidden", 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FileSetAttr(dir_ + ".hidden", faHidden | faReadOnly), 0);
    EXPECT_EQ(FileGetAttr(dir_ + ".hidden"), faHidden | faReadOnly);
    EXPECT_EQ(FileSetAttr(dir_ + "missing", 0), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, FindFirstFiltersByMaskAndAttributes) {
    Make("a.jpg", "12345");
    Make("B.JPG");
    Make(".c.jpg");
    Make("d.txt");
    Make("noext");
    Make("ro.jpg");
    chmod((dir_ + "ro.jpg").c_str(), 0444);
    CreateDir(dir_ + "sub.jpg");

    EXPECT_EQ(Found(dir_ + "*.jpg", 0), (std::set<std::string>{"a.jpg", "B.JPG", "ro.jpg"}));
    EXPECT_EQ(Found(dir_ + "*.jpg", faHidden), (std::set<std::string>{"a.jpg", "B.JPG", "ro.jpg", ".c.jpg"}));
    EXPECT_EQ(Found(dir_ + "*.JPG", faDirectory),
              (std::set<std::string>{"a.jpg", "B.JPG", "ro.jpg", "sub.jpg"}));
    EXPECT_EQ(Found(dir_ + "*.*", faAnyFile),
              (std::set<std::string>{".", "..", "a.jpg", "B.JPG", ".c.jpg", "d.txt", "noext", "ro.jpg", "sub.jpg"}));
    EXPECT_EQ(Found(dir_ + "noext.*", 0), (std::set<std::string>{"noext"}));
    EXPECT_EQ(Found(dir_ + "?.txt", 0), (std::set<std::string>{"d.txt"}));

    Integer rc = 0;
    EXPECT_TRUE(Found(dir_ + "*.png", faAnyFile, &rc).empty());
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Found(dir_ + "missing/*.*", faAnyFile, &rc).empty());
    EXPECT_EQ(rc, ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(Found(dir_ + "nothing.txt", faAnyFile, &rc).empty());
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);

    TSearchRec f;
    ASSERT_EQ(FindFirst(dir_ + "a.jpg", 0, f), 0);
    EXPECT_EQ(f.Name, "a.jpg");
    EXPECT_EQ(f.Size, 5);
    EXPECT_EQ(f.Attr, 0);
    EXPECT_EQ(f.Time, FileAge(dir_ + "a.jpg"));
    EXPECT_EQ(f.FindData.nFileSizeLow, 5u);
    EXPECT_EQ(FindNext(f), ERROR_NO_MORE_FILES);
    FindClose(f);
}

TEST_F(FileSystemTest, FindFirstTakesAnExistingNameLiterally) {
    Make("star*.txt");
    Make("starry.txt");
    EXPECT_EQ(Found(dir_ + "star*.txt", 0), (std::set<std::string>{"star*.txt"}));
    EXPECT_EQ(Found(dir_ + "sta?ry.txt", 0), (std::set<std::string>{"starry.txt"}));
}

TEST(FindFirstRoot, TheRootHasNoDotEntries) {
    // Every entry of the root is found, and nothing else: an empty search fails too.
    std::set<std::string> found, listed;
    TSearchRec f;
    for (Integer r = FindFirst("/*", faAnyFile, f); r == 0; r = FindNext(f)) found.insert(f.Name);
    FindClose(f);
    for (const auto& entry : std::filesystem::directory_iterator("/")) listed.insert(entry.path().filename().string());
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(found, listed);
    EXPECT_EQ(found.count("."), 0u);
    EXPECT_EQ(found.count(".."), 0u);
}

TEST_F(FileSystemTest, SizesAreSixtyFourBit) {
    const Int64 size = (Int64(5) << 30) + 123;  // a sparse file past 4 GiB
    int fd = open((dir_ + "big").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
    EXPECT_EQ(FileSize(dir_ + "big"), size);
    TSearchRec f;
    ASSERT_EQ(FindFirst(dir_ + "b*", 0, f), 0);
    EXPECT_EQ(f.Size, size);
    EXPECT_EQ(f.FindData.nFileSizeHigh, 1u);
    EXPECT_EQ(f.FindData.nFileSizeLow, static_cast<DWORD>(size - (Int64(1) << 32)));
    FindClose(f);
    EXPECT_EQ(FileSize(dir_ + "missing"), -1);
    EXPECT_EQ(FileSize(dir_), -1);
}

TEST_F(FileSystemTest, FileDatesRoundTripInLocalTime) {
    const TDateTime when = 36925 + (4 * 3600 + 5 * 60 + 6) / 86400.0;  // 2001-02-03 04:05:06 local
    const Int64 age = DateTimeToFileDate(when);
    std::string name = Make("dated");
    EXPECT_EQ(FileSetDate(name, age), 0);
    EXPECT_EQ(FileAge(name), age);
    EXPECT_NEAR(FileDateToDateTime(FileAge(name)), when, 1e-9);
    TDateTime exact = 0;
    ASSERT_TRUE(FileAge(name, exact));
    EXPECT_NEAR(exact, when, 1e-9);
    Integer fd = FileOpen(name, fmOpenReadWrite);
    ASSERT_NE(fd, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileGetDate(fd), age);
    EXPECT_EQ(FileSetDate(fd, age + 60), 0);
    FileClose(fd);
    EXPECT_EQ(FileAge(name), age + 60);
    EXPECT_EQ(FileAge(dir_), -1);
    EXPECT_EQ(FileAge(dir_ + "missing"), -1);
    EXPECT_EQ(FileSetDate(dir_ + "missing", age), ERROR_FILE_NOT_FOUND);

    TSearchRec f;
    ASSERT_EQ(FindFirst(name, 0, f), 0);
    EXPECT_EQ(f.Time, age + 60);
    EXPECT_NEAR(f.TimeStamp, FileDateToDateTime(age + 60), 1e-9);
    FILETIME local;
    FileTimeToLocalFileTime(f.FindData.ftLastWriteTime, local);
    EXPECT_NEAR(FileTimeToDateTime(local), f.TimeStamp, 1e-9);
    FindClose(f);
}

TEST_F(FileSystemTest, FoldersAndDeletion) {
    EXPECT_TRUE(ForceDirectories(dir_ + "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(dir_ + "a/b/c"));
    EXPECT_TRUE(ForceDirectories(dir_ + "a/b"));
    EXPECT_THROW(ForceDirectories(""), EInOutError);
    Make("file");
    EXPECT_FALSE(ForceDirectories(dir_ + "file/sub"));
    EXPECT_FALSE(CreateDir(dir_ + "a"));
    EXPECT_FALSE(RemoveDir(dir_ + "a"));  // not empty
    EXPECT_FALSE(DeleteFile(dir_ + "a/b/c"));
    EXPECT_TRUE(RemoveDir(dir_ + "a/b/c"));
    EXPECT_TRUE(FileExists(dir_ + "file"));
    EXPECT_FALSE(FileExists(dir_ + "a"));
    EXPECT_TRUE(DeleteFile(dir_ + "file"));
    EXPECT_FALSE(FileExists(dir_ + "file"));
    EXPECT_FALSE(DeleteFile(dir_ + "file"));
}

TEST_F(FileSystemTest, SameFileFollowsIdentity) {
    std::string a = Make("a"), b = Make("b");
    ASSERT_EQ(link(a.c_str(), (dir_ + "hard").c_str()), 0);
    EXPECT_TRUE(SameFile(a, dir_ + "hard"));
    EXPECT_TRUE(SameFile(a, dir_ + "x/../a"));
    EXPECT_FALSE(SameFile(a, b));
    EXPECT_TRUE(SameFile(dir_ + "none", dir_ + "./none"));
}

TEST_F(FileSystemTest, TemporaryNamesAndCurrentFolder) {
    std::string t = GetTempPath();
    EXPECT_EQ(t.back(), '/');
    std::string n1 = GetTempFileName(dir_, "lumora"), n2 = GetTempFileName(dir_, "lumora");
    EXPECT_NE(n1, n2);
    EXPECT_TRUE(FileExists(n1));
    EXPECT_EQ(ExtractFileName(n1).substr(0, 3), "lum");
    EXPECT_EQ(ExtractFileExt(n1), ".tmp");
    EXPECT_EQ(GetTempFileName(dir_ + "missing", "x"), "");

    std::string old = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir_));
    EXPECT_EQ(IncludeTrailingPathDelimiter(GetCurrentDir()), ExpandFileName(dir_));
    EXPECT_EQ(ExpandFileName("x"), ExpandFileName(dir_) + "x");
    EXPECT_TRUE(SetCurrentDir(old));
    EXPECT_FALSE(SetCurrentDir(dir_ + "missing"));
}

TEST(CommandLine, ProgramAndParameters) {
    EXPECT_EQ(ExtractFileName(ParamStr(0)), "framework_tests");
    EXPECT_EQ(ParamStr(0), ProgramFileName());
    std::vector<std::string> saved = {ParamStr(0)};
    for (Integer i = 1; i <= ParamCount(); ++i) saved.push_back(ParamStr(i));

    const char* argv[] = {"prog", "one", "two"};
    SetCommandLine(3, argv);
    EXPECT_EQ(ParamCount(), 2);
    EXPECT_EQ(ParamStr(2), "two");
    EXPECT_EQ(ParamStr(3), "");
    EXPECT_EQ(ParamStr(-1), "");

    std::vector<const char*> restore;
    for (const std::string& a : saved) restore.push_back(a.c_str());
    SetCommandLine(static_cast<int>(restore.size()), restore.data());
}
