#include "link/tunnel.h"

#include <algorithm>
#include <cstring>

#include "link/crc16.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/texts.h"

namespace quillon {

std::size_t TunnelAnswerHeaderLength(const LinkSettings& settings) { return settings.tunnelRequestFormat == 1 ? 6 : 4; }

std::vector<std::uint8_t> WrapRequest(const LinkSettings& st, const std::uint8_t* hart, std::size_t length) {
    const bool format33 = st.tunnelRequestFormat == 1;
    const std::size_t credentials = format33 ? 6 : 4;
    const std::size_t total = length + (format33 ? 24 : 22);
    std::vector<std::uint8_t> frame(total, 0);
    frame[0] = kTunnelRequestStart;
    frame[1] = st.tunnelAddress;
    frame[2] = static_cast<std::uint8_t>(total);
    frame[3] = format33 ? 0x21 : 0x0B;
    if (format33) {
        frame[4] = static_cast<std::uint8_t>(st.tunnelLine + 1);
        frame[5] = 0x00;
    }
    std::uint8_t* field = frame.data() + credentials;
    std::memset(field, 0x20, 16);
    const std::size_t passwordRoom = st.souMode ? 12 : 16;
    std::memcpy(field, st.tunnelPassword.data(), std::min(passwordRoom, st.tunnelPassword.size()));
    if (st.souMode) std::memcpy(field + 12, st.tunnelUserId.data(), std::min<std::size_t>(4, st.tunnelUserId.size()));
    std::copy(hart, hart + length, frame.begin() + static_cast<std::ptrdiff_t>(credentials + 16));
    VerifyOrStoreCrc(frame.data(), frame.size());
    return frame;
}

int UnwrapAnswer(LinkState& s, std::size_t count) {
    auto& r = s.buffer.response;
    if (count == 0) return ExchangeNoTunnelAnswer;
    if (count < 9) return ExchangeBadAnswer;
    // The length byte must agree with what arrived, or the CRC position is meaningless.
    if (r[2] != count || count > r.size()) return ExchangeBadAnswer;
    if (!VerifyOrStoreCrc(r.data(), count)) return ExchangeBadAnswer;
    if (count == 9) {
        if (r[4] == 4) {
            auto answer = s.ui.message(MessageIcon::Error, texts::kWrongTunnelPassword, MessageButtons::YesNo);
            if (answer != MessageAnswer::Yes) return ExchangeNoAnswer;
            s.linkFailure = texts::kWrongTunnelPasswordReason;
            return ExchangeAborted;
        }
        return ExchangeNoAnswer;
    }
    const std::size_t header = TunnelAnswerHeaderLength(s.settings);
    if (count < header + 2) return ExchangeBadAnswer;
    const std::size_t hartLength = count - header - 2;
    std::memmove(r.data(), r.data() + header, count - header);
    s.buffer.responseCount = static_cast<std::uint8_t>(hartLength);
    // The flow computer forwards whatever answered on its line: the frame
    // type and address get the same rules as on the direct link, so that an
    // answer from another device or of the other frame type is never read
    // with the wrong layout.
    s.buffer.refusal = JudgeAnswer(PrepareAnswerFilter(s.buffer), s.buffer, hartLength, false);
    if (s.buffer.refusal != AnswerRefusal::None) return ExchangeBadAnswer;
    // Bytes after the HART check byte (a modem's trailing noise, forwarded
    // with the frame) are dropped, as the direct link's receiver drops them:
    // the answer ends at its own length.
    s.buffer.responseCount = static_cast<std::uint8_t>(AnswerOwnLength(s.buffer));
    return ExchangeOk;
}

}  // namespace quillon
