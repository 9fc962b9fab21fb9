#pragma once

// Helpers shared by the polling tests: a device with steady values, an
// identity taken over without command 0, and a poll that ends after n answers.

#include <bit>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "device/variant.h"
#include "link/key_hook.h"
#include "sim/byte_order.h"
#include "support/sim_fixture.h"

namespace quillon::testing {

inline sim::ProcessVariable Steady(std::uint8_t unit, float value) { return {unit, value, 0.0f, 0.0f, 600.0}; }

// A preset whose live values do not move: variables as given, loop current 12 mA.
inline sim::DeviceProfile SteadyProfile(std::string_view preset, std::vector<sim::ProcessVariable> variables) {
    auto p = sim::Preset(preset);
    p.variables = std::move(variables);
    p.loopCurrent = Steady(39, 12.0f);
    if (p.period) p.period = Steady(0, 1500.0f);
    return p;
}

// What identification would have learnt; lets a test start at the command.
inline void MarkIdentified(SimBench& b) {
    auto& id = b.state.identity;
    const auto& p = b.device().profile();
    id.identified = true;
    id.longAddress = p.longAddress;
    id.softwareRevision = p.softwareRevision;
    id.hardwareRevision = p.hardwareRevision;
    id.deviceRevision = p.deviceRevision;
    id.responsePreambles = p.responsePreambles;
    id.densityMeter = isVelkor(id) || (p.longAddress[0] == 35 && p.longAddress[1] == 4);
    b.state.settings.shortAddress = p.shortAddress;
}

// Presses Esc once the device has answered `n` requests, so that exactly n
// polls complete and the next exchange is aborted.
inline void StopAfterAnswers(SimBench& b, unsigned n, std::function<void(unsigned)> each = {}) {
    b.ui.onProcessEvents = [&b, n, each] {
        if (each) each(b.device().answered);
        if (b.device().answered > n) KeyHook(b.state.flags, kKeyEsc);
    };
}

inline sim::HartReply FloatReply(std::uint8_t code, std::vector<std::pair<std::uint8_t, float>> unitsAndValues,
                                 std::optional<float> lead = std::nullopt) {
    sim::HartReply r{code, {}};
    if (lead) sim::PutFloat(r.data, *lead);
    for (const auto& [unit, value] : unitsAndValues) {
        r.data.push_back(unit);
        sim::PutFloat(r.data, value);
    }
    return r;
}

inline float NanFloat() { return std::bit_cast<float>(0x7FC00000u); }

}  // namespace quillon::testing
