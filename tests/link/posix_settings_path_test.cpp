#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/link_test_support.h"
#include "link/settings_store.h"

namespace quillon {
namespace {

using testing::TempFolder;

TEST(SettingsFilePath, FollowsTheConfigFolderAndCreatesIt) {
    TempFolder folder;
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_CONFIG_HOME", folder.file("cfg/deep").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(), folder.file("cfg/deep/Quillon.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("cfg/deep")));

    ::setenv("HOME", folder.path().c_str(), 1);
    for (const char* ignored : {"", "relative/path"}) {
        ::setenv("XDG_CONFIG_HOME", ignored, 1);
        EXPECT_EQ(SettingsFilePath(), folder.file(".config/Quillon.ini"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.file(".config")));

    if (oldConfig)
        ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (oldHome)
        ::setenv("HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("HOME");
}

}  // namespace
}  // namespace quillon
