#pragma once

#include <cstdint>

namespace quillon {

// The device's working coefficients for a two-point PWM calibration, each
// rounded to a single the way the device expects:
//   k26 = feedback * (duty2 - duty1) / (code2 - code1)   (quotient rounded first)
//   k27 = (code2 - code1) / (output2 - output1)
//   k28 = code1 - output1 * k27                         (with the rounded k27)
// code2 - code1 is the true difference of the two codes, never wrapped.
struct PwmCoefficients {
    float k26, k27, k28;
};

PwmCoefficients ComputePwmCoefficients(float duty1, float output1, std::uint32_t code1, float duty2, float output2,
                                       std::uint32_t code2, float feedback);

}  // namespace quillon
