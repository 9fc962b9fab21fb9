#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

#include "link/net_socket.h"
#include "link/win32/system_error_text.h"

namespace quillon {

namespace {

NetFailure FailureOf(int error) {
    switch (error) {
        case WSAECONNREFUSED: return NetFailure::Refused;
        case WSAECONNRESET:
        case WSAECONNABORTED: return NetFailure::Reset;
        case WSAETIMEDOUT: return NetFailure::TimedOut;
        default: return NetFailure::Other;
    }
}

void SetError(NetError& e, int error) {
    e.kind = FailureOf(error);
    e.text = SystemErrorText(static_cast<std::uint32_t>(error));
}

// Winsock is started once per socket system and stopped with it.
class WinsockUse {
public:
    WinsockUse() {
        WSADATA data;
        ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUse() {
        if (ok_) WSACleanup();
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

class Win32NetSocket : public NetSocket {
public:
    Win32NetSocket(SOCKET s, bool stream) : s_(s), stream_(stream) {}
    ~Win32NetSocket() override { closesocket(s_); }

    bool send(const std::uint8_t* bytes, std::size_t count, NetError& error) override {
        std::size_t sent = 0;
        while (sent < count) {
            const int n = ::send(s_, reinterpret_cast<const char*>(bytes + sent), static_cast<int>(count - sent), 0);
            if (n == SOCKET_ERROR) {
                const int e = WSAGetLastError();
                if (e == WSAEWOULDBLOCK) {
                    fd_set w;
                    FD_ZERO(&w);
                    FD_SET(s_, &w);
                    timeval tv{1, 0};
                    if (select(0, nullptr, &w, nullptr, &tv) <= 0) {
                        SetError(error, WSAETIMEDOUT);
                        return false;
                    }
                    continue;
                }
                SetError(error, e);
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    long receive(std::uint8_t* bytes, std::size_t capacity, int waitMs, NetError& error) override {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(s_, &r);
        const int wait = std::max(0, waitMs);
        timeval tv{wait / 1000, (wait % 1000) * 1000};
        const int ready = select(0, &r, nullptr, nullptr, &tv);
        if (ready == SOCKET_ERROR) {
            SetError(error, WSAGetLastError());
            return -1;
        }
        if (ready == 0) return 0;
        const int n = recv(s_, reinterpret_cast<char*>(bytes), static_cast<int>(capacity), 0);
        if (n > 0) return n;
        if (n == 0 && stream_) {
            error = {NetFailure::Closed, {}};
            return -1;
        }
        if (n == 0) return 0;
        const int e = WSAGetLastError();
        if (e == WSAEWOULDBLOCK) return 0;
        // A datagram larger than the buffer is cut; it is then no valid message anyway.
        if (e == WSAEMSGSIZE) return static_cast<long>(capacity);
        SetError(error, e);
        return -1;
    }

private:
    SOCKET s_;
    bool stream_;
};

bool FinishConnect(SOCKET s, int timeoutMs, const std::function<bool()>& keepWaiting, NetError& error) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (keepWaiting && !keepWaiting()) {
            error = {NetFailure::Interrupted, {}};
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            SetError(error, WSAETIMEDOUT);
            return false;
        }
        fd_set w, x;
        FD_ZERO(&w);
        FD_ZERO(&x);
        FD_SET(s, &w);
        FD_SET(s, &x);
        const long slice = static_cast<long>(std::min<long long>(left, 10));
        timeval tv{0, slice * 1000};
        const int ready = select(0, nullptr, &w, &x, &tv);
        if (ready == SOCKET_ERROR) {
            SetError(error, WSAGetLastError());
            return false;
        }
        if (ready == 0) continue;
        if (FD_ISSET(s, &w)) return true;
        int soError = 0;
        int length = sizeof soError;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        SetError(error, soError != 0 ? soError : WSAECONNREFUSED);
        return false;
    }
}

class Win32NetSystem : public NetSystem {
public:
    std::unique_ptr<NetSocket> connect(const std::string& host, std::uint16_t port, NetTransport transport,
                                       int timeoutMs, const std::function<bool()>& keepWaiting,
                                       NetError& error) override {
        if (!winsock_.ok()) {
            SetError(error, WSAGetLastError());
            return nullptr;
        }
        const bool stream = transport == NetTransport::Tcp;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = stream ? SOCK_STREAM : SOCK_DGRAM;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
            error = {NetFailure::NameNotFound, SystemErrorText(static_cast<std::uint32_t>(rc))};
            return nullptr;
        }
        std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, freeaddrinfo);
        error = {NetFailure::Other, "no address"};
        for (addrinfo* a = found; a; a = a->ai_next) {
            SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET) {
                SetError(error, WSAGetLastError());
                continue;
            }
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            if (stream) {
                const BOOL on = TRUE;
                setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
            }
            bool connected = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
            if (!connected) {
                const int e = WSAGetLastError();
                if (e == WSAEWOULDBLOCK)
                    connected = FinishConnect(s, timeoutMs, keepWaiting, error);
                else
                    SetError(error, e);
            }
            if (connected) {
                error = {};
                return std::make_unique<Win32NetSocket>(s, stream);
            }
            closesocket(s);
            if (error.kind == NetFailure::Interrupted) break;
        }
        return nullptr;
    }

private:
    WinsockUse winsock_;
};

}  // namespace

std::unique_ptr<NetSystem> MakePlatformNetSystem() { return std::make_unique<Win32NetSystem>(); }

}  // namespace quillon
