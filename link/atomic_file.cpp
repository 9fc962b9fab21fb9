#include "link/atomic_file.h"

#include <filesystem>
#include <system_error>

#include "link/file_access.h"

namespace quillon {

FileReplaceResult ReplaceFileAtomically(const std::string& path, std::string_view content, std::string& error) {
    // A name that is a folder, or a folder that is not there, cannot take a
    // file at all; everything else that fails is a failed write.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (fs::is_directory(target, ec) || !fs::is_directory(folder, ec)) {
        error = std::make_error_code(fs::is_directory(target, ec) ? std::errc::is_a_directory
                                                                  : std::errc::no_such_file_or_directory)
                    .message();
        return FileReplaceResult::CannotCreate;
    }
    // A new calibration file is an ordinary document; an existing one keeps its permissions.
    if (!ReplaceSmallFile(path, std::string(content), 0644, error)) return FileReplaceResult::WriteFailed;
    return FileReplaceResult::Done;
}

}  // namespace quillon
