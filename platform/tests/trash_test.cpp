#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>

#include "platform/tests/file_fixture.h"
#include "platform/trash.h"
#include "platform/user_folders.h"

namespace {

class TrashTest : public FileTest {
protected:
    void TearDown() override {
        // Only what these tests put into a shared trash goes again.
        for (const std::string& entry : trashed_) {
            std::remove(entry.c_str());
            std::remove((ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(entry))) + "info/" +
                         ExtractFileName(entry) + ".trashinfo")
                            .c_str());
        }
        FileTest::TearDown();
    }
    static bool HaveTool(const char* Name) {
        return std::system((std::string("command -v ") + Name + " >/dev/null 2>&1").c_str()) == 0;
    }
    static std::string Run(const std::string& Command) {
        std::string out;
        if (FILE* p = popen(Command.c_str(), "r")) {
            char buf[512];
            while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
            pclose(p);
        }
        return out;
    }
    // trash-restore offers what was trashed from Folder; answering 0 restores the first.
    static void RestoreFirst(const std::string& Folder) {
        Run("cd '" + Folder + "' && echo 0 | trash-restore >/dev/null 2>&1");
    }
    std::vector<std::string> trashed_;
};

TEST_F(TrashTest, HomeTrashRecordsEachFileAndTrashCliRestoresIt) {
    std::string trash = UserDataFolder() + "Trash/";
    std::string name = "a b%;.txt";
    Make(dir_ + name, "first");
    ASSERT_TRUE(MoveToTrash(dir_ + name));
    EXPECT_FALSE(Exists(dir_ + name));
    EXPECT_EQ(Read(trash + "files/" + name), "first");
    std::string info = Read(trash + "info/" + name + ".trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + dir_ + "a%20b%25%3B.txt\nDeletionDate=", 0), 0u) << info;
    // A second file of that name, and a name whose record another program already holds.
    Make(dir_ + name, "second");
    Make(trash + "info/c.txt.trashinfo", "someone else's");
    Make(dir_ + "c.txt", "third");
    ASSERT_TRUE(MoveToTrash(dir_ + name));
    ASSERT_TRUE(MoveToTrash(dir_ + "c.txt"));
    EXPECT_EQ(Read(trash + "files/a b%;.2.txt"), "second");
    EXPECT_EQ(Read(trash + "files/c.2.txt"), "third");
    EXPECT_EQ(Read(trash + "info/c.txt.trashinfo"), "someone else's");
    std::remove((trash + "info/c.txt.trashinfo").c_str());

    if (!HaveTool("trash-list")) GTEST_SKIP() << "trash-cli is not installed";
    std::string listed = Run("trash-list");
    EXPECT_NE(listed.find(dir_ + name), std::string::npos) << listed;
    EXPECT_NE(listed.find(dir_ + "c.txt"), std::string::npos) << listed;
    RestoreFirst(dir_);
    EXPECT_TRUE(Exists(dir_ + name) || Exists(dir_ + "c.txt")) << Run("trash-list");
}

TEST_F(TrashTest, AFileOnAnotherFileSystemGoesToItsTopFolderTrash) {
    std::string other = OtherFileSystem();
    if (other.empty()) GTEST_SKIP() << "no second file system";
    Make(other + "x.txt", "on shm");
    std::string trash = TrashFolderFor(other + "x.txt");
    ASSERT_EQ(trash, "/dev/shm/.Trash-" + std::to_string(geteuid()) + "/");
    ASSERT_TRUE(MoveToTrash(other + "x.txt"));
    EXPECT_FALSE(Exists(other + "x.txt"));
    // Its record names it from the top folder; find the entry that holds it.
    std::string folderName = ExtractFileName(ExcludeTrailingPathDelimiter(other));
    std::string entry;
    for (const std::string& n : Names(trash + "info"))
        if (Read(trash + "info/" + n).find("Path=" + folderName + "/x.txt\n") != std::string::npos)
            entry = n.substr(0, n.size() - 10);
    ASSERT_FALSE(entry.empty());
    trashed_.push_back(trash + "files/" + entry);
    EXPECT_EQ(Read(trash + "files/" + entry), "on shm");

    if (!HaveTool("trash-restore")) GTEST_SKIP() << "trash-cli is not installed";
    EXPECT_NE(Run("trash-list").find(other + "x.txt"), std::string::npos);
    RestoreFirst(other);
    EXPECT_EQ(Read(other + "x.txt"), "on shm");
}

TEST_F(TrashTest, AFileThatCannotBeTrashedStays) {
    EXPECT_FALSE(MoveToTrash(dir_ + "missing"));
    std::string disk = dir_ + "disk";
    std::string uid = std::to_string(geteuid());
    int result = WithTmpfs(disk, 256, [&] {
        Make(disk + "/f", "kept");
        // No trash can be made: ".Trash-<uid>" is taken by a file, and no shared ".Trash".
        Make(disk + "/.Trash-" + uid, "");
        std::string error;
        if (MoveToTrash(disk + "/f", &error) || error.empty()) return 1;
        if (Read(disk + "/f") != "kept") return 2;
        // With the administrator's sticky ".Trash" the file goes to ".Trash/<uid>".
        mkdir((disk + "/.Trash").c_str(), 01777);
        chmod((disk + "/.Trash").c_str(), 01777);
        if (!MoveToTrash(disk + "/f")) return 3;
        if (Read(disk + "/.Trash/" + uid + "/files/f") != "kept") return 4;
        return Exists(disk + "/f") ? 5 : 0;
    });
    if (result < 0) GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(result, 0);
}

}  // namespace
