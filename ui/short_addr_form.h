#pragma once

#include <QDialog>

#include "device/dialogs.h"

class QLabel;
class QPushButton;
class QSpinBox;

namespace quillon::ui {

// A new short address, or (with another caption and range) the Modbus address.
class TShortAddrForm : public QDialog {
    Q_OBJECT
public:
    explicit TShortAddrForm(QWidget* parent = nullptr);
    void load(const ShortAddressDialog& dialog);
    void store(ShortAddressDialog& dialog) const;

private:
    QLabel* label_;
    QSpinBox* spin_;
    QPushButton* ok_;
};

}  // namespace quillon::ui
