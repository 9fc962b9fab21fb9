#pragma once

#include <QDialog>

#include "calibration/calibration_command.h"

namespace quillon::ui {

// What to do with a calibration: take a new one, read the device's, open a file.
class TGetTypeCalibrForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetTypeCalibrForm(QWidget* parent = nullptr);
    void load(const CalibrationTypeDialog& dialog);
    void store(CalibrationTypeDialog& dialog) const;

private:
    int choice_ = CalibrationTypeDialog::kRead;
};

}  // namespace quillon::ui
