#include <memory>

#include "device/number_entry.h"
#include "device/polling_format.h"
#include "device/response_codes.h"
#include "frontend/pwm_calibration.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/live_view.h"
#include "frontend/menu_items.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr std::uint8_t kFeedbackCodeSetting = 21;

struct Counters {
    std::uint64_t requests = 0, answers = 0, good = 0;
    std::uint64_t sum = 0, samples = 0;
};

}  // namespace

std::uint32_t MeasureFeedbackCode(DeviceState& s) {
    const std::unique_ptr<LiveView> view = s.ui.openLiveView(live_view::PwmMeasurement);
    view->setCaption("Калибровка");
    view->setText("Hint", "F4 - Reset, Enter - Stop");
    s.flags.resetRequested = true;
    Counters c;
    bool shown = false;
    for (;;) {
        if (s.flags.resetRequested) {
            s.flags.resetRequested = false;
            view->setText("ValueLabel", kNoValueText);
            view->setText("MediaLabel", kNoValueText);
            c = Counters{};
        }
        view->setText("ZaprosovLabel", std::to_string(c.requests));
        view->setText("OtvetovLabel", std::to_string(c.answers));
        view->setText("RightOtvetovLabel", std::to_string(c.good));
        if (!shown) {
            view->show();
            shown = true;
        }

        BuildLongRequest(s.buffer, kReadSettingCommand, {kFeedbackCodeSetting});
        const int result = Exchange(s);
        ++c.requests;
        if (result == ExchangeAborted || result == ExchangeBadRequest) break;
        if (result != ExchangeOk) continue;
        ++c.answers;
        if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0 || AnswerDataCount(s.buffer) < 5) continue;
        ++c.good;
        const std::size_t d = AnswerDataIndex(s.buffer);
        const std::uint32_t code = (std::uint32_t{s.buffer.response[d + 1]} << 24) |
                                   (std::uint32_t{s.buffer.response[d + 2]} << 16) |
                                   (std::uint32_t{s.buffer.response[d + 3]} << 8) | s.buffer.response[d + 4];
        view->setText("ValueLabel", std::to_string(code));
        c.sum += code;
        ++c.samples;
        view->setText("MediaLabel", FormatGeneral(static_cast<double>(c.sum / c.samples), 12, s.decimalSeparator));
    }
    return c.good == 0 ? 0u : static_cast<std::uint32_t>(c.sum / c.good);
}

}  // namespace quillon
