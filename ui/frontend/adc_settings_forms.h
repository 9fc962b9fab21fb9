#pragma once

#include <QDialog>

#include "frontend/adc_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace quillon::ui {

class RadioGroup;

// Converter gain and averaging points of the current-output device.
class TVelkorADForm : public QDialog {
    Q_OBJECT
public:
    explicit TVelkorADForm(QWidget* parent = nullptr);
    void load(const VelkorAdcDialog& dialog);
    void store(VelkorAdcDialog& dialog) const;

private:
    RadioGroup* gain_;
    QSpinBox* points_;
};

// The device's unit code, with a memo of the common codes beside it.
class TUnitsMeasureForm : public QDialog {
    Q_OBJECT
public:
    explicit TUnitsMeasureForm(QWidget* parent = nullptr);
    void load(const UnitsMeasureDialog& dialog);
    void store(UnitsMeasureDialog& dialog) const;

private:
    QSpinBox* code_;
};

// The two points of the current-to-value conversion.
class TIValueForm : public QDialog {
    Q_OBJECT
public:
    explicit TIValueForm(QWidget* parent = nullptr);
    void load(const CurrentToValueDialog& dialog);
    void store(CurrentToValueDialog& dialog) const;

private:
    QCheckBox* use_;
    QLineEdit* current1_;
    QLineEdit* value1_;
    QLineEdit* current2_;
    QLineEdit* value2_;
    QLabel* unit1_;
    QLabel* unit2_;
};

}  // namespace quillon::ui
