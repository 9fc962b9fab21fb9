#include "link/serial_port.h"

namespace quillon {

std::int64_t SerialPort::sendKeyed(const std::uint8_t* bytes, std::size_t count, std::int64_t wireTicks, Clock& clock) {
    setRts(true);
    purge(true, true);
    const std::int64_t deadline = clock.counter() + wireTicks;
    write(bytes, count);
    clock.waitPastCounter(deadline);
    setRts(false);
    return clock.counter() - deadline;
}

}  // namespace quillon
