#pragma once

#include <QDialog>

#include "frontend/pwm_calibration.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace quillon::ui {

// The duty of the next calibration point.
class TPWMForm : public QDialog {
    Q_OBJECT
public:
    explicit TPWMForm(QWidget* parent = nullptr);
    void load(const PwmDutyDialog& dialog);
    void store(PwmDutyDialog& dialog) const;

private:
    QLabel* label_;
    QLineEdit* duty_;
};

// A measured point: its duty, code and the output read on the meter.
class TPWMPointForm : public QDialog {
    Q_OBJECT
public:
    explicit TPWMPointForm(QWidget* parent = nullptr);
    void load(const PwmPointDialog& dialog);
    void store(PwmPointDialog& dialog) const;

private:
    QLineEdit *duty_, *code_, *output_;
    QLabel* outputLabel_;
};

// Both points of a PWM calibration and the feedback coefficient.
class TShowPWMCalibrForm : public QDialog {
    Q_OBJECT
public:
    explicit TShowPWMCalibrForm(QWidget* parent = nullptr);
    void load(const PwmCalibrationDialog& dialog);
    void store(PwmCalibrationDialog& dialog) const;

private:
    QLineEdit *duty1_, *code1_, *output1_, *duty2_, *code2_, *output2_, *feedback_;
    QLabel *output1Label_, *output2Label_;
    QGroupBox* feedbackBox_;
};

}  // namespace quillon::ui
