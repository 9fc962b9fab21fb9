#pragma once

#include <cstdint>

namespace quillon {

// What the port is asked for: raw 8-bit bytes, one stop bit, no flow control,
// reads that return at once. Any baud rate, not only the classic table.
struct RawLineRequest {
    std::uint32_t baud = 1200;
    bool oddParity = false;
    // Mark damaged bytes in the input stream (INPCK + PARMRK).
    bool markErrors = false;
};

// What the driver actually holds after a request.
struct RawLineState {
    std::uint32_t inputBaud = 0;
    std::uint32_t outputBaud = 0;
    bool eightDataBits = false;
    bool twoStopBits = false;
    bool parity = false;
    bool oddParity = false;
    bool hardwareFlowControl = false;
    bool softwareFlowControl = false;
};

// Both return 0 or the errno of the failed request. They talk to the kernel
// through termios2, the only interface that takes arbitrary rates; glibc's
// <termios.h> cannot be mixed with it, so the two live in their own file.
int ApplyRawLine(int fd, const RawLineRequest& request);
int ReadRawLine(int fd, RawLineState& state);

}  // namespace quillon
