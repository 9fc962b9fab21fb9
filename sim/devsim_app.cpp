#include "sim/devsim_app.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <ostream>

#include "link/posix/virtual_ports.h"
#include "sim/device_endpoint.h"
#include "sim/devsim_console.h"
#include "sim/flow_computer.h"
#include "sim/hart_ip_server.h"
#include "sim/multidrop_line.h"
#include "sim/pty_server.h"
#include "sim/real_time_wire.h"

namespace quillon::sim {

namespace {

std::int64_t NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Signals arrive as readable data on a descriptor, so the handler state
// lives in the kernel rather than in a global flag.
class SignalChannel {
public:
    SignalChannel() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, nullptr);
        fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
        signal(SIGPIPE, SIG_IGN);
    }
    ~SignalChannel() {
        if (fd_ >= 0) close(fd_);
    }
    int fd() const { return fd_; }
    // Next pending signal number, or 0.
    int take() {
        signalfd_siginfo info{};
        return read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo)
                                                                                  : 0;
    }

private:
    int fd_ = -1;
};

struct Link {
    std::string path;
    ~Link() {
        if (!path.empty()) UnregisterVirtualPort(path);
    }
};

}  // namespace

int RunDevsim(const DevsimOptions& o, int consoleFd, std::ostream& out, std::ostream& err) {
    SignalChannel signals;
    if (signals.fd() < 0) {
        err << "quillon-devsim: signalfd: " << std::strerror(errno) << '\n';
        return 1;
    }
    PtyServer pty;
    std::string error;
    if (!pty.open(error)) {
        err << "quillon-devsim: " << error << '\n';
        return 1;
    }

    LogSink log;
    if (o.log) log = StreamSink(err);
    SimDevice device(o.profile(), o.seed);
    DeviceEndpoint deviceEnd(device, log);
    deviceEnd.faults().set(o.fault, true);
    std::unique_ptr<FlowComputer> fc;
    LineEndpoint* endpoint = &deviceEnd;
    if (o.flowComputer) {
        fc = std::make_unique<FlowComputer>(o.fc, deviceEnd, log);
        endpoint = fc.get();
    }
    std::vector<std::unique_ptr<SimDevice>> extraDevices;
    std::vector<std::unique_ptr<DeviceEndpoint>> extraEnds;
    MultiDropLine multidrop;
    if (!o.extraDevices.empty()) {
        multidrop.add(deviceEnd);
        for (std::size_t i = 0; i < o.extraDevices.size(); ++i) {
            extraDevices.push_back(std::make_unique<SimDevice>(o.extraProfile(i), o.seed + 1 + std::uint32_t(i)));
            extraEnds.push_back(std::make_unique<DeviceEndpoint>(*extraDevices.back(), log));
            multidrop.add(*extraEnds.back());
        }
        endpoint = &multidrop;
    }
    const LineSettings line = o.line();
    RealTimeWire wire(*endpoint, line, static_cast<std::int64_t>(o.turnaroundMs) * 1000);
    std::unique_ptr<HartIpServer> hartIp;
    if (o.hartIpHost) {
        hartIp = std::make_unique<HartIpServer>(*endpoint, log);
        if (!hartIp->listen(*o.hartIpHost, o.hartIpPort, error)) {
            err << "quillon-devsim: " << error << '\n';
            return 1;
        }
        hartIp->plannedFault() = {o.hartIpFault, o.hartIpFaultAfter};
    }

    Link link;
    if (hartIp) {
        // The first line is the server to give the tool, alone, for scripts.
        const bool v6 = hartIp->host().find(':') != std::string::npos;
        out << (v6 ? "[" + hartIp->host() + "]" : hartIp->host()) << ':' << hartIp->port() << std::endl;
        out << "serving " << DescribeDevice(device) << " over HART-IP (TCP and UDP) on port " << hartIp->port()
            << "; type help for commands" << std::endl;
    } else {
    link.path = RegisterVirtualPort(o.portName, pty.slavePath());
    // The first line is the port to open, alone, for scripts.
    out << (link.path.empty() ? pty.slavePath() : link.path) << std::endl;
    if (link.path.empty()) err << "quillon-devsim: could not publish the port in " << VirtualPortsDirectory() << '\n';
    out << "serving " << DescribeDevice(device) << " on " << pty.slavePath() << " at " << line.baud
        << (line.parity == Parity::Odd ? " 8O1" : " 8N1") << (fc ? ", behind a flow computer" : "")
        << "; type help for commands" << std::endl;
    }
    for (const auto& extra : extraDevices) out << "also serving " << DescribeDevice(*extra) << std::endl;

    ConsoleTarget target{device, deviceEnd.faults(), fc ? &fc->faults() : nullptr};
    std::string typed;
    bool running = true;
    while (running) {
        // poll() passes over a negative descriptor: the console slot stays even without one.
        std::vector<pollfd> fds{{pty.masterFd(), POLLIN, 0}, {signals.fd(), POLLIN, 0}, {consoleFd, POLLIN, 0}};
        const nfds_t count = consoleFd >= 0 ? 3 : 2;
        if (hartIp) hartIp->appendPollFds(fds);
        int timeoutMs = -1;
        if (auto due = wire.nextDueUs()) {
            const std::int64_t wait = *due - NowUs();
            timeoutMs = wait <= 0 ? 0 : static_cast<int>((wait + 999) / 1000);
        }
        if (hartIp) {
            const int idle = hartIp->pollTimeoutMs(NowUs());
            if (idle >= 0 && (timeoutMs < 0 || idle < timeoutMs)) timeoutMs = idle;
        }
        if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
            err << "quillon-devsim: poll: " << std::strerror(errno) << '\n';
            return 1;
        }
        if (hartIp) {
            hartIp->service(fds.data() + 3, fds.size() - 3, NowUs());
            hartIp->expire(NowUs());
        }

        if (fds[0].revents & POLLIN) {
            std::array<std::uint8_t, 512> buf{};
            const ssize_t n = read(pty.masterFd(), buf.data(), buf.size());
            if (n > 0) wire.hear(buf.data(), static_cast<std::size_t>(n), NowUs());
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Our own slave descriptor should prevent a hang-up; should the
            // kernel report one anyway, do not let poll return at once forever.
            usleep(20'000);
        }
        if (auto bytes = wire.takeDue(NowUs()); !bytes.empty()) {
            // Nobody listening and the pty full: the answer is lost, as on a real line.
            if (write(pty.masterFd(), bytes.data(), bytes.size()) < 0 && errno != EAGAIN) {
                err << "quillon-devsim: write: " << std::strerror(errno) << '\n';
            }
        }
        if (fds[1].revents & POLLIN) {
            for (int s; (s = signals.take()) != 0;) {
                if (s == SIGUSR1) {
                    device.pressButton();
                    out << "button pressed: writes accepted" << std::endl;
                } else {
                    running = false;
                }
            }
        }
        if (count == 3 && (fds[2].revents & (POLLNVAL | POLLERR))) {
            consoleFd = -1;  // no usable console: serve without one
            continue;
        }
        if (count == 3 && (fds[2].revents & (POLLIN | POLLHUP))) {
            char buf[256];
            const ssize_t n = read(consoleFd, buf, sizeof buf);
            if (n <= 0) {
                consoleFd = -1;  // console closed: keep serving
                continue;
            }
            typed.append(buf, static_cast<std::size_t>(n));
            for (std::size_t nl; (nl = typed.find('\n')) != std::string::npos;) {
                auto result = RunConsoleCommand(std::string_view(typed).substr(0, nl), target);
                typed.erase(0, nl + 1);
                if (!result.reply.empty()) out << result.reply << std::endl;
                if (result.quit) running = false;
            }
        }
    }
    return 0;
}

}  // namespace quillon::sim
