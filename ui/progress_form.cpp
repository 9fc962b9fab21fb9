#include "ui/progress_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "link/texts.h"
#include "ui/title_room.h"

namespace quillon::ui {

TNowOprosForm::TNowOprosForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("TNowOprosForm");
    setWindowTitle(QString::fromUtf8(texts::kProgressCaption));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(QString::fromUtf8(texts::kProgressInitialText), this);
    label_->setObjectName("Label1");
    label_->setAlignment(Qt::AlignCenter);
    label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QString(44, QChar('0'))));
    layout->addWidget(label_);
    MakeRoomForTitle(*this);
    setFixedSize(sizeHint());
}

void TNowOprosForm::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (parentWidget() && parentWidget()->screen()) screen = parentWidget()->screen();
    if (!screen) return;
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
}

void TNowOprosForm::showWithText(const QString& text) {
    label_->setText(text);
    centreOnScreen();
    show();
    raise();
    repaint();
}

void TNowOprosForm::setText(const QString& text) {
    label_->setText(text);
    // The request that follows blocks the event loop; paint now so the user sees the attempt.
    repaint();
    activateWindow();
    setFocus();
}

QString TNowOprosForm::text() const { return label_->text(); }

void TNowOprosForm::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace quillon::ui
