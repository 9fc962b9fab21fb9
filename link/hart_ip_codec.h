#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::hartip {

inline constexpr std::uint16_t kDefaultPort = 5094;
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::uint8_t kVersion = 1;
// Far beyond any HART frame (the longest is under 300 bytes); a byte count
// above it is a stream out of step, not a message to wait for.
inline constexpr std::size_t kMaxMessageSize = 1024;

inline constexpr std::uint8_t kTypeRequest = 0;
inline constexpr std::uint8_t kTypeResponse = 1;
inline constexpr std::uint8_t kTypePublish = 2;
inline constexpr std::uint8_t kTypeError = 3;
inline constexpr std::uint8_t kTypeNak = 15;

inline constexpr std::uint8_t kIdSessionInitiate = 0;
inline constexpr std::uint8_t kIdSessionClose = 1;
inline constexpr std::uint8_t kIdKeepAlive = 2;
inline constexpr std::uint8_t kIdTokenPassingPdu = 3;

inline constexpr std::uint8_t kHostSecondary = 0;
inline constexpr std::uint8_t kHostPrimary = 1;
inline constexpr std::size_t kSessionInitiateBodySize = 5;

inline constexpr std::uint8_t kStatusSuccess = 0;
// A session initiate answered with this still opened the session, with the
// server's nearest inactivity timer instead of the one asked for.
inline constexpr std::uint8_t kStatusTimerAdjusted = 8;

struct Header {
    std::uint8_t version = kVersion;
    std::uint8_t type = kTypeRequest;
    std::uint8_t id = kIdKeepAlive;
    std::uint8_t status = 0;
    std::uint16_t sequence = 0;
    std::uint16_t byteCount = kHeaderSize;  // the whole message, header included
};

struct Message {
    Header header;
    std::vector<std::uint8_t> body;
};

std::vector<std::uint8_t> EncodeMessage(std::uint8_t type, std::uint8_t id, std::uint8_t status,
                                        std::uint16_t sequence, const std::uint8_t* body, std::size_t bodySize);
inline std::vector<std::uint8_t> EncodeMessage(std::uint8_t type, std::uint8_t id, std::uint8_t status,
                                               std::uint16_t sequence, const std::vector<std::uint8_t>& body = {}) {
    return EncodeMessage(type, id, status, sequence, body.data(), body.size());
}

std::vector<std::uint8_t> SessionInitiateBody(std::uint8_t hostType, std::uint32_t inactivityMs);
// False when the body is not exactly a host type and a timer.
bool ParseSessionInitiateBody(const std::vector<std::uint8_t>& body, std::uint8_t& hostType,
                              std::uint32_t& inactivityMs);

// Reads the header of the first kHeaderSize bytes (the caller has that many).
Header ParseHeader(const std::uint8_t* bytes);

enum class DecodeStatus {
    Complete,  // `message` and `consumed` are valid
    NeedMore,  // a stream holds the start of a message only
    Malformed, // `problem` says why; a stream cannot be followed past it
};

struct Decoded {
    DecodeStatus status = DecodeStatus::NeedMore;
    Message message;
    std::size_t consumed = 0;
    std::string problem;
    // Malformed because the header names another protocol version (a server
    // or client of HART-IP version 2 with its secure sessions): that version.
    std::optional<std::uint8_t> otherVersion;
    // The header of such a message, which keeps the layout of version 1.
    Header header;
};

// The first message of a byte stream (TCP): waits for the whole byte count.
Decoded DecodeStreamMessage(const std::uint8_t* bytes, std::size_t count);
// One datagram (UDP), which must be exactly one message: a byte count that
// disagrees with the datagram's size is malformed, never waited for.
Decoded DecodeDatagram(const std::uint8_t* bytes, std::size_t count);

// "запрос", "ответ", ... and "открытие сеанса", ... for the monitor and the log.
std::string MessageTypeName(std::uint8_t type);
std::string MessageIdName(std::uint8_t id);

}  // namespace quillon::hartip
