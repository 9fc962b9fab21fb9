#include "ui/frontend/pwm_forms.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TPWMForm::TPWMForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPWMForm");
    auto* layout = new QVBoxLayout(this);
    label_ = AddCaption(this, layout, "SkvagnLabel");
    duty_ = AddEdit(this, layout, "SkvagnEdit");
    AddOkCancel(this, layout);
}

void TPWMForm::load(const PwmDutyDialog& d) {
    setWindowTitle(ToQ(d.caption));
    label_->setText(ToQ(d.label));
    duty_->setText(ToQ(d.duty));
}

void TPWMForm::store(PwmDutyDialog& d) const { d.duty = FromQ(duty_->text()); }

TPWMPointForm::TPWMPointForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPWMPointForm");
    auto* layout = new QVBoxLayout(this);
    AddCaption(this, layout, "SkvagnLabel", "Скважность :");
    duty_ = AddEdit(this, layout, "SkvagnEdit");
    duty_->setEnabled(false);
    AddCaption(this, layout, "ADLabel", "Код АЦП :");
    code_ = AddEdit(this, layout, "ADEdit");
    outputLabel_ = AddCaption(this, layout, "TokLabel");
    output_ = AddEdit(this, layout, "TokEdit");
    AddOkCancel(this, layout);
}

void TPWMPointForm::load(const PwmPointDialog& d) {
    setWindowTitle(ToQ(d.caption));
    duty_->setText(ToQ(d.duty));
    code_->setText(ToQ(d.code));
    outputLabel_->setText(ToQ(d.outputLabel));
    output_->setText(ToQ(d.output));
}

void TPWMPointForm::store(PwmPointDialog& d) const {
    d.code = FromQ(code_->text());
    d.output = FromQ(output_->text());
}

TShowPWMCalibrForm::TShowPWMCalibrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TShowPWMCalibrForm");
    auto* layout = new QVBoxLayout(this);
    auto* points = new QHBoxLayout;
    auto addPoint = [&](const QString& n, QLineEdit*& duty, QLineEdit*& code, QLineEdit*& output, QLabel*& label) {
        auto* box = new QGroupBox("Точка " + n + " :", this);
        box->setObjectName("Point" + n + "GroupBox");
        auto* column = new QVBoxLayout(box);
        AddCaption(box, column, "Skvagn" + n + "Label", "Скважность :");
        duty = AddEdit(box, column, "Skvagn" + n + "Edit");
        AddCaption(box, column, "AD" + n + "CodeLabel", "Код АЦП :");
        code = AddEdit(box, column, "AD" + n + "CodeEdit");
        label = AddCaption(box, column, "Tok" + n + "Label", "Ток, мА :");
        output = AddEdit(box, column, "Tok" + n + "Edit");
        points->addWidget(box);
    };
    addPoint("1", duty1_, code1_, output1_, output1Label_);
    addPoint("2", duty2_, code2_, output2_, output2Label_);
    layout->addLayout(points);
    feedbackBox_ = new QGroupBox("Коэффициент обратной связи (0-1) :", this);
    feedbackBox_->setObjectName("FeedbackCoefGroupBox");
    auto* fb = new QVBoxLayout(feedbackBox_);
    feedback_ = AddEdit(feedbackBox_, fb, "FeedbackEdit");
    feedbackBox_->hide();
    layout->addWidget(feedbackBox_);
    AddOkCancel(this, layout);
}

void TShowPWMCalibrForm::load(const PwmCalibrationDialog& d) {
    setWindowTitle(ToQ(d.caption));
    duty1_->setText(ToQ(d.duty1));
    code1_->setText(ToQ(d.code1));
    output1_->setText(ToQ(d.output1));
    duty2_->setText(ToQ(d.duty2));
    code2_->setText(ToQ(d.code2));
    output2_->setText(ToQ(d.output2));
    output1Label_->setText(ToQ(d.output1Label));
    output2Label_->setText(ToQ(d.output2Label));
    feedback_->setText(ToQ(d.feedback));
    feedbackBox_->setVisible(d.feedbackVisible);
}

void TShowPWMCalibrForm::store(PwmCalibrationDialog& d) const {
    d.duty1 = FromQ(duty1_->text());
    d.code1 = FromQ(code1_->text());
    d.output1 = FromQ(output1_->text());
    d.duty2 = FromQ(duty2_->text());
    d.code2 = FromQ(code2_->text());
    d.output2 = FromQ(output2_->text());
    d.feedback = FromQ(feedback_->text());
}

}  // namespace quillon::ui
