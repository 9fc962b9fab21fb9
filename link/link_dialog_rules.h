#pragma once

#include <string_view>

#include "link/link_dialog.h"

namespace quillon {

// What the link dialog shows for the entries it currently holds. The form asks
// again after every change of link type, request format, SOU or file tick.
struct LinkDialogVisibility {
    bool hartSpeed = false;            // HartSpeedRadioGroup
    bool comPort = false;              // ComPortRadioGroup
    bool delays = false;               // DelaysGroupBox
    bool brenta = false;               // BrentaGroupBox
    bool hartIp = false;               // HartIpGroupBox
    bool numLine = false;              // NumLineLabel, NumLineComboBox
    bool userId = false;               // UserIDLabel, UserIDEdit
    int passwordMaxLength = 16;        // PasswordEdit
    bool fileControlsEnabled = false;  // FileNameEdit, SelectFileButton
};

LinkDialogVisibility LinkDialogVisibilityFor(const LinkDialog& dialog);

// A whole number as typed in a field: optional sign and decimal digits, blanks
// around it allowed. False for anything else, or a number beyond int.
bool ParseWholeNumber(std::string_view text, int& value);

}  // namespace quillon
