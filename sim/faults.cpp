#include "sim/faults.h"

#include <array>
#include <utility>

namespace quillon::sim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 9> kNames{{
    {Fault::None, "off"},
    {Fault::NoAnswer, "no-answer"},
    {Fault::WrongCheckByte, "bad-check"},
    {Fault::CutShort, "cut-short"},
    {Fault::Stall, "stall"},
    {Fault::NoiseBeforeStart, "noise"},
    {Fault::ExtraByte, "extra-byte"},
    {Fault::Oversized, "oversized"},
    {Fault::WrongAddress, "wrong-address"},
}};

// Bytes that are neither preambles nor any start byte the tool looks for.
constexpr std::array<std::uint8_t, 5> kNoise{0x00, 0x5A, 0x13, 0xA5, 0x3C};

}  // namespace

std::string_view FaultName(Fault fault) {
    for (const auto& [f, name] : kNames)
        if (f == fault) return name;
    return "?";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& [f, n] : kNames)
        if (n == name) return f;
    return std::nullopt;
}

std::vector<std::string_view> FaultNames() {
    std::vector<std::string_view> names;
    for (const auto& entry : kNames) names.push_back(entry.second);
    return names;
}

Transmission ShapeTransmission(Fault fault, std::vector<std::uint8_t> lead, std::vector<std::uint8_t> frame,
                               std::int64_t stallUs) {
    Transmission t;
    switch (fault) {
        case Fault::NoAnswer: return t;
        case Fault::WrongCheckByte:
            if (!frame.empty()) frame.back() ^= 0x5A;
            break;
        case Fault::CutShort: frame.resize(frame.size() > 2 ? frame.size() - 2 : 0); break;
        case Fault::Stall:
            t.pauseAt = lead.size() + frame.size() / 2;
            t.pauseUs = stallUs;
            break;
        case Fault::NoiseBeforeStart: lead.insert(lead.begin(), kNoise.begin(), kNoise.end()); break;
        case Fault::ExtraByte: frame.push_back(0x00); break;
        default: break;
    }
    t.bytes = std::move(lead);
    t.bytes.insert(t.bytes.end(), frame.begin(), frame.end());
    return t;
}

}  // namespace quillon::sim
