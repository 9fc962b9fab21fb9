#include "sim/hart_ip_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quillon::sim {

namespace {

using namespace hartip;

std::vector<std::uint8_t> PeerKey(const sockaddr_storage& a, socklen_t length) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&a);
    return {p, p + length};
}

}  // namespace

HartIpServer::~HartIpServer() {
    for (auto& c : tcp_) close(c->fd);
    if (listenFd_ >= 0) close(listenFd_);
    if (udpFd_ >= 0) close(udpFd_);
}

bool HartIpServer::listen(const std::string& host, std::uint16_t port, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(host.c_str(), "0", &hints, &found); rc != 0) {
        error = "--hart-ip " + host + ": " + gai_strerror(rc);
        return false;
    }
    sockaddr_storage address{};
    const socklen_t length = found->ai_addrlen;
    std::memcpy(&address, found->ai_addr, length);
    const int family = found->ai_family;
    freeaddrinfo(found);
    auto setPort = [&](std::uint16_t p) {
        if (family == AF_INET)
            reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(p);
        else
            reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(p);
    };
    setPort(port);
    listenFd_ = socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    if (listenFd_ < 0 || setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listenFd_, 8) != 0) {
        error = "--hart-ip: TCP: " + std::string(std::strerror(errno));
        return false;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    port_ = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&bound)->sin_port
                                    : reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
    setPort(port_);
    udpFd_ = socket(family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (udpFd_ < 0 || bind(udpFd_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        error = "--hart-ip: UDP port " + std::to_string(port_) + ": " + std::strerror(errno);
        return false;
    }
    host_ = host;
    return true;
}

void HartIpServer::appendPollFds(std::vector<pollfd>& fds) const {
    fds.push_back({listenFd_, POLLIN, 0});
    fds.push_back({udpFd_, POLLIN, 0});
    for (const auto& c : tcp_) fds.push_back({c->fd, POLLIN, 0});
}

std::unique_ptr<HartIpSessionServer> HartIpServer::newSession() {
    return std::make_unique<HartIpSessionServer>(line_, fault_, log_);
}

void HartIpServer::dropAllSessions() {
    for (auto& c : tcp_) {
        if (c->fd >= 0) close(c->fd);
        c->fd = -1;
    }
    udp_.clear();
    if (log_) log_("HART-IP: server restarted, every session forgotten");
}

void HartIpServer::service(const pollfd* fds, std::size_t count, std::int64_t nowUs) {
    if (count < 2) return;
    struct RestartWhenDone {
        HartIpServer& server;
        ~RestartWhenDone() {
            if (!server.restartPending_) return;
            server.restartPending_ = false;
            server.dropAllSessions();
            server.tcp_.clear();
        }
    } restartWhenDone{*this};
    // TCP clients first: accepting below changes the list the descriptors follow.
    const std::size_t clients = std::min(count - 2, tcp_.size());
    std::vector<Client*> ready;
    for (std::size_t i = 0; i < clients; ++i)
        if (fds[2 + i].revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(tcp_[i].get());
    for (Client* c : ready) readTcp(*c, nowUs);
    tcp_.erase(std::remove_if(tcp_.begin(), tcp_.end(),
                              [](const std::unique_ptr<Client>& c) { return c->fd < 0; }),
               tcp_.end());
    if (fds[1].revents & POLLIN) readUdp(nowUs);
    if ((fds[0].revents & POLLIN) && !restartPending_) accept(nowUs);
}

void HartIpServer::accept(std::int64_t nowUs) {
    auto c = std::make_unique<Client>();
    c->peerLength = sizeof c->peer;
    c->fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&c->peer), &c->peerLength, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (c->fd < 0) return;
    c->session = newSession();
    c->lastUs = nowUs;
    if (log_) log_("HART-IP: TCP connection accepted");
    tcp_.push_back(std::move(c));
}

void HartIpServer::send(const Client& c, const std::vector<std::uint8_t>& bytes) {
    if (c.fd >= 0)
        (void)::send(c.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    else
        (void)sendto(udpFd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&c.peer), c.peerLength);
    Log(log_, "<- HART-IP:", bytes);
}

bool HartIpServer::deliver(Client& c, const Message& m, std::int64_t nowUs) {
    c.lastUs = nowUs;
    const bool wasOpen = c.session->open();
    auto out = c.session->handle(m, nowUs);
    if (!wasOpen && c.session->open()) ++sessionsOpened_;
    for (const auto& bytes : out.messages) send(c, bytes);
    if (out.restart) restartPending_ = true;
    return !out.close;
}

void HartIpServer::readTcp(Client& c, std::int64_t nowUs) {
    if (c.fd < 0 || restartPending_) return;
    std::uint8_t buf[2048];
    const ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        close(c.fd);
        c.fd = -1;
        return;
    }
    Log(log_, "-> HART-IP:", std::vector<std::uint8_t>(buf, buf + n));
    c.stream.insert(c.stream.end(), buf, buf + n);
    for (;;) {
        Decoded d = DecodeStreamMessage(c.stream.data(), c.stream.size());
        if (d.status == DecodeStatus::NeedMore) return;
        if (auto refusal = AnswerToOtherVersion(d)) {
            if (log_) log_("   HART-IP version " + std::to_string(*d.otherVersion) + " session initiate refused");
            send(c, *refusal);
            // Its header still tells its length: the stream can go on past it.
            if (d.header.byteCount >= kHeaderSize && d.header.byteCount <= kMaxMessageSize) {
                if (c.stream.size() < d.header.byteCount) return;  // the rest is on its way
                c.stream.erase(c.stream.begin(), c.stream.begin() + d.header.byteCount);
                continue;
            }
        }
        if (d.status == DecodeStatus::Malformed) {
            if (log_) log_("   malformed HART-IP message (" + d.problem + "): connection closed");
            close(c.fd);
            c.fd = -1;
            return;
        }
        c.stream.erase(c.stream.begin(), c.stream.begin() + static_cast<std::ptrdiff_t>(d.consumed));
        if (!deliver(c, d.message, nowUs)) {
            close(c.fd);
            c.fd = -1;
            return;
        }
        if (restartPending_) return;
    }
}

void HartIpServer::readUdp(std::int64_t nowUs) {
    for (int reads = 0; reads < 32 && !restartPending_; ++reads) {
        std::uint8_t buf[2048];
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t n = recvfrom(udpFd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (n < 0) return;
        Log(log_, "-> HART-IP (UDP):", std::vector<std::uint8_t>(buf, buf + n));
        Decoded d = DecodeDatagram(buf, static_cast<std::size_t>(n));
        if (auto refusal = AnswerToOtherVersion(d)) {
            if (log_) log_("   HART-IP version " + std::to_string(*d.otherVersion) + " session initiate refused");
            (void)sendto(udpFd_, refusal->data(), refusal->size(), 0, reinterpret_cast<const sockaddr*>(&peer),
                         peerLength);
            Log(log_, "<- HART-IP:", *refusal);
            continue;
        }
        if (d.status != DecodeStatus::Complete) {
            if (log_) log_("   malformed HART-IP datagram dropped (" + d.problem + ")");
            continue;
        }
        auto& slot = udp_[PeerKey(peer, peerLength)];
        if (!slot) {
            slot = std::make_unique<Client>();
            slot->peer = peer;
            slot->peerLength = peerLength;
            slot->session = newSession();
        }
        if (!deliver(*slot, d.message, nowUs)) udp_.erase(PeerKey(peer, peerLength));
    }
}

int HartIpServer::pollTimeoutMs(std::int64_t nowUs) const {
    std::int64_t soonest = -1;
    auto consider = [&](const Client& c) {
        if (!c.session->open()) return;
        const std::int64_t due = c.lastUs + static_cast<std::int64_t>(c.session->inactivityMs()) * 1000 - nowUs;
        const std::int64_t ms = std::max<std::int64_t>(0, (due + 999) / 1000);
        if (soonest < 0 || ms < soonest) soonest = ms;
    };
    for (const auto& c : tcp_) consider(*c);
    for (const auto& [key, c] : udp_) consider(*c);
    return static_cast<int>(std::min<std::int64_t>(soonest, 60'000));
}

void HartIpServer::expire(std::int64_t nowUs) {
    auto idle = [&](const Client& c) {
        return c.session->open() && nowUs - c.lastUs > static_cast<std::int64_t>(c.session->inactivityMs()) * 1000;
    };
    for (auto& c : tcp_)
        if (idle(*c)) {
            if (log_) log_("HART-IP: session idle past its timer, closed");
            close(c->fd);
            c->fd = -1;
        }
    tcp_.erase(std::remove_if(tcp_.begin(), tcp_.end(), [](const auto& c) { return c->fd < 0; }), tcp_.end());
    std::erase_if(udp_, [&](const auto& entry) { return idle(*entry.second); });
}

}  // namespace quillon::sim
