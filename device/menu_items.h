#pragma once

#include "link/user_interface.h"

namespace quillon::menu {

// The device-service menu items of this layer's commands, by component name.
inline constexpr MenuItem Statistika{"Statistika"};
inline constexpr MenuItem SelectChannelMenu{"SelectChannelMenu"};
inline constexpr MenuItem ChangeShortAddr{"ChangeShortAddr"};
inline constexpr MenuItem ShangeLongAddrMenu{"ShangeLongAddrMenu"};
inline constexpr MenuItem MeasParamsItem{"MeasParamsItem"};
inline constexpr MenuItem ValueCorrection{"ValueCorrection"};
inline constexpr MenuItem PreambulsMenu{"PreambulsMenu"};
inline constexpr MenuItem ConstPlotnomerItem{"ConstPlotnomerItem"};
inline constexpr MenuItem AskReq3Item{"AskReq3Item"};
inline constexpr MenuItem ReadingTag{"ReadingTag"};
inline constexpr MenuItem SaveId{"SaveId"};
inline constexpr MenuItem ChangeModbusAddrItem{"ChangeModbusAddrItem"};

}  // namespace quillon::menu

namespace quillon::live_view {

inline constexpr LiveViewKind Statistics{"Statistics"};  // TStatistikaForm
inline constexpr LiveViewKind ShowAll{"ShowAll"};        // TShowAllForm

}  // namespace quillon::live_view
