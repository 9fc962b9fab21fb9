// What the frame monitor costs the link.
//
// 1. The request-3 poll of the menu command against quillon-devsim on a
//    pseudo-terminal (19200 baud, no parity, as the poll benchmark runs it),
//    in alternating slices with the monitor detached and attached, side by
//    side in one run: polls per second and the tool's CPU per poll.
// 2. A simulated eight-hour poll at 1200 baud on the virtual clock with the
//    monitor attached: resident memory as the ring fills and keeps turning.
// 3. The tap's own cost per exchange in microseconds: an exchange on the
//    simulated line with and without the monitor, and the tap calls alone.
//
//   bench_monitor_overhead [seconds-per-slice]   (default 5; 4 slices each way)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "bench/support/devsim_child.h"
#include "bench/support/process_usage.h"
#include "bench/support/silent_ui.h"
#include "device/polling.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/key_hook.h"
#include "link/live_view.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/serial_link.h"
#include "monitor/frame_monitor.h"
#include "sim/device_endpoint.h"
#include "sim/simulated_port.h"
#include "sim/virtual_clock.h"

namespace {

using namespace quillon;
using bench::CpuSeconds;
using bench::ResidentKilobytes;
using Wall = std::chrono::steady_clock;

struct Slice {
    long answers = 0;
    double wall = 0, cpu = 0;
};

class CountingView : public LiveView {
public:
    explicit CountingView(long& answers) : answers_(answers) {}
    void setCaption(const std::string&) override {}
    void setText(const std::string& component, const std::string& text) override {
        if (component == "OtvetovLabel") answers_ = std::atol(text.c_str());
    }
    void setVisible(const std::string&, bool) override {}
    void show() override {}
    void addTrendPoint(double, double) override {}
    void clearTrend() override {}
    void placeBelow(const std::string&, const std::string&) override {}
    void waitForClose() override {}

private:
    long& answers_;
};

// Ends each poll with Esc once its slice is over.
class SliceUi : public bench::SilentUi {
public:
    InterruptFlags* flags = nullptr;
    double seconds = 5;
    long answers = 0;
    Wall::time_point start;

    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption) override {
        if (icon == MessageIcon::Error) return SilentUi::message(icon, text, buttons, caption);
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    bool polling = false;
    void processEvents() override {
        if (polling && std::chrono::duration<double>(Wall::now() - start).count() >= seconds && flags) {
            KeyHook(*flags, kKeyEsc);
            polling = false;
        }
    }
    std::unique_ptr<LiveView> openLiveView(LiveViewKind) override {
        polling = true;
        start = Wall::now();
        return std::make_unique<CountingView>(answers);
    }
};

bool PollSideBySide(double seconds) {
    bench::DevsimChild sim(
        {"--preset", "rev6", "--baud", "19200", "--parity", "none", "--turnaround-ms", "20", "--preambles", "5"});
    if (!sim.running()) {
        std::fprintf(stderr, "quillon-devsim did not start\n");
        return false;
    }
    SliceUi ui;
    ui.seconds = seconds;
    SteadyClock clock;
    PosixPortSystem ports;
    AppState s(ui, ports, clock);
    ui.flags = &s.flags;
    s.port.performanceFrequency = clock.counterFrequency();
    s.port.portList = {"", sim.portPath()};
    s.settings.portIndex = 1;
    s.settings.hartSpeedIndex = 2;  // 19200, no parity, 60 ms pause after each exchange
    s.settings.shortAddress = 0;
    s.settings.firstByteWait = 300;
    s.settings.nextByteWait = 50;
    FrameMonitor monitor(s);

    Slice off, on;
    for (int round = 0; round < 8; ++round) {
        const bool attached = round % 2 == 1;
        if (attached)
            monitor.attach();
        else
            monitor.detach();
        ui.answers = 0;
        const double cpu0 = CpuSeconds();
        const auto t0 = Wall::now();
        WithPortOpen(s, [&] { AskReq3Command(s); });
        Slice& slice = attached ? on : off;
        slice.wall += std::chrono::duration<double>(Wall::now() - t0).count();
        slice.cpu += CpuSeconds() - cpu0;
        slice.answers += ui.answers;
    }
    monitor.detach();
    if (off.answers == 0 || on.answers == 0) {
        std::fprintf(stderr, "no poll was answered\n");
        return false;
    }
    const double rateOff = off.answers / off.wall, rateOn = on.answers / on.wall;
    std::printf("1. request-3 poll, 19200 8N1, 4 slices of %.0f s each way, alternating\n", seconds);
    std::printf("                     monitor closed   monitor open\n");
    std::printf("  polls answered     %14ld %14ld\n", off.answers, on.answers);
    std::printf("  polls per second   %14.2f %14.2f   (open/closed = %.2f %%)\n", rateOff, rateOn,
                100.0 * rateOn / rateOff);
    std::printf("  tool CPU, %% wall  %14.2f %14.2f\n", 100.0 * off.cpu / off.wall, 100.0 * on.cpu / on.wall);
    std::printf("  CPU per poll, ms   %14.3f %14.3f\n", 1000.0 * off.cpu / off.answers, 1000.0 * on.cpu / on.answers);
    std::printf("  monitor entries    %ld kept of %ld recorded\n", static_cast<long>(monitor.entries().size()),
                static_cast<long>(monitor.entries().pushed()));
    return true;
}

// A device on the simulated line, on the virtual clock.
struct SimLink {
    bench::SilentUi ui;
    sim::VirtualClock clock;
    sim::SimulatedPortSystem ports{clock};
    sim::SimDevice device{sim::Preset("rev6")};
    sim::DeviceEndpoint endpoint{device};
    AppState s{ui, ports, clock};
    SimLink() {
        ports.addPort("sim0", endpoint);
        s.port.performanceFrequency = clock.counterFrequency();
        s.settings.shortAddress = device.profile().shortAddress;
        s.identity.longAddress = device.profile().longAddress;
        ScanPorts(s);
        s.settings.portIndex = 1;
        OpenPort(s);
    }
    bool poll() {
        BuildLongRequest(s.buffer, 3);
        const bool ok = Exchange(s) == ExchangeOk;
        // The simulated line keeps every write for tests; here it would be the one thing growing.
        ports.line("sim0")->written.clear();
        return ok;
    }
};

void LongPollMemory() {
    SimLink link;
    FrameMonitor monitor(link.s);
    monitor.attach();
    const std::int64_t eightHoursUs = 8LL * 3600 * 1'000'000;
    long polls = 0, failed = 0;
    std::printf("2. simulated poll, 1200 8O1 on the virtual clock, monitor open\n");
    std::printf("  %-14s %10s %12s %10s\n", "virtual time", "polls", "entries", "RSS kB");
    std::int64_t nextReportUs = 0;
    while (link.clock.nowUs() < eightHoursUs) {
        if (!link.poll()) ++failed;
        ++polls;
        if (link.clock.nowUs() >= nextReportUs) {
            std::printf("  %11.2f h %10ld %12zu %10ld\n", static_cast<double>(link.clock.nowUs()) / 3.6e9, polls,
                        monitor.entries().size(), ResidentKilobytes());
            nextReportUs += eightHoursUs / 8;
        }
    }
    std::printf("  %11.2f h %10ld %12zu %10ld   (failed polls: %ld)\n", static_cast<double>(link.clock.nowUs()) / 3.6e9,
                polls, monitor.entries().size(), ResidentKilobytes(), failed);
}

void TapCost() {
    constexpr int kExchanges = 20'000;
    std::printf("3. tap cost, %d exchanges of command 3 on the simulated line\n", kExchanges);
    double perExchange[2] = {0, 0};
    for (int attached = 0; attached < 2; ++attached) {
        SimLink link;
        FrameMonitor monitor(link.s);
        if (attached) monitor.attach();
        for (int i = 0; i < 200; ++i) link.poll();  // warm up, fill caches
        const double cpu0 = CpuSeconds();
        for (int i = 0; i < kExchanges; ++i) link.poll();
        perExchange[attached] = 1e6 * (CpuSeconds() - cpu0) / kExchanges;
    }
    std::printf("  whole exchange, monitor closed %8.2f us\n", perExchange[0]);
    std::printf("  whole exchange, monitor open   %8.2f us   (difference %.2f us)\n", perExchange[1],
                perExchange[1] - perExchange[0]);

    // The tap calls alone, as one exchange at 1200 baud makes them: a sent
    // frame, two purges, one read per answer byte, the end.
    SimLink link;
    FrameMonitor monitor(link.s);
    monitor.attach();
    const std::uint8_t request[18] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0x82, 0x26, 0x16, 0x01, 0x00, 0x20, 0x03, 0x00, 0x00};
    constexpr int kCalls = 200'000;
    const auto t0 = Wall::now();
    for (int i = 0; i < kCalls; ++i) {
        monitor.purged(true, true);
        monitor.frameSent(request, sizeof request, i * 1000);
        monitor.purged(false, true);
        for (int b = 0; b < 30; ++b) monitor.bytesReceived(request + (b % 18), 1, i * 1000 + 20 + b);
        monitor.exchangeEnded(ExchangeOk, link.s.buffer);
    }
    const double us = std::chrono::duration<double, std::micro>(Wall::now() - t0).count() / kCalls;
    std::printf("  tap calls of one exchange (30 single-byte reads) %.2f us\n", us);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: %s [seconds-per-slice]\n", argv[0]);
        return 2;
    }
    if (!PollSideBySide(seconds)) return 1;
    LongPollMemory();
    TapCost();
    return 0;
}
