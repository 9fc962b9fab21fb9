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

// The exit status of a release: one failure decides it. An exchange the link
// ended itself (a port gone, a server gone) is no interruption by anyone.
int ReleaseStatus(const LinkState& s, const std::vector<HoldRelease>& results) {
    int status = kExitSuccess;
    for (const HoldRelease& r : results) {
        switch (r.outcome) {
            case ReleaseOutcome::Released: break;
            case ReleaseOutcome::Refused:
                status = (r.responseCode == 7 || r.responseCode == 16) ? kExitWriteProtected : kExitDeviceRefused;
                break;
            case ReleaseOutcome::Aborted: status = s.linkFailure.empty() ? kExitInterrupted : kExitNoAnswer; break;
            case ReleaseOutcome::Unreachable:
            case ReleaseOutcome::NoAnswer: status = kExitNoAnswer; break;
        }
        if (status != kExitSuccess) return status;
    }
    return status;
}

// Releases what the run holds, whatever ended the hold; the release's own status.
int Release(Session& x) {
    // A signal, a lost stdout or the deadline ended the hold; the release itself must still go out.
    x.ui.startPhase();
    x.state.flags.stopRequested = false;
    x.watch.suspendDeadline();
    x.watch.setAttemptLimit(x.options.attempts);
    x.watch.clearGaveUp();
    const std::vector<HoldRelease> results = ReleaseHeldOutputs(x.state);
    const int status = ReleaseStatus(x.state, results);
    if (status != kExitSuccess) {
        x.out.message(ReleaseFailureText(results));
        return status;
    }
    x.out.result("released", json{{"released", true}});
    return kExitSuccess;
}

// The value checked as the windows check it; a usage status after the reason.
std::optional<float> CheckedValue(Session& x, const FixOptions& o) {
    const std::optional<float> value = SingleNumber(o.valueText);
    if (!value) {
        x.out.message(SingleRefusal(o.valueText));
        return std::nullopt;
    }
    if (o.kind == HeldKind::Duty && (*value < 0.0f || *value > 1.0f)) {
        x.out.message("Скважность должна быть в диапазоне [0-1]!");
        return std::nullopt;
    }
    if (o.kind == HeldKind::Current) {
        const float sent = FixedOutputRequestValue(*value);
        if (!(sent >= 4.0f && sent <= 20.0f)) {
            x.out.message("Значение тока должно быть в диапазоне 4-20 мА!");
            return std::nullopt;
        }
    }
    return value;
}

// Fixes the output the way the device's kind takes it; the exit status.
int Fix(Session& x, const FixOptions& o, float value) {
    const DeviceIdentity& id = x.state.identity;
    if (o.kind == HeldKind::Duty) {
        if (!isRev6(id)) {
            x.out.message("У этого устройства нет выхода ШИМ: скважность не фиксируется");
            return kExitNotPossible;
        }
        if (!SendFixedDuty(x.state, value, "Фиксирую скважность")) return Status(x, false);
        return kExitSuccess;
    }
    const bool voltage = o.kind == HeldKind::Voltage;
    if (!isRev6(id) && !isRev7(id) && !isDacBySettings(id)) {
        x.out.message("В этой версии датчика не предусмотрена фиксация тока!");
        return kExitNotPossible;
    }
    if (isRev6Hw1(id) != voltage) {
        x.out.message(voltage ? "Это устройство выдаёт ток, а не напряжение: используйте fix-current"
                              : "Это устройство выдаёт напряжение: используйте fix-voltage");
        return kExitNotPossible;
    }
    x.ui.answerDialog<FixTokDialog>([&](FixTokDialog& d) {
        d.mode = 1;
        d.value = ValueText(value);
        return true;
    });
    FixCurrentMenuCommand(x.state, x.state.frontend);
    const HeldDevice* held = HeldByIdentified(x);
    if (held && held->loopValue.has_value() && x.ui.errorCount() == 0) return kExitSuccess;
    return Status(x, false);
}

}  // namespace

int RunFixOutput(Session& x, const FixOptions& o) {
    const char* what = o.kind == HeldKind::Duty      ? "Фиксация скважности"
                       : o.kind == HeldKind::Voltage ? "Фиксация напряжения"
                                                     : "Фиксация тока";
    const std::optional<float> value = CheckedValue(x, o);
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
        if (status != kExitSuccess) return;
        const HeldDevice* held = HeldByIdentified(x);
        if (o.kind == HeldKind::Duty) {
            if (!held || !held->duty) return;
            x.out.result("fixed: duty " + ValueText(*held->duty),
                         json{{"fixed", SingleJson(*held->duty)}, {"unit", "duty"}});
        } else {
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
        const DeviceIdentity& id = x.state.identity;
        if (!isRev6(id) && !isRev7(id) && !isDacBySettings(id)) {
            x.out.message("В этой версии датчика не предусмотрена фиксация тока!");
            status = kExitNotPossible;
            return;
        }
        // A run that left the output fixed has ended, and its record with it:
        // the release goes to whatever this device may hold, through the same
        // road as the release at the end of a hold.
        NoteFixedLoopOutput(x.state, 4.0, isRev6Hw1(id));
        if (isRev6(id)) NoteFixedDuty(x.state, 0.5f);
        status = Release(x);
    });
    return status;
}

}  // namespace quillon::cli
