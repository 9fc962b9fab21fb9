#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

inline constexpr std::uint8_t kHighestShortAddress = 15;

// Writes a new short address: command 6, or the device-specific short-frame
// command 119 on older firmware (which knows no write lock). Done: the link
// uses the new address from now on, and the device is identified anew at
// its next use. Runs inside the caller's port bracket.
Outcome WriteShortAddress(DeviceState& s, std::uint8_t address, const AskRepeatOnLock& askRepeat);
// The boxes of a short-address change.
Report ShortAddressReport(const DeviceIdentity& id, const Outcome& o);

// Menu command "Изменить короткий адрес датчика ...": asks for the address,
// writes it and reports.
void ChangeShortAddrCommand(DeviceState& s);

// Menu command "Изменить длинный адрес датчика ...": writes the three
// device-id bytes with command 19, or through the parameter block and its
// confirmation on older firmware.
void ChangeLongAddrCommand(DeviceState& s);

// A device-id byte as the user typed it: one or two hex digits, either case.
std::optional<std::uint8_t> ParseDeviceIdByte(std::string_view text);

// Two upper-case hex digits.
std::string HexByteText(std::uint8_t value);

// Where older firmware stages a long-address write in its parameter block.
inline constexpr std::uint16_t kLongAddressIndexRev3Hw1 = 105;
inline constexpr std::uint16_t kLongAddressIndex = 127;

}  // namespace quillon
