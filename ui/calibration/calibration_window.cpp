#include "ui/calibration/calibration_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>

namespace quillon::ui {

TCalibrovkaForm::TCalibrovkaForm(InterruptFlags* flags, QWidget* parent)
    : TCalibrovkaForm(flags, parent, {"Значение :", "Среднее :"}, false) {}

TCalibrovkaForm::TCalibrovkaForm(InterruptFlags* flags, QWidget* parent, Captions main, bool ambientChannel)
    : LiveForm(flags, parent) {
    setObjectName(ambientChannel ? "TCalibrTOkrForm" : "TCalibrovkaForm");
    setWindowTitle("Калибровка");
    const char* const dashes = "----------";
    auto* outer = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
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

TCalibrTOkrForm::TCalibrTOkrForm(InterruptFlags* flags, QWidget* parent)
    : TCalibrovkaForm(flags, parent, {"Код Температуры :", "Среднее значение :"}, true) {}

}  // namespace quillon::ui
