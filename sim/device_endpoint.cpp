#include "sim/device_endpoint.h"

#include "sim/answer_builder.h"

namespace quillon::sim {

void DistortAnswer(Fault fault, HartAnswer& answer) {
    if (fault == Fault::WrongAddress) {
        // Bit 0 is compared by every address check of the tool.
        answer.address[0] ^= 0x01;
    } else if (fault == Fault::Oversized) {
        // 240 data bytes: a frame of 251 bytes, beyond the tool's buffer.
        answer.data.resize(240, 0x00);
    }
}

std::optional<HartAnswer> DeviceEndpoint::answerFor(const HartRequest& request, std::int64_t nowUs, Fault& fault) {
    auto answer = device_.handle(request, nowUs);
    if (!answer) return std::nullopt;
    fault = faults_.take();
    DistortAnswer(fault, *answer);
    return answer;
}

std::optional<Transmission> DeviceEndpoint::hear(std::uint8_t byte, std::int64_t nowUs) {
    auto event = parser_.feed(byte);
    if (event.kind == RequestParser::Event::None) return std::nullopt;
    if (event.kind == RequestParser::Event::Corrupt) {
        Log(log_, "?? corrupt request, ignored:", event.frame);
        return std::nullopt;
    }
    Log(log_, "-> request:", event.frame);
    Fault fault = Fault::None;
    auto answer = answerFor(event.request, nowUs, fault);
    if (!answer) {
        if (log_) log_("   not addressed to this device");
        return std::nullopt;
    }
    const std::vector<std::uint8_t> preambles(device_.profile().responsePreambles, 0xFF);
    auto t = ShapeTransmission(fault, preambles, AnswerFrame(*answer), faults_.stallUs);
    if (fault != Fault::None && log_) log_("   fault: " + std::string(FaultName(fault)));
    if (t.bytes.empty()) return std::nullopt;
    Log(log_, "<- answer: ", t.bytes);
    return t;
}

}  // namespace quillon::sim
