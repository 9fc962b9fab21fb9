#pragma once

#include <QDialog>

#include "frontend/dac_dialogs.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// The DAC scaling kept in the parameter block.
class TDACForm : public QDialog {
    Q_OBJECT
public:
    explicit TDACForm(QWidget* parent = nullptr);
    void load(const DacRecordDialog& dialog);
    void store(DacRecordDialog& dialog) const;

private:
    QLabel *smeLabel_, *label1_, *label2_, *naklonLabel_, *label3_;
    QLineEdit *sme_, *naklon_;
};

}  // namespace quillon::ui
