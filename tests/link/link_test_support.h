#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace quillon::testing {

// A serial port that accepts everything and never answers.
class SilentPort : public SerialPort {
public:
    bool configure(const LineSettings&) override { return true; }
    void setRts(bool) override {}
    void setDtr(bool) override {}
    void purge(bool, bool) override {}
    long read(std::uint8_t*, std::size_t) override { return 0; }
    int takeLineErrors() override { return 0; }
    bool write(const std::uint8_t*, std::size_t) override { return true; }
    void waitForInput(int) override {}
    std::string lastErrorText() const override { return {}; }
};

// The machine's ports as a test wants them: `present` open, `busy` exist but refuse.
class FakePorts : public PortSystem {
public:
    std::vector<std::string> present;
    std::set<std::string> busy;
    std::vector<std::string> opened;  // every successful open, in order

    std::vector<std::string> candidates() override {
        std::vector<std::string> all = present;
        all.insert(all.end(), busy.begin(), busy.end());
        return all;
    }
    std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) override {
        if (busy.count(name)) {
            error = {OpenFailure::Busy, "Device or resource busy"};
            return nullptr;
        }
        for (const auto& p : present)
            if (p == name) {
                opened.push_back(name);
                return std::make_unique<SilentPort>();
            }
        error = {OpenFailure::NotFound, "No such file or directory"};
        return nullptr;
    }
};

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        // A fresh name made here rather than by mkdtemp, which not every system has.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() /
                                   ("quillon-test-" + std::to_string(random()) + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, error);
                path_ = candidate.string();
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace quillon::testing
