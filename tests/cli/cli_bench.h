#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "cli_run.h"
#include "support/devsim_process.h"

namespace quillon::testing {

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// A simulated device on a fast line, and the program pointed at it. The
// program waits long for the first answer byte: on a loaded machine the
// simulator process may be late, and a test must not fail for that. Cases
// that expect silence name --attempts 1 to keep their cost down.
class CliBench {
public:
    explicit CliBench(std::vector<std::string> simArgs) : sim_(WithFastLine(std::move(simArgs))) {
        char dir[] = "/tmp/quillon-cli-test-XXXXXX";
        if (mkdtemp(dir)) work_ = dir;
        port_ = sim_.line();
    }
    ~CliBench() {
        std::error_code ec;
        if (!work_.empty()) std::filesystem::remove_all(work_, ec);
    }

    bool ready() const { return !port_.empty() && !work_.empty(); }
    const std::string& work() const { return work_; }
    std::string file(const std::string& name) const { return work_ + "/" + name; }
    DevsimProcess& sim() { return sim_; }

    CliResult run(std::vector<std::string> args, std::function<bool(const std::string&)> onLine = {},
                  int signal = SIGINT) {
        std::vector<std::string> all{"--port",           "sim0", "--speed",        "38400", "--address", "0",
                                     "--first-byte-wait", "2000", "--next-byte-wait", "50"};
        all.insert(all.end(), args.begin(), args.end());
        return RunCli(all, sim_.folder(), work_, std::move(onLine), 90000, signal);
    }

private:
    static std::vector<std::string> WithFastLine(std::vector<std::string> args) {
        args.insert(args.end(), {"--hart-speed", "3", "--turnaround-ms", "2"});
        return args;
    }
    DevsimProcess sim_;
    std::string work_;
    std::string port_;
};

}  // namespace quillon::testing
