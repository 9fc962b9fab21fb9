#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "ui_bench.h"

namespace quillon::uitest {
namespace {

std::optional<std::string> Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::filesystem::path Canonical(const std::string& path) { return std::filesystem::weakly_canonical(path); }

// Where the tool keeps the user's settings follows no variable on Windows, so a
// window test that looked it up there would start from what the test before it
// saved, and on an engineer's machine overwrite the engineer's own file.
TEST(BenchSettings, EachWindowTestHasAFileOfItsOwnAndTheUsersIsNeverTouched) {
    const std::string users = SettingsFilePath();
    const auto usersBefore = Contents(users);

    std::string firstFile;
    {
        UiBench first;
        first.writeSettings("short_addr=5\r\n");
        auto& form = first.start();
        EXPECT_EQ(form.settingsPath(), first.settingsPath);
        EXPECT_EQ(first.state.settings.shortAddress, 5);
        form.show();
        EXPECT_TRUE(form.close());  // saves
        EXPECT_NE(first.readSettings().find("short_addr=5\r\n"), std::string::npos) << first.readSettings();
        firstFile = first.settingsPath;
        EXPECT_NE(Canonical(firstFile), Canonical(users));
    }

    // The next test starts from the defaults, whatever the one before saved.
    UiBench second;
    EXPECT_NE(Canonical(second.settingsPath), Canonical(firstFile));
    EXPECT_EQ(Contents(second.settingsPath), std::nullopt);
    second.start();
    EXPECT_EQ(second.state.settings.shortAddress, 1);

    EXPECT_EQ(Contents(users), usersBefore);
}

}  // namespace
}  // namespace quillon::uitest
