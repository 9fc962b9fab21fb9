#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/link_state.h"

namespace quillon {

inline constexpr std::uint8_t kTunnelRequestStart = 0xBB;

// Header length of an answer wrapper: 4 for format 11, 6 for format 33.
std::size_t TunnelAnswerHeaderLength(const LinkSettings& settings);

// Builds the flow-computer wrapper around a finished HART request.
std::vector<std::uint8_t> WrapRequest(const LinkSettings& settings, const std::uint8_t* hart, std::size_t length);

// Checks the answer wrapper of `count` bytes in the response buffer, moves the
// HART answer to its start and checks it by the direct link's rules (frame
// type and address against the request in the buffer, check byte). On success
// `responseCount` is the HART answer's own length. Returns an exchange result.
int UnwrapAnswer(LinkState& s, std::size_t count);

}  // namespace quillon
