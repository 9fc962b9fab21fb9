#include "link/comm_state.h"

#include "link/exchange_buffer.h"

namespace quillon {

namespace {

// ClearCommError's flags, as the system headers number them.
constexpr std::uint32_t kCeRxOver = 0x0001;
constexpr std::uint32_t kCeOverrun = 0x0002;
constexpr std::uint32_t kCeRxParity = 0x0004;
constexpr std::uint32_t kCeFrame = 0x0008;
constexpr std::uint32_t kCeBreak = 0x0010;

}  // namespace

CommStateFields CommStateFor(const LineSettings& line) {
    CommStateFields fields;
    fields.baudRate = line.baud;
    fields.parity = line.parity == Parity::Odd ? CommStateFields::kOddParity : CommStateFields::kNoParity;
    return fields;
}

int LineErrorsFromCommErrors(std::uint32_t commErrors) {
    int errors = 0;
    if (commErrors & (kCeOverrun | kCeRxOver)) errors |= kLineOverrun;
    if (commErrors & kCeRxParity) errors |= kLineParity;
    if (commErrors & (kCeFrame | kCeBreak)) errors |= kLineFraming;
    return errors;
}

}  // namespace quillon
