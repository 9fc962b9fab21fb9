#pragma once

#include <string>
#include <vector>

namespace quillon {

// TForm2, the link-parameters dialog: what it shows and what the user typed.
// Numbers are kept as typed; the core validates them.
struct LinkDialog {
    std::string caption;
    std::string shortAddressText;        // Edit1
    bool writeFile = false;              // WriteFileCheckBox
    std::string fileName;                // FileNameEdit
    int linkType = 0;                    // TypeConnectRadioGroup; -1 = no item selected
    int hartSpeedIndex = 0;              // HartSpeedRadioGroup
    int masterAddress = 0;               // MasterAddrRadioGroup
    int requestFormat = 0;               // ReqFormatRadioGroup
    int tunnelLine = 0;                  // NumLineComboBox
    std::vector<std::string> portItems;  // ComPortRadioGroup items, "Не выбран" first
    int portIndex = 0;                   // ComPortRadioGroup selection
    int portSpeedIndex = 0;              // SpeedRadioGroup
    std::string firstByteText;           // FirstByteEdit
    std::string nextByteText;            // NextByteEdit
    std::string password;                // PasswordEdit (UTF-8 as typed)
    std::string userId;                  // UserIDEdit (UTF-8 as typed)
    int tunnelAddress = 255;             // BrentaSpinEdit
    bool souMode = false;                // SOUCheckBox
    std::string hartIpHost;              // HartIpHostEdit
    int hartIpPort = 5094;               // HartIpPortSpinEdit
    int hartIpTransport = 0;             // HartIpTransportRadioGroup: 0 TCP, 1 UDP
    int hartIpTimeout = 3000;            // HartIpTimeoutSpinEdit, ms
};

// The item of TypeConnectRadioGroup that stands for HART-IP.
inline constexpr int kHartIpLinkItem = 2;

struct LinkState;

// The "Установить параметры связи" command: shows the dialog until its entries
// are accepted or it is closed, takes them over, reopens the port and saves the
// settings to `settingsPath`.
void ApplyLinkDialog(LinkState& s, const std::string& settingsPath);

}  // namespace quillon
