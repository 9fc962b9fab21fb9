#include "ui/frontend/adc_settings_forms.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

namespace {


QSpinBox* SpinEdit(QWidget* parent, int minimum, int maximum) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName("CSpinEdit1");
    spin->setRange(minimum, maximum);
    return spin;
}

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* NamedEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

TVelkorADForm::TVelkorADForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TVelkorADForm");
    auto* layout = new QVBoxLayout(this);
    gain_ = new RadioGroup("CoefUsilRadioGroup", "Коэффициент усиления :", 1, this);
    gain_->setItems({"1", "2", "32", "128"});
    layout->addWidget(gain_);
    auto* pointsBox = new QGroupBox("Точек усреднения (1-9) :", this);
    pointsBox->setObjectName("GroupBox1");
    auto* pointsLayout = new QVBoxLayout(pointsBox);
    points_ = SpinEdit(pointsBox, 1, 9);
    pointsLayout->addWidget(points_);
    layout->addWidget(pointsBox);
    AddOkCancel(this, layout);
}

void TVelkorADForm::load(const VelkorAdcDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    gain_->setItemIndex(dialog.gainIndex);
    points_->setValue(dialog.averagingPoints);
}

void TVelkorADForm::store(VelkorAdcDialog& dialog) const {
    dialog.gainIndex = gain_->itemIndex();
    points_->interpretText();
    dialog.averagingPoints = points_->value();
}

TUnitsMeasureForm::TUnitsMeasureForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TUnitsMeasureForm");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(NamedLabel("Label1", "Единица измерения датчика (0-255) :", this));
    code_ = SpinEdit(this, 0, 255);
    // Room for a three-digit code and the arrows at any scale.
    code_->setMinimumWidth(code_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40);
    top->addWidget(code_);
    layout->addLayout(top);
    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setStyleSheet("QPlainTextEdit { background-color: #d4d0c8; }");
    QStringList lines;
    for (const char* line : kCommonUnitCodeLines) lines << QString::fromUtf8(line);
    memo->setPlainText(lines.join('\n'));
    // The whole list at a glance: every line, none cut, no scrolling.
    const QFontMetrics metrics = memo->fontMetrics();
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (memo->frameWidth() + static_cast<int>(std::ceil(memo->document()->documentMargin())));
    memo->setMinimumSize(widest + margins + metrics.averageCharWidth() * 2,
                         metrics.lineSpacing() * static_cast<int>(lines.size()) + margins + metrics.lineSpacing() / 2);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memo);
    AddOkCancel(this, layout);
}

void TUnitsMeasureForm::load(const UnitsMeasureDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    code_->setValue(dialog.unitCode);
}

void TUnitsMeasureForm::store(UnitsMeasureDialog& dialog) const {
    code_->interpretText();
    dialog.unitCode = code_->value();
}

TIValueForm::TIValueForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TIValueForm");
    auto* layout = new QVBoxLayout(this);
    use_ = new QCheckBox("Использовать преобразование", this);
    use_->setObjectName("UsePreobrCheckBox");
    layout->addWidget(use_);
    auto* grid = new QGridLayout;
    current1_ = NamedEdit("I0Edit", this);
    value1_ = NamedEdit("Value0Edit", this);
    current2_ = NamedEdit("I1Edit", this);
    value2_ = NamedEdit("Value1Edit", this);
    unit1_ = NamedLabel("Unit1Label", "", this);
    unit2_ = NamedLabel("Unit2Label", "", this);
    grid->addWidget(NamedLabel("Label1", "Значение тока в точке 1, мА (4-20):", this), 0, 0);
    grid->addWidget(current1_, 0, 1);
    grid->addWidget(NamedLabel("Label2", "Значение в точке 1 :", this), 1, 0);
    grid->addWidget(value1_, 1, 1);
    grid->addWidget(unit1_, 1, 2);
    grid->addWidget(NamedLabel("Label3", "Значение тока в точке 2, мА (4-20):", this), 2, 0);
    grid->addWidget(current2_, 2, 1);
    grid->addWidget(NamedLabel("Label4", "Значение в точке 2 :", this), 3, 0);
    grid->addWidget(value2_, 3, 1);
    grid->addWidget(unit2_, 3, 2);
    unit1_->hide();
    unit2_->hide();
    layout->addLayout(grid);
    AddOkCancel(this, layout);
}

void TIValueForm::load(const CurrentToValueDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    use_->setChecked(dialog.useConversion);
    current1_->setText(ToQ(dialog.current1));
    value1_->setText(ToQ(dialog.value1));
    current2_->setText(ToQ(dialog.current2));
    value2_->setText(ToQ(dialog.value2));
    for (QLabel* unit : {unit1_, unit2_}) {
        unit->setText(ToQ(dialog.unitText));
        unit->setVisible(dialog.unitLabelsVisible);
    }
}

void TIValueForm::store(CurrentToValueDialog& dialog) const {
    dialog.useConversion = use_->isChecked();
    dialog.current1 = FromQ(current1_->text());
    dialog.value1 = FromQ(value1_->text());
    dialog.current2 = FromQ(current2_->text());
    dialog.value2 = FromQ(value2_->text());
}

}  // namespace quillon::ui
