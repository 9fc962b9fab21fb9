#pragma once

#include <optional>

namespace quillon {

// A value correction: shown = raw * factor + offset.
struct CorrectionFit {
    float factor;
    float offset;
};

// The correction that makes a device show `needed1` and `needed2` where, with
// its present correction, it shows `real1` and `real2`. Computed in single
// precision, as the device applies it. Nothing when the present factor is 0
// (the raw readings cannot be recovered) or the result is not a finite number.
std::optional<CorrectionFit> FitCorrection(float currentOffset, float currentFactor, float real1, float real2,
                                           float needed1, float needed2);

}  // namespace quillon
