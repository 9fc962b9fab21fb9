#pragma once

#include <array>
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

using DeviceId = std::array<std::uint8_t, 3>;

// Writes the three device-id bytes of the long address: command 19, or on
// older firmware the parameter-block write (190) and its confirmation (192),
// which is Partial when the bytes were staged and not taken over. NotPossible
// before any request on a variant without the change or a device of another
// maker. Any answer makes the device be identified anew at its next use.
Outcome WriteLongAddress(DeviceState& s, const DeviceId& id, const AskRepeatOnLock& askRepeat);
// The boxes of a long-address change.
Report LongAddressReport(const DeviceIdentity& id, const Outcome& o);

// Menu command "Изменить длинный адрес датчика ...": asks for the bytes,
// writes them and reports.
void ChangeLongAddrCommand(DeviceState& s);

// A device-id byte as the user typed it: one or two hex digits, either case.
std::optional<std::uint8_t> ParseDeviceIdByte(std::string_view text);

// Two upper-case hex digits.
std::string HexByteText(std::uint8_t value);

// Where older firmware stages a long-address write in its parameter block.
inline constexpr std::uint16_t kLongAddressIndexRev3Hw1 = 105;
inline constexpr std::uint16_t kLongAddressIndex = 127;

}  // namespace quillon
