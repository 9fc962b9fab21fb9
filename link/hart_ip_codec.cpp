#include "link/hart_ip_codec.h"

#include <algorithm>

namespace quillon::hartip {

namespace {

std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

bool KnownType(std::uint8_t type) {
    return type == kTypeRequest || type == kTypeResponse || type == kTypePublish || type == kTypeError ||
           type == kTypeNak;
}

// The body each message must at least carry. Error and NAK answers, and any
// answer with a status other than success, may come without the body of the
// message they refuse (a session initiate refused with its status alone).
std::size_t MinimumBody(const Header& h) {
    if (h.type == kTypeError || h.type == kTypeNak) return 0;
    if (h.type == kTypeResponse && h.status != kStatusSuccess) return 0;
    if (h.id == kIdSessionInitiate) return kSessionInitiateBodySize;
    if (h.id == kIdTokenPassingPdu) return 1;  // at least a delimiter
    return 0;
}

// Checks of the header alone; empty when it may start a message.
std::string HeaderProblem(const Header& h) {
    if (h.version != kVersion) return "версия " + std::to_string(h.version);
    if (!KnownType(h.type)) return "тип сообщения " + std::to_string(h.type);
    if (h.byteCount < kHeaderSize) return "счётчик байт " + std::to_string(h.byteCount) + " меньше заголовка";
    if (h.byteCount > kMaxMessageSize) return "счётчик байт " + std::to_string(h.byteCount) + " слишком велик";
    if (h.byteCount - kHeaderSize < MinimumBody(h)) return "усечённое тело сообщения";
    return {};
}

Decoded Take(const std::uint8_t* bytes, const Header& h) {
    Decoded d;
    d.status = DecodeStatus::Complete;
    d.message.header = h;
    d.message.body.assign(bytes + kHeaderSize, bytes + h.byteCount);
    d.consumed = h.byteCount;
    return d;
}

Decoded Bad(std::string problem) {
    Decoded d;
    d.status = DecodeStatus::Malformed;
    d.problem = std::move(problem);
    return d;
}

Decoded BadHeader(const Header& h, std::string problem) {
    Decoded d = Bad(std::move(problem));
    d.header = h;
    if (h.version != kVersion) d.otherVersion = h.version;
    return d;
}

}  // namespace

std::vector<std::uint8_t> EncodeMessage(std::uint8_t type, std::uint8_t id, std::uint8_t status,
                                        std::uint16_t sequence, const std::uint8_t* body, std::size_t bodySize) {
    const std::size_t total = kHeaderSize + bodySize;
    std::vector<std::uint8_t> m(total);
    m[0] = kVersion;
    m[1] = type;
    m[2] = id;
    m[3] = status;
    m[4] = static_cast<std::uint8_t>(sequence >> 8);
    m[5] = static_cast<std::uint8_t>(sequence);
    m[6] = static_cast<std::uint8_t>(total >> 8);
    m[7] = static_cast<std::uint8_t>(total);
    if (bodySize != 0) std::copy(body, body + bodySize, m.begin() + kHeaderSize);
    return m;
}

std::vector<std::uint8_t> SessionInitiateBody(std::uint8_t hostType, std::uint32_t inactivityMs) {
    return {hostType, static_cast<std::uint8_t>(inactivityMs >> 24), static_cast<std::uint8_t>(inactivityMs >> 16),
            static_cast<std::uint8_t>(inactivityMs >> 8), static_cast<std::uint8_t>(inactivityMs)};
}

bool ParseSessionInitiateBody(const std::vector<std::uint8_t>& body, std::uint8_t& hostType,
                              std::uint32_t& inactivityMs) {
    if (body.size() != kSessionInitiateBodySize) return false;
    hostType = body[0];
    inactivityMs = static_cast<std::uint32_t>(body[1]) << 24 | static_cast<std::uint32_t>(body[2]) << 16 |
                   static_cast<std::uint32_t>(body[3]) << 8 | body[4];
    return true;
}

Header ParseHeader(const std::uint8_t* b) { return Header{b[0], b[1], b[2], b[3], Be16(b + 4), Be16(b + 6)}; }

Decoded DecodeStreamMessage(const std::uint8_t* bytes, std::size_t count) {
    if (count < kHeaderSize) return {};
    const Header h = ParseHeader(bytes);
    if (std::string problem = HeaderProblem(h); !problem.empty()) return BadHeader(h, std::move(problem));
    if (count < h.byteCount) return {};
    return Take(bytes, h);
}

Decoded DecodeDatagram(const std::uint8_t* bytes, std::size_t count) {
    if (count < kHeaderSize) return Bad("короче заголовка");
    const Header h = ParseHeader(bytes);
    if (std::string problem = HeaderProblem(h); !problem.empty()) return BadHeader(h, std::move(problem));
    if (h.byteCount > count) return Bad("усечённое тело сообщения");
    if (h.byteCount < count) return Bad("лишние байты за сообщением");
    return Take(bytes, h);
}

std::string MessageTypeName(std::uint8_t type) {
    switch (type) {
        case kTypeRequest: return "запрос";
        case kTypeResponse: return "ответ";
        case kTypePublish: return "публикация";
        case kTypeError: return "ошибка";
        case kTypeNak: return "NAK";
        default: return "тип " + std::to_string(type);
    }
}

std::string MessageIdName(std::uint8_t id) {
    switch (id) {
        case kIdSessionInitiate: return "открытие сеанса";
        case kIdSessionClose: return "закрытие сеанса";
        case kIdKeepAlive: return "поддержание сеанса";
        case kIdTokenPassingPdu: return "кадр HART";
        default: return "ID " + std::to_string(id);
    }
}

}  // namespace quillon::hartip
