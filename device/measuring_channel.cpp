#include "device/measuring_channel.h"

#include "device/variant.h"
#include "link/message_boxes.h"

namespace quillon {

bool hasSecondMeasuringChannel(const DeviceIdentity& id) {
    return (id.softwareRevision == 9 && id.deviceRevision == 11) || id.softwareRevision == 16;
}

int calibrationPointCountForChannel(const DeviceIdentity& id) {
    if (isRev16(id)) return id.selectedChannel == 1 ? 8 : 25;
    return derivedCalibrationPointCount(id);
}

bool AskMeasuringChannel(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    if (!hasSecondMeasuringChannel(id)) {
        id.selectedChannel = 0;
        return true;
    }
    MeasuringChannelDialog dialog;
    if (id.softwareRevision == 16)
        dialog.items = {"Канал АЦП", "Канал I2C"};
    else
        dialog.items = {"Канал 1", "Канал 2"};
    dialog.channel = id.selectedChannel == 1 ? 1 : 0;
    if (!s.ui.show(dialog)) return false;

    id.selectedChannel = dialog.channel == 1 ? 1 : 0;
    // Channel k is enabled by bit k of the configuration's second byte.
    if (isRev16(id) && (id.channelConfig[1] & (1u << id.selectedChannel)) == 0)
        ErrorBox(s, "Выбранный канал не включен! Включите его в меню \"Выбор активных каналов\"!");
    id.calibrationPointCount = calibrationPointCountForChannel(id);
    id.sensorIdKnown = false;
    return true;
}

}  // namespace quillon
