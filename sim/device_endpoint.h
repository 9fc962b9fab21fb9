#pragma once

#include "sim/faults.h"
#include "sim/hex_log.h"
#include "sim/line_endpoint.h"
#include "sim/request_parser.h"
#include "sim/sim_device.h"

namespace quillon::sim {

// A device on a HART modem line: frames requests, lets the device answer,
// injects the planned fault and logs both directions.
class DeviceEndpoint : public LineEndpoint {
public:
    explicit DeviceEndpoint(SimDevice& device, LogSink log = {}) : device_(device), log_(std::move(log)) {}

    std::optional<Transmission> hear(std::uint8_t byte, std::int64_t nowUs) override;
    void lineQuiet() override { parser_.reset(); }

    // Answers one checked request as the device would, fault included, but
    // without preambles: what a flow computer gets back from its HART line.
    std::optional<HartAnswer> answerFor(const HartRequest& request, std::int64_t nowUs, Fault& fault);

    FaultPlan& faults() { return faults_; }
    SimDevice& device() { return device_; }
    void setLog(LogSink log) { log_ = std::move(log); }

private:
    SimDevice& device_;
    LogSink log_;
    RequestParser parser_;
    FaultPlan faults_;
};

// Changes an answer for the faults that depend on what it means.
void DistortAnswer(Fault fault, HartAnswer& answer);

}  // namespace quillon::sim
