#include "sim/multidrop_line.h"

#include <algorithm>

namespace quillon::sim {

std::optional<Transmission> MultiDropLine::hear(std::uint8_t byte, std::int64_t nowUs) {
    std::optional<Transmission> answer;
    for (LineEndpoint* device : devices_) {
        auto t = device->hear(byte, nowUs);
        if (!t) continue;
        if (!answer) {
            answer = std::move(t);
            continue;
        }
        // Two senders at once: where both drive the line, the bits mix.
        const std::size_t overlap = std::min(answer->bytes.size(), t->bytes.size());
        for (std::size_t i = 0; i < overlap; ++i) answer->bytes[i] &= static_cast<std::uint8_t>(t->bytes[i] ^ 0x5A);
        if (t->bytes.size() > answer->bytes.size())
            answer->bytes.insert(answer->bytes.end(), t->bytes.begin() + static_cast<std::ptrdiff_t>(overlap),
                                 t->bytes.end());
    }
    return answer;
}

}  // namespace quillon::sim
