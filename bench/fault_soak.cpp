// Soaks the exchange engine in line faults: exchanges with the simulated
// device on the virtual clock, directly and through the simulated flow
// computer, each with a fault drawn at random from every fault the simulator
// knows. Counts the answers accepted (result 0) that are damaged or do not fit
// the request (frame type, address, length, check byte); that count must be 0.
// Every answer of the simulated device carries a serial number, so an intact
// answer that came too late for an earlier request and was taken for the
// current one ("stale") is told apart from a damaged one. A stale answer to
// another command must not be accepted either; one to the same command is
// indistinguishable on the wire from a current one and is only counted.
//
//   bench_fault_soak [exchanges] [seed]     (default 100000, 1)

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench/support/silent_ui.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/serial_link.h"
#include "sim/device_endpoint.h"
#include "sim/flow_computer.h"
#include "sim/sim_device.h"
#include "sim/simulated_port.h"
#include "sim/virtual_clock.h"

namespace {

using namespace quillon;
using sim::Fault;

// Faults after which the answer as sent is damaged: accepting it is a fault of the tool.
bool Damaging(Fault f) {
    return f == Fault::WrongCheckByte || f == Fault::CutShort || f == Fault::Oversized || f == Fault::WrongAddress ||
           f == Fault::NoAnswer;
}

// The command an answer names differs from the request's.
bool AnswersAnotherCommand(const ExchangeBuffer& b) {
    const bool longRequest = b.request[0] == kLongRequestDelimiter;
    return b.response[longRequest ? 6 : 2] != b.request[longRequest ? 6 : 2];
}

// The serial number the bench's device put into an accepted answer (data
// bytes: command, then the number most significant first), or -1.
long AnswerSerial(const ExchangeBuffer& b) {
    if (AnswerDataCount(b) != 5) return -1;
    const std::size_t d = AnswerDataIndex(b);
    long serial = 0;
    for (std::size_t k = 1; k <= 4; ++k) serial = (serial << 8) | b.response[d + k];
    return serial;
}

// What every reader relies on once an answer is accepted, from the request alone.
bool FitsRequest(const ExchangeBuffer& b) {
    const auto& q = b.request;
    const auto& r = b.response;
    const bool longRequest = q[0] == kLongRequestDelimiter;
    if (r[0] != (longRequest ? kLongAnswerDelimiter : kShortAnswerDelimiter)) return false;
    const std::size_t length = longRequest ? r[7] + 9u : r[3] + 5u;
    if (length > r.size() || b.responseCount != length) return false;
    if (XorOf(r.data(), length) != 0) return false;
    if (longRequest) {
        if ((r[1] & 0x7F) != (q[1] & 0x7F)) return false;
        for (std::size_t k = 2; k <= 5; ++k)
            if (r[k] != q[k]) return false;
    } else if ((r[1] & 0x1F) != (q[1] & 0x1F)) {
        return false;
    }
    return true;
}

struct Tally {
    long exchanges = 0;
    std::map<int, long> results;
    long corruptAccepted = 0;
    long staleAccepted = 0;
};

struct Soak {
    bench::SilentUi ui;
    sim::VirtualClock clock;
    sim::SimulatedPortSystem ports{clock};
    sim::SimDevice device;
    sim::DeviceEndpoint endpoint{device};
    sim::FlowComputerConfig fcConfig;
    sim::FlowComputer flowComputer{fcConfig, endpoint};
    sim::SimLine& line;
    AppState s{ui, ports, clock};

    // Exchange during which the device made each answer, by serial number.
    std::vector<long> answerMadeIn;
    long currentExchange = 0;

    explicit Soak(std::uint32_t seed) : device(sim::Preset("rev6"), seed), line(ports.addPort("sim0", endpoint)) {
        for (std::uint8_t command : {0, 1, 3}) {
            device.commands()[command] = [this, command](sim::SimDevice&, const sim::HartRequest&) {
                const auto serial = static_cast<std::uint32_t>(answerMadeIn.size());
                answerMadeIn.push_back(currentExchange);
                return sim::HartReply{0,
                                      {command, static_cast<std::uint8_t>(serial >> 24),
                                       static_cast<std::uint8_t>(serial >> 16), static_cast<std::uint8_t>(serial >> 8),
                                       static_cast<std::uint8_t>(serial)}};
            };
        }
        s.port.performanceFrequency = clock.counterFrequency();
        s.settings.shortAddress = device.profile().shortAddress;
        s.identity.longAddress = device.profile().longAddress;
        ScanPorts(s);
        s.settings.portIndex = 1;
        OpenPort(s);
    }

    void useTunnel() {
        line.setEndpoint(flowComputer);
        auto& st = s.settings;
        st.linkType = kLinkTunnel;
        st.tunnelAddress = fcConfig.address;
        st.tunnelPassword = fcConfig.password;
        st.tunnelRequestFormat = 0;
        st.tunnelLine = fcConfig.line - 1;
        st.portSpeedIndex = 9;
        OpenPort(s);
    }
};

const char* ResultName(int result) {
    switch (result) {
        case ExchangeOk: return "ok";
        case ExchangeNoAnswer: return "no answer";
        case ExchangeBadAnswer: return "bad answer";
        case ExchangeAborted: return "aborted";
        case ExchangeBadRequest: return "bad request";
        case ExchangeNoTunnelAnswer: return "no tunnel answer";
    }
    return "?";
}

void Print(const char* link, const std::map<Fault, Tally>& tallies) {
    std::printf("\n%s link\n  %-18s %9s  %-60s %8s %8s\n", link, "fault", "exchanges", "results", "corrupt", "stale");
    for (const auto& [fault, t] : tallies) {
        std::string results;
        for (const auto& [r, n] : t.results) results += std::string(ResultName(r)) + " " + std::to_string(n) + "  ";
        std::printf("  %-18s %9ld  %-60s %8ld %8ld\n", std::string(sim::FaultName(fault)).c_str(), t.exchanges,
                    results.c_str(), t.corruptAccepted, t.staleAccepted);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long total = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100'000;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::atol(argv[2]) : 1);
    std::mt19937 random(seed);
    std::vector<Fault> faults;
    for (auto name : sim::FaultNames()) faults.push_back(*sim::FaultFromName(name));
    std::uniform_int_distribution<std::size_t> pickFault(0, faults.size() - 1);
    std::uniform_int_distribution<int> pickRequest(0, 2);

    Soak soak(seed);
    std::map<Fault, Tally> direct, tunnel;
    long corrupt = 0, stale = 0, staleOtherCommand = 0, accepted = 0;
    const auto wallStart = std::chrono::steady_clock::now();
    for (long i = 0; i < total; ++i) {
        const bool viaTunnel = i >= total / 2;
        if (i == total / 2) soak.useTunnel();
        // Through the tunnel, half the faults hit the device's answer inside
        // the wrapper and half the wrapper itself.
        const Fault fault = faults[pickFault(random)];
        const bool wrapperFault = viaTunnel && (random() & 1);
        (wrapperFault ? soak.flowComputer.faults() : soak.endpoint.faults()).set(fault);
        switch (pickRequest(random)) {
            case 0: BuildShortRequest(soak.s.buffer, 0); break;
            case 1: BuildLongRequest(soak.s.buffer, 1); break;
            default: BuildLongRequest(soak.s.buffer, 3); break;
        }
        soak.currentExchange = i;
        const int result = Exchange(soak.s);
        Tally& t = (viaTunnel ? tunnel : direct)[fault];
        ++t.exchanges;
        ++t.results[result];
        if (result == ExchangeOk) {
            ++accepted;
            // The simulated flow computer cannot make an oversized wrapper: that fault leaves it intact.
            const bool damaged = Damaging(fault) && !(wrapperFault && fault == Fault::Oversized);
            const long serial = AnswerSerial(soak.s.buffer);
            const bool known = serial >= 0 && static_cast<std::size_t>(serial) < soak.answerMadeIn.size();
            if (!FitsRequest(soak.s.buffer) || !known) {
                ++t.corruptAccepted;
                ++corrupt;
            } else if (soak.answerMadeIn[static_cast<std::size_t>(serial)] != i) {
                ++t.staleAccepted;
                ++stale;
                if (AnswersAnotherCommand(soak.s.buffer)) ++staleOtherCommand;
            } else if (damaged) {
                ++t.corruptAccepted;
                ++corrupt;
            }
        }
        soak.endpoint.faults().clear();
        soak.flowComputer.faults().clear();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    std::printf("Fault soak: %ld exchanges (seed %u), %.1f s of virtual time in %.2f s\n", total, seed,
                static_cast<double>(soak.clock.nowUs()) / 1e6, wall);
    Print("direct", direct);
    Print("tunnel", tunnel);
    std::printf("\naccepted %ld, corrupt answers accepted: %ld\n", accepted, corrupt);
    std::printf("intact answers to an earlier request accepted (stale): %ld, of them to another command: %ld\n", stale,
                staleOtherCommand);
    return corrupt == 0 && staleOtherCommand == 0 ? 0 : 1;
}
