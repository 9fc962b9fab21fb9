#include <algorithm>
#include <bit>
#include <memory>
#include <optional>
#include <string>

#include "device/held_output.h"
#include "device/polling.h"
#include "device/polling_format.h"
#include "device/polling_menu_guard.h"
#include "device/polling_statistics.h"
#include "device/polling_view_names.h"
#include "device/response_codes.h"
#include "device/unit_codes.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/live_view.h"
#include "link/serial_link.h"
#include "device/menu_items.h"

namespace quillon {

namespace {

namespace v = pollview;

constexpr const char* kDensityMeterQuestion = "Данное устройство-плотномер.\nВыводить значение периода?";
constexpr const char* kStatisticsCaption = "Статистика.  F4 - Reset, Enter - Stop";
constexpr const char* kFileWriteError = "Не могу записать в файл!";
constexpr const char* kExitCaption = "Выход";

class SimplePoll {
public:
    SimplePoll(DeviceState& s, PollRequest request, const WallClock& wallClock, LiveView& view,
               const PollRunOptions& options)
        : s_(s),
          request_(request),
          options_(options),
          judge_(options.unansweredLimit),
          file_(s.settings.resultFileName, wallClock),
          view_(view),
          startTick_(s.clock.tickMs()) {}

    Outcome run() {
        prepareFile();
        prepareWindow();
        while (cycle()) {
        }
        view_.setText(v::kButton, kExitCaption);
        view_.waitForClose();
        return judge_.verdict();
    }

private:
    void prepareFile() {
        if (!s_.settings.resultFileEnabled) return;
        if (auto error = file_.create()) fileFailed(*error);
    }

    void fileFailed(const std::string& text) {
        s_.ui.message(MessageIcon::Error, text, MessageButtons::Ok);
        s_.settings.resultFileEnabled = false;
    }

    void prepareWindow() {
        view_.setCaption(kStatisticsCaption);
        view_.setText(v::kMemo, "");
        view_.setVisible(v::kMemo, false);
        for (const char* label : v::kFurther) view_.setVisible(label, false);
        if (isVelkor(s_.identity)) view_.placeBelow(v::kButton, v::kPeriod);
        s_.flags.resetRequested = true;
    }

    // One request and its display. False when the poll is to end.
    bool cycle() {
        if (s_.flags.resetRequested) resetStatistics();
        showCounts();
        if (!shown_) {
            view_.show();
            shown_ = true;
        }

        BuildLongRequest(s_.buffer, PollCommandNumber(request_));
        const int result = Exchange(s_);
        ++stats_.requests;
        showRawAnswer(result);
        PollSample sample;
        sample.outcome = judge_.record(s_, result);
        // A stop ends the poll even when the line also reported receive
        // errors in that exchange: the user's key must not be lost.
        if (result == ExchangeAborted) return false;

        if (s_.buffer.lineErrors != 0) {
            view_.setText(v::kValue, kNoValueText);
            view_.setText(v::kStatus, ComposeStatusLine(s_.buffer.lineErrors, false, 0, 0));
        } else if (result != ExchangeOk) {
            view_.setText(v::kValue, kNoValueText);
            view_.setText(v::kStatus, kNoValueText);
        } else {
            sample.reading = showAnswer();
            sample.responseCode = PollResponseCode(s_.buffer);
            sample.deviceStatus = PollDeviceStatus(s_.buffer);
        }
        if (options_.onSample) options_.onSample(sample);

        // The counts include this request before the window reports the cycle.
        showCounts();
        view_.cycleEnded();
        return PauseAndKeepPolling(s_);
    }

    void resetStatistics() {
        s_.flags.resetRequested = false;
        for (const char* label : {v::kValue, v::kAverage, v::kStatus, v::kMinimum, v::kMaximum})
            view_.setText(label, kNoValueText);
        stats_.reset();
        view_.clearTrend();
    }

    void showCounts() {
        view_.setText(v::kRequests, std::to_string(stats_.requests));
        view_.setText(v::kAnswers, std::to_string(stats_.answers));
        view_.setText(v::kCorrect, std::to_string(stats_.correctAnswers));
    }

    void showRawAnswer(int result) {
        if (s_.settings.linkType != kLinkDirect) {
            view_.setVisible(v::kMemo, false);
            return;
        }
        view_.setVisible(v::kMemo, true);
        if (result == ExchangeAborted) return;
        const int count = std::clamp(s_.buffer.rawAnswerCount, 0, static_cast<int>(kFrameCapacity));
        view_.setText(v::kMemo, HexDump(s_.buffer.rawAnswer.data(), static_cast<std::size_t>(count)));
    }

    std::optional<PollReading> showAnswer() {
        // Both counters advance on every intact answer, as users of the tool
        // have always read them; the status line tells a wrong shape apart.
        ++stats_.answers;
        ++stats_.correctAnswers;
        // A fixed loop current shows in the banner, whoever fixed it.
        if (AnswerHasStatus(s_.buffer)) NoteDeviceStatus(s_, DeviceStatus(s_.buffer));
        const auto reading = ReadPollAnswer(s_.buffer, request_);
        if (reading) {
            showReading(*reading);
        } else {
            // An old value beside "not counted" would pass for a current one.
            view_.setText(v::kValue, kNoValueText);
        }
        view_.setText(v::kStatus, ComposeStatusLine(0, reading.has_value(), PollResponseCode(s_.buffer),
                                                    PollDeviceStatus(s_.buffer)));
        return reading;
    }

    void showReading(const PollReading& r) {
        const char sep = s_.decimalSeparator;
        if (IsNanPattern(r.primary.bits)) {
            view_.setText(v::kValue, kNanText);
        } else {
            const float value = std::bit_cast<float>(r.primary.bits);
            if (s_.settings.resultFileEnabled) {
                if (auto error = file_.append(value)) fileFailed(std::string(kFileWriteError) + "\n" + *error);
            }
            view_.setText(v::kValue, FormatValue7(value, sep));
            stats_.add(value);
            view_.setText(v::kAverage, FormatValue7(stats_.average(), sep));
            view_.setText(v::kMinimum, FormatValue7(stats_.minimum, sep));
            view_.setText(v::kMaximum, FormatValue7(stats_.maximum, sep));
            view_.addTrendPoint(secondsSinceStart(), value);
        }

        switch (request_) {
            case PollRequest::Period:
                view_.setVisible(v::kPeriod, true);
                view_.setText(v::kPeriod, "Период = " + AuxiliaryText(*r.auxiliaryBits, FormatPeriod, " мкс"));
                break;
            case PollRequest::Command3:
                view_.setVisible(v::kPeriod, true);
                view_.setText(v::kPeriod, "Ток = " + AuxiliaryText(*r.auxiliaryBits, FormatValue7, " mA"));
                showFurther(r);
                break;
            case PollRequest::Command1: view_.setVisible(v::kPeriod, false); break;
        }

        const std::string unit = UnitText(r.primary.unit);
        if (unit != shownUnit_) {
            view_.setText(v::kUnit, unit);
            shownUnit_ = unit;
        }
    }

    // "NAN" + suffix reads "NAN mA", "NAN" alone for the period (no unit).
    template <typename Format>
    std::string AuxiliaryText(std::uint32_t bits, Format format, const char* unit) const {
        if (IsNanPattern(bits)) return request_ == PollRequest::Period ? kNanText : std::string(kNanText) + unit;
        return format(std::bit_cast<float>(bits), s_.decimalSeparator) + unit;
    }

    void showFurther(const PollReading& r) {
        for (int k = 0; k < 3; ++k) {
            const char* label = v::kFurther[k];
            if (k >= r.furtherCount) {
                // A device that reports fewer variables than before must not
                // leave the old ones on screen.
                view_.setVisible(label, false);
                continue;
            }
            const PolledVariable& var = r.further[static_cast<std::size_t>(k)];
            const std::string value = IsNanPattern(var.bits)
                                          ? std::string(kNanText)
                                          : FormatValue7(std::bit_cast<float>(var.bits), s_.decimalSeparator);
            view_.setVisible(label, true);
            view_.setText(label, std::to_string(k + 2) + "-я перем.= " + value + " " + UnitText(var.unit));
        }
    }

    double secondsSinceStart() const { return static_cast<std::uint32_t>(s_.clock.tickMs() - startTick_) / 1000.0; }

    DeviceState& s_;
    const PollRequest request_;
    const PollRunOptions& options_;
    PollRunJudge judge_;
    const ResultFile file_;
    LiveView& view_;
    const std::uint32_t startTick_;
    PollStatistics stats_;
    std::string shownUnit_;
    bool shown_ = false;
};

}  // namespace

Outcome RunSimplePoll(DeviceState& s, PollRequest request, const WallClock& wallClock,
                      const PollRunOptions& options) {
    const MainMenuRemoved menuRemoved(s.ui);
    // The period output (command 110) is this maker's own.
    if (s.identity.densityMeter && isOwnMake(s.identity) &&
        s.ui.message(MessageIcon::Confirmation, kDensityMeterQuestion, MessageButtons::YesNo) == MessageAnswer::Yes)
        request = PollRequest::Period;
    const std::unique_ptr<LiveView> view = s.ui.openLiveView(live_view::Statistics);
    return SimplePoll(s, request, wallClock, *view, options).run();
}

}  // namespace quillon
