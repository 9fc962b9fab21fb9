#pragma once

#include <QChartView>

#include "calibration/calibration_view.h"

class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace quillon::ui {

// The characteristic beside the calibration list: each point as a marker and
// the straight pieces between neighbours, so a swapped or wrong point shows
// as a kink or a fold; a segment device's extra point as a marker of its own,
// named in the legend. It only draws; the list stays what the engineer reads.
class CalibrationChartView : public QChartView {
    Q_OBJECT
public:
    explicit CalibrationChartView(QWidget* parent = nullptr);
    void setChart(const CalibrationChart& chart);

    QLineSeries* lineSeries() const { return line_; }
    QScatterSeries* pointSeries() const { return points_; }
    QScatterSeries* extraPointSeries() const { return extra_; }
    QValueAxis* xAxis() const { return xAxis_; }
    QValueAxis* yAxis() const { return yAxis_; }

private:
    QLineSeries* line_;
    QScatterSeries* points_;
    QScatterSeries* extra_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
};

}  // namespace quillon::ui
