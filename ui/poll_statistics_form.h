#pragma once

#include "ui/live_form.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillon::ui {

class TrendChart;

// The simple poll's window: counters, last value with its unit, average,
// minimum and maximum, status line, further variables, raw answer bytes and a
// trend of the value.
class TStatistikaForm : public LiveForm {
    Q_OBJECT
public:
    TStatistikaForm(InterruptFlags* flags, QWidget* parent = nullptr);

    bool setComponentText(const QString& name, const QString& text) override;
    void addTrendPoint(double seconds, double value) override;
    void clearTrend() override;
    TrendChart* trend() const { return trend_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* addLabel(const QString& name, const QString& text, int x, int y);
    void placeUnit();

    QLabel* value_;
    QLabel* unit_;
    QPlainTextEdit* memo_;
    QPushButton* button_;
    TrendChart* trend_;
};

}  // namespace quillon::ui
