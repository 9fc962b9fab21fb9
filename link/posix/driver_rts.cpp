#include "link/posix/driver_rts.h"

#include <sys/ioctl.h>

namespace quillon {

bool DriverRts::enable(int fd) {
    if (saved_) return true;
    serial_rs485 before{};
    if (ioctl(fd, TIOCGRS485, &before) != 0) return false;
    serial_rs485 wanted = before;
    wanted.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    wanted.flags &= ~static_cast<__u32>(SER_RS485_RTS_AFTER_SEND);
    wanted.delay_rts_before_send = 0;
    wanted.delay_rts_after_send = 0;
    if (ioctl(fd, TIOCSRS485, &wanted) != 0) return false;
    // Drivers adjust what they cannot do instead of refusing it; only the
    // exact behaviour will do, otherwise RTS would be wrong on the wire.
    serial_rs485 held{};
    const bool kept = ioctl(fd, TIOCGRS485, &held) == 0 && (held.flags & SER_RS485_ENABLED) != 0 &&
                      (held.flags & SER_RS485_RTS_ON_SEND) != 0 && (held.flags & SER_RS485_RTS_AFTER_SEND) == 0 &&
                      held.delay_rts_before_send == 0 && held.delay_rts_after_send == 0;
    if (!kept) {
        ioctl(fd, TIOCSRS485, &before);
        return false;
    }
    saved_ = before;
    return true;
}

void DriverRts::restore(int fd) {
    if (!saved_) return;
    ioctl(fd, TIOCSRS485, &*saved_);
    saved_.reset();
}

}  // namespace quillon
