#include "cli/wire_watch.h"

#include "device/response_codes.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "monitor/monitor_text.h"

namespace quillon::cli {

WireWatch::WireWatch(LinkState& state, std::ostream* trace) : state_(state), trace_(trace) {
    if (trace_) {
        // A small ring: entries are printed as each exchange ends.
        monitor_ = std::make_unique<FrameMonitor>(state_, 256);
        monitor_->attach();
    }
    state_.tap = this;
}

WireWatch::~WireWatch() {
    if (state_.tap == this) state_.tap = nullptr;
}

void WireWatch::purged(bool transmit, bool receive) {
    if (monitor_) monitor_->purged(transmit, receive);
}

void WireWatch::frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t rtsDropCounter) {
    if (monitor_) monitor_->frameSent(bytes, count, rtsDropCounter);
}

void WireWatch::bytesReceived(const std::uint8_t* bytes, std::size_t count, std::int64_t counter) {
    if (monitor_) monitor_->bytesReceived(bytes, count, counter);
}

void WireWatch::recoveryStarted() {
    if (monitor_) monitor_->recoveryStarted();
}

void WireWatch::linkEvent(LinkEvent event, const std::string& text) {
    if (monitor_) monitor_->linkEvent(event, text);
}

bool WireWatch::pastDeadline() const {
    if (!deadline_ || std::chrono::steady_clock::now() < *deadline_) return false;
    timedOut_ = true;
    return true;
}

std::string WireWatch::refusesNextRequest() const {
    if (pastDeadline()) return "Время, отведённое ключом --timeout, истекло.";
    if (gaveUp_)
        return "Устройство не ответило на " + std::to_string(attemptLimit_) + " запрос(а) подряд (--attempts).";
    return {};
}

void WireWatch::exchangeEnded(int result, const ExchangeBuffer& buffer) {
    ++exchanges_;
    lastResult_ = result;
    lastHadStatus_ = result == ExchangeOk && AnswerHasStatus(buffer);
    lastResponseCode_ = lastHadStatus_ ? ResponseCode(buffer) : 0;
    if (lastResponseCode_ != 0) lastErrorCode_ = lastResponseCode_;
    if (result == ExchangeOk || result == ExchangeAborted) {
        failures_ = 0;
    } else if (attemptLimit_ > 0 && ++failures_ >= attemptLimit_) {
        gaveUp_ = true;
    }
    if (monitor_) {
        monitor_->exchangeEnded(result, buffer);
        printNewEntries();
    }
}

void WireWatch::printNewEntries() {
    const MonitorRing& ring = monitor_->entries();
    const std::uint64_t pushed = ring.pushed();
    const std::uint64_t oldest = pushed - ring.size();
    if (printed_ < oldest) printed_ = oldest;
    for (; printed_ < pushed; ++printed_) *trace_ << EntryLine(ring.at(static_cast<std::size_t>(printed_ - oldest))) << '\n';
    trace_->flush();
}

}  // namespace quillon::cli
