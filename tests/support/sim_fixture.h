#pragma once

// A simulated device on a simulated serial port, wired to a fresh AppState:
//
//   SimBench b("rev16");
//   BuildLongRequest(b.state.buffer, 0);
//   EXPECT_EQ(Exchange(b.state), ExchangeOk);
//
// Time is virtual: waits advance the clock instead of sleeping, so tests of
// timeouts run in microseconds and give the same result every run.

#include <memory>
#include <string_view>

#include "app/app_state.h"
#include "link/serial_link.h"
#include "sim/device_endpoint.h"
#include "sim/flow_computer.h"
#include "sim/sim_device.h"
#include "sim/simulated_port.h"
#include "sim/virtual_clock.h"
#include "support/scripted_ui.h"

namespace quillon::testing {

struct SimBench {
    static constexpr const char* kPortName = "sim0";

    // The link settings always get the device's short address, as a user who
    // knows the device would enter it. `knowAddresses` also puts its long
    // address into the identity, as if it had been identified already; tests
    // of identification itself pass false and start from a blank identity.
    explicit SimBench(std::string_view preset = "rev6", bool knowAddresses = true, std::uint32_t seed = 1)
        : SimBench(sim::Preset(preset), knowAddresses, seed) {}

    explicit SimBench(sim::DeviceProfile profile, bool knowAddresses = true, std::uint32_t seed = 1)
        : device_(std::make_unique<sim::SimDevice>(std::move(profile), seed)), endpoint_(*device_) {
        line_ = &ports.addPort(kPortName, endpoint_);
        state.port.performanceFrequency = clock.counterFrequency();
        state.settings.shortAddress = device_->profile().shortAddress;
        if (knowAddresses) state.identity.longAddress = device_->profile().longAddress;
        ScanPorts(state);
        state.settings.portIndex = 1;
        OpenPort(state);
    }

    // Puts a flow computer between the port and the device and sets the link
    // settings to reach it (tunnel link, its address, password, format, line).
    sim::FlowComputer& useFlowComputer(const sim::FlowComputerConfig& config = {}) {
        flowComputer_ = std::make_unique<sim::FlowComputer>(config, endpoint_, log_);
        line_->setEndpoint(*flowComputer_);
        auto& st = state.settings;
        st.linkType = kLinkTunnel;
        st.tunnelAddress = config.address;
        st.tunnelPassword = config.password;
        st.tunnelUserId = config.userId;
        st.souMode = config.souMode;
        st.tunnelRequestFormat = config.format == 33 ? 1 : 0;
        st.tunnelLine = config.line - 1;
        OpenPort(state);  // the tunnel link runs at its own speed
        return *flowComputer_;
    }

    // Hex lines of every request and answer, e.g. b.log(sim::StreamSink(std::cerr)).
    void log(const sim::LogSink& sink) {
        log_ = sink;
        endpoint_.setLog(sink);
        if (flowComputer_) flowComputer_->setLog(sink);
    }

    sim::SimDevice& device() { return *device_; }
    sim::DeviceEndpoint& endpoint() { return endpoint_; }
    sim::FaultPlan& faults() { return endpoint_.faults(); }
    sim::SimLine& line() { return *line_; }
    sim::FlowComputer* flowComputer() { return flowComputer_.get(); }

private:
    std::unique_ptr<sim::SimDevice> device_;
    sim::DeviceEndpoint endpoint_;
    std::unique_ptr<sim::FlowComputer> flowComputer_;
    sim::SimLine* line_ = nullptr;
    sim::LogSink log_;

public:
    ScriptedUi ui;
    sim::VirtualClock clock;
    sim::SimulatedPortSystem ports{clock};
    AppState state{ui, ports, clock};
};

}  // namespace quillon::testing
