#include "link/platform.h"

#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"

namespace quillon {

std::unique_ptr<PortSystem> MakePlatformPortSystem() { return std::make_unique<PosixPortSystem>(); }

std::unique_ptr<Clock> MakePlatformClock() { return std::make_unique<SteadyClock>(); }

}  // namespace quillon
