#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLocale>

#include "calibration/calibration_view.h"
#include "ui/calibration/calibration_chart.h"
#include "ui/number_locale.h"
#include "ui/qt_text.h"
#include "ui/trend_chart.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

// The numbers a chart shows: the texts on its axes.
QStringList AxisNumbers(QChartView& view) {
    view.resize(420, 320);
    view.show();
    QCoreApplication::processEvents();
    QStringList numbers;
    for (QGraphicsItem* item : view.scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            if (const QString t = text->toPlainText(); !t.isEmpty() && t[0].isDigit()) numbers << t;
    return numbers;
}

class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

// The axes write their fractions with the separator the values beside them
// use (a comma in Russian), and never group the digits of a converter code.
TEST(Charts, AxisNumbersUseTheSeparatorOfTheValues) {
    App();
    for (const auto& [language, separator] : {std::pair{QLocale::Russian, ','}, std::pair{QLocale::English, '.'}}) {
        const DefaultLocale locale{QLocale(language)};
        ASSERT_EQ(ui::NumberLocale().decimalPoint(), QString(separator));
        const char other = separator == ',' ? '.' : ',';

        ui::TrendChart trend;
        for (int i = 0; i < 20; ++i) trend.addPoint(i, 1.2 + 0.01 * i);
        trend.flush();
        const QStringList values = AxisNumbers(trend);
        EXPECT_TRUE(values.join(' ').contains(separator)) << ui::FromQ(values.join(' '));
        EXPECT_FALSE(values.join(' ').contains(other)) << ui::FromQ(values.join(' '));

        ui::CalibrationChartView calibration;
        CalibrationChart data;
        data.points = {{1200000, 1.401}, {3250000, 1.408}, {4700000, 1.412}};  // a voltage device
        calibration.setChart(data);
        const QStringList axes = AxisNumbers(calibration);
        EXPECT_TRUE(axes.contains("4000000")) << ui::FromQ(axes.join(' '));
        EXPECT_TRUE(axes.join(' ').contains(separator)) << ui::FromQ(axes.join(' '));
        EXPECT_FALSE(axes.join(' ').contains(other)) << ui::FromQ(axes.join(' '));
    }
}

}  // namespace
}  // namespace quillon::uitest
