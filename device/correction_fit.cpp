#include "device/correction_fit.h"

#include <cmath>

namespace quillon {

std::optional<CorrectionFit> FitCorrection(float currentOffset, float currentFactor, float real1, float real2,
                                           float needed1, float needed2) {
    if (currentFactor == 0.0f || !std::isfinite(currentFactor)) return std::nullopt;
    // Undo the present correction to get what the sensor itself reads.
    const float raw1 = (real1 - currentOffset) / currentFactor;
    const float raw2 = (real2 - currentOffset) / currentFactor;
    const float factor = (needed1 - needed2) / (raw1 - raw2);
    const float offset = needed2 - raw2 * factor;
    if (!std::isfinite(factor) || !std::isfinite(offset)) return std::nullopt;
    return CorrectionFit{factor, offset};
}

}  // namespace quillon
