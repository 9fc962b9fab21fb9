#include "ui/chart_axis.h"

#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace quillon::ui {

void FitAxisToRoundTicks(QValueAxis* axis, double low, double high, int maxTicks) {
    maxTicks = std::max(maxTicks, 2);
    if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) low = 0, high = 1;
    if (high == low) {
        const double span = std::max(1.0, std::fabs(low) * 0.05);
        low -= span;
        high += span;
    }
    const double rough = (high - low) / (maxTicks - 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10.0 * power;
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= rough * (1 - 1e-9)) {
            step = m * power;
            break;
        }
    }
    double first = std::floor(low / step) * step;
    double last = std::ceil(high / step) * step;
    // Rounding outwards can add a tick at each end; a wider step then keeps the count.
    if (std::lround((last - first) / step) + 1 > maxTicks) {
        step *= 2;
        first = std::floor(low / step) * step;
        last = std::ceil(high / step) * step;
    }
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(first, last);
    axis->setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
    const int decimals = std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 9);
    axis->setLabelFormat(QString("%.%1f").arg(decimals));
}

}  // namespace quillon::ui
