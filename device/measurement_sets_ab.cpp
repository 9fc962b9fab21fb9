#include <optional>

#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/preambles.h"
#include "device/settings_sequence.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kMainPeriodSetting = 12;
constexpr std::uint8_t kFeedbackPeriodSetting = 13;
constexpr std::uint8_t kDampingSetting = 14;
constexpr std::uint8_t kAmbientPeriodSetting = 11;
constexpr std::uint8_t kAmbientCalibrationSetting = 4;

constexpr const char* kReadStopped = "Не могу прочитать параметры измерений!";
constexpr const char* kNegative = "Значение параметра не может быть отрицательным!";
constexpr const char* kDampingRange = "Величина демпфирования вне допустимого диапазона! ";
constexpr const char* kAmbientPeriodNegative = "Значение периода измерения Tокр не может быть отрицательным!";
constexpr const char* kAmbientCalibrationNegative = "Значение периода калибровки Tокр не может быть отрицательным!";

constexpr const char* kMainNotEntered = "Период калибровки основного канала не был введен!";
constexpr const char* kMainName = "периода калибровки основного канала !";
constexpr const char* kDampingNotEntered = "Количество точек демпфирования не было введено!";
constexpr const char* kDampingName = "количества точек демпфирования !";
constexpr const char* kFeedbackNotEntered = "Период калибровки канала обратной связи по току не был введен!";
constexpr const char* kFeedbackName = "периода калибровки канала обратной связи по току!";
constexpr const char* kAmbientNotEntered = "Период измерения канала Tокр.среды не был введен!";
constexpr const char* kAmbientName = "периода измерения канала Tокр.среды!";
constexpr const char* kAmbientCalibrationNotEntered = "Время калибровки канала Tокр.среды не было введено!";
constexpr const char* kAmbientCalibrationName = "времени калибровки канала Tокр.среды!";

// Transmitters with a channel for the ambient temperature instead of the
// current feedback channel.
bool hasAmbientChannel(const DeviceIdentity& id) {
    switch (id.softwareRevision) {
        case 8:
        case 9:
        case 11:
        case 14:
        case 15:
        case 16: return true;
        default: return false;
    }
}

std::string DampingLabel(const DeviceIdentity& id) {
    return "Точек для усреднения (1 - " + std::to_string(DampingLimit(id)) + ") :";
}

std::string IntegerText(std::uint32_t value) { return std::to_string(static_cast<std::int32_t>(value)); }

// A field that must hold an integer; otherwise the conversion error ends the command.
std::optional<int> TakeInteger(DeviceState& s, const std::string& text) {
    const std::optional<int> value = ParseWholeNumber(text);
    if (!value) ErrorBox(s, NotWholeNumberText(text));
    return value;
}

bool DampingInRange(const DeviceIdentity& id, int value) { return value > 0 && value <= DampingLimit(id); }

std::vector<SequenceSetting> SetASettings(const DeviceIdentity& id, bool i2cChannel) {
    const bool rev14 = id.softwareRevision == 14;
    std::vector<SequenceSetting> settings;
    settings.push_back({kMainPeriodSetting, rev14 ? 900u : 3600u, kMainNotEntered, kMainName});
    if (!i2cChannel) settings.push_back({kDampingSetting, rev14 ? 9u : 5u, kDampingNotEntered, kDampingName});
    if (hasAmbientChannel(id))
        settings.push_back({kAmbientPeriodSetting, rev14 ? 60u : 600u, kAmbientNotEntered, kAmbientName});
    else
        settings.push_back({kFeedbackPeriodSetting, 5400u, kFeedbackNotEntered, kFeedbackName});
    return settings;
}

}  // namespace

void EditMeasurementSetA(DeviceState& s, bool i2cChannel) {
    const DeviceIdentity& id = s.identity;
    const std::vector<SequenceSetting> settings = SetASettings(id, i2cChannel);
    const SequenceReadResult read = ReadSettingSequence(s, settings, kReadStopped);
    if (read.outcome != SequenceRead::Complete) return;

    MeasParamsDialog dialog;
    dialog.dempfLabel = DampingLabel(id);
    dialog.dempfVisible = !i2cChannel;
    dialog.timeCalibrPText = IntegerText(read.values.front());
    if (!i2cChannel) dialog.dempfText = IntegerText(read.values[1]);
    dialog.timeCalibrFeedbackText = IntegerText(read.values.back());
    if (hasAmbientChannel(id)) dialog.timeCalibrFeedbackLabel = "Период опроса Tокр.среды, сек";
    if (!s.ui.show(dialog)) return;

    const std::optional<int> mainPeriod = TakeInteger(s, dialog.timeCalibrPText);
    if (!mainPeriod) return;
    std::optional<int> damping;
    if (!i2cChannel) {
        damping = TakeInteger(s, dialog.dempfText);
        if (!damping) return;
    }
    const std::optional<int> thirdPeriod = TakeInteger(s, dialog.timeCalibrFeedbackText);
    if (!thirdPeriod) return;
    if (*mainPeriod < 0 || *thirdPeriod < 0) {
        ErrorBox(s, kNegative);
        return;
    }
    if (damping && !DampingInRange(id, *damping)) {
        ErrorBox(s, kDampingRange);
        return;
    }

    std::vector<std::pair<std::uint8_t, std::uint32_t>> values;
    values.emplace_back(kMainPeriodSetting, static_cast<std::uint32_t>(*mainPeriod));
    if (damping) values.emplace_back(kDampingSetting, static_cast<std::uint32_t>(*damping));
    values.emplace_back(settings.back().number, static_cast<std::uint32_t>(*thirdPeriod));
    WriteSettingSequence(s, values);
}

void EditMeasurementSetB(DeviceState& s) {
    const DeviceIdentity& id = s.identity;
    const std::vector<SequenceSetting> settings = {
        {kDampingSetting, 25, kDampingNotEntered, kDampingName},
        {kMainPeriodSetting, 900, kMainNotEntered, kMainName},
        {kAmbientPeriodSetting, 5, kAmbientNotEntered, kAmbientName},
        {kAmbientCalibrationSetting, 120, kAmbientCalibrationNotEntered, kAmbientCalibrationName},
    };
    const SequenceReadResult read = ReadSettingSequence(s, settings, kReadStopped);
    if (read.outcome != SequenceRead::Complete) return;

    MeasParamsMultitDialog dialog;
    dialog.dempfLabel = DampingLabel(id);
    dialog.dempfText = IntegerText(read.values[0]);
    dialog.timeCalibrPText = IntegerText(read.values[1]);
    dialog.timeMeasureTokrText = IntegerText(read.values[2]);
    dialog.timeCalibrTokrText = IntegerText(read.values[3]);
    if (!s.ui.show(dialog)) return;

    std::optional<int> v[4];
    const std::string* texts[4] = {&dialog.dempfText, &dialog.timeCalibrPText, &dialog.timeMeasureTokrText,
                                   &dialog.timeCalibrTokrText};
    for (int i = 0; i < 4; ++i) {
        v[i] = TakeInteger(s, *texts[i]);
        if (!v[i]) return;
    }
    const auto refuse = [&](const char* text) {
        ErrorBox(s, text);
        return;
    };
    if (*v[1] < 0) return refuse(kNegative);
    if (!DampingInRange(id, *v[0])) return refuse(kDampingRange);
    if (*v[2] < 0) return refuse(kAmbientPeriodNegative);
    if (*v[3] < 0) return refuse(kAmbientCalibrationNegative);

    std::vector<std::pair<std::uint8_t, std::uint32_t>> values;
    for (int i = 0; i < 4; ++i) values.emplace_back(settings[i].number, static_cast<std::uint32_t>(*v[i]));
    WriteSettingSequence(s, values);
}

}  // namespace quillon
