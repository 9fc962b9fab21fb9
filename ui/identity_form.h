#pragma once

#include <QDialog>
#include <array>

#include "device/dialogs.h"

class QLabel;

namespace quillon::ui {

// The identity of the device just identified: five lines and one OK button.
class TLongAddrForm : public QDialog {
    Q_OBJECT
public:
    explicit TLongAddrForm(QWidget* parent = nullptr);
    void load(const IdentityWindow& window);

private:
    std::array<QLabel*, 5> labels_{};
};

}  // namespace quillon::ui
