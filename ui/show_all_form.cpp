#include "ui/show_all_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace quillon::ui {

TShowAllForm::TShowAllForm(InterruptFlags* flags, QWidget* parent) : LiveForm(flags, parent) {
    setObjectName("TShowAllForm");
    setWindowTitle("Текущие значения");
    setToolTip("F4 - Reset, Enter - Stop");
    const char* const dashes = "----------";
    const char* const titles[4] = {
        "Посчитанное значение 1 :", "Посчитанное значение 2 :", "Код АЦП 1 :", "Код АЦП 2 :"};

    auto* layout = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        auto* box = new QGroupBox(titles[i], this);
        box->setObjectName("GroupBox" + n);
        auto* grid = new QGridLayout(box);
        auto add = [&](int row, const QString& caption, const QString& name, const QString& text) {
            auto* c = new QLabel(caption, box);
            c->setObjectName(name + "Caption");
            auto* v = new QLabel(text, box);
            v->setObjectName(name);
            v->setMinimumWidth(v->fontMetrics().horizontalAdvance("-0000000.0000  "));
            grid->addWidget(c, row, 0);
            grid->addWidget(v, row, 1);
            return v;
        };
        QLabel* value = add(0, "Значение :", "Value" + n + "Label", dashes);
        QFont big = value->font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.3);
        value->setFont(big);
        add(1, "Среднее :", "Average" + n + "Label", dashes);
        add(2, "Правильных :", "Correct" + n + "Label", "0");
        layout->addWidget(box, i / 2, i % 2);
    }
    auto* counts = new QGridLayout;
    auto addCount = [&](int column, const QString& caption, const QString& name) {
        auto* c = new QLabel(caption, this);
        c->setObjectName(name + "Caption");
        auto* v = new QLabel("0", this);
        v->setObjectName(name);
        counts->addWidget(c, 0, column);
        counts->addWidget(v, 0, column + 1);
    };
    addCount(0, "Запросов :", "RequestsLabel");
    addCount(2, "Ответов :", "AnswersLabel");
    counts->setColumnStretch(4, 1);
    layout->addLayout(counts, 2, 0, 1, 2);
    auto* stop = new QPushButton("Stop", this);
    stop->setObjectName("BitBtn1");
    connect(stop, &QPushButton::clicked, this, &LiveForm::buttonClicked);
    layout->addWidget(stop, 3, 0, 1, 2, Qt::AlignHCenter);
}

}  // namespace quillon::ui
