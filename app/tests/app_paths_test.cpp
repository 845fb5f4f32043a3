#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "app/app_paths.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/string_list.h"
#include "framework/tests/scratch_folder.h"
#include "platform/tests/scoped_env.h"

namespace {

const std::string kProgram = "/opt/lumora/";

std::string Fix(const std::string& Path, bool AddSlash, std::string Drive = "/media/cdrom") {
    return FixPath(Path, AddSlash, kProgram, Drive);
}

std::vector<std::string> Lines(const TStringList& L) {
    std::vector<std::string> v;
    for (int i = 0; i < L.GetCount(); ++i) v.push_back(L.Get(i));
    return v;
}

}  // namespace

TEST(Paths, FixPathTrimsExpandsAndSetsTheTrailingSeparator) {
    struct Case {
        const char* path;
        bool addSlash;
        const char* expected;
    } cases[] = {
        {"  /tmp/Temp \t", true, "/tmp/Temp/"},
        {"/tmp/Temp/", false, "/tmp/Temp"},
        {"/tmp/Temp/", true, "/tmp/Temp/"},
        {"C:\\Temp/", true, "C:\\Temp/"},  // a stored Windows path ending in "/" stays
        {"C:\\Temp\\", false, "C:\\Temp"},
        {"/", false, "/"},                 // the root stays the root
        {"/", true, "/"},
        {"   ", true, ""},
        {"", false, ""},
        {"$/Help", true, "/opt/lumora/Help/"},
        {"$Help", true, "/opt/lumoraHelp/"},  // the two names run together
        {"$", true, "/opt/lumora/"},
        {"%/Photos", true, "/media/cdrom/Photos/"},
        {"!Holiday disc!%/Photos", true, "/media/cdrom/Photos/"},  // info part first, then "%"
        {"!Label!$/Help/", false, "/opt/lumora/Help"},
        {"photos", true, "photos/"},
    };
    for (const Case& c : cases) EXPECT_EQ(Fix(c.path, c.addSlash), c.expected) << '"' << c.path << '"';

    // A "!" path that cannot be split is reported and used whole.
    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk);
    EXPECT_EQ(Fix("!no second mark", true), "!no second mark/");
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Text, "Dir Error");
}

TEST(Paths, PathInfoSplitsMarkedPaths) {
    EXPECT_EQ(GetPathInfo("!Disc 1!/photos/", true), "Disc 1");
    EXPECT_EQ(GetPathInfo("!Disc 1!/photos/", false), "/photos/");
    EXPECT_EQ(GetPathInfo("/photos/", true), "");
    EXPECT_EQ(GetPathInfo("/photos/", false), "/photos/");
    EXPECT_EQ(GetPathInfo("!!x", true), "");
    EXPECT_EQ(GetPathInfo("!!x", false), "x");
}

TEST(Paths, RemovableMediaPathsTakeTheStoredLocation) {
    // A Windows-style drive: its trailing separator leaves the setting, and the colon is not
    // doubled.
    std::string drive = "E:\\";
    EXPECT_EQ(ExpandRemovablePath("%:\\Pics\\a.jpg", drive), "E:\\Pics\\a.jpg");
    EXPECT_EQ(drive, "E:");
    drive = "/media/usb/";
    EXPECT_EQ(ExpandRemovablePath("%/Pics/a.jpg", drive), "/media/usb/Pics/a.jpg");
    EXPECT_EQ(drive, "/media/usb");
    EXPECT_EQ(ExpandRemovablePath("/home/a.jpg", drive), "/home/a.jpg");
}

TEST(Paths, AnUnknownRemovableLocationIsAskedForUntilGivenOrCancelled) {
    TScriptedDialogs dialogs;
    // Told, then asked: an empty answer asks again.
    dialogs.Answer(mrOk).Answer(mrOk, "").Answer(mrOk, "/media/cdrom/");
    std::string drive;
    EXPECT_EQ(ExpandRemovablePath("%/Pics/a.jpg", drive), "/media/cdrom/Pics/a.jpg");
    EXPECT_EQ(drive, "/media/cdrom");
    ASSERT_EQ(dialogs.Requests().size(), 3u);
    EXPECT_EQ(dialogs.Requests()[0].Kind, dkMessage);
    EXPECT_EQ(dialogs.Requests()[0].HelpContext, 79);
    EXPECT_EQ(dialogs.Requests()[0].Text.rfind("This file is stored with a relative path and is located on the "
                                               "CD-ROM or removable device, .  You will need to enter",
                                               0),
              0u);
    EXPECT_EQ(dialogs.Requests()[1].Kind, dkInput);
    EXPECT_EQ(dialogs.Requests()[1].Caption, "CD-ROM Drive Specification");

    // Cancelling gives up: no path and no setting (the question is not asked forever).
    dialogs.Clear();
    dialogs.Answer(mrOk).Answer(mrCancel);
    drive.clear();
    EXPECT_EQ(ExpandRemovablePath("%/Pics/a.jpg", drive), "");
    EXPECT_EQ(drive, "");
    EXPECT_EQ(dialogs.Pending(), 0u);
    dialogs.Answer(mrOk).Answer(mrCancel);
    EXPECT_EQ(Fix("%/Pics", true, ""), "");
}

TEST(Paths, SmallHelpers) {
    TStringList list;
    struct SplitCase {
        const char* text;
        const char* delimiter;
        std::vector<std::string> expected;
    } splits[] = {
        {";;", ";", {"", ""}},
        {"", ";", {}},
        {";", ";", {}},
        {"a;b", ";", {"a", "b"}},
        {"a;b;", ";", {"a", "b"}},
        {"a, b, ", ", ", {"a", "b"}},
        {";a", ";", {"", "a"}},
    };
    for (const SplitCase& c : splits) {
        list.Add("left over");
        StrToStringlist(&list, c.text, c.delimiter);
        EXPECT_EQ(Lines(list), c.expected) << '"' << c.text << '"';
    }

    list.Clear();
    EXPECT_EQ(GetPLuralText(&list), " these 0 files");
    list.Add("/");
    EXPECT_EQ(GetPLuralText(&list), " the directory, /");
    list.Put(0, "/no/such/file.jpg");
    EXPECT_EQ(GetPLuralText(&list), " the file, /no/such/file.jpg");
    list.Add("b");
    list.Add("c");
    EXPECT_EQ(GetPLuralText(&list), " these 3 files");

    EXPECT_EQ(GetScreenSize(100, 120), 125);
    EXPECT_EQ(GetScreenSize(100, 96), 100);
    EXPECT_EQ(GetScreenSize(10, 144), 15);
    EXPECT_EQ(GetScreenSize(3, 120), 4);  // 3.75

    const TColor colours[] = {0xC0C0C0, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x00FFFF, 0x808000, 0x008000,
                              0x0000FF, 0x800080, 0x800000, 0x000080, 0xFF0000, 0xFF00FF, 0xC0C0C0};
    for (int code = 0; code < 14; ++code) EXPECT_EQ(Colourcodetocolour(static_cast<Byte>(code)), colours[code]) << code;
    EXPECT_EQ(Colourcodetocolour(255), 0xC0C0C0);
}

class FoldersTest : public ScratchFolderTest {};

TEST_F(FoldersTest, DataAndWorkFoldersFollowTheProgramFoldersWritability) {
    const std::string program = dir_ + "program/";
    ASSERT_TRUE(ForceDirectories(program));
    ScopedEnv data("XDG_DATA_HOME", dir_ + "data");

    TAppFolders f = ChooseAppFolders(program);
    EXPECT_EQ(f.DataFolder, program);
    EXPECT_EQ(f.WorkFolder, program);

    ASSERT_EQ(chmod(program.c_str(), 0555), 0);
    f = ChooseAppFolders(program);
    EXPECT_EQ(f.DataFolder, dir_ + "data/Lumora/");
    EXPECT_TRUE(DirectoryExists(f.DataFolder));
    EXPECT_EQ(f.WorkFolder, GetTempPath());

    // A data folder that can be neither found nor made: both are the temporary folder.
    TStringList file;
    file.SaveToFile(dir_ + "a file");
    ScopedEnv blocked("XDG_DATA_HOME", dir_ + "a file");
    f = ChooseAppFolders(program);
    EXPECT_EQ(f.DataFolder, GetTempPath());
    EXPECT_EQ(f.WorkFolder, GetTempPath());
}

TEST_F(FoldersTest, OldFilesLeaveTheListOnceDeleted) {
    TStringList keep;
    keep.SaveToFile(dir_ + "a.tmp");
    keep.SaveToFile(dir_ + "b.tmp");
    ASSERT_EQ(chmod((dir_ + "b.tmp").c_str(), 0444), 0);  // a read-only file is not deleted
    TStringList list;
    list.Add(dir_ + "a.tmp");
    list.Add(dir_ + "b.tmp");
    list.Add(dir_ + "gone.tmp");
    DeleteOldFiles(&list);
    EXPECT_FALSE(FileExists(dir_ + "a.tmp"));
    EXPECT_EQ(Lines(list), std::vector<std::string>{dir_ + "b.tmp"});
    ASSERT_EQ(chmod((dir_ + "b.tmp").c_str(), 0644), 0);
    DeleteOldFiles(&list);
    EXPECT_EQ(list.GetCount(), 0);
}
