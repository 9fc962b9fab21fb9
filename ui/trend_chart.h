#pragma once

#include <QChartView>

class QLineSeries;
class QValueAxis;

namespace quillon::ui {

// A scrolling trend of the polled value over the last few minutes. Adding a
// point is cheap: the series is capped, old points are dropped in batches and
// the axes move in steps, so the chart is not laid out again for every point.
class TrendChart : public QChartView {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);

    static constexpr double kWindowSeconds = 300.0;
    static constexpr int kMaxPoints = 3000;

    void addPoint(double seconds, double value);
    void clear();
    int pointCount() const;
    QValueAxis* timeAxis() const { return xAxis_; }
    QValueAxis* valueAxis() const { return yAxis_; }

private:
    void dropOldPoints(double now);
    void fitValueAxis();

    QLineSeries* series_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    bool empty_ = true;
};

}  // namespace quillon::ui
