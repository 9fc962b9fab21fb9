#pragma once

#include "link/interrupt_flags.h"

namespace quillon {

inline constexpr int kKeyF4 = 0x73;
inline constexpr int kKeyEnter = 0x0D;
inline constexpr int kKeyEsc = 0x1B;

// Sees every key-down of the program before it is dispatched; never consumes it.
// `virtualKey` uses the classic virtual-key numbering.
void KeyHook(InterruptFlags& flags, int virtualKey);

}  // namespace quillon
