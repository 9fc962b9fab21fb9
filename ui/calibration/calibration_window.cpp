#include "ui/calibration/calibration_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/trend_chart.h"

namespace quillon::ui {

TCalibrovkaForm::TCalibrovkaForm(InterruptFlags* flags, QWidget* parent)
    : TCalibrovkaForm(flags, parent, {"Значение :", "Среднее :"}, false) {}

TCalibrovkaForm::TCalibrovkaForm(InterruptFlags* flags, QWidget* parent, Captions main, bool ambientChannel)
    : LiveForm(flags, parent) {
    setObjectName(ambientChannel ? "TCalibrTOkrForm" : "TCalibrovkaForm");
    setWindowTitle("Калибровка");
    const char* const dashes = "----------";
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* grid = new QGridLayout;
    left->addLayout(grid);
    outer->addLayout(left);
    int row = 0;
    auto addTo = [&](QWidget* owner, QGridLayout* to, int& at, const QString& caption, const QString& name,
                     const QString& text) {
        auto* c = new QLabel(caption, owner);
        c->setObjectName(name + "Caption");
        auto* v = new QLabel(text, owner);
        v->setObjectName(name);
        v->setMinimumWidth(v->fontMetrics().horizontalAdvance("-00000000000000  "));
        to->addWidget(c, at, 0);
        to->addWidget(v, at, 1);
        ++at;
        return v;
    };
    auto add = [&](const QString& caption, const QString& name, const QString& text) {
        return addTo(this, grid, row, caption, name, text);
    };
    QLabel* value = add(main.value, "ValueLabel", dashes);
    QFont big = value->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    value->setFont(big);
    add(main.mean, "MediaLabel", dashes);
    if (ambientChannel) {
        add("Код Токр.среды :", "OkrValueLabel", dashes)->setFont(big);
        add("Среднее значение :", "OkrMediaLabel", dashes);
    }
    add("Запросов :", "ZaprosovLabel", "0");
    add("Ответов :", "OtvetovLabel", "0");
    add("Правильных :", "RightOtvetovLabel", "0");
    auto* hint = new QLabel("F4 - Reset, Enter - Stop", this);
    hint->setObjectName("HintLabel");
    grid->addWidget(hint, row++, 0, 1, 2);
    auto* stop = new QPushButton("Останов", this);
    stop->setObjectName("StopBitBtn");
    connect(stop, &QPushButton::clicked, this, &LiveForm::buttonClicked);
    grid->addWidget(stop, row, 0, 1, 2, Qt::AlignHCenter);
    // How settled the main reading is since the last reset; shown by the
    // loops that feed it (a calibration point), hidden for the others.
    auto* settling = new QWidget(this);
    settling->setObjectName("SettlingPanel");
    auto* settlingGrid = new QGridLayout(settling);
    settlingGrid->setContentsMargins(0, 0, 0, 0);
    int settlingRow = 0;
    addTo(settling, settlingGrid, settlingRow, "СКО :", "DeviationLabel", dashes);
    addTo(settling, settlingGrid, settlingRow, "Усреднено :", "SamplesLabel", "0");
    trend_ = new TrendChart(settling);
    trend_->setObjectName("TrendChart");
    trend_->setMinimumSize(300, 150);
    settlingGrid->addWidget(trend_, settlingRow, 0, 1, 2);
    settling->hide();
    left->addWidget(settling);

    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    // The lines are laid out in columns of characters.
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    list_->setFont(fixed);
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('0'))));
    list_->hide();
    outer->addWidget(list_);
}

bool TCalibrovkaForm::setComponentVisible(const QString& name, bool visible) {
    if (name != QLatin1String("ListBox1") || !visible || !list_->isHidden())
        return LiveForm::setComponentVisible(name, visible);
    const int extra = list_->minimumWidth() + (layout() ? layout()->spacing() : 0);
    list_->show();
    resize(width() + extra, height());
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->resize(sub->width() + extra, sub->height());
    return true;
}

void TCalibrovkaForm::addTrendPoint(double seconds, double value) { trend_->addPoint(seconds, value); }

void TCalibrovkaForm::clearTrend() { trend_->clear(); }

TCalibrTOkrForm::TCalibrTOkrForm(InterruptFlags* flags, QWidget* parent)
    : TCalibrovkaForm(flags, parent, {"Код Температуры :", "Среднее значение :"}, true) {}

}  // namespace quillon::ui
