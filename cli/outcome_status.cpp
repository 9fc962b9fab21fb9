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

void Present(Output& out, const Report& report, const Outcome& o) {
    for (const Box& box : report) out.message(box.text);
    if (report.empty() && !o.done()) {
        const std::string cause = CauseText(o);
        if (!cause.empty()) out.message(cause);
        const std::string effect = EffectText(o);
        if (!effect.empty()) out.message(effect);
    }
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

}  // namespace quillon::cli
