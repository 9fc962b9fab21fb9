#pragma once

#include <QDialog>

#include "device/correction_fit_dialog.h"
#include "device/value_correction.h"

class QLineEdit;

namespace quillon::ui {

// The value correction: offset and factor, with the fit behind PodborButton.
class TGetPopravkaForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetPopravkaForm(QWidget* parent = nullptr);
    void load(const PopravkaDialog& dialog);
    void store(PopravkaDialog& dialog) const;

private:
    void podborButtonClick();

    PopravkaDialog record_;
    QLineEdit* edit1_;
    QLineEdit* edit2_;
};

// Two reference points for the fit of the value correction.
class TPodborCoefForm : public QDialog {
    Q_OBJECT
public:
    explicit TPodborCoefForm(QWidget* parent = nullptr);
    void load(const PodborCoefDialog& dialog);
    void store(PodborCoefDialog& dialog) const;

private:
    QLineEdit* real1Edit_;
    QLineEdit* needed1Edit_;
    QLineEdit* real2Edit_;
    QLineEdit* needed2Edit_;
};

}  // namespace quillon::ui
