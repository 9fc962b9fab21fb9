#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/posix/driver_rts.h"
#include "link/posix/marked_stream.h"
#include "link/posix/uart_info.h"
#include "link/serial_port.h"

namespace quillon {

// A serial device driven through termios. Real ports and pseudo-terminals are
// both accepted; a pseudo-terminal has neither parity nor modem lines, and the
// port quietly does without them there.
class PosixSerialPort : public SerialPort {
public:
    // How the RTS drop after a frame is timed. Both fall back silently where
    // the system or the driver does not offer them.
    struct RtsTiming {
        // Real-time scheduling while RTS is raised.
        bool realTime = true;
        // The driver's own RTS control on send, where the driver has it.
        bool driverRts = true;
    };

    // Opens `path` for exclusive use. Null on failure, with `error` = errno.
    static std::unique_ptr<PosixSerialPort> Open(const std::string& path, int& error);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool configure(const LineSettings& settings) override;
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void purge(bool transmit, bool receive) override;
    long read(std::uint8_t* bytes, std::size_t capacity) override;
    int takeLineErrors() override;
    bool write(const std::uint8_t* bytes, std::size_t count) override;
    void waitForInput(int milliseconds) override;
    std::string lastErrorText() const override;
    // Returns 0 when the driver drops RTS itself: it does so when its
    // transmitter has emptied, which no clock here can improve on.
    std::int64_t sendKeyed(const std::uint8_t* bytes, std::size_t count, std::int64_t wireTicks,
                           Clock& clock) override;

    bool isPseudoTerminal() const { return pty_; }
    void setRtsTiming(const RtsTiming& timing);
    const RtsTiming& rtsTiming() const { return rtsTiming_; }
    bool driverKeysRts() const { return driverRts_.active(); }

private:
    PosixSerialPort(int fd, bool pty);

    void fail(int error) { lastError_ = error; }
    void setModemLine(int line, bool on);
    // Moves what the driver holds into received_; false when the read failed.
    bool fetch(std::size_t wanted);
    void collectCounterErrors();
    void restartErrorAccounting();

    int fd_;
    bool pty_;
    bool markErrors_ = false;
    MarkedStreamDecoder decoder_;
    // Decoded bytes not yet handed out; receivedHead_ is the next one.
    std::vector<ReceivedByte> received_;
    std::size_t receivedHead_ = 0;
    int pendingErrors_ = 0;
    bool countersSupported_ = true;
    std::optional<ErrorCounters> counters_;
    // Damaged bytes already reported through the counters; their marks in the
    // stream must not be reported a second time.
    std::uint64_t countedDamage_ = 0;
    bool hangupSeen_ = false;
    bool progressSinceWait_ = false;
    int lastError_ = 0;
    RtsTiming rtsTiming_;
    DriverRts driverRts_;
};

}  // namespace quillon
