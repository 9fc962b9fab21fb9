#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::sim {

// Receives one line per request or answer; empty = no log.
using LogSink = std::function<void(const std::string&)>;

std::string Hex(const std::uint8_t* bytes, std::size_t count);
inline std::string Hex(const std::vector<std::uint8_t>& bytes) { return Hex(bytes.data(), bytes.size()); }

// A sink writing each line to `out` (which must outlive the sink).
LogSink StreamSink(std::ostream& out);

inline void Log(const LogSink& sink, std::string_view what, const std::vector<std::uint8_t>& bytes) {
    if (sink) sink(std::string(what) + " " + Hex(bytes));
}

}  // namespace quillon::sim
