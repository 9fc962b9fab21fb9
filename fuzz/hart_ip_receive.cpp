// What a HART-IP server sends back, as the receiver takes it in: any bytes as
// a TCP stream or as one datagram. Decoding must stay inside the bytes, and
// an answer accepted from a message must fit the request it answers.

#include <cstddef>
#include <cstdint>

#include "fuzz/accepted_answer.h"
#include "fuzz/fuzz_link.h"
#include "link/exchange.h"
#include "link/hart_ip_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    if (size < fuzz::kHeaderBytes) return 0;
    fuzz::FuzzLink link(data);
    auto& b = link.s.buffer;
    if (FinishRequest(b, link.s.settings.shortAddress, link.s.identity.longAddress, link.s.settings.masterAddress) == 0)
        return 0;
    // The fourth header byte is the sequence number of the request awaited.
    const std::uint16_t sequence = data[3];
    const bool datagram = (data[0] & 0x80) != 0;
    const std::uint8_t* bytes = data + fuzz::kHeaderBytes;
    std::size_t count = size - fuzz::kHeaderBytes;
    while (count != 0) {
        const hartip::Decoded d = datagram ? hartip::DecodeDatagram(bytes, count) : hartip::DecodeStreamMessage(bytes, count);
        if (d.status != hartip::DecodeStatus::Complete) break;
        if (d.consumed < hartip::kHeaderSize || d.consumed > count) fuzz::Violated("message beyond the bytes");
        if (d.message.body.size() + hartip::kHeaderSize != d.consumed) fuzz::Violated("body and byte count disagree");
        const HartIpJudgement j = JudgeHartIpMessage(b, d.message, sequence);
        if (j.verdict == HartIpVerdict::Answer && j.result == ExchangeOk) {
            if (d.message.header.sequence != sequence) fuzz::Violated("answer to another request");
            fuzz::CheckAcceptedAnswer(b);
        }
        if (datagram) break;
        bytes += d.consumed;
        count -= d.consumed;
    }
    return 0;
}
