#pragma once

#include <poll.h>
#include <sys/socket.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/hart_ip_session_server.h"

namespace quillon::sim {

// quillon-devsim's HART-IP side: a TCP listener and a UDP socket on the same
// port, one session per TCP connection or UDP peer. Served from the
// simulator's poll loop: it adds its descriptors and handles what they report.
class HartIpServer {
public:
    HartIpServer(LineEndpoint& line, LogSink log) : line_(line), log_(std::move(log)) {}
    ~HartIpServer();
    HartIpServer(const HartIpServer&) = delete;
    HartIpServer& operator=(const HartIpServer&) = delete;

    // Binds TCP and UDP on `host`:`port` (0: any free port, the same for both).
    bool listen(const std::string& host, std::uint16_t port, std::string& error);
    std::uint16_t port() const { return port_; }
    const std::string& host() const { return host_; }

    void appendPollFds(std::vector<pollfd>& fds) const;
    // `fds` from the first descriptor this server appended.
    void service(const pollfd* fds, std::size_t count, std::int64_t nowUs);
    // Ends sessions idle past their inactivity timer; the poll wait that keeps it timely.
    int pollTimeoutMs(std::int64_t nowUs) const;
    void expire(std::int64_t nowUs);

    HartIpFaultPlan& plannedFault() { return fault_; }
    // Forgets every session at once, as a server that was restarted has:
    // TCP connections are closed, UDP peers are strangers again.
    void dropAllSessions();
    int sessionsOpened() const { return sessionsOpened_; }

private:
    struct Client {
        int fd = -1;  // TCP connection; -1 for a UDP peer
        sockaddr_storage peer{};
        socklen_t peerLength = 0;
        std::vector<std::uint8_t> stream;
        std::unique_ptr<HartIpSessionServer> session;
        std::int64_t lastUs = 0;
    };
    void accept(std::int64_t nowUs);
    void readTcp(Client& c, std::int64_t nowUs);
    void readUdp(std::int64_t nowUs);
    // False when the client is done with.
    bool deliver(Client& c, const hartip::Message& m, std::int64_t nowUs);
    void send(const Client& c, const std::vector<std::uint8_t>& bytes);
    std::unique_ptr<HartIpSessionServer> newSession();

    LineEndpoint& line_;
    LogSink log_;
    std::string host_;
    std::uint16_t port_ = 0;
    int listenFd_ = -1;
    int udpFd_ = -1;
    std::vector<std::unique_ptr<Client>> tcp_;
    std::map<std::vector<std::uint8_t>, std::unique_ptr<Client>> udp_;
    HartIpFaultPlan fault_;
    int sessionsOpened_ = 0;
    // A session asked for a restart; done once the message at hand is handled.
    bool restartPending_ = false;
};

}  // namespace quillon::sim
