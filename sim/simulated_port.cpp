#include "sim/simulated_port.h"

#include <algorithm>

#include "link/line_settings.h"

namespace quillon::sim {

namespace {

// Arrival of the end of byte `index` (0-based) sent from `startUs`.
std::int64_t ByteEndUs(std::int64_t startUs, std::size_t index, const LineSettings& line) {
    const std::int64_t bits = static_cast<std::int64_t>(index + 1) * BitsPerCharacter(line);
    return startUs + bits * 1'000'000 / static_cast<std::int64_t>(line.baud);
}

bool SameLine(const LineSettings& a, const LineSettings& b) { return a.baud == b.baud && a.parity == b.parity; }

}  // namespace

void SimLine::transmit(const std::uint8_t* bytes, std::size_t count, const LineSettings& line) {
    written.emplace_back(bytes, bytes + count);
    const std::int64_t start = clock_.nowUs();
    const bool garbled = farEndLine && !SameLine(*farEndLine, line);
    for (std::size_t i = 0; i < count; ++i) {
        if (garbled) continue;  // a mismatched far end hears nothing it can frame
        const std::int64_t arrival = ByteEndUs(start, i, line);
        if (auto t = endpoint_->hear(bytes[i], arrival)) schedule(*t, arrival + turnaroundUs + t->delayUs, line);
    }
}

void SimLine::schedule(const Transmission& t, std::int64_t startUs, const LineSettings& line) {
    // A new request makes the far end give up what it had not sent yet of an
    // earlier answer (a stalled one, say); what is already on its way stays.
    while (!incoming_.empty() && incoming_.back().arrivalUs > startUs) incoming_.pop_back();
    std::optional<LineErrorInjection> error = lineError_;
    if (error && !error->persistent) lineError_.reset();
    for (std::size_t i = 0; i < t.bytes.size(); ++i) {
        std::int64_t arrival = ByteEndUs(startUs, i, line);
        if (i >= t.pauseAt) arrival += t.pauseUs;
        const int errors = (error && error->atByte == i) ? error->flags : 0;
        incoming_.push_back({t.bytes[i], arrival, errors});
    }
}

long SimLine::read(std::uint8_t* bytes, std::size_t capacity) {
    const std::int64_t now = clock_.nowUs();
    std::size_t n = 0;
    while (n < capacity && !incoming_.empty() && incoming_.front().arrivalUs <= now) {
        const Incoming in = incoming_.front();
        if (in.errors != 0) {
            // A byte received with an error ends the read: first what came
            // before it, then a failed read that reports the error.
            if (n > 0) break;
            incoming_.pop_front();
            latchedErrors_ |= in.errors;
            return -1;
        }
        bytes[n++] = in.byte;
        incoming_.pop_front();
    }
    return static_cast<long>(n);
}

void SimLine::dropArrived() {
    const std::int64_t now = clock_.nowUs();
    while (!incoming_.empty() && incoming_.front().arrivalUs <= now) incoming_.pop_front();
}

void SimLine::waitForInput(int milliseconds) {
    const std::int64_t now = clock_.nowUs();
    if (!incoming_.empty() && incoming_.front().arrivalUs <= now) return;
    std::int64_t until = now + static_cast<std::int64_t>(std::max(milliseconds, 0)) * 1000;
    if (!incoming_.empty() && incoming_.front().arrivalUs < until) until = incoming_.front().arrivalUs;
    clock_.advanceToUs(until);
}

bool SimulatedPort::configure(const LineSettings& settings) {
    if (line_.refuseConfigure) {
        lastError_ = "Invalid argument";
        return false;
    }
    settings_ = settings;
    return true;
}

void SimulatedPort::purge(bool /*transmit*/, bool receive) {
    // Writes are handed to the wire at once, so only the receive side holds anything.
    if (receive) line_.dropArrived();
}

bool SimulatedPort::write(const std::uint8_t* bytes, std::size_t count) {
    line_.transmit(bytes, count, settings_);
    return true;
}

SimLine& SimulatedPortSystem::addPort(const std::string& name, LineEndpoint& endpoint) {
    lines_.emplace_back(name, std::make_unique<SimLine>(clock_, endpoint));
    return *lines_.back().second;
}

SimLine* SimulatedPortSystem::line(const std::string& name) {
    for (auto& [n, l] : lines_)
        if (n == name) return l.get();
    return nullptr;
}

std::vector<std::string> SimulatedPortSystem::candidates() {
    std::vector<std::string> names;
    for (const auto& entry : lines_)
        if (!entry.second->unplugged) names.push_back(entry.first);
    return names;
}

std::unique_ptr<SerialPort> SimulatedPortSystem::open(const std::string& name, OpenError& error) {
    SimLine* l = line(name);
    if (!l || l->unplugged) {
        error = {OpenFailure::NotFound, "No such file or directory"};
        return nullptr;
    }
    if (l->busy) {
        error = {OpenFailure::Busy, "Device or resource busy"};
        return nullptr;
    }
    error = {};
    return std::make_unique<SimulatedPort>(*l);
}

}  // namespace quillon::sim
