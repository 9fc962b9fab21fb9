#include "cli/outcome_status.h"

#include "cli/exit_status.h"
#include "cli/terminal.h"
#include "device/outcome_text.h"
#include "device/response_codes.h"

namespace quillon::cli {

int ExitStatusOf(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return kExitSuccess;
        case OutcomeKind::Refused: return o.writeLocked() ? kExitWriteProtected : kExitDeviceRefused;
        case OutcomeKind::NoAnswer: return kExitNoAnswer;
        case OutcomeKind::Interrupted: return kExitInterrupted;
        case OutcomeKind::InputRefused: return kExitUsage;
        case OutcomeKind::NotPossible: return kExitNotPossible;
        case OutcomeKind::Partial: break;  // cause() never answers Partial
    }
    return kExitNoAnswer;
}

int StatusOf(const Session& x, const Outcome& o) {
    if (!o.done() && x.watch.timedOut() && o.cause() == OutcomeKind::NoAnswer) return kExitTimeout;
    return ExitStatusOf(o);
}

void Present(Output& out, const Report& report, const Outcome& o) {
    for (const Box& box : report) out.message(box.text);
    if (report.empty() && !o.done()) {
        const std::string cause = CauseText(o);
        if (!cause.empty()) out.message(cause);
        const std::string effect = EffectText(o);
        if (!effect.empty()) out.message(effect);
    }
    if (o.cause() == OutcomeKind::Refused && o.responseCode != kNoResponseCode)
        out.message("Код ответа устройства: " + std::to_string(o.responseCode));
}

int PresentOutcome(Session& x, const Report& report, const Outcome& o) {
    Present(x.out, report, o);
    return StatusOf(x, o);
}

std::string OutcomeText(const Outcome& o) {
    std::string text = CauseText(o);
    const std::string effect = EffectText(o);
    if (!effect.empty()) text += (text.empty() ? "" : " ") + effect;
    return text;
}

AskRepeatOnLock LockPolicy(Output& out, bool interactive) {
    return [&out, interactive](const Outcome&) {
        if (!interactive) {
            out.message(std::string(kWriteProtectedText) + " Повтор не запрошен: запуск без терминала.");
            return false;
        }
        out.message(std::string(kWriteProtectedQuestion) + " [y/N]");
        const auto line = ReadTerminalLine();
        return line && !line->empty() &&
               (line->front() == 'y' || line->front() == 'Y' || line->rfind("д", 0) == 0 || line->rfind("Д", 0) == 0);
    };
}

AskRepeatOnLock LockPolicy(Session& x) { return LockPolicy(x.out, x.ui.interactive()); }

}  // namespace quillon::cli
