#include "ui/number_locale.h"

namespace quillon::ui {

QLocale NumberLocale() {
    QLocale locale;
    const QString point = locale.decimalPoint();
    if (point.size() != 1 || point[0].unicode() >= 0x80) locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

}  // namespace quillon::ui
