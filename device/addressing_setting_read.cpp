#include "device/addressing_setting_read.h"

#include "device/polling_answer.h"
#include "device/polling_menu_guard.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
// Answer data: one byte the tools do not interpret, then the value, most
// significant byte first.
constexpr std::size_t kValueEnd = 5;

}  // namespace

RawSettingRead ReadSettingLowByte(DeviceState& s, std::uint8_t number, const std::string& progressText) {
    const MainMenuRemoved menuRemoved(s.ui);
    const ProgressWindow progress(s.ui);
    BuildLongRequest(s.buffer, kReadSettingCommand, {number});
    RawSettingRead r;
    r.exchange = ExchangeWithAttempts(s, progressText, kNoAttemptLimit);
    if (r.exchange != ExchangeOk || !AnswerWithinReceived(s.buffer) || AnswerByteCount(s.buffer) < 2) return r;
    r.hasStatus = true;
    r.responseCode = ResponseCode(s.buffer);
    if (r.responseCode == 0 && AnswerDataCount(s.buffer) >= kValueEnd)
        r.lowByte = s.buffer.response[AnswerDataIndex(s.buffer) + kValueEnd - 1];
    return r;
}

}  // namespace quillon
