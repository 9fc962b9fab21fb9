#include <chrono>
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "device/variant.h"
#include "frontend/fixed_output.h"
#include "frontend/held_output.h"
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
    }
}

}  // namespace

int RunFixOutput(Session& x, const FixOptions& o) {
    const bool voltage = o.kind == HeldKind::Voltage;
    if (!WritesConfirmed(x, voltage ? "Фиксация напряжения" : "Фиксация тока")) return kExitUsage;
    if (!PrepareLink(x)) return kExitNoAnswer;
    bool fixed = false, released = false, wrongKind = false;
    WithPortOpen(x.state, [&] {
        if (!Identify(x)) return;
        if (isRev6Hw1(x.state.identity) != voltage) {
            wrongKind = true;
            x.out.message(voltage ? "Это устройство выдаёт ток, а не напряжение: используйте fix-current"
                                  : "Это устройство выдаёт напряжение: используйте fix-voltage");
            return;
        }
        x.ui.answerDialog<FixTokDialog>([&](FixTokDialog& d) {
            d.mode = 1;
            d.value = ValueText(o.value);
            return true;
        });
        FixCurrentMenuCommand(x.state);
        fixed = x.state.heldOutput.loopValue.has_value() && x.ui.errorCount() == 0;
        if (!fixed) return;
        const std::string unit = voltage ? "V" : "mA";
        x.out.result("fixed: " + ValueText(*x.state.heldOutput.loopValue) + " " + unit,
                     json{{"fixed", *x.state.heldOutput.loopValue}, {"unit", unit}});
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
