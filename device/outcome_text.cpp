#include "device/outcome_text.h"

#include "device/response_codes.h"

namespace quillon {

std::string NoAnswerText(const Outcome& o) {
    std::string text = "Устройство не отвечает.";
    if (!o.reason.empty()) text += " " + o.reason;
    return text;
}

std::string CauseText(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            if (o.responseCode == kNoResponseCode)
                return o.reason.empty() ? "Ответ устройства не содержит кода ответа." : o.reason;
            return ResponseCodeMessageText(o.responseCode);
        case OutcomeKind::NoAnswer: return NoAnswerText(o);
        case OutcomeKind::Interrupted: return kInterruptedText;
        case OutcomeKind::InputRefused:
        case OutcomeKind::NotPossible:
        case OutcomeKind::Partial: return o.reason;
    }
    return {};
}

std::string EffectText(const Outcome& o) {
    switch (o.effect) {
        case DeviceEffect::None: return {};
        case DeviceEffect::Unknown: return kUnknownEffectText;
        case DeviceEffect::Partial:
            return "Запись прервана: выполнено " + std::to_string(o.stepsDone) + " из " +
                   std::to_string(o.stepsTotal) + ". " + o.effectText;
    }
    return {};
}

}  // namespace quillon
