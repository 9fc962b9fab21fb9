#pragma once

#include <string>

#include "link/link_state.h"

namespace quillon {

// "Обслуживание датчиков температуры. Порт ttyUSB0. Адрес 1": the chosen port
// by its own name, or "Порт не выбран.", and the short address.
std::string MainCaptionText(LinkState& s);
void UpdateMainCaption(LinkState& s);

}  // namespace quillon
