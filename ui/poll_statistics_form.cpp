#include "ui/poll_statistics_form.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "ui/trend_chart.h"

namespace quillon::ui {

namespace {
constexpr int kLeft = 8;
constexpr int kValueX = 124;
constexpr int kRow = 22;
constexpr int kChartX = 430;
constexpr int kMemoHeight = 72;
const char* const kDashes = "----------";
}  // namespace

QLabel* TStatistikaForm::addLabel(const QString& name, const QString& text, int x, int y) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->move(x, y);
    l->adjustSize();
    return l;
}

TStatistikaForm::TStatistikaForm(InterruptFlags* flags, QWidget* parent) : LiveForm(flags, parent) {
    setObjectName("TStatistikaForm");
    setWindowTitle("Статистика.  F4 - Reset, Enter - Stop");

    int y = kLeft;
    auto row = [&](const char* caption, const char* name, const QString& text) {
        addLabel(QString(name) + "Caption", caption, kLeft, y);
        QLabel* l = addLabel(name, text, kValueX, y);
        y += kRow;
        return l;
    };
    row("Запросов :", "ZaprosovLabel", "0");
    row("Ответов :", "OtvetovLabel", "0");
    row("Правильных :", "RightOtvetovLabel", "0");
    y += 6;
    addLabel("ValueCaption", "Значение :", kLeft, y + 6);
    value_ = addLabel("ValueLabel", kDashes, kValueX, y);
    QFont big = value_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    value_->setFont(big);
    value_->adjustSize();
    unit_ = addLabel("UnitLabel", "", 0, y + 6);
    placeUnit();
    y += 36;
    row("Среднее :", "MediaLabel", kDashes);
    row("Минимум :", "MinValLabel", kDashes);
    row("Максимум :", "MaxValLabel", kDashes);
    QLabel* status = row("Состояние :", "StatusLabel", kDashes);
    // Several status texts can follow each other; wrap them rather than run under the trend.
    status->setWordWrap(true);
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status->setGeometry(kValueX, status->y(), kChartX - kValueX - 2 * kLeft, 2 * kRow);
    y += kRow;
    QLabel* period = addLabel("PeriodLabel", "", kLeft, y);
    period->hide();
    y += kRow;
    for (const char* name : {"Val2Label", "Val3Label", "Val4Label"}) {
        addLabel(name, "", kLeft, y)->hide();
        y += kRow;
    }
    y += 6;
    button_ = new QPushButton("Stop", this);
    button_->setObjectName("BitBtn1");
    button_->setGeometry(kLeft, y, 100, 28);
    connect(button_, &QPushButton::clicked, this, &LiveForm::buttonClicked);
    // Shown while the device holds a fixed output, so that no one takes the
    // polled loop current for a live one.
    auto* fixed = new QLabel(this);
    fixed->setObjectName("FixedOutputLabel");
    fixed->setStyleSheet("QLabel { background: #c62828; color: white; font-weight: bold; padding: 2px; }");
    fixed->setGeometry(kLeft + 110, y, kChartX - kLeft - 120, 28);
    fixed->hide();
    y += 36;

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("TxtMemo");
    memo_->setReadOnly(true);
    memo_->setGeometry(kLeft, y, 880, kMemoHeight);
    memo_->hide();

    trend_ = new TrendChart(this);
    trend_->setGeometry(kChartX, kLeft, 458, y - 2 * kLeft);
    resize(kChartX + 466, y + kMemoHeight + kLeft);
}

void TStatistikaForm::placeUnit() {
    // The unit follows the value at a fixed gap, however wide the value is.
    unit_->move(value_->geometry().right() + 1 + 10, value_->y() + (value_->height() - unit_->height()) / 2);
}

bool TStatistikaForm::setComponentText(const QString& name, const QString& text) {
    if (!LiveForm::setComponentText(name, text)) return false;
    if (name == "ValueLabel" || name == "UnitLabel") placeUnit();
    return true;
}

void TStatistikaForm::addTrendPoint(double seconds, double value) { trend_->addPoint(seconds, value); }

void TStatistikaForm::clearTrend() { trend_->clear(); }

void TStatistikaForm::resizeEvent(QResizeEvent* event) {
    LiveForm::resizeEvent(event);
    const int w = event->size().width();
    const int h = event->size().height();
    memo_->setGeometry(kLeft, h - kMemoHeight - kLeft, std::max(100, w - 2 * kLeft), kMemoHeight);
    trend_->setGeometry(kChartX, kLeft, std::max(100, w - kChartX - kLeft), std::max(100, memo_->y() - 2 * kLeft));
}

}  // namespace quillon::ui
