// Only the kernel's own terminal definitions here: <termios.h> redefines them.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "link/posix/raw_line.h"

namespace quillon {

int ApplyRawLine(int fd, const RawLineRequest& request) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_iflag = request.markErrors ? (INPCK | PARMRK) : 0;
    t.c_oflag = 0;
    t.c_lflag = 0;
    // HUPCL drops DTR on close, as closing the port does on Windows.
    t.c_cflag = CS8 | CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT);
    if (request.oddParity) t.c_cflag |= PARENB | PARODD;
    t.c_ispeed = request.baud;
    t.c_ospeed = request.baud;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    int result;
    do {
        result = ioctl(fd, TCSETS2, &t);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

int ReadRawLine(int fd, RawLineState& state) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    state.inputBaud = t.c_ispeed;
    state.outputBaud = t.c_ospeed;
    state.eightDataBits = (t.c_cflag & CSIZE) == CS8;
    state.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    state.parity = (t.c_cflag & PARENB) != 0;
    state.oddParity = state.parity && (t.c_cflag & PARODD) != 0;
    state.hardwareFlowControl = (t.c_cflag & CRTSCTS) != 0;
    state.softwareFlowControl = (t.c_iflag & (IXON | IXOFF)) != 0;
    return 0;
}

}  // namespace quillon
