#include "device/correction_fit_dialog.h"

#include "device/number_entry.h"

namespace quillon {

namespace {

constexpr const char* kZeroFactor =
    "Поправочный множитель в датчике равен 0: исходные значения восстановить нельзя, подбор невозможен!";
constexpr const char* kNoFit = "Коэффициенты для этих точек подобрать невозможно!";

// One typed value: normalised in place, then converted.
std::optional<float> TakeValue(LinkState& s, std::string& text) {
    text = NormaliseDecimalSeparators(text, s.decimalSeparator);
    return ParseSingleText(text, s.decimalSeparator);
}

struct TypedPoints {
    float real1, real2, needed1, needed2;
};

// The four values, or the text of the first refusal.
std::optional<TypedPoints> CheckTyped(LinkState& s, PodborCoefDialog& d, std::string& refusal) {
    const auto real1 = TakeValue(s, d.real1Text);
    if (!real1) {
        refusal = "Введены неправильные цифры в поле реального значения нижней точки!";
        return std::nullopt;
    }
    const auto real2 = TakeValue(s, d.real2Text);
    if (!real2) {
        refusal = "Введены неправильные цифры в поле реального значения верхней точки!";
        return std::nullopt;
    }
    if (*real1 >= *real2) {
        refusal = "Реальное значение верхней точки должно быть выше реального значения нижней точки!";
        return std::nullopt;
    }
    const auto needed1 = TakeValue(s, d.needed1Text);
    if (!needed1) {
        refusal = "Введены неправильные цифры в поле требуемого значения нижней точки!";
        return std::nullopt;
    }
    const auto needed2 = TakeValue(s, d.needed2Text);
    if (!needed2) {
        refusal = "Введены неправильные цифры в поле требуемого значения верхней точки!";
        return std::nullopt;
    }
    if (*needed1 >= *needed2) {
        refusal = "Требуемое значение верхней точки должно быть выше требуемого значения нижней точки!";
        return std::nullopt;
    }
    return TypedPoints{*real1, *real2, *needed1, *needed2};
}

}  // namespace

std::optional<CorrectionFit> AskCorrectionFit(LinkState& s, float currentOffset, float currentFactor, int left,
                                              int top) {
    // Without a factor the readings cannot be traced back to the sensor.
    if (currentFactor == 0.0f) {
        s.ui.messageAt(MessageIcon::Error, kZeroFactor, MessageButtons::Ok, left, top);
        return std::nullopt;
    }
    PodborCoefDialog dialog;
    dialog.left = left;
    dialog.top = top;
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        std::string refusal;
        const std::optional<TypedPoints> p = CheckTyped(s, dialog, refusal);
        std::optional<CorrectionFit> fit;
        if (p) {
            fit = FitCorrection(currentOffset, currentFactor, p->real1, p->real2, p->needed1, p->needed2);
            if (!fit) refusal = kNoFit;
        }
        if (!fit) {
            s.ui.messageAt(MessageIcon::Error, refusal, MessageButtons::Ok, dialog.left, dialog.top);
            continue;
        }
        const std::string question = "Требуемое смещение = " + FormatDecimals(fit->offset, 3, s.decimalSeparator) +
                                     ", требуемый наклон = " + FormatDecimals(fit->factor, 3, s.decimalSeparator) +
                                     ". Принять эти значения?";
        if (s.ui.message(MessageIcon::Confirmation, question, MessageButtons::OkCancel) != MessageAnswer::Ok)
            return std::nullopt;
        return fit;
    }
}

}  // namespace quillon
