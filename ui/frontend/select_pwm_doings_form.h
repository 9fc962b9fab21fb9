#pragma once

#include <QDialog>

#include "frontend/dac_dialogs.h"

namespace quillon::ui {

// The PWM device's menu: four buttons, each confirming with its choice.
class TSelectPWMDoingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectPWMDoingsForm(QWidget* parent = nullptr);
    void load(const PwmMenuDialog& dialog);
    void store(PwmMenuDialog& dialog) const;

private:
    PwmMenuChoice choice_ = PwmMenuChoice::EditCalibration;
};

}  // namespace quillon::ui
