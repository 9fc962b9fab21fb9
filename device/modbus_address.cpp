#include "device/modbus_address.h"

#include "device/addressing_setting_read.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/exchange.h"
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

// True with `modbusAddress` updated; false after the reason was shown.
bool ReadModbusAddress(DeviceState& s) {
    const RawSettingRead r = ReadSettingLowByte(s, kModbusAddressSetting, kReadProgress);
    if (r.exchange != ExchangeOk) {
        ErrorBox(s, kReadStopped);
        return false;
    }
    if (r.lowByte) {
        s.modbusAddress = *r.lowByte;
        return true;
    }
    if (r.hasStatus && r.responseCode == 1)
        ErrorBox(s, kNotSupportedParameter);
    else if (r.hasStatus && (r.responseCode == 3 || r.responseCode == 4))
        ErrorBox(s, kNotChangeable);
    else
        ErrorBox(s, kReadUnknown);  // also a code 0 answer too short to carry the value
    return false;
}

}  // namespace

void ChangeModbusAddrCommand(DeviceState& s) {
    // Like every device command it needs the long address of an identified device.
    if (!ensureIdentified(s)) return;
    // The menu item may still be showing from an earlier device; only the
    // device identified now decides.
    if (!hasModbusAddress(s.identity, s.settings)) {
        InfoBox(s, kNotAvailable);
        return;
    }
    if (!ReadModbusAddress(s)) return;

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

    if (writeSetting(s, kModbusAddressSetting, static_cast<std::uint32_t>(dialog.value), kWriteCaption) !=
        kSettingWritten) {
        ErrorBox(s, kNotWritten);
        return;
    }
    s.modbusAddress = dialog.value;
}

}  // namespace quillon
