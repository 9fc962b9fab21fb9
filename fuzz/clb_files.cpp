// Calibration files: arbitrary bytes loaded as a .clb, and the save/load round
// trip, for each device form and with no device identified. A file that does
// not load says why; whatever a save reports as written loads back equal (bit
// for bit); a save that refuses says why.
//
//   [options] rest...    options bits 0-1: no device, segment device (8 points),
//                        code-point device (8 points), temperature-pair device (8 points)
//                        bit 2: the rest is a file to load (else a calibration in memory)
//                        bit 3: with no device, the calibration in memory is an INI one

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_state.h"
#include "calibration/calibration_file.h"
#include "fuzz/accepted_answer.h"
#include "link/fake_serial.h"
#include "support/scripted_ui.h"

namespace {

using namespace quillon;

std::string g_folder;

enum class Form { None, Segments, CodePoints, Pairs };

struct Tool {
    testing::ScriptedUi ui;
    sim::VirtualClock clock;
    testing::FakePortSystem ports{clock};
    AppState s{ui, ports, clock};

    explicit Tool(Form form) {
        auto& id = s.identity;
        id.calibrationPointCount = 8;
        switch (form) {
            case Form::None: break;
            case Form::Segments: id.softwareRevision = 4; break;
            case Form::CodePoints:
                id.softwareRevision = 6;
                id.extendedCalibration = true;
                break;
            case Form::Pairs:
                id.softwareRevision = 14;
                id.extendedCalibration = true;
                break;
        }
    }
    void choose(const std::string& path) {
        ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            d.fileName = path;
            return true;
        });
    }
    bool load(const std::string& path) {
        choose(path);
        return LoadCalibrationFile(s, s.calibration);
    }
    bool save(const std::string& path) {
        std::filesystem::remove(path);
        choose(path);
        return SaveCalibrationFile(s, s.calibration, "");
    }
};

using PairBits = std::tuple<std::uint32_t, std::uint32_t>;

// The lists as bits; pairs in an order of their own, since equal values may
// come back in another order.
struct Lists {
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> segments;
    std::vector<PairBits> codePoints;
    std::vector<PairBits> pairs;
    bool readingsAreCodes = false;
    bool hasId = false;
    std::array<std::uint8_t, 8> id{};

    explicit Lists(const CalibrationSet& set) {
        for (const auto& g : set.segmentTable)
            segments.emplace_back(g.startCode, std::bit_cast<std::uint32_t>(g.startValue),
                                  std::bit_cast<std::uint32_t>(g.slope));
        for (const auto& p : set.codePoints) codePoints.emplace_back(p.code, std::bit_cast<std::uint32_t>(p.value));
        for (const auto& p : set.temperaturePairs)
            pairs.emplace_back(std::bit_cast<std::uint32_t>(p.value), std::bit_cast<std::uint32_t>(p.sensorReading));
        std::sort(pairs.begin(), pairs.end());
        readingsAreCodes = set.readingsAreCodes;
        hasId = set.calibrationHasSensorId;
        if (hasId) id = set.calibrationSensorId;
    }
    // What the file form keeps: segments in binary files, points and pairs in INI ones.
    bool sameAs(const Lists& o, bool binary) const {
        if (binary) return segments == o.segments;
        return codePoints == o.codePoints && pairs == o.pairs && readingsAreCodes == o.readingsAreCodes &&
               hasId == o.hasId && id == o.id;
    }
};

bool FileForm(Form form, int kind) {
    switch (form) {
        case Form::None: return true;
        case Form::Segments: return kind == kFileBinarySegments;
        case Form::CodePoints: return kind == kFileIniCodePoints;
        case Form::Pairs: return kind == kFileIniFloatPairs || kind == kFileIniCodePairs;
    }
    return false;
}

// Saves what is in memory and loads it back into a fresh tool of the same form.
void RoundTrip(Tool& tool, Form form) {
    const std::string path = g_folder + "/saved.clb";
    const bool binary = !tool.s.identity.extendedCalibration;
    const Lists before(tool.s.calibration);
    tool.ui.clearRecord();
    if (!tool.save(path)) {
        fuzz::Require(!tool.ui.messages.empty(), "a save that failed said nothing");
        return;
    }
    Tool again(form);
    fuzz::Require(again.load(path), "a saved file does not load");
    fuzz::Require(before.sameAs(Lists(again.s.calibration), binary), "a saved file loads back different");
}

float Single(FuzzedDataProvider& in) { return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()); }

// A calibration in memory as the device's reads or the point entry leave it:
// codes ascending within 24 bits, any single anywhere.
void FillMemory(Tool& tool, Form form, FuzzedDataProvider& in, bool iniWithoutDevice) {
    CalibrationSet& set = tool.s.calibration;
    if (form == Form::None) {
        tool.s.identity.extendedCalibration = iniWithoutDevice;
        set.calibrationFileKind = in.ConsumeBool() ? kFileIniFloatPairs : kFileIniCodePoints;
    }
    if (in.ConsumeBool()) {
        set.calibrationHasSensorId = true;
        for (auto& b : set.calibrationSensorId) b = in.ConsumeIntegral<std::uint8_t>();
    }
    const bool pairs = form == Form::Pairs || (form == Form::None && set.calibrationFileKind == kFileIniFloatPairs);
    if (!tool.s.identity.extendedCalibration) {
        const std::size_t n = form == Form::Segments ? 7 : in.ConsumeIntegralInRange<std::size_t>(1, kMaxSegmentRecords);
        std::uint32_t code = 0;
        for (std::size_t i = 0; i < n; ++i) {
            set.segmentTable.push_back({code & 0xFFFFFF, Single(in), Single(in)});
            code += in.ConsumeIntegral<std::uint16_t>();
        }
    } else if (pairs) {
        const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(2, 8);
        for (std::size_t i = 0; i < n; ++i) set.temperaturePairs.push_back({Single(in), Single(in)});
    } else {
        const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(2, 8);
        std::uint32_t code = in.ConsumeIntegralInRange<std::uint32_t>(0, 1000);
        for (std::size_t i = 0; i < n && code <= 16777215; ++i) {
            set.codePoints.push_back({code, Single(in), 0.0f});
            code += in.ConsumeIntegralInRange<std::uint32_t>(1, 2000000);
        }
        if (set.codePoints.size() < 2) set.codePoints = {{0, 0.0f, 0.0f}, {1, 1.0f, 0.0f}};
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillon-fuzz-clb-XXXXXX" : "/tmp/quillon-fuzz-clb-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    g_folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const Form form = static_cast<Form>(data[0] & 0x03);
    Tool tool(form);
    if (data[0] & 0x04) {
        const std::string path = g_folder + "/given.clb";
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        if (!tool.load(path)) {
            fuzz::Require(!tool.ui.messages.empty(), "a file that did not load said nothing");
            return 0;
        }
        // Another device's form is the send's and the view's business; here
        // only what this device (or none) keeps goes round.
        if (!FileForm(form, tool.s.calibration.calibrationFileKind)) return 0;
        RoundTrip(tool, form);
        return 0;
    }
    FuzzedDataProvider in(data + 1, size - 1);
    FillMemory(tool, form, in, (data[0] & 0x08) != 0);
    RoundTrip(tool, form);
    return 0;
}
