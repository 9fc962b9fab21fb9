#include <chrono>
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_values.h"
#include "cli/number_options.h"
#include "cli/outcome_status.h"
#include "device/held_output.h"
#include "device/variant.h"
#include "frontend/dac_settings.h"
#include "frontend/fixed_output.h"
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

// Waits until a signal, the run's --timeout, or `seconds` when given. The
// session of a HART-IP link is kept alive meanwhile.
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

// Releases what the run holds, whatever ended the hold; the release's own
// status. `asResult`: "released" is the run's result on stdout; after a fix
// that failed it is only a message, since nothing the run asked for was done.
int Release(Session& x, bool asResult = true) {
    // A signal, a lost stdout or the deadline ended the hold; the release itself must still go out.
    x.ui.startPhase();
    x.state.flags.stopRequested = false;
    x.watch.suspendDeadline();
    x.watch.setAttemptLimit(x.options.attempts);
    x.watch.clearGaveUp();
    const std::vector<HoldRelease> results = ReleaseHeldOutputs(x.state);
    const Outcome o = ReleaseOutcomeOf(results);
    if (!o.done()) return PresentOutcome(x, ReleaseReport(results), o);
    if (asResult)
        x.out.result("released", json{{"released", true}});
    else
        x.out.message("Фиксация выхода снята.");
    return kExitSuccess;
}

// The value as typed, checked as the windows check it; nothing after the reason.
std::optional<double> CheckedValue(Session& x, const FixOptions& o) {
    if (!SingleNumber(o.valueText)) {
        x.out.message(SingleRefusal(o.valueText));
        return std::nullopt;
    }
    const std::optional<double> value = DecimalInRange(o.valueText, -3.4e38, 3.4e38);
    if (!value) {
        x.out.message(SingleRefusal(o.valueText));
        return std::nullopt;
    }
    if (o.kind == HeldKind::Duty && (*value < 0.0f || *value > 1.0f)) {
        x.out.message("Скважность должна быть в диапазоне [0-1]!");
        return std::nullopt;
    }
    if (o.kind == HeldKind::Current) {
        const float sent = FixedOutputRequestValue(*value);  // what the windows send for it
        if (!(sent >= 4.0f && sent <= 20.0f)) {
            x.out.message("Значение тока должно быть в диапазоне 4-20 мА!");
            return std::nullopt;
        }
    }
    return value;
}

// Fixes the output the way the device's kind takes it; the exit status.
int Fix(Session& x, const FixOptions& o, double value) {
    const DeviceIdentity& id = x.state.identity;
    if (o.kind == HeldKind::Duty) {
        const Outcome r = FixDuty(x.state, static_cast<float>(value), "Фиксирую скважность", LockPolicy(x));
        return r.done() ? kExitSuccess : PresentOutcome(x, FixedDutyReport(r), r);
    }
    const bool voltage = o.kind == HeldKind::Voltage;
    if (isRev6Hw1(id) != voltage && (isRev6(id) || isRev7(id) || isDacBySettings(id))) {
        x.out.message(voltage ? "Это устройство выдаёт ток, а не напряжение: используйте fix-current"
                              : "Это устройство выдаёт напряжение: используйте fix-voltage");
        return kExitNotPossible;
    }
    const Outcome r = FixLoopOutput(x.state, x.state.frontend, value, LockPolicy(x));
    return r.done() ? kExitSuccess : PresentOutcome(x, FixedOutputReport(r), r);
}

}  // namespace

int RunFixOutput(Session& x, const FixOptions& o) {
    const char* what = o.kind == HeldKind::Duty      ? "Фиксация скважности"
                       : o.kind == HeldKind::Voltage ? "Фиксация напряжения"
                                                     : "Фиксация тока";
    const std::optional<double> value = CheckedValue(x, o);
    if (!value) return kExitUsage;
    if (!WritesConfirmed(x, what)) return kExitUsage;
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    int status = kExitSuccess;
    WithPortOpen(x.state, [&] {
        if (!Identify(x)) {
            status = IdentifyFailureStatus(x);
            return;
        }
        status = Fix(x, o, *value);
        if (status != kExitSuccess) {
            // A fix whose answer was lost may have taken: what is recorded as held is released.
            if (HeldByIdentified(x)) Release(x, false);
            return;
        }
        const HeldDevice* held = HeldByIdentified(x);
        if (o.kind == HeldKind::Duty) {
            if (!held || !held->duty) return;
            x.out.result("fixed: duty " + ValueText(*held->duty),
                         json{{"fixed", SingleJson(*held->duty)}, {"unit", "duty"}});
        } else {
            if (!held || !held->loopValue) return;
            const std::string unit = o.kind == HeldKind::Voltage ? "V" : "mA";
            x.out.result("fixed: " + ValueText(*held->loopValue) + " " + unit,
                         json{{"fixed", SingleJson(static_cast<float>(*held->loopValue))}, {"unit", unit}});
        }
        // The hold must not give up on a device that is silent for a while.
        x.watch.setAttemptLimit(0);
        Hold(x, o.holdSeconds);
        if (o.leaveFixed) {
            x.out.message("Выход фиксирован и оставлен фиксированным (--leave-fixed); снять: quillon-cli release");
            return;
        }
        const bool signalled = x.ui.interrupted() || x.watch.timedOut();
        const bool timedOut = x.watch.timedOut();
        status = Release(x);
        // Released after a signal: the run was interrupted. A release that
        // failed says so with its own status, whatever ended the hold.
        if (status == kExitSuccess && signalled) status = timedOut ? kExitTimeout : kExitInterrupted;
    });
    return status;
}

int RunRelease(Session& x) {
    if (!WritesConfirmed(x, "Снятие фиксации выхода")) return kExitUsage;
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    int status = kExitSuccess;
    WithPortOpen(x.state, [&] {
        if (!Identify(x)) {
            status = IdentifyFailureStatus(x);
            return;
        }
        // A run that left the output fixed has ended, and its record with it:
        // the release goes to what this device may hold.
        const DeviceIdentity& id = x.state.identity;
        Outcome r = LeaveFixedLoopOutput(x.state, x.state.frontend, LockPolicy(x));
        if (r.done() && isRev6(id)) {
            r = ReleaseDuty(x.state, "Снимаю фиксацию скважности", LockPolicy(x));
            if (!r.done() && r.cause() != OutcomeKind::NotPossible) {
                status = PresentOutcome(x, FixedDutyReport(r), r);
                return;
            }
        } else if (!r.done()) {
            status = PresentOutcome(x, FixedOutputReport(r), r);
            return;
        }
        x.out.result("released", json{{"released", true}});
        status = kExitSuccess;
    });
    return status;
}

}  // namespace quillon::cli
