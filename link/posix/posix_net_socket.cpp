#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "link/net_socket.h"
#include "link/posix/errno_text.h"

namespace quillon {

namespace {

NetFailure FailureOf(int error) {
    switch (error) {
        case ECONNREFUSED: return NetFailure::Refused;
        case ECONNRESET:
        case EPIPE:
        case ECONNABORTED: return NetFailure::Reset;
        case ETIMEDOUT: return NetFailure::TimedOut;
        default: return NetFailure::Other;
    }
}

void SetError(NetError& e, int error) {
    e.kind = FailureOf(error);
    e.text = ErrnoText(error);
}

class PosixNetSocket : public NetSocket {
public:
    PosixNetSocket(int fd, bool stream) : fd_(fd), stream_(stream) {}
    ~PosixNetSocket() override { close(fd_); }

    bool send(const std::uint8_t* bytes, std::size_t count, NetError& error) override {
        std::size_t sent = 0;
        while (sent < count) {
            const ssize_t n = ::send(fd_, bytes + sent, count - sent, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    pollfd p{fd_, POLLOUT, 0};
                    if (poll(&p, 1, 1000) <= 0) {
                        error = {NetFailure::TimedOut, ErrnoText(ETIMEDOUT)};
                        return false;
                    }
                    continue;
                }
                SetError(error, errno);
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    long receive(std::uint8_t* bytes, std::size_t capacity, int waitMs, NetError& error) override {
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, std::max(0, waitMs));
        if (ready < 0) return errno == EINTR ? 0 : (SetError(error, errno), -1);
        if (ready == 0) return 0;
        const ssize_t n = recv(fd_, bytes, capacity, MSG_DONTWAIT);
        if (n > 0) return static_cast<long>(n);
        if (n == 0 && stream_) {
            error = {NetFailure::Closed, {}};
            return -1;
        }
        if (n == 0) return 0;  // an empty datagram
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
        SetError(error, errno);
        return -1;
    }

private:
    int fd_;
    bool stream_;
};

// Waits for a non-blocking connect in short slices so the caller can stop it.
bool FinishConnect(int fd, int timeoutMs, const std::function<bool()>& keepWaiting, NetError& error) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (keepWaiting && !keepWaiting()) {
            error = {NetFailure::Interrupted, {}};
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            error = {NetFailure::TimedOut, ErrnoText(ETIMEDOUT)};
            return false;
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 10)));
        if (ready < 0 && errno != EINTR) {
            SetError(error, errno);
            return false;
        }
        if (ready <= 0) continue;
        int soError = 0;
        socklen_t length = sizeof soError;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) soError = errno;
        if (soError == 0) return true;
        SetError(error, soError);
        return false;
    }
}

class PosixNetSystem : public NetSystem {
public:
    std::unique_ptr<NetSocket> connect(const std::string& host, std::uint16_t port, NetTransport transport,
                                       int timeoutMs, const std::function<bool()>& keepWaiting,
                                       NetError& error) override {
        const bool stream = transport == NetTransport::Tcp;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = stream ? SOCK_STREAM : SOCK_DGRAM;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
            error = {NetFailure::NameNotFound, gai_strerror(rc)};
            return nullptr;
        }
        std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, freeaddrinfo);
        error = {NetFailure::Other, "no address"};
        for (addrinfo* a = found; a; a = a->ai_next) {
            const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
            if (fd < 0) {
                SetError(error, errno);
                continue;
            }
            if (stream) {
                const int on = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            }
            bool connected = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
            if (!connected && errno != EINPROGRESS)
                SetError(error, errno);
            else if (!connected)
                connected = FinishConnect(fd, timeoutMs, keepWaiting, error);
            if (connected) {
                error = {};
                return std::make_unique<PosixNetSocket>(fd, stream);
            }
            close(fd);
            if (error.kind == NetFailure::Interrupted) break;
        }
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<NetSystem> MakePlatformNetSystem() { return std::make_unique<PosixNetSystem>(); }

}  // namespace quillon
