#include "link/key_hook.h"

namespace quillon {

void KeyHook(InterruptFlags& flags, int virtualKey) {
    switch (virtualKey) {
        case kKeyF4: flags.resetRequested = true; break;
        case kKeyEnter: flags.enterPressed = true; break;
        case kKeyEsc: flags.stopRequested = true; break;
        default: break;
    }
}

}  // namespace quillon
