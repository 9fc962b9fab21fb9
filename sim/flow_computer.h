#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/device_endpoint.h"
#include "sim/faults.h"
#include "sim/hex_log.h"
#include "sim/line_endpoint.h"

namespace quillon::sim {

struct FlowComputerConfig {
    std::uint8_t address = 1;
    std::string password = "1234";  // bytes in the flow computer's 8-bit code page
    std::string userId{};           // checked only in SOU mode
    bool souMode = false;           // credentials = 12 password bytes + 4 user-id bytes
    int format = 0;                 // 11 or 33: accept only that request format; 0: both
    int line = 1;                   // HART line the device hangs on, 1..4
};

// Error codes of the flow computer's 9-byte error answer.
inline constexpr std::uint8_t kFcErrorNoDeviceAnswer = 1;
inline constexpr std::uint8_t kFcErrorBadFormat = 2;
inline constexpr std::uint8_t kFcErrorPassword = 4;

// A flow computer that tunnels HART: checks the 0xBB wrapper (length, CRC,
// address, format, line, credentials), forwards the HART frame to the device
// on its line and wraps the answer in 0x66.
class FlowComputer : public LineEndpoint {
public:
    FlowComputer(FlowComputerConfig config, DeviceEndpoint& device, LogSink log = {})
        : config_(std::move(config)), device_(device), log_(std::move(log)) {}

    std::optional<Transmission> hear(std::uint8_t byte, std::int64_t nowUs) override;
    void lineQuiet() override {
        frame_.clear();
        device_.lineQuiet();
    }

    FlowComputerConfig& config() { return config_; }
    // Faults of the wrapper itself; faults of the HART answer are the device's.
    FaultPlan& faults() { return faults_; }
    void setLog(LogSink log) { log_ = std::move(log); }
    // Time to ask the device on the HART line before answering "no answer".
    std::int64_t deviceTimeoutUs = 500'000;

private:
    std::optional<Transmission> process(const std::vector<std::uint8_t>& request, std::int64_t nowUs);
    Transmission errorAnswer(std::uint8_t formatCode, std::uint8_t code, std::int64_t delayUs);
    Transmission finish(std::vector<std::uint8_t> wrapper, std::int64_t delayUs);

    FlowComputerConfig config_;
    DeviceEndpoint& device_;
    LogSink log_;
    FaultPlan faults_;
    std::vector<std::uint8_t> frame_;
};

}  // namespace quillon::sim
