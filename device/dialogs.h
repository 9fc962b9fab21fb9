#pragma once

#include <array>
#include <string>

namespace quillon {

// TLongAddrForm: the identity of the device just identified.
struct IdentityWindow {
    static constexpr const char* kDialogName = "IdentityWindow";
    std::string caption = "Длинный адрес устройства";
    std::array<std::string, 5> labels;  // Label1..Label5
    bool label5Visible = false;
};

// TSelectChannelForm, editable ("Выбор каналов") or read-only ("Текущие каналы").
struct ChannelDialog {
    static constexpr const char* kDialogName = "ChannelDialog";
    std::string caption = "Выбор каналов";
    bool editable = true;         // controls enabled and OkBitBtn visible
    bool channel1Active = false;  // Challel0CheckBox
    bool channel2Active = false;  // Challel1CheckBox
    int mainChannel = 0;          // 0 = Channel0RadioButton, 1 = Channel1RadioButton
};

// TGetSerialStringForm.
struct SerialStringDialog {
    static constexpr const char* kDialogName = "SerialStringDialog";
    std::string caption = "Ввод параметра";
    std::string label = "Строка-идентификатор устройства:";
    std::string text;  // SerialStringEdit (UTF-8)
    int maxLength = 15;
};

// TSelectRequestForm: 0 = request 1, 1 = request 3.
struct RequestChoiceDialog {
    static constexpr const char* kDialogName = "RequestChoiceDialog";
    std::string caption = "Выбор запроса";
    int choice = 1;
};

// TShortAddrForm, also used for the Modbus address.
struct ShortAddressDialog {
    static constexpr const char* kDialogName = "ShortAddressDialog";
    std::string caption = "Изменение короткого адреса";
    std::string label = "Введите новый адрес :";
    std::string okCaption = "OK";
    int minimum = 0;
    int maximum = 15;
    int value = 0;  // ShortAddrSpinEdit
};

// TGetLongAddrForm: Edit1 and Edit2 are shown but disabled.
struct LongAddressDialog {
    static constexpr const char* kDialogName = "LongAddressDialog";
    std::string caption = "Длинный адрес";
    std::string label = "Введите длинный адрес : ";
    std::array<std::string, 5> edits;  // Edit1..Edit5, two characters each
};

// TPreamblesForm.
struct PreamblesDialog {
    static constexpr const char* kDialogName = "PreamblesDialog";
    std::string caption = "Установка кол-ва преамбул в ответе";
    std::string label = "Количество преамбул в ответе, [3-50] :";
    std::string text;  // Edit1
};

}  // namespace quillon
