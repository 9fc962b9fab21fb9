#include "monitor/frame_monitor.h"

#include <algorithm>
#include <utility>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/hart_ip_link.h"
#include "link/serial_link.h"
#include "link/tunnel.h"

namespace quillon {

namespace {

void AppendCapped(MonitorEntry& e, const std::uint8_t* bytes, std::size_t count) {
    const std::size_t room = kMaxEntryBytes > e.bytes.size() ? kMaxEntryBytes - e.bytes.size() : 0;
    const std::size_t kept = std::min(room, count);
    e.bytes.insert(e.bytes.end(), bytes, bytes + kept);
    e.droppedBytes += count - kept;
}

// Whether a direct answer that failed its check stalled or merely carried a wrong check byte.
bool AnswerComplete(const ExchangeBuffer& b) {
    const std::size_t count = b.responseCount;
    if (count == 0) return false;
    const std::size_t length = CompleteAnswerLength(b.response[0], b.response.data(), count);
    return length != 0 && count >= length;
}

MonitorEvent RefusalEvent(AnswerRefusal refusal) {
    switch (refusal) {
        case AnswerRefusal::FrameType: return MonitorEvent::WrongFrameType;
        case AnswerRefusal::Address: return MonitorEvent::WrongAddress;
        case AnswerRefusal::ByteCount: return MonitorEvent::WrongByteCount;
        case AnswerRefusal::Command: return MonitorEvent::WrongCommand;
        case AnswerRefusal::CheckByte:
        case AnswerRefusal::None: break;
    }
    return MonitorEvent::BadCheck;
}

}  // namespace

FrameMonitor::FrameMonitor(LinkState& state, std::size_t capacity) : state_(state), ring_(capacity) {}

FrameMonitor::~FrameMonitor() { detach(); }

void FrameMonitor::attach() {
    if (!origin_) {
        origin_ = state_.clock.counter();
        frequency_ = std::max<std::int64_t>(1, state_.clock.counterFrequency());
    }
    state_.tap = this;
}

void FrameMonitor::detach() {
    if (state_.tap == this) state_.tap = nullptr;
    received_.reset();
    sentThisExchange_ = false;
}

std::int64_t FrameMonitor::sinceStartUs(std::int64_t counter) const {
    const std::int64_t ticks = counter - origin_.value_or(counter);
    // Split so that a long run at a fast counter cannot overflow.
    return ticks / frequency_ * 1'000'000 + ticks % frequency_ * 1'000'000 / frequency_;
}

MonitorEntry FrameMonitor::newEntry(EntryKind kind, std::int64_t counter) {
    MonitorEntry e;
    e.kind = kind;
    e.atUs = sinceStartUs(counter);
    const auto& ports = state_.port.portList;
    const int index = state_.settings.portIndex;
    if (index > 0 && static_cast<std::size_t>(index) < ports.size())
        e.port = PortDisplayName(ports[static_cast<std::size_t>(index)]);
    e.tunnel = state_.settings.linkType == kLinkTunnel;
    e.hartIp = state_.settings.linkType == kLinkHartIp;
    if (e.hartIp) e.port = HartIpEndpointText(state_.settings.hartIpHost, state_.settings.hartIpPort);
    e.tunnelHeader = tunnelHeader_;
    e.recovery = inRecovery_;
    return e;
}

void FrameMonitor::pushEvent(MonitorEvent event, int detail, std::string reason) {
    MonitorEntry e = newEntry(EntryKind::Event, state_.clock.counter());
    e.event = event;
    e.detail = detail;
    e.reason = std::move(reason);
    e.note = std::move(pendingNote_);
    pendingNote_.clear();
    ring_.push(std::move(e));
}

void FrameMonitor::purged(bool transmit, bool receive) {
    if (paused_) return;
    pendingNote_ = transmit && receive ? "очищены передача и приём" : transmit ? "очищена передача" : "очищен приём";
}

void FrameMonitor::frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t rtsDropCounter) {
    if (paused_) return;
    flushReceived();
    MonitorEntry e = newEntry(EntryKind::Sent, rtsDropCounter);
    AppendCapped(e, bytes, count);
    if (e.tunnel && count > 3 && bytes[0] == kTunnelRequestStart) {
        // The answer's header length follows the request's format.
        tunnelHeader_ = bytes[3] == 0x21 ? 6 : 4;
        e.tunnelHeader = tunnelHeader_;
    }
    e.note = std::move(pendingNote_);
    pendingNote_.clear();
    // A HART frame that leaves over a session opened before it answers for itself.
    if (e.hartIp && count > 2 && bytes[2] == hartip::kIdTokenPassingPdu) renewedThisExchange_ = false;
    ring_.push(std::move(e));
    if (!inRecovery_) {
        sentThisExchange_ = true;
        rtsDrop_ = rtsDropCounter;
        lastRead_.reset();
    }
}

void FrameMonitor::bytesReceived(const std::uint8_t* bytes, std::size_t count, std::int64_t counter) {
    if (paused_) return;
    if (!received_) {
        received_ = newEntry(EntryKind::Received, counter);
        if (rtsDrop_) received_->turnaroundUs = sinceStartUs(counter) - sinceStartUs(*rtsDrop_);
        received_->note = std::move(pendingNote_);
        pendingNote_.clear();
    } else if (lastRead_) {
        const std::int64_t gap = sinceStartUs(counter) - sinceStartUs(*lastRead_);
        auto& r = *received_;
        if (r.reads == 1 || gap < r.minGapUs) r.minGapUs = gap;
        r.maxGapUs = std::max(r.maxGapUs, gap);
        r.sumGapUs += gap;
    }
    ++received_->reads;
    lastRead_ = counter;
    AppendCapped(*received_, bytes, count);
}

void FrameMonitor::recoveryStarted() {
    if (paused_) return;
    flushReceived();
    pushEvent(MonitorEvent::Recovery, 0);
    inRecovery_ = true;
}

void FrameMonitor::linkEvent(LinkEvent event, const std::string& text) {
    if (paused_) return;
    if (event == LinkEvent::LinkFailure) {
        // Told where the exchange ends, in place of a plain interruption.
        linkFailure_ = text;
        return;
    }
    flushReceived();
    pushEvent(MonitorEvent::SessionRenewal, 0, text);
    renewedThisExchange_ = true;
}

void FrameMonitor::flushReceived() {
    if (received_) ring_.push(std::move(*received_));
    received_.reset();
}

void FrameMonitor::exchangeEnded(int result, const ExchangeBuffer& buffer) {
    inRecovery_ = false;
    std::optional<std::string> failure = std::move(linkFailure_);
    linkFailure_.reset();
    const bool renewed = std::exchange(renewedThisExchange_, false);
    if (paused_) {
        received_.reset();
        sentThisExchange_ = false;
        return;
    }
    const bool gotBytes = received_.has_value();
    flushReceived();
    const auto& st = state_.settings;
    const bool tunnel = st.linkType == kLinkTunnel;
    const bool hartIp = st.linkType == kLinkHartIp;
    const bool refused = buffer.refusal != AnswerRefusal::None;
    if (buffer.lineErrors != 0) pushEvent(MonitorEvent::LineErrors, buffer.lineErrors);
    switch (result) {
        case ExchangeOk: break;
        case ExchangeNoAnswer:
            if (!sentThisExchange_)
                pushEvent(MonitorEvent::OtherLinkType, st.linkType);
            else if (tunnel)
                pushEvent(MonitorEvent::TunnelError, buffer.responseCount >= 5 ? buffer.response[4] : 0);
            else if (refused)  // a whole frame came, and was not ours
                pushEvent(RefusalEvent(buffer.refusal), 0);
            else if (hartIp && !renewed)
                pushEvent(MonitorEvent::HartIpNoAnswer, st.hartIpResponseTimeout);
            else if (hartIp)
                break;
            else
                pushEvent(gotBytes ? MonitorEvent::NoStartByte : MonitorEvent::FirstByteTimeout, st.firstByteWait);
            break;
        case ExchangeBadAnswer:
            if (tunnel)
                pushEvent(refused ? RefusalEvent(buffer.refusal) : MonitorEvent::BadTunnelAnswer, 0);
            else if (hartIp)
                pushEvent(refused ? RefusalEvent(buffer.refusal) : MonitorEvent::HartIpNotAMessage, 0);
            else if (AnswerComplete(buffer))
                pushEvent(RefusalEvent(buffer.refusal), 0);
            else
                pushEvent(MonitorEvent::NextByteTimeout, st.nextByteWait);
            break;
        case ExchangeAborted:
            if (failure)
                pushEvent(MonitorEvent::LinkFailure, 0, *failure);
            else if (!sentThisExchange_ && !hartIp)
                pushEvent(MonitorEvent::PortNotSelected, 0);
            else if (tunnel && buffer.responseCount == 9 && buffer.response[0] == kTunnelAnswerStart &&
                     buffer.response[4] == 4)
                pushEvent(MonitorEvent::PasswordRefused, 0);
            else
                pushEvent(MonitorEvent::Aborted, 0);
            break;
        case ExchangeBadRequest: pushEvent(MonitorEvent::BadRequest, buffer.request[0]); break;
        case ExchangeNoTunnelAnswer: pushEvent(MonitorEvent::NoTunnelAnswer, st.firstByteWait); break;
        default: break;
    }
    pendingNote_.clear();
    sentThisExchange_ = false;
    rtsDrop_.reset();
    lastRead_.reset();
}

}  // namespace quillon
