#pragma once

#include <QDialog>

#include "device/measurement_parameters.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace quillon::ui {

class RadioGroup;

// Damping and the self-calibration periods.
class TMeasParamsForm : public QDialog {
    Q_OBJECT
public:
    explicit TMeasParamsForm(QWidget* parent = nullptr);
    void load(const MeasParamsDialog& dialog);
    void store(MeasParamsDialog& dialog) const;

private:
    QLabel* dempfLabel_;
    QLineEdit* dempfEdit_;
    QLineEdit* timeCalibrPEdit_;
    QLabel* feedbackLabel_;
    QLineEdit* feedbackEdit_;
};

// The multi-temperature transmitter's damping and periods.
class TMeasParamsMultitForm : public QDialog {
    Q_OBJECT
public:
    explicit TMeasParamsMultitForm(QWidget* parent = nullptr);
    void load(const MeasParamsMultitDialog& dialog);
    void store(MeasParamsMultitDialog& dialog) const;

private:
    QLabel* dempfLabel_;
    QLineEdit* dempfEdit_;
    QLineEdit* timeCalibrPEdit_;
    QLineEdit* timeMeasureTokrEdit_;
    QLineEdit* timeCalibrTokrEdit_;
};

// Output quantity and shunt of the cathodic-potential sensor.
class TKatPotParamsForm : public QDialog {
    Q_OBJECT
public:
    explicit TKatPotParamsForm(QWidget* parent = nullptr);
    void load(const KatPotParamsDialog& dialog);
    void store(KatPotParamsDialog& dialog) const;

private:
    void unitChanged(int index);
    void shuntChanged(int index);

    RadioGroup* unitGroup_;
    RadioGroup* shuntGroup_;
    QLineEdit* shuntValueEdit_;
};

// Measurements between self-calibrations of older devices.
class TChangeMeasParamsForm : public QDialog {
    Q_OBJECT
public:
    explicit TChangeMeasParamsForm(QWidget* parent = nullptr);
    void load(const ChangeMeasParamsDialog& dialog);
    void store(ChangeMeasParamsDialog& dialog) const;

private:
    QSpinBox* spin_;
};

}  // namespace quillon::ui
