#include "ui/calibration/get_type_calibr_form.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TGetTypeCalibrForm::TGetTypeCalibrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetTypeCalibrForm");
    auto* layout = new QVBoxLayout(this);
    const struct {
        const char* name;
        const char* text;
        int choice;
    } choices[] = {
        {"NewCalibrBitBtn", "Начать новую калибровку", CalibrationTypeDialog::kNew},
        {"ReadDeviceBitBtn", "Вычитать из датчика", CalibrationTypeDialog::kRead},
        {"ReadFileBitBtn", "Прочитать из файла", CalibrationTypeDialog::kFromFile},
    };
    for (const auto& c : choices) {
        auto* b = new QPushButton(c.text, this);
        b->setObjectName(c.name);
        const int choice = c.choice;
        connect(b, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
        layout->addWidget(b);
    }
    auto* row = new QHBoxLayout;
    AddDialogButton(this, row, "CancelBitBtn", StandardButtonText("Cancel"), false);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TGetTypeCalibrForm::load(const CalibrationTypeDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    choice_ = dialog.choice;
}

void TGetTypeCalibrForm::store(CalibrationTypeDialog& dialog) const { dialog.choice = choice_; }

}  // namespace quillon::ui
