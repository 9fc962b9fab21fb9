#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/device_state.h"

namespace quillon {

// Menu command "Количество преамбул ...": reads (on the preamble family) and
// writes the number of preambles the device sends before its answers.
// Runs inside the caller's port bracket.
void PreamblesCommand(DeviceState& s);

// A whole number as typed: optional spaces around, an optional sign, digits.
std::optional<int> ParseWholeNumber(std::string_view text);

// The message shown when a field that needs a whole number holds something else.
std::string NotWholeNumberText(const std::string& text);

inline constexpr int kMinPreambles = 3;
inline constexpr int kMaxPreambles = 50;

}  // namespace quillon
