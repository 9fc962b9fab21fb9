#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#ifndef QUILLON_DEVSIM_PATH
#error "the test target defines QUILLON_DEVSIM_PATH"
#endif

namespace quillon::testing {

// quillon-devsim as a child process with its own virtual-ports folder.
class DevsimProcess {
public:
    explicit DevsimProcess(std::vector<std::string> args) {
        char dir[] = "/tmp/quillon-devsim-test-XXXXXX";
        if (!mkdtemp(dir)) return;
        folder_ = dir;
        // Everything the child needs is built before fork: after it only
        // async-signal-safe calls are allowed.
        std::vector<char*> argv{const_cast<char*>(QUILLON_DEVSIM_PATH)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string portsDir = std::string("QUILLON_PORTS_DIR=") + dir;
        std::vector<char*> envp;
        for (char** e = environ; *e; ++e)
            if (std::string_view(*e).substr(0, 18) != "QUILLON_PORTS_DIR=") envp.push_back(*e);
        envp.push_back(portsDir.data());
        envp.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(STDIN_FILENO);  // as in CI: no console at all
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~DevsimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (!folder_.empty()) rmdir(folder_.c_str());
    }

    // Next line of its output, or "" after `timeoutMs` of silence.
    std::string line(int timeoutMs = 5000) {
        for (;;) {
            if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string l = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return l;
            }
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return {};
            char buf[512];
            const ssize_t n = read(out_, buf, sizeof buf);
            if (n <= 0) return {};
            buffer_.append(buf, static_cast<std::size_t>(n));
        }
    }

    // Exit status after SIGTERM.
    int terminate() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    pid_t pid() const { return pid_; }
    const std::string& folder() const { return folder_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string folder_;
    std::string buffer_;
};

}  // namespace quillon::testing
