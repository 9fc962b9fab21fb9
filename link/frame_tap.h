#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/exchange_buffer.h"

namespace quillon {

// What a link does on its own, or what ends an exchange, that is no frame.
enum class LinkEvent : std::uint8_t {
    SessionRenewal,  // a HART-IP session is opened anew; the text says why
    LinkFailure,     // the connection failed; the text names what happened
};

// An observer of everything the link puts on and takes off the wire. The link
// calls it only when one is attached (a null check otherwise), always from the
// thread that runs the exchange. Counter values are the link clock's
// high-resolution counter, so an observer can time the device's turnaround.
class FrameTap {
public:
    virtual ~FrameTap() = default;
    // A port purge: `transmit`/`receive` tell which sides were cleared.
    virtual void purged(bool transmit, bool receive) = 0;
    // Bytes written with RTS raised (preambles and wrapper included); RTS fell at `rtsDropCounter`.
    virtual void frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t rtsDropCounter) = 0;
    // One read of the receive loop, every byte as it came, noise included.
    virtual void bytesReceived(const std::uint8_t* bytes, std::size_t count, std::int64_t counter) = 0;
    // The "sk" wake-up of a silent line is about to be sent.
    virtual void recoveryStarted() = 0;
    // The exchange is over: its result and the buffer as the engine left it.
    virtual void exchangeEnded(int result, const ExchangeBuffer& buffer) = 0;
    // A link event, reported when it happens (before the frames it causes).
    virtual void linkEvent(LinkEvent /*event*/, const std::string& /*text*/) {}
    // Asked before each request: why it must not go out (an observer that has
    // given up on a silent line sends nothing more), or empty.
    virtual std::string refusesNextRequest() const { return {}; }
};

}  // namespace quillon
