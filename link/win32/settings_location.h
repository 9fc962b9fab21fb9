#pragma once

#include <string>

namespace quillon {

// The settings file under the user's local application-data folder:
// <localAppData>\Quillon\Quillon.ini, the Quillon folder created when missing.
// When that file does not exist yet, a file an older installation kept is
// copied there first: from <localAppData>\VirtualStore\Windows (where the
// system redirected an older program's writes to the Windows folder), else
// from the Windows folder itself. The old file stays as it was. UTF-8 paths.
std::string SettingsFileIn(const std::wstring& localAppData, const std::wstring& windowsDirectory);

}  // namespace quillon
