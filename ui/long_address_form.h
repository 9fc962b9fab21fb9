#pragma once

#include <QDialog>
#include <array>

#include "device/dialogs.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// The five long-address bytes as hex pairs; only the device-id bytes may change.
class TGetLongAddrForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetLongAddrForm(QWidget* parent = nullptr);
    void load(const LongAddressDialog& dialog);
    void store(LongAddressDialog& dialog) const;

private:
    QLabel* label_;
    std::array<QLineEdit*, 5> edits_{};
};

}  // namespace quillon::ui
