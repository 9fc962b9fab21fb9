#include "monitor/hart_ip_view.h"

#include "monitor/frame_decoder.h"

namespace quillon {

std::vector<HartIpPiece> SplitHartIpMessages(const std::uint8_t* bytes, std::size_t count, std::size_t& rest) {
    std::vector<HartIpPiece> pieces;
    std::size_t at = 0;
    while (count - at >= hartip::kHeaderSize) {
        const hartip::Header h = hartip::ParseHeader(bytes + at);
        if (h.version != hartip::kVersion || h.byteCount < hartip::kHeaderSize || h.byteCount > count - at) break;
        pieces.push_back({h, at, h.byteCount});
        at += h.byteCount;
    }
    rest = count - at;
    return pieces;
}

std::string DescribeHartIpBytes(const std::uint8_t* bytes, std::size_t count, bool toDevice) {
    std::size_t rest = 0;
    const auto pieces = SplitHartIpMessages(bytes, count, rest);
    std::string text;
    for (const HartIpPiece& p : pieces) {
        if (!text.empty()) text += " | ";
        const auto& h = p.header;
        text += "HART-IP " + hartip::MessageTypeName(h.type) + " «" + hartip::MessageIdName(h.id) +
                "», посл. " + std::to_string(h.sequence) + ", статус " + std::to_string(h.status);
        const std::size_t body = p.size - hartip::kHeaderSize;
        if (h.id == hartip::kIdTokenPassingPdu && body != 0) {
            const std::uint8_t* frame = bytes + p.offset + hartip::kHeaderSize;
            const auto f =
                DecodeHartFrame(frame, body, toDevice ? FrameDirection::ToDevice : FrameDirection::FromDevice);
            text += ": " + DescribeHartFrame(f, frame);
        }
    }
    if (rest != 0) {
        if (!text.empty()) text += " | ";
        text += "HART-IP: байтов вне сообщений: " + std::to_string(rest);
    }
    return text;
}

}  // namespace quillon
