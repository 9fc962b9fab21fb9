#include <bit>
#include <cmath>
#include <optional>
#include <vector>

#include "device/held_output.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/dac_setting_io.h"
#include "frontend/output_fields.h"
#include "frontend/pwm_calibration.h"
#include "frontend/pwm_coefficients.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr double kDuty1Limit = 0.999837;
constexpr std::int64_t kCodeLimit = 4294967295;

std::uint32_t Bits(float v) { return std::bit_cast<std::uint32_t>(v); }

constexpr const char* kNotFinite =
    "По введённым точкам коэффициенты ШИМ не вычисляются: проверьте значения тока и кода АЦП!";
constexpr const char* kNotFiniteVoltage =
    "По введённым точкам коэффициенты ШИМ не вычисляются: проверьте значения напряжения и кода АЦП!";

std::string ValueText(DeviceState& s, const PwmCalibration& c, std::size_t i, const char* absent) {
    if (!c.present[i]) return absent;
    if (i == kCode1 || i == kCode2) return FormatDecimals(c.values[i], 0, s.decimalSeparator);
    return FormatDecimals(c.values[i], 5, s.decimalSeparator);
}

std::optional<PwmCalibrationEntry> ConvertFields(DeviceState& s, PwmCalibrationDialog& d, bool voltage) {
    PwmCalibrationEntry e{};
    const auto duty1 = TakeSingleField(s, d.duty1, "Введены неправильные цифры в поле скважности 1!");
    if (!duty1) return std::nullopt;
    const auto duty2 = TakeSingleField(s, d.duty2, "Введены неправильные цифры в поле скважности 2!");
    if (!duty2) return std::nullopt;
    const auto output1 = TakeSingleField(
        s, d.output1,
        voltage ? "Введены неправильные цифры в поле напряжения 1!" : "Введены неправильные цифры в поле тока 1!");
    if (!output1) return std::nullopt;
    const auto output2 = TakeSingleField(
        s, d.output2,
        voltage ? "Введены неправильные цифры в поле напряжения 2!" : "Введены неправильные цифры в поле тока 2!");
    if (!output2) return std::nullopt;
    const auto code1 = TakeWholeField(s, d.code1, "Введены неправильные цифры в поле кода АЦП 1!");
    if (!code1) return std::nullopt;
    const auto code2 = TakeWholeField(s, d.code2, "Введены неправильные цифры в поле кода АЦП 2!");
    if (!code2) return std::nullopt;
    const auto feedback =
        TakeSingleField(s, d.feedback, "Введены неправильные цифры в поле коэффициента обратной связи!");
    if (!feedback) return std::nullopt;
    e = {*duty1, *output1, *duty2, *output2, *feedback, *code1, *code2};
    return e;
}

std::vector<DacSettingValue> WriteOrder(const PwmCalibrationEntry& e) {
    const PwmCoefficients k = ComputePwmCoefficients(e.duty1, e.output1, static_cast<std::uint32_t>(e.code1), e.duty2,
                                                     e.output2, static_cast<std::uint32_t>(e.code2), e.feedback);
    const std::uint32_t values[] = {Bits(e.duty1),
                                    Bits(e.output1),
                                    static_cast<std::uint32_t>(e.code1),
                                    Bits(e.duty2),
                                    Bits(e.output2),
                                    static_cast<std::uint32_t>(e.code2),
                                    Bits(e.feedback),
                                    kNoFixedDuty,
                                    Bits(k.k26),
                                    Bits(k.k27),
                                    Bits(k.k28)};
    std::vector<DacSettingValue> order;
    for (std::size_t i = 0; i < std::size(kPwmWriteOrder); ++i) order.push_back({kPwmWriteOrder[i], values[i]});
    return order;
}

// The points' own group and the coefficients' group: captions count within each.
constexpr std::size_t kPointSettings = 7;

}  // namespace

std::optional<std::string> PwmCalibrationRefusal(const PwmCalibrationEntry& e, bool voltage, char sep) {
    // The window's fields convert to finite singles; other callers may not.
    for (const float v : {e.duty1, e.duty2, e.output1, e.output2, e.feedback})
        if (!std::isfinite(v)) return voltage ? kNotFiniteVoltage : kNotFinite;
    if (e.duty1 < 0.0f || e.duty1 > kDuty1Limit)
        return "Скважность 1 должна быть в диапазоне [0-" + FormatGeneral(kDuty1Limit, 15, sep) + "]!";
    if (e.duty2 < 0.0f || e.duty2 > 1.0f)
        return "Скважность 2 должна быть в диапазоне [0-" + FormatGeneral(1.0, 15, sep) + "]!";
    if (e.output1 < 0.0f || e.output1 > 30.0f)
        return voltage ? "Напряжение 1 должно быть в диапазоне [0-30]!" : "Ток 1 должен быть в диапазоне [0-30]!";
    if (e.output2 < 0.0f || e.output2 > 30.0f)
        return voltage ? "Напряжение 2 должно быть в диапазоне [0-30]!" : "Ток 2 должен быть в диапазоне [0-30]!";
    if (e.code1 < 0 || e.code1 > kCodeLimit) return "Код АЦП 1 должен быть в диапазоне [0-4294967295]!";
    if (e.code2 < 0 || e.code2 > kCodeLimit) return "Код АЦП 2 должен быть в диапазоне [0-4294967295]!";
    if (e.duty1 == e.duty2) return "Значения скважности должны отличаться!";
    if (e.duty1 < e.duty2) {
        if (e.code1 >= e.code2) return "Значение кода АЦП в точке 1 должно быть меньше значения в точке 2!";
        if (e.output1 >= e.output2)
            return voltage ? "Значение напряжения в точке 1 должно быть меньше значения в точке 2!"
                           : "Значение тока в точке 1 должно быть меньше значения в точке 2!";
    } else {
        if (e.code1 <= e.code2) return "Значение кода АЦП в точке 1 должно быть больше значения в точке 2!";
        if (e.output1 <= e.output2) return "Значение тока в точке 1 должно быть больше значения в точке 2!";
    }
    if (e.feedback < 0.0f || e.feedback > 1.0f) return "Коэффициент обратной связи должен быть в диапазоне [0-1]!";
    // Outputs or codes far apart in the wrong proportion give coefficients no
    // single can hold; the device would work with infinity or NaN.
    const PwmCoefficients k = ComputePwmCoefficients(e.duty1, e.output1, static_cast<std::uint32_t>(e.code1), e.duty2,
                                                     e.output2, static_cast<std::uint32_t>(e.code2), e.feedback);
    if (!std::isfinite(k.k26) || !std::isfinite(k.k27) || !std::isfinite(k.k28))
        return voltage ? kNotFiniteVoltage : kNotFinite;
    return std::nullopt;
}


Outcome WritePwmCalibration(DeviceState& s, const PwmCalibrationEntry& e, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    if (!isRev6(s.identity)) return NotPossibleOutcome("В этой версии датчика нет выхода ШИМ!");
    if (const auto refusal = PwmCalibrationRefusal(e, isRev6Hw1(s.identity), s.decimalSeparator))
        return InputRefusedOutcome("calibration", *refusal);
    const std::vector<DacSettingValue> order = WriteOrder(e);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t position = i < kPointSettings ? i : i - kPointSettings;
        const Outcome o = WriteSetting(s, order[i].number, order[i].value, "Запись параметра " + std::to_string(position),
                                       askRepeat);
        if (!o.done())
            return PartialOutcome(o, static_cast<int>(i), static_cast<int>(order.size()),
                                  SettingsLeftText(order, static_cast<int>(i)));
        // The release of a fixed duty went through with the coefficients.
        if (order[i].number == kFixedDutySetting) NoteFixedDuty(s, std::nullopt);
    }
    return DoneOutcome();
}

Report PwmCalibrationWriteReport(const Outcome& o) {
    if (o.done()) return {};
    if (o.cause() == OutcomeKind::InputRefused) return {ErrorText(o.reason)};
    if (o.cause() == OutcomeKind::NotPossible) return {InfoText(o.reason)};
    std::vector<DacSettingValue> order;
    for (const std::uint8_t n : kPwmWriteOrder) order.push_back({n, 0});
    return SettingsWriteFailureReport(order, o);
}

void PwmCalibrationWindow(DeviceState& s, const PwmCalibration& c) {
    const bool voltage = isRev6Hw1(s.identity);
    PwmCalibrationDialog d;
    d.duty1 = ValueText(s, c, kDuty1, "Не задана");
    d.duty2 = ValueText(s, c, kDuty2, "Не задана");
    d.output1 = ValueText(s, c, kOutput1, "Не задан");
    d.output2 = ValueText(s, c, kOutput2, "Не задан");
    d.code1 = ValueText(s, c, kCode1, "Не задан");
    d.code2 = ValueText(s, c, kCode2, "Не задан");
    d.feedback = ValueText(s, c, kFeedback, "Не задан");
    d.feedbackVisible = true;
    if (voltage) d.output1Label = d.output2Label = "Напряжение, В";

    PwmCalibrationEntry e{};
    for (;;) {
        if (!s.ui.show(d)) return;
        const auto entered = ConvertFields(s, d, voltage);
        if (!entered) continue;
        if (const auto broken = PwmCalibrationRefusal(*entered, voltage, s.decimalSeparator)) {
            ErrorBox(s, *broken);
            continue;
        }
        e = *entered;
        break;
    }
    ShowReport(s.ui, PwmCalibrationWriteReport(WritePwmCalibration(s, e, AskLockQuestion(s.ui))));
}

}  // namespace quillon
