#pragma once

// The device tests' view of the captured requests and of the settings the
// simulated device keeps.

#include <cstdint>

#include "device_test_support.h"
#include "polling_test_support.h"
#include "support/request_capture.h"

namespace quillon::testing {

inline std::uint32_t SettingOf(SimBench& b, std::uint8_t number) { return b.device().profile().settings.at(number); }

}  // namespace quillon::testing
