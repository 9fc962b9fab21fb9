#pragma once

#include <QDialog>

#include "device/dialogs.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// Number of preambles the device puts before its answers.
class TPreamblesForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreamblesForm(QWidget* parent = nullptr);
    void load(const PreamblesDialog& dialog);
    void store(PreamblesDialog& dialog) const;

private:
    QLabel* label_;
    QLineEdit* edit_;
};

}  // namespace quillon::ui
