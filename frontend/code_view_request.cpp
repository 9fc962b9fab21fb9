#include <initializer_list>

#include "device/variant.h"
#include "frontend/code_view.h"
#include "frontend/code_view_names.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr std::uint8_t kLiveCodeCommand = 113;
// Two status bytes, the converter status and four code bytes.
constexpr std::uint8_t kLiveCodeByteCount = 7;

bool In(int value, std::initializer_list<int> set) {
    for (int v : set)
        if (v == value) return true;
    return false;
}

std::uint8_t SettingOfChannel(const DeviceIdentity& id, int channel) {
    switch (channel) {
        case 0: return isRev16(id) && id.selectedChannel == 1 ? 30 : 19;
        case 1: return 20;
        default: return 10;
    }
}

}  // namespace

bool hasTwoCodeChannels(const DeviceIdentity& id) {
    return In(id.softwareRevision, {8, 11, 14, 15}) || isRev16AdcChannel(id);
}

int CodeViewChannelCount(const DeviceIdentity& id) {
    if (hasTwoCodeChannels(id)) return 2;
    if (isRev6(id)) return 3;
    return 1;
}

bool IsFloatCodeChannel(const DeviceIdentity& id, int channel, int loadedCalibrationKind) {
    switch (channel) {
        case 0: return hasTemperatureReadings(id, loadedCalibrationKind);
        case 1: return hasFloatAmbientReading(id);
        case 2: return id.deviceRevision == 11;
        default: return false;
    }
}

std::array<std::string, 3> CodeViewGroupCaptions(const DeviceIdentity& id) {
    std::array<std::string, 3> captions;
    for (int i = 0; i < 3; ++i) captions[static_cast<std::size_t>(i)] = codeview::kDefaultGroupCaptions[i];
    if (hasTwoCodeChannels(id)) {
        captions[1] = "Код АЦП канала Tокр.среды :";
    } else if (isRev6(id)) {
        if (id.deviceRevision == 11) {
            captions[1] = "Код АЦП канала Tвнутр :";
            captions[2] = "Tвнутр, C :";
        } else if (id.deviceRevision >= 7) {
            captions[1] = "Код Offset АЦП канала T :";
            captions[2] = "Код Gain АЦП канала T :";
        }
    }
    return captions;
}

void BuildCodeRequest(DeviceState& s, int channel) {
    if (isStandardCommandFamily(s.identity))
        BuildLongRequest(s.buffer, kReadSettingCommand, {SettingOfChannel(s.identity, channel)});
    else
        BuildLongRequest(s.buffer, kLiveCodeCommand);
}

std::optional<std::uint32_t> CodeValueFromAnswer(const DeviceState& s) {
    const ExchangeBuffer& b = s.buffer;
    const std::size_t d = AnswerDataIndex(b);
    if (isStandardCommandFamily(s.identity)) {
        // Setting number, then the value most significant byte first.
        if (ResponseCode(b) != 0 || AnswerDataCount(b) < 5) return std::nullopt;
        return (std::uint32_t{b.response[d + 1]} << 24) | (std::uint32_t{b.response[d + 2]} << 16) |
               (std::uint32_t{b.response[d + 3]} << 8) | std::uint32_t{b.response[d + 4]};
    }
    // Converter status, then the code least significant byte first; the
    // response code says nothing here.
    if (AnswerByteCount(b) != kLiveCodeByteCount) return std::nullopt;
    return std::uint32_t{b.response[d + 1]} | (std::uint32_t{b.response[d + 2]} << 8) |
           (std::uint32_t{b.response[d + 3]} << 16) | (std::uint32_t{b.response[d + 4]} << 24);
}

}  // namespace quillon
