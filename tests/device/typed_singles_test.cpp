#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "device/density_constants.h"
#include "device/measurement_parameters.h"
#include "device/value_correction.h"
#include "frontend/adc_settings.h"
#include "frontend/fixed_output.h"
#include "request_capture.h"

namespace quillon::testing {
namespace {

std::string OutOfRange(const std::string& typed) {
    return "«" + typed + "» вне допустимого диапазона: число должно быть не больше 3.402823E+38 по модулю.";
}

SimBench* Bench(std::unique_ptr<SimBench>& owner, const char* preset, int densityKind) {
    auto profile = sim::Preset(preset);
    if (densityKind == 0) profile.longAddress[3] = 0x01;
    owner = std::make_unique<SimBench>(std::move(profile));
    MarkIdentified(*owner);
    if (densityKind >= 0) owner->state.identity.densityMeterKind = densityKind;
    return owner.get();
}

// Every dialog that takes a single: a number too large for one is refused with
// its own message, and no write leaves the tool.
TEST(TypedSingles, TooLargeForASingleIsRefusedBeforeAnyWrite) {
    const struct {
        const char* name;
        const char* preset;
        int densityKind;  // -1: not a density meter
        std::function<void(ScriptedUi&)> type;
        std::function<void(AppState&)> run;
        std::vector<std::uint8_t> writes;  // commands that must not be sent
        std::vector<std::string> messages;
    } cases[] = {
        {"correction offset", "rev8", -1,
         [](ScriptedUi& ui) {
             ui.onDialog<PopravkaDialog>([](PopravkaDialog& d) {
                 d.offsetText = "1e39";
                 return true;
             });
         },
         ValueCorrectionCommand, {177}, {OutOfRange("1e39")}},
        {"correction factor", "rev14", -1,
         [](ScriptedUi& ui) {
             ui.onDialog<PopravkaDialog>([](PopravkaDialog& d) {
                 d.factorText = "-4e38";
                 return true;
             });
         },
         ValueCorrectionCommand, {177}, {OutOfRange("-4e38")}},
        {"density temperature, kind 0", "density5", 0,
         [](ScriptedUi& ui) {
             ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
                 d.temperText = "1E39";
                 return true;
             });
         },
         DensityMeterConstantsCommand, {114}, {OutOfRange("1E39")}},
        {"density period, kind 1", "density5", 1,
         [](ScriptedUi& ui) {
             ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
                 d.usePer = true;
                 d.periodText = "1e39";
                 return true;
             });
         },
         DensityMeterConstantsCommand, {114}, {OutOfRange("1e39")}},
        {"density factor, kind 2", "density6", 2,
         [](ScriptedUi& ui) {
             ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
                 d.useMul = true;
                 d.mnogText = "3,5e38";
                 return true;
             });
         },
         DensityMeterConstantsCommand, {114, 190, 192}, {OutOfRange("3.5e38")}},
        {"cathodic shunt", "rev7", -1,
         [](ScriptedUi& ui) {
             ui.onDialog<KatPotParamsDialog>([](KatPotParamsDialog& d) {
                 d.unit = 1;
                 d.shuntValueText = "1e39";
                 return true;
             });
         },
         MeasurementParametersCommand, {177}, {OutOfRange("1e39")}},
        {"current-to-value conversion", "velkor", -1,
         [](ScriptedUi& ui) {
             ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
             ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
             ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog& d) {
                 d.value2 = "1e39";
                 return true;
             });
             ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
         },
         AdcSettingsCommand, {194, 190, 196}, {"Введены неправильные цифры!", OutOfRange("1e39")}},
        // The voltage variant has no range of its own to stop a huge value.
        {"fixed voltage", "rev6-hw1", -1,
         [](ScriptedUi& ui) {
             ui.onDialog<FixTokDialog>([](FixTokDialog& d) {
                 d.mode = 1;
                 d.value = "1e39";
                 return true;
             });
             ui.onDialog<FixTokDialog>([](FixTokDialog&) { return false; });
         },
         [](AppState& s) { FixedOutputDialog(s, s.frontend); }, {40}, {OutOfRange("1e39")}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<SimBench> owner;
        SimBench& b = *Bench(owner, c.preset, c.densityKind);
        std::vector<std::shared_ptr<std::vector<Bytes>>> sent;
        for (std::uint8_t command : c.writes) sent.push_back(CaptureRequests(b, command));
        c.type(b.ui);
        c.run(b.state);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.name;
        for (std::size_t i = 0; i < sent.size(); ++i)
            EXPECT_TRUE(sent[i]->empty()) << c.name << ": command " << int(c.writes[i]) << " was sent";
    }
}

// The largest single itself is a value like any other: typed as the file
// writes it, it reaches the device bit for bit.
TEST(TypedSingles, LargestSingleIsWrittenExactly) {
    SimBench b("rev8");
    MarkIdentified(b);
    b.ui.onDialog<PopravkaDialog>([](PopravkaDialog& d) {
        d.offsetText = "-3.40282346638529E+38";
        d.factorText = "1.4e-45";
        return true;
    });
    ValueCorrectionCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные успешно записаны!"});
    EXPECT_EQ(SettingOf(b, 15), 0xFF7FFFFFu);
    EXPECT_EQ(SettingOf(b, 16), 0x00000001u);
}

// Set C: a shunt must have a resistance; the device keeps the one it had.
TEST(CathodicSensor, ShuntOfNoResistanceIsRefused) {
    const struct {
        const char* typed;
        bool written;
    } cases[] = {{"0", false}, {"-0", false}, {"-0,001", false}, {"1e-50", false}, {"1.4e-45", true}, {"0,002", true}};
    for (const auto& c : cases) {
        SimBench b("rev7");
        MarkIdentified(b);
        const std::uint32_t before = SettingOf(b, 8);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<KatPotParamsDialog>([&](KatPotParamsDialog& d) {
            d.unit = 1;
            d.shuntValueText = c.typed;
            return true;
        });
        MeasurementParametersCommand(b.state);
        if (c.written) {
            EXPECT_EQ(SettingNumbers(*writes), (std::vector<int>{2, 8})) << c.typed;
            EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные успешно записаны!"}) << c.typed;
        } else {
            EXPECT_TRUE(writes->empty()) << c.typed;
            EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Сопротивление шунта должно быть больше нуля!"})
                << c.typed;
            EXPECT_EQ(SettingOf(b, 8), before) << c.typed;
        }
    }
}

}  // namespace
}  // namespace quillon::testing
