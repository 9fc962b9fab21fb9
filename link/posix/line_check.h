#pragma once

#include "link/posix/raw_line.h"

namespace quillon {

// Whether the driver holds what was asked for. Drivers round rates to what
// their clock divides into, so a small deviation is accepted; a
// pseudo-terminal silently drops parity, which is accepted there and nowhere
// else, so that a real port that cannot keep its settings is refused.
bool LineHolds(const RawLineState& state, const RawLineRequest& request, bool pseudoTerminal);

}  // namespace quillon
