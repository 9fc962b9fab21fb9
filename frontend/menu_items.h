#pragma once

#include "link/user_interface.h"

namespace quillon::menu {

inline constexpr MenuItem ADParams{"ADParams"};
inline constexpr MenuItem DACParams{"DACParams"};
inline constexpr MenuItem FixTokMenuItem{"FixTokMenuItem"};
inline constexpr MenuItem AD_Code_Show{"AD_Code_Show"};

}  // namespace quillon::menu

namespace quillon::live_view {

inline constexpr LiveViewKind CodeView{"CodeView"};  // TShowCodeForm
// The PWM calibration's measuring window: the calibration's measuring form,
// which the windows register under this name too.
inline constexpr LiveViewKind PwmMeasurement{"PwmMeasurement"};

}  // namespace quillon::live_view
