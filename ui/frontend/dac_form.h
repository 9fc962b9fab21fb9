#pragma once

#include <QDialog>

#include "frontend/dac_dialogs.h"
#include "ui/frontend/dac_offset_slope_rows.h"

class QLabel;

namespace quillon::ui {

// The DAC scaling kept in the parameter block.
class TDACForm : public QDialog {
    Q_OBJECT
public:
    explicit TDACForm(QWidget* parent = nullptr);
    void load(const DacRecordDialog& dialog);
    void store(DacRecordDialog& dialog) const;

private:
    QVBoxLayout* layout_;
    DacOffsetSlopeRows rows_;
    QLabel* label3_;
};

}  // namespace quillon::ui
