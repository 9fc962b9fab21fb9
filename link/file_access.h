#pragma once

#include <cstddef>
#include <string>

namespace quillon {

// Small files (settings, calibrations) read and replaced the platform's way.
// Paths are UTF-8; failures come with the system's own words in `error`.

enum class SmallFileRead { Read, Missing, Failed };

// Reads a regular file of at most `maxSize` bytes. Missing is not a failure:
// `error` stays empty then.
SmallFileRead ReadSmallFile(const std::string& path, std::size_t maxSize, std::string& content, std::string& error);

// Replaces the file atomically: a temporary file in the same folder is
// written, flushed to disk and renamed over the old one, which is left
// untouched on failure. A new file gets `newFileMode` where the system has
// such permissions; an existing one keeps its own.
bool ReplaceSmallFile(const std::string& path, const std::string& content, unsigned newFileMode, std::string& error);

}  // namespace quillon
