#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "sim/virtual_clock.h"

namespace quillon::testing {

// A serial port whose incoming bytes are scheduled at virtual times, for
// precise tests of the receive waits. Records what the tool did to it.
struct FakeLine {
    struct Arrival {
        std::int64_t atUs;
        std::uint8_t byte;
    };
    std::deque<Arrival> incoming;
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<std::int64_t> writeTimesUs;
    std::vector<std::pair<bool, std::int64_t>> rts;  // level, time
    bool dtr = false;
    int purges = 0;
    int pendingErrors = 0;
    bool refuseConfigure = false;
    std::vector<LineSettings> configurations;
    int opens = 0;
    // Every call on the port in order: "open", "configure", "rts+", "rts-",
    // "dtr+", "dtr-", "purge", "write".
    std::vector<std::string> calls;

    void schedule(std::int64_t atUs, std::initializer_list<std::uint8_t> bytes, std::int64_t spacingUs = 1000) {
        for (auto b : bytes) {
            incoming.push_back({atUs, b});
            atUs += spacingUs;
        }
    }
    void scheduleBytes(std::int64_t atUs, const std::vector<std::uint8_t>& bytes, std::int64_t spacingUs = 1000) {
        for (auto b : bytes) {
            incoming.push_back({atUs, b});
            atUs += spacingUs;
        }
    }
};

class FakePort : public SerialPort {
public:
    FakePort(FakeLine& line, sim::VirtualClock& clock) : line_(line), clock_(clock) {}
    bool configure(const LineSettings& settings) override {
        line_.configurations.push_back(settings);
        line_.calls.push_back("configure");
        return !line_.refuseConfigure;
    }
    void setRts(bool on) override {
        line_.rts.emplace_back(on, clock_.nowUs());
        line_.calls.push_back(on ? "rts+" : "rts-");
    }
    void setDtr(bool on) override {
        line_.dtr = on;
        line_.calls.push_back(on ? "dtr+" : "dtr-");
    }
    void purge(bool, bool receive) override {
        ++line_.purges;
        line_.calls.push_back("purge");
        if (!receive) return;
        while (!line_.incoming.empty() && line_.incoming.front().atUs <= clock_.nowUs()) line_.incoming.pop_front();
    }
    long read(std::uint8_t* bytes, std::size_t capacity) override {
        if (line_.pendingErrors) return -1;
        std::size_t n = 0;
        while (n < capacity && !line_.incoming.empty() && line_.incoming.front().atUs <= clock_.nowUs()) {
            bytes[n++] = line_.incoming.front().byte;
            line_.incoming.pop_front();
        }
        return static_cast<long>(n);
    }
    int takeLineErrors() override {
        int e = line_.pendingErrors;
        line_.pendingErrors = 0;
        return e;
    }
    bool write(const std::uint8_t* bytes, std::size_t count) override {
        line_.writes.emplace_back(bytes, bytes + count);
        line_.calls.push_back("write");
        line_.writeTimesUs.push_back(clock_.nowUs());
        return true;
    }
    void waitForInput(int milliseconds) override {
        std::int64_t until = clock_.nowUs() + milliseconds * 1000LL;
        if (!line_.incoming.empty() && line_.incoming.front().atUs < until) until = line_.incoming.front().atUs;
        clock_.advanceToUs(until);
    }
    std::string lastErrorText() const override { return "Недопустимый параметр"; }

private:
    FakeLine& line_;
    sim::VirtualClock& clock_;
};

class FakePortSystem : public PortSystem {
public:
    FakePortSystem(sim::VirtualClock& clock) : clock_(clock) {}
    std::map<std::string, FakeLine> lines;
    std::map<std::string, OpenFailure> failures;

    std::vector<std::string> candidates() override {
        std::vector<std::string> names;
        for (auto& [name, line] : lines) names.push_back(name);
        for (auto& [name, failure] : failures) names.push_back(name);
        return names;
    }
    std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) override {
        if (auto f = failures.find(name); f != failures.end()) {
            error.kind = f->second;
            error.text = "Отказано в доступе";
            return nullptr;
        }
        auto it = lines.find(name);
        if (it == lines.end()) {
            error.kind = OpenFailure::NotFound;
            error.text = "Нет такого файла или каталога";
            return nullptr;
        }
        ++it->second.opens;
        it->second.calls.push_back("open");
        return std::make_unique<FakePort>(it->second, clock_);
    }

private:
    sim::VirtualClock& clock_;
};

}  // namespace quillon::testing
