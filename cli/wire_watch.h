#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "link/frame_tap.h"
#include "link/link_state.h"
#include "monitor/frame_monitor.h"

namespace quillon::cli {

// Hangs on the link's frame tap for the whole run: remembers how the last
// exchange ended, counts failed exchanges in a row so that attempt loops
// without a limit end (after exactly --attempts requests: the next one is
// not sent), keeps the run's deadline, and with --trace prints every frame
// and event to stderr in the frame monitor's own lines.
class WireWatch : public FrameTap {
public:
    WireWatch(LinkState& state, std::ostream* trace);
    ~WireWatch() override;
    WireWatch(const WireWatch&) = delete;
    WireWatch& operator=(const WireWatch&) = delete;

    // Failed exchanges in a row after which the operation is stopped; 0: never.
    void setAttemptLimit(int limit) { attemptLimit_ = limit; }
    int attemptLimit() const { return attemptLimit_; }
    bool gaveUp() const { return gaveUp_; }
    void clearGaveUp() { gaveUp_ = false; failures_ = 0; }

    // --timeout: after this moment no request goes out and waits end.
    void setDeadline(std::optional<std::chrono::steady_clock::time_point> deadline) { deadline_ = deadline; }
    bool pastDeadline() const;
    bool timedOut() const { return timedOut_; }
    // The release of a held output must still go out after the deadline.
    void suspendDeadline() { deadline_.reset(); }

    int exchanges() const { return exchanges_; }
    int lastResult() const { return lastResult_; }
    bool lastHadStatus() const { return lastHadStatus_; }
    std::uint8_t lastResponseCode() const { return lastResponseCode_; }
    // The response code of the last answer that carried a non-zero one.
    std::uint8_t lastErrorCode() const { return lastErrorCode_; }

    void purged(bool transmit, bool receive) override;
    void frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t rtsDropCounter) override;
    void bytesReceived(const std::uint8_t* bytes, std::size_t count, std::int64_t counter) override;
    void recoveryStarted() override;
    void exchangeEnded(int result, const ExchangeBuffer& buffer) override;
    void linkEvent(LinkEvent event, const std::string& text) override;
    std::string refusesNextRequest() const override;

private:
    void printNewEntries();

    LinkState& state_;
    std::ostream* trace_;
    std::unique_ptr<FrameMonitor> monitor_;
    std::uint64_t printed_ = 0;
    int attemptLimit_ = 0;
    int failures_ = 0;
    bool gaveUp_ = false;
    int exchanges_ = 0;
    int lastResult_ = -1;
    bool lastHadStatus_ = false;
    std::uint8_t lastResponseCode_ = 0;
    std::uint8_t lastErrorCode_ = 0;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    mutable bool timedOut_ = false;
};

}  // namespace quillon::cli
