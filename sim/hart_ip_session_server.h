#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/hart_ip_codec.h"
#include "sim/hex_log.h"
#include "sim/line_endpoint.h"

namespace quillon::sim {

// Ways a HART-IP server can go wrong, on top of the device's own faults.
enum class HartIpFault {
    None,
    Drop,           // the answer is never sent
    Reorder,        // the answer is held and sent just before the next one
    WrongSequence,  // the answer carries another request's sequence number
    ErrorMessage,   // an error message instead of the answer
    CloseSession,   // the server ends the session instead of answering
};

std::optional<HartIpFault> HartIpFaultFromName(std::string_view name);
std::vector<std::string_view> HartIpFaultNames();

// The protocol side of one HART-IP client: messages in, messages out. The
// HART frames go to the simulated line as the modem would carry them, so the
// device and its faults are the same as on the serial line. The planned
// HART-IP fault hits the next token-passing answer, once.
class HartIpSessionServer {
public:
    HartIpSessionServer(LineEndpoint& line, std::optional<HartIpFault>& plannedFault, LogSink log)
        : line_(line), fault_(plannedFault), log_(std::move(log)) {}

    struct Output {
        std::vector<std::vector<std::uint8_t>> messages;
        bool close = false;  // end the session (and the TCP connection) after sending
    };
    Output handle(const hartip::Message& message, std::int64_t nowUs);

    bool open() const { return open_; }
    std::uint32_t inactivityMs() const { return inactivityMs_; }

private:
    std::vector<std::uint8_t> answerFrame(const std::vector<std::uint8_t>& request, std::int64_t nowUs);

    LineEndpoint& line_;
    std::optional<HartIpFault>& fault_;
    LogSink log_;
    bool open_ = false;
    std::uint32_t inactivityMs_ = 60000;
    std::uint16_t serverSequence_ = 0x8000;
    std::optional<std::vector<std::uint8_t>> held_;
};

// "HOST:PORT" of --hart-ip (brackets allowed around an IPv6 address); PORT may be 0.
bool ParseHartIpAddress(const std::string& text, std::string& host, std::uint16_t& port);

}  // namespace quillon::sim
