#include "ui/frontend/select_pwm_doings_form.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TSelectPWMDoingsForm::TSelectPWMDoingsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TSelectPWMDoingsForm");
    auto* layout = new QVBoxLayout(this);
    const struct {
        const char* name;
        const char* text;
        PwmMenuChoice choice;
    } buttons[] = {
        {"EditCalibrBtn", "Редактировать калибровку", PwmMenuChoice::EditCalibration},
        {"CalibrBtn", "Калибровать", PwmMenuChoice::Calibrate},
        {"DacSettingsBtn", "Настройки ЦАП (ШИМ)", PwmMenuChoice::OutputRange},
        {"FixTokBtn", "Фиксировать ток", PwmMenuChoice::FixOutput},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.text, this);
        button->setObjectName(b.name);
        const PwmMenuChoice choice = b.choice;
        connect(button, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
        layout->addWidget(button);
    }
    auto* row = new QHBoxLayout;
    AddDialogButton(this, row, "CancelBitBtn", StandardButtonText("Cancel"), false);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TSelectPWMDoingsForm::load(const PwmMenuDialog& d) {
    setWindowTitle(ToQ(d.caption));
    choice_ = d.choice;
}

void TSelectPWMDoingsForm::store(PwmMenuDialog& d) const { d.choice = choice_; }

}  // namespace quillon::ui
