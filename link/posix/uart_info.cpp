#include "link/posix/uart_info.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace quillon {

std::optional<ErrorCounters> ReadErrorCounters(int fd) {
    serial_icounter_struct icount{};
    if (ioctl(fd, TIOCGICOUNT, &icount) != 0) return std::nullopt;
    auto u = [](int v) { return static_cast<std::uint32_t>(v); };
    ErrorCounters counters;
    counters.framing = u(icount.frame) + u(icount.brk);
    counters.parity = u(icount.parity);
    counters.overrun = u(icount.overrun) + u(icount.buf_overrun);
    return counters;
}

UartPresence ProbeUart(int fd) {
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0) return UartPresence::Unknown;
    return info.type == PORT_UNKNOWN ? UartPresence::Absent : UartPresence::Present;
}

}  // namespace quillon
