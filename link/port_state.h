#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace quillon {

struct PortState {
    std::unique_ptr<SerialPort> handle;  // null when closed
    // Port names found by the last scan; element 0 is always "" and stands for no port.
    std::vector<std::string> portList{std::string{}};
    std::uint8_t silentExchangeCount = 0;
    std::int64_t performanceFrequency = 0;
    // Lateness of the last RTS drop behind its computed deadline, in counter ticks.
    std::int64_t lastRtsLateness = 0;
};

}  // namespace quillon
