#pragma once

#include "link/user_interface.h"

namespace quillon::menu {

inline constexpr MenuItem Calibrovka{"Calibrovka"};

}  // namespace quillon::menu

namespace quillon::live_view {

inline constexpr LiveViewKind Calibration{"Calibration"};                // TCalibrovkaForm
inline constexpr LiveViewKind CalibrationAmbient{"CalibrationAmbient"};  // TCalibrTOkrForm

}  // namespace quillon::live_view
