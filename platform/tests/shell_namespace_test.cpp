#include <gtest/gtest.h>

#include "platform/shell_namespace.h"
#include "platform/tests/file_fixture.h"
#include "platform/tests/scoped_env.h"

namespace {

TEST(MountTable, VolumesAreTheUsersFileSystems) {
    std::string text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "23 22 0:5 / /proc rw shared:2 - proc proc rw\n"
        "24 22 8:2 / /boot rw shared:3 - ext4 /dev/sda2 rw\n"
        "25 22 8:17 / /media/ann/USB\\040STICK rw shared:4 - vfat /dev/sdb1 rw\n"
        "26 22 8:3 / /data rw shared:5 - xfs /dev/sda3 rw\n"
        "27 22 0:40 / /mnt/share rw shared:6 - nfs4 server:/export rw\n"
        "28 22 0:41 / /dev/shm rw shared:7 - tmpfs tmpfs rw\n"
        "bad line\n";
    std::vector<TMountEntry> table = ParseMountInfo(text);
    ASSERT_EQ(table.size(), 7u);
    EXPECT_EQ(table[3].MountPoint, "/media/ann/USB STICK");
    EXPECT_EQ(table[3].FileSystem, "vfat");
    EXPECT_EQ(table[3].Source, "/dev/sdb1");
    std::vector<std::string> volumes;
    for (const TMountEntry& e : table)
        if (IsVolume(e)) volumes.push_back(e.MountPoint);
    EXPECT_EQ(volumes, (std::vector<std::string>{"/media/ann/USB STICK", "/data", "/mnt/share"}));
    EXPECT_TRUE(IsRemovableVolume(table[3]));
    EXPECT_EQ(MountOf("/media/ann/USB STICK/photos/a.jpg", table).FileSystem, "vfat");
    EXPECT_EQ(MountOf("/home/ann", table).MountPoint, "/");
    EXPECT_EQ(MountOf("/dev/shmx", table).MountPoint, "/");
}

class ShellNamespaceTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        home_ = dir_ + "home";
        std::filesystem::create_directories(home_ + "/.hidden");
        std::filesystem::create_directories(home_ + "/Photos/2024");
        std::filesystem::create_directories(home_ + "/empty");
        std::filesystem::create_directories(home_ + "/locked/inner");
        Make(home_ + "/b.txt", "12345");
        Make(home_ + "/A.txt", "1");
        Make(home_ + "/locked/file", "x");
        symlink("Photos", (home_ + "/link").c_str());
        chmod((home_ + "/locked").c_str(), 0555);
        std::vector<TMountEntry> table = {
            {"/", "/dev/sda1", "ext4"}, {dir_ + "vol", "/dev/sdz1", "ext4"}, {"/media/x/stick", "/dev/sdy1", "vfat"}};
        std::filesystem::create_directories(dir_ + "vol/sub");
        desktop_ = TShellFolder::Desktop(table, home_ + "/");
    }
    std::shared_ptr<TShellFolder> Home() { return desktop_->BindToObject({home_}); }
    std::string home_;
    std::shared_ptr<TShellFolder> desktop_;
};

TEST_F(ShellNamespaceTest, TheDesktopHoldsHomeRootAndTheVolumes) {
    std::vector<TItemIDList> items;
    ASSERT_TRUE(desktop_->EnumObjects(SHCONTF_FOLDERS, items));
    EXPECT_EQ(items, (std::vector<TItemIDList>{{home_}, {"/"}, {dir_ + "vol"}, {"/media/x/stick"}}));
    EXPECT_EQ(desktop_->GetDisplayNameOf({}, SHGDN_NORMAL), "Desktop");
    EXPECT_EQ(desktop_->GetDisplayNameOf({home_}, SHGDN_NORMAL), "Home");
    EXPECT_EQ(desktop_->GetDisplayNameOf({"/"}, SHGDN_NORMAL), "File System");
    EXPECT_EQ(desktop_->GetDisplayNameOf({dir_ + "vol"}, SHGDN_NORMAL), "vol");
    EXPECT_EQ(desktop_->GetDisplayNameOf({home_}, SHGDN_FORPARSING), home_);
    EXPECT_LT(desktop_->CompareIDs(0, {home_}, {"/"}), 0);
    EXPECT_GT(desktop_->CompareIDs(0, {dir_ + "vol"}, {"/"}), 0);
    // Drives can be neither renamed nor deleted; a removable one says so.
    EXPECT_EQ(desktop_->GetAttributesOf({"/"}, SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_FOLDER), SFGAO_FOLDER);
    EXPECT_EQ(desktop_->GetAttributesOf({"/media/x/stick"}, SFGAO_REMOVABLE), 0u);  // not mounted here
    TItemIDList list;
    EXPECT_FALSE(desktop_->SetNameOf({home_}, "other", list));
    EXPECT_TRUE(desktop_->GetAttributesOf({}, SFGAO_HASSUBFOLDER));
}

TEST_F(ShellNamespaceTest, PathsParseThroughTheInnermostDrive) {
    struct Case {
        std::string Path;
        TItemIDList Expected;
    } cases[] = {
        {home_ + "/Photos/2024", {home_, "Photos", "2024"}},
        {home_ + "/Photos/2024/", {home_, "Photos", "2024"}},
        {home_, {home_}},
        {dir_ + "vol/sub", {dir_ + "vol", "sub"}},
        {"/", {"/"}},
        {dir_ + "home/../home/b.txt", {home_, "b.txt"}},
    };
    for (const Case& c : cases) {
        TItemIDList list;
        ASSERT_TRUE(desktop_->ParseDisplayName(c.Path, list)) << c.Path;
        EXPECT_EQ(list, c.Expected) << c.Path;
        std::string back;
        ASSERT_TRUE(SHGetPathFromIDList(list, back));
        EXPECT_EQ(back, c.Path == "/" ? "/" : ExcludeTrailingPathDelimiter(ExpandFileName(c.Path)));
    }
    TItemIDList list;
    EXPECT_FALSE(desktop_->ParseDisplayName(home_ + "/missing", list));
    EXPECT_FALSE(desktop_->ParseDisplayName("relative", list));
    std::string path;
    EXPECT_FALSE(SHGetPathFromIDList({}, path));
    // Below a folder, names are relative.
    ASSERT_TRUE(Home()->ParseDisplayName("Photos/2024", list));
    EXPECT_EQ(list, (TItemIDList{"Photos", "2024"}));
    EXPECT_FALSE(Home()->ParseDisplayName("../vol/sub", list));
}

TEST_F(ShellNamespaceTest, AttributesComeFromTheFileSystem) {
    const Cardinal all = 0xFFFFFFFF;
    const Cardinal movable = SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
    auto home = Home();
    struct Case {
        TItemIDList Item;
        Cardinal Set, Clear;
    } cases[] = {
        {{"Photos"}, SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER | movable, SFGAO_GHOSTED | SFGAO_LINK},
        {{"empty"}, SFGAO_FOLDER, SFGAO_HASSUBFOLDER},
        {{".hidden"}, SFGAO_FOLDER | SFGAO_GHOSTED, SFGAO_HASSUBFOLDER},
        {{"link"}, SFGAO_FOLDER | SFGAO_LINK | SFGAO_HASSUBFOLDER, 0},
        {{"b.txt"}, SFGAO_FILESYSTEM | movable | SFGAO_HASPROPSHEET, SFGAO_FOLDER | SFGAO_HASSUBFOLDER},
        {{"locked"}, SFGAO_FOLDER | SFGAO_READONLY | SFGAO_HASSUBFOLDER | movable, SFGAO_DROPTARGET},
        // In a read-only folder nothing can be renamed, deleted or moved.
        {{"locked", "file"}, SFGAO_FILESYSTEM, movable},
        {{"locked", "inner"}, SFGAO_FOLDER, movable},
    };
    for (const Case& c : cases) {
        Cardinal a = home->GetAttributesOf(c.Item, all);
        EXPECT_EQ(a & c.Set, c.Set) << c.Item.back();
        EXPECT_EQ(a & c.Clear, 0u) << c.Item.back();
    }
    // Only what the mask asks is answered, and a vanished item has none.
    EXPECT_EQ(home->GetAttributesOf({"Photos"}, SFGAO_FOLDER), SFGAO_FOLDER);
    EXPECT_EQ(home->GetAttributesOf({"gone"}, all), 0u);
}

TEST_F(ShellNamespaceTest, FoldersListNameAndOrderTheirItems) {
    auto home = Home();
    std::vector<TItemIDList> items;
    ASSERT_TRUE(home->EnumObjects(SHCONTF_FOLDERS, items));
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<TItemIDList>{{"Photos"}, {"empty"}, {"link"}, {"locked"}}));
    ASSERT_TRUE(home->EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items));
    EXPECT_EQ(items.size(), 7u);
    std::sort(items.begin(), items.end(),
              [&](const TItemIDList& a, const TItemIDList& b) { return home->CompareIDs(0, a, b) < 0; });
    // Folders first, then names without regard to case.
    EXPECT_EQ(items, (std::vector<TItemIDList>{
                         {".hidden"}, {"empty"}, {"link"}, {"locked"}, {"Photos"}, {"A.txt"}, {"b.txt"}}));
    EXPECT_GT(home->CompareIDs(1, {"b.txt"}, {"A.txt"}), 0);  // by size
    EXPECT_EQ(home->CompareIDs(0, {"b.txt"}, {"b.txt"}), 0);
    EXPECT_LT(home->CompareIDs(0, {"Photos", "2024"}, {"Photos", "z"}), 0);
    EXPECT_EQ(home->GetDisplayNameOf({"b.txt"}, SHGDN_NORMAL), "b.txt");
    EXPECT_EQ(home->GetDisplayNameOf({"b.txt"}, SHGDN_FORPARSING), home_ + "/b.txt");
    EXPECT_EQ(home->GetDisplayNameOf({"b.txt"}, SHGDN_FORPARSING | SHGDN_INFOLDER), "b.txt");
    EXPECT_EQ(home->IDList(), TItemIDList{home_});
    EXPECT_EQ(home->BindToObject({"b.txt"}), nullptr);
    auto photos = home->BindToObject({"link"});
    ASSERT_NE(photos, nullptr);
    EXPECT_EQ(photos->IDList(), (TItemIDList{home_, "link"}));
}

TEST_F(ShellNamespaceTest, RenamesNeverReplace) {
    auto home = Home();
    TItemIDList renamed;
    ASSERT_TRUE(home->SetNameOf({"b.txt"}, "c.txt", renamed));
    EXPECT_EQ(renamed, TItemIDList{"c.txt"});
    EXPECT_EQ(Read(home_ + "/c.txt"), "12345");
    for (const char* bad : {"A.txt", "x/y", "", ".", ".."})
        EXPECT_FALSE(home->SetNameOf({"c.txt"}, bad, renamed)) << bad;
    EXPECT_EQ(Read(home_ + "/A.txt"), "1");
    EXPECT_EQ(Read(home_ + "/c.txt"), "12345");
}

TEST_F(ShellNamespaceTest, SpecialFoldersComeFromTheUserFolders) {
    ScopedEnv home("HOME", home_);
    ScopedEnv config("XDG_CONFIG_HOME", dir_ + "config");
    std::filesystem::create_directories(dir_ + "config");
    Make(dir_ + "config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Photos\"\nXDG_MUSIC_DIR=\"$HOME/NoSuchFolder\"\n");
    TItemIDList list;
    std::string path;
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_MYPICTURES, list));
    ASSERT_TRUE(SHGetPathFromIDList(list, path));
    EXPECT_EQ(path, home_ + "/Photos");
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_PROFILE, list));
    ASSERT_TRUE(SHGetPathFromIDList(list, path));
    EXPECT_EQ(path, home_);
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_DESKTOP, list));
    EXPECT_TRUE(list.empty());
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_DRIVES, list));
    EXPECT_TRUE(list.empty());
    // Folders the system has no place for, or that do not exist, are refused.
    for (Integer csidl : {CSIDL_MYMUSIC, CSIDL_DESKTOPDIRECTORY, CSIDL_FONTS, CSIDL_CONTROLS, CSIDL_PRINTERS,
                          CSIDL_BITBUCKET, CSIDL_SENDTO, CSIDL_NETWORK})
        EXPECT_FALSE(SHGetSpecialFolderLocation(csidl, list)) << csidl;
}

}  // namespace
