#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/version.h"
#include "link/platform.h"
#include "link/settings_store.h"
#include "ui/first_dialog_folder.h"
#include "ui/main_form.h"
#include "ui/number_locale.h"
#include "ui/qt_text.h"
#include "ui/qt_translations.h"
#include "ui/qt_user_interface.h"

namespace {

// Also the source of the manual page, which help2man builds from this text.
constexpr const char* kUsage =
    "Usage: quillon [options]\n"
    "Service tool for HART field devices: identifies a transmitter, polls its values,\n"
    "changes its addresses and settings and works with its calibration, over a HART\n"
    "modem or through a flow computer that tunnels HART.\n"
    "\n"
    "Options:\n"
    "  --self-test    open the main window, let it settle and quit (exit status 0)\n"
    "  --version      print the version and exit\n"
    "  --help         print this help and exit\n"
    "\n"
    "Qt's own options (for example -platform offscreen) are accepted as well.\n"
    "The link settings are kept in $XDG_CONFIG_HOME/Quillon.ini (~/.config/Quillon.ini).\n";

bool HasArgument(int argc, char* argv[], const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before the toolkit starts, so that they work without a display.
    if (HasArgument(argc, argv, "--version")) {
        std::printf("quillon %s\n", quillon::kVersion);
        return 0;
    }
    if (HasArgument(argc, argv, "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool selfTest = HasArgument(argc, argv, "--self-test");

    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillon");
    QApplication::setApplicationVersion(quillon::kVersion);
    // Standard buttons and file dialogs in the user's language.
    quillon::ui::InstallQtTranslations();

    const auto ports = quillon::MakePlatformPortSystem();
    const auto clock = quillon::MakePlatformClock();
    quillon::ui::QtUserInterface ui;
    quillon::AppState state(ui, *ports, *clock);

    // Typed numbers use the user's own decimal separator.
    state.decimalSeparator = static_cast<char>(quillon::ui::NumberLocale().decimalPoint().at(0).unicode());

    const QString firstFolder =
        quillon::ui::FirstDialogFolder(QCoreApplication::applicationDirPath(), QDir::homePath());
    quillon::ui::TMainForm form(state, ui, quillon::SettingsFilePath(), quillon::ui::FromQ(firstFolder));
    if (selfTest) {
        // Leaves without closing the window, so that the settings file is only read.
        // A box raised by the start-up (a stored port that is gone) would wait for
        // a user; the guard ends the run as a failure instead.
        QTimer::singleShot(10000, &app, [] {
            std::fputs("quillon: self-test: the main window did not settle\n", stderr);
            QCoreApplication::exit(1);
        });
        QTimer::singleShot(0, &form, [&form] {
            QCoreApplication::processEvents();
            if (!form.isVisible()) {
                std::fputs("quillon: self-test: the main window is not shown\n", stderr);
                QCoreApplication::exit(1);
                return;
            }
            std::printf("quillon: self-test: main window \"%s\" shown\n", qPrintable(form.windowTitle()));
            QCoreApplication::exit(0);
        });
    }
    form.startUp();
    form.show();
    return app.exec();
}
