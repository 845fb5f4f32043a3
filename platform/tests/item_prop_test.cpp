#include <gtest/gtest.h>

#include "framework/dialog_service.h"
#include "framework/testing/ui_test.h"
#include "platform/item_prop.h"
#include "platform/launch.h"
#include "platform/shell_properties.h"
#include "platform/tests/file_fixture.h"

namespace {

using namespace uitest;

class ItemPropTest : public FileTest {
protected:
    TScriptedDialogs dialogs_;
    // The rows the Properties form showed, read while it is open.
    std::vector<TPropertyRow> shown_;
    void AnswerProperties() {
        dialogs_.AnswerForm(mrOk, [this](TCustomForm* Form) {
            auto* form = dynamic_cast<TShellPropertiesForm*>(Form);
            ASSERT_NE(form, nullptr);
            shown_ = form->Rows();
        });
    }
    std::string Shown(const std::string& Caption) const {
        for (const TPropertyRow& row : shown_)
            if (row.first == Caption) return row.second;
        return "(none)";
    }
};

TEST_F(ItemPropTest, PropertiesOfAFileAFolderAndTheRoot) {
    Make(dir_ + "photo.txt", std::string(12345, 'x'));
    std::filesystem::create_directories(dir_ + "folder/sub");
    Make(dir_ + "folder/a", "");
    Make(dir_ + "folder/.b", "");
    chmod((dir_ + "photo.txt").c_str(), 0640);

    AnswerProperties();
    ASSERT_TRUE(InvokeShellVerbOnPath("properties", dir_ + "photo.txt", nullptr));
    EXPECT_EQ(dialogs_.Requests().back().DialogClass, "TShellPropertiesForm");
    EXPECT_EQ(dialogs_.Requests().back().Caption, "photo.txt Properties");
    EXPECT_EQ(Shown("Name:"), "photo.txt");
    EXPECT_EQ(Shown("Size:"), "12,345 bytes");
    EXPECT_EQ(Shown("Location:"), ExcludeTrailingPathDelimiter(dir_));
    EXPECT_EQ(Shown("Type:").find("text/plain"), Shown("Type:").size() - 11) << Shown("Type:");
    EXPECT_EQ(Shown("Permissions:").substr(0, 10), "-rw-r-----");
    EXPECT_EQ(Shown("Modified:").size(), 19u);
    EXPECT_EQ(Shown("File system:"), "(none)");

    AnswerProperties();
    ASSERT_TRUE(InvokeShellVerbOnPath("properties", dir_ + "folder/", nullptr));
    EXPECT_EQ(Shown("Type:"), "Folder");
    EXPECT_EQ(Shown("Contains:"), "2 files, 1 folder");

    // The top of a file system tells the file system and its room.
    AnswerProperties();
    ASSERT_TRUE(InvokeShellVerbOnPath("properties", "/", nullptr));
    EXPECT_EQ(Shown("Name:"), "/");
    EXPECT_NE(Shown("File system:"), "(none)");
    EXPECT_NE(Shown("Free space:").find(" of "), std::string::npos);
}

TEST_F(ItemPropTest, WildcardsStandForTheirMatchesUnlessThePathExists) {
    Make(dir_ + "a1.txt", "1");
    Make(dir_ + "a2.txt", "22");
    Make(dir_ + "b.txt", "333");
    // No match: nothing is shown.
    EXPECT_FALSE(InvokeShellVerbOnPath("properties", dir_ + "z*.txt", nullptr));
    EXPECT_TRUE(dialogs_.Requests().empty());
    AnswerProperties();
    ASSERT_TRUE(InvokeShellVerbOnPath("properties", dir_ + "a?.txt", nullptr));
    EXPECT_EQ(Shown("Items:"), "2 items (2 files, 0 folders)");
    EXPECT_EQ(Shown("Size:"), "3 bytes in files");
    // A name that holds "*" and exists is that one file.
    Make(dir_ + "a*.txt", "star");
    AnswerProperties();
    ASSERT_TRUE(InvokeShellVerbOnPath("properties", dir_ + "a*.txt", nullptr));
    EXPECT_EQ(Shown("Name:"), "a*.txt");
    EXPECT_FALSE(InvokeShellVerbOnPath("explore", dir_ + "b.txt", nullptr));
    // The launcher's "properties" opens the same form.
    AnswerProperties();
    EXPECT_GT(ShellExecute(nullptr, "properties", dir_ + "b.txt", "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(Shown("Size:"), "3 bytes");
}

TEST_F(ItemPropTest, TheItemMenuOffersOpenAndProperties) {
    Make(dir_ + "a.txt", "a");
    auto desktop = TShellFolder::Desktop();
    TItemIDList folderList;
    ASSERT_TRUE(desktop->ParseDisplayName(dir_, folderList));
    auto folder = desktop->BindToObject(folderList);
    ASSERT_NE(folder, nullptr);
    std::vector<TShownMenuItem> shown;
    WhenMenuOpens([&] {
        shown = OpenMenuItems();
        ChooseMenuItem("Properties");
    });
    AnswerProperties();
    EXPECT_TRUE(ShowShellContextMenu(*folder, {{"a.txt"}}, 0, {10, 10}, nullptr));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Caption, "&Open");
    EXPECT_TRUE(shown[0].Default);
    EXPECT_EQ(shown[1].Caption, "P&roperties");
    EXPECT_EQ(Shown("Name:"), "a.txt");
    // Closed without a choice: nothing runs, and that is no failure.
    WhenMenuOpens([] { CloseMenus(); });
    EXPECT_TRUE(ShowShellContextMenu(*folder, {{"a.txt"}}, 0, {10, 10}, nullptr));
    // Properties only for items that have them; the desktop has no commands.
    EXPECT_FALSE(InvokeShellItemCommand({dir_ + "a.txt"}, {0, 0}, nullptr, "", ipmProperties, 0));
    EXPECT_FALSE(ShowShellContextMenu(*desktop, {{}}, 0, {10, 10}, nullptr));
    EXPECT_EQ(dialogs_.Pending(), 0u);
}

}  // namespace
