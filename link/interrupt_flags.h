#pragma once

namespace quillon {

// Set by the key hook and by Stop buttons; read by waits and long loops.
struct InterruptFlags {
    bool enterPressed = false;
    bool stopRequested = false;
    bool resetRequested = false;
};

}  // namespace quillon
