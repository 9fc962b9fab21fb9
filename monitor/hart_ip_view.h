#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/hart_ip_codec.h"

namespace quillon {

// One HART-IP message found in a monitor entry's bytes.
struct HartIpPiece {
    hartip::Header header;
    std::size_t offset = 0;  // of the header in the entry's bytes
    std::size_t size = 0;    // the whole message
};

// Cuts a run of bytes (one send, one read) into its HART-IP messages; what is
// left after the last whole message (a read that ended mid-message, or bytes
// that are no message) is `rest` bytes.
std::vector<HartIpPiece> SplitHartIpMessages(const std::uint8_t* bytes, std::size_t count, std::size_t& rest);

// "HART-IP ответ «кадр HART», посл. 5, статус 0: <the HART frame>" for each
// message, joined with " | ".
std::string DescribeHartIpBytes(const std::uint8_t* bytes, std::size_t count, bool toDevice);

}  // namespace quillon
