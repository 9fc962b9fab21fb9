#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_port.h"
#include "sim/line_endpoint.h"
#include "sim/virtual_clock.h"

namespace quillon::sim {

// A receive error the line will report on one byte of the next answer(s).
struct LineErrorInjection {
    int flags = 0;           // 0x02 overrun, 0x04 parity, 0x08 framing
    std::size_t atByte = 3;  // index in the answer as sent, preambles included
    bool persistent = false;
};

// One simulated serial line: the wire between the PC's port and whatever is
// at the far end. It outlives the port handles opened on it, as a real cable does.
class SimLine {
public:
    SimLine(VirtualClock& clock, LineEndpoint& endpoint) : clock_(clock), endpoint_(&endpoint) {}

    void setEndpoint(LineEndpoint& endpoint) { endpoint_ = &endpoint; }
    // Time from the last request byte to the first answer byte.
    std::int64_t turnaroundUs = 20'000;
    // The far end's own line settings; when set and the port's differ, the
    // far end hears only garble. Unset: it follows the port.
    std::optional<LineSettings> farEndLine;
    bool busy = false;             // opening fails as "in use"
    bool unplugged = false;        // the port has gone: opening fails as "not found", scans miss it
    bool refuseConfigure = false;  // line settings are refused
    void injectLineError(LineErrorInjection e) { lineError_ = e; }

    // --- used by SimulatedPort ---
    void transmit(const std::uint8_t* bytes, std::size_t count, const LineSettings& line);
    long read(std::uint8_t* bytes, std::size_t capacity);
    int takeLineErrors() { return std::exchange(latchedErrors_, 0); }
    void dropArrived();
    void waitForInput(int milliseconds);

    // What the PC wrote, each write as one entry, for tests that check the wire.
    std::vector<std::vector<std::uint8_t>> written;
    bool rts = false;
    bool dtr = false;
    std::size_t pendingBytes() const { return incoming_.size(); }

private:
    struct Incoming {
        std::uint8_t byte;
        std::int64_t arrivalUs;
        int errors;
    };
    void schedule(const Transmission& t, std::int64_t startUs, const LineSettings& line);

    VirtualClock& clock_;
    LineEndpoint* endpoint_;
    std::deque<Incoming> incoming_;
    std::optional<LineErrorInjection> lineError_;
    int latchedErrors_ = 0;
};

// A handle opened on a SimLine.
class SimulatedPort : public SerialPort {
public:
    explicit SimulatedPort(SimLine& line) : line_(line) {}

    bool configure(const LineSettings& settings) override;
    void setRts(bool on) override { line_.rts = on; }
    void setDtr(bool on) override { line_.dtr = on; }
    void purge(bool transmit, bool receive) override;
    long read(std::uint8_t* bytes, std::size_t capacity) override { return line_.read(bytes, capacity); }
    int takeLineErrors() override { return line_.takeLineErrors(); }
    bool write(const std::uint8_t* bytes, std::size_t count) override;
    void waitForInput(int milliseconds) override { line_.waitForInput(milliseconds); }
    std::string lastErrorText() const override { return lastError_; }

private:
    SimLine& line_;
    LineSettings settings_;
    std::string lastError_;
};

// The simulated machine's serial ports, each bound to a far end.
class SimulatedPortSystem : public PortSystem {
public:
    explicit SimulatedPortSystem(VirtualClock& clock) : clock_(clock) {}

    SimLine& addPort(const std::string& name, LineEndpoint& endpoint);
    SimLine* line(const std::string& name);

    std::vector<std::string> candidates() override;
    std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) override;

private:
    VirtualClock& clock_;
    std::vector<std::pair<std::string, std::unique_ptr<SimLine>>> lines_;
};

}  // namespace quillon::sim
