#include "sim/hex_log.h"

#include <ostream>

namespace quillon::sim {

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

LogSink StreamSink(std::ostream& out) {
    return [&out](const std::string& line) { out << line << '\n' << std::flush; };
}

}  // namespace quillon::sim
