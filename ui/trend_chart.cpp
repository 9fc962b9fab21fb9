#include "ui/trend_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace quillon::ui {

namespace {
constexpr double kTimeStep = 30.0;  // the time axis advances in steps of this many seconds
}

TrendChart::TrendChart(QWidget* parent) : QChartView(parent) {
    setObjectName("TrendChart");
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    series_ = new QLineSeries(chart);
    chart->addSeries(series_);
    xAxis_ = new QValueAxis(chart);
    xAxis_->setLabelFormat("%.0f");
    xAxis_->setTitleText("с");
    yAxis_ = new QValueAxis(chart);
    yAxis_->setLabelFormat("%.4g");
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    series_->attachAxis(xAxis_);
    series_->attachAxis(yAxis_);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
    clear();
}

int TrendChart::pointCount() const { return static_cast<int>(series_->count()); }

void TrendChart::clear() {
    series_->clear();
    empty_ = true;
    xAxis_->setRange(0, kTimeStep);
    yAxis_->setRange(0, 1);
}

void TrendChart::addPoint(double seconds, double value) {
    if (!std::isfinite(seconds) || !std::isfinite(value)) return;
    series_->append(seconds, value);
    if (empty_) {
        empty_ = false;
        const double pad = std::max(std::abs(value) * 1e-3, 1e-6);
        yAxis_->setRange(value - pad, value + pad);
        const double max = std::max(kTimeStep, seconds + kTimeStep);
        xAxis_->setRange(std::max(0.0, max - kWindowSeconds), max);
        return;
    }
    if (seconds > xAxis_->max()) {
        const double max = seconds + kTimeStep;
        xAxis_->setRange(std::max(0.0, max - kWindowSeconds), max);
        dropOldPoints(seconds);
    } else if (series_->count() > kMaxPoints) {
        dropOldPoints(seconds);
    }
    if (value < yAxis_->min() || value > yAxis_->max()) fitValueAxis();
}

void TrendChart::dropOldPoints(double now) {
    const int count = static_cast<int>(series_->count());
    int drop = 0;
    while (drop < count && series_->at(drop).x() < now - kWindowSeconds) ++drop;
    // Beyond the cap a quarter goes at once, so trimming is rare.
    if (count - drop > kMaxPoints) drop = count - kMaxPoints * 3 / 4;
    if (drop <= 0) return;
    series_->removePoints(0, drop);
    fitValueAxis();
}

void TrendChart::fitValueAxis() {
    const auto points = series_->points();
    if (points.isEmpty()) return;
    double lo = points.front().y(), hi = lo;
    for (const auto& p : points) {
        lo = std::min(lo, p.y());
        hi = std::max(hi, p.y());
    }
    // A margin keeps small changes from moving the axis at every point.
    const double pad = std::max((hi - lo) * 0.1, std::max(std::abs(hi), std::abs(lo)) * 1e-3 + 1e-6);
    yAxis_->setRange(lo - pad, hi + pad);
}

}  // namespace quillon::ui
