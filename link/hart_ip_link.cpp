#include "link/hart_ip_link.h"

#include <algorithm>
#include <array>

#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

using namespace hartip;

// Slices of a wait: short enough that window messages and keys stay lively.
constexpr int kWaitSliceMs = 10;
// UDP requests in a row without any answer after which the session is taken
// for lost: one may be a datagram the network dropped, two are a pattern.
constexpr int kUnansweredBeforeRenewal = 2;

// HART-IP status codes of a gateway that cannot pass the request on just now:
// busy, delayed response started, delayed response running.
bool TryAgainLater(std::uint8_t status) { return status == 32 || status == 33 || status == 34; }

std::string WithStatus(const char* what, std::uint8_t status) {
    return std::string(what) + " (статус " + std::to_string(status) + ")";
}

std::string NetWhat(const NetError& e, bool tcp) {
    switch (e.kind) {
        case NetFailure::Refused: return "соединение отвергнуто";
        case NetFailure::Reset: return tcp ? "соединение TCP сброшено (RST)" : "соединение сброшено";
        case NetFailure::Closed: return "сервер закрыл соединение";
        case NetFailure::TimedOut: return "сервер не отвечает";
        case NetFailure::NameNotFound: return "адрес не найден (" + e.text + ")";
        default: return e.text.empty() ? "ошибка сети" : "ошибка сети (" + e.text + ")";
    }
}

// Secure sessions came with version 2 of the protocol; this tool speaks version 1.
std::string OtherVersionText(std::uint8_t version) {
    if (version == 2)
        return "сервер ответил по HART-IP версии 2 (защищённый сеанс), а HART-IP версии 2 пока не поддерживается";
    return "сервер ответил по HART-IP версии " + std::to_string(version) + ", а поддерживается только версия 1";
}

std::string InitiateRefusedText(std::uint8_t status) {
    return WithStatus("сервер отказал в открытии сеанса HART-IP версии 1", status) +
           "; если сервер требует HART-IP версии 2 (защищённый сеанс), она пока не поддерживается";
}

bool IsTcp(const HartIpSession& h) { return h.transport == kHartIpTcp; }

HartIpSession& SessionOf(LinkState& s) {
    if (!s.hartIp) s.hartIp = std::make_shared<HartIpSession>();
    return *s.hartIp;
}

bool SameRoute(const HartIpSession& h, const LinkSettings& st) {
    return h.host == st.hartIpHost && h.port == st.hartIpPort && h.transport == st.hartIpTransport;
}

int ResponseTimeout(const LinkSettings& st) { return std::clamp(st.hartIpResponseTimeout, 100, 60000); }

bool TakeInterrupt(LinkState& s) {
    if (!s.flags.enterPressed && !s.flags.stopRequested) return false;
    s.flags.enterPressed = false;
    s.flags.stopRequested = false;
    return true;
}

// A failure the user must hear of: the message names the server, and the
// loop that ran the exchange ends (as with no port on the modem link).
int Fail(LinkState& s, const std::string& what) {
    if (s.tap) s.tap->linkEvent(LinkEvent::LinkFailure, what);
    s.linkFailure = HartIpProblemText(s.settings, what);
    s.ui.message(MessageIcon::Error, s.linkFailure, MessageButtons::Ok);
    s.flags.stopRequested = true;
    return ExchangeAborted;
}

// The connection is gone (no session close can be sent on it); the next
// request opens a new session and the trace says why.
void LoseSession(HartIpSession& h, std::string why) {
    h.socket.reset();
    h.stream.clear();
    h.renewReason = std::move(why);
}

bool Send(LinkState& s, HartIpSession& h, const std::vector<std::uint8_t>& message, NetError& error) {
    if (!h.socket->send(message.data(), message.size(), error)) return false;
    h.lastTrafficMs = s.clock.tickMs();
    if (s.tap) s.tap->frameSent(message.data(), message.size(), s.clock.counter());
    return true;
}

enum class Waited { Message, Timeout, Aborted, Failed, OutOfStep, OtherVersion };

// The next whole message within `timeoutMs` from `start`. UDP datagrams that
// are no message are dropped; a TCP stream that is no message cannot be
// followed any further (OutOfStep). A message of another protocol version
// ends the wait either way: nothing this tool sends will be understood.
Waited NextMessage(LinkState& s, HartIpSession& h, std::uint32_t start, int timeoutMs, Message& out,
                   NetError& error, std::uint8_t& version) {
    const bool tcp = IsTcp(h);
    std::array<std::uint8_t, kMaxMessageSize + 1> chunk{};
    for (;;) {
        if (tcp && !h.stream.empty()) {
            Decoded d = DecodeStreamMessage(h.stream.data(), h.stream.size());
            if (d.otherVersion) {
                version = *d.otherVersion;
                return Waited::OtherVersion;
            }
            if (d.status == DecodeStatus::Malformed) return Waited::OutOfStep;
            if (d.status == DecodeStatus::Complete) {
                h.stream.erase(h.stream.begin(), h.stream.begin() + static_cast<std::ptrdiff_t>(d.consumed));
                out = std::move(d.message);
                return Waited::Message;
            }
        }
        s.ui.processEvents();
        if (s.flags.enterPressed || s.flags.stopRequested) return Waited::Aborted;
        const std::uint32_t elapsed = s.clock.tickMs() - start;
        if (elapsed >= static_cast<std::uint32_t>(timeoutMs)) return Waited::Timeout;
        const int left = timeoutMs - static_cast<int>(elapsed);
        const long n = h.socket->receive(chunk.data(), chunk.size(), std::min(kWaitSliceMs, left), error);
        if (n < 0) return Waited::Failed;
        if (n == 0) continue;
        const auto count = static_cast<std::size_t>(n);
        h.lastTrafficMs = s.clock.tickMs();
        if (s.tap) s.tap->bytesReceived(chunk.data(), count, s.clock.counter());
        if (tcp) {
            h.stream.insert(h.stream.end(), chunk.begin(), chunk.begin() + n);
            continue;
        }
        Decoded d = DecodeDatagram(chunk.data(), count);
        if (d.otherVersion) {
            version = *d.otherVersion;
            return Waited::OtherVersion;
        }
        if (d.status == DecodeStatus::Complete) {
            out = std::move(d.message);
            return Waited::Message;
        }
    }
}

// What one message that came while no exchange waited says about the session:
// empty when it lives on, else why it is over.
std::string IdleMessageVerdict(const Message& m) {
    const Header& hd = m.header;
    if (hd.type == kTypeRequest && hd.id == kIdSessionClose) return "сервер закрыл сеанс";
    // A refused keep-alive: the server no longer knows the session.
    if ((hd.type == kTypeError || hd.type == kTypeNak) && hd.id == kIdKeepAlive)
        return WithStatus("сервер отверг поддержание сеанса", hd.status);
    return {};
}

// Reads what arrived while the session was idle: late answers and keep-alive
// answers are dropped; a session the server ended meanwhile is let go, so
// that the request about to be sent opens a new one instead of failing.
void DrainIdleInput(LinkState& s, HartIpSession& h) {
    std::array<std::uint8_t, kMaxMessageSize + 1> chunk{};
    for (int reads = 0; h.socket && reads < 64; ++reads) {
        NetError error;
        const long n = h.socket->receive(chunk.data(), chunk.size(), 0, error);
        if (n == 0) break;
        if (n < 0) {
            LoseSession(h, NetWhat(error, IsTcp(h)));
            break;
        }
        if (s.tap) s.tap->bytesReceived(chunk.data(), static_cast<std::size_t>(n), s.clock.counter());
        std::vector<Message> messages;
        if (IsTcp(h)) {
            h.stream.insert(h.stream.end(), chunk.begin(), chunk.begin() + n);
            for (;;) {
                Decoded d = DecodeStreamMessage(h.stream.data(), h.stream.size());
                if (d.status == DecodeStatus::NeedMore) break;
                if (d.status == DecodeStatus::Malformed) {
                    LoseSession(h, "сервер прислал не сообщение HART-IP (" + d.problem + ")");
                    break;
                }
                h.stream.erase(h.stream.begin(), h.stream.begin() + static_cast<std::ptrdiff_t>(d.consumed));
                messages.push_back(std::move(d.message));
            }
        } else if (Decoded d = DecodeDatagram(chunk.data(), static_cast<std::size_t>(n));
                   d.status == DecodeStatus::Complete) {
            messages.push_back(std::move(d.message));
        }
        for (const Message& m : messages)
            if (std::string why = IdleMessageVerdict(m); !why.empty() && h.socket) LoseSession(h, std::move(why));
    }
}

struct Opened {
    int result = ExchangeOk;  // ExchangeOk; ExchangeAborted when the user stopped it; else failed
    std::string what;         // why it failed
};

Opened Failure(HartIpSession& h, std::string what) {
    h.socket.reset();
    h.stream.clear();
    return {ExchangeNoAnswer, std::move(what)};
}

// Opens a session with the server of the settings; shows nothing.
Opened OpenSession(LinkState& s, HartIpSession& h) {
    h.close();
    const LinkSettings& st = s.settings;
    if (!h.net) h.net = MakePlatformNetSystem();
    h.host = st.hartIpHost;
    h.port = st.hartIpPort;
    h.transport = st.hartIpTransport;
    h.stream.clear();
    h.unansweredInARow = 0;
    const auto keepWaiting = [&s] {
        s.ui.processEvents();
        return !s.flags.enterPressed && !s.flags.stopRequested;
    };
    NetError error;
    const int timeout = ResponseTimeout(st);
    h.socket = h.net->connect(st.hartIpHost, static_cast<std::uint16_t>(st.hartIpPort),
                              st.hartIpTransport == kHartIpUdp ? NetTransport::Udp : NetTransport::Tcp, timeout,
                              keepWaiting, error);
    if (!h.socket) {
        if (error.kind == NetFailure::Interrupted) {
            TakeInterrupt(s);
            return {ExchangeAborted, {}};
        }
        return Failure(h, NetWhat(error, IsTcp(h)));
    }
    const std::uint32_t timer = static_cast<std::uint32_t>(std::max(1000, st.hartIpInactivityTimer));
    const std::uint16_t sequence = h.nextSequence++;
    const auto initiate = EncodeMessage(kTypeRequest, kIdSessionInitiate, 0, sequence,
                                        SessionInitiateBody(kHostPrimary, timer));
    if (!Send(s, h, initiate, error)) return Failure(h, NetWhat(error, IsTcp(h)));
    const std::uint32_t start = s.clock.tickMs();
    for (;;) {
        Message m;
        std::uint8_t version = 0;
        switch (NextMessage(s, h, start, timeout, m, error, version)) {
            case Waited::Message: break;
            case Waited::Timeout: return Failure(h, "сервер не ответил на открытие сеанса");
            case Waited::Aborted:
                h.socket.reset();
                TakeInterrupt(s);
                return {ExchangeAborted, {}};
            case Waited::Failed: return Failure(h, NetWhat(error, IsTcp(h)));
            case Waited::OutOfStep: return Failure(h, "сервер ответил не сообщением HART-IP");
            case Waited::OtherVersion: return Failure(h, OtherVersionText(version));
        }
        const Header& hd = m.header;
        if (hd.type == kTypeRequest && hd.id == kIdSessionClose) return Failure(h, "сервер закрыл сеанс");
        if (hd.sequence != sequence || hd.id != kIdSessionInitiate) continue;
        if (hd.type == kTypeResponse && (hd.status == kStatusSuccess || hd.status == kStatusTimerAdjusted)) {
            std::uint8_t host = 0;
            std::uint32_t granted = timer;
            // The server may grant another timer; keep-alives follow its choice.
            if (ParseSessionInitiateBody(m.body, host, granted) && granted >= 1000) h.inactivityMs = granted;
            else h.inactivityMs = timer;
            ++h.sessionsOpened;
            return {};
        }
        if (hd.type == kTypeResponse || hd.type == kTypeError || hd.type == kTypeNak)
            return Failure(h, InitiateRefusedText(hd.status));
    }
}

// Opens the session an exchange needs; the trace first hears why, when an
// earlier session was given up. A failure is shown and ends the exchange.
int OpenForExchange(LinkState& s, HartIpSession& h) {
    if (!h.renewReason.empty()) {
        if (s.tap) s.tap->linkEvent(LinkEvent::SessionRenewal, h.renewReason);
        h.renewReason.clear();
    }
    const Opened opened = OpenSession(s, h);
    if (opened.result == ExchangeOk || opened.result == ExchangeAborted) return opened.result;
    return Fail(s, opened.what);
}

// How one request over an open session ended.
struct Round {
    enum Kind {
        Answered,      // `result` says whether the answer is good
        Silent,        // no answer within the wait
        Interrupted,   // Enter, Esc or Stop
        Refused,       // an error or NAK: the request was not passed on
        Lost,          // the connection or the session ended under the request
        OutOfStep,     // the TCP stream is no longer HART-IP
        OtherVersion,  // the server speaks another protocol version
    } kind = Answered;
    int result = ExchangeOk;
    std::string what;
    bool unsent = false;  // Lost before the request left
};

Round Ended(Round::Kind kind, int result = ExchangeOk, std::string what = {}, bool unsent = false) {
    Round r;
    r.kind = kind;
    r.result = result;
    r.what = std::move(what);
    r.unsent = unsent;
    return r;
}

Round SendAndAwait(LinkState& s, HartIpSession& h, std::size_t length) {
    const std::uint16_t sequence = h.nextSequence++;
    NetError error;
    const auto pdu = EncodeMessage(kTypeRequest, kIdTokenPassingPdu, 0, sequence, s.buffer.request.data(), length);
    if (!Send(s, h, pdu, error)) return Ended(Round::Lost, 0, NetWhat(error, IsTcp(h)), true);
    ++s.requestsSent;
    const std::uint32_t start = s.clock.tickMs();
    for (;;) {
        Message m;
        std::uint8_t version = 0;
        switch (NextMessage(s, h, start, ResponseTimeout(s.settings), m, error, version)) {
            case Waited::Message: break;
            case Waited::Timeout: return Ended(Round::Silent);
            case Waited::Aborted: return Ended(Round::Interrupted);
            case Waited::Failed: return Ended(Round::Lost, 0, NetWhat(error, IsTcp(h)));
            case Waited::OutOfStep: return Ended(Round::OutOfStep);
            case Waited::OtherVersion: return Ended(Round::OtherVersion, 0, OtherVersionText(version));
        }
        const HartIpJudgement j = JudgeHartIpMessage(s.buffer, m, sequence);
        switch (j.verdict) {
            case HartIpVerdict::Ignore: continue;
            case HartIpVerdict::Answer: return Ended(Round::Answered, j.result);
            case HartIpVerdict::ServerClosed: return Ended(Round::Lost, 0, j.what);
            case HartIpVerdict::Refused: return Ended(Round::Refused, 0, j.what);
        }
    }
}

}  // namespace

HartIpSession::HartIpSession() = default;

HartIpSession::~HartIpSession() { close(); }

void HartIpSession::close() {
    if (!socket) return;
    const auto message = EncodeMessage(kTypeRequest, kIdSessionClose, 0, nextSequence++);
    NetError ignored;
    socket->send(message.data(), message.size(), ignored);
    socket.reset();
    stream.clear();
}

bool ParseHartIpEndpoint(const std::string& text, std::string& host, int& port) {
    std::string rest;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos) return false;
        host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
    } else if (const auto colon = text.find(':'); colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        host = text.substr(0, colon);
        rest = text.substr(colon);
    } else {
        host = text;  // no port, or an IPv6 address without brackets
    }
    if (host.empty()) return false;
    port = hartip::kDefaultPort;
    if (rest.empty()) return true;
    const std::string digits = rest.substr(1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(digits);
    return port >= 1 && port <= 65535;
}

void UseHartIp(LinkSettings& st, const std::string& host, int port, int transport) {
    st.linkType = kLinkHartIp;
    st.hartIpHost = host;
    st.hartIpPort = port;
    st.hartIpTransport = transport;
}

std::string HartIpEndpointText(const std::string& host, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string HartIpProblemText(const LinkSettings& st, const std::string& what) {
    return "Ошибка связи по HART-IP с " + HartIpEndpointText(st.hartIpHost, st.hartIpPort) +
           (st.hartIpTransport == kHartIpUdp ? " (UDP)" : " (TCP)") + ": " + what + "!";
}

HartIpJudgement JudgeHartIpMessage(ExchangeBuffer& b, const Message& m, std::uint16_t sequence) {
    const Header& h = m.header;
    HartIpJudgement j;
    if (h.type == kTypeRequest && h.id == kIdSessionClose) {
        j.verdict = HartIpVerdict::ServerClosed;
        j.what = "сервер закрыл сеанс";
        return j;
    }
    if (h.sequence != sequence) return j;  // a late answer to an earlier request
    if (h.type == kTypeError || h.type == kTypeNak) {
        j.verdict = HartIpVerdict::Refused;
        j.what = WithStatus(h.type == kTypeError ? "сервер ответил сообщением об ошибке" : "сервер ответил NAK",
                            h.status);
        return j;
    }
    if (h.type != kTypeResponse || h.id != kIdTokenPassingPdu) return j;
    j.verdict = HartIpVerdict::Answer;
    if (h.status != kStatusSuccess) {
        if (TryAgainLater(h.status)) {
            j.result = ExchangeNoAnswer;
            return j;
        }
        j.verdict = HartIpVerdict::Refused;
        j.what = WithStatus("сервер не передал запрос устройству", h.status);
        return j;
    }
    const std::size_t count = m.body.size();
    j.result = ExchangeBadAnswer;
    b.rawAnswerCount = static_cast<int>(std::min(count, kFrameCapacity));
    std::copy_n(m.body.begin(), b.rawAnswerCount, b.rawAnswer.begin());
    if (count == 0 || count > kFrameCapacity) {
        b.responseCount = 0;
        b.refusal = AnswerRefusal::ByteCount;
        return j;
    }
    std::copy(m.body.begin(), m.body.end(), b.response.begin());
    b.responseCount = static_cast<std::uint8_t>(count);
    // The message carries one frame: bytes after its check byte mean the
    // message and the frame disagree about the length.
    b.refusal = JudgeAnswer(PrepareAnswerFilter(b), b, count, true);
    if (b.refusal != AnswerRefusal::None) return j;
    j.result = ExchangeOk;
    return j;
}

int ExchangeHartIp(LinkState& s, std::size_t length) {
    HartIpSession& h = SessionOf(s);
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(h.exchanging);
    s.buffer.rawAnswerCount = 0;
    s.buffer.lineErrors = 0;
    if (h.socket && !SameRoute(h, s.settings)) {
        h.close();
        h.renewReason.clear();  // another server: nothing was renewed
    }
    // Past the inactivity timer the server has forgotten the session.
    if (h.socket && s.clock.tickMs() - h.lastTrafficMs >= h.inactivityMs) {
        h.close();
        h.renewReason = "сеанс простаивал дольше таймера неактивности";
    }
    if (h.socket) DrainIdleInput(s, h);
    // Whether the session was opened for this request: a failure on it is the
    // server's answer to us, not a session that merely ran out.
    bool fresh = false;
    if (!h.socket) {
        if (const int opened = OpenForExchange(s, h); opened != ExchangeOk) return opened;
        fresh = true;
    }
    s.filter = PrepareAnswerFilter(s.buffer);
    for (;;) {
        Round round = SendAndAwait(s, h, length);
        switch (round.kind) {
            case Round::Answered: h.unansweredInARow = 0; return round.result;
            case Round::Silent:
                s.buffer.responseCount = 0;
                // A restarted server may drop a session it does not know
                // without a word; TCP would have told us of a new server.
                if (!IsTcp(h) && ++h.unansweredInARow >= kUnansweredBeforeRenewal) {
                    h.close();
                    h.renewReason = std::to_string(h.unansweredInARow) + " запроса подряд остались без ответа";
                }
                return ExchangeNoAnswer;
            case Round::Interrupted: TakeInterrupt(s); return ExchangeAborted;
            case Round::OtherVersion: LoseSession(h, {}); return Fail(s, round.what);
            case Round::OutOfStep:
                // Nothing after a broken message can be trusted; the next
                // attempt starts a new session.
                LoseSession(h, "сервер прислал не сообщение HART-IP");
                s.buffer.responseCount = 0;
                return ExchangeBadAnswer;
            case Round::Refused:
                h.close();
                if (fresh) return Fail(s, round.what);
                // An established session the server no longer takes (it was
                // restarted, or timed the session out): the request went
                // nowhere, so it goes again on a new session.
                h.renewReason = round.what;
                if (const int opened = OpenForExchange(s, h); opened != ExchangeOk) return opened;
                fresh = true;
                continue;
            case Round::Lost:
                LoseSession(h, round.what);
                if (fresh) {
                    h.renewReason.clear();
                    return Fail(s, round.what);
                }
                // The session is renewed now, so that a server that has gone
                // is reported at once; a request that may have reached the
                // device is left to the caller's attempts.
                if (const int opened = OpenForExchange(s, h); opened != ExchangeOk) return opened;
                fresh = true;
                if (round.unsent) continue;
                s.buffer.responseCount = 0;
                return ExchangeNoAnswer;
        }
    }
}

void HartIpKeepAlive(LinkState& s) {
    if (!s.hartIp || !s.hartIp->socket || s.hartIp->exchanging) return;
    HartIpSession& h = *s.hartIp;
    DrainIdleInput(s, h);
    if (!h.socket) return;
    if (s.clock.tickMs() - h.lastTrafficMs < h.inactivityMs / 3) return;
    const auto message = EncodeMessage(kTypeRequest, kIdKeepAlive, 0, h.nextSequence++);
    NetError error;
    if (!Send(s, h, message, error)) LoseSession(h, NetWhat(error, IsTcp(h)));
}

bool HartIpSessionOpen(const LinkState& s) {
    return s.hartIp && s.hartIp->socket && SameRoute(*s.hartIp, s.settings);
}

bool OpenHartIpSessionQuietly(LinkState& s) {
    if (HartIpSessionOpen(s)) return true;
    HartIpSession& h = SessionOf(s);
    if (!h.renewReason.empty()) {
        if (s.tap) s.tap->linkEvent(LinkEvent::SessionRenewal, h.renewReason);
        h.renewReason.clear();
    }
    return OpenSession(s, h).result == ExchangeOk;
}

void CloseHartIpSession(LinkState& s) {
    if (s.hartIp) s.hartIp->close();
}

}  // namespace quillon
