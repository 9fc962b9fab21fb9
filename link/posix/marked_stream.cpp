#include "link/posix/marked_stream.h"

namespace quillon {

void MarkedStreamDecoder::feed(const std::uint8_t* bytes, std::size_t count, std::vector<ReceivedByte>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t c = bytes[i];
        switch (state_) {
            case State::Plain:
                if (c == 0xFF)
                    state_ = State::SawFF;
                else
                    out.push_back({c, false});
                break;
            case State::SawFF:
                if (c == 0x00) {
                    state_ = State::SawFF00;
                } else {
                    // 0xFF 0xFF is the escaped data byte. Anything else cannot come
                    // from the line discipline; pass both bytes on rather than lose one.
                    out.push_back({0xFF, false});
                    if (c != 0xFF) out.push_back({c, false});
                    state_ = State::Plain;
                }
                break;
            case State::SawFF00:
                out.push_back({c, true});
                state_ = State::Plain;
                break;
        }
    }
}

}  // namespace quillon
