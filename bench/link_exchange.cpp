// Polls quillon-devsim over a pseudo-terminal through the real serial backend
// and reports throughput against what the line allows, the tool's CPU time
// and how late RTS drops behind its computed deadline.
//
//   bench_link_exchange [seconds-per-speed]   (default 10)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/process_usage.h"
#include "bench/support/silent_ui.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/line_settings.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/serial_link.h"

namespace {

using namespace quillon;
using bench::CpuSeconds;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

struct Speed {
    const char* name;
    int hartSpeedIndex;
    const char* baud;
    const char* parity;
};

constexpr int kTurnaroundMs = 20;
constexpr int kAnswerPreambles = 5;

bool Run(const Speed& speed, double seconds) {
    bench::DevsimChild sim({"--preset", "rev8", "--long-address", "260F092964", "--baud", speed.baud, "--parity",
                            speed.parity, "--turnaround-ms", std::to_string(kTurnaroundMs), "--preambles",
                            std::to_string(kAnswerPreambles)});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return false;
    }
    bench::SilentUi ui;
    SteadyClock clock;
    PosixPortSystem ports;
    AppState s(ui, ports, clock);
    s.port.performanceFrequency = clock.counterFrequency();
    s.port.portList = {"", sim.portPath()};
    s.settings.portIndex = 1;
    s.settings.hartSpeedIndex = speed.hartSpeedIndex;
    s.identity.longAddress = {0x26, 0x0F, 0x09, 0x29, 0x64};
    OpenPort(s);
    if (!PortIsOpen(s)) return false;

    // Command 1: 9 preambles + 9 request bytes out, preambles + 16 answer bytes back.
    const LineSettings line = LineSettingsFor(s.settings);
    const double exchangeUs = TransmissionMicroseconds(18, line) + kTurnaroundMs * 1000.0 +
                              TransmissionMicroseconds(kAnswerPreambles + 16, line);

    std::vector<double> latenessUs;
    int ok = 0, failed = 0;
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        BuildLongRequest(s.buffer, 1);
        if (Exchange(s) == ExchangeOk)
            ++ok;
        else
            ++failed;
        latenessUs.push_back(static_cast<double>(s.port.lastRtsLateness) * 1e6 /
                             static_cast<double>(s.port.performanceFrequency));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    const int total = ok + failed;
    const double rate = total / wall;
    const double limit = 1e6 / exchangeUs;
    std::printf("%-12s exchanges %5d (failed %d)  %.2f/s of line-limited %.2f/s = %.1f %%\n", speed.name, total, failed,
                rate, limit, 100.0 * rate / limit);
    std::printf("%-12s tool CPU %.3f ms per exchange, %.2f %% of wall time\n", "", 1000.0 * cpu / std::max(total, 1),
                100.0 * cpu / wall);
    std::printf("%-12s RTS lateness median %.1f us, 99th percentile %.1f us, max %.1f us\n", "",
                Percentile(latenessUs, 0.5), Percentile(latenessUs, 0.99), Percentile(latenessUs, 1.0));
    return failed == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const Speed speeds[] = {{"1200 8O1", 0, "1200", "odd"}, {"19200 8N1", 2, "19200", "none"}};
    bool allOk = true;
    for (const auto& speed : speeds) allOk = Run(speed, seconds) && allOk;
    return allOk ? 0 : 1;
}
