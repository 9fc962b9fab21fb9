#include "sim/hart_ip_session_server.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace quillon::sim {

namespace {

using namespace hartip;

constexpr std::array<std::pair<HartIpFault, std::string_view>, 6> kNames{{
    {HartIpFault::Drop, "ip-drop"},
    {HartIpFault::Reorder, "ip-reorder"},
    {HartIpFault::WrongSequence, "ip-wrong-sequence"},
    {HartIpFault::ErrorMessage, "ip-error"},
    {HartIpFault::CloseSession, "ip-close"},
    {HartIpFault::Restart, "ip-restart"},
}};

// HART-IP status codes the server uses.
constexpr std::uint8_t kStatusNotOpen = 16;   // access restricted: no session
constexpr std::uint8_t kStatusDeviceError = 6;
constexpr std::uint32_t kMinTimerMs = 1000;

std::vector<std::uint8_t> Reply(std::uint8_t type, const Message& m, std::uint8_t status,
                                const std::vector<std::uint8_t>& body = {}) {
    return EncodeMessage(type, m.header.id, status, m.header.sequence, body);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> AnswerToOtherVersion(const Decoded& d) {
    if (!d.otherVersion || d.header.type != kTypeRequest || d.header.id != kIdSessionInitiate) return std::nullopt;
    return EncodeMessage(kTypeError, kIdSessionInitiate, kStatusVersionNotSupported, d.header.sequence);
}

std::optional<HartIpFault> HartIpFaultFromName(std::string_view name) {
    for (const auto& [f, n] : kNames)
        if (n == name) return f;
    return std::nullopt;
}

bool ParseHartIpAddress(const std::string& text, std::string& host, std::uint16_t& port) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    unsigned value = 0;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || end != last || first == last || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

std::vector<std::string_view> HartIpFaultNames() {
    std::vector<std::string_view> names;
    for (const auto& e : kNames) names.push_back(e.second);
    return names;
}

std::vector<std::uint8_t> HartIpSessionServer::answerFrame(const std::vector<std::uint8_t>& request,
                                                           std::int64_t nowUs) {
    // A message carries one whole frame: whatever the device was still
    // waiting for from an earlier, cut-short one is over, on this session and
    // on every other that shares the line.
    line_.lineQuiet();
    struct QuietAfter {
        LineEndpoint& line;
        ~QuietAfter() { line.lineQuiet(); }
    } quietAfter{line_};
    // The line expects what a modem sends: preambles, then the frame.
    std::optional<Transmission> answer;
    for (int i = 0; i < 5; ++i) answer = line_.hear(0xFF, nowUs);
    for (std::uint8_t b : request)
        if (auto t = line_.hear(b, nowUs)) answer = std::move(t);
    if (!answer) return {};
    // From the answer's delimiter on: preambles and line noise are the modem's.
    auto& bytes = answer->bytes;
    const auto start = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0x06 || b == 0x86; });
    return {start, bytes.end()};
}

HartIpSessionServer::Output HartIpSessionServer::handle(const Message& m, std::int64_t nowUs) {
    Output out;
    const Header& h = m.header;
    if (h.type != kTypeRequest) return out;  // answers and publishes from a client mean nothing here
    switch (h.id) {
        case kIdSessionInitiate: {
            std::uint8_t host = 0;
            std::uint32_t timer = 0;
            if (!ParseSessionInitiateBody(m.body, host, timer)) {
                out.messages.push_back(Reply(kTypeError, m, 5));
                return out;
            }
            std::uint8_t status = kStatusSuccess;
            if (timer < kMinTimerMs) {
                timer = kMinTimerMs;
                status = kStatusTimerAdjusted;
            }
            inactivityMs_ = timer;
            open_ = true;
            out.messages.push_back(Reply(kTypeResponse, m, status, SessionInitiateBody(host, timer)));
            return out;
        }
        case kIdSessionClose:
            open_ = false;
            out.messages.push_back(Reply(kTypeResponse, m, kStatusSuccess));
            out.close = true;
            return out;
        case kIdKeepAlive:
            out.messages.push_back(open_ ? Reply(kTypeResponse, m, kStatusSuccess) : Reply(kTypeError, m, kStatusNotOpen));
            return out;
        case kIdTokenPassingPdu: break;
        default: out.messages.push_back(Reply(kTypeNak, m, 2)); return out;
    }
    if (!open_) {
        out.messages.push_back(Reply(kTypeError, m, kStatusNotOpen));
        return out;
    }
    const std::vector<std::uint8_t> frame = answerFrame(m.body, nowUs);
    if (frame.empty()) return out;  // the device did not answer: neither does the gateway
    const HartIpFault fault = fault_.take();
    if (fault != HartIpFault::None && log_) log_("   HART-IP fault: " + std::to_string(static_cast<int>(fault)));
    auto answer = Reply(kTypeResponse, m, kStatusSuccess, frame);
    switch (fault) {
        case HartIpFault::None: break;
        case HartIpFault::Drop: return out;
        case HartIpFault::Reorder: held_ = std::move(answer); return out;
        case HartIpFault::WrongSequence: {
            const std::uint16_t other = h.sequence ^ 0x5A5A;
            answer[4] = static_cast<std::uint8_t>(other >> 8);
            answer[5] = static_cast<std::uint8_t>(other);
            break;
        }
        case HartIpFault::ErrorMessage: answer = Reply(kTypeError, m, kStatusDeviceError); break;
        case HartIpFault::CloseSession:
            open_ = false;
            out.messages.push_back(EncodeMessage(kTypeRequest, kIdSessionClose, 0, serverSequence_++));
            out.close = true;
            return out;
        case HartIpFault::Restart:
            open_ = false;
            out.restart = true;
            return out;
    }
    if (held_) {
        out.messages.push_back(std::move(*held_));
        held_.reset();
    }
    out.messages.push_back(std::move(answer));
    return out;
}

}  // namespace quillon::sim
