#pragma once

#include <cstdint>
#include <optional>

#include "link/frame_tap.h"
#include "link/link_state.h"
#include "monitor/monitor_ring.h"

namespace quillon {

// Records what the link sends and receives into a bounded ring while it is
// attached. It only copies bytes and reads the clock; decoding waits until
// an entry is shown or saved, so an exchange is never held up by it.
class FrameMonitor : public FrameTap {
public:
    explicit FrameMonitor(LinkState& state, std::size_t capacity = kMonitorCapacity);
    ~FrameMonitor() override;
    FrameMonitor(const FrameMonitor&) = delete;
    FrameMonitor& operator=(const FrameMonitor&) = delete;

    // Starts watching the link; times count from the first attach.
    void attach();
    void detach();
    bool attached() const { return state_.tap == this; }

    // While paused nothing is recorded; what is there stays.
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    void clear() { ring_.clear(); }

    const MonitorRing& entries() const { return ring_; }

    // FrameTap
    void purged(bool transmit, bool receive) override;
    void frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t rtsDropCounter) override;
    void bytesReceived(const std::uint8_t* bytes, std::size_t count, std::int64_t counter) override;
    void recoveryStarted() override;
    void exchangeEnded(int result, const ExchangeBuffer& buffer) override;
    void linkEvent(LinkEvent event, const std::string& text) override;

private:
    std::int64_t sinceStartUs(std::int64_t counter) const;
    MonitorEntry newEntry(EntryKind kind, std::int64_t counter);
    void pushEvent(MonitorEvent event, int detail, std::string reason = {});
    void flushReceived();

    LinkState& state_;
    MonitorRing ring_;
    bool paused_ = false;
    std::optional<std::int64_t> origin_;
    std::int64_t frequency_ = 1;
    std::string pendingNote_;
    // The exchange in progress.
    bool sentThisExchange_ = false;
    bool inRecovery_ = false;
    std::optional<std::int64_t> rtsDrop_;
    std::optional<std::int64_t> lastRead_;
    std::optional<MonitorEntry> received_;
    std::uint8_t tunnelHeader_ = 4;
    // The link failure that ended the exchange in progress, if one did.
    std::optional<std::string> linkFailure_;
    // A new session was opened after the request of the exchange in progress
    // went out: its line already says why the answer is missing.
    bool renewedThisExchange_ = false;
};

}  // namespace quillon
