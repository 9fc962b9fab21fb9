#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../ui/clipped_texts.h"
#include "app/app_state.h"
#include "link/platform.h"
#include "link/serial_link.h"
#include "link/settings_store.h"
#include "ui/main_form.h"
#include "ui/poll_statistics_form.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

// The main window as a user meets it on Windows: the system's own window plugin and serial
// backend, a simulated device behind a real COM port, real message boxes. The port is named by
// QUILLON_TEST_COM ("COM12"); the simulator behind it must be started with --preset rev8
// --long-address 260F092964 --hart-speed 3. QUILLON_WINDOW_SHOTS names a folder for pictures of
// every window on the way, taken from the screen, to be looked at by eye.
// scripts/windows-cross-test.sh runs it under Wine and Xvfb. Where Wine differs from Windows:
// - the port is a pseudo-terminal, which takes odd parity only at its first SetCommState and has
//   no modem lines, so the link runs at 38400 baud without parity (speed option 3) and without
//   RTS keying, which the link does without;
// - Wine has none of Windows' fonts: scripts/windows-wine.sh maps the names Windows and Qt ask
//   for to DejaVu Sans and, for Courier New, DejaVu Sans Mono; the texts must fit in these as in
//   Segoe UI, and the check of cut texts judges the fonts used.
namespace quillon::uitest {
namespace {

using ui::FromQ;

QApplication& App() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    static int argc = 1;
    static char name[] = "quillon_com_window_tests";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    QApplication::setApplicationName("Quillon");
    return *app;
}

// Lets the window system draw what was just shown.
void Settle() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

struct Looked {
    std::string window;
    std::vector<std::string> cut;
};

class Looker {
public:
    explicit Looker(QString folder) : folder_(std::move(folder)) {}

    // What the screen shows of `w` (its frame included), and its texts that do not fit.
    void look(QWidget& w, const QString& name) {
        Settle();
        if (!folder_.isEmpty()) {
            // A window with its frame; a window inside the main window (an MDI child) as it stands.
            const QRect area = w.isWindow() ? w.frameGeometry() : QRect(w.mapToGlobal(QPoint(0, 0)), w.size());
            const QPixmap shot = w.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
            const QString file = QDir(folder_).filePath(QString::number(++count_) + "-" + name + ".png");
            if (shot.isNull() || !shot.save(file)) failures.push_back("no picture of " + FromQ(name));
        }
        looked.push_back({FromQ(name), ClippedTexts(w)});
    }

    std::vector<Looked> looked;
    std::vector<std::string> failures;

private:
    QString folder_;
    int count_ = 0;
};

TEST(ComPortWindow, IdentifiesAndPollsThroughTheRealPortWithEveryTextWhole) {
    const char* portName = std::getenv("QUILLON_TEST_COM");
    if (!portName || !*portName) GTEST_SKIP() << "QUILLON_TEST_COM names no port";
    const std::string port = portName;
    App();

    // A settings file of its own that chooses the port, as the link dialog would have saved it.
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const std::string settings = QDir(config.path()).filePath(kSettingsFileName).toStdString();
    {
        std::ofstream out(settings, std::ios::binary);
        out << "[ini_dir_section]\r\nport_name=" << port
            << "\r\nnum_port=1\r\ntype_connect=0\r\nhart_speed=3\r\nshort_addr=0\r\nfirst_byte_wait=2000\r\n";
    }
    const auto ports = MakePlatformPortSystem();
    const auto clock = MakePlatformClock();
    ui::QtUserInterface ui;
    AppState state(ui, *ports, *clock);
    ui::TMainForm form(state, ui, settings, config.path().toStdString());
    form.startUp();
    form.resize(900, 600);
    form.show();
    // The fonts the texts are judged in, for the log.
    std::printf("fonts: %s, fixed-pitch %s\n", qPrintable(QFontInfo(form.font()).family()),
                qPrintable(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family()));
    Looker looker(qEnvironmentVariable("QUILLON_WINDOW_SHOTS"));
    looker.look(form, "main-window");
    EXPECT_EQ(FromQ(form.windowTitle()), "Обслуживание датчиков температуры. Порт " + port + ". Адрес 0");

    std::vector<std::string> dialogs;
    std::string identityLine, box;
    ui.onDialogShown = [&](QDialog& d) {
        dialogs.push_back(FromQ(d.objectName()));
        if (auto* message = qobject_cast<QMessageBox*>(&d)) {
            looker.look(d, "message");
            box = FromQ(message->text().replace(QChar(0xA0), QChar(' ')));  // the address is kept on one line
            QAbstractButton* ok = message->button(QMessageBox::Ok);
            ok ? ok->click() : d.accept();
            return;
        }
        looker.look(d, d.objectName());
        if (auto* label = d.findChild<QLabel*>("Label1")) identityLine = FromQ(label->text());
        d.accept();
    };

    // The poll runs until three answers came back right (or fifteen requests went out); then Stop,
    // a picture, and the window's Exit. Wine's serial layer now and then loses the start of an
    // answer on a pseudo-terminal, more often on a busy machine; the poll counts such a cycle as
    // unanswered, as it would on a noisy line, so the check wants three right answers, not all.
    std::string requests, answers, right;
    bool stopped = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        auto* button = f->findChild<QPushButton*>("BitBtn1");
        auto* sent = f->findChild<QLabel*>("ZaprosovLabel");
        auto* rightSoFar = f->findChild<QLabel*>("RightOtvetovLabel");
        if (!button || !sent || !rightSoFar) return;
        if (!stopped && (rightSoFar->text().toInt() >= 3 || sent->text().toInt() >= 15)) {
            stopped = true;
            button->click();  // Stop
            return;
        }
        if (stopped && FromQ(button->text()) == "Выход") {
            driver.stop();
            requests = FromQ(sent->text());
            answers = FromQ(f->findChild<QLabel*>("OtvetovLabel")->text());
            right = FromQ(rightSoFar->text());
            looker.look(form, "polling");
            looker.look(*f, "statistics");
            button->click();  // Exit
        }
    });
    driver.start();
    form.findChild<QAction*>("Statistika")->trigger();
    QCoreApplication::processEvents();
    driver.stop();

    EXPECT_TRUE(state.identity.identified);
    EXPECT_EQ(state.identity.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x0F, 0x09, 0x29, 0x64}));
    EXPECT_EQ(dialogs, (std::vector<std::string>{"MessageBox", "TLongAddrForm"}));
    EXPECT_EQ(identityLine, "26h 0Fh 09h 29h 64h");
    EXPECT_EQ(box, "Длинный адрес устройства 26h 0Fh 09h 29h 64h");
    ASSERT_FALSE(requests.empty()) << "the poll never came to its Exit";
    EXPECT_GE(std::stoi(right), 3) << requests << " requests, " << answers << " answers";
    EXPECT_LE(std::stoi(right), std::stoi(answers));
    EXPECT_LE(std::stoi(answers), std::stoi(requests));
    EXPECT_FALSE(PortIsOpen(state));
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty());

    // The calibration list and the frame monitor keep their columns in the system's fixed-pitch
    // font, which the windows plugin names (the off-screen one names none).
    EXPECT_TRUE(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).fixedPitch())
        << FromQ(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family());

    EXPECT_EQ(looker.looked.size(), 5u);
    for (const Looked& l : looker.looked)
        for (const std::string& cut : l.cut) ADD_FAILURE() << l.window << ": " << cut;
    for (const std::string& f : looker.failures) ADD_FAILURE() << f;
}

}  // namespace
}  // namespace quillon::uitest
