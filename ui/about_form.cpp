#include "ui/about_form.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/version.h"
#include "ui/dialog_buttons.h"

namespace quillon::ui {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TAboutForm");
    setWindowTitle("О программе");
    auto* layout = new QVBoxLayout(this);
    auto addLabel = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
        return l;
    };
    auto* product = addLabel("ProductName", "Quillon");
    QFont big = product->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    product->setFont(big);
    addLabel("Version", QString("Версия: ") + quillon::kVersion);
    addLabel("Comments", "Сервисная программа для HART-датчиков температуры");
    addLabel("Copyright", "Разработка и сопровождение: команда Quillon, 2026");
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddDialogButton(this, row, "OKButton", "OK", true);
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace quillon::ui
