#include "device/modbus_address.h"

#include "device/addressing_setting_read.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "device/write_lock.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kModbusAddressSetting = 3;

constexpr const char* kNotAvailable = "Эта функция недоступна для текущей версии датчика!";
constexpr const char* kReadProgress = "Читаю Modbus-адрес: ";
constexpr const char* kReadStopped = "Не удалось прочитать Modbus-адрес!";
constexpr const char* kNotSupportedParameter = "Датчик не поддерживает данный параметр!";
constexpr const char* kNotChangeable = "Данное устройство не поддерживает изменение этого параметра!";
constexpr const char* kReadUnknown = "Неизвестная ошибка при чтении Modbus-адреса!";
constexpr const char* kDialogCaption = "Modbus-адрес [1-247]";
constexpr const char* kWriteButton = "Записать";
constexpr const char* kWriteCaption = "Запись Modbus-адреса";
constexpr const char* kNotWritten = "Не удалось записать параметр !";

std::optional<Outcome> NotPossibleFor(const DeviceState& s) {
    if (auto foreign = RequireOwnMake(s.identity)) return foreign;
    // The menu item may still be showing from an earlier device; only the
    // device identified now decides.
    if (!hasModbusAddress(s.identity, s.settings)) return NotPossibleOutcome(kNotAvailable);
    return std::nullopt;
}

}  // namespace

Result<int> ReadModbusAddress(DeviceState& s) {
    if (auto refused = NotPossibleFor(s)) return {*refused};
    const RawSettingRead r = ReadSettingLowByte(s, kModbusAddressSetting, kReadProgress);
    if (r.exchange != ExchangeOk) return {ExchangeOutcome(s, r.exchange)};
    if (!r.lowByte) return {RefusedOutcome(r.hasStatus && r.responseCode != 0 ? r.responseCode : kNoResponseCode)};
    s.modbusAddress = *r.lowByte;
    return {DoneOutcome(), *r.lowByte};
}

Report ModbusAddressReadReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::NotPossible: return {o.reason == kNotAvailable ? InfoText(o.reason) : ErrorText(o.reason)};
        case OutcomeKind::Refused:
            if (o.responseCode == 1) return {ErrorText(kNotSupportedParameter)};
            if (o.responseCode == 3 || o.responseCode == 4) return {ErrorText(kNotChangeable)};
            return {ErrorText(kReadUnknown)};  // also a code 0 answer too short to carry the value
        default: return {ErrorText(kReadStopped)};
    }
}

Outcome WriteModbusAddress(DeviceState& s, int address, const AskRepeatOnLock& askRepeat) {
    if (auto refused = NotPossibleFor(s)) return *refused;
    if (address < kMinModbusAddress || address > kMaxModbusAddress)
        return InputRefusedOutcome("Modbus address", "Modbus-адрес " + std::to_string(address) + " вне диапазона 1-247");
    const Outcome o =
        WriteSetting(s, kModbusAddressSetting, static_cast<std::uint32_t>(address), kWriteCaption, askRepeat);
    if (o.done()) s.modbusAddress = address;
    return o;
}

Report ModbusAddressWriteReport(const Outcome& o) {
    if (o.done()) return {};
    if (o.cause() == OutcomeKind::NotPossible) return ModbusAddressReadReport(o);
    if (o.cause() == OutcomeKind::InputRefused) return {ErrorText(o.reason)};
    // The setting's own box says why; what the write left follows once.
    Outcome stop = o;
    stop.effect = DeviceEffect::None;
    Report report = SettingWriteReport(kModbusAddressSetting, stop);
    report.push_back(ErrorText(WithEffect(kNotWritten, o)));
    return report;
}

void ChangeModbusAddrCommand(DeviceState& s) {
    // Like every device command it needs the long address of an identified device.
    if (!ensureIdentified(s)) return;
    const Result<int> read = ReadModbusAddress(s);
    ShowReport(s.ui, ModbusAddressReadReport(read.outcome));
    if (!read.done()) return;

    ShortAddressDialog dialog;
    dialog.caption = kDialogCaption;
    dialog.okCaption = kWriteButton;
    dialog.minimum = kMinModbusAddress;
    dialog.maximum = kMaxModbusAddress;
    dialog.value = s.modbusAddress;
    do {
        if (!s.ui.show(dialog)) return;
    } while (dialog.value < dialog.minimum || dialog.value > dialog.maximum);
    if (dialog.value == s.modbusAddress) return;

    const Outcome o = WriteModbusAddress(s, dialog.value, AskLockQuestion(s.ui));
    ShowReport(s.ui, ModbusAddressWriteReport(o));
}

}  // namespace quillon
