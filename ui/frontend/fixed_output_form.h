#pragma once

#include <QDialog>

#include "frontend/fixed_output.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

class RadioGroup;

// Enter or leave the fixed-output mode. It has no close box: the engineer
// decides with OK or Cancel.
class TFixTokForm : public QDialog {
    Q_OBJECT
public:
    explicit TFixTokForm(QWidget* parent = nullptr);
    void load(const FixTokDialog& dialog);
    void store(FixTokDialog& dialog) const;

private:
    void modeChanged(int index);

    RadioGroup* mode_;
    QLabel* tokLabel_;
    QLineEdit* tok_;
};

}  // namespace quillon::ui
