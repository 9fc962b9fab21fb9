// The device operations that write singles, through Exchange on the simulated
// port, for every simulator preset, with fuzzed answers and fuzzed dialog input.
// No write request may carry a non-finite single, and nothing may read past
// the answer an exchange left (the rest of the buffer is poisoned for
// AddressSanitizer between exchanges).
//
//   [preset] [operation] [message answers] [n] n bytes for the dialogs, then
//   the device's: each request it handles takes one control byte (pass, own
//   reply, patched reply, no status bytes, line fault) and what that needs.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_set.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "device/correction_fit_dialog.h"
#include "device/density_constants.h"
#include "device/identification.h"
#include "device/measurement_parameters.h"
#include "device/value_correction.h"
#include "frontend/adc_settings.h"
#include "device/measuring_channel.h"
#include "frontend/pwm_calibration.h"
#include "fuzz/accepted_answer.h"
#include "support/sim_fixture.h"

namespace {

using namespace quillon;

// The fuzz input read front to back; once used up it gives zeros and empty
// texts, so every loop of the tool ends (the device then answers as itself).
class Stream {
public:
    Stream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    std::string text() {
        const std::size_t n = byte() % 24;
        std::string out;
        for (std::size_t i = 0; i < n && !empty(); ++i) out.push_back(static_cast<char>(byte()));
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

enum Operation { Correction, Density, Measurement, Adc, EnterAndSend, ReadAndSend, Pwm, kOperations };

bool Finite(const std::uint8_t* p, bool bigEndian) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{p[i]} << (bigEndian ? 24 - 8 * i : 8 * i);
    return std::isfinite(std::bit_cast<float>(v));
}

// Thrown when an input has had its share of exchanges: an engineer would have
// pressed Esc long before (the attempt loops have no limit of their own).
struct EnoughExchanges {};
constexpr int kMaxExchanges = 400;

// Watches every frame the tool sends and keeps the part of the buffer an
// exchange did not fill out of reach until the next one starts.
class Watch : public FrameTap {
public:
    Watch(ExchangeBuffer& b, std::set<std::uint8_t> floatSettings) : b_(b), floatSettings_(std::move(floatSettings)) {}
    ~Watch() override { open(); }

    void purged(bool, bool) override { open(); }
    void recoveryStarted() override { open(); }
    void bytesReceived(const std::uint8_t*, std::size_t, std::int64_t) override {}
    void exchangeEnded(int, const ExchangeBuffer& b) override {
        const std::size_t count = b.responseCount;
        if (count < b_.response.size()) {
            ASAN_POISON_MEMORY_REGION(b_.response.data() + count, b_.response.size() - count);
            poisoned_ = true;
        }
    }
    void frameSent(const std::uint8_t* bytes, std::size_t count, std::int64_t) override {
        open();
        if (++exchanges_ > kMaxExchanges) throw EnoughExchanges{};
        std::size_t i = 0;
        while (i < count && bytes[i] == 0xFF) ++i;
        if (i >= count) return;
        const bool longFrame = bytes[i] == 0x82;
        const std::size_t commandAt = i + (longFrame ? 6 : 2);
        if (commandAt + 1 >= count) return;
        const std::uint8_t command = bytes[commandAt];
        const std::size_t n = bytes[commandAt + 1];
        const std::uint8_t* d = bytes + commandAt + 2;
        if (commandAt + 2 + n > count) fuzz::Violated("request longer than the frame sent");
        checkWrite(command, d, n);
    }

private:
    void open() {
        if (poisoned_) ASAN_UNPOISON_MEMORY_REGION(b_.response.data(), b_.response.size());
        poisoned_ = false;
    }
    static void RequireFinite(const std::uint8_t* p, bool bigEndian, const char* what) {
        if (!Finite(p, bigEndian)) fuzz::Violated(what);
    }
    void checkWrite(std::uint8_t command, const std::uint8_t* d, std::size_t n) const {
        constexpr std::uint32_t kNoFixedDuty = 0x7FA00000;  // the device's own "no duty fixed" mark
        switch (command) {
            case 177:
                if (n >= 5 && floatSettings_.count(d[0])) {
                    const std::uint32_t v = (std::uint32_t{d[1]} << 24) | (std::uint32_t{d[2]} << 16) |
                                            (std::uint32_t{d[3]} << 8) | d[4];
                    if (!(d[0] == 6 && v == kNoFixedDuty)) RequireFinite(d + 1, true, "non-finite single setting");
                }
                break;
            case 114:
                if (n >= 10) {
                    RequireFinite(d + 1, true, "non-finite density constant");
                    RequireFinite(d + 6, true, "non-finite density period");
                }
                break;
            case 196:
                for (std::size_t k = 1; k + 4 <= n && k <= 13; k += 4)
                    RequireFinite(d + k, true, "non-finite current-to-value conversion");
                break;
            case 115:
                if (n == 12) {
                    RequireFinite(d + 4, false, "non-finite segment start value");
                    RequireFinite(d + 8, false, "non-finite segment slope");
                } else if (n == 9) {
                    RequireFinite(d + 5, true, "non-finite code point value");
                }
                break;
            case 82:
            case 182: {
                std::size_t at = n >= 1 && d[0] == 0 ? 4 : (n >= 1 && d[0] == 2 ? 2 : n);
                for (; at + 9 <= n; at += 9) {
                    RequireFinite(d + at, false, "non-finite pair reading");
                    RequireFinite(d + at + 4, false, "non-finite pair value");
                }
                break;
            }
            case 190:
                if (n >= 9 && d[0] == (kExtraPointBlock & 0xFF) && d[1] == (kExtraPointBlock >> 8))
                    RequireFinite(d + 4, false, "non-finite extra point");
                break;
            default: break;
        }
    }

    ExchangeBuffer& b_;
    std::set<std::uint8_t> floatSettings_;
    bool poisoned_ = false;
    int exchanges_ = 0;
};

// Every command the device knows answers from the stream first.
void FuzzAnswers(testing::SimBench& b, Stream& in) {
    for (auto& entry : b.device().commands()) {
        auto original = entry.second;
        entry.second = [original, &in, &b](sim::SimDevice& d, const sim::HartRequest& q) {
            const std::uint8_t control = in.byte();
            switch (control % 8) {
                case 4: {
                    sim::HartReply own{in.byte(), {}};
                    const std::size_t n = in.byte() % 32;
                    for (std::size_t i = 0; i < n; ++i) own.data.push_back(in.byte());
                    return own;
                }
                case 5: {
                    sim::HartReply patched = original(d, q);
                    const std::uint8_t at = in.byte();
                    if (!patched.data.empty()) patched.data[at % patched.data.size()] = in.byte();
                    if (at & 0x80) patched.responseCode = in.byte();
                    return patched;
                }
                case 6:
                    d.nextAnswerWithoutStatus = true;
                    return sim::HartReply{};
                case 7: {
                    const auto faults = sim::FaultNames();
                    if (const auto f = sim::FaultFromName(faults[in.byte() % faults.size()]); f && *f != sim::Fault::Stall)
                        b.faults().set(*f);
                    return original(d, q);
                }
                default: return original(d, q);
            }
        };
    }
}

template <typename Dialog, typename Fill>
void Answer(testing::ScriptedUi& ui, Stream& in, int times, Fill fill) {
    for (int i = 0; i < times; ++i)
        ui.onDialog<Dialog>([&in, fill](Dialog& d) {
            if (in.empty()) return false;
            fill(d, in);
            return (in.byte() & 0x07) != 0;
        });
}

void ScriptDialogs(testing::ScriptedUi& ui, Stream& in) {
    Answer<MeasuringChannelDialog>(ui, in, 4, [](MeasuringChannelDialog& d, Stream& s) { d.channel = s.byte() & 1; });
    Answer<PodborCoefDialog>(ui, in, 2, [](PodborCoefDialog& d, Stream& s) {
        d.real1Text = s.text();
        d.real2Text = s.text();
        d.needed1Text = s.text();
        d.needed2Text = s.text();
    });
    Answer<PopravkaDialog>(ui, in, 2, [](PopravkaDialog& d, Stream& s) {
        d.offsetText = s.text();
        d.factorText = s.text();
        if (s.byte() & 1) d.fit(d);
    });
    Answer<PlotnoConstDialog>(ui, in, 3, [](PlotnoConstDialog& d, Stream& s) {
        const std::uint8_t flags = s.byte();
        d.useT = flags & 1;
        d.usePer = flags & 2;
        d.useMul = flags & 4;
        d.type = (flags >> 3) & 1;
        d.temperText = s.text();
        d.periodText = s.text();
        d.mnogText = s.text();
    });
    Answer<KatPotParamsDialog>(ui, in, 2, [](KatPotParamsDialog& d, Stream& s) {
        d.unit = s.byte() & 1;
        d.shuntValueText = s.text();
    });
    Answer<VelkorAdcDialog>(ui, in, 1, [](VelkorAdcDialog& d, Stream& s) {
        d.gainIndex = s.byte() % 5;
        d.averagingPoints = s.byte() % 12;
    });
    Answer<UnitsMeasureDialog>(ui, in, 1, [](UnitsMeasureDialog& d, Stream& s) { d.unitCode = s.byte(); });
    Answer<CurrentToValueDialog>(ui, in, 3, [](CurrentToValueDialog& d, Stream& s) {
        d.useConversion = s.byte() & 1;
        d.current1 = s.text();
        d.value1 = s.text();
        d.current2 = s.text();
        d.value2 = s.text();
    });
    Answer<CalibrationPointDialog>(ui, in, 6, [](CalibrationPointDialog& d, Stream& s) {
        d.adText = s.text();
        d.valueText = s.text();
        d.result = (s.byte() & 3) == 0 ? CalibrationPointDialog::kStop : CalibrationPointDialog::kOk;
    });
    Answer<ShowCalibrationDialog>(ui, in, 3, [](ShowCalibrationDialog& d, Stream& s) {
        const std::uint8_t action = s.byte() % 3;
        d.result = action == 0 ? kViewSend : (action == 1 ? kViewEdit : kViewExit);
        d.selected = s.byte() % 8;
    });
    Answer<PwmCalibrationDialog>(ui, in, 2, [](PwmCalibrationDialog& d, Stream& s) {
        d.duty1 = s.text();
        d.code1 = s.text();
        d.output1 = s.text();
        d.duty2 = s.text();
        d.code2 = s.text();
        d.output2 = s.text();
        d.feedback = s.text();
    });
}

// Typed points into the device's own list, then the send of that list.
void EnterAndSendPoints(AppState& s, Stream& in) {
    if (!ensureIdentified(s)) return;
    CalibrationSet& set = s.calibration;
    set.clearLists();
    const int points = 2 + in.byte() % 3;
    for (int i = 0; i < points; ++i)
        if (EnterCalibrationPoint(s, s.calibration, "0", "0", false) == kPointStop) break;
    if (!s.identity.extendedCalibration) {
        SegmentsFromPoints(set, s.identity.calibrationPointCount);
        WriteSegments(s, s.calibration, (in.byte() & 1) != 0);
    } else if (!set.temperaturePairs.empty()) {
        WriteTemperaturePairs(s, s.calibration);
    } else {
        WriteCodePoints(s, s.calibration);
    }
}

std::set<std::uint8_t> FloatSettings(int operation) {
    switch (operation) {
        case Measurement: return {8};
        case Pwm: return {0, 1, 3, 4, 6, 25, 26, 27, 28};
        default: return {15, 16, 34, 35};  // the correction, and its reset after a calibration
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    static const std::vector<std::string> presets = sim::PresetNames();
    const std::string& preset = presets[data[0] % presets.size()];
    const int operation = data[1] % kOperations;
    const std::size_t dialogBytes = std::min<std::size_t>(data[3], size - 4);
    Stream dialogs(data + 4, dialogBytes);
    Stream answers(data + 4 + dialogBytes, size - 4 - dialogBytes);

    auto b = std::make_unique<testing::SimBench>(preset, false);
    for (int i = 0; i < (data[2] & 0x03); ++i)
        b->ui.answerMessages({(data[2] >> (2 + i)) & 1 ? MessageAnswer::Yes : MessageAnswer::No});
    Watch watch(b->state.buffer, FloatSettings(operation));
    b->state.tap = &watch;
    FuzzAnswers(*b, answers);
    ScriptDialogs(b->ui, dialogs);

    AppState& s = b->state;
    try {
        switch (operation) {
            case Correction: ValueCorrectionCommand(s); break;
            case Density: DensityMeterConstantsCommand(s); break;
            case Measurement: MeasurementParametersCommand(s); break;
            case Adc: AdcSettingsCommand(s); break;
            case EnterAndSend: EnterAndSendPoints(s, dialogs); break;
            case ReadAndSend: ReadCalibration(s, s.calibration); break;
            case Pwm: EditPwmCalibration(s); break;
            default: break;
        }
    } catch (const EnoughExchanges&) {
    }
    s.tap = nullptr;
    return 0;
}
