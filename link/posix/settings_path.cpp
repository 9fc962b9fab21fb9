#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/settings_store.h"

namespace quillon {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

}  // namespace

std::string SettingsFilePath() {
    std::string folder;
    // Relative values are to be ignored, as the base-directory convention says.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        folder = config;
    else
        folder = HomeFolder() + "/.config";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder + "/" + kSettingsFileName;
}

}  // namespace quillon
