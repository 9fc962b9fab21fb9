#include <gtest/gtest.h>

#include "device/dialogs.h"
#include "device/sensor_id.h"
#include "device_test_support.h"
#include "link/crc16.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::SimBench;

// A device of the given preset, already identified.
struct Known {
    explicit Known(std::string_view preset) : b(preset) {
        auto& id = b.state.identity;
        const auto& p = b.device().profile();
        id.identified = true;
        id.softwareRevision = p.softwareRevision;
        id.deviceRevision = p.deviceRevision;
        id.hardwareRevision = p.hardwareRevision;
    }
    SimBench b;
};

TEST(ReadSensorId, DeviceErrors) {
    struct Case {
        std::vector<std::uint8_t> data;
        std::uint8_t code;
        const char* message;
    } cases[] = {
        {{}, 8, "Датчик не смог прочитать ID сенсора! Проверьте подключение сенсора!"},
        {{}, 64, "Датчик не поддерживает запрос чтения ID сенсора!"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 3, "Неизвестная ошибка в байте статуса!"},
        {{1, 2, 3, 4, 5, 6, 7}, 0, "Ошибка в длине данных ответа!"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, "Ошибка в длине данных ответа!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Known t("rev13-d1");
        testing::ReplyWith(t.b, 220, {HartReply{c.code, c.data}});
        EXPECT_FALSE(readSensorId(t.b.state));
        EXPECT_FALSE(t.b.state.identity.sensorIdKnown);
        EXPECT_EQ(t.b.state.identity.sensorId, (std::array<std::uint8_t, 8>{}));
        ASSERT_EQ(t.b.ui.messages.size(), 1u);
        EXPECT_EQ(t.b.ui.messages[0].text, c.message);
        EXPECT_EQ(t.b.ui.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(t.b.ui.progressTexts.at(1), "Читаю ID сенсора. Попытка: 1");
    }
}

TEST(ReadSensorId, NothingToReadOrStopped) {
    {
        Known t("rev13-d1");
        t.b.state.identity.sensorIdKnown = true;
        EXPECT_TRUE(readSensorId(t.b.state));
        EXPECT_EQ(t.b.device().answered, 0u);
    }
    {
        Known t("rev13");
        EXPECT_TRUE(readSensorId(t.b.state));
        EXPECT_EQ(t.b.device().answered, 0u);
    }
    {
        Known t("rev13-d2");
        testing::NeverAnswer(t.b, 220);
        testing::EscDuring(t.b, "Читаю ID сенсора. Попытка: 2");
        EXPECT_FALSE(readSensorId(t.b.state));
        EXPECT_EQ(t.b.ui.messageTexts(), std::vector<std::string>{"Не удалось прочитать ID сенсора!"});
    }
}

TEST(SensorBlock, TextAndBlock) {
    const SensorBlock block = SensorBlockFor("QS-T-0001");
    EXPECT_TRUE(CrcResidueCheck(block.data(), block.size()));
    EXPECT_EQ(SensorBlockText(block), "QS-T-0001");
    // Sixteen bytes fit the block, the edit shows fifteen of them.
    const SensorBlock full = SensorBlockFor("0123456789ABCDEFGH");
    EXPECT_EQ(full[15], 'F');
    EXPECT_TRUE(CrcResidueCheck(full.data(), full.size()));
    EXPECT_EQ(SensorBlockText(full), "0123456789ABCDE");
    EXPECT_EQ(SensorBlockText(SensorBlock{}), "");
}

struct SaveIdCase {
    SaveIdCase() { writes = testing::CountRequests(t.b, 221); }
    void type(std::function<bool(SerialStringDialog&)> handler) {
        t.b.ui.onDialog<SerialStringDialog>("SerialStringDialog", [this, handler](SerialStringDialog& d) {
            shown = d.text;
            return handler(d);
        });
    }
    std::string eepromText() {
        SensorBlock block{};
        std::copy(t.b.device().profile().sensorEeprom->begin(), t.b.device().profile().sensorEeprom->end(),
                  block.begin());
        EXPECT_TRUE(CrcResidueCheck(block.data(), block.size()));
        return SensorBlockText(block);
    }
    Known t{"rev13-d2"};
    std::shared_ptr<int> writes;
    std::string shown;
};

TEST(SaveId, SameTextSendsNothing) {
    SaveIdCase c;
    c.type([](SerialStringDialog&) { return true; });
    EXPECT_TRUE(writeSensorIdString(c.t.b.state));
    EXPECT_EQ(c.shown, "QS-T-0001");
    EXPECT_EQ(*c.writes, 0);
    EXPECT_TRUE(c.t.b.ui.messages.empty());
    EXPECT_EQ(c.t.b.ui.progressTexts.at(1), "Читаю ID датчика. Попытка: 1");
}

TEST(SaveId, NewTextIsWrittenInTheDeviceCodePage) {
    SaveIdCase c;
    c.type([](SerialStringDialog& d) {
        d.text = "Тест-7";
        return true;
    });
    EXPECT_TRUE(writeSensorIdString(c.t.b.state));
    EXPECT_EQ(*c.writes, 1);
    EXPECT_EQ(c.eepromText(), "\xD2\xE5\xF1\xF2-7");
    EXPECT_TRUE(c.t.b.ui.messages.empty());
    EXPECT_EQ(c.t.b.ui.progressTexts.back(), "Запись в EEPROM. Попытка: 1");
    // Request: area, length, then the block (byte count 21).
    EXPECT_EQ(c.t.b.state.buffer.request[7], 21);
    EXPECT_EQ(c.t.b.state.buffer.request[8], 0x00);
    EXPECT_EQ(c.t.b.state.buffer.request[9], 0x54);
    EXPECT_EQ(c.t.b.state.buffer.request[10], 18);

    // Read back, the device bytes show as the text typed.
    SaveIdCase again;
    again.t.b.device().profile().sensorEeprom = c.t.b.device().profile().sensorEeprom;
    again.type([](SerialStringDialog&) { return false; });
    EXPECT_TRUE(writeSensorIdString(again.t.b.state));
    EXPECT_EQ(again.shown, "Тест-7");
}

TEST(SaveId, BadCrcForcesARewriteEvenOfAnEmptyText) {
    SaveIdCase c;
    (*c.t.b.device().profile().sensorEeprom)[17] ^= 0x01;
    c.type([](SerialStringDialog&) { return true; });
    EXPECT_TRUE(writeSensorIdString(c.t.b.state));
    EXPECT_EQ(c.shown, "");
    EXPECT_EQ(*c.writes, 1);
    EXPECT_EQ(c.t.b.ui.messageTexts(), std::vector<std::string>{"Строка с идентификатором прибора не была записана!"});
    EXPECT_EQ(c.eepromText(), "");
    EXPECT_EQ((*c.t.b.device().profile().sensorEeprom)[0], 0);
}

TEST(SaveId, CancelOverABadBlockIsAFailure) {
    SaveIdCase c;
    (*c.t.b.device().profile().sensorEeprom)[0] ^= 0x01;
    EXPECT_FALSE(writeSensorIdString(c.t.b.state));  // no handler: cancelled
    EXPECT_EQ(*c.writes, 0);

    SaveIdCase good;
    EXPECT_TRUE(writeSensorIdString(good.t.b.state));
    EXPECT_EQ(*good.writes, 0);
}

TEST(SaveId, BlockReadErrors) {
    struct Case {
        HartReply reply;
        const char* message;
    } cases[] = {
        {{8, {}}, "Датчик не смог прочитать ID датчика из EEPROM! Проверьте подключение сенсора!"},
        {{64, {}}, "Датчик не поддерживает запрос чтения ID датчика из EEPROM!"},
        {{2, {}}, "Неизвестная ошибка в байте статуса!"},
        {{0, std::vector<std::uint8_t>(17, 0)}, "Ошибка в длине данных ответа при чтении EEPROM!"},
        {{0, std::vector<std::uint8_t>(19, 0)}, "Ошибка в длине данных ответа при чтении EEPROM!"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.message);
        SaveIdCase c;
        testing::ReplyWith(c.t.b, 222, {k.reply});
        EXPECT_FALSE(writeSensorIdString(c.t.b.state));
        EXPECT_EQ(c.t.b.ui.messageTexts(), std::vector<std::string>{k.message});
        EXPECT_TRUE(c.t.b.ui.dialogsShown.empty());
    }
}

TEST(SaveId, WriteAnswers) {
    const std::string question =
        "Запрещена запись в датчик. Для разрешения необходимо нажать кнопку на корпусе датчика. Повторить попытку?";
    struct Case {
        const char* name;
        std::vector<HartReply> replies;
        std::vector<MessageAnswer> answers;
        bool result;
        std::vector<std::string> messages;
        int writes;
    } cases[] = {
        {"locked, declined", {{7, {}}}, {MessageAnswer::No}, false, {question}, 1},
        {"locked, repeated", {{7, {}}, {0, {}}}, {MessageAnswer::Yes}, true, {question}, 2},
        {"eeprom error", {{8, {}}}, {}, false, {"Ошибка записи EEPROM!"}, 1},
        {"other code", {{16, {}}}, {}, false, {"Неизвестная ошибка записи EEPROM!"}, 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SaveIdCase c;
        testing::ReplyWith(c.t.b, 221, k.replies);
        auto writes = testing::CountRequests(c.t.b, 221);
        for (auto a : k.answers) c.t.b.ui.answerMessages({a});
        c.type([](SerialStringDialog& d) {
            d.text = "NEW";
            return true;
        });
        EXPECT_EQ(writeSensorIdString(c.t.b.state), k.result);
        EXPECT_EQ(c.t.b.ui.messageTexts(), k.messages);
        EXPECT_EQ(*writes, k.writes);
    }
}

TEST(SaveId, OnlyForDevicesThatCanTakeIt) {
    {
        Known t("rev13-d1");
        EXPECT_TRUE(writeSensorIdString(t.b.state));
        EXPECT_EQ(t.b.device().answered, 0u);
        EXPECT_TRUE(t.b.ui.events.empty());
    }
    {
        // Revision 16 with the I2C channel active but not main: a warning, then on.
        Known t("rev16");
        t.b.state.identity.channelConfig = {0, 3, 0, 0};
        SaveIdCommand(t.b.state);
        ASSERT_FALSE(t.b.ui.messages.empty());
        EXPECT_EQ(t.b.ui.messages[0].text, "Сейчас канал с датчиком на I2C не основной!");
        EXPECT_EQ(t.b.ui.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(t.b.ui.dialogsShown, std::vector<std::string>{"SerialStringDialog"});
    }
    {
        Known t("rev16");
        t.b.state.identity.channelConfig = {1, 2, 0, 0};
        SaveIdCommand(t.b.state);
        EXPECT_TRUE(t.b.ui.messages.empty());
        EXPECT_EQ(t.b.ui.dialogsShown, std::vector<std::string>{"SerialStringDialog"});
    }
}

}  // namespace
}  // namespace quillon
