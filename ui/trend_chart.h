#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QTimer>

class QLineSeries;
class QValueAxis;

namespace quillon::ui {

// A scrolling trend of the polled value over the last few minutes.
//
// A line series redraws its whole path whenever a point is appended, which
// would make every poll cycle slower as the trend grows. Points are therefore
// collected in a plain list (cheap to add to) and handed to the chart in one
// go a few times a second; the list is capped and old points leave in batches.
class TrendChart : public QChartView {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);

    static constexpr double kWindowSeconds = 300.0;
    static constexpr int kMaxPoints = 6000;  // five minutes at 20 values a second
    static constexpr int kFlushIntervalMs = 250;

    void addPoint(double seconds, double value);
    void clear();
    // Shows the collected points now (otherwise done by a timer).
    void flush();

    int pointCount() const { return static_cast<int>(points_.size()); }
    int shownPointCount() const;
    QValueAxis* timeAxis() const { return xAxis_; }
    QValueAxis* valueAxis() const { return yAxis_; }

private:
    void dropOldPoints();
    void fitAxes();

    QList<QPointF> points_;
    QTimer flushTimer_;
    QLineSeries* series_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
};

}  // namespace quillon::ui
