// The converter-code view as the user runs it: the real main window
// (off-screen), its code window, the real serial backend and quillon-devsim
// on a pseudo-terminal at 19200 baud without parity (HART speed option 2, with
// its 60 ms pause). One channel (preset rev9) and three channels (preset rev6).
// Reports exchanges per second against what the line allows, the tool's CPU
// share and its resident memory early and at the end.
//
//   bench_code_view_gui [seconds per run]   (default 20)

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/gui_rig.h"
#include "bench/support/process_usage.h"
#include "frontend/code_view_names.h"
#include "link/key_hook.h"
#include "link/line_settings.h"
#include "link/serial_link.h"
#include "ui/frontend/show_code_form.h"
#include "ui/main_form.h"
#include "ui/qt_user_interface.h"
#include "frontend/menu_items.h"

namespace {

using namespace quillon;
using bench::CpuSeconds;
using bench::ResidentKilobytes;
using WallClock = std::chrono::steady_clock;

constexpr int kTurnaroundMs = 20;
constexpr int kAnswerPreambles = 5;
constexpr int kPauseMs = 60;
constexpr int kRequestBytes = 9 + 10;                // command 176 with the setting number
constexpr int kAnswerBytes = kAnswerPreambles + 16;  // setting number and 4 value bytes
constexpr double kRssProbeSeconds = 5.0;

// A counter summed over the shown channels.
long Sum(QWidget* form, const char* const* names, int channels) {
    long sum = 0;
    for (int k = 0; k < channels; ++k)
        if (auto* label = form->findChild<QLabel*>(names[k])) sum += label->text().toLong();
    return sum;
}
long Answers(QWidget* form, int channels) { return Sum(form, codeview::kAnswers, channels); }
long Requests(QWidget* form, int channels) { return Sum(form, codeview::kRequests, channels); }

struct Figures {
    bool measured = false;
    double wall = 0, cpu = 0;
    long answers = 0, requests = 0, rssEarly = -1, rssEnd = -1;
    double limit = 0;
};

Figures Run(QApplication& app, const char* preset, int channels, double seconds) {
    Figures f;
    bench::DevsimChild sim({"--preset", preset, "--baud", "19200", "--parity", "none", "--turnaround-ms",
                            std::to_string(kTurnaroundMs), "--preambles", std::to_string(kAnswerPreambles)});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return f;
    }
    bench::GuiRig rig(sim.portPath(), true);
    AppState& s = rig.s;
    ui::TMainForm& form = *rig.window;

    WallClock::time_point start, end;
    double cpuStart = 0, cpuEnd = 0;
    long answersStart = -1, answersEnd = -1, requestsStart = 0, requestsEnd = 0;
    long lastSeen = -1;
    bool stopped = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (stopped) {
            if (!form.commandRunning()) app.exit();
            return;
        }
        auto* view = form.findChild<ui::TShowCodeForm*>();
        if (!view || !view->isVisible()) return;
        // The window shows the counts of a pass as the pass begins, so both
        // ends of the measurement are taken as a count changes: the times are
        // then those of whole passes, give or take one tick of this timer.
        const long a = Answers(view, channels);
        const bool changed = a != lastSeen;
        lastSeen = a;
        if (answersStart < 0) {
            if (a < channels || !changed) return;
            answersStart = a;
            requestsStart = Requests(view, channels);
            start = WallClock::now();
            cpuStart = CpuSeconds();
            return;
        }
        const double elapsed = std::chrono::duration<double>(WallClock::now() - start).count();
        if (f.rssEarly < 0 && elapsed >= kRssProbeSeconds) f.rssEarly = ResidentKilobytes();
        if (elapsed >= seconds && changed) {
            answersEnd = a;
            requestsEnd = Requests(view, channels);
            end = WallClock::now();
            cpuEnd = CpuSeconds();
            f.rssEnd = ResidentKilobytes();
            KeyHook(s.flags, kKeyEsc);
            stopped = true;
        }
    });
    driver.start();
    QTimer::singleShot(0, &form, [&] { form.menuAction(menu::AD_Code_Show)->trigger(); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] { app.exit(); });
    safety.start(static_cast<int>((seconds + 30) * 1000));
    app.exec();

    if (answersStart < 0 || answersEnd <= answersStart) return f;
    const LineSettings line = LineSettingsFor(s.settings);
    const double exchangeUs = TransmissionMicroseconds(kRequestBytes, line) + kTurnaroundMs * 1000.0 +
                              TransmissionMicroseconds(kAnswerBytes, line) + kPauseMs * 1000.0;
    f.measured = true;
    f.wall = std::chrono::duration<double>(end - start).count();
    f.cpu = cpuEnd - cpuStart;
    f.answers = answersEnd - answersStart;
    f.requests = requestsEnd - requestsStart;
    f.limit = 1e6 / exchangeUs;
    return f;
}

void Report(const char* title, const Figures& f) {
    const double rate = static_cast<double>(f.answers) / f.wall;
    std::printf("%s, 19200 8N1, %.1f s\n", title, f.wall);
    std::printf("  exchanges answered   %ld of %ld requests\n", f.answers, f.requests);
    std::printf("  exchanges per second %.2f of line-limited %.2f = %.1f %%\n", rate, f.limit, 100.0 * rate / f.limit);
    std::printf("  tool CPU             %.2f %% of wall time (%.3f ms per exchange)\n", 100.0 * f.cpu / f.wall,
                1000.0 * f.cpu / static_cast<double>(f.answers));
    std::printf("  RSS after %.0f s       %ld kB\n", kRssProbeSeconds, f.rssEarly);
    std::printf("  RSS at the end       %ld kB (growth %ld kB)\n", f.rssEnd,
                f.rssEarly >= 0 ? f.rssEnd - f.rssEarly : 0);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (!(seconds > kRssProbeSeconds)) {
        std::fprintf(stderr, "usage: %s [seconds per run, more than %.0f]\n", argv[0], kRssProbeSeconds);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failed = 0;
    const struct {
        const char* preset;
        int channels;
        const char* title;
    } runs[] = {{"rev9", 1, "ADC code view, one channel (off-screen)"},
                {"rev6", 3, "ADC code view, three channels (off-screen)"}};
    for (const auto& r : runs) {
        const Figures f = Run(app, r.preset, r.channels, seconds);
        if (!f.measured) {
            std::fprintf(stderr, "%s: no exchange was measured\n", r.title);
            ++failed;
            continue;
        }
        Report(r.title, f);
    }
    return failed == 0 ? 0 : 1;
}
