#pragma once

#include <QDialog>

#include "frontend/dac_dialogs.h"
#include "ui/frontend/dac_offset_slope_rows.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// The DAC scaling in numbered settings, and the PWM device's output range.
class TDACKatPotForm : public QDialog {
    Q_OBJECT
public:
    explicit TDACKatPotForm(QWidget* parent = nullptr);
    void load(const DacScalingDialog& dialog);
    void store(DacScalingDialog& dialog) const;

private:
    QVBoxLayout* layout_;
    DacOffsetSlopeRows rows_;
    QLabel* val4Label_;
    QLineEdit* val4_;
    QLabel* val20Label_;
    QLineEdit* val20_;
};

}  // namespace quillon::ui
