#include "calibration/calibration_measurement.h"

#include <bit>
#include <cmath>
#include <memory>

#include "calibration/calibration_point_entry.h"
#include "calibration/text_columns.h"
#include "device/number_entry.h"
#include "device/polling_format.h"
#include "device/polling_menu_guard.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/live_view.h"
#include "calibration/menu_items.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr std::uint8_t kReadCodeCommand = 113;
constexpr std::uint8_t kMainReadingSetting = 19;  // + the measuring channel
constexpr std::uint8_t kAmbientSetting = 20;
constexpr std::uint8_t kSecondChannelSetting = 30;  // revision 16, channel 1
constexpr std::uint8_t kCodeAnswerByteCount = 7;

namespace window {
constexpr const char* kValue = "ValueLabel";
constexpr const char* kMean = "MediaLabel";
constexpr const char* kAmbientValue = "OkrValueLabel";
constexpr const char* kAmbientMean = "OkrMediaLabel";
constexpr const char* kRequests = "ZaprosovLabel";
constexpr const char* kAnswers = "OtvetovLabel";
constexpr const char* kValid = "RightOtvetovLabel";
constexpr const char* kList = "ListBox1";
// How settled the reading is: its spread and the number of readings behind the mean.
constexpr const char* kDeviation = "DeviationLabel";
constexpr const char* kSamples = "SamplesLabel";
constexpr const char* kSettling = "SettlingPanel";  // the two above and the trend
}  // namespace window

// Running standard deviation (Welford): the sum of squares would lose every
// digit of a 24-bit code's spread to cancellation.
struct Spread {
    std::uint64_t n = 0;
    double mean = 0, m2 = 0;
    void add(double x) {
        ++n;
        const double delta = x - mean;
        mean += delta / static_cast<double>(n);
        m2 += delta * (x - mean);
    }
    // Sample standard deviation; needs two readings.
    std::optional<double> deviation() const {
        if (n < 2) return std::nullopt;
        return std::sqrt(m2 / static_cast<double>(n - 1));
    }
};

// Counters and sums since the last reset (F4 or a point entered).
struct Measurement {
    std::uint64_t requests = 0, answers = 0, validAnswers = 0;
    double mainSum = 0;
    std::uint64_t mainCount = 0;
    double ambientSum = 0;
    std::uint64_t ambientCount = 0;
    Spread mainSpread;
};

bool NotANumberBits(std::uint32_t bits) { return ((bits >> 23) & 0xFFu) == 0xFFu; }

class MeasurementWindow {
public:
    MeasurementWindow(DeviceState& s, const CalibrationSet& cal, bool ambientWindow)
        : s_(s),
          cal_(cal),
          ambientWindow_(ambientWindow),
          view_(s.ui.openLiveView(ambientWindow ? live_view::CalibrationAmbient : live_view::Calibration)) {
        view_->setCaption("Калибровка");
        view_->setText("Hint", "F4 - Reset, Enter - Stop");
        view_->setVisible(window::kList, false);
        view_->setVisible(window::kSettling, true);
        view_->show();
    }

    void reset() {
        m_ = Measurement{};
        resetTick_ = s_.clock.tickMs();
        view_->setText(window::kValue, kNoValueText);
        view_->setText(window::kMean, kNoValueText);
        view_->setText(window::kDeviation, kNoValueText);
        view_->setText(window::kSamples, "0");
        view_->clearTrend();
        if (ambientWindow_) {
            view_->setText(window::kAmbientValue, kNoValueText);
            view_->setText(window::kAmbientMean, kNoValueText);
        }
    }

    void showCounters() {
        view_->setText(window::kRequests, std::to_string(m_.requests));
        view_->setText(window::kAnswers, std::to_string(m_.answers));
        view_->setText(window::kValid, std::to_string(m_.validAnswers));
    }

    void showAmbient(std::uint32_t reading) {
        const char sep = s_.decimalSeparator;
        if (s_.identity.softwareRevision == 11) {
            const float value = std::bit_cast<float>(reading);
            if (NotANumberBits(reading)) {
                // Not averaged, as on the main channel: one bad reading would spoil every mean after it.
                view_->setText(window::kAmbientValue, "NAN");
                return;
            }
            ++m_.ambientCount;
            m_.ambientSum += value;
            view_->setText(window::kAmbientValue, FormatDecimals(value, 5, sep));
            view_->setText(window::kAmbientMean,
                           FormatDecimals(m_.ambientSum / static_cast<double>(m_.ambientCount), 5, sep));
            return;
        }
        ++m_.ambientCount;
        m_.ambientSum += reading;
        view_->setText(window::kAmbientValue, std::to_string(reading));
        view_->setText(window::kAmbientMean, std::to_string(static_cast<std::uint64_t>(
                                                 m_.ambientSum / static_cast<double>(m_.ambientCount))));
    }

    void showMain(std::uint32_t reading) {
        const DeviceIdentity& id = s_.identity;
        if (hasTemperatureReadings(id)) {
            if (NotANumberBits(reading)) {
                view_->setText(window::kValue, "NAN");
                return;
            }
            const float value = std::bit_cast<float>(reading);
            m_.mainSum += value;
            ++m_.mainCount;
            const int decimals = id.softwareRevision == 14 ? 2 : 5;
            view_->setText(window::kValue, FormatDecimals(value, decimals, s_.decimalSeparator));
            view_->setText(window::kMean, FormatDecimals(mainMean(), decimals, s_.decimalSeparator));
            showSettling(value, decimals);
            return;
        }
        m_.mainSum += reading;
        ++m_.mainCount;
        view_->setText(window::kValue, std::to_string(reading));
        view_->setText(window::kMean, std::to_string(static_cast<std::uint64_t>(mainMean())));
        showSettling(reading, 1);
    }

    // The spread, the count and the trend of the readings averaged, so the
    // engineer stops when the reference has settled rather than guessing.
    void showSettling(double reading, int decimals) {
        m_.mainSpread.add(reading);
        const auto deviation = m_.mainSpread.deviation();
        view_->setText(window::kDeviation,
                       deviation ? FormatDecimals(*deviation, decimals, s_.decimalSeparator) : kNoValueText);
        view_->setText(window::kSamples, std::to_string(m_.mainCount));
        const std::uint32_t elapsed = s_.clock.tickMs() - resetTick_;
        view_->addTrendPoint(static_cast<double>(elapsed) / 1000.0, reading);
    }

    // First text of the point dialog: the main mean, or "0" before any valid reading.
    std::string meanText() const {
        if (m_.mainCount == 0) return "0";
        if (hasTemperatureReadings(s_.identity)) return FormatDecimals(mainMean(), 4, s_.decimalSeparator);
        return std::to_string(static_cast<std::uint64_t>(mainMean()));
    }

    void showPoints() {
        if (!listShown_) {
            view_->setVisible(window::kList, true);
            listShown_ = true;
        }
        view_->setText(window::kList, MeasuredPointLines(s_, cal_));
    }

    Measurement& counters() { return m_; }

private:
    double mainMean() const { return m_.mainSum / static_cast<double>(m_.mainCount); }

    DeviceState& s_;
    const CalibrationSet& cal_;
    bool ambientWindow_;
    std::unique_ptr<LiveView> view_;
    Measurement m_;
    std::uint32_t resetTick_ = 0;
    bool listShown_ = false;
};

std::size_t PointsTaken(const DeviceState& s, const CalibrationSet& cal) {
    return hasTemperatureReadings(s.identity) ? cal.temperaturePairs.size() : cal.codePoints.size();
}

}  // namespace

MeasurementRequest NextMeasurementRequest(const DeviceIdentity& id, bool ambientWindow, std::uint64_t requests) {
    if (!isStandardCommandFamily(id)) return {kReadCodeCommand, 0, false};
    if (ambientWindow && requests % 2 == 1) return {kReadSettingCommand, kAmbientSetting, true};
    if (isRev16(id) && id.selectedChannel == 1) return {kReadSettingCommand, kSecondChannelSetting, false};
    return {kReadSettingCommand, static_cast<std::uint8_t>(kMainReadingSetting + id.selectedChannel), false};
}

std::optional<std::uint32_t> MeasurementReading(const ExchangeBuffer& b, const MeasurementRequest& request) {
    if (!AnswerHasStatus(b)) return std::nullopt;
    const std::size_t d = AnswerDataIndex(b);
    const auto byte = [&](std::size_t i) { return std::uint32_t{b.response[d + i]}; };
    if (request.command == kReadCodeCommand) {
        if (AnswerByteCount(b) != kCodeAnswerByteCount || AnswerDataCount(b) < 5) return std::nullopt;
        return byte(1) | (byte(2) << 8) | (byte(3) << 16) | (byte(4) << 24);
    }
    if (ResponseCode(b) != 0 || AnswerDataCount(b) < 5) return std::nullopt;
    return (byte(1) << 24) | (byte(2) << 16) | (byte(3) << 8) | byte(4);
}

std::string MeasuredPointLine(int n, const DeviceIdentity& id, double reading, double value, char separator) {
    std::string label;
    std::string readingText;
    if (hasTemperatureReadings(id)) {
        label = id.softwareRevision == 14 || isRev16AdcChannel(id) ? "Код АЦП: " : "Tдатчика : ";
        readingText = FormatDecimals(reading, 3, separator);
    } else {
        label = "Код АЦП : ";
        readingText = std::to_string(static_cast<std::uint32_t>(reading));
    }
    const std::string head = std::to_string(n) + ") " + label;
    return PadOrCut(head + readingText, CharacterCount(head) + 14) + "Значение : " + FormatDecimals(value, 3, separator);
}

std::string MeasuredPointLines(const DeviceState& s, const CalibrationSet& cal) {
    std::string lines;
    int n = 0;
    const auto add = [&](double reading, double value) {
        if (!lines.empty()) lines += '\n';
        lines += MeasuredPointLine(++n, s.identity, reading, value, s.decimalSeparator);
    };
    if (hasTemperatureReadings(s.identity)) {
        for (const TemperaturePair& p : cal.temperaturePairs) add(PairReading(cal, p), p.value);
    } else {
        for (const CodePoint& p : cal.codePoints) add(p.code, p.value);
    }
    return lines;
}

int TakeCalibrationPoints(DeviceState& s, CalibrationSet& cal, int pointsWanted) {
    const bool ambientWindow = s.identity.softwareRevision == 8 || s.identity.softwareRevision == 11;
    MeasurementWindow window(s, cal, ambientWindow);
    for (;;) {
        if (s.flags.resetRequested) {
            s.flags.resetRequested = false;
            window.reset();
        }
        window.showCounters();

        const MeasurementRequest request = NextMeasurementRequest(s.identity, ambientWindow, window.counters().requests);
        if (request.command == kReadSettingCommand)
            BuildLongRequest(s.buffer, kReadSettingCommand, {request.setting});
        else
            BuildLongRequest(s.buffer, kReadCodeCommand);
        const int result = Exchange(s);
        ++window.counters().requests;

        bool enterPoint = result == ExchangeAborted;
        // A request that cannot be built never will be: asking again would only repeat the message.
        if (result == ExchangeBadRequest) return kMeasurementBroken;
        if (result == ExchangeOk) {
            ++window.counters().answers;
            if (const auto reading = MeasurementReading(s.buffer, request)) {
                ++window.counters().validAnswers;
                if (request.ambient)
                    window.showAmbient(*reading);
                else
                    window.showMain(*reading);
                // Enter in the pause counts like Enter in the exchange: the key must not be lost.
                enterPoint = !PauseAndKeepPolling(s);
            }
        }
        if (!enterPoint) continue;

        window.showCounters();
        switch (EnterCalibrationPoint(s, cal, window.meanText(), "0", false)) {
            case kPointStop: return kMeasurementAbandoned;
            case kPointAccepted:
                window.showPoints();
                if (PointsTaken(s, cal) >= static_cast<std::size_t>(pointsWanted)) return kMeasurementFinished;
                break;
            default: break;
        }
        s.flags.resetRequested = true;
    }
}

}  // namespace quillon
