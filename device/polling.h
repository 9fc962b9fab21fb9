#pragma once

#include <array>
#include <functional>
#include <optional>

#include "device/device_state.h"
#include "device/polling_answer.h"
#include "device/result_file.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Статистика обмена": identifies the device, lets a revision-16
// device choose between request 1 and the extended poll, then polls until the
// user stops. Runs inside the caller's port bracket.
void StatistikaCommand(DeviceState& s);

// Menu command "Опрос датчика (запрос 3)": the extended poll for the variants
// that carry two measuring channels, otherwise the simple poll with request 3.
void AskReq3Command(DeviceState& s);

// One poll of a run. Done: the device answered; `reading` (simple poll) or
// `values` (extended poll) only when the answer had the request's shape, so
// a poll without an answer never repeats an earlier value.
struct PollSample {
    Outcome outcome;
    std::optional<PollReading> reading;
    std::optional<std::array<std::uint32_t, 4>> values;
    std::uint8_t responseCode = 0;
    std::uint8_t deviceStatus = 0;
};
using PollSampleSink = std::function<void(const PollSample&)>;

struct PollRunOptions {
    // A run whose last this many polls went unanswered ends NoAnswer (0: never).
    int unansweredLimit = 3;
    PollSampleSink onSample;
};

// The simple poll with request 1 or 3 (a density meter may switch to its
// period output), until the engineer stops it. `wallClock` dates the records
// of the result file. Done, or NoAnswer when the link was lost (its words in
// `reason`) or the last `unansweredLimit` polls went unanswered.
Outcome RunSimplePoll(DeviceState& s, PollRequest request, const WallClock& wallClock = SystemWallClock(),
                      const PollRunOptions& options = {});

// Four values of request 3 side by side, with their averages; the outcome as
// for the simple poll.
Outcome RunExtendedPoll(DeviceState& s, const PollRunOptions& options = {});

// What a poll run that did not end done tells the engineer.
Report PollRunReport(const Outcome& o);

// Counts the unanswered polls of a run and judges it at its end.
class PollRunJudge {
public:
    explicit PollRunJudge(int unansweredLimit) : limit_(unansweredLimit) {}
    // Records one poll's exchange result; returns that poll's outcome.
    Outcome record(const LinkState& s, int exchangeResult);
    Outcome verdict() const;

private:
    int limit_;
    int unansweredInRow_ = 0;
    Outcome lastFailure_;
    Outcome linkLost_;
};

}  // namespace quillon
