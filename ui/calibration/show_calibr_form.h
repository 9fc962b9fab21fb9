#pragma once

#include <QDialog>

#include "calibration/calibration_view.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace quillon::ui {

class CalibrationChartView;

// The calibration in memory: its lines in fixed columns, the chart beside
// them, and what may be done with it.
class TShowCalibrForm : public QDialog {
    Q_OBJECT
public:
    explicit TShowCalibrForm(QWidget* parent = nullptr);
    void load(const ShowCalibrationDialog& dialog);
    void store(ShowCalibrationDialog& dialog) const;

    CalibrationChartView* chartView() const { return chart_; }

private:
    void finish(int result);

    QListWidget* list_;
    QCheckBox* enabled_;
    QPushButton* save_;
    QPushButton* send_;
    CalibrationChartView* chart_;
    int result_ = kViewExit;
};

}  // namespace quillon::ui
