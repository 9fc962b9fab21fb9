#pragma once

#include <string>

#include "link/outcome.h"

namespace quillon {

// Texts every operation's report shares for outcomes that are not done. The
// operations' own texts (their Parts' messages) come first; these say what
// those texts cannot: why the link gave up, and what a write left behind.

// "Устройство не отвечает.", with the link's own words when it gave any.
std::string NoAnswerText(const Outcome& o);
inline constexpr const char* kInterruptedText = "Запрос прерван.";
// A write went out and its answer was lost.
inline constexpr const char* kUnknownEffectText =
    "Ответ на запись не получен: неизвестно, приняло ли устройство новые данные.";

// The cause in one sentence: the response code's text, no answer,
// interrupted, or the reason of a refused input or impossible operation.
std::string CauseText(const Outcome& o);

// What a write that did not end done may have left in the device; empty when
// it left nothing.
std::string EffectText(const Outcome& o);

}  // namespace quillon
