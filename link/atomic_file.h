#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Replaces the file at `path` with `content` so that a crash or a full disk
// leaves either the old file whole or the new one: a temporary file beside it
// is written, flushed and renamed over it. A link keeps pointing at the new
// file; an existing file keeps its permissions. On failure returns false with
// the system's words in `error`, and the old file is untouched.
enum class FileReplaceResult {
    Done,
    CannotCreate,  // the temporary file could not be made (folder, permissions, not a file)
    WriteFailed,   // writing, flushing or renaming failed (a full disk, for one)
};
FileReplaceResult ReplaceFileAtomically(const std::string& path, std::string_view content, std::string& error);

}  // namespace quillon
