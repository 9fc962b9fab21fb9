#include "ui/calibration/calibration_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace quillon::ui {

TCalibrovkaForm::TCalibrovkaForm(InterruptFlags* flags, QWidget* parent) : LiveForm(flags, parent) {
    setObjectName("TCalibrovkaForm");
    setWindowTitle("Калибровка");
    const char* const dashes = "----------";
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const QString& caption, const QString& name, const QString& text) {
        auto* c = new QLabel(caption, this);
        c->setObjectName(name + "Caption");
        auto* v = new QLabel(text, this);
        v->setObjectName(name);
        v->setMinimumWidth(v->fontMetrics().horizontalAdvance("-00000000000000  "));
        grid->addWidget(c, row, 0);
        grid->addWidget(v, row, 1);
        ++row;
        return v;
    };
    QLabel* value = add("Значение :", "ValueLabel", dashes);
    QFont big = value->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    value->setFont(big);
    add("Среднее :", "MediaLabel", dashes);
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
}

}  // namespace quillon::ui
