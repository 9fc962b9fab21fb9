#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"

namespace quillon {

enum class Parity { None, Odd };

struct LineSettings {
    std::uint32_t baud = 1200;
    Parity parity = Parity::Odd;
};

// One open serial device. Reads never block; waitForInput is the only blocking
// wait for bytes, so a receive loop sleeps instead of spinning.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // 8 data bits and 1 stop bit always; false when the line settings are refused.
    virtual bool configure(const LineSettings& settings) = 0;
    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
    virtual void purge(bool transmit, bool receive) = 0;
    // Reads what has arrived, at most `capacity` bytes; -1 when the read failed
    // (receive errors are then fetched with takeLineErrors).
    virtual long read(std::uint8_t* bytes, std::size_t capacity) = 0;
    // Receive-error bits (0x02 overrun, 0x04 parity, 0x08 framing) since the last call; resets them.
    virtual int takeLineErrors() = 0;
    // Blocks until every byte is handed to the driver.
    virtual bool write(const std::uint8_t* bytes, std::size_t count) = 0;
    // Blocks for at most `milliseconds` or until bytes may be read.
    virtual void waitForInput(int milliseconds) = 0;
    // The system's words for the last failure (a refused configure, say).
    virtual std::string lastErrorText() const = 0;
    // Sends a frame with RTS raised from before its first byte until `clock`
    // passes the frame's wire time, counted from just before the write; returns
    // how late RTS fell behind that moment, in counter ticks. Backends that can
    // time the drop better (real-time scheduling, the driver's own RTS control)
    // do so here.
    virtual std::int64_t sendKeyed(const std::uint8_t* bytes, std::size_t count, std::int64_t wireTicks,
                                   Clock& clock);
};

enum class OpenFailure {
    None,
    NotFound,  // no such port
    Busy,      // the port exists but is in use (held or locked by another program)
    AccessDenied,  // the port exists but this user may not open it
    Faulty,    // the port exists but does not work
};

struct OpenError {
    OpenFailure kind = OpenFailure::None;
    std::string text;  // the system's own words for the failure
};

// The machine's serial ports: where they are found and how they are opened.
class PortSystem {
public:
    virtual ~PortSystem() = default;
    // Names of devices that may be serial ports, in the order they are offered.
    virtual std::vector<std::string> candidates() = 0;
    virtual std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) = 0;
};

}  // namespace quillon
