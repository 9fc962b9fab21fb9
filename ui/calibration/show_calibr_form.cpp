#include "ui/calibration/show_calibr_form.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/calibration/calibration_chart.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TShowCalibrForm::TShowCalibrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TShowCalibrForm");
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    // The lines are built in fixed columns; only a fixed-pitch font keeps them columns.
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(72, QLatin1Char('0'))));
    list_->setMinimumHeight(280);
    body->addWidget(list_, 3);
    chart_ = new CalibrationChartView(this);
    body->addWidget(chart_, 2);
    layout->addLayout(body);

    enabled_ = new QCheckBox("Калибровка разрешена", this);
    enabled_->setObjectName("EnabledCheckBox");
    layout->addWidget(enabled_);

    auto* row = new QHBoxLayout;
    const auto add = [&](const char* name, const char* text, int result) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, result] { finish(result); });
        row->addWidget(b);
        return b;
    };
    add("ExitBitBtn", "Выход", kViewExit);
    save_ = add("SaveBitBtn", "Записать в файл", kViewSave);
    send_ = add("SendBitBtn", "Переслать в датчик", kViewSend);
    add("EditBitBtn", "Редактировать точку", kViewEdit);
    layout->addLayout(row);
}

void TShowCalibrForm::finish(int result) {
    result_ = result;
    accept();
}

void TShowCalibrForm::load(const ShowCalibrationDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    list_->clear();
    for (const std::string& line : dialog.lines) list_->addItem(ToQ(line));
    if (dialog.selected >= 0 && dialog.selected < list_->count()) list_->setCurrentRow(dialog.selected);
    save_->setEnabled(dialog.saveEnabled);
    send_->setEnabled(dialog.sendEnabled);
    enabled_->setVisible(dialog.enabledBoxVisible);
    enabled_->setEnabled(dialog.enabledBoxEnabled);
    enabled_->setChecked(dialog.enabledBoxChecked);
    chart_->setChart(dialog.chart);
}

void TShowCalibrForm::store(ShowCalibrationDialog& dialog) const {
    dialog.result = result_;
    dialog.selected = list_->currentRow();
    dialog.enabledBoxChecked = enabled_->isChecked();
}

}  // namespace quillon::ui
