#pragma once

#include <QDialog>

#include "calibration/calibration_point_entry.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon::ui {

// One calibration point: the converter reading and the reference value.
class TGetCalibrPointForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetCalibrPointForm(QWidget* parent = nullptr);
    void load(const CalibrationPointDialog& dialog);
    void store(CalibrationPointDialog& dialog) const;

private:
    void finish(int result);

    QLineEdit* adEdit_;
    QLineEdit* valueEdit_;
    QLabel* volts_;
    QPushButton* continue_;
    QPushButton* stop_;
    int result_ = CalibrationPointDialog::kContinue;
};

}  // namespace quillon::ui
