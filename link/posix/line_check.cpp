#include "link/posix/line_check.h"

#include <cmath>

namespace quillon {

namespace {

// UARTs tolerate about this much rate mismatch between the two ends of a line.
constexpr double kBaudTolerance = 0.02;

bool BaudClose(std::uint32_t actual, std::uint32_t wanted) {
    const double difference = std::fabs(static_cast<double>(actual) - static_cast<double>(wanted));
    return difference <= kBaudTolerance * wanted;
}

}  // namespace

bool LineHolds(const RawLineState& state, const RawLineRequest& request, bool pseudoTerminal) {
    if (!BaudClose(state.outputBaud, request.baud) || !BaudClose(state.inputBaud, request.baud)) return false;
    if (!state.eightDataBits || state.twoStopBits) return false;
    if (state.hardwareFlowControl || state.softwareFlowControl) return false;
    if (pseudoTerminal) return true;
    return state.parity == request.oddParity && state.oddParity == request.oddParity;
}

}  // namespace quillon
