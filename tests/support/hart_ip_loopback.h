#pragma once

// A HART-IP server in the test's own process: the tool's sockets reach the
// simulator's session logic directly, with no network and on the virtual
// clock, so restarts, refusals and lost connections happen exactly where a
// test puts them.
//
//   SimBench b("rev8");
//   HartIpLoopback server(b.endpoint(), b.clock);
//   server.attach(b.state, kHartIpUdp);
//   ... exchanges ...
//   server.restart();

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/hart_ip_codec.h"
#include "link/hart_ip_link.h"
#include "link/net_socket.h"
#include "link/serial_link.h"
#include "sim/hart_ip_session_server.h"
#include "sim/virtual_clock.h"

namespace quillon::testing {

class HartIpLoopback {
public:
    HartIpLoopback(sim::LineEndpoint& line, sim::VirtualClock& clock) : line_(line), clock_(clock) {}

    // Points the state's link at this server and gives its session our sockets.
    // No serial port stays chosen or open, as for an engineer on HART-IP.
    void attach(LinkState& s, int transport) {
        ClosePort(s);
        s.settings.portIndex = 0;
        UseHartIp(s.settings, "192.0.2.10", hartip::kDefaultPort, transport);
        s.settings.hartIpResponseTimeout = 500;
        if (!s.hartIp) s.hartIp = std::make_shared<HartIpSession>();
        s.hartIp->net = std::make_unique<Net>(*this);
    }

    // The server restarts: TCP connections end, UDP peers become strangers.
    void restart() {
        for (auto& p : peers_) {
            p->out.clear();
            if (p->tcp)
                p->ended = NetFailure::Closed;
            else
                p->session = newSession();
        }
    }
    // The connection of every TCP peer is reset under it (as by a middlebox).
    void resetConnections() {
        for (auto& p : peers_)
            if (p->tcp) {
                p->out.clear();
                p->ended = NetFailure::Reset;
            }
    }

    // A request of a session the server does not know: true ignores it (as some
    // servers in the field do), false answers it with an error (as quillon-devsim).
    bool ignoreStrangers = false;
    bool refuseConnections = false;
    // Every message the server sends carries this version (a version-2 server).
    std::optional<std::uint8_t> answerVersion;
    // Session initiates are refused with this status.
    std::optional<std::uint8_t> refuseInitiates;
    sim::HartIpFaultPlan fault;

    int connections = 0;
    int keepAlives = 0;
    int pdus = 0;

private:
    struct Peer {
        bool tcp = false;
        std::unique_ptr<sim::HartIpSessionServer> session;
        std::deque<std::vector<std::uint8_t>> out;
        std::optional<NetFailure> ended;
    };

    class Socket : public NetSocket {
    public:
        Socket(HartIpLoopback& server, std::shared_ptr<Peer> peer) : server_(server), peer_(std::move(peer)) {}
        bool send(const std::uint8_t* bytes, std::size_t count, NetError& error) override {
            if (peer_->ended) {
                error = {NetFailure::Reset, "Connection reset by peer"};
                return false;
            }
            server_.deliver(*peer_, bytes, count);
            return true;
        }
        long receive(std::uint8_t* bytes, std::size_t capacity, int waitMs, NetError& error) override {
            if (!peer_->out.empty()) {
                std::vector<std::uint8_t> m = std::move(peer_->out.front());
                peer_->out.pop_front();
                const std::size_t n = std::min(capacity, m.size());
                std::copy_n(m.begin(), n, bytes);
                return static_cast<long>(n);
            }
            if (peer_->ended) {
                error = {*peer_->ended, {}};
                return -1;
            }
            server_.clock_.sleepMs(waitMs);
            return 0;
        }

    private:
        HartIpLoopback& server_;
        std::shared_ptr<Peer> peer_;
    };

    class Net : public NetSystem {
    public:
        explicit Net(HartIpLoopback& server) : server_(server) {}
        std::unique_ptr<NetSocket> connect(const std::string&, std::uint16_t, NetTransport transport, int,
                                           const std::function<bool()>&, NetError& error) override {
            if (server_.refuseConnections) {
                error = {NetFailure::Refused, "Connection refused"};
                return nullptr;
            }
            ++server_.connections;
            auto peer = std::make_shared<Peer>();
            peer->tcp = transport == NetTransport::Tcp;
            peer->session = server_.newSession();
            server_.peers_.push_back(peer);
            return std::make_unique<Socket>(server_, peer);
        }

    private:
        HartIpLoopback& server_;
    };

    std::unique_ptr<sim::HartIpSessionServer> newSession() {
        return std::make_unique<sim::HartIpSessionServer>(line_, fault, sim::LogSink{});
    }

    void deliver(Peer& p, const std::uint8_t* bytes, std::size_t count) {
        const hartip::Decoded d = hartip::DecodeDatagram(bytes, count);
        if (d.status != hartip::DecodeStatus::Complete) return;
        const hartip::Header& h = d.message.header;
        if (h.id == hartip::kIdKeepAlive) ++keepAlives;
        if (h.id == hartip::kIdTokenPassingPdu) ++pdus;
        if (h.id == hartip::kIdSessionInitiate && refuseInitiates) {
            send(p, hartip::EncodeMessage(hartip::kTypeResponse, h.id, *refuseInitiates, h.sequence));
            return;
        }
        if (ignoreStrangers && !p.session->open() && h.id != hartip::kIdSessionInitiate) return;
        auto out = p.session->handle(d.message, clock_.nowUs());
        for (auto& m : out.messages) send(p, std::move(m));
        if (out.restart) restart();
        if (out.close) {
            if (p.tcp)
                p.ended = NetFailure::Closed;
            else
                p.session = newSession();
        }
    }

    void send(Peer& p, std::vector<std::uint8_t> message) {
        if (answerVersion) message[0] = *answerVersion;
        p.out.push_back(std::move(message));
    }

    sim::LineEndpoint& line_;
    sim::VirtualClock& clock_;
    std::vector<std::shared_ptr<Peer>> peers_;
};

}  // namespace quillon::testing
