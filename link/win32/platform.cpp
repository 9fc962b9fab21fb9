#include "link/platform.h"

#include "link/win32/win32_clock.h"
#include "link/win32/win32_port_system.h"

namespace quillon {

std::unique_ptr<PortSystem> MakePlatformPortSystem() { return std::make_unique<Win32PortSystem>(); }

std::unique_ptr<Clock> MakePlatformClock() { return std::make_unique<Win32Clock>(); }

}  // namespace quillon
