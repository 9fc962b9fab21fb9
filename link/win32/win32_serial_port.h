#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/serial_port.h"

namespace quillon {

// A COM port driven through the Windows communications functions: reads
// return at once with what has arrived, writes block until the driver has
// taken every byte.
class Win32SerialPort : public SerialPort {
public:
    // Opens COM `number` for exclusive use. Null on failure, with `error` from GetLastError.
    static std::unique_ptr<Win32SerialPort> Open(int number, std::uint32_t& error);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool configure(const LineSettings& settings) override;
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void purge(bool transmit, bool receive) override;
    long read(std::uint8_t* bytes, std::size_t capacity) override;
    int takeLineErrors() override;
    bool write(const std::uint8_t* bytes, std::size_t count) override;
    void waitForInput(int milliseconds) override;
    std::string lastErrorText() const override;

private:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}

    void fail() { lastError_ = GetLastError(); }
    // Collects the receive-error flags into pendingErrors_; returns the bytes
    // waiting in the receive queue (0 when the driver cannot say).
    std::uint32_t pollStatus();

    HANDLE handle_;
    int pendingErrors_ = 0;
    DWORD lastError_ = 0;
};

}  // namespace quillon
