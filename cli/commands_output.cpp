#include <chrono>
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "device/variant.h"
#include "frontend/fixed_output.h"
#include "device/held_output.h"
#include "frontend/output_release.h"
#include "frontend/pwm_calibration.h"
#include "link/link_open.h"
#include "link/serial_link.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

std::string ValueText(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// Waits until Ctrl+C, or `seconds` when given.
void Hold(Session& x, std::optional<double> seconds) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (seconds && std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= *seconds)
            return;
        if (!PauseProcessingEvents(x.state, 100, false)) return;
        KeepLinkAlive(x.state);
    }
}

// What the identified device holds, as the core recorded it after the device accepted it.
const HeldDevice* HeldByIdentified(const Session& x) {
    for (const HeldDevice& d : x.state.heldOutput.devices)
        if (d.longAddress == x.state.identity.longAddress) return &d;
    return nullptr;
}

// Fixes the output the way the device's kind takes it; false after the reason was shown.
bool Fix(Session& x, const FixOptions& o, bool& wrongKind) {
    const DeviceIdentity& id = x.state.identity;
    if (o.kind == HeldKind::Duty) {
        if (!isRev6(id)) {
            wrongKind = true;
            x.out.message("У этого устройства нет выхода ШИМ: скважность не фиксируется");
            return false;
        }
        if (o.value < 0.0 || o.value > 1.0) {
            wrongKind = true;
            x.out.message("Скважность должна быть в диапазоне [0-1]!");
            return false;
        }
        return SendFixedDuty(x.state, static_cast<float>(o.value), "Фиксирую скважность");
    }
    const bool voltage = o.kind == HeldKind::Voltage;
    if (isRev6Hw1(id) != voltage) {
        wrongKind = true;
        x.out.message(voltage ? "Это устройство выдаёт ток, а не напряжение: используйте fix-current"
                              : "Это устройство выдаёт напряжение: используйте fix-voltage");
        return false;
    }
    x.ui.answerDialog<FixTokDialog>([&](FixTokDialog& d) {
        d.mode = 1;
        d.value = ValueText(o.value);
        return true;
    });
    FixCurrentMenuCommand(x.state, x.state.frontend);
    const HeldDevice* held = HeldByIdentified(x);
    return held && held->loopValue.has_value() && x.ui.errorCount() == 0;
}

}  // namespace

int RunFixOutput(Session& x, const FixOptions& o) {
    const char* what = o.kind == HeldKind::Duty      ? "Фиксация скважности"
                       : o.kind == HeldKind::Voltage ? "Фиксация напряжения"
                                                     : "Фиксация тока";
    if (!WritesConfirmed(x, what)) return kExitUsage;
    if (!PrepareLink(x)) return kExitNoAnswer;
    bool fixed = false, released = false, wrongKind = false;
    WithPortOpen(x.state, [&] {
        if (!Identify(x)) return;
        fixed = Fix(x, o, wrongKind);
        if (!fixed) return;
        const HeldDevice* held = HeldByIdentified(x);
        if (o.kind == HeldKind::Duty) {
            if (!held || !held->duty) return;
            x.out.result("fixed: duty " + ValueText(*held->duty), json{{"fixed", *held->duty}, {"unit", "duty"}});
        } else {
            const std::string unit = o.kind == HeldKind::Voltage ? "V" : "mA";
            x.out.result("fixed: " + ValueText(*held->loopValue) + " " + unit,
                         json{{"fixed", *held->loopValue}, {"unit", unit}});
        }
        // The hold must not give up on a device that is silent for a while.
        x.watch.setAttemptLimit(0);
        Hold(x, o.holdSeconds);
        if (o.leaveFixed) {
            x.out.message("Выход фиксирован и оставлен фиксированным (--leave-fixed)");
            return;
        }
        // Ctrl+C ended the hold; the release itself must still go out.
        x.ui.startPhase();
        x.state.flags.stopRequested = false;
        x.watch.setAttemptLimit(x.options.attempts);
        x.watch.clearGaveUp();
        released = ReleaseHeldOutput(x.state);
        if (released) x.out.result("released", json{{"released", true}});
    });
    if (wrongKind) return kExitUsage;
    if (!fixed) return Status(x, false);
    if (!o.leaveFixed && !released) return Status(x, false) == kExitInterrupted ? kExitInterrupted : kExitNoAnswer;
    // The hold was ended by Ctrl+C: the run was interrupted, the output released.
    if (x.ui.interrupted()) return kExitInterrupted;
    return kExitSuccess;
}

}  // namespace quillon::cli
