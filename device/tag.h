#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Чтение тега": reads the device tag (command 20) and shows it.
// Runs inside the caller's port bracket.
void ReadingTagCommand(DeviceState& s);

inline constexpr std::size_t kMaxTagBytes = 32;

// The tag as UTF-8: the first `count` bytes (at most 32) up to the first zero,
// read as Windows-1251.
std::string TagText(const std::uint8_t* data, std::size_t count);

// Reads the tag (command 20, universal). Done: the tag. Refused with
// kNoResponseCode: an answer without a tag in it.
Result<std::string> ReadTag(DeviceState& s);
// The tag in an information box when done, else why not.
Report TagReadReport(const Result<std::string>& r);

// Writes the tag (command 22, universal): at most 32 bytes in Windows-1251,
// padded with zeros. InputRefused for a longer tag or one with characters the
// code page lacks.
Outcome WriteTag(DeviceState& s, const std::string& tag, const AskRepeatOnLock& askRepeat);
Report TagWriteReport(const Outcome& o);

// What command 13 (universal) holds: the short tag and the descriptor in
// packed ASCII, and the date.
struct TagDescriptorDate {
    std::string tag;         // 8 characters, trailing spaces removed
    std::string descriptor;  // 16 characters, trailing spaces removed
    int day = 0;
    int month = 0;
    int year = 0;  // the full year
};
Result<TagDescriptorDate> ReadTagDescriptorDate(DeviceState& s);
Report TagDescriptorDateReport(const Result<TagDescriptorDate>& r);

// HART packed ASCII: 6-bit characters, four in three bytes; `bytes` bytes
// give bytes * 4 / 3 characters.
std::string UnpackAscii(const std::uint8_t* data, std::size_t bytes);

}  // namespace quillon
