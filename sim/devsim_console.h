#pragma once

#include <string>
#include <string_view>

#include "sim/faults.h"
#include "sim/sim_device.h"

namespace quillon::sim {

// What the console of quillon-devsim can reach.
struct ConsoleTarget {
    SimDevice& device;
    FaultPlan& deviceFaults;
    FaultPlan* flowComputerFaults = nullptr;
};

struct ConsoleResult {
    std::string reply;  // printed on stdout
    bool quit = false;
};

// One line typed on the console (or sent by a script).
ConsoleResult RunConsoleCommand(std::string_view line, ConsoleTarget& target);

std::string DescribeDevice(const SimDevice& device);

}  // namespace quillon::sim
