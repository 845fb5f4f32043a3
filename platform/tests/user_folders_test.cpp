#include <gtest/gtest.h>

#include <string>

#include "platform/tests/scoped_env.h"
#include "platform/user_folders.h"

TEST(UserFolders, DataFolderFollowsTheBaseDirectoryRules) {
    ScopedEnv home("HOME", "/home/ann");
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(UserDataFolder(), "/srv/data/");
        EXPECT_EQ(UserDataFolder("Lumora"), "/srv/data/Lumora/");
    }
    // A relative or empty setting is ignored, as the rules say.
    for (const char* value : {"relative/data", "", static_cast<const char*>(nullptr)}) {
        ScopedEnv data("XDG_DATA_HOME", value);
        EXPECT_EQ(UserDataFolder(), "/home/ann/.local/share/") << (value ? value : "(unset)");
    }
}

TEST(UserFolders, HomeFolderFallsBackToTheAccount) {
    {
        ScopedEnv home("HOME", "/home/ann/");
        EXPECT_EQ(UserHomeFolder(), "/home/ann/");
    }
    ScopedEnv home("HOME", nullptr);
    std::string folder = UserHomeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
}
