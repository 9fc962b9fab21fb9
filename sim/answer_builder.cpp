#include "sim/answer_builder.h"

namespace quillon::sim {

std::vector<std::uint8_t> AnswerFrame(const HartAnswer& a) {
    std::vector<std::uint8_t> f;
    // Room for the whole frame up front: growing from one byte by an insert
    // trips a false out-of-bounds warning in the optimiser.
    f.reserve(a.data.size() + 10);
    f.push_back(a.longFrame ? 0x86 : 0x06);
    f.insert(f.end(), a.address.begin(), a.address.begin() + (a.longFrame ? 5 : 1));
    f.push_back(a.command);
    // The byte count is one byte on the wire; an oversized answer wraps it,
    // which is exactly the kind of nonsense a broken device sends.
    if (a.withoutStatus) {
        f.push_back(0);
    } else {
        f.push_back(static_cast<std::uint8_t>(a.data.size() + 2));
        f.push_back(a.responseCode);
        f.push_back(a.deviceStatus);
        f.insert(f.end(), a.data.begin(), a.data.end());
    }
    std::uint8_t x = 0;
    for (std::uint8_t b : f) x ^= b;
    f.push_back(x);
    return f;
}

std::vector<std::uint8_t> AnswerWithPreambles(const HartAnswer& answer, std::uint8_t preambles) {
    std::vector<std::uint8_t> out(preambles, 0xFF);
    const auto frame = AnswerFrame(answer);
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

}  // namespace quillon::sim
