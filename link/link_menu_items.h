#pragma once

#include "link/user_interface.h"

namespace quillon::menu {

// "Связь → Установить параметры связи": the link dialog.
inline constexpr MenuItem ParamConnect{"ParamConnect"};

}  // namespace quillon::menu
