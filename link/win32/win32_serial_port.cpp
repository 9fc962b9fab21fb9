#include "link/win32/win32_serial_port.h"

#include <algorithm>
#include <limits>

#include "link/com_ports.h"
#include "link/comm_state.h"
#include "link/win32/system_error_text.h"

namespace quillon {

namespace {

// A write that makes no progress for this long is given up: the driver is
// stuck (a vanished USB adapter).
constexpr DWORD kWriteStallMs = 5000;

}  // namespace

std::unique_ptr<Win32SerialPort> Win32SerialPort::Open(int number, std::uint32_t& error) {
    error = 0;
    const std::string path = ComDevicePath(number);
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    return std::unique_ptr<Win32SerialPort>(new Win32SerialPort(handle));
}

Win32SerialPort::~Win32SerialPort() { CloseHandle(handle_); }

bool Win32SerialPort::configure(const LineSettings& settings) {
    // Reads return at once with whatever has arrived; writes wait as long as they must.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommTimeouts(handle_, &timeouts)) {
        fail();
        return false;
    }
    const CommStateFields fields = CommStateFor(settings);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = fields.baudRate;
    dcb.fBinary = fields.binary ? TRUE : FALSE;
    dcb.fDtrControl = fields.dtrControl;
    dcb.fRtsControl = fields.rtsControl;
    dcb.XonLim = fields.xonLimit;
    dcb.XoffLim = fields.xoffLimit;
    dcb.ByteSize = fields.byteSize;
    dcb.Parity = fields.parity;
    dcb.StopBits = fields.stopBits;
    if (!SetCommState(handle_, &dcb)) {
        fail();
        return false;
    }
    if (!SetupComm(handle_, kCommQueueSize, kCommQueueSize)) fail();
    return true;
}

void Win32SerialPort::setRts(bool on) {
    if (!EscapeCommFunction(handle_, on ? SETRTS : CLRRTS)) fail();
}

void Win32SerialPort::setDtr(bool on) {
    if (!EscapeCommFunction(handle_, on ? SETDTR : CLRDTR)) fail();
}

void Win32SerialPort::purge(bool transmit, bool receive) {
    DWORD flags = 0;
    if (transmit) flags |= PURGE_TXABORT | PURGE_TXCLEAR;
    if (receive) flags |= PURGE_RXABORT | PURGE_RXCLEAR;
    if (flags != 0 && !PurgeComm(handle_, flags)) fail();
}

std::uint32_t Win32SerialPort::pollStatus() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) {
        fail();
        return 0;
    }
    pendingErrors_ |= LineErrorsFromCommErrors(errors);
    return status.cbInQue;
}

long Win32SerialPort::read(std::uint8_t* bytes, std::size_t capacity) {
    // The driver does not fail a read for a damaged byte (error
    // abort is off), so the flags are fetched here and reported as a failed
    // read, which makes the receive loop look at them.
    pollStatus();
    if (pendingErrors_ != 0) return -1;
    if (capacity == 0) return 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max()));
    DWORD got = 0;
    if (!ReadFile(handle_, bytes, wanted, &got, nullptr)) {
        fail();
        return -1;
    }
    return static_cast<long>(got);
}

int Win32SerialPort::takeLineErrors() {
    pollStatus();
    const int errors = pendingErrors_;
    pendingErrors_ = 0;
    return errors;
}

bool Win32SerialPort::write(const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    ULONGLONG progressAt = GetTickCount64();
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 16));
        DWORD written = 0;
        if (!WriteFile(handle_, bytes + done, chunk, &written, nullptr)) {
            fail();
            return false;
        }
        if (written > 0) {
            done += written;
            progressAt = GetTickCount64();
        } else if (GetTickCount64() - progressAt > kWriteStallMs) {
            lastError_ = ERROR_TIMEOUT;
            return false;
        } else {
            Sleep(1);
        }
    }
    return true;
}

void Win32SerialPort::waitForInput(int milliseconds) {
    // The port is opened without overlapped I/O, so there is no event to wait
    // on: the queue is looked at between short sleeps, which keeps the core free.
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG span = static_cast<ULONGLONG>(std::max(milliseconds, 0));
    for (;;) {
        if (pollStatus() > 0 || pendingErrors_ != 0) return;
        if (GetTickCount64() - start >= span) return;
        Sleep(1);
    }
}

std::string Win32SerialPort::lastErrorText() const {
    return lastError_ == 0 ? std::string{} : SystemErrorText(lastError_);
}

}  // namespace quillon
