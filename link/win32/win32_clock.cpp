#include "link/win32/win32_clock.h"

#include <windows.h>

namespace quillon {

Win32Clock::Win32Clock() : startMs_(GetTickCount64()) {
    LARGE_INTEGER frequency{};
    // Never fails on the systems this program supports; 1 keeps the arithmetic defined.
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) frequency_ = frequency.QuadPart;
}

std::uint32_t Win32Clock::tickMs() { return static_cast<std::uint32_t>(GetTickCount64() - startMs_); }

std::int64_t Win32Clock::counter() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void Win32Clock::waitPastCounter(std::int64_t deadline) {
    const std::int64_t stretch = kPreciseStretchMs * frequency_ / 1000;
    for (;;) {
        const std::int64_t left = deadline - counter();
        if (left < 0) return;
        if (left > stretch) {
            Sleep(static_cast<DWORD>((left - stretch) * 1000 / frequency_));
            continue;
        }
        YieldProcessor();
    }
}

void Win32Clock::sleepMs(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace quillon
