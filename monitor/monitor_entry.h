#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

enum class EntryKind : std::uint8_t { Sent, Received, Event };

// Happenings of an exchange that are not frames.
enum class MonitorEvent : std::uint8_t {
    None,
    FirstByteTimeout,  // nothing at all within the first-byte wait
    NoStartByte,       // bytes came, but never the start of an answer
    NextByteTimeout,   // the answer stalled within the next-byte wait
    BadCheck,          // complete answer, wrong check byte
    BadTunnelAnswer,   // flow-computer answer too short, wrong length or CRC
    TunnelError,       // flow computer's error answer (detail = its code)
    NoTunnelAnswer,    // the flow computer did not answer
    LineErrors,        // receive errors (detail = their bits)
    Aborted,           // Enter, Esc or Stop during the wait
    PasswordRefused,   // the user stopped after a refused password
    PortNotSelected,   // no port open: nothing was sent
    BadRequest,        // the request's delimiter was wrong: nothing was sent
    Recovery,          // "sk" wake-up of a silent line
    OtherLinkType,     // neither link type: nothing was sent
    WrongFrameType,    // a sound frame of the other frame type came
    WrongAddress,      // a sound frame from another address came
    WrongByteCount,    // the frame's length and its byte count disagree
    WrongCommand,      // the answer names another command
    HartIpNoAnswer,    // the HART-IP server sent no answer within its wait
    HartIpNotAMessage, // the server's TCP stream stopped being HART-IP
    SessionRenewal,    // a new HART-IP session is opened (`reason` says why)
    LinkFailure,       // the connection failed (`reason` names how)
};

// One line of the frame monitor: a frame as it went out or came in, or an event.
struct MonitorEntry {
    EntryKind kind = EntryKind::Event;
    MonitorEvent event = MonitorEvent::None;
    // Since the monitor started: a sent frame when RTS fell (its last bit
    // left), a received one at its first read, an event when it happened.
    std::int64_t atUs = 0;
    std::string port;
    std::vector<std::uint8_t> bytes;  // raw, as on the wire (capped; see droppedBytes)
    std::size_t droppedBytes = 0;
    bool tunnel = false;            // the flow-computer link was in use
    std::uint8_t tunnelHeader = 4;  // header length of the flow computer's answers (4 or 6)
    bool recovery = false;          // part of the "sk" wake-up
    bool hartIp = false;            // HART-IP messages, not bytes of a serial line
    // Received frames: RTS drop to first byte, and the gaps between reads.
    std::int64_t turnaroundUs = -1;  // -1: the request was not seen
    int reads = 0;
    std::int64_t minGapUs = 0, maxGapUs = 0, sumGapUs = 0;
    int detail = 0;  // a wait in ms, error bits or an error code, by event
    std::string reason;  // the link's own words for a session renewal or a failure
    std::string note;
};

// More raw bytes than this in one entry are counted, not kept: a line full of
// noise must not make one entry grow without bound.
inline constexpr std::size_t kMaxEntryBytes = 1024;

}  // namespace quillon
