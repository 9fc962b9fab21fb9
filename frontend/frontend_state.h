#pragma once

#include <array>
#include <cstdint>

namespace quillon {

// What the analog front-end's commands remember between commands of a run.
struct FrontendState {
    // Value the fixed-output dialog offers next, and the identification it
    // belongs to: a device identified anew is offered the start value again.
    double lastFixedOutput = 4.0;
    std::uint32_t lastFixedOutputIdentification = 0;
    // The PWM calibration procedure's duties and outputs of its two points.
    std::array<float, 2> pwmPointDuty{0.1f, 0.8f};
    std::array<float, 2> pwmPointOutput{4.0f, 20.0f};
};

}  // namespace quillon
