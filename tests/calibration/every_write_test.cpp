// Every calibration write against a device that refuses (its write lock, or
// another code) or whose line dies part-way: what the write says it did, what
// the device really holds, and that no text of success is shown for it.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "calibration/calibration_read.h"
#include "calibration/calibration_write_op.h"
#include "calibration/calibration_write_report.h"
#include "device/device_test_support.h"
#include "device/variant.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::SimBench;

// A device of the preset, identified as the tool would have it.
std::unique_ptr<SimBench> KnownDevice(const char* preset) {
    auto b = std::make_unique<SimBench>(preset);
    auto& id = b->state.identity;
    const auto& p = b->device().profile();
    id.identified = true;
    id.softwareRevision = p.softwareRevision;
    id.deviceRevision = p.deviceRevision;
    id.hardwareRevision = p.hardwareRevision;
    id.calibrationPointCount = derivedCalibrationPointCount(id);
    id.channelConfig = {0, 3, 0, 0};
    return b;
}

struct Form {
    const char* name;
    const char* preset;
    std::uint8_t command;
    std::function<void(CalibrationSet&)> fill;
    std::function<CalibrationWriteResult(DeviceState&, const CalibrationSet&, const AskRepeatOnLock&)> write;
    // How many of the calibration's entries the device holds now, from the first.
    std::function<int(SimBench&, const CalibrationSet&)> newInDevice;
};

const Form kSegments{
    "segments",
    "rev4",
    115,
    [](CalibrationSet& c) {
        for (int i = 0; i < 7; ++i) c.segmentTable.push_back({std::uint32_t(1000 * (i + 1)), 5.0f * i, 0.005f});
    },
    [](DeviceState& s, const CalibrationSet& c, const AskRepeatOnLock& ask) {
        return WriteCalibrationSegments(s, c, false, ask, {});
    },
    [](SimBench& b, const CalibrationSet& c) {
        const auto& held = b.device().profile().calibration.segments;
        int n = 0;
        while (n < int(held.size()) && held[std::size_t(n)].startCode == c.segmentTable[std::size_t(n)].startCode) ++n;
        return n;
    }};

const Form kCodePoints{
    "code points",
    "rev6",
    115,
    [](CalibrationSet& c) {
        for (int i = 0; i < 5; ++i) c.codePoints.push_back({std::uint32_t(100000 * (i + 1)), 20.0f * i, 0});
    },
    [](DeviceState& s, const CalibrationSet& c, const AskRepeatOnLock& ask) {
        return WriteCalibrationCodePoints(s, c, ask, {});
    },
    [](SimBench& b, const CalibrationSet& c) {
        // Highest code first, from the top slot down.
        const auto& slots = b.device().profile().calibration.codeSlots[0];
        int n = 0;
        for (int slot = 7; slot >= 0; --slot, ++n) {
            const auto it = slots.find(std::uint8_t(slot));
            if (it == slots.end() || it->second.code != c.codePoints[c.codePoints.size() - 1 - std::size_t(n)].code)
                break;
        }
        return n;
    }};

const Form kPairs{
    "temperature pairs",
    "rev14-d1",
    182,
    [](CalibrationSet& c) {
        for (int i = 0; i < 12; ++i) c.temperaturePairs.push_back({10.0f * i, 10.5f * i + 1});
        c.calibrationEnabled = 1;
    },
    [](DeviceState& s, const CalibrationSet& c, const AskRepeatOnLock& ask) {
        return WriteCalibrationPairs(s, c, ask, {});
    },
    [](SimBench& b, const CalibrationSet& c) {
        const auto& held = b.device().profile().calibration.pairs[0].pairs;
        int n = 0;
        while (n < int(held.size()) && n < int(c.temperaturePairs.size()) &&
               held[std::size_t(n)].sensorReading == c.temperaturePairs[std::size_t(n)].sensorReading)
            ++n;
        return n;
    }};

enum class Fault { LockThenButton, LockDeclined, OtherCode, LineDies };

struct Case {
    const Form* form;
    Fault fault;
    int at;  // the request of the write command (from 0) the fault hits
    std::uint8_t code;
    OutcomeKind kind;
    int stepsDone;
    const char* leaves;  // the start of the words for what the device holds
    int newInDevice;     // the entries the device holds from the calibration
};

const Case kCases[] = {
    {&kSegments, Fault::LockThenButton, 3, 16, OutcomeKind::Done, 0, "", 7},
    {&kSegments, Fault::LockDeclined, 3, 16, OutcomeKind::Partial, 3, "В датчике 3 новых и 4 прежних сегмента.", 3},
    {&kSegments, Fault::OtherCode, 0, 5, OutcomeKind::Refused, 0, "", 0},
    {&kSegments, Fault::LineDies, 4, 0, OutcomeKind::Partial, 4,
     "В датчике 4 новых и 3 прежних сегмента. Сегмент 5 мог быть записан.", 5},
    {&kCodePoints, Fault::LockThenButton, 2, 7, OutcomeKind::Done, 0, "", 5},
    {&kCodePoints, Fault::LockDeclined, 2, 7, OutcomeKind::Partial, 2,
     "В датчике 2 новые точки кода без признака конца таблицы", 2},
    {&kCodePoints, Fault::OtherCode, 0, 24, OutcomeKind::Refused, 0, "", 0},
    {&kCodePoints, Fault::LineDies, 3, 0, OutcomeKind::Partial, 3,
     "В датчике 3 новые точки кода без признака конца таблицы", 4},
    // The pairs go as a header and then one request per point.
    {&kPairs, Fault::LockThenButton, 5, 7, OutcomeKind::Done, 0, "", 12},
    {&kPairs, Fault::LockDeclined, 5, 7, OutcomeKind::Partial, 5,
     "В датчике заголовок калибровки на 12 точек: 4 точки новые, остальные 8 обнулены", 4},
    {&kPairs, Fault::OtherCode, 0, 3, OutcomeKind::Refused, 0, "", 0},
    {&kPairs, Fault::LineDies, 7, 0, OutcomeKind::Partial, 7,
     "В датчике заголовок калибровки на 12 точек: 6 точек новые, остальные 6 обнулены, калибровка "
     "недействительна. Точка 7 могла быть записана.",
     7},
};

const char* FaultName(Fault f) {
    switch (f) {
        case Fault::LockThenButton: return "lock, then the button";
        case Fault::LockDeclined: return "lock declined";
        case Fault::OtherCode: return "another code";
        case Fault::LineDies: return "line dies";
    }
    return "";
}

TEST(EveryCalibrationWrite, RefusalsAndCutLinesSayWhatTheDeviceHolds) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.form->name) + ", " + FaultName(c.fault));
        auto b = KnownDevice(c.form->preset);
        CalibrationSet cal;
        c.form->fill(cal);

        // The device's own handler, with the fault at request `at`.
        auto original = b->device().commands()[c.form->command];
        auto requests = std::make_shared<std::vector<std::vector<std::uint8_t>>>();
        SimBench* bench = b.get();
        b->device().commands()[c.form->command] = [=, &c](sim::SimDevice& d, const sim::HartRequest& q) {
            requests->push_back(q.data);
            const int n = int(requests->size()) - 1;
            if (c.fault == Fault::LineDies) {
                if (n >= c.at) bench->faults().set(sim::Fault::NoAnswer, true);
                return original(d, q);
            }
            const bool refused = c.fault == Fault::LockThenButton ? n == c.at : n >= c.at;
            return refused ? HartReply{c.code, {}} : original(d, q);
        };
        // A dead line is given up after three attempts, as the command line does.
        b->ui.onProcessEvents = [bench] {
            const auto& texts = bench->ui.progressTexts;
            if (!texts.empty() && texts.back().ends_with("Попытка 3")) bench->state.flags.stopRequested = true;
        };
        int asked = 0;
        const AskRepeatOnLock ask = [&](const Outcome& refusal) {
            ++asked;
            EXPECT_TRUE(refusal.writeLocked());
            return c.fault == Fault::LockThenButton;
        };

        const CalibrationWriteResult r = c.form->write(b->state, cal, ask);
        const Outcome& o = r.outcome;
        EXPECT_EQ(o.kind, c.kind);
        EXPECT_EQ(asked, c.fault == Fault::LockThenButton || c.fault == Fault::LockDeclined ? 1 : 0);
        EXPECT_EQ(c.form->newInDevice(*b, cal), c.newInDevice);
        const Report report = CalibrationWriteReport(r);
        const auto success = std::find_if(report.begin(), report.end(), [](const Box& box) {
            return box.text == "Калибровка OK!" ||
                   box.text == "Данные были успешно отправлены и приняты к исполнению!";
        });
        if (c.kind == OutcomeKind::Done) {
            // The refused step went again, and only it.
            ASSERT_GT(requests->size(), std::size_t(c.at + 1));
            EXPECT_EQ((*requests)[std::size_t(c.at)], (*requests)[std::size_t(c.at + 1)]);
            EXPECT_NE(success, report.end());
            continue;
        }
        EXPECT_EQ(success, report.end()) << "a write that is not done says it went through";
        ASSERT_FALSE(report.empty());
        EXPECT_EQ(report.back().icon, MessageIcon::Error);
        if (c.fault == Fault::LineDies) {
            EXPECT_EQ(o.stoppedBy, OutcomeKind::Interrupted);
        } else {
            EXPECT_EQ(o.cause(), OutcomeKind::Refused);
            EXPECT_EQ(o.responseCode, c.code);
            EXPECT_EQ(o.writeLocked(), c.fault == Fault::LockDeclined);
            EXPECT_EQ(requests->size(), std::size_t(c.at + 1)) << "nothing after the refused step";
        }
        EXPECT_EQ(o.stepsDone, c.stepsDone);
        if (c.kind == OutcomeKind::Partial) {
            EXPECT_EQ(o.effect, DeviceEffect::Partial);
            EXPECT_EQ(o.effectText.rfind(c.leaves, 0), 0u) << o.effectText;
            EXPECT_NE(report.back().text.find(c.leaves), std::string::npos) << report.back().text;
        } else {
            EXPECT_EQ(o.effect, DeviceEffect::None);
        }
    }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Another maker's device reads these commands as its own: nothing is sent to it.
TEST(EveryCalibrationWrite, AnotherMakersDeviceGetsNoRequest) {
    for (const Form* form : {&kSegments, &kCodePoints, &kPairs}) {
        SCOPED_TRACE(form->name);
        auto b = KnownDevice(form->preset);
        b->state.identity.makeKnown = true;
        b->state.identity.manufacturerId = 0x11;
        b->state.identity.deviceType = 0x22;
        CalibrationSet cal;
        form->fill(cal);
        const std::uint64_t before = b->state.requestsSent;
        const CalibrationWriteResult w = form->write(b->state, cal, NeverRepeat);
        EXPECT_EQ(w.outcome.kind, OutcomeKind::NotPossible);
        EXPECT_NE(w.outcome.reason.find("11h"), std::string::npos) << w.outcome.reason;
        CalibrationSet read;
        EXPECT_EQ(ReadDeviceCalibration(b->state, read).outcome.kind, OutcomeKind::NotPossible);
        EXPECT_EQ(b->state.requestsSent, before);
    }
}

}  // namespace
}  // namespace quillon
