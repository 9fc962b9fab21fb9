#include "sim/request_parser.h"

namespace quillon::sim {

namespace {

bool IsDelimiter(std::uint8_t b) { return b == 0x02 || b == 0x82; }

std::size_t HeaderLength(std::uint8_t delimiter) { return delimiter == 0x82 ? 8 : 4; }

}  // namespace

RequestParser::Event RequestParser::feed(std::uint8_t byte) {
    if (frame_.empty()) {
        if (IsDelimiter(byte)) frame_.push_back(byte);
        return {};
    }
    frame_.push_back(byte);
    const std::size_t header = HeaderLength(frame_[0]);
    if (frame_.size() < header) return {};
    const std::size_t length = header + frame_[header - 1] + 1u;
    if (frame_.size() < length) return {};
    return complete();
}

RequestParser::Event RequestParser::complete() {
    Event event;
    event.frame = std::move(frame_);
    frame_.clear();
    std::uint8_t x = 0;
    for (std::uint8_t b : event.frame) x ^= b;
    if (x != 0) {
        event.kind = Event::Corrupt;
        return event;
    }
    event.kind = Event::Request;
    auto& r = event.request;
    const auto& f = event.frame;
    r.longFrame = f[0] == 0x82;
    const std::size_t addressLength = r.longFrame ? 5 : 1;
    for (std::size_t i = 0; i < addressLength; ++i) r.address[i] = f[1 + i];
    r.command = f[1 + addressLength];
    const std::size_t dataStart = addressLength + 3;
    r.data.assign(f.begin() + static_cast<std::ptrdiff_t>(dataStart), f.end() - 1);
    return event;
}

}  // namespace quillon::sim
