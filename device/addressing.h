#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace quillon {

// Menu command "Изменить короткий адрес датчика ...": command 6, or the
// device-specific short-frame command 119 on older firmware. Runs inside the
// caller's port bracket.
void ChangeShortAddrCommand(AppState& s);

// Menu command "Изменить длинный адрес датчика ...": writes the three
// device-id bytes with command 19, or through the parameter block and its
// confirmation on older firmware.
void ChangeLongAddrCommand(AppState& s);

// A device-id byte as the user typed it: one or two hex digits, either case.
std::optional<std::uint8_t> ParseDeviceIdByte(std::string_view text);

// Two upper-case hex digits.
std::string HexByteText(std::uint8_t value);

// Where older firmware stages a long-address write in its parameter block.
inline constexpr std::uint16_t kLongAddressIndexRev3Hw1 = 105;
inline constexpr std::uint16_t kLongAddressIndex = 127;

}  // namespace quillon
