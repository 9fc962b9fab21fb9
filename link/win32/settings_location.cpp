#include "link/win32/settings_location.h"

#include <shlobj.h>
#include <windows.h>

#include "link/settings_store.h"
#include "link/win32/wide_text.h"

namespace quillon {

namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L"\\" + name;
}

}  // namespace

std::string SettingsFileIn(const std::wstring& localAppData, const std::wstring& windowsDirectory) {
    const std::wstring fileName = WideFromUtf8(kSettingsFileName);
    const std::wstring folder = Joined(localAppData, L"Quillon");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = Joined(folder, fileName);
    if (!FileExists(file)) {
        const std::wstring legacy[] = {
            Joined(Joined(Joined(localAppData, L"VirtualStore"), L"Windows"), fileName),
            windowsDirectory.empty() ? std::wstring{} : Joined(windowsDirectory, fileName),
        };
        for (const auto& old : legacy) {
            if (!old.empty() && FileExists(old)) {
                CopyFileW(old.c_str(), file.c_str(), TRUE);
                break;
            }
        }
    }
    return Utf8FromWide(file);
}

std::string SettingsFilePath() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                localAppData)))
        localAppData[0] = L'\0';
    wchar_t windows[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    return SettingsFileIn(localAppData[0] ? std::wstring(localAppData) : std::wstring(L"."),
                          n > 0 && n < MAX_PATH ? std::wstring(windows) : std::wstring{});
}

}  // namespace quillon
