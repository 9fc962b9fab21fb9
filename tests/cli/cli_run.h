#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#ifndef QUILLON_CLI_PATH
#error "the test target defines QUILLON_CLI_PATH"
#endif

namespace quillon::testing {

struct CliResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::size_t from = 0;
        for (std::size_t nl; (nl = out.find('\n', from)) != std::string::npos; from = nl + 1)
            result.push_back(out.substr(from, nl - from));
        return result;
    }
};

// Runs quillon-cli with `args`, stdin from /dev/null as in a script, the
// virtual ports of `portsDir` and the settings under `configDir`. `onLine` sees
// each line of its stdout; returning true sends `signal` (SIGINT: Ctrl+C;
// SIGHUP: a closed terminal). The timeout is generous: a loaded machine may
// be slow, and only a run that hangs must fail.
// `onErrLine` sees each line of its stderr the same way.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& portsDir,
                        const std::string& configDir, std::function<bool(const std::string&)> onLine = {},
                        int timeoutMs = 90000, int signal = SIGINT,
                        std::function<bool(const std::string&)> onErrLine = {}) {
    std::vector<std::string> a = args;
    std::vector<char*> argv{const_cast<char*>(QUILLON_CLI_PATH)};
    for (auto& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::string ports = "QUILLON_PORTS_DIR=" + portsDir;
    std::string config = "XDG_CONFIG_HOME=" + configDir;
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (v.substr(0, 18) != "QUILLON_PORTS_DIR=" && v.substr(0, 16) != "XDG_CONFIG_HOME=") envp.push_back(*e);
    }
    envp.push_back(ports.data());
    envp.push_back(config.data());
    envp.push_back(nullptr);
    int out[2], err[2];
    CliResult r;
    if (pipe(out) != 0 || pipe(err) != 0) return r;
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int fds[2] = {out[0], err[0]};
    bool interrupted = false;
    std::size_t seen = 0, seenErr = 0;
    while (fds[0] >= 0 || fds[1] >= 0) {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || poll(p, 2, static_cast<int>(left)) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || !(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = read(fds[i], buf, sizeof buf);
            if (n <= 0) {
                close(fds[i]);
                fds[i] = -1;
                continue;
            }
            (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
        }
        for (std::size_t nl; onLine && !interrupted && (nl = r.out.find('\n', seen)) != std::string::npos;
             seen = nl + 1) {
            if (onLine(r.out.substr(seen, nl - seen))) {
                kill(pid, signal);
                interrupted = true;
            }
        }
        for (std::size_t nl; onErrLine && !interrupted && (nl = r.err.find('\n', seenErr)) != std::string::npos;
             seenErr = nl + 1) {
            if (onErrLine(r.err.substr(seenErr, nl - seenErr))) {
                kill(pid, signal);
                interrupted = true;
            }
        }
    }
    for (int fd : fds)
        if (fd >= 0) close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

}  // namespace quillon::testing
