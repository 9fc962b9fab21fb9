#include "device/device_swap.h"

#include "device/hex_text.h"
#include "device/identification.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

// Bytes of a command-0 answer up to and including the device id.
constexpr std::size_t kIdentityBytes = 12;

}  // namespace

std::optional<std::string> CheckForSwappedDevice(DeviceState& s) {
    if (!s.longFrameUnanswered || !s.identity.identified) return std::nullopt;
    s.longFrameUnanswered = false;
    s.ui.setProgressText("Проверяю, то ли устройство на адресе");
    BuildShortRequest(s.buffer, 0);
    // One request only: a silent device stays the one we knew, and the
    // command that asks next reports its own silence.
    if (Exchange(s) != ExchangeOk || AnswerDataCount(s.buffer) < kIdentityBytes) return std::nullopt;
    const auto answered = LongAddressFromIdentity(s.buffer.response.data() + AnswerDataIndex(s.buffer));
    if (answered == s.identity.longAddress) return std::nullopt;
    const std::string was = HexBytesText(s.identity.longAddress);
    invalidateIdentity(s);
    return "На коротком адресе " + std::to_string(s.settings.shortAddress) +
           " отвечает другое устройство: длинный адрес " + HexBytesText(answered) + " вместо " + was +
           ". Устройство будет определено заново.";
}

}  // namespace quillon
