#pragma once

#include "ui/live_form.h"

namespace quillon::ui {

// The measuring window of a calibration: the live reading, its mean, the
// request counters, the hint "F4 - Reset, Enter - Stop" and "Останов".
class TCalibrovkaForm : public LiveForm {
    Q_OBJECT
public:
    TCalibrovkaForm(InterruptFlags* flags, QWidget* parent = nullptr);
};

}  // namespace quillon::ui
