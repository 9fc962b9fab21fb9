#include "device/channels.h"

#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "device/write_lock.h"
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

namespace {

constexpr const char* kReadCaption = "Чтение активных каналов";
constexpr const char* kWriteCaption = "Запись конфигурации каналов";
constexpr const char* kNotChangeable = "Данное устройство не допускает изменение этого параметра!";

std::optional<Outcome> NotPossibleFor(const DeviceIdentity& id) {
    if (auto foreign = RequireOwnMake(id)) return foreign;
    // Setting 33 means channels only on revision 16; writing it elsewhere
    // would change an unrelated setting.
    if (!isRev16(id)) return NotPossibleOutcome(kNotChangeable);
    return std::nullopt;
}

}  // namespace

Result<std::array<std::uint8_t, 4>> ReadChannelConfig(DeviceState& s, Report* notes) {
    if (auto refused = NotPossibleFor(s.identity)) return {*refused};
    const Result<std::uint32_t> r = ReadSetting(s, kChannelSetting, kReadCaption);
    if (r.outcome.cause() == OutcomeKind::Refused && r.outcome.responseCode != kNoResponseCode) {
        if (notes) {
            const Report shown = SettingReadReport(kReadCaption, r.outcome);
            notes->insert(notes->end(), shown.begin(), shown.end());
        }
        return {DoneOutcome(), ChannelConfigFromValue(0)};
    }
    if (!r.done()) return {r.outcome};
    return {DoneOutcome(), ChannelConfigFromValue(r.value)};
}

Report ChannelConfigReadReport(const Outcome& o) {
    if (o.done()) return {};
    if (o.cause() == OutcomeKind::NotPossible)
        return {o.reason == kNotChangeable ? InfoText(o.reason) : ErrorText(o.reason)};
    Report report = SettingReadReport(kReadCaption, o);
    report.push_back(ErrorText("Не удалось вычитать конфигурацию каналов!"));
    return report;
}

Outcome WriteChannelConfig(DeviceState& s, std::uint32_t value, const AskRepeatOnLock& askRepeat) {
    if (auto refused = NotPossibleFor(s.identity)) return *refused;
    const Outcome o = WriteSetting(s, kChannelSetting, value, kWriteCaption, askRepeat);
    if (o.done()) {
        s.identity.channelConfig = ChannelConfigFromValue(value);
        s.identity.selectedChannel = (value & 0xFF) == 1 ? 1 : 0;
    }
    return o;
}

Report ChannelConfigWriteReport(const Outcome& o) {
    if (o.done()) return {InfoText("Конфигурация каналов успешно записана!")};
    if (o.cause() == OutcomeKind::NotPossible) return ChannelConfigReadReport(o);
    Outcome stop = o;
    stop.effect = DeviceEffect::None;
    Report report = SettingWriteReport(kChannelSetting, stop);
    report.push_back(ErrorText(WithEffect("Конфигурация каналов не записана!", o)));
    return report;
}

void SelectChannelCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    DeviceIdentity& id = s.identity;
    Report notes;
    const auto read = ReadChannelConfig(s, &notes);
    ShowReport(s.ui, notes);
    ShowReport(s.ui, ChannelConfigReadReport(read.outcome));
    if (!read.done()) return;
    id.channelConfig = read.value;

    ChannelDialog dialog;
    FillChannelDialog(id, dialog, true);
    SetSaveIdVisibility(s);
    for (;;) {
        if (!s.ui.show(dialog)) return;
        const char* error = ChannelDialogError(dialog);
        if (error == nullptr) break;
        ErrorBox(s, error);
    }

    const Outcome o = WriteChannelConfig(s, ChannelConfigValue(dialog), AskLockQuestion(s.ui));
    ShowReport(s.ui, ChannelConfigWriteReport(o));
    SetSaveIdVisibility(s);
}

}  // namespace quillon
