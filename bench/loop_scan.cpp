// Runs the loop scan of addresses 0-15 against quillon-devsim on a
// pseudo-terminal, through the real serial backend, at 1200 baud with odd
// parity, with one device on the line, and reports the scan's wall time
// against the line-limited time of the same requests: every byte that went
// out and came back at the line's speed, the device's turnaround for each
// answer, and the slave time-out for each address that stayed silent (no
// tool can tell an empty address sooner).
//
//   bench_loop_scan [runs]   (default 1)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/silent_ui.h"
#include "device/loop_scan.h"
#include "link/exchange.h"
#include "link/frame_tap.h"
#include "link/line_settings.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/serial_link.h"

namespace {

using namespace quillon;
using WallClock = std::chrono::steady_clock;

constexpr int kTurnaroundMs = 20;
constexpr int kAnswerPreambles = 5;
constexpr int kDeviceAddress = 3;

// Counts what the scan put on the wire and what came back.
class WireCount : public FrameTap {
public:
    void purged(bool, bool) override {}
    void frameSent(const std::uint8_t*, std::size_t count, std::int64_t) override {
        if (!recovering_) sent += static_cast<long>(count);
    }
    void bytesReceived(const std::uint8_t*, std::size_t count, std::int64_t) override {
        received += static_cast<long>(count);
    }
    void recoveryStarted() override {
        ++recoveries;
        recovering_ = true;
    }
    void exchangeEnded(int result, const ExchangeBuffer&) override {
        recovering_ = false;
        ++exchanges;
        if (result == ExchangeOk)
            ++answered;
        else if (result == ExchangeNoAnswer)
            ++silent;
    }

    long sent = 0, received = 0, exchanges = 0, answered = 0, silent = 0, recoveries = 0;

private:
    bool recovering_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    if (runs < 1) {
        std::fprintf(stderr, "usage: %s [runs]\n", argv[0]);
        return 2;
    }
    bench::DevsimChild sim({"--preset", "rev6", "--baud", "1200", "--parity", "odd", "--turnaround-ms",
                            std::to_string(kTurnaroundMs), "--preambles", std::to_string(kAnswerPreambles),
                            "--short-address", std::to_string(kDeviceAddress)});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return 1;
    }
    bench::SilentUi ui;
    SteadyClock clock;
    PosixPortSystem ports;
    AppState s(ui, ports, clock);
    s.port.performanceFrequency = clock.counterFrequency();
    s.port.portList = {"", sim.portPath()};
    s.settings.portIndex = 1;
    s.settings.hartSpeedIndex = 0;  // 1200 baud, odd parity: a HART modem
    const LineSettings line = LineSettingsFor(s.settings);

    bool allFound = true;
    for (int run = 1; run <= runs; ++run) {
        WireCount wire;
        s.tap = &wire;
        LoopScanDialog d;
        const auto start = WallClock::now();
        WithPortOpen(s, [&] { RunLoopScan(s, d); });
        const double wall = std::chrono::duration<double>(WallClock::now() - start).count();
        s.tap = nullptr;

        const double lineUs = TransmissionMicroseconds(static_cast<std::size_t>(wire.sent + wire.received), line) +
                              static_cast<double>(wire.answered) * kTurnaroundMs * 1000.0 +
                              static_cast<double>(wire.silent) * kSlaveTimeOutMs * 1000.0;
        const bool found = d.rows.size() == 1 && d.rows[0].shortAddress == kDeviceAddress && d.rows[0].tag;
        allFound = allFound && found;
        std::printf("loop scan 0-15, 1200 8O1, one device at address %d (run %d)\n", kDeviceAddress, run);
        std::printf("  devices found    %zu%s\n", d.rows.size(), found ? "" : " (expected the one device with its tag)");
        std::printf("  exchanges        %ld (answered %ld, silent %ld), line recoveries %ld\n", wire.exchanges,
                    wire.answered, wire.silent, wire.recoveries);
        std::printf("  scan time        %.2f s of line-limited %.2f s = %.1f %%\n", wall, lineUs / 1e6,
                    100.0 * lineUs / 1e6 / wall);
        std::printf("  per address      %.0f ms\n", 1000.0 * wall / 16.0);
    }
    return allFound ? 0 : 1;
}
