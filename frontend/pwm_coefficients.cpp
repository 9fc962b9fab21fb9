#include "frontend/pwm_coefficients.h"

namespace quillon {

PwmCoefficients ComputePwmCoefficients(float duty1, float output1, std::uint32_t code1, float duty2, float output2,
                                       std::uint32_t code2, float feedback) {
    // Exact in a double, however far apart the two codes lie.
    const double codeSpan = static_cast<double>(code2) - static_cast<double>(code1);
    const auto quotient = static_cast<float>((static_cast<double>(duty2) - static_cast<double>(duty1)) / codeSpan);
    const auto k26 = static_cast<float>(static_cast<double>(quotient) * static_cast<double>(feedback));
    const auto k27 = static_cast<float>(codeSpan / (static_cast<double>(output2) - static_cast<double>(output1)));
    const auto k28 =
        static_cast<float>(static_cast<double>(code1) - static_cast<double>(output1) * static_cast<double>(k27));
    return {k26, k27, k28};
}

}  // namespace quillon
