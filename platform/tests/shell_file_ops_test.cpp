#include <gtest/gtest.h>

#include "framework/dialog_service.h"
#include "framework/registry.h"
#include "platform/shell_file_ops.h"
#include "platform/tests/file_fixture.h"
#include "platform/tests/scoped_env.h"
#include "platform/user_folders.h"

namespace {

class ShellFileOpsTest : public FileTest {
protected:
    TScriptedDialogs dialogs_;
};

TEST_F(ShellFileOpsTest, CopiesAListIntoOneFolderWithoutAsking) {
    // A ";" is part of a name, never a separator.
    Make(dir_ + "a;b.txt", "ab");
    Make(dir_ + "c.txt", "c");
    std::filesystem::create_directory(dir_ + "out");
    Make(dir_ + "out/c.txt", "old");
    ASSERT_TRUE(ShellCopyFiles(nullptr, {dir_ + "a;b.txt", dir_ + "c.txt"}, {dir_ + "out"}, false, false));
    EXPECT_EQ(Names(dir_ + "out"), (std::vector<std::string>{"a;b.txt", "c.txt"}));
    EXPECT_EQ(Read(dir_ + "out/c.txt"), "c");  // replaced silently
    EXPECT_TRUE(dialogs_.Requests().empty());
    // A mask stands for its files (not its folders); a missing folder is made.
    ASSERT_TRUE(ShellCopyFiles(nullptr, {dir_ + "*.txt"}, {dir_ + "new/deeper"}, false, false));
    EXPECT_EQ(Names(dir_ + "new/deeper"), (std::vector<std::string>{"a;b.txt", "c.txt"}));
    // One source to a new name; with RenameOnCollision a taken name gets a number.
    ASSERT_TRUE(ShellCopyFiles(nullptr, {dir_ + "c.txt"}, {dir_ + "d.txt"}, false, false));
    ASSERT_TRUE(ShellCopyFiles(nullptr, {dir_ + "c.txt"}, {dir_ + "d.txt"}, true, false));
    EXPECT_EQ(Read(dir_ + "d (2).txt"), "c");
}

TEST_F(ShellFileOpsTest, FoldersAreCopiedWholeAndLinksStayLinks) {
    std::filesystem::create_directories(dir_ + "tree/sub");
    std::filesystem::create_directories(dir_ + "outside");
    Make(dir_ + "tree/sub/f", "deep");
    Make(dir_ + "outside/secret", "not copied");
    symlink("../outside", (dir_ + "tree/away").c_str());
    ASSERT_TRUE(ShellCopyFiles(nullptr, {dir_ + "tree"}, {dir_ + "copy"}, false, false));
    EXPECT_EQ(Read(dir_ + "copy/sub/f"), "deep");
    struct stat st {};
    ASSERT_EQ(lstat((dir_ + "copy/away").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    // A folder is never copied into itself.
    dialogs_.Answer(mrOk);
    EXPECT_FALSE(ShellCopyFiles(nullptr, {dir_ + "tree"}, {dir_ + "tree/sub/inner"}, false, false));
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].DlgType, mtError);
}

TEST_F(ShellFileOpsTest, MovesAskBeforeReplacing) {
    struct Case {
        const char* Name;
        std::vector<Integer> Answers;
        bool Result;
        const char* A;  // what dest/a holds afterwards
        const char* B;
        bool SourcesLeft;
    } cases[] = {
        {"yes, yes", {mrYes, mrYes}, true, "new a", "new b", false},
        {"yes to all", {mrYesToAll}, true, "new a", "new b", false},
        {"no, yes", {mrNo, mrYes}, true, "old a", "new b", true},
        {"cancel", {mrCancel}, false, "old a", "old b", true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir_ + "src");
        std::filesystem::remove_all(dir_ + "dest");
        std::filesystem::create_directories(dir_ + "src");
        std::filesystem::create_directories(dir_ + "dest");
        for (const char* n : {"a", "b"}) {
            Make(dir_ + "src/" + n, std::string("new ") + n);
            Make(dir_ + "dest/" + n, std::string("old ") + n);
        }
        dialogs_.Clear();
        for (Integer answer : c.Answers) dialogs_.Answer(answer);
        EXPECT_EQ(ShellMoveFiles(nullptr, {dir_ + "src/a", dir_ + "src/b"}, {dir_ + "dest"}, false, false), c.Result)
            << c.Name;
        EXPECT_EQ(dialogs_.Pending(), 0u) << c.Name;
        EXPECT_EQ(Read(dir_ + "dest/a"), c.A) << c.Name;
        EXPECT_EQ(Read(dir_ + "dest/b"), c.B) << c.Name;
        EXPECT_EQ(!Names(dir_ + "src").empty(), c.SourcesLeft) << c.Name;
        const TDialogRequest& asked = dialogs_.Requests().front();
        EXPECT_EQ(asked.Buttons, (TMsgDlgButtons{mbYes, mbYesToAll, mbNo, mbCancel})) << c.Name;
        EXPECT_NE(asked.Text.find(dir_ + "dest/a"), std::string::npos) << asked.Text;
    }
}

TEST_F(ShellFileOpsTest, AFolderMovedAcrossFileSystemsArrivesWhole) {
    std::string other = OtherFileSystem();
    if (other.empty()) GTEST_SKIP() << "no second file system";
    std::filesystem::create_directories(dir_ + "tree/sub");
    Make(dir_ + "tree/sub/f", "deep");
    Make(dir_ + "tree/g", "top");
    ASSERT_TRUE(ShellMoveFiles(nullptr, {dir_ + "tree"}, {other}, false, true));
    EXPECT_FALSE(Exists(dir_ + "tree"));
    EXPECT_EQ(Read(other + "tree/sub/f"), "deep");
    EXPECT_EQ(Read(other + "tree/g"), "top");
}

TEST_F(ShellFileOpsTest, ErrorsNameTheFileAndTheReason) {
    dialogs_.Answer(mrOk);
    EXPECT_FALSE(ShellCopyFiles(nullptr, {dir_ + "missing"}, {dir_ + "x"}, false, false));
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text, "Cannot copy " + dir_ + "missing: No such file or directory");
    Make(dir_ + "a", "a");
    dialogs_.Answer(mrOk);
    EXPECT_FALSE(ShellMoveFiles(nullptr, {dir_ + "a"}, {dir_ + "a"}, false, true));
    EXPECT_EQ(Read(dir_ + "a"), "a");
}

TEST_F(ShellFileOpsTest, DeletesToTheTrashOrForGood) {
    Make(dir_ + "t.txt", "t");
    Make(dir_ + "g.txt", "g");
    std::filesystem::create_directories(dir_ + "folder.txt/inner");
    ASSERT_TRUE(ShellDeleteFiles(nullptr, {dir_ + "t.txt"}, true, false));
    EXPECT_FALSE(Exists(dir_ + "t.txt"));
    EXPECT_EQ(Read(UserDataFolder() + "Trash/files/t.txt"), "t");
    // A mask leaves folders alone.
    ASSERT_TRUE(ShellDeleteFiles(nullptr, {dir_ + "*.txt"}, false, false));
    EXPECT_EQ(Names(dir_), (std::vector<std::string>{"folder.txt"}));
    // Asked first: No keeps everything.
    dialogs_.Answer(mrNo);
    EXPECT_FALSE(ShellDeleteFiles(nullptr, {dir_ + "folder.txt"}, false, true));
    EXPECT_TRUE(Exists(dir_ + "folder.txt/inner"));
    dialogs_.Answer(mrYes);
    EXPECT_TRUE(ShellDeleteFiles(nullptr, {dir_ + "folder.txt"}, false, true));
    EXPECT_TRUE(Names(dir_).empty());
}

TEST_F(ShellFileOpsTest, ShellFolderPathsComeFromTheStoreThenTheUserFolders) {
    ScopedEnv config("XDG_CONFIG_HOME", dir_ + "config");
    std::filesystem::create_directories(dir_ + "config");
    Make(dir_ + "config/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    ScopedEnv home("HOME", "/home/ann");
    EXPECT_EQ(GetShellFolderPath("My Pictures"), "/home/ann/Bilder");
    EXPECT_EQ(GetShellFolderPath("Desktop"), "/home/ann/Desktop");
    EXPECT_EQ(GetShellFolderPath("SENDTO"), "");
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    reg.WriteString("SENDTO", "/srv/sendto");
    reg.WriteString("My Pictures", "/srv/pictures");
    reg.CloseKey();
    EXPECT_EQ(GetShellFolderPath("SENDTO"), "/srv/sendto");
    EXPECT_EQ(GetShellFolderPath("My Pictures"), "/srv/pictures");
    reg.DeleteKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
}

}  // namespace
