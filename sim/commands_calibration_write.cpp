#include <bit>

#include "calibration/calibration_set.h"
#include "device/device_identity.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

// Setting 23 answers only once a whole calibration has arrived; a write that
// has begun and not finished leaves the device uncalibrated.
constexpr std::uint8_t kValiditySetting = 23;
constexpr std::uint8_t kCodeBadCheck = 9;

void MarkValid(SimDevice& d, bool valid) {
    d.profile().calibration.valid = valid;
    if (valid)
        d.profile().settings[kValiditySetting] = 0;
    else
        d.profile().settings.erase(kValiditySetting);
}

std::uint32_t Little32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint32_t Big32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The covered bytes and the check byte after them.
bool XorValid(const std::uint8_t* p, std::size_t covered) { return VerifyXorCheck(p, covered + 1); }

int PointCount(const SimDevice& d) {
    DeviceIdentity id;
    id.softwareRevision = d.profile().softwareRevision;
    id.hardwareRevision = d.profile().hardwareRevision;
    id.deviceRevision = d.profile().deviceRevision;
    return derivedCalibrationPointCount(id);
}

bool UsesCodePoints(const SimDevice& d) {
    switch (d.profile().softwareRevision) {
        case 6:
        case 7:
        case 8:
        case 9:
        case 11: return true;
        default: return false;
    }
}

// Segment form: [index, code (3 bytes), value, slope], least significant byte first.
HartReply WriteSegment(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 12) return Code(kCodeTooFewBytes);
    const std::size_t index = q.data[0];
    const int segments = PointCount(d) - 1;
    if (static_cast<int>(index) >= segments) return Code(kCodeInvalidSelection);
    auto& table = d.profile().calibration.segments;
    if (index == 0) MarkValid(d, false);
    if (table.size() < index + 1) table.resize(index + 1);
    table[index] = SimSegment{q.data[1] | (std::uint32_t{q.data[2]} << 8) | (std::uint32_t{q.data[3]} << 16),
                              std::bit_cast<float>(Little32(q.data.data() + 4)),
                              std::bit_cast<float>(Little32(q.data.data() + 8))};
    if (static_cast<int>(index) == segments - 1) MarkValid(d, true);
    return {0, {q.data[0]}};
}

// Code-point form: [slot | channel bit, last flag, code (3 bytes), value], most significant byte first.
// The points arrive from the top slot down; the top slot starts a new calibration.
HartReply WriteCodePoint(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 9) return Code(kCodeTooFewBytes);
    const std::uint8_t slot = q.data[0] & 0x7F;
    const int channel = (q.data[0] & 0x80) ? 1 : 0;
    if (slot >= PointCount(d)) return Code(kCodeInvalidSelection);
    auto& slots = d.profile().calibration.codeSlots[static_cast<std::size_t>(channel)];
    if (slot == PointCount(d) - 1) {
        slots.clear();
        MarkValid(d, false);
    }
    const bool last = q.data[1] != 0;
    slots[slot] = SimCodePoint{(std::uint32_t{q.data[2]} << 16) | (std::uint32_t{q.data[3]} << 8) | q.data[4],
                               std::bit_cast<float>(Big32(q.data.data() + 5)), last};
    if (last) MarkValid(d, true);
    return {0, {q.data[0]}};
}

HartReply WriteCode(SimDevice& d, const HartRequest& q) {
    return UsesCodePoints(d) ? WriteCodePoint(d, q) : WriteSegment(d, q);
}

SimTemperaturePair PairOf(const std::uint8_t* record) {
    return {std::bit_cast<float>(Little32(record)), std::bit_cast<float>(Little32(record + 4))};
}

// Temperature-pair form, sub-commands 0 (whole), 1 (header), 2 (one point), 3 (sensor id).
// Answers carry the status only.
HartReply WritePairs(SimTemperatureCalibration& cal, int capacity, SimDevice& d, const HartRequest& q) {
    const auto& v = q.data;
    if (v.empty()) return Code(kCodeTooFewBytes);
    switch (v[0]) {
        case 0: {
            if (v.size() < 4) return Code(kCodeTooFewBytes);
            if (!XorValid(v.data() + 1, 2)) return Code(kCodeBadCheck);
            const std::size_t n = v[2];
            if (n > static_cast<std::size_t>(capacity)) return Code(kCodeTooLarge);
            if (v.size() != 4 + 9 * n) return Code(kCodeTooFewBytes);
            std::vector<SimTemperaturePair> pairs;
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t* r = v.data() + 4 + 9 * i;
                if (!XorValid(r, 8)) return Code(kCodeBadCheck);
                pairs.push_back(PairOf(r));
            }
            cal.present = true;
            cal.enabled = v[1];
            cal.pairs = std::move(pairs);
            MarkValid(d, true);
            return {};
        }
        case 1: {
            if (v.size() < 4) return Code(kCodeTooFewBytes);
            if (!XorValid(v.data() + 1, 2)) return Code(kCodeBadCheck);
            if (v[2] < 2 || v[2] > capacity) return Code(kCodeTooLarge);
            cal.present = true;
            cal.enabled = v[1];
            cal.pairs.assign(v[2], SimTemperaturePair{});
            MarkValid(d, false);
            return {};
        }
        case 2: {
            if (v.size() < 11) return Code(kCodeTooFewBytes);
            if (v[1] >= cal.pairs.size()) return Code(kCodeInvalidSelection);
            if (!XorValid(v.data() + 2, 8)) return Code(kCodeBadCheck);
            cal.pairs[v[1]] = PairOf(v.data() + 2);
            if (v[1] + 1u == cal.pairs.size()) MarkValid(d, true);
            return {};
        }
        case 3: {
            if (v.size() < 10) return Code(kCodeTooFewBytes);
            if (IdCrc8(v.data() + 1, 8) != v[9]) return Code(kCodeBadCheck);
            std::array<std::uint8_t, 8> id{};
            std::copy(v.begin() + 1, v.begin() + 9, id.begin());
            cal.sensorId = id;
            return {};
        }
        default: return Code(kCodeInvalidSelection);
    }
}

}  // namespace

// Commands 115, 182 and 82: a calibration written; and what the calibration
// adds to the block commands: block 111 (the extra point, where seven zero
// bytes mean "none" and so carry no valid check byte) and the revision-4
// confirmation of a segment table (command 192, group 3).
void InstallCalibrationWriteCommands(CommandTable& table) {
    auto writeBlock = table[190];
    table[190] = [writeBlock](SimDevice& d, const HartRequest& q) {
        if (q.data.size() == 9 && q.data[0] == 111 && q.data[1] == 0) {
            for (std::uint16_t i = 0; i < 7; ++i) d.setBlockByte(static_cast<std::uint16_t>(111 + i), q.data[2 + i]);
            return HartReply{};
        }
        return writeBlock ? writeBlock(d, q) : Code(kCodeNotImplemented);
    };
    auto confirm = table[192];
    table[192] = [confirm](SimDevice& d, const HartRequest& q) {
        if (q.data.size() == 1 && q.data[0] == 3)
            return HartReply{0, {static_cast<std::uint8_t>(d.profile().calibration.valid ? 1 : 0)}};
        return confirm ? confirm(d, q) : Code(kCodeNotImplemented);
    };
    table[115] = WriteCode;
    table[182] = [](SimDevice& d, const HartRequest& q) {
        return WritePairs(d.profile().calibration.pairs[0], PointCount(d), d, q);
    };
    table[82] = [](SimDevice& d, const HartRequest& q) {
        // The I2C sensor of the two-channel device keeps 8 points whatever the converter channel has.
        const int capacity = d.profile().softwareRevision == 16 ? 8 : PointCount(d);
        return WritePairs(d.profile().calibration.pairs[1], capacity, d, q);
    };
}

}  // namespace quillon::sim
