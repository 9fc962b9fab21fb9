#pragma once

#include <QDialog>

#include "device/dialogs.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// Asks for the device-identifier string written into the sensor's EEPROM.
class TGetSerialStringForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetSerialStringForm(QWidget* parent = nullptr);
    void load(const SerialStringDialog& dialog);
    void store(SerialStringDialog& dialog) const;

private:
    QLabel* label_;
    QLineEdit* edit_;
};

}  // namespace quillon::ui
