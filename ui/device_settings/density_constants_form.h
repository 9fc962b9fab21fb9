#pragma once

#include <QDialog>

#include "device/density_constants.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace quillon::ui {

class RadioGroup;

// The density meter's temperature and period constants, mode and correction factor.
class TPlotnoConstForm : public QDialog {
    Q_OBJECT
public:
    explicit TPlotnoConstForm(QWidget* parent = nullptr);
    void load(const PlotnoConstDialog& dialog);
    void store(PlotnoConstDialog& dialog) const;

private:
    QLineEdit* temperEdit_;
    QCheckBox* useTCheckBox_;
    QLineEdit* periodEdit_;
    QCheckBox* usePerCheckBox_;
    RadioGroup* typeRadioGroup_;
    QGroupBox* mnogGroupBox_;
    QCheckBox* useMulCheckBox_;
    QLineEdit* mnogEdit_;
};

}  // namespace quillon::ui
