#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "sim/device_profile.h"
#include "sim/faults.h"
#include "sim/flow_computer.h"
#include "sim/hart_ip_session_server.h"

namespace quillon::sim {

// Command line of quillon-devsim.
struct DevsimOptions {
    std::string preset = "rev6";
    std::optional<std::uint8_t> softwareRevision, hardwareRevision, deviceRevision;
    std::optional<std::array<std::uint8_t, 5>> longAddress;
    std::optional<std::uint8_t> shortAddress, preambles;
    std::optional<std::string> tag;
    bool locked = false;
    std::uint8_t refusalCode = 7;
    std::uint32_t seed = 1;

    std::optional<std::uint32_t> baud;
    std::optional<Parity> parity;
    std::optional<int> hartSpeedIndex, tunnelSpeedIndex;
    int turnaroundMs = 20;

    Fault fault = Fault::None;  // persistent from the start
    std::string portName = "sim0";
    bool flowComputer = false;
    FlowComputerConfig fc;
    bool log = false;
    bool help = false;
    bool version = false;
    // A .clb file put into the device's memory at start, or none at all.
    std::optional<std::string> calibrationFile;
    bool noCalibration = false;
    // Serve HART-IP (TCP and UDP) on this address instead of announcing the
    // pseudo-terminal; port 0 takes any free one.
    std::optional<std::string> hartIpHost;
    std::uint16_t hartIpPort = 5094;
    std::optional<HartIpFault> hartIpFault;
    unsigned hartIpFaultAfter = 0;  // token-passing answers before the fault hits

    // More devices on the same line, each at its own short address.
    struct ExtraDevice {
        std::string preset;
        std::uint8_t shortAddress = 0;
        std::optional<std::array<std::uint8_t, 5>> longAddress;
        std::optional<std::string> tag;
    };
    std::vector<ExtraDevice> extraDevices;
    // The profile of extra device `index`: a long address of its own unless given.
    DeviceProfile extraProfile(std::size_t index) const;

    // The line the simulator paces its answers at.
    LineSettings line() const;
    // The preset with every identity option applied.
    DeviceProfile profile() const;
};

// Parses the arguments after the program name. Returns nothing and sets
// `error` for an unknown option or a bad value (an unknown preset included).
std::optional<DevsimOptions> ParseDevsimOptions(const std::vector<std::string>& args, std::string& error);

std::string DevsimUsage();

}  // namespace quillon::sim
