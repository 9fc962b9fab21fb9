#include "ui/calibration/calibration_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/qt_text.h"

namespace quillon::ui {

namespace {

// Axis range with a little margin; a single value gets a span of its own.
void FitAxis(QValueAxis* axis, double low, double high) {
    if (!(low <= high)) low = 0, high = 1;
    double margin = (high - low) * 0.05;
    if (margin == 0.0) margin = std::max(1.0, std::fabs(low) * 0.05);
    axis->setRange(low - margin, high + margin);
}

}  // namespace

CalibrationChartView::CalibrationChartView(QWidget* parent)
    : QChartView(parent),
      line_(new QLineSeries),
      points_(new QScatterSeries),
      xAxis_(new QValueAxis),
      yAxis_(new QValueAxis) {
    setObjectName("CalibrationChart");
    auto* chart = new QChart;
    chart->legend()->hide();
    points_->setMarkerSize(8.0);
    chart->addSeries(line_);
    chart->addSeries(points_);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(line_), static_cast<QAbstractSeries*>(points_)}) {
        s->attachAxis(xAxis_);
        s->attachAxis(yAxis_);
    }
    xAxis_->setLabelFormat("%g");
    yAxis_->setLabelFormat("%g");
    QChartView::setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(360, 280);
}

void CalibrationChartView::setChart(const CalibrationChart& data) {
    QList<QPointF> points;
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    bool first = true;
    for (const auto& [x, y] : data.points) {
        // A value that is not a number cannot be placed; the list still shows it.
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        points.append(QPointF(x, y));
        xLow = first ? x : std::min(xLow, x);
        xHigh = first ? x : std::max(xHigh, x);
        yLow = first ? y : std::min(yLow, y);
        yHigh = first ? y : std::max(yHigh, y);
        first = false;
    }
    line_->replace(points);
    points_->replace(points);
    FitAxis(xAxis_, xLow, xHigh);
    FitAxis(yAxis_, yLow, yHigh);
    xAxis_->setTitleText(ToQ(data.xTitle));
    yAxis_->setTitleText(ToQ(data.yTitle));
}

}  // namespace quillon::ui
