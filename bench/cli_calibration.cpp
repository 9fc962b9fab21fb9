// Times quillon-cli reading and writing a whole calibration, for each of the
// three calibration forms, against quillon-devsim on a pseudo-terminal, and
// sets each run against the time its exchanges need on the line: every byte
// sent and received at the line's rate, plus the device's turnaround before
// each answer. The exchanges of a run are learnt from a first run with
// --trace; the timed run is without it, as scripts run the program.
//
//   bench_cli_calibration [runs]   (default 3; the best run counts)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/devsim_child.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBaud = 2400;  // speed option 5: no parity, no pause between exchanges
constexpr int kBitsPerByte = 10;
constexpr int kTurnaroundMs = 20;

struct Run {
    int status = -1;
    double seconds = 0;
    std::string err;
};

Run RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& config) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    int err[2];
    Run r;
    if (pipe(err) != 0) return r;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(err[0]);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    close(err[1]);
    char buf[4096];
    for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;) r.err.append(buf, static_cast<std::size_t>(n));
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

struct Traffic {
    long sentBytes = 0;
    long receivedBytes = 0;
    long answers = 0;
    double lineSeconds() const {
        return static_cast<double>(sentBytes + receivedBytes) * kBitsPerByte / kBaud + answers * kTurnaroundMs / 1000.0;
    }
};

// Monitor lines: time, direction, port, meaning, "| " and the raw bytes.
Traffic TrafficOf(const std::string& trace) {
    Traffic t;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const bool sent = line.find("\t→\t") != std::string::npos;
        const bool received = line.find("\t←\t") != std::string::npos;
        const auto raw = line.rfind("| ");
        if ((!sent && !received) || raw == std::string::npos) continue;
        std::istringstream bytes(line.substr(raw + 2));
        long n = 0;
        for (std::string b; bytes >> b;) ++n;
        (sent ? t.sentBytes : t.receivedBytes) += n;
        if (received) ++t.answers;
    }
    return t;
}

struct Form {
    const char* preset;
    const char* name;
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string cli = (self.parent_path() / "quillon-cli").string();
    char dir[] = "/tmp/quillon-bench-cli-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string work = dir;

    std::printf("whole calibration through quillon-cli, %d baud 8N1, turnaround %d ms, best of %d\n", kBaud,
                kTurnaroundMs, runs);
    std::printf("%-18s %-6s %9s %9s %9s %7s\n", "form", "op", "exchanges", "line s", "cli s", "share");
    bool allMet = true;
    for (const Form& f : {Form{"rev3-hw1", "segments"}, Form{"rev8", "code points"}, Form{"rev16", "temperature pairs"}}) {
        quillon::bench::DevsimChild sim(
            {"--preset", f.preset, "--hart-speed", "5", "--turnaround-ms", std::to_string(kTurnaroundMs)});
        if (!sim.running()) {
            std::fprintf(stderr, "quillon-devsim did not start\n");
            return 1;
        }
        const std::vector<std::string> link{"--port", sim.portPath(), "--speed", "2400", "--address", "0",
                                            "--first-byte-wait", "500", "--next-byte-wait", "100"};
        const std::string file = work + "/" + f.preset + ".clb";
        const std::vector<std::pair<const char*, std::vector<std::string>>> ops{
            {"read", {"--yes", "calibration", "read", "--out", file}},
            {"write", {"--yes", "calibration", "write", file}}};
        for (const auto& [op, args] : ops) {
            std::vector<std::string> traced = link;
            traced.push_back("--trace");
            traced.insert(traced.end(), args.begin(), args.end());
            const Run probe = RunProgram(cli, traced, work);
            if (probe.status != 0) {
                std::fprintf(stderr, "%s %s failed (%d):\n%s", f.name, op, probe.status, probe.err.c_str());
                return 1;
            }
            const Traffic t = TrafficOf(probe.err);
            std::vector<std::string> plain = link;
            plain.insert(plain.end(), args.begin(), args.end());
            double best = 1e9;
            for (int i = 0; i < runs; ++i) {
                const Run r = RunProgram(cli, plain, work);
                if (r.status != 0) {
                    std::fprintf(stderr, "%s %s failed (%d):\n%s", f.name, op, r.status, r.err.c_str());
                    return 1;
                }
                best = std::min(best, r.seconds);
            }
            const double share = t.lineSeconds() / best;
            allMet = allMet && share >= 0.95;
            std::printf("%-18s %-6s %9ld %9.3f %9.3f %6.1f%%\n", f.name, op, t.answers, t.lineSeconds(), best,
                        share * 100.0);
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    std::printf("goal: at least 95 %% of the line-limited rate: %s\n", allMet ? "met" : "NOT met");
    return 0;
}
