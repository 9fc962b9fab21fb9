#include "ui/calibration/calibration_chart.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/chart_axis.h"
#include "ui/number_locale.h"
#include "ui/qt_text.h"

namespace quillon::ui {

namespace {

constexpr int kMaxXTicks = 5;  // codes run to seven digits; more would crowd the narrow chart
constexpr int kMaxYTicks = 7;

}  // namespace

CalibrationChartView::CalibrationChartView(QWidget* parent)
    : QChartView(parent),
      line_(new QLineSeries),
      points_(new QScatterSeries),
      extra_(new QScatterSeries),
      xAxis_(new QValueAxis),
      yAxis_(new QValueAxis) {
    setObjectName("CalibrationChart");
    auto* chart = new QChart;
    points_->setMarkerSize(8.0);
    extra_->setMarkerSize(11.0);
    extra_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    chart->addSeries(line_);
    chart->addSeries(points_);
    chart->addSeries(extra_);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(line_), static_cast<QAbstractSeries*>(points_),
                               static_cast<QAbstractSeries*>(extra_)}) {
        s->attachAxis(xAxis_);
        s->attachAxis(yAxis_);
    }
    // The legend names only the extra point; the line needs no name.
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(line_), static_cast<QAbstractSeries*>(points_)})
        for (QLegendMarker* m : chart->legend()->markers(s)) m->setVisible(false);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->hide();
    // The axes write their numbers as the calibration list beside them does.
    chart->setLocale(NumberLocale());
    chart->setLocalizeNumbers(true);
    // The view releases the empty chart it was made with rather than deleting it.
    QChart* const emptyChart = QChartView::chart();
    QChartView::setChart(chart);
    delete emptyChart;
    setRenderHint(QPainter::Antialiasing);
    // Wide enough that a seven-digit code fits between two ticks with room to spare: in a font
    // hinted to whole pixels (DejaVu Sans as Qt renders it on Windows, say) it needs 56 px, and
    // at 360 px the plot left 55 px between ticks, so neighbouring labels ran into each other.
    setMinimumSize(380, 280);
}

void CalibrationChartView::setChart(const CalibrationChart& data) {
    QList<QPointF> points;
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    bool first = true;
    const auto widen = [&](double x, double y) {
        xLow = first ? x : std::min(xLow, x);
        xHigh = first ? x : std::max(xHigh, x);
        yLow = first ? y : std::min(yLow, y);
        yHigh = first ? y : std::max(yHigh, y);
        first = false;
    };
    for (const auto& [x, y] : data.points) {
        // A value that is not a number cannot be placed; the list still shows it.
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        points.append(QPointF(x, y));
        widen(x, y);
    }
    line_->replace(points);
    points_->replace(points);

    QList<QPointF> extra;
    if (data.extraPoint && std::isfinite(data.extraPoint->first) && std::isfinite(data.extraPoint->second)) {
        extra.append(QPointF(data.extraPoint->first, data.extraPoint->second));
        widen(data.extraPoint->first, data.extraPoint->second);
    }
    extra_->replace(extra);
    extra_->setName(ToQ(data.extraPointName));
    chart()->legend()->setVisible(!extra.isEmpty());

    FitAxisToRoundTicks(xAxis_, xLow, xHigh, kMaxXTicks);
    FitAxisToRoundTicks(yAxis_, yLow, yHigh, kMaxYTicks);
    xAxis_->setTitleText(ToQ(data.xTitle));
    yAxis_->setTitleText(ToQ(data.yTitle));
}

}  // namespace quillon::ui
