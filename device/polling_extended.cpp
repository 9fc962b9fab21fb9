#include <array>
#include <bit>
#include <memory>
#include <string>

#include "device/held_output.h"
#include "device/polling.h"
#include "device/polling_format.h"
#include "device/polling_menu_guard.h"
#include "device/polling_view_names.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/live_view.h"
#include "link/serial_link.h"
#include "device/menu_items.h"

namespace quillon {

namespace {

namespace v = pollview;

constexpr const char* kShowAllCaption = "Текущие значения";
constexpr const char* kShowAllHint = "F4 - Reset, Enter - Stop";
constexpr std::array<const char*, 4> kRev16Groups{
    "Основной канал:", "T процессора:", "Канал 1 (с АЦП):", "Канал 2 (с I2C):"};
constexpr std::array<const char*, 4> kDefaultGroups{
    "Посчитанное значение 1 :", "Посчитанное значение 2 :", "Код АЦП 1 :", "Код АЦП 2 :"};

class ExtendedPoll {
public:
    ExtendedPoll(DeviceState& s, LiveView& view, const PollRunOptions& options)
        : s_(s), view_(view), options_(options), judge_(options.unansweredLimit) {}

    Outcome run() {
        s_.flags.stopRequested = false;
        view_.setCaption(kShowAllCaption);
        view_.setText(v::kHint, kShowAllHint);
        const auto& captions = isRev16(s_.identity) ? kRev16Groups : kDefaultGroups;
        for (std::size_t g = 0; g < 4; ++g) view_.setText(v::kGroup[g], captions[g]);
        reset();
        view_.show();
        while (cycle()) {
        }
        return judge_.verdict();
    }

private:
    bool cycle() {
        if (s_.flags.resetRequested) reset();
        showCounts();

        BuildLongRequest(s_.buffer, 3);
        const int result = Exchange(s_);
        ++requests_;
        PollSample sample;
        sample.outcome = judge_.record(s_, result);
        if (result == ExchangeAborted) return false;
        if (result == ExchangeOk) {
            ++answers_;
            if (AnswerHasStatus(s_.buffer)) NoteDeviceStatus(s_, DeviceStatus(s_.buffer));
            const auto values = ReadExtendedAnswer(s_.buffer);
            sample.values = values;
            sample.responseCode = PollResponseCode(s_.buffer);
            sample.deviceStatus = PollDeviceStatus(s_.buffer);
            // An answer without the four values must not leave the old ones
            // on screen as if they were current.
            if (values)
                showValues(*values);
            else
                clearValues();
        } else {
            clearValues();
        }
        if (options_.onSample) options_.onSample(sample);

        // The counts include this request before the window reports the cycle.
        showCounts();
        view_.cycleEnded();
        return PauseAndKeepPolling(s_);
    }

    void reset() {
        s_.flags.resetRequested = false;
        requests_ = answers_ = 0;
        correct_.fill(0);
        sums_.fill(0.0);
        for (std::size_t g = 0; g < 4; ++g) {
            view_.setText(v::kGroupValue[g], kNoValueText);
            view_.setText(v::kGroupAverage[g], kNoValueText);
        }
    }

    void showCounts() {
        view_.setText(v::kAllRequests, std::to_string(requests_));
        view_.setText(v::kAllAnswers, std::to_string(answers_));
        for (std::size_t g = 0; g < 4; ++g) view_.setText(v::kGroupCorrect[g], std::to_string(correct_[g]));
    }

    void showValues(const std::array<std::uint32_t, 4>& bits) {
        const char sep = s_.decimalSeparator;
        for (std::size_t g = 0; g < 4; ++g) {
            if (IsNanPattern(bits[g])) {
                view_.setText(v::kGroupValue[g], kNanText);
                continue;
            }
            const double value = std::bit_cast<float>(bits[g]);
            ++correct_[g];
            sums_[g] += value;
            view_.setText(v::kGroupValue[g], FormatValue4(value, sep));
            view_.setText(v::kGroupAverage[g], FormatValue4(sums_[g] / static_cast<double>(correct_[g]), sep));
        }
    }

    void clearValues() {
        for (const char* label : v::kGroupValue) view_.setText(label, kNoValueText);
    }

    DeviceState& s_;
    LiveView& view_;
    const PollRunOptions& options_;
    PollRunJudge judge_;
    long requests_ = 0;
    long answers_ = 0;
    std::array<long, 4> correct_{};
    std::array<double, 4> sums_{};
};

}  // namespace

Outcome RunExtendedPoll(DeviceState& s, const PollRunOptions& options) {
    const MainMenuRemoved menuRemoved(s.ui);
    const std::unique_ptr<LiveView> view = s.ui.openLiveView(live_view::ShowAll);
    return ExtendedPoll(s, *view, options).run();
}

}  // namespace quillon
