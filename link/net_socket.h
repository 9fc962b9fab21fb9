#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quillon {

enum class NetTransport { Tcp, Udp };

enum class NetFailure {
    None,
    NameNotFound,  // the host name does not resolve
    Refused,       // nobody serves the port
    Reset,         // the peer broke the connection off
    Closed,        // the peer closed the connection in order
    TimedOut,      // the connection could not be made in time
    Interrupted,   // the caller stopped the wait
    Other,
};

struct NetError {
    NetFailure kind = NetFailure::None;
    std::string text;  // the system's own words, when it has any
};

// One connected socket: a TCP stream or a UDP socket bound to its one peer.
// Reads wait in the system (poll/select) for at most the time given, so a
// receive loop sleeps rather than spins.
class NetSocket {
public:
    virtual ~NetSocket() = default;
    virtual bool send(const std::uint8_t* bytes, std::size_t count, NetError& error) = 0;
    // Waits at most `waitMs` for input. Returns the bytes read (a whole
    // datagram on UDP), 0 when nothing came, -1 on failure with `error` set
    // (NetFailure::Closed when a TCP peer closed in order).
    virtual long receive(std::uint8_t* bytes, std::size_t capacity, int waitMs, NetError& error) = 0;
};

class NetSystem {
public:
    virtual ~NetSystem() = default;
    // Resolves `host` and connects. `keepWaiting` is asked between short
    // slices of the connection wait; false stops it (NetFailure::Interrupted).
    virtual std::unique_ptr<NetSocket> connect(const std::string& host, std::uint16_t port, NetTransport transport,
                                               int timeoutMs, const std::function<bool()>& keepWaiting,
                                               NetError& error) = 0;
};

// The platform's sockets; each backend folder under link/ provides it.
std::unique_ptr<NetSystem> MakePlatformNetSystem();

}  // namespace quillon
