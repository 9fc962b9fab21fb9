// How late RTS falls behind the computed end of a frame, for each way of
// waiting, on a quiet machine and with two CPU-bound processes beside it.
//
//   bench_rts_timing [frames] [device]     (default 1000 frames, no device)
//
// Without a device the frames go to a pseudo-terminal that a thread drains:
// the clock, the sleeps, the write and the modem-line call are all real, only
// the wire is not. With a device (a real serial port, 19200 baud) the driver's
// own RTS control is tried first and reported when it is there.

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/process_usage.h"
#include "link/line_settings.h"
#include "link/posix/posix_serial_port.h"
#include "link/posix/rts_window.h"
#include "link/posix/steady_clock.h"

namespace {

using namespace quillon;

constexpr std::size_t kFrameBytes = 18;  // 9 preambles and a command-1 request
constexpr LineSettings kLine{19200, Parity::None};
// Between two frames the tool listens for the answer; it sleeps meanwhile.
constexpr int kListenMs = 5;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Processes that do nothing but compute, as a build or a simulation beside the tool.
class CpuHogs {
public:
    explicit CpuHogs(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long x = 0;
                for (;;) x = x + 1;
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~CpuHogs() {
        for (pid_t pid : pids_) kill(pid, SIGKILL);
        for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
    }
    CpuHogs(const CpuHogs&) = delete;
    CpuHogs& operator=(const CpuHogs&) = delete;

private:
    std::vector<pid_t> pids_;
};

// The far end of the pseudo-terminal: takes whatever is written so the port never blocks.
class Drain {
public:
    explicit Drain(int master) : master_(master), thread_([this] { run(); }) {}
    ~Drain() {
        stop_ = true;
        close(master_);
        thread_.join();
    }
    Drain(const Drain&) = delete;
    Drain& operator=(const Drain&) = delete;

private:
    void run() {
        char chunk[256];
        while (!stop_)
            if (read(master_, chunk, sizeof chunk) <= 0 && !stop_) usleep(1000);
    }
    int master_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Strategy {
    const char* name;
    RtsWait wait;
    bool realTime;
    bool driverRts;
};

struct Figures {
    double medianUs = 0, p99Us = 0, maxUs = 0, cpuUsPerFrame = 0;
};

Figures Run(PosixSerialPort& port, const Strategy& strategy, int frames) {
    SteadyClock clock(strategy.wait);
    port.setRtsTiming({strategy.realTime, strategy.driverRts});
    const std::int64_t ticks = TransmissionTicks(kFrameBytes, kLine, clock.counterFrequency());
    std::vector<std::uint8_t> frame(kFrameBytes, 0xFF);
    std::vector<double> latenessUs;
    latenessUs.reserve(static_cast<std::size_t>(frames));
    const double cpuStart = bench::CpuSeconds();
    for (int i = 0; i < frames; ++i) {
        latenessUs.push_back(static_cast<double>(port.sendKeyed(frame.data(), frame.size(), ticks, clock)) / 1e3);
        port.waitForInput(kListenMs);
    }
    Figures f;
    f.medianUs = Percentile(latenessUs, 0.5);
    f.p99Us = Percentile(latenessUs, 0.99);
    f.maxUs = Percentile(latenessUs, 1.0);
    f.cpuUsPerFrame = (bench::CpuSeconds() - cpuStart) * 1e6 / frames;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const std::string device = argc > 2 ? argv[2] : "";

    int master = -1, slave = -1;
    char name[128] = {};
    std::string path = device;
    if (device.empty()) {
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            return 1;
        }
        path = name;
    }
    int error = 0;
    auto port = PosixSerialPort::Open(path, error);
    if (!port || !port->configure(kLine)) {
        std::fprintf(stderr, "%s: cannot open or configure (errno %d)\n", path.c_str(), error);
        return 1;
    }
    std::unique_ptr<Drain> drain;
    if (master >= 0) drain = std::make_unique<Drain>(master);

    std::printf("RTS lateness, %d frames of %zu bytes at %u baud on %s\n", frames, kFrameBytes, kLine.baud,
                device.empty() ? "a pseudo-terminal (frames only)" : device.c_str());
    const bool driverRts = port->driverKeysRts();
    std::printf("real-time scheduling granted: %s; driver RTS control: %s\n",
                RealTimeSchedulingAllowed() ? "yes" : "no", driverRts ? "yes" : "no");

    const Strategy strategies[] = {
        {"sleep-then-watch", RtsWait::SleepThenWatch, false, false},
        {"absolute-sleep, slack 1 ns", RtsWait::AbsoluteSleep, false, false},
        {"absolute-sleep + SCHED_FIFO", RtsWait::AbsoluteSleep, true, false},
        {"sleep-then-watch + SCHED_FIFO", RtsWait::SleepThenWatch, true, false},
    };
    for (int hogs : {0, 2}) {
        std::printf("\n%s (load average before: %s)\n", hogs == 0 ? "quiet" : "two CPU-bound processes beside it",
                    LoadAverage().c_str());
        std::printf("  %-32s %10s %10s %10s %14s\n", "wait", "median us", "p99 us", "max us", "CPU us/frame");
        CpuHogs load(hogs);
        for (const auto& strategy : strategies) {
            const Figures f = Run(*port, strategy, frames);
            std::printf("  %-32s %10.1f %10.1f %10.1f %14.1f\n", strategy.name, f.medianUs, f.p99Us, f.maxUs,
                        f.cpuUsPerFrame);
            std::fflush(stdout);
        }
    }
    if (driverRts)
        std::printf("\nThe driver keys RTS itself on this port: the tool uses that, and it is not timed here.\n");
    port.reset();
    if (slave >= 0) close(slave);
    return 0;
}
