#include <QApplication>
#include <QLocale>

#include "app/app_state.h"
#include "link/platform.h"
#include "link/settings_store.h"
#include "ui/main_form.h"
#include "ui/qt_text.h"
#include "ui/qt_translations.h"
#include "ui/qt_user_interface.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillon");
    QApplication::setApplicationVersion("1.38");
    // Standard buttons and file dialogs in the user's language.
    quillon::ui::InstallQtTranslations();

    const auto ports = quillon::MakePlatformPortSystem();
    const auto clock = quillon::MakePlatformClock();
    quillon::ui::QtUserInterface ui;
    quillon::AppState state(ui, *ports, *clock);

    // Typed numbers use the user's own decimal separator.
    const QString point = QLocale().decimalPoint();
    state.decimalSeparator =
        point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : '.';

    quillon::ui::TMainForm form(state, ui, quillon::SettingsFilePath(),
                                quillon::ui::FromQ(QCoreApplication::applicationDirPath()));
    form.startUp();
    form.show();
    return app.exec();
}
