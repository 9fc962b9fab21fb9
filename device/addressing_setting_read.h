#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/device_state.h"

namespace quillon {

// A setting read whose answer the caller judges with its own messages (the
// preamble count, the Modbus address).
struct RawSettingRead {
    int exchange = 0;               // exchange result of the last attempt
    std::uint8_t responseCode = 0;  // meaningful when exchange is 0 and hasStatus
    bool hasStatus = false;
    // Least significant byte of the value; only with code 0 and a full value.
    std::optional<std::uint8_t> lowByte;
};

// Reads setting `number` (command 176) with no attempt limit, announcing each
// attempt as `progressText` + attempt number. The main menu is removed while
// it runs; the progress window is closed and the menu put back before it
// returns, whatever the outcome.
RawSettingRead ReadSettingLowByte(DeviceState& s, std::uint8_t number, const std::string& progressText);

}  // namespace quillon
