#include <gtest/gtest.h>

#include "device/response_codes.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

TEST(ShowResponseCode, TextIconAndRepeatPerCode) {
    const std::string locked =
        "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика.";
    struct Case {
        std::uint8_t code;
        const char* text;
        MessageIcon icon;
        bool repeat;
    } cases[] = {
        {0, "Запрос успешно выполнен!", MessageIcon::Information, false},
        {2, "Ошибка! Плохой адрес!", MessageIcon::Error, false},
        {5, "Ошибка! Неправильная длина запроса!", MessageIcon::Error, false},
        {6, "Неизвестная ошибка!", MessageIcon::Error, false},
        {7, locked.c_str(), MessageIcon::Error, true},
        {8, "Неизвестная ошибка!", MessageIcon::Error, false},
        {16, locked.c_str(), MessageIcon::Error, true},
        {24, "Ошибка! Ошибка записи в EEPROM-память!", MessageIcon::Error, false},
        {64, "Ошибка! Команда не задействована!", MessageIcon::Error, false},
        {200, "Неизвестная ошибка!", MessageIcon::Error, false},
    };
    for (const auto& c : cases) {
        SimBench b;
        b.state.buffer.response[0] = 0x86;
        b.state.buffer.response[7] = 2;
        b.state.buffer.response[8] = c.code;
        b.state.buffer.responseCount = 11;
        EXPECT_EQ(ShowResponseCode(b.state), c.repeat) << int(c.code);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text, c.text) << int(c.code);
        EXPECT_EQ(b.ui.messages[0].icon, c.icon) << int(c.code);
        EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::Yes);
    }
}

TEST(ShowResponseCode, ReadsTheCodeWhereTheAcceptedAnswerHasIt) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> answer;
        std::uint8_t responseCount;
        bool repeat;
        const char* text;
    } cases[] = {
        // Short answer: code 16 at byte 4; byte 8 is past its end.
        {"short answer",
         {0x06, 0x80, 0x06, 0x03, 0x10, 0x00, 0x05, 0x96, 0x00},
         8,
         true,
         "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика."},
        {"long answer",
         {0x86, 0xA6, 0x0F, 0x00, 0x00, 0x01, 0x06, 0x03, 0x40, 0x00, 0x05, 0x00},
         12,
         false,
         "Ошибка! Команда не задействована!"},
        // The byte count promises more than was accepted: no code to read.
        {"cut short", {0x86, 0xA6, 0x0F, 0x00, 0x00, 0x01, 0x06, 0x03, 0x10, 0x00}, 10, false, "Неизвестная ошибка!"},
    };
    for (const auto& c : cases) {
        SimBench b;
        std::copy(c.answer.begin(), c.answer.end(), b.state.buffer.response.begin());
        b.state.buffer.responseCount = c.responseCount;
        EXPECT_EQ(ShowResponseCode(b.state), c.repeat) << c.what;
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.text}) << c.what;
    }
}

TEST(ShowResponseCode, AnswerWithoutStatusBytesIsNeverASuccess) {
    for (std::uint8_t byteCount : {0, 1}) {
        SimBench b;
        b.state.buffer.response[0] = 0x86;
        b.state.buffer.response[7] = byteCount;
        b.state.buffer.response[8] = byteCount == 0 ? 7 : 0;  // check byte or a lone code
        EXPECT_FALSE(ShowResponseCode(b.state));
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Неизвестная ошибка!"});
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    }
}

TEST(AskRepeatAfterProtection, WarningYesNoTrueOnlyOnYes) {
    for (auto [answer, expected] : {std::pair{MessageAnswer::Yes, true}, std::pair{MessageAnswer::No, false}}) {
        SimBench b;
        b.ui.answerMessages({answer});
        EXPECT_EQ(AskRepeatAfterProtection(b.state), expected);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text, "Повторить попытку?");
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::YesNo);
    }
}

TEST(StatusLine, DeviceStatusBits) {
    struct Case {
        std::uint8_t status;
        const char* text;
    } cases[] = {
        {0x00, ""},
        {0x48, "Ток фиксирован; Конфигурация изменена; "},
        {0x49, "Ток фиксирован; Конфигурация изменена; StatusByte=0x01; "},
        {0x01, "StatusByte=0x01; "},
        {0xFF, "Ток фиксирован; Конфигурация изменена; StatusByte=0xB7; "},
        {0x40, "Конфигурация изменена; "},
    };
    for (const auto& c : cases) EXPECT_EQ(DeviceStatusText(c.status), c.text) << int(c.status);
}

TEST(StatusLine, ResponseCodePieces) {
    struct Case {
        std::uint8_t code;
        const char* everyAnswer;
        const char* wrongShape;
    } cases[] = {
        {0, "", "Не посчитано; "},
        {6, "Ошибка Flash-памяти; ", "Не посчитано; "},
        {24, "Ошибка Flash-памяти; ", "Не посчитано; "},
        {8, "Неудача при обновлении; ", "Ошибка обновления; "},
        {64, "Команда не задействована; ", "Нет измерений; "},
        {7, "Resp.Code=0x07; ", "Не посчитано; "},
        {16, "Resp.Code=0x10; ", "Не посчитано; "},
        {0xAB, "Resp.Code=0xAB; ", "Не посчитано; "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResponseCodeStatusText(c.code), c.everyAnswer) << int(c.code);
        EXPECT_EQ(WrongShapeStatusText(c.code), c.wrongShape) << int(c.code);
    }
}

TEST(StatusLine, Composition) {
    struct Case {
        int lineErrors;
        bool goodShape;
        std::uint8_t code;
        std::uint8_t status;
        const char* line;
    } cases[] = {
        {0, true, 0, 0, "OK!"},
        {0, true, 0, 0x48, "Ток фиксирован; Конфигурация изменена; "},
        {0, false, 64, 0, "Нет измерений; Команда не задействована; "},
        {0, false, 0, 0, "Не посчитано; "},
        {0, true, 2, 0x01, "Resp.Code=0x02; StatusByte=0x01; "},
        // Receive errors replace everything the answer said, in a fixed order.
        {kLineOverrun | kLineParity | kLineFraming, false, 64, 0x48, "Parity Error; Frame Error; Overrun Error; "},
        {kLineOverrun, true, 0, 0, "Overrun Error; "},
        // Bits the line never reports do not count as receive errors.
        {0x01, true, 0, 0, "OK!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposeStatusLine(c.lineErrors, c.goodShape, c.code, c.status), c.line)
            << c.lineErrors << " " << int(c.code) << " " << int(c.status);
}

}  // namespace
}  // namespace quillon
