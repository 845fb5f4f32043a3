#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "components/shell_tree.h"
#include "framework/tests/window_fixture.h"
#include "platform/change_notify.h"

namespace {

namespace fs = std::filesystem;

// The tree with its end-of-editing handler reachable.
class TTestShellTree : public TShellTree {
public:
    using TShellTree::CanEdit;
    using TShellTree::TShellTree;
    void EndLabelEdit(TTreeNode* Node, const char* Text) {
        TTVItem item;
        item.hItem = Node;
        item.pszText = Text;
        Edit(item);
    }
};

std::vector<std::string> ChildTexts(TTreeNode* Node) {
    std::vector<std::string> texts;
    for (Integer i = 0; i < Node->GetCount(); ++i) texts.push_back(Node->GetItem(i)->GetText());
    return texts;
}

TShellnode* Child(TTreeNode* Node, const std::string& Text) {
    for (Integer i = 0; Node && i < Node->GetCount(); ++i)
        if (Node->GetItem(i)->GetText() == Text) return static_cast<TShellnode*>(Node->GetItem(i));
    return nullptr;
}

// A form with a folder tree over a desktop of our own: home is the scratch folder's "home", and
// the mount table holds "/" and a volume "vol" beside it.
class ShellTreeTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::string tmpl = fs::temp_directory_path().string() + "/lumora-tree-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl + "/";
        home_ = dir_ + "home";
        for (const char* f : {"home/Photos/2024", "home/Photos/2025", "home/empty", "home/.hidden/inner", "vol/sub"})
            fs::create_directories(dir_ + f);
        std::ofstream(home_ + "/note.txt") << "x";
        table_ = {{"/", "/dev/sda1", "ext4"}, {dir_ + "vol", "/dev/sdz1", "ext4"}};
        TShellTree::SetDesktopProviderForTesting([this] { return TShellFolder::Desktop(table_, home_); });
    }
    void TearDown() override {
        WindowTest::TearDown();
        TShellTree::SetDesktopProviderForTesting(nullptr);
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(dir_, ec)) chmod(e.path().c_str(), 0755);
        fs::remove_all(dir_, ec);
    }
    TTestShellTree* MakeTree(bool Show = true) {
        tree_ = new TTestShellTree(Form);
        tree_->SetParent(Form);
        tree_->SetBounds(0, 0, 300, 280);
        if (Show) uitest::ShowForm(Form);
        return tree_;
    }
    TShellnode* HomeNode() { return Child(tree_->GetRootNode(), "Home"); }
    // Runs the loop until the condition holds (the monitors' calls run on the way).
    static bool Eventually(const std::function<bool()>& Condition) { return uitest::WaitUntil(Condition, 3000); }

    std::string dir_, home_;
    std::vector<TMountEntry> table_;
    TTestShellTree* tree_ = nullptr;
};

TEST(NormalizeTreePath, KeepsTheNearestExistingFolder) {
    std::string tmpl = fs::temp_directory_path().string() + "/lumora-norm-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    fs::create_directories(tmpl + "/a/b");
    std::ofstream(tmpl + "/a/file.txt") << "x";
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"", ""},
        {"relative/path", ""},
        {"/", "/"},
        {tmpl + "/a/b", tmpl + "/a/b"},
        {tmpl + "/a/b/", tmpl + "/a/b"},
        {tmpl + "/a/b//", tmpl + "/a/b/"},  // one trailing "/" goes
        {tmpl + "/a/missing/deeper/", tmpl + "/a"},
        {tmpl + "/a/file.txt", tmpl + "/a"},
        {"/no-such-folder-anywhere/x", "/"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeTreePath(c.In), c.Out) << c.In;
    fs::remove_all(tmpl);
}

TEST_F(ShellTreeTest, TheDesktopHoldsHomeRootAndVolumesAndItsPathIsEmpty) {
    MakeTree();
    TShellnode* root = tree_->GetRootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetText(), "Desktop");
    EXPECT_TRUE(root->GetExpanded());
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"Home", "File System", "vol"}));
    EXPECT_EQ(tree_->GetSelected(), root);
    EXPECT_EQ(tree_->GetPath(), "");  // the desktop is virtual
    // Home shows an expand button before it is read; "empty" has none.
    TShellnode* home = HomeNode();
    EXPECT_TRUE(home->GetHasChildren());
    home->Expand(false);
    EXPECT_EQ(ChildTexts(home), (std::vector<std::string>{"empty", "Photos"}));
    EXPECT_FALSE(Child(home, "empty")->GetHasChildren());
    EXPECT_TRUE(Child(home, "Photos")->GetHasChildren());
}

TEST_F(ShellTreeTest, PathSelectsTheFolderOrItsNearestParentOrTheRoot) {
    MakeTree();
    tree_->SetPath(home_ + "/Photos/2024");
    EXPECT_EQ(tree_->GetPath(), home_ + "/Photos/2024");
    EXPECT_EQ(tree_->GetSelected()->GetText(), "2024");
    EXPECT_TRUE(Child(HomeNode(), "Photos")->GetExpanded());

    fs::remove_all(home_ + "/Photos/2025");
    tree_->SetPath(home_ + "/Photos/2025/gone/deeper");
    EXPECT_EQ(tree_->GetPath(), home_ + "/Photos");

    tree_->SetPath("");
    EXPECT_EQ(tree_->GetSelected(), tree_->GetRootNode());
    EXPECT_EQ(tree_->GetPath(), "");

    // A path inside a volume goes through the volume's own drive.
    tree_->SetPath(dir_ + "vol/sub");
    EXPECT_EQ(tree_->GetPath(), dir_ + "vol/sub");
    EXPECT_EQ(tree_->GetSelected()->GetParent()->GetText(), "vol");

    // Paths are not cut at any length.
    std::string deep = home_ + "/Photos";
    for (char c = 'a'; c < 'g'; ++c) deep += "/" + std::string(60, c);
    fs::create_directories(deep);
    tree_->SetPath(deep);
    EXPECT_EQ(tree_->GetPath(), deep);
}

TEST_F(ShellTreeTest, APathSetBeforeTheWindowExistsIsAppliedWhenItIsMade) {
    MakeTree(false);
    EXPECT_FALSE(tree_->HandleAllocated());
    tree_->SetPath(home_ + "/Photos/2025");
    EXPECT_EQ(tree_->GetPath(), "");
    uitest::ShowForm(Form);
    EXPECT_EQ(tree_->GetPath(), home_ + "/Photos/2025");
}

TEST_F(ShellTreeTest, WithoutUpdAutoAFolderIsReadOnceButItsMonitorStillRefreshesIt) {
    MakeTree();
    tree_->SetUpdAuto(false);
    TShellnode* home = HomeNode();
    home->Expand(false);
    TShellnode* photos = Child(home, "Photos");
    photos->Expand(false);
    photos->Collapse(false);

    // Not watched: collapsing and expanding again does not read the folder again.
    tree_->SetUpdAutoThread(false);
    fs::create_directory(home_ + "/Photos/2026");
    uitest::Wait(300);
    photos->Expand(false);
    EXPECT_EQ(ChildTexts(photos), (std::vector<std::string>{"2024", "2025"}));

    // Watched: the monitor re-reads it.
    tree_->SetUpdAutoThread(true);
    fs::create_directory(home_ + "/Photos/2027");
    EXPECT_TRUE(Eventually([&] { return ChildTexts(photos).size() == 4; }));
    EXPECT_EQ(ChildTexts(photos), (std::vector<std::string>{"2024", "2025", "2026", "2027"}));
}

TEST_F(ShellTreeTest, TheFirstSubfolderBringsTheExpandButtonAndTheLastOneTakesItAway) {
    MakeTree();
    HomeNode()->Expand(false);
    TShellnode* empty = Child(HomeNode(), "empty");
    ASSERT_FALSE(empty->GetHasChildren());
    ASSERT_NE(empty->GetMonitor(), nullptr);
    fs::create_directory(home_ + "/empty/first");
    EXPECT_TRUE(Eventually([&] { return empty->GetHasChildren(); }));
    fs::remove(home_ + "/empty/first");
    EXPECT_TRUE(Eventually([&] { return !empty->GetHasChildren(); }));
}

TEST_F(ShellTreeTest, AFolderDeletedWhileExpandedGoesWithItsSubtreeAndMonitors) {
    MakeTree();
    tree_->SetPath(home_ + "/Photos/2024");
    fs::create_directories(home_ + "/Photos/2024/a/b");
    TShellnode* photos = Child(HomeNode(), "Photos");
    TShellnode* year = Child(photos, "2024");
    EXPECT_TRUE(Eventually([&] { return year->GetCount() == 1; }));
    Child(year, "a")->Expand(false);
    size_t before = ChangeNotifier().SubscriptionCount();
    fs::remove_all(home_ + "/Photos/2024");
    EXPECT_TRUE(Eventually([&] { return Child(photos, "2024") == nullptr; }));
    EXPECT_LT(ChangeNotifier().SubscriptionCount(), before);
    // Folders made and deleted while nodes expand and go.
    for (int round = 0; round < 20; ++round) {
        fs::create_directories(home_ + "/Photos/r/s");
        photos->Expand(false);
        if (TShellnode* r = Child(photos, "r")) r->Expand(false);
        fs::remove_all(home_ + "/Photos/r");
        uitest::ProcessEvents();
    }
    EXPECT_TRUE(Eventually([&] { return Child(photos, "r") == nullptr; }));
}

TEST_F(ShellTreeTest, RenamingKeepsTheOldNameWhenRefused) {
    MakeTree();
    fs::create_directory(home_ + "/taken");
    tree_->SetPath(home_ + "/Photos/2024");
    TShellnode* photos = Child(HomeNode(), "Photos");
    ASSERT_TRUE(tree_->CanEdit(photos));
    EXPECT_FALSE(tree_->CanEdit(HomeNode()));  // drives are not renamed

    int over = 0;
    tree_->OnEditingOver = [&](TObject*) { ++over; };
    for (const char* refused : {"taken", "a/b", "", ".."}) {
        tree_->EndLabelEdit(photos, refused);
        EXPECT_EQ(photos->GetText(), "Photos") << refused;
    }
    EXPECT_TRUE(fs::is_directory(home_ + "/Photos"));
    tree_->EndLabelEdit(photos, nullptr);  // cancelled
    EXPECT_EQ(over, 5);

    std::vector<std::string> changes;
    tree_->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n->GetText()); };
    tree_->EndLabelEdit(photos, "Pictures");
    EXPECT_EQ(photos->GetText(), "Pictures");
    EXPECT_TRUE(fs::is_directory(home_ + "/Pictures/2024"));
    EXPECT_EQ(tree_->GetPath(), home_ + "/Pictures/2024");  // the subtree follows
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(ChildTexts(HomeNode()), (std::vector<std::string>{"empty", "Pictures", "taken"}));
}

TEST_F(ShellTreeTest, HiddenFoldersAtRunTimeRefreshEveryExpandedNodeAndKeepTheFilters) {
    MakeTree();
    tree_->SetPath(home_ + "/Photos");
    fs::create_directories(home_ + "/Photos/.cache");
    uitest::Wait(100);
    TShellnode* home = HomeNode();
    TShellnode* photos = Child(home, "Photos");
    EXPECT_EQ(Child(home, ".hidden"), nullptr);
    Cardinal filter = photos->GetMonitor()->GetFilter();
    tree_->SetOptions({TF_FOLDERS, TF_HIDDEN});
    EXPECT_NE(Child(home, ".hidden"), nullptr);
    EXPECT_NE(Child(photos, ".cache"), nullptr);
    EXPECT_EQ(photos->GetMonitor()->GetFilter(), filter);
    tree_->SetOptions({TF_FOLDERS});
    EXPECT_EQ(Child(home, ".hidden"), nullptr);
}

TEST_F(ShellTreeTest, FilesShowWithTheirMasksAndTheirMonitorsWatchFileNames) {
    MakeTree();
    std::ofstream(home_ + "/a.JPG") << "x";
    std::ofstream(home_ + "/abab") << "x";
    tree_->SetOptions({TF_FOLDERS, TF_NONFOLDERS});
    tree_->SetFileMask(" *.jpg ; ;*ab ");
    tree_->SetFileMaskUse(true);
    EXPECT_EQ(tree_->GetFileMask(), "*.jpg;*ab");
    TShellnode* home = HomeNode();
    home->Expand(false);
    // Folders first, then the files the masks let through (matched with backtracking).
    EXPECT_EQ(ChildTexts(home), (std::vector<std::string>{"empty", "Photos", "a.JPG", "abab"}));
    EXPECT_EQ(home->GetMonitor()->GetFilter(),
              FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME);
    std::ofstream(home_ + "/new.jpg") << "x";
    EXPECT_TRUE(Eventually([&] { return Child(home, "new.jpg") != nullptr; }));
    // An empty folder holding a file counts as having children.
    std::ofstream(home_ + "/empty/inside.jpg") << "x";
    EXPECT_TRUE(Eventually([&] { return Child(home, "empty")->GetHasChildren(); }));
}

TEST_F(ShellTreeTest, MountChangesTouchOnlyTheirVolumes) {
    fs::create_directories(dir_ + "vol2/data");
    fs::create_directories(home_ + "/mnt/medium/photos");
    MakeTree();
    TShellnode* root = tree_->GetRootNode();
    TShellnode* vol = Child(root, "vol");
    vol->Expand(false);
    TShellnode* sub = Child(vol, "sub");
    ASSERT_NE(sub, nullptr);
    tree_->SetPath(home_ + "/mnt/medium/photos");
    TShellnode* medium = Child(Child(HomeNode(), "mnt"), "medium");

    // A volume comes: it joins the desktop, the others keep their nodes.
    table_.push_back({dir_ + "vol2", "/dev/sdy1", "ext4"});
    tree_->MountsChanged({{dir_ + "vol2"}, {}});
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"Home", "File System", "vol", "vol2"}));
    EXPECT_EQ(Child(root, "vol"), vol);
    EXPECT_EQ(Child(vol, "sub"), sub);
    EXPECT_TRUE(Child(root, "vol2")->GetHasChildren());

    // A medium is taken out of a folder in the tree: its node is emptied but stays expandable.
    tree_->MountsChanged({{}, {home_ + "/mnt/medium"}});
    EXPECT_EQ(medium->GetCount(), 0);
    EXPECT_TRUE(medium->GetHasChildren());
    EXPECT_EQ(Child(vol, "sub"), sub);

    // A volume goes: its drive leaves the desktop.
    table_.pop_back();
    tree_->MountsChanged({{}, {dir_ + "vol2"}});
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"Home", "File System", "vol"}));
}

TEST_F(ShellTreeTest, ManyWatchedFoldersStillRefresh) {
    // More folder monitors than a user may have inotify instances.
    for (int i = 0; i < 200; ++i) fs::create_directory(home_ + "/empty/f" + std::to_string(1000 + i));
    MakeTree();
    tree_->SetPath(home_ + "/empty");
    TShellnode* empty = Child(HomeNode(), "empty");
    ASSERT_EQ(empty->GetCount(), 200);
    for (Integer i = 0; i < empty->GetCount(); ++i) {
        auto* n = static_cast<TShellnode*>(empty->GetItem(i));
        ASSERT_NE(n->GetMonitor(), nullptr);
        EXPECT_FALSE(n->GetMonitor()->GetFailed());
    }
    TShellnode* last = Child(empty, "f1199");
    fs::create_directory(home_ + "/empty/f1199/new");
    EXPECT_TRUE(Eventually([&] { return last->GetHasChildren(); }));
}

// While it lives, this thread reads only what the permission bits let it, also as root.
class TPermissionsApply {
public:
    TPermissionsApply() {
        FOk = syscall(SYS_capget, &FHeader, FSaved) == 0;
        __user_cap_data_struct dropped[2] = {FSaved[0], FSaved[1]};
        dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        FOk = FOk && syscall(SYS_capset, &FHeader, dropped) == 0;
    }
    ~TPermissionsApply() {
        if (FOk) syscall(SYS_capset, &FHeader, FSaved);
    }
    bool Ok() const { return FOk; }

private:
    __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct FSaved[2] = {};
    bool FOk = false;
};

TEST_F(ShellTreeTest, AnUnreadableFolderHasNoChildren) {
    TPermissionsApply permissions;
    if (!permissions.Ok()) GTEST_SKIP() << "capabilities cannot be dropped";
    MakeTree();
    tree_->SetPath(home_ + "/Photos");
    TShellnode* photos = Child(HomeNode(), "Photos");
    ASSERT_EQ(photos->GetCount(), 2);
    // Read again once it may no longer be read: the children it had go.
    chmod((home_ + "/Photos").c_str(), 0);
    photos->Collapse(false);
    photos->Expand(false);
    EXPECT_EQ(photos->GetCount(), 0);
    EXPECT_FALSE(photos->GetHasChildren());
}

// Each expanded node's children against find's listing of its folder.
TEST_F(ShellTreeTest, ExpandedNodesListWhatFindLists) {
    fs::create_directories(home_ + "/Photos/2024/x y");
    fs::create_directories(home_ + "/Photos/2024/.z");
    fs::create_directory_symlink(home_ + "/Photos", home_ + "/link");
    MakeTree();
    tree_->SetOptions({TF_FOLDERS, TF_HIDDEN});
    tree_->SetPath(home_ + "/Photos/2024");
    tree_->SetPath(home_ + "/link");
    int compared = 0;
    for (TShellnode* n : {HomeNode(), Child(HomeNode(), "Photos"), Child(Child(HomeNode(), "Photos"), "2024"),
                          Child(HomeNode(), "link")}) {
        ASSERT_NE(n, nullptr);
        ASSERT_TRUE(n->GetExpanded()) << n->GetText();
        std::string command = "find -L '" + n->GetPath() + "' -mindepth 1 -maxdepth 1 -type d -printf '%f\\n'";
        FILE* p = popen(command.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::vector<std::string> expected;
        char line[4096];
        while (fgets(line, sizeof line, p)) {
            std::string s = line;
            if (!s.empty() && s.back() == '\n') s.pop_back();
            expected.push_back(s);
        }
        pclose(p);
        std::vector<std::string> ours = ChildTexts(n);
        std::sort(expected.begin(), expected.end());
        std::sort(ours.begin(), ours.end());
        EXPECT_EQ(ours, expected) << n->GetPath();
        ++compared;
    }
    EXPECT_EQ(compared, 4);
    EXPECT_EQ(Child(HomeNode(), "link")->GetOverlayIndex(), 1);
}

}  // namespace
