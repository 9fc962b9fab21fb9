#include "sim/devsim_console.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "sim/calibration_examples.h"
#include "sim/hex_log.h"

namespace quillon::sim {

namespace {

std::vector<std::string> Words(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

constexpr const char* kHelp =
    "commands: button | lock [7|16] | fault NAME [always] | fault off | fc-fault NAME [always] | "
    "fc-fault off | reference VALUE | ambient VALUE | calibration [load FILE | clear] | status | help | quit";

// "reference 100.0": the value the engineer's reference source now applies to the sensor.
std::string SetLiveInput(double& input, const char* what, const std::vector<std::string>& w) {
    if (w.size() < 2) return std::string(what) + " needs a value, now " + std::to_string(input);
    try {
        std::size_t used = 0;
        const double value = std::stod(w[1], &used);
        if (used != w[1].size() || !std::isfinite(value)) throw std::invalid_argument(w[1]);
        input = value;
    } catch (const std::exception&) {
        return "not a number: " + w[1];
    }
    return std::string(what) + " " + w[1];
}

std::string SetFault(FaultPlan& plan, const std::vector<std::string>& w) {
    if (w.size() < 2) return "fault needs a name";
    auto fault = FaultFromName(w[1]);
    if (!fault) return "unknown fault: " + w[1];
    const bool always = w.size() > 2 && w[2] == "always";
    plan.set(*fault, always);
    if (*fault == Fault::None) return "fault off";
    return "fault " + w[1] + (always ? " on every answer" : " on the next answer");
}

}  // namespace

std::string DescribeDevice(const SimDevice& device) {
    const auto& p = device.profile();
    std::ostringstream out;
    out << p.name << ": software " << int(p.softwareRevision) << ", hardware " << int(p.hardwareRevision) << ", device "
        << int(p.deviceRevision) << ", long address " << Hex(p.longAddress.data(), 5) << ", short address "
        << int(p.shortAddress) << ", preambles " << int(p.responsePreambles) << ", "
        << (p.protection.locked ? "write-protected" : "writable") << ", " << device.answered << " answers";
    return out.str();
}

ConsoleResult RunConsoleCommand(std::string_view line, ConsoleTarget& t) {
    const auto w = Words(line);
    if (w.empty()) return {};
    const std::string& c = w[0];
    if (c == "quit" || c == "exit") return {"bye", true};
    if (c == "help") return {kHelp};
    if (c == "status") return {DescribeDevice(t.device)};
    if (c == "button") {
        t.device.pressButton();
        return {"button pressed: writes accepted"};
    }
    if (c == "lock") {
        std::uint8_t code = 7;
        if (w.size() > 1) {
            if (w[1] == "16")
                code = 16;
            else if (w[1] != "7")
                return {"lock takes 7 or 16"};
        }
        t.device.lock(code);
        return {"locked: writes answer code " + std::to_string(code)};
    }
    if (c == "fault") return {SetFault(t.deviceFaults, w)};
    if (c == "calibration") {
        DeviceProfile& p = t.device.profile();
        if (w.size() >= 3 && w[1] == "load") {
            const std::string error = LoadCalibrationFileIntoDevice(p, w[2]);
            return {error.empty() ? "loaded " + w[2] + "; " + DescribeCalibration(p) : "not loaded: " + error};
        }
        if (w.size() >= 2 && w[1] == "clear") {
            ClearCalibration(p);
            return {"calibration cleared"};
        }
        return {DescribeCalibration(p)};
    }
    if (c == "reference") return {SetLiveInput(t.device.profile().live.reference, "reference", w)};
    if (c == "ambient") return {SetLiveInput(t.device.profile().live.ambient, "ambient", w)};
    if (c == "fc-fault") {
        if (!t.flowComputerFaults) return {"no flow computer in front of this device"};
        return {SetFault(*t.flowComputerFaults, w)};
    }
    return {"unknown command: " + c + " (try help)"};
}

}  // namespace quillon::sim
