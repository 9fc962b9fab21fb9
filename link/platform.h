#pragma once

#include <memory>

#include "link/clock.h"
#include "link/serial_port.h"

namespace quillon {

// The serial ports and clocks of the system the program runs on. Each backend
// folder under link/ provides these; the build picks the folder.
std::unique_ptr<PortSystem> MakePlatformPortSystem();
std::unique_ptr<Clock> MakePlatformClock();

}  // namespace quillon
