#pragma once

#include <cstdint>
#include <string>

#include "link/link_state.h"

namespace quillon {

inline constexpr const char* kSettingsSection = "ini_dir_section";
inline constexpr const char* kSettingsFileName = "Quillon.ini";
// The chosen port by name, beside `num_port`, which other installations read.
inline constexpr const char* kPortNameKey = "port_name";

// Longest credentials the file can give back: the password fills at most the
// 16-byte credential field of a tunnel request, the user ID its last 4 bytes.
inline constexpr std::size_t kPasswordMaxLength = 16;
inline constexpr std::size_t kSouPasswordMaxLength = 12;
inline constexpr std::size_t kUserIdMaxLength = 4;

// Where the settings live for this user; each platform's backend folder says
// where. Linux: $XDG_CONFIG_HOME/Quillon.ini, or ~/.config/Quillon.ini.
// Windows: %LOCALAPPDATA%\Quillon\Quillon.ini. The folder is created when
// missing (a failure shows later, when the settings are saved).
std::string SettingsFilePath();

// Reads the link settings, replacing missing, damaged or out-of-range values by
// their defaults without a word. Needs the port list of ScanPorts.
void LoadSettings(LinkState& s, const std::string& path, const std::string& programDirectory);

// Writes the link settings, keeping everything else in the file. When the file
// cannot be written the user is told why and false is returned.
bool SaveSettings(LinkState& s, const std::string& path);

// The byte that scrambles the stored credentials, from the settings as a load
// will see them after its corrections.
std::uint8_t SettingsKey(const LinkSettings& settings);

}  // namespace quillon
