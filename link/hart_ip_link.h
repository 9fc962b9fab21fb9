#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/hart_ip_codec.h"
#include "link/link_state.h"
#include "link/net_socket.h"

namespace quillon {

// A HART-IP session with one server. It stays open between commands (the
// server keeps its state for us only while the session lives) and is closed
// with a session-close message when the link state goes or the route changes.
struct HartIpSession {
    HartIpSession();
    ~HartIpSession();
    HartIpSession(const HartIpSession&) = delete;
    HartIpSession& operator=(const HartIpSession&) = delete;

    std::unique_ptr<NetSystem> net;
    std::unique_ptr<NetSocket> socket;  // null: no session open
    std::string host;
    int port = 0;
    int transport = kHartIpTcp;
    std::uint16_t nextSequence = 1;
    std::uint32_t lastTrafficMs = 0;
    std::uint32_t inactivityMs = 60000;
    std::vector<std::uint8_t> stream;  // TCP bytes not yet a whole message
    int sessionsOpened = 0;
    // An exchange is waiting on the socket (keep-alives from an idle timer
    // that fires inside its wait are not needed then).
    bool exchanging = false;
    // UDP requests in a row that got no answer at all: a server that was
    // restarted has forgotten the session and may ignore it without a word.
    int unansweredInARow = 0;
    // Why the session was given up, when the next request must open a new
    // one; the trace says so as it opens. Empty otherwise.
    std::string renewReason;

    // Sends session close (best effort, no wait) and drops the socket.
    void close();
};

// The message of a HART-IP failure: names the server and what happened.
std::string HartIpProblemText(const LinkSettings& settings, const std::string& what);
// "127.0.0.1:5094", with brackets around an IPv6 address.
std::string HartIpEndpointText(const std::string& host, int port);

// "HOST[:PORT]" as a user types it (brackets around an IPv6 address, the
// port 5094 when none is given); false for an empty host or a bad port.
bool ParseHartIpEndpoint(const std::string& text, std::string& host, int& port);
// Points the settings at a HART-IP server: the link type and the server.
void UseHartIp(LinkSettings& settings, const std::string& host, int port = hartip::kDefaultPort,
               int transport = kHartIpTcp);

// One exchange over HART-IP: opens a session when none is open, sends the
// finished request of `length` bytes as a token-passing PDU and waits for the
// answer with the same sequence number. Returns an exchange result.
int ExchangeHartIp(LinkState& s, std::size_t length);

// Keeps an idle session alive: reads what came meanwhile (answers to earlier
// keep-alives; a session the server ended or refused is let go, so the next
// request opens a new one), then sends a keep-alive when nothing went over it
// for a third of the inactivity timer. Never waits for the answer. Call it
// from an idle timer or between the steps of a long wait; cheap when not due.
void HartIpKeepAlive(LinkState& s);

// True when a session with the server of the present settings is open.
bool HartIpSessionOpen(const LinkState& s);
// Opens a session with the server of the present settings unless one is open;
// no message on failure. False when none could be opened.
bool OpenHartIpSessionQuietly(LinkState& s);

// Ends the session, if any, with a session-close message.
void CloseHartIpSession(LinkState& s);

// Judges one message that arrived while the answer to `sequence` is awaited.
enum class HartIpVerdict {
    Ignore,        // a late answer, a keep-alive answer, a publish: wait on
    Answer,        // the awaited answer; the exchange result says if it is good
    ServerClosed,  // the server ends the session
    Refused,       // an error or NAK message for our request
};
struct HartIpJudgement {
    HartIpVerdict verdict = HartIpVerdict::Ignore;
    int result = 0;  // for Answer: ExchangeOk or ExchangeBadAnswer
    std::string what;  // for Refused/ServerClosed: the words for the message
};
// Puts an accepted HART frame into the exchange buffer and checks it as the
// modem link does (frame type, address, byte count, check byte, command).
HartIpJudgement JudgeHartIpMessage(ExchangeBuffer& buffer, const hartip::Message& message, std::uint16_t sequence);

}  // namespace quillon
