#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "device/device_state.h"

namespace quillon {

// Menu command "Чтение тега": reads the device tag (command 20) and shows it.
// Runs inside the caller's port bracket.
void ReadingTagCommand(DeviceState& s);

inline constexpr std::size_t kMaxTagBytes = 32;

// The tag as UTF-8: the first `count` bytes (at most 32) up to the first zero,
// read as Windows-1251.
std::string TagText(const std::uint8_t* data, std::size_t count);

}  // namespace quillon
