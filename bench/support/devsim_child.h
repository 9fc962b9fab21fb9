#pragma once

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace quillon::bench {

// quillon-devsim from the build folder of the running benchmark, as a child
// process serving its own virtual-ports folder. The first line it prints is
// the path of its port.
class DevsimChild {
public:
    explicit DevsimChild(const std::vector<std::string>& args) {
        const auto self = std::filesystem::read_symlink("/proc/self/exe");
        const std::string program = (self.parent_path() / "quillon-devsim").string();
        char dir[] = "/tmp/quillon-bench-XXXXXX";
        if (!mkdtemp(dir)) return;
        folder_ = dir;
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            setenv("QUILLON_PORTS_DIR", dir, 1);
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execv(cargv[0], cargv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        portPath_ = readLine(5000);
    }
    ~DevsimChild() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    DevsimChild(const DevsimChild&) = delete;
    DevsimChild& operator=(const DevsimChild&) = delete;

    const std::string& portPath() const { return portPath_; }
    bool running() const { return pid_ > 0 && !portPath_.empty(); }

private:
    std::string readLine(int timeoutMs) {
        std::string line;
        for (;;) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return {};
            char c = 0;
            if (read(out_, &c, 1) != 1) return {};
            if (c == '\n') return line;
            line += c;
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string folder_;
    std::string portPath_;
};

}  // namespace quillon::bench
