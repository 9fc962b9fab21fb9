#include "link/posix/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "link/exchange_buffer.h"
#include "link/posix/errno_text.h"
#include "link/posix/line_check.h"
#include "link/posix/monotonic.h"
#include "link/posix/pty_detect.h"
#include "link/posix/raw_line.h"
#include "link/posix/rts_window.h"

namespace quillon {

namespace {

// A write that makes no progress for this long is given up: the driver is
// stuck (a vanished USB adapter, a pseudo-terminal nobody reads).
constexpr int kWriteStallMs = 5000;

}  // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path, int& error) {
    error = 0;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    auto reject = [&](int e) {
        ::close(fd);
        error = e;
        return nullptr;
    };
    if (!isatty(fd)) return reject(ENOTTY);
    // The port is not shared. The advisory lock is the main guard: it also
    // holds against root, and the kernel drops it when a holder crashes.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return reject(errno == EWOULDBLOCK ? EBUSY : errno);
    const bool pty = IsPseudoTerminal(fd);
    // A pseudo-terminal keeps TIOCEXCL for as long as its master lives, past
    // the close of a crashed holder, which would lock the port until the
    // simulator restarts; the lock above suffices there.
    if (!pty) {
        // Someone else's exclusive mark (which root gets past) must be respected,
        // and must not be cleared when this handle closes.
        int exclusive = 0;
        if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) return reject(EBUSY);
        if (ioctl(fd, TIOCEXCL) != 0) return reject(errno);
    }
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, pty));
}

PosixSerialPort::PosixSerialPort(int fd, bool pty) : fd_(fd), pty_(pty) { counters_ = ReadErrorCounters(fd_); }

PosixSerialPort::~PosixSerialPort() {
    driverRts_.restore(fd_);
    if (!pty_) ioctl(fd_, TIOCNXCL);
    // Nothing waits for unsent output: the sender already waited for the
    // wire time, and a stuck line must not hang the close.
    tcflush(fd_, TCIOFLUSH);
    ::close(fd_);
}

bool PosixSerialPort::configure(const LineSettings& settings) {
    RawLineRequest request;
    request.baud = settings.baud;
    request.oddParity = settings.parity == Parity::Odd;
    // Marks are wanted even without parity: they are the only sign of a
    // framing error on drivers that keep no error counters.
    request.markErrors = true;
    const int applied = ApplyRawLine(fd_, request);
    // A pseudo-terminal may refuse a request that only differs in the parity
    // it cannot hold; what it holds afterwards decides.
    if (applied != 0 && !(pty_ && applied == EINVAL)) {
        fail(applied);
        return false;
    }
    RawLineState state;
    if (const int e = ReadRawLine(fd_, state); e != 0) {
        fail(e);
        return false;
    }
    if (!LineHolds(state, request, pty_)) {
        fail(applied != 0 ? applied : EINVAL);
        return false;
    }
    markErrors_ = request.markErrors;
    if (rtsTiming_.driverRts && !pty_) driverRts_.enable(fd_);
    return true;
}

void PosixSerialPort::setRtsTiming(const RtsTiming& timing) {
    rtsTiming_ = timing;
    if (!timing.driverRts) driverRts_.restore(fd_);
    else if (!pty_) driverRts_.enable(fd_);
}

std::int64_t PosixSerialPort::sendKeyed(const std::uint8_t* bytes, std::size_t count, std::int64_t wireTicks,
                                        Clock& clock) {
    if (driverRts_.active()) {
        // The wait keeps the caller from listening before the frame has left,
        // so that its echo is still dropped by the purge that starts a receive.
        purge(true, true);
        const std::int64_t deadline = clock.counter() + wireTicks;
        write(bytes, count);
        clock.waitPastCounter(deadline);
        return 0;
    }
    RtsWindow window(rtsTiming_.realTime);
    return SerialPort::sendKeyed(bytes, count, wireTicks, clock);
}

void PosixSerialPort::setModemLine(int line, bool on) {
    int bits = line;
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return;
    // Pseudo-terminals have no modem lines; there is nothing to drive.
    if (!pty_) fail(errno);
}

void PosixSerialPort::setRts(bool on) { setModemLine(TIOCM_RTS, on); }

void PosixSerialPort::setDtr(bool on) { setModemLine(TIOCM_DTR, on); }

void PosixSerialPort::purge(bool transmit, bool receive) {
    if (!transmit && !receive) return;
    const int queue = transmit && receive ? TCIOFLUSH : (transmit ? TCOFLUSH : TCIFLUSH);
    if (tcflush(fd_, queue) != 0) fail(errno);
    if (receive) restartErrorAccounting();
}

void PosixSerialPort::restartErrorAccounting() {
    received_.clear();
    receivedHead_ = 0;
    decoder_.reset();
    countedDamage_ = 0;
    if (countersSupported_) counters_ = ReadErrorCounters(fd_);
}

bool PosixSerialPort::fetch(std::size_t wanted) {
    if (receivedHead_ == received_.size()) {
        received_.clear();
        receivedHead_ = 0;
    }
    std::array<std::uint8_t, 512> chunk{};
    while (received_.size() - receivedHead_ < wanted) {
        const ssize_t n = ::read(fd_, chunk.data(), chunk.size());
        if (n > 0) {
            progressSinceWait_ = true;
            const auto count = static_cast<std::size_t>(n);
            if (markErrors_) {
                decoder_.feed(chunk.data(), count, received_);
            } else {
                for (std::size_t i = 0; i < count; ++i) received_.push_back({chunk[i], false});
            }
            if (count < chunk.size()) break;
            continue;
        }
        if (n == 0) break;  // the other end of a pseudo-terminal has gone
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) break;
        fail(errno);
        return false;
    }
    return true;
}

void PosixSerialPort::collectCounterErrors() {
    if (!countersSupported_) return;
    const auto now = ReadErrorCounters(fd_);
    if (!now) {
        countersSupported_ = false;
        counters_.reset();
        return;
    }
    if (counters_) {
        const std::uint32_t framing = now->framing - counters_->framing;
        const std::uint32_t parity = now->parity - counters_->parity;
        if (now->overrun != counters_->overrun) pendingErrors_ |= kLineOverrun;
        if (framing != 0) pendingErrors_ |= kLineFraming;
        if (parity != 0) pendingErrors_ |= kLineParity;
        countedDamage_ += static_cast<std::uint64_t>(framing) + parity;
    }
    counters_ = now;
}

long PosixSerialPort::read(std::uint8_t* bytes, std::size_t capacity) {
    if (pendingErrors_ != 0) return -1;
    if (capacity == 0) return 0;
    const bool fetched = fetch(capacity);
    collectCounterErrors();
    if (pendingErrors_ != 0) return -1;
    std::size_t n = 0;
    while (n < capacity && receivedHead_ < received_.size()) {
        ReceivedByte& b = received_[receivedHead_];
        if (b.damaged) {
            if (countedDamage_ > 0) {
                // Already reported, with its kind, by the counters.
                --countedDamage_;
            } else {
                // Without counters a mark cannot tell parity from framing.
                // Hand out what came before it first, so that the error is
                // reported where it happened.
                if (n > 0) break;
                pendingErrors_ |= kLineParity;
                b.damaged = false;  // the byte itself follows after the report
                return -1;
            }
            b.damaged = false;
        }
        bytes[n++] = b.value;
        ++receivedHead_;
    }
    if (n == 0 && !fetched) return -1;
    return static_cast<long>(n);
}

int PosixSerialPort::takeLineErrors() {
    collectCounterErrors();
    const int errors = pendingErrors_;
    pendingErrors_ = 0;
    return errors;
}

bool PosixSerialPort::write(const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            fail(n == 0 ? EIO : errno);
            return false;
        }
        pollfd p{fd_, POLLOUT, 0};
        const int ready = poll(&p, 1, kWriteStallMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            fail(errno);
            return false;
        }
        if (ready == 0) {
            fail(ETIMEDOUT);
            return false;
        }
        if ((p.revents & POLLOUT) == 0) {
            fail(EIO);
            return false;
        }
    }
    return true;
}

void PosixSerialPort::waitForInput(int milliseconds) {
    if (receivedHead_ < received_.size() || pendingErrors_ != 0) return;
    const bool progress = progressSinceWait_;
    progressSinceWait_ = false;
    const std::int64_t start = MonotonicNanoseconds();
    const std::int64_t span = static_cast<std::int64_t>(std::max(milliseconds, 0)) * 1'000'000;
    pollfd p{fd_, POLLIN, 0};
    int ready;
    for (;;) {
        const std::int64_t left = span - (MonotonicNanoseconds() - start);
        ready = poll(&p, 1, static_cast<int>((std::max<std::int64_t>(left, 0) + 999'999) / 1'000'000));
        if (ready >= 0 || errno != EINTR) break;
    }
    if (ready <= 0) return;
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) {
        hangupSeen_ = false;
        return;
    }
    // A hung-up device stays "ready" forever. Report it once so the caller
    // can notice; after that, unless bytes keep coming, sleep out the wait
    // instead of letting the receive loop spin.
    if (hangupSeen_ && !progress) SleepNanoseconds(span - (MonotonicNanoseconds() - start));
    hangupSeen_ = true;
}

std::string PosixSerialPort::lastErrorText() const { return lastError_ == 0 ? std::string{} : ErrnoText(lastError_); }

}  // namespace quillon
