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
    Restart,        // the server restarts instead of answering: every session is forgotten
};

// The HART-IP fault planned for a server: it hits the token-passing answer
// after `answersFirst` good ones, once, on whichever session that is.
struct HartIpFaultPlan {
    std::optional<HartIpFault> fault;
    unsigned answersFirst = 0;
    HartIpFault take() {
        if (!fault) return HartIpFault::None;
        if (answersFirst > 0) {
            --answersFirst;
            return HartIpFault::None;
        }
        const HartIpFault f = *fault;
        fault.reset();
        return f;
    }
};

// The status this server gives a session initiate of another protocol
// version (one that asks for a secure session of version 2).
inline constexpr std::uint8_t kStatusVersionNotSupported = 14;

// The answer to a message of another protocol version, when one is due: a
// session initiate gets an error message with the status above.
std::optional<std::vector<std::uint8_t>> AnswerToOtherVersion(const hartip::Decoded& decoded);

std::optional<HartIpFault> HartIpFaultFromName(std::string_view name);
std::vector<std::string_view> HartIpFaultNames();

// The protocol side of one HART-IP client: messages in, messages out. The
// HART frames go to the simulated line as the modem would carry them, so the
// device and its faults are the same as on the serial line. The planned
// HART-IP fault hits the next token-passing answer, once.
class HartIpSessionServer {
public:
    HartIpSessionServer(LineEndpoint& line, HartIpFaultPlan& plannedFault, LogSink log)
        : line_(line), fault_(plannedFault), log_(std::move(log)) {}

    struct Output {
        std::vector<std::vector<std::uint8_t>> messages;
        bool close = false;    // end the session (and the TCP connection) after sending
        bool restart = false;  // the whole server restarts: every session is forgotten
    };
    Output handle(const hartip::Message& message, std::int64_t nowUs);

    bool open() const { return open_; }
    std::uint32_t inactivityMs() const { return inactivityMs_; }

private:
    std::vector<std::uint8_t> answerFrame(const std::vector<std::uint8_t>& request, std::int64_t nowUs);

    LineEndpoint& line_;
    HartIpFaultPlan& fault_;
    LogSink log_;
    bool open_ = false;
    std::uint32_t inactivityMs_ = 60000;
    std::uint16_t serverSequence_ = 0x8000;
    std::optional<std::vector<std::uint8_t>> held_;
};

// "HOST:PORT" of --hart-ip (brackets allowed around an IPv6 address); PORT may be 0.
bool ParseHartIpAddress(const std::string& text, std::string& host, std::uint16_t& port);

}  // namespace quillon::sim
