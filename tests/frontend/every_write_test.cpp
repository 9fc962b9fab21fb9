// Every write of the analog front-end and the density meter, against the
// simulated device through the real engine: refused with the write lock,
// refused with another code, and cut off by a line that dies part-way. Each
// must come back as what it is, and none may be reported as a success.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "device/density_constants.h"
#include "device/device_test_support.h"
#include "device/outcome_text.h"
#include "device/held_output.h"
#include "frontend/adc_settings.h"
#include "frontend/dac_settings.h"
#include "frontend/fixed_output.h"
#include "frontend/output_release.h"
#include "frontend/pwm_calibration.h"
#include "frontend/pwm_menu.h"
#include "support/identified_bench.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::Identified;
using testing::SimBench;

struct WriteRun {
    Outcome outcome;
    Report report;
};

using Operation = std::function<WriteRun(SimBench&, const AskRepeatOnLock&)>;

struct WriteCase {
    const char* name;
    const char* preset;
    std::uint8_t command;   // the request the device refuses, or after which the line dies
    int lostAfter;          // requests of `command` the device answers before the line dies
    int stepsDoneWhenLost;  // 0: a single write whose effect is unknown; k: k steps taken
    const char* successText;
    Operation run;
};

template <typename Op, typename Rep>
Operation Plain(Op op, Rep report) {
    return [op, report](SimBench& b, const AskRepeatOnLock& ask) {
        const Outcome o = op(b, ask);
        return WriteRun{o, report(b, o)};
    };
}

PwmCalibrationEntry PwmPoints() {
    PwmCalibrationEntry e;
    e.duty1 = 0.1f;
    e.output1 = 4.0f;
    e.code1 = 1000;
    e.duty2 = 0.8f;
    e.output2 = 20.0f;
    e.code2 = 9000;
    e.feedback = 0.5f;
    return e;
}

const DacScalingEntry kScaling{100, 20000.0, -40.0f, 60.0f};

std::vector<WriteCase> Cases() {
    return {
        {"density constants and factor", "density6", 190, 0, 1, "Данные записаны!",
         Plain(
             [](SimBench& b, const AskRepeatOnLock& ask) {
                 b.state.identity.densityMeterKind = 2;
                 DensityConstants c;
                 c.constant = 812.0f;
                 c.factor = 2.0f;
                 c.useFactor = true;
                 return WriteDensityConstants(b.state, c, ask);
             },
             [](SimBench& b, const Outcome& o) { return DensityConstantsWriteReport(b.state.identity, o); })},
        {"ADC converter settings", "velkor", 194, 0, 0, "Данные АЦП были успешно отправлены!",
         Plain([](SimBench& b, const AskRepeatOnLock& ask) { return WriteConverterSettings(b.state, {2, 5}, ask); },
               [](SimBench&, const Outcome& o) { return ConverterSettingsWriteReport(o); })},
        {"ADC unit code", "velkor", 190, 0, 0, "Данные успешно записаны!",
         Plain([](SimBench& b, const AskRepeatOnLock& ask) { return WriteUnitCode(b.state, 12, ask); },
               [](SimBench&, const Outcome& o) { return UnitCodeWriteReport(o); })},
        {"ADC current-to-value conversion", "velkor", 196, 0, 0, "Параметры преобразования были успешно отправлены!",
         Plain(
             [](SimBench& b, const AskRepeatOnLock& ask) {
                 return WriteConversion(b.state, {1, 4.0f, 0.0f, 20.0f, 100.0f}, ask);
             },
             [](SimBench&, const Outcome& o) { return ConversionWriteReport(o); })},
        {"DAC settings 17, 18, 5, 13", "rev14", 177, 2, 2, "Данные успешно записаны!",
         Plain([](SimBench& b, const AskRepeatOnLock& ask) { return WriteDacScaling(b.state, kScaling, ask); },
               [](SimBench& b, const Outcome& o) { return DacScalingReport(b.state.identity, kScaling, o); })},
        {"DAC settings 0, 1, 6, 7", "rev7", 177, 1, 1, "Данные успешно записаны!",
         Plain([](SimBench& b, const AskRepeatOnLock& ask) { return WriteDacScaling(b.state, kScaling, ask); },
               [](SimBench& b, const Outcome& o) { return DacScalingReport(b.state.identity, kScaling, o); })},
        {"DAC record", "rev3", 190, 0, 0, "Данные были успешно отправлены и приняты к исполнению!",
         [](SimBench& b, const AskRepeatOnLock& ask) {
             const Result<DacRecheck> r = WriteDacRecord(b.state, {655.36f, 0}, ask);
             return WriteRun{r.outcome, DacRecordWriteReport(r)};
         }},
        {"fixed current", "rev8", 40, 0, 0, nullptr,
         Plain(
             [](SimBench& b, const AskRepeatOnLock& ask) { return FixLoopOutput(b.state, b.state.frontend, 12.0, ask); },
             [](SimBench&, const Outcome& o) { return FixedOutputReport(o); })},
        {"fixed voltage", "rev6-hw1", 40, 0, 0, nullptr,
         Plain(
             [](SimBench& b, const AskRepeatOnLock& ask) { return FixLoopOutput(b.state, b.state.frontend, 1.5, ask); },
             [](SimBench&, const Outcome& o) { return FixedOutputReport(o); })},
        {"fixed duty", "rev6", 177, 0, 0, nullptr,
         Plain([](SimBench& b,
                  const AskRepeatOnLock& ask) { return FixDuty(b.state, 0.25f, "Фиксирую скважность", ask); },
               [](SimBench&, const Outcome& o) { return FixedDutyReport(o); })},
        // The line dies after the points: the coefficients never reach the device.
        {"PWM points and coefficients", "rev6", 177, 7, 7, nullptr,
         Plain([](SimBench& b, const AskRepeatOnLock& ask) { return WritePwmCalibration(b.state, PwmPoints(), ask); },
               [](SimBench&, const Outcome& o) { return PwmCalibrationWriteReport(o); })},
        {"PWM output range", "rev6", 177, 1, 1, "Данные успешно записаны!",
         Plain([](SimBench& b,
                  const AskRepeatOnLock& ask) { return WritePwmOutputRange(b.state, -40.0f, 60.0f, ask); },
               [](SimBench&, const Outcome& o) { return PwmOutputRangeReport(o); })},
    };
}

bool Shows(const Report& report, const char* text) {
    return text && std::any_of(report.begin(), report.end(), [&](const Box& box) { return box.text == text; });
}

bool ShowsInformation(const Report& report) {
    return std::any_of(report.begin(), report.end(),
                       [](const Box& box) { return box.icon == MessageIcon::Information; });
}

// The device answers every request of `command` with `code`.
void Refuse(SimBench& b, std::uint8_t command, std::uint8_t code) { testing::ReplyWith(b, command, {{code, {}}}); }

// The device takes `answered` requests of `command` as usual; from the next
// one on it still hears and takes every request, but no answer reaches the
// tool, until the engineer stops the wait.
void LineDiesAfter(SimBench& b, std::uint8_t command, int answered) {
    auto seen = std::make_shared<int>(0);
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [&b, seen, answered, original](sim::SimDevice& d, const sim::HartRequest& q) {
        if ((*seen)++ >= answered) b.faults().set(sim::Fault::NoAnswer, true);
        return original(d, q);
    };
    b.ui.onProcessEvents = [&b] {
        if (b.faults().current() == sim::Fault::NoAnswer) b.state.flags.stopRequested = true;
    };
}

TEST(EveryWrite, WriteLockIsAskedAboutAndADeclinedRepeatIsNoSuccess) {
    for (const WriteCase& c : Cases()) {
        for (const std::uint8_t lock : {std::uint8_t{7}, std::uint8_t{16}}) {
            auto b = Identified(c.preset);
            Refuse(*b, c.command, lock);
            int asked = 0;
            const WriteRun r = c.run(*b, [&](const Outcome& refusal) {
                EXPECT_EQ(refusal.responseCode, lock) << c.name;
                ++asked;
                return false;
            });
            EXPECT_EQ(asked, 1) << c.name << " " << int(lock);
            EXPECT_EQ(r.outcome.cause(), OutcomeKind::Refused) << c.name;
            EXPECT_EQ(r.outcome.responseCode, lock) << c.name;
            EXPECT_TRUE(r.outcome.writeLocked()) << c.name;
            EXPECT_FALSE(Shows(r.report, c.successText)) << c.name;
            EXPECT_FALSE(ShowsInformation(r.report)) << c.name;
            EXPECT_TRUE(b->ui.messages.empty()) << c.name << ": an operation shows no box of its own";
            EXPECT_FALSE(ToolHoldsOutput(b->state)) << c.name;
        }
    }
}

TEST(EveryWrite, ARepeatAfterTheButtonSendsTheRefusedStepAgain) {
    for (const WriteCase& c : Cases()) {
        auto b = Identified(c.preset);
        // The first request is refused; the repeat meets the device itself.
        auto original = b->device().commands()[c.command];
        auto refused = std::make_shared<bool>(false);
        b->device().commands()[c.command] = [refused, original](sim::SimDevice& d, const sim::HartRequest& q) {
            if (*refused) return original(d, q);
            *refused = true;
            return sim::HartReply{16, {}};
        };
        int asked = 0;
        const WriteRun r = c.run(*b, [&](const Outcome&) { return ++asked == 1; });
        EXPECT_EQ(asked, 1) << c.name;
        EXPECT_TRUE(r.outcome.done()) << c.name << ": " << int(r.outcome.kind) << " " << int(r.outcome.responseCode);
        if (c.successText) {
            EXPECT_TRUE(Shows(r.report, c.successText)) << c.name;
        }
    }
}

TEST(EveryWrite, AnotherCodeIsARefusalWithoutQuestionOrSuccess) {
    for (const WriteCase& c : Cases()) {
        auto b = Identified(c.preset);
        Refuse(*b, c.command, 5);
        const WriteRun r = c.run(*b, [&](const Outcome&) {
            ADD_FAILURE() << c.name << ": asked to repeat a refusal that is not the lock";
            return false;
        });
        EXPECT_EQ(r.outcome.cause(), OutcomeKind::Refused) << c.name;
        EXPECT_EQ(r.outcome.responseCode, 5) << c.name;
        EXPECT_FALSE(r.outcome.writeLocked()) << c.name;
        EXPECT_FALSE(r.report.empty()) << c.name << ": a refusal is reported";
        EXPECT_FALSE(Shows(r.report, c.successText)) << c.name;
        EXPECT_FALSE(ShowsInformation(r.report)) << c.name;
        EXPECT_TRUE(b->ui.messages.empty()) << c.name;
    }
}

TEST(EveryWrite, ALineThatDiesPartWaySaysWhatTheDeviceMayHold) {
    for (const WriteCase& c : Cases()) {
        auto b = Identified(c.preset);
        LineDiesAfter(*b, c.command, c.lostAfter);
        const WriteRun r = c.run(*b, NeverRepeat);
        const Outcome& o = r.outcome;
        EXPECT_FALSE(o.done()) << c.name;
        EXPECT_TRUE(o.cause() == OutcomeKind::Interrupted || o.cause() == OutcomeKind::NoAnswer) << c.name;
        if (c.stepsDoneWhenLost == 0) {
            EXPECT_EQ(o.effect, DeviceEffect::Unknown) << c.name;
        } else {
            EXPECT_EQ(o.kind, OutcomeKind::Partial) << c.name;
            EXPECT_EQ(o.effect, DeviceEffect::Partial) << c.name;
            EXPECT_EQ(o.stepsDone, c.stepsDoneWhenLost) << c.name;
            EXPECT_FALSE(o.effectText.empty()) << c.name;
        }
        ASSERT_FALSE(r.report.empty()) << c.name;
        // The last box says what the device may hold now.
        const std::string& last = r.report.back().text;
        EXPECT_NE(last.find(EffectText(o)), std::string::npos) << c.name << ": " << last;
        EXPECT_FALSE(Shows(r.report, c.successText)) << c.name;
        EXPECT_FALSE(ShowsInformation(r.report)) << c.name;
    }
}

// A device of another maker gives its own meaning to the commands these
// writes use: nothing is sent to it. (Command 40 of the loop output is
// universal and goes to any device.)
TEST(EveryWrite, AnotherMakersDeviceIsAskedNothing) {
    for (const WriteCase& c : Cases()) {
        if (c.command == 40) continue;
        auto b = Identified(c.preset);
        b->state.identity.makeKnown = true;
        b->state.identity.manufacturerId = 0x99;
        b->state.identity.deviceType = 0x12;
        const std::uint64_t sentBefore = b->state.requestsSent;
        const WriteRun r = c.run(*b, NeverRepeat);
        EXPECT_EQ(r.outcome.kind, OutcomeKind::NotPossible) << c.name;
        EXPECT_NE(r.outcome.reason.find("другого производителя"), std::string::npos) << c.name;
        EXPECT_EQ(b->state.requestsSent, sentBefore) << c.name;
        EXPECT_FALSE(Shows(r.report, c.successText)) << c.name;
    }
}

// The device took the fixed current and its answers were lost: it is taken
// as held, so the banner and the question on closing appear, and a release
// once the line is back ends the hold.
TEST(EveryWrite, ALostAnswerToAFixedOutputIsHeldUntilReleased) {
    const struct {
        const char* preset;
        sim::Fault fault;
        std::function<Outcome(SimBench&)> fix;
        std::string banner;
    } cases[] = {
        {"rev8", sim::Fault::WrongCheckByte,
         [](SimBench& b) { return FixLoopOutput(b.state, b.state.frontend, 12.0, NeverRepeat); }, "Ток зафиксирован"},
        {"rev8", sim::Fault::NoAnswer,
         [](SimBench& b) { return FixLoopOutput(b.state, b.state.frontend, 12.0, NeverRepeat); }, "Ток зафиксирован"},
        {"rev6-hw1", sim::Fault::CutShort,
         [](SimBench& b) { return FixLoopOutput(b.state, b.state.frontend, 1.5, NeverRepeat); },
         "Напряжение зафиксировано"},
        {"rev6", sim::Fault::WrongCheckByte,
         [](SimBench& b) {
             b.ui.onProcessEvents = [&b] { b.state.flags.stopRequested = b.state.requestsSent > 20; };
             return FixDuty(b.state, 0.25f, "Фиксирую скважность", NeverRepeat);
         },
         "Скважность ШИМ зафиксирована"},
    };
    for (const auto& c : cases) {
        auto b = Identified(c.preset);
        b->faults().set(c.fault, true);
        const Outcome o = c.fix(*b);
        EXPECT_FALSE(o.done()) << c.preset;
        EXPECT_EQ(o.effect, DeviceEffect::Unknown) << c.preset;
        EXPECT_TRUE(ToolHoldsOutput(b->state)) << c.preset;
        EXPECT_NE(b->ui.fixedOutputBanner.find(c.banner), std::string::npos) << b->ui.fixedOutputBanner;
        EXPECT_NE(ReleaseBeforeCloseQuestion(b->state).find("Снять фиксацию"), std::string::npos);

        b->faults().clear();
        b->ui.onProcessEvents = nullptr;
        b->state.flags = {};
        const std::vector<HoldRelease> released = ReleaseHeldOutputs(b->state);
        EXPECT_TRUE(ReleaseOutcomeOf(released).done()) << c.preset;
        EXPECT_FALSE(ToolHoldsOutput(b->state)) << c.preset;
        EXPECT_EQ(b->ui.fixedOutputBanner, "") << c.preset;
    }
}

}  // namespace
}  // namespace quillon
