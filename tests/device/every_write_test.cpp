// Every write of the device layer against the simulator, three ways it can
// fail: the device's write lock, another refusal, and a line that dies while
// the write is under way. None may end in a text of success.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/addressing.h"
#include "device/identification.h"
#include "device/measurement_parameters.h"
#include "device/modbus_address.h"
#include "device/preambles.h"
#include "device/tag.h"
#include "device/value_correction.h"
#include "device_test_support.h"

namespace quillon::testing {
namespace {

struct WriteRow {
    const char* name;
    const char* preset;
    std::function<Outcome(AppState&)> write;
    std::function<Report(AppState&, const Outcome&)> report;
    std::uint8_t lockCode;       // what this device answers while locked
    std::uint8_t refusedCommand;  // refused with `otherCode` in the second case
    std::uint8_t otherCode;
    // The line dies after this many answers to `dyingCommand`; the engineer
    // gives up during the third attempt of the next request.
    std::uint8_t dyingCommand;
    int answeredBeforeDeath;
    const char* thirdAttempt;
    int stepsDone;  // steps a write of several steps completed before the line died
    std::vector<std::string> successTexts;
};

MeasurementParameters SetA() {
    MeasurementParameters p;
    p.mainPeriod = 1800;
    p.damping = 4;
    p.thirdPeriod = 2700;
    return p;
}

const std::vector<WriteRow>& Rows() {
    static const std::vector<WriteRow> rows = {
        {"short address", "rev6", [](AppState& s) { return WriteShortAddress(s, 7, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return ShortAddressReport(s.identity, o); }, 16, 6, 2, 6, 0,
         "Меняю короткий адрес. Попытка 3", 0, {"Данные успешно записаны!"}},
        {"long address, command 19", "rev8", [](AppState& s) { return WriteLongAddress(s, {1, 2, 3}, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return LongAddressReport(s.identity, o); }, 7, 19, 5, 19, 0,
         "Пишу длинный адрес. Попытка 3", 0, {"Данные были успешно отправлены и приняты к исполнению!"}},
        {"long address, parameter block", "rev3",
         [](AppState& s) { return WriteLongAddress(s, {1, 2, 3}, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return LongAddressReport(s.identity, o); }, 7, 190, 3, 192, 0,
         "Переопрос длинного адреса. Попытка 3", 1, {"Данные были успешно отправлены и приняты к исполнению!"}},
        {"preambles, setting 22", "rev14", [](AppState& s) { return WritePreambleCount(s, 7, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return PreambleWriteReport(s.identity, o); }, 16, 177, 3, 177, 0,
         "Запись количества преамбул . 3", 0, {"Данные успешно записаны!"}},
        {"preambles, command 59", "rev6", [](AppState& s) { return WritePreambleCount(s, 7, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return PreambleWriteReport(s.identity, o); }, 7, 59, 24, 59, 0,
         "Запись кол-ва преамбул : 3", 0, {"Параметр успешно записан!"}},
        {"tag", "rev6", [](AppState& s) { return WriteTag(s, "TT-7", NeverRepeat); },
         [](AppState&, const Outcome& o) { return TagWriteReport(o); }, 16, 22, 32, 22, 0, "Пишу тег. Попытка: 3", 0,
         {"Тег успешно записан!"}},
        {"Modbus address", "rev9-hw1", [](AppState& s) { return WriteModbusAddress(s, 17, NeverRepeat); },
         [](AppState&, const Outcome& o) { return ModbusAddressWriteReport(o); }, 7, 177, 2, 177, 0,
         "Запись Modbus-адреса . 3", 0, {}},
        {"measurement parameters", "rev6",
         [](AppState& s) { return WriteMeasurementParameters(s, SetA(), NeverRepeat); },
         [](AppState& s, const Outcome& o) { return MeasurementWriteReport(s.identity, SetA(), o); }, 16, 177, 3, 177,
         1, "Запись параметра 14 . 3", 1, {"Данные успешно записаны!"}},
        {"value correction", "rev6",
         [](AppState& s) { return WriteValueCorrection(s, {0.5f, 1.25f}, NeverRepeat); },
         [](AppState& s, const Outcome& o) { return ValueCorrectionWriteReport(s.identity, {0.5f, 1.25f}, o); }, 7,
         177, 2, 177, 1, "Запись параметра 16 . 3", 1, {"Данные успешно записаны!"}},
    };
    return rows;
}

// The device answers `answered` requests of `command`, then the line is dead.
void DieAfter(SimBench& b, std::uint8_t command, int answered) {
    auto seen = std::make_shared<int>(0);
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [&b, seen, answered, original](sim::SimDevice& d, const sim::HartRequest& q) {
        if ((*seen)++ >= answered) b.faults().set(sim::Fault::NoAnswer, true);
        return original(d, q);
    };
}

void ExpectNoSuccessText(SimBench& b, const WriteRow& row, const Outcome& o, const char* how) {
    ShowReport(b.ui, row.report(b.state, o));
    for (const auto& text : b.ui.messageTexts())
        for (const auto& success : row.successTexts)
            EXPECT_EQ(text.find(success), std::string::npos) << row.name << ", " << how << ": " << text;
}

std::unique_ptr<SimBench> Identified(const WriteRow& row) {
    auto b = std::make_unique<SimBench>(row.preset);
    EXPECT_TRUE(Identify(b->state).done()) << row.name;
    b->ui.messages.clear();
    return b;
}

TEST(EveryDeviceWrite, RefusedByTheWriteLock) {
    for (const auto& row : Rows()) {
        auto b = Identified(row);
        b->device().lock(row.lockCode);
        const Outcome o = row.write(b->state);
        EXPECT_EQ(o.kind, OutcomeKind::Refused) << row.name;
        EXPECT_EQ(o.responseCode, row.lockCode) << row.name;
        EXPECT_TRUE(o.writeLocked()) << row.name;
        EXPECT_EQ(o.effect, DeviceEffect::None) << row.name;
        ExpectNoSuccessText(*b, row, o, "locked");
    }
}

TEST(EveryDeviceWrite, RefusedWithAnotherCode) {
    for (const auto& row : Rows()) {
        auto b = Identified(row);
        ReplyWith(*b, row.refusedCommand, {{row.otherCode, {}}});
        const Outcome o = row.write(b->state);
        EXPECT_EQ(o.kind, OutcomeKind::Refused) << row.name;
        EXPECT_EQ(o.responseCode, row.otherCode) << row.name;
        EXPECT_FALSE(o.writeLocked()) << row.name;
        EXPECT_EQ(o.effect, DeviceEffect::None) << row.name;
        ExpectNoSuccessText(*b, row, o, "refused");
        EXPECT_FALSE(b->ui.messageTexts().empty()) << row.name << ": the refusal must be told";
    }
}

TEST(EveryDeviceWrite, LineDiesPartWay) {
    for (const auto& row : Rows()) {
        auto b = Identified(row);
        DieAfter(*b, row.dyingCommand, row.answeredBeforeDeath);
        EscDuring(*b, row.thirdAttempt);
        const Outcome o = row.write(b->state);
        b->ui.onProcessEvents = nullptr;
        EXPECT_EQ(o.cause(), OutcomeKind::Interrupted) << row.name;
        if (row.stepsDone > 0) {
            EXPECT_EQ(o.kind, OutcomeKind::Partial) << row.name;
            EXPECT_EQ(o.stepsDone, row.stepsDone) << row.name;
            EXPECT_EQ(o.effect, DeviceEffect::Partial) << row.name;
            EXPECT_FALSE(o.effectText.empty()) << row.name;
        } else {
            // The request went out and its answer was lost.
            EXPECT_EQ(o.effect, DeviceEffect::Unknown) << row.name;
        }
        ExpectNoSuccessText(*b, row, o, "line died");
        const auto texts = b->ui.messageTexts();
        ASSERT_FALSE(texts.empty()) << row.name;
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
            return t.find("Запись прервана") != std::string::npos || t.find("неизвестно") != std::string::npos;
        })) << row.name << ": what the write left must be told";
    }
}

// A write of several settings cut after the first names which ones the
// device now holds.
TEST(EveryDeviceWrite, PartialWriteNamesWhatIsLeft) {
    SimBench b("rev6");
    ASSERT_TRUE(Identify(b.state).done());
    ReplyWith(b, 177, {{0, {14, 0, 0, 7, 8}}, {3, {}}});
    const Outcome o = WriteMeasurementParameters(b.state, SetA(), NeverRepeat);
    EXPECT_EQ(o.kind, OutcomeKind::Partial);
    EXPECT_EQ(o.stoppedBy, OutcomeKind::Refused);
    EXPECT_EQ(o.responseCode, 3);
    EXPECT_EQ(o.stepsDone, 1);
    EXPECT_EQ(o.stepsTotal, 3);
    EXPECT_EQ(o.effectText, "В устройстве новые значения параметров 12; прежние значения параметров 14, 13.");
    b.ui.messages.clear();
    ShowReport(b.ui, MeasurementWriteReport(b.state.identity, SetA(), o));
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Ошибка при записи в энергонезависимую память параметра 14 !",
                                        "Не удалось записать параметры!\nЗапись прервана: выполнено 1 из 3. В "
                                        "устройстве новые значения параметров 12; прежние значения параметров 14, 13."}));
}

// Values the device must never get are refused before any request.
TEST(EveryDeviceWrite, InputsRefusedBeforeAnyRequest) {
    struct Case {
        const char* preset;
        std::function<Outcome(AppState&)> write;
        const char* reason;
    } cases[] = {
        {"rev6", [](AppState& s) { return WritePreambleCount(s, 51, NeverRepeat); },
         "Количество преамбул 51 вне диапазона 3-50"},
        {"rev9-hw1", [](AppState& s) { return WriteModbusAddress(s, 248, NeverRepeat); },
         "Modbus-адрес 248 вне диапазона 1-247"},
        {"rev6", [](AppState& s) { return WriteTag(s, std::string(33, 'A'), NeverRepeat); }, "Тег длиннее 32 байт"},
        {"rev6",
         [](AppState& s) {
             MeasurementParameters p = SetA();
             p.damping = 10;  // 9 at most on this revision
             return WriteMeasurementParameters(s, p, NeverRepeat);
         },
         "Величина демпфирования вне допустимого диапазона! "},
        {"rev7",
         [](AppState& s) {
             MeasurementParameters p;
             p.currentOutput = true;
             p.shunt = 0.0f;
             return WriteMeasurementParameters(s, p, NeverRepeat);
         },
         "Сопротивление шунта должно быть больше нуля!"},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        ASSERT_TRUE(Identify(b.state).done());
        const std::uint64_t before = b.state.requestsSent;
        const Outcome o = c.write(b.state);
        EXPECT_EQ(o.kind, OutcomeKind::InputRefused) << c.reason;
        EXPECT_EQ(o.reason, c.reason);
        EXPECT_EQ(b.state.requestsSent, before) << c.reason;
    }
}

}  // namespace
}  // namespace quillon::testing
