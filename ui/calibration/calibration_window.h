#pragma once

#include "ui/live_form.h"

class QGridLayout;
class QListWidget;

namespace quillon::ui {
class TrendChart;
}

namespace quillon::ui {

// The measuring window of a calibration: the live reading, its mean, the
// request counters, the hint "F4 - Reset, Enter - Stop", "Останов", and the
// list of points taken, hidden until the first point arrives.
class TCalibrovkaForm : public LiveForm {
    Q_OBJECT
public:
    TCalibrovkaForm(InterruptFlags* flags, QWidget* parent = nullptr);

    // Showing the point list widens the window by the list, so the readings keep their room.
    bool setComponentVisible(const QString& name, bool visible) override;
    void addTrendPoint(double seconds, double value) override;
    void clearTrend() override;

protected:
    // The measuring channel's captions; the ambient window names them differently.
    struct Captions {
        const char* value;
        const char* mean;
    };
    TCalibrovkaForm(InterruptFlags* flags, QWidget* parent, Captions main, bool ambientChannel);

private:
    QListWidget* list_ = nullptr;
    TrendChart* trend_ = nullptr;
};

// The same for the devices with an ambient-temperature channel: its reading
// and mean below the main channel's, the two read in turn.
class TCalibrTOkrForm : public TCalibrovkaForm {
    Q_OBJECT
public:
    TCalibrTOkrForm(InterruptFlags* flags, QWidget* parent = nullptr);
};

}  // namespace quillon::ui
