#include "device/channels.h"

#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/message_boxes.h"
#include "device/menu_items.h"

namespace quillon {

namespace {

constexpr std::uint8_t kChannelSetting = 33;

void SetSaveIdVisibility(DeviceState& s) {
    s.ui.setMenuItemVisible(menu::SaveId, canWriteI2cSensorId(s.identity, false));
}

}  // namespace

std::array<std::uint8_t, 4> ChannelConfigFromValue(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::uint32_t ChannelConfigValue(const ChannelDialog& dialog) {
    return (dialog.mainChannel == 1 ? 0x001u : 0u) | (dialog.channel1Active ? 0x100u : 0u) |
           (dialog.channel2Active ? 0x200u : 0u);
}

void FillChannelDialog(const DeviceIdentity& id, ChannelDialog& dialog, bool editable) {
    dialog.caption = editable ? "Выбор каналов" : "Текущие каналы";
    dialog.editable = editable;
    dialog.channel1Active = (id.channelConfig[1] & 0x01) != 0;
    dialog.channel2Active = (id.channelConfig[1] & 0x02) != 0;
    dialog.mainChannel = id.channelConfig[0] != 0 ? 1 : 0;
}

const char* ChannelDialogError(const ChannelDialog& dialog) {
    if (dialog.mainChannel == 1) return dialog.channel2Active ? nullptr : "Основной канал 2 (I2C) не активирован!";
    return dialog.channel1Active ? nullptr : "Основной канал 1 (АЦП) не активирован!";
}

void SelectChannelCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    DeviceIdentity& id = s.identity;
    // Setting 33 means channels only on revision 16; writing it elsewhere
    // would change an unrelated setting.
    if (!isRev16(id)) {
        InfoBox(s, "Данное устройство не допускает изменение этого параметра!");
        return;
    }
    const SettingReadResult read = readSetting(s, kChannelSetting, "Чтение активных каналов");
    if (read.result != kSettingRead) {
        ErrorBox(s, "Не удалось вычитать конфигурацию каналов!");
        return;
    }
    id.channelConfig = ChannelConfigFromValue(read.value);

    ChannelDialog dialog;
    FillChannelDialog(id, dialog, true);
    SetSaveIdVisibility(s);
    for (;;) {
        if (!s.ui.show(dialog)) return;
        const char* error = ChannelDialogError(dialog);
        if (error == nullptr) break;
        ErrorBox(s, error);
    }

    const std::uint32_t value = ChannelConfigValue(dialog);
    if (writeSetting(s, kChannelSetting, value, "Запись конфигурации каналов") != kSettingWritten) {
        ErrorBox(s, "Конфигурация каналов не записана!");
    } else {
        InfoBox(s, "Конфигурация каналов успешно записана!");
        id.channelConfig = ChannelConfigFromValue(value);
        id.selectedChannel = dialog.mainChannel == 1 ? 1 : 0;
    }
    SetSaveIdVisibility(s);
}

}  // namespace quillon
