#include "ui/qt_translations.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "device/dialogs.h"
#include "ui/qt_text.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

std::string Caption(const QAbstractButton* b) { return b ? FromQ(b->text().remove('&')) : "(no button)"; }

// The desktop's language for one test; English again afterwards, for the others.
class RussianDesktop {
public:
    RussianDesktop() : previous_(QLocale()) {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        translator_ = ui::InstallQtTranslations();
    }
    ~RussianDesktop() {
        if (translator_) {
            QCoreApplication::removeTranslator(translator_);
            delete translator_;
        }
        QLocale::setDefault(previous_);
    }
    RussianDesktop(const RussianDesktop&) = delete;
    RussianDesktop& operator=(const RussianDesktop&) = delete;
    QTranslator* translator() const { return translator_; }

private:
    QLocale previous_;
    QTranslator* translator_ = nullptr;
};

TEST(Translations, RussianDesktopReadsRussianStandardButtons) {
    UiBench b;
    b.ui.answerMessage = nullptr;  // the real box
    const RussianDesktop desktop;
    ASSERT_NE(desktop.translator(), nullptr) << "Qt's Russian translations are not installed";
    b.start();

    std::string yes, no, cancel;
    b.ui.onDialogShown = [&](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        yes = Caption(box->button(QMessageBox::Yes));
        no = Caption(box->button(QMessageBox::No));
        cancel = Caption(box->button(QMessageBox::Cancel));
        box->button(QMessageBox::No)->click();
    };
    EXPECT_EQ(b.ui.message(MessageIcon::Confirmation, "Повторить попытку?", MessageButtons::YesNoCancel),
              MessageAnswer::No);
    EXPECT_EQ(yes, "Да");
    EXPECT_EQ(no, "Нет");
    EXPECT_EQ(cancel, "Отмена");

    // The tool's own OK/Cancel rows: the caption the tool names stays, the standard one follows the desktop.
    ShortAddressDialog address;
    std::string ok, formCancel;
    b.ui.onDialogShown = [&](QDialog& d) {
        ok = Caption(Child<QAbstractButton>(&d, "OkBitBtn"));
        formCancel = Caption(Child<QAbstractButton>(&d, "CancelBitBtn"));
        d.reject();
    };
    EXPECT_FALSE(b.ui.show(address));
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(formCancel, "Отмена");
}

}  // namespace
}  // namespace quillon::uitest
