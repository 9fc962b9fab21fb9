#pragma once

#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillon::testing {

// A pseudo-terminal pair; the test plays the device on the master side.
struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string slavePath;

    PtyPair() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) slavePath = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave >= 0) close(slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void closeMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    bool writeMaster(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Collects what the port sent until `count` bytes are in or a second has passed.
    std::vector<std::uint8_t> readMaster(std::size_t count) const {
        std::vector<std::uint8_t> bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        const int flags = fcntl(master, F_GETFL);
        fcntl(master, F_SETFL, flags | O_NONBLOCK);
        while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
            std::uint8_t chunk[256];
            const ssize_t n = ::read(master, chunk, sizeof chunk);
            if (n > 0)
                bytes.insert(bytes.end(), chunk, chunk + n);
            else
                usleep(1000);
        }
        fcntl(master, F_SETFL, flags);
        return bytes;
    }
};

// Points QUILLON_PORTS_DIR at a fresh private folder for the test's lifetime.
class ScopedPortsDirectory {
public:
    ScopedPortsDirectory() {
        if (const char* old = getenv("QUILLON_PORTS_DIR")) previous_ = old;
        char pattern[] = "/tmp/quillon-posix-test-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
        setenv("QUILLON_PORTS_DIR", path_.c_str(), 1);
    }
    ~ScopedPortsDirectory() {
        if (previous_)
            setenv("QUILLON_PORTS_DIR", previous_->c_str(), 1);
        else
            unsetenv("QUILLON_PORTS_DIR");
        RemoveTree(path_);
    }
    ScopedPortsDirectory(const ScopedPortsDirectory&) = delete;
    ScopedPortsDirectory& operator=(const ScopedPortsDirectory&) = delete;

    const std::string& path() const { return path_; }

    static void RemoveTree(const std::string& path) {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }

private:
    std::string path_;
    std::optional<std::string> previous_;
};

inline double ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// CPU time this thread has used, to catch waits that spin.
inline double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace quillon::testing
