#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace quillon {

struct LinkState;

// What a device operation did. Every operation of the core returns one; the
// windows and the command line present it, and nothing but Done is ever
// presented as a success.
enum class OutcomeKind {
    Done,          // the device did what was asked (and answered what was read)
    Refused,       // the device answered with an error response code
    NoAnswer,      // no usable answer: silence, damaged answers, or the link failed
    Interrupted,   // the engineer stopped the wait (Enter, Esc, Stop, Ctrl+C)
    InputRefused,  // a value given to the operation was refused before any request
    Partial,       // a write of several steps stopped part-way (`stoppedBy` says why)
    NotPossible,   // this device or link cannot do it; nothing was sent
};

// What the device may hold after a write that did not end Done.
enum class DeviceEffect {
    None,     // unchanged: nothing was sent, or the device refused the first write
    Unknown,  // a write went out and its answer was lost: the device may have taken it
    Partial,  // some steps were taken and the rest not: `effectText` says what that leaves
};

// The response code of an answer too short to carry one.
inline constexpr std::uint8_t kNoResponseCode = 0xFF;

struct Outcome {
    OutcomeKind kind = OutcomeKind::Done;
    // Partial: what stopped it (Refused, NoAnswer or Interrupted); otherwise `kind`.
    OutcomeKind stoppedBy = OutcomeKind::Done;
    // NoAnswer, Interrupted: the last exchange result.
    int exchange = 0;
    // Refused: the device's response code, or kNoResponseCode.
    std::uint8_t responseCode = 0;
    // NoAnswer: the link's own words, when it said more than "no answer";
    // InputRefused, NotPossible: why.
    std::string reason;
    // InputRefused: which value.
    std::string field;
    // Partial, and a multi-step write cut short: how far it got.
    int stepsDone = 0;
    int stepsTotal = 0;
    DeviceEffect effect = DeviceEffect::None;
    // What a partial write leaves in the device, in the engineer's words.
    std::string effectText;

    bool done() const { return kind == OutcomeKind::Done; }
    // The cause, also of a partial write.
    OutcomeKind cause() const { return kind == OutcomeKind::Partial ? stoppedBy : kind; }
    // The device's write lock (codes 7 and 16): the button on its housing
    // lets the write through, so a repeat may succeed.
    bool writeLocked() const;
};

// An outcome and what the operation read; `value` means something only when
// the outcome is Done, unless the operation says otherwise.
template <typename T>
struct Result {
    Outcome outcome;
    T value{};

    bool done() const { return outcome.done(); }
};

Outcome DoneOutcome();
Outcome RefusedOutcome(std::uint8_t responseCode);
Outcome InputRefusedOutcome(std::string field, std::string reason);
Outcome NotPossibleOutcome(std::string reason);

// The outcome of an exchange that did not end ExchangeOk: Interrupted when the
// engineer stopped it, NoAnswer with the link's words otherwise (a port that
// is not there, a connection reset, a server that ended the session);
// InputRefused for a request the exchange refused to send.
Outcome ExchangeOutcome(const LinkState& s, int exchangeResult);

// A write request went out and its answer was lost: what the device holds now
// is unknown, and says so.
Outcome WithUnknownEffect(Outcome o);

// A write of `total` steps stopped after `done` were taken, for the reason in
// `stop`; `left` says what that leaves in the device. With no step taken the
// outcome is `stop` itself.
Outcome PartialOutcome(Outcome stop, int done, int total, std::string left);

// Asked when the device answers a write with its write lock: true repeats the
// refused request (the engineer has pressed the button). The windows ask with
// the operation's own question; the command line asks at a terminal and
// declines in a script.
using AskRepeatOnLock = std::function<bool(const Outcome& refusal)>;

// Never repeats: for callers that only report.
bool NeverRepeat(const Outcome&);

}  // namespace quillon
