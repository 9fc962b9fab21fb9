// Runs the request-3 poll of the menu command against quillon-devsim on a
// pseudo-terminal, through the real serial backend, at 19200 baud without
// parity (HART speed option 2, which adds the 60 ms pause after each
// exchange), and reports polls per second against what the line allows, the
// tool's CPU share and its resident memory.
//
//   bench_poll_throughput [seconds]   (default 30)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/process_usage.h"
#include "bench/support/silent_ui.h"
#include "device/polling.h"
#include "link/key_hook.h"
#include "link/line_settings.h"
#include "link/live_view.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/serial_link.h"

namespace {

using namespace quillon;
using bench::CpuSeconds;
using bench::ResidentKilobytes;
using Clock = std::chrono::steady_clock;

constexpr int kHartSpeedIndex = 2;  // 19200 baud, no parity
constexpr int kTurnaroundMs = 20;
constexpr int kAnswerPreambles = 5;
constexpr int kPauseMs = 60;
constexpr double kRssProbeSeconds = 5.0;
// Command 3 of the rev6 preset: loop current and two variables.
constexpr int kRequestBytes = 9 + 9;                     // preambles + long frame without data
constexpr int kAnswerBytes = kAnswerPreambles + 9 + 16;  // preambles + long frame with byte count 16

struct Measurement {
    Clock::time_point start, end;
    double cpuStart = 0, cpuEnd = 0;
    long answers = 0;
    long badStatus = 0;
    long rssEarly = -1, rssEnd = -1;
};

// Keeps only what the figures need from the statistics window.
class CountingView : public LiveView {
public:
    explicit CountingView(Measurement& m) : m_(m) {}
    void setCaption(const std::string&) override {}
    void setText(const std::string& component, const std::string& text) override {
        if (component == "OtvetovLabel") m_.answers = std::atol(text.c_str());
        if (component == "StatusLabel" && text != "OK!" && text != "----------") ++m_.badStatus;
    }
    void setVisible(const std::string&, bool) override {}
    void show() override {}
    void addTrendPoint(double, double) override {}
    void clearTrend() override {}
    void placeBelow(const std::string&, const std::string&) override {}
    void waitForClose() override {
        m_.end = Clock::now();
        m_.cpuEnd = CpuSeconds();
        m_.rssEnd = ResidentKilobytes();
    }

private:
    Measurement& m_;
};

// Quiet apart from errors; ends the poll with Esc once the time is up.
class BenchUi : public bench::SilentUi {
public:
    BenchUi(Measurement& m, double seconds) : m_(m), seconds_(seconds) {}
    InterruptFlags* flags = nullptr;

    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption) override {
        if (icon == MessageIcon::Error) return SilentUi::message(icon, text, buttons, caption);
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    void processEvents() override {
        if (!polling_) return;
        const double elapsed = std::chrono::duration<double>(Clock::now() - m_.start).count();
        if (m_.rssEarly < 0 && elapsed >= kRssProbeSeconds) m_.rssEarly = ResidentKilobytes();
        if (elapsed >= seconds_ && flags) KeyHook(*flags, kKeyEsc);
    }
    std::unique_ptr<LiveView> openLiveView(LiveViewKind) override {
        polling_ = true;
        m_.start = Clock::now();
        m_.cpuStart = CpuSeconds();
        return std::make_unique<CountingView>(m_);
    }

private:
    Measurement& m_;
    double seconds_;
    bool polling_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
        return 2;
    }
    bench::DevsimChild sim({"--preset", "rev6", "--baud", "19200", "--parity", "none", "--turnaround-ms",
                            std::to_string(kTurnaroundMs), "--preambles", std::to_string(kAnswerPreambles)});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return 1;
    }

    Measurement m;
    BenchUi ui(m, seconds);
    SteadyClock clock;
    PosixPortSystem ports;
    AppState s(ui, ports, clock);
    ui.flags = &s.flags;
    s.port.performanceFrequency = clock.counterFrequency();
    s.port.portList = {"", sim.portPath()};
    s.settings.portIndex = 1;
    s.settings.hartSpeedIndex = kHartSpeedIndex;
    s.settings.shortAddress = 0;
    s.settings.firstByteWait = 300;
    s.settings.nextByteWait = 50;

    WithPortOpen(s, [&] { AskReq3Command(s); });
    if (m.answers == 0) {
        std::fprintf(stderr, "no poll was answered\n");
        return 1;
    }

    const LineSettings line = LineSettingsFor(s.settings);
    const double pollUs = TransmissionMicroseconds(kRequestBytes, line) + kTurnaroundMs * 1000.0 +
                          TransmissionMicroseconds(kAnswerBytes, line) + kPauseMs * 1000.0;
    const double wall = std::chrono::duration<double>(m.end - m.start).count();
    const double rate = static_cast<double>(m.answers) / wall;
    const double limit = 1e6 / pollUs;
    const double cpu = m.cpuEnd - m.cpuStart;

    std::printf("poll with request 3, 19200 8N1, %.1f s\n", wall);
    std::printf("  polls answered   %ld (status other than OK: %ld)\n", m.answers, m.badStatus);
    std::printf("  polls per second %.2f of line-limited %.2f = %.1f %%\n", rate, limit, 100.0 * rate / limit);
    std::printf("  tool CPU         %.2f %% of wall time (%.3f ms per poll)\n", 100.0 * cpu / wall,
                1000.0 * cpu / static_cast<double>(m.answers));
    if (m.rssEarly >= 0)
        std::printf("  RSS after %.0f s   %ld kB\n", kRssProbeSeconds, m.rssEarly);
    else
        std::printf("  RSS after %.0f s   (run shorter than that)\n", kRssProbeSeconds);
    std::printf("  RSS at the end   %ld kB\n", m.rssEnd);
    return m.badStatus == 0 ? 0 : 1;
}
