#pragma once

#include <iosfwd>

#include "sim/devsim_options.h"

namespace quillon::sim {

// Runs quillon-devsim until quit, SIGINT or SIGTERM; returns the exit code.
// Console commands come from file descriptor `consoleFd` (-1: none).
int RunDevsim(const DevsimOptions& options, int consoleFd, std::ostream& out, std::ostream& err);

}  // namespace quillon::sim
