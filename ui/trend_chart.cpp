#include "ui/trend_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/chart_axis.h"
#include "ui/number_locale.h"

namespace quillon::ui {

namespace {
constexpr double kTimeStep = 30.0;  // the time axis advances in steps of this many seconds
constexpr int kValueTicks = 5;
}

// The view is given its chart at construction: a chart set later replaces a
// default one that the view would release without deleting.
TrendChart::TrendChart(QWidget* parent) : QChartView(new QChart, parent) {
    setObjectName("TrendChart");
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    // The axis writes its numbers as the values beside the chart are written.
    chart->setLocale(NumberLocale());
    chart->setLocalizeNumbers(true);
    series_ = new QLineSeries(chart);
    chart->addSeries(series_);
    xAxis_ = new QValueAxis(chart);
    xAxis_->setLabelFormat("%.0f");
    xAxis_->setTitleText("с");
    // Ticks on whole seconds, so the time axis reads naturally as it scrolls.
    xAxis_->setTickType(QValueAxis::TicksDynamic);
    xAxis_->setTickAnchor(0);
    xAxis_->setTickInterval(5);
    yAxis_ = new QValueAxis(chart);
    FitAxisToRoundTicks(yAxis_, 0, 1, kValueTicks);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    series_->attachAxis(xAxis_);
    series_->attachAxis(yAxis_);
    setRenderHint(QPainter::Antialiasing, false);
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(kFlushIntervalMs);
    connect(&flushTimer_, &QTimer::timeout, this, &TrendChart::flush);
    clear();
}

int TrendChart::shownPointCount() const { return static_cast<int>(series_->count()); }

void TrendChart::clear() {
    flushTimer_.stop();
    points_.clear();
    series_->clear();
    xAxis_->setRange(0, kTimeStep);
    xAxis_->setTickInterval(5);
    FitAxisToRoundTicks(yAxis_, 0, 1, kValueTicks);
}

void TrendChart::addPoint(double seconds, double value) {
    if (!std::isfinite(seconds) || !std::isfinite(value)) return;
    points_.append(QPointF(seconds, value));
    // Beyond the cap a quarter goes at once, so trimming is rare.
    if (points_.size() > kMaxPoints) points_.remove(0, points_.size() - kMaxPoints * 3 / 4);
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void TrendChart::dropOldPoints() {
    if (points_.isEmpty()) return;
    const double oldest = points_.back().x() - kWindowSeconds;
    qsizetype drop = 0;
    while (drop < points_.size() && points_[drop].x() < oldest) ++drop;
    if (drop > 0) points_.remove(0, drop);
}

void TrendChart::flush() {
    flushTimer_.stop();
    dropOldPoints();
    series_->replace(points_);
    fitAxes();
}

void TrendChart::fitAxes() {
    if (points_.isEmpty()) return;
    const double last = points_.back().x();
    if (last > xAxis_->max() || points_.front().x() < xAxis_->min()) {
        const double max = std::max(kTimeStep, last + kTimeStep);
        const double min = std::max(0.0, max - kWindowSeconds);
        xAxis_->setRange(min, max);
        const double range = max - min;
        xAxis_->setTickInterval(range <= 60 ? 5 : range <= 150 ? 15 : 30);
    }
    double lo = points_.front().y(), hi = lo;
    for (const auto& p : points_) {
        lo = std::min(lo, p.y());
        hi = std::max(hi, p.y());
    }
    // Only a value outside the axis, or an axis far wider than the values, moves it.
    const double span = yAxis_->max() - yAxis_->min();
    const bool outside = lo < yAxis_->min() || hi > yAxis_->max();
    const bool tooWide = span > 4 * std::max(hi - lo, 1e-9) && span > 1e-6;
    if (!outside && !tooWide) return;
    const double pad = std::max((hi - lo) * 0.1, std::max(std::abs(hi), std::abs(lo)) * 1e-4 + 1e-6);
    FitAxisToRoundTicks(yAxis_, lo - pad, hi + pad, kValueTicks);
}

}  // namespace quillon::ui
