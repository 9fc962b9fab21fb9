#include <optional>

#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/preambles.h"
#include "device/variant.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

std::string DampingLabel(const DeviceIdentity& id) {
    return "Точек для усреднения (1 - " + std::to_string(DampingLimit(id)) + ") :";
}

// A field that must hold an integer; otherwise the conversion error ends the command.
std::optional<int> TakeInteger(DeviceState& s, const std::string& text) {
    const std::optional<int> value = ParseWholeNumber(text);
    if (!value) ErrorBox(s, NotWholeNumberText(text));
    return value;
}

}  // namespace

void EditMeasurementSetA(DeviceState& s, bool i2cChannel) {
    const DeviceIdentity& id = s.identity;
    MeasurementParameters p;
    if (!ReadForDialog(s, p)) return;

    MeasParamsDialog dialog;
    dialog.dempfLabel = DampingLabel(id);
    dialog.dempfVisible = !i2cChannel;
    dialog.timeCalibrPText = std::to_string(p.mainPeriod);
    if (!i2cChannel) dialog.dempfText = std::to_string(p.damping.value_or(0));
    dialog.timeCalibrFeedbackText = std::to_string(p.thirdPeriod);
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
    p.mainPeriod = *mainPeriod;
    p.damping = damping;
    p.thirdPeriod = *thirdPeriod;
    WriteFromDialog(s, p);
}

void EditMeasurementSetB(DeviceState& s) {
    const DeviceIdentity& id = s.identity;
    MeasurementParameters p;
    if (!ReadForDialog(s, p)) return;

    MeasParamsMultitDialog dialog;
    dialog.dempfLabel = DampingLabel(id);
    dialog.dempfText = std::to_string(p.damping.value_or(0));
    dialog.timeCalibrPText = std::to_string(p.mainPeriod);
    dialog.timeMeasureTokrText = std::to_string(p.thirdPeriod);
    dialog.timeCalibrTokrText = std::to_string(p.ambientCalibration);
    if (!s.ui.show(dialog)) return;

    std::optional<int> v[4];
    const std::string* texts[4] = {&dialog.dempfText, &dialog.timeCalibrPText, &dialog.timeMeasureTokrText,
                                   &dialog.timeCalibrTokrText};
    for (int i = 0; i < 4; ++i) {
        v[i] = TakeInteger(s, *texts[i]);
        if (!v[i]) return;
    }
    p.damping = *v[0];
    p.mainPeriod = *v[1];
    p.thirdPeriod = *v[2];
    p.ambientCalibration = *v[3];
    WriteFromDialog(s, p);
}

}  // namespace quillon
