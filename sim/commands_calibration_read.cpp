#include <bit>

#include "calibration/calibration_set.h"
#include "device/parameter_access.h"
#include "sim/calibration_examples.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

// What a device answers when its memory holds no calibration, per form.
constexpr std::uint8_t kCodeSegmentsMissing = 6;  // "not calibrated or flash error"
constexpr std::uint8_t kCodePointsMissing = 64;   // "no calibration or a damaged one"
constexpr std::uint8_t kCodePairsMissing = 13;
// One answer holds at most this many 9-byte records after its 3-byte header.
constexpr std::size_t kPairsPerAnswer = 20;

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutBe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutCheck(std::vector<std::uint8_t>& out, std::size_t from) {
    out.push_back(XorCheck(out.data() + from, out.size() - from));
}

HartReply ReadSegment(const DeviceProfile& p, std::uint8_t index) {
    const auto& table = p.calibration.segments;
    if (index >= table.size()) return Code(kCodeSegmentsMissing);
    const SimSegment& s = table[index];
    HartReply r;
    r.data.push_back(index);
    PutLe(r.data, s.startCode & 0xFFFFFF, 3);
    PutLe(r.data, std::bit_cast<std::uint32_t>(s.startValue), 4);
    PutLe(r.data, std::bit_cast<std::uint32_t>(s.slope), 4);
    return r;
}

HartReply ReadCodePoint(const DeviceProfile& p, std::uint8_t requestByte) {
    const auto& slots = p.calibration.codeSlots[requestByte >> 7];
    const auto it = slots.find(static_cast<std::uint8_t>(requestByte & 0x7F));
    if (it == slots.end()) return Code(kCodePointsMissing);
    HartReply r;
    r.data.push_back(requestByte);
    r.data.push_back(it->second.last ? 1 : 0);
    PutBe(r.data, it->second.code & 0xFFFFFF, 3);
    PutBe(r.data, std::bit_cast<std::uint32_t>(it->second.value), 4);
    return r;
}

HartReply ReadPoint(SimDevice& d, const HartRequest& q) {
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    const DeviceProfile& p = d.profile();
    switch (CalibrationFormOf(p.softwareRevision)) {
        case SimCalibrationForm::Segments: return ReadSegment(p, q.data[0]);
        case SimCalibrationForm::CodePoints: return ReadCodePoint(p, q.data[0]);
        case SimCalibrationForm::TemperaturePairs: break;
    }
    return Code(kCodeNotImplemented);
}

void PutPair(std::vector<std::uint8_t>& out, const SimTemperaturePair& pair) {
    const std::size_t from = out.size();
    PutLe(out, std::bit_cast<std::uint32_t>(pair.sensorReading), 4);
    PutLe(out, std::bit_cast<std::uint32_t>(pair.value), 4);
    PutCheck(out, from);
}

void PutHeader(std::vector<std::uint8_t>& out, const SimTemperatureCalibration& c) {
    const std::size_t from = out.size();
    out.push_back(c.enabled);
    out.push_back(static_cast<std::uint8_t>(c.pairs.size()));
    PutCheck(out, from);
}

HartReply ReadPairs(SimDevice& d, const HartRequest& q, int which) {
    if (CalibrationFormOf(d.profile().softwareRevision) != SimCalibrationForm::TemperaturePairs)
        return Code(kCodeNotImplemented);
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    const SimTemperatureCalibration& c = d.profile().calibration.pairs[static_cast<std::size_t>(which)];
    HartReply r;
    switch (q.data[0]) {
        case 0:
            if (!c.present) return Code(kCodePairsMissing);
            if (c.pairs.size() > kPairsPerAnswer) return Code(kCodeNotImplemented);
            PutHeader(r.data, c);
            for (const auto& pair : c.pairs) PutPair(r.data, pair);
            return r;
        case 1:
            if (!c.present) return Code(kCodePairsMissing);
            PutHeader(r.data, c);
            return r;
        case 2:
            if (q.data.size() < 2) return Code(kCodeTooFewBytes);
            if (!c.present) return Code(kCodePairsMissing);
            if (q.data[1] >= c.pairs.size()) return Code(kCodeInvalidSelection);
            PutPair(r.data, c.pairs[q.data[1]]);
            return r;
        case 3: {
            if (!c.sensorId) return Code(kCodeNotImplemented);
            r.data.assign(c.sensorId->begin(), c.sensorId->end());
            r.data.push_back(IdCrc8(c.sensorId->data(), 8));
            return r;
        }
        default: return Code(kCodeInvalidSelection);
    }
}

}  // namespace

// Commands 116, 181 and 81: the calibration read back.
void InstallCalibrationReadCommands(CommandTable& table) {
    table[116] = ReadPoint;
    table[181] = [](SimDevice& d, const HartRequest& q) { return ReadPairs(d, q, 0); };
    table[81] = [](SimDevice& d, const HartRequest& q) { return ReadPairs(d, q, 1); };
}

}  // namespace quillon::sim
