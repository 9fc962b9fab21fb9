#include "frontend/code_view.h"

#include <bit>
#include <memory>

#include "device/identification.h"
#include "device/outcome_text.h"
#include "device/measuring_channel.h"
#include "device/number_entry.h"
#include "device/polling_format.h"
#include "device/polling_menu_guard.h"
#include "device/variant.h"
#include "frontend/code_view_names.h"
#include "link/exchange.h"
#include "link/live_view.h"
#include "link/message_boxes.h"
#include "frontend/menu_items.h"

namespace quillon {

namespace {

namespace v = codeview;

constexpr const char* kNotAvailable = "Эта функция недоступна для текущей версии датчика!";
constexpr const char* kNoData = "Нет данных!";
constexpr int kAverageDecimals = 4;

class CodeView {
public:
    CodeView(DeviceState& s, LiveView& view, int channelCount, int loadedCalibrationKind)
        : s_(s), view_(view), count_(channelCount) {
        for (int k = 0; k < count_; ++k) isFloat_[k] = IsFloatCodeChannel(s.identity, k, loadedCalibrationKind);
    }

    // The last exchange result of the run.
    int run() {
        prepareWindow();
        for (int k = 0;; k = (k + 1) % count_)
            if (!pass(k)) break;
        return last_;
    }

    // Statistics as they stand (since the last reset), and whether any
    // request of the whole run was answered.
    std::vector<CodeViewChannel> channels() const { return {channels_, channels_ + count_}; }
    bool everAnswered() const { return everAnswered_; }

private:
    void prepareWindow() {
        view_.setCaption(v::kCaption);
        view_.setText(v::kInfo, v::kHint);
        view_.setText(v::kButton, v::kStopCaption);
        const auto captions = CodeViewGroupCaptions(s_.identity);
        for (int k = 0; k < v::kMaxChannels; ++k) {
            view_.setText(v::kGroup[k], captions[static_cast<std::size_t>(k)]);
            view_.setVisible(v::kGroup[k], k < count_);
        }
        for (int k = 0; k < count_; ++k)
            for (const char* field : {v::kRequests[k], v::kAnswers[k], v::kValued[k], v::kValue[k], v::kAverage[k]})
                view_.setText(field, kNoValueText);
        s_.flags.resetRequested = true;
    }

    // One request of channel k and its display; false when the view ends.
    bool pass(int k) {
        if (s_.flags.resetRequested) reset();
        CodeViewChannel& c = channels_[k];
        showCounts(k);
        if (!shown_) {
            view_.show();
            shown_ = true;
        }
        // The window repaints while the exchange waits for the answer, off the
        // request's path. Keys are not looked at here: the Enter that closed
        // the channel question is still in the flags, and the exchange clears
        // them; those pressed during a pass are seen by the pause after it.

        BuildCodeRequest(s_, k);
        const int result = Exchange(s_);
        last_ = result;
        ++c.requests;
        if (result == ExchangeOk) everAnswered_ = true;
        if (result != ExchangeOk) {
            view_.setText(v::kValue[k], kNoValueText);
            if (result == ExchangeAborted) return false;
        } else {
            ++c.answers;
            showValue(k, CodeValueFromAnswer(s_));
        }
        return PauseAndKeepPolling(s_);
    }

    void reset() {
        s_.flags.resetRequested = false;
        for (int k = 0; k < count_; ++k) {
            channels_[k] = {};
            view_.setText(v::kValue[k], kNoValueText);
            view_.setText(v::kAverage[k], kNoValueText);
            showCounts(k);
        }
    }

    void showCounts(int k) {
        const CodeViewChannel& c = channels_[k];
        view_.setText(v::kRequests[k], std::to_string(c.requests));
        view_.setText(v::kAnswers[k], std::to_string(c.answers));
        view_.setText(v::kValued[k], std::to_string(c.valued));
    }

    void showValue(int k, std::optional<std::uint32_t> value) {
        if (!value) {
            view_.setText(v::kValue[k], kNoData);
            return;
        }
        CodeViewChannel& c = channels_[k];
        const char sep = s_.decimalSeparator;
        ++c.valued;
        if (isFloat_[k]) {
            if (IsNanPattern(*value)) {
                view_.setText(v::kValue[k], kNanText);
                return;
            }
            const double x = std::bit_cast<float>(*value);
            ++c.samples;
            c.floatSum += x;
            view_.setText(v::kValue[k], FormatDecimals(x, kAverageDecimals, sep));
            view_.setText(v::kAverage[k], FormatDecimals(c.floatSum / c.samples, kAverageDecimals, sep));
            return;
        }
        ++c.samples;
        c.codeSum += *value;
        view_.setText(v::kValue[k], std::to_string(static_cast<std::int32_t>(*value)));
        const auto mean = c.codeSum / static_cast<std::uint64_t>(c.samples);  // floor
        view_.setText(v::kAverage[k], FormatDecimals(static_cast<double>(mean), kAverageDecimals, sep));
    }

    DeviceState& s_;
    LiveView& view_;
    const int count_;
    int last_ = ExchangeOk;
    bool everAnswered_ = false;
    bool isFloat_[v::kMaxChannels] = {};
    CodeViewChannel channels_[v::kMaxChannels];
    bool shown_ = false;
};

}  // namespace

Result<std::vector<CodeViewChannel>> RunCodeView(DeviceState& s, LiveView& view, int loadedCalibrationKind) {
    if (auto foreign = RequireOwnMake(s.identity)) return {*foreign};
    if (!isNotRev10or13(s.identity)) return {NotPossibleOutcome(kNotAvailable)};
    CodeView run(s, view, CodeViewChannelCount(s.identity), loadedCalibrationKind);
    const int last = run.run();
    Result<std::vector<CodeViewChannel>> r{DoneOutcome(), run.channels()};
    // The engineer's stop ends a run as asked; the link's own end does not.
    if (last == ExchangeAborted && !s.linkFailure.empty())
        r.outcome = ExchangeOutcome(s, last);
    else if (!run.everAnswered())
        r.outcome = ExchangeOutcome(s, last == ExchangeOk || last == ExchangeAborted ? ExchangeNoAnswer : last);
    return r;
}

Report CodeViewReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        case OutcomeKind::NoAnswer:
            if (!o.reason.empty()) return {ErrorText(NoAnswerText(o))};
            return {};
        default: return {};
    }
}

void AdcCodeViewCommand(DeviceState& s, int loadedCalibrationKind) {
    if (!ensureIdentified(s)) return;
    if (auto foreign = RequireOwnMake(s.identity)) {
        ShowReport(s.ui, CodeViewReport(*foreign));
        return;
    }
    if (!isNotRev10or13(s.identity)) {
        InfoBox(s, kNotAvailable);
        return;
    }
    if (!AskMeasuringChannel(s)) return;
    const MainMenuRemoved menuRemoved(s.ui);
    const std::unique_ptr<LiveView> view = s.ui.openLiveView(live_view::CodeView);
    if (!view) return;
    const Result<std::vector<CodeViewChannel>> r = RunCodeView(s, *view, loadedCalibrationKind);
    // A Stop or Enter of the view's end must not reach the next command.
    s.flags.stopRequested = false;
    s.flags.enterPressed = false;
    ShowReport(s.ui, CodeViewReport(r.outcome));
}

}  // namespace quillon
