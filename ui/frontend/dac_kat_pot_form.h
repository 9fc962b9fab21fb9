#pragma once

#include <QDialog>

#include "frontend/dac_dialogs.h"

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
    QLabel *smeLabel_, *label1_, *label2_, *naklonLabel_, *val4Label_, *val20Label_;
    QLineEdit *sme_, *naklon_, *val4_, *val20_;
};

}  // namespace quillon::ui
