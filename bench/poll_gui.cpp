// The request-3 poll as the user runs it: the real main window (off-screen),
// its statistics window with the live trend chart, the real serial backend
// and quillon-devsim on a pseudo-terminal at 19200 baud without parity (HART
// speed option 2, with its 60 ms pause). Reports polls per second against
// what the line allows, the tool's CPU share and its resident memory, so that
// the cost of the window and the chart can be compared with bench_poll_throughput.
//
//   bench_poll_gui [seconds]   (default 30)

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/gui_rig.h"
#include "bench/support/process_usage.h"
#include "link/key_hook.h"
#include "link/line_settings.h"
#include "link/serial_link.h"
#include "ui/main_form.h"
#include "ui/qt_user_interface.h"
#include "ui/poll_statistics_form.h"
#include "device/menu_items.h"

namespace {

using namespace quillon;
using bench::CpuSeconds;
using bench::ResidentKilobytes;
using WallClock = std::chrono::steady_clock;

constexpr int kTurnaroundMs = 20;
constexpr int kAnswerPreambles = 5;
constexpr int kPauseMs = 60;
constexpr int kRequestBytes = 9 + 9;
constexpr int kAnswerBytes = kAnswerPreambles + 9 + 16;  // command 3 of the rev6 preset
constexpr double kRssProbeSeconds = 5.0;

long LabelNumber(QWidget* form, const char* name) {
    auto* label = form->findChild<QLabel*>(name);
    return label ? label->text().toLong() : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::DevsimChild sim({"--preset", "rev6", "--baud", "19200", "--parity", "none", "--turnaround-ms",
                            std::to_string(kTurnaroundMs), "--preambles", std::to_string(kAnswerPreambles)});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return 1;
    }

    bench::GuiRig rig(sim.portPath(), false);
    AppState& s = rig.s;
    ui::TMainForm& form = *rig.window;

    // Watches the statistics window: starts the measurement when it appears,
    // presses Esc when the time is up, and "Выход" once the poll has ended.
    WallClock::time_point start, end;
    double cpuStart = 0, cpuEnd = 0;
    long answersStart = -1, answersEnd = 0, rssEarly = -1, rssEnd = -1;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        if (answersStart < 0) {
            answersStart = LabelNumber(f, "OtvetovLabel");
            start = WallClock::now();
            cpuStart = CpuSeconds();
            return;
        }
        auto* button = f->findChild<QPushButton*>("BitBtn1");
        if (button && button->text() == QString::fromUtf8("Выход")) {
            button->click();
            return;
        }
        const double elapsed = std::chrono::duration<double>(WallClock::now() - start).count();
        if (rssEarly < 0 && elapsed >= kRssProbeSeconds) rssEarly = ResidentKilobytes();
        if (elapsed >= seconds && answersEnd == 0) {
            answersEnd = LabelNumber(f, "OtvetovLabel");
            end = WallClock::now();
            cpuEnd = CpuSeconds();
            rssEnd = ResidentKilobytes();
            KeyHook(s.flags, kKeyEsc);
        }
    });
    driver.start();
    form.menuAction(menu::AskReq3Item)->trigger();
    QTimer::singleShot(static_cast<int>((seconds + 20) * 1000), &app, [&] { app.quit(); });  // a safety net
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (answersEnd > 0 && !form.commandRunning()) app.quit();
    });
    app.exec();

    if (answersEnd <= answersStart || answersStart < 0) {
        std::fprintf(stderr, "no poll was measured\n");
        return 1;
    }
    const LineSettings line = LineSettingsFor(s.settings);
    const double pollUs = TransmissionMicroseconds(kRequestBytes, line) + kTurnaroundMs * 1000.0 +
                          TransmissionMicroseconds(kAnswerBytes, line) + kPauseMs * 1000.0;
    const double wall = std::chrono::duration<double>(end - start).count();
    const long answers = answersEnd - answersStart;
    const double rate = static_cast<double>(answers) / wall;
    const double limit = 1e6 / pollUs;
    const double cpu = cpuEnd - cpuStart;
    std::printf("poll with request 3 in the statistics window with its chart (off-screen), 19200 8N1, %.1f s\n", wall);
    std::printf("  polls answered   %ld\n", answers);
    std::printf("  polls per second %.2f of line-limited %.2f = %.1f %%\n", rate, limit, 100.0 * rate / limit);
    std::printf("  tool CPU         %.2f %% of wall time (%.3f ms per poll)\n", 100.0 * cpu / wall,
                1000.0 * cpu / static_cast<double>(answers));
    std::printf("  RSS after %.0f s   %ld kB\n", kRssProbeSeconds, rssEarly);
    std::printf("  RSS at the end   %ld kB (growth %ld kB)\n", rssEnd, rssEarly >= 0 ? rssEnd - rssEarly : 0);
    return 0;
}
