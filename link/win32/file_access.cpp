#include "link/file_access.h"

#include <windows.h>

#include "link/win32/system_error_text.h"
#include "link/win32/wide_text.h"

namespace quillon {

namespace {

bool Fail(std::string& error) {
    error = SystemErrorText(GetLastError());
    return false;
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool close() {
        const bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

}  // namespace

SmallFileRead ReadSmallFile(const std::string& path, std::size_t maxSize, std::string& content, std::string& error) {
    content.clear();
    error.clear();
    Handle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return SmallFileRead::Missing;
        error = SystemErrorText(code);
        return SmallFileRead::Failed;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        error = "Not a regular file";
        return SmallFileRead::Failed;
    }
    char chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr)) {
            Fail(error);
            return SmallFileRead::Failed;
        }
        if (n == 0) break;
        if (content.size() + n > maxSize) {
            error = SystemErrorText(ERROR_FILE_TOO_LARGE);
            return SmallFileRead::Failed;
        }
        content.append(chunk, n);
    }
    return SmallFileRead::Read;
}

bool ReplaceSmallFile(const std::string& path, const std::string& content, unsigned /*newFileMode*/,
                      std::string& error) {
    // A file's access comes from its folder's inherited rights here, not from a mode.
    const std::wstring target = WideFromUtf8(path);
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(GetCurrentProcessId());
    Handle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Fail(error);
    const auto discard = [&]() {
        error = SystemErrorText(GetLastError());
        if (file.valid()) file.close();
        DeleteFileW(temporary.c_str());
        return false;
    };
    std::size_t done = 0;
    while (done < content.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), content.data() + done, chunk, &written, nullptr) || written == 0) return discard();
        done += written;
    }
    if (!FlushFileBuffers(file.get())) return discard();
    if (!file.close()) return discard();
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return discard();
    return true;
}

}  // namespace quillon
