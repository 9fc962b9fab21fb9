#include <gtest/gtest.h>

#include <vector>

#include "device/parameter_access.h"
#include "device_test_support.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::ReplyWith;
using testing::SimBench;

std::vector<std::uint8_t> RequestData(const ExchangeBuffer& b) {
    return {b.request.begin() + 8, b.request.begin() + 8 + b.request[7]};
}

TEST(XorCheck, Vectors) {
    const std::uint8_t zeros[] = {0x00, 0x00, 0x00};
    const std::uint8_t single[] = {0x4D};
    const std::uint8_t address[] = {0x07};
    EXPECT_EQ(XorCheck(zeros, 3), 0x4D);
    EXPECT_EQ(XorCheck(single, 1), 0x00);
    EXPECT_EQ(XorCheck(address, 1), 0x4A);
    EXPECT_EQ(XorCheck(nullptr, 0), 0x4D);
}

TEST(XorCheck, VerifyAndAppend) {
    const std::uint8_t good[] = {0x07, 0x4A};
    const std::uint8_t bad[] = {0x07, 0x4B};
    const std::uint8_t onlyCheck[] = {0x4D};
    EXPECT_TRUE(VerifyXorCheck(good, 2));
    EXPECT_FALSE(VerifyXorCheck(bad, 2));
    EXPECT_TRUE(VerifyXorCheck(onlyCheck, 1));  // no payload: the check is 0x4D
    EXPECT_FALSE(VerifyXorCheck(good, 0));      // an empty string never verifies

    std::uint8_t buf[] = {0x12, 0x34, 0x56, 0x00};
    AppendXorCheck(buf, 4);
    EXPECT_EQ(buf[3], 0x4D ^ 0x12 ^ 0x34 ^ 0x56);
    EXPECT_TRUE(VerifyXorCheck(buf, 4));
}

TEST(ParameterBlockRequests, IndexLeastSignificantByteFirst) {
    SimBench b;
    BuildReadParameterBlock(b.state, 127, 2);
    EXPECT_EQ(b.state.buffer.request[0], 0x82);
    EXPECT_EQ(b.state.buffer.request[6], 191);
    EXPECT_EQ(RequestData(b.state.buffer), (std::vector<std::uint8_t>{0x7F, 0x00, 0x02}));

    BuildReadParameterBlock(b.state, 0x1234, 7);
    EXPECT_EQ(RequestData(b.state.buffer), (std::vector<std::uint8_t>{0x34, 0x12, 0x07}));

    BuildConfirmParameterBlock(b.state, 2);
    EXPECT_EQ(b.state.buffer.request[6], 192);
    EXPECT_EQ(RequestData(b.state.buffer), (std::vector<std::uint8_t>{0x02}));
}

TEST(ParameterBlockRequests, WriteCarriesPayloadAndCheckByte) {
    SimBench b;
    const std::uint8_t payload[] = {0x01, 0x02, 0x03};
    BuildWriteParameterBlock(b.state, 127, payload, 3);
    EXPECT_EQ(b.state.buffer.request[6], 190);
    EXPECT_EQ(RequestData(b.state.buffer),
              (std::vector<std::uint8_t>{0x7F, 0x00, 0x01, 0x02, 0x03, 0x4D ^ 0x01 ^ 0x02 ^ 0x03}));

    // The simulated device accepts it only with a right check byte.
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(ResponseCode(b.state.buffer), 0);
    EXPECT_EQ(b.device().blockByte(127), 0x01);
    EXPECT_EQ(b.device().blockByte(129), 0x03);
}

TEST(ParameterBlockRequests, OversizedPayloadIsNeverSentTruncated) {
    SimBench b;
    std::vector<std::uint8_t> payload(kMaxParameterPayload + 1, 0x11);
    BuildWriteParameterBlock(b.state, 5, payload.data(), payload.size());
    EXPECT_EQ(Exchange(b.state), ExchangeBadRequest);
    EXPECT_EQ(b.device().answered, 0u);

    payload.pop_back();
    BuildWriteParameterBlock(b.state, 5, payload.data(), payload.size());
    EXPECT_EQ(b.state.buffer.request[7], kMaxParameterPayload + 3);
    EXPECT_TRUE(VerifyXorCheck(&b.state.buffer.request[10], kMaxParameterPayload + 1));
}

TEST(WriteSetting, SendsValueMostSignificantByteFirst) {
    SimBench b;
    EXPECT_EQ(writeSetting(b.state, 12, 1000, "Запись"), kSettingWritten);
    EXPECT_EQ(RequestData(b.state.buffer), (std::vector<std::uint8_t>{12, 0x00, 0x00, 0x03, 0xE8}));
    EXPECT_EQ(b.device().profile().settings.at(12), 1000u);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.progressTexts.at(1), "Запись . 1");
    EXPECT_FALSE(b.ui.progressOpen);
}

TEST(WriteSetting, DeviceAnswers) {
    struct Case {
        std::vector<HartReply> replies;
        int result;
        const char* message;
    } cases[] = {
        {{{0, {}}}, kSettingWrongLength, "Ошибка! Параметр 9 не записан!"},
        {{{0, {9, 0, 0}}}, kSettingWrongLength, "Ошибка! Параметр 9 не записан!"},
        {{{2, {}}}, kSettingRefused, "Неправильный индекс! (Попытка записать параметр с индексом 9)"},
        {{{3, {}}}, kSettingRefused, "Ошибка при записи в энергонезависимую память параметра 9 !"},
        {{{8, {}}}, kSettingRefused, "Неизвестная ошибка при записи параметра 9 !"},
        {{{64, {9, 0, 0, 0, 1}}}, kSettingRefused, "Неизвестная ошибка при записи параметра 9 !"},
    };
    for (const auto& c : cases) {
        SimBench b;
        ReplyWith(b, 177, c.replies);
        EXPECT_EQ(writeSetting(b.state, 9, 1, "Запись"), c.result) << c.message;
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.message;
        EXPECT_EQ(b.ui.messages[0].text, c.message);
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    }
}

TEST(WriteSetting, WriteLockDeclinedShowsOnlyTheQuestion) {
    for (std::uint8_t code : {7, 16}) {
        SimBench b;
        b.device().lock(code);
        b.ui.answerMessages({MessageAnswer::No});
        EXPECT_EQ(writeSetting(b.state, 9, 1, "Запись"), kSettingProtectedDeclined);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text,
                  "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе "
                  "датчика. Повторить попытку?");
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(b.device().profile().settings.count(9), 0u);
    }
}

TEST(WriteSetting, WriteLockRepeatAfterButtonWrites) {
    SimBench b;
    // Locked for the first write; the button is pressed before the repeat.
    auto original = b.device().commands()[177];
    auto calls = std::make_shared<int>(0);
    b.device().commands()[177] = [original, calls](sim::SimDevice& d, const sim::HartRequest& q) {
        return ++*calls == 1 ? HartReply{16, {}} : original(d, q);
    };
    b.ui.answerMessages({MessageAnswer::Yes});
    EXPECT_EQ(writeSetting(b.state, 9, 0xDEADBEEF, "Запись"), kSettingWritten);
    EXPECT_EQ(b.device().profile().settings.at(9), 0xDEADBEEFu);
    EXPECT_EQ(b.ui.messages.size(), 1u);
    // A fresh attempt loop: numbering restarts at 1.
    int firstAttempts = 0;
    for (const auto& t : b.ui.progressTexts) firstAttempts += t == "Запись . 1";
    EXPECT_EQ(firstAttempts, 2);
}

TEST(WriteSetting, NoExchange) {
    SimBench b;
    ClosePort(b.state);
    EXPECT_EQ(writeSetting(b.state, 4, 1, "Запись"), kSettingNoExchange);
    EXPECT_EQ(b.ui.messageTexts().back(), "Не удалось записать параметр 4 !");
}

TEST(ReadSetting, Answers) {
    struct Case {
        std::vector<HartReply> replies;
        SettingReadResult expected;
        const char* message;  // nullptr: none
    } cases[] = {
        {{{0, {33, 0x12, 0x34, 0x56, 0x78}}}, {kSettingRead, 0x12345678}, nullptr},
        {{{1, {33}}}, {kSettingRead, 0}, "Каналы. Настройка не была введена, используется значение по умолчанию"},
        {{{2, {33, 1, 2, 3, 4}}}, {kSettingRead, 0}, "Каналы. Неизвестная ошибка при чтении!"},
        // Too short to hold bytes 1-4: no value may be made up from stale bytes.
        {{{0, {33, 0x12, 0x34}}}, {kSettingBadAnswer, 0}, "Каналы. Ошибка в длине данных ответа!"},
        {{{0, {}}}, {kSettingBadAnswer, 0}, "Каналы. Ошибка в длине данных ответа!"},
    };
    for (const auto& c : cases) {
        SimBench b;
        // Leave a plausible value in the buffer from an earlier answer.
        b.state.buffer.response.fill(0x77);
        ReplyWith(b, 176, c.replies);
        const SettingReadResult r = readSetting(b.state, 33, "Каналы");
        EXPECT_EQ(r.result, c.expected.result);
        EXPECT_EQ(r.value, c.expected.value);
        if (c.message) {
            ASSERT_EQ(b.ui.messages.size(), 1u);
            EXPECT_EQ(b.ui.messages[0].text, c.message);
            EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
        } else {
            EXPECT_TRUE(b.ui.messages.empty());
        }
        EXPECT_EQ(b.ui.progressTexts.at(1), "Каналы. Попытка 1");
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(ReadSetting, RepeatsUntilAnsweredAndStopsOnEsc) {
    SimBench b;
    b.faults().set(sim::Fault::NoAnswer);  // once
    b.device().profile().settings[7] = 42;
    EXPECT_EQ(readSetting(b.state, 7, "Чтение").value, 42u);
    EXPECT_EQ(b.ui.progressTexts.back(), "Чтение. Попытка 2");

    SimBench stopped;
    stopped.faults().set(sim::Fault::NoAnswer, true);
    testing::EscDuring(stopped, "Чтение. Попытка 3");
    const SettingReadResult r = readSetting(stopped.state, 7, "Чтение");
    EXPECT_EQ(r.result, kSettingStopped);
    EXPECT_EQ(stopped.ui.messageTexts(), std::vector<std::string>{"Чтение. Не могу прочитать!"});
    // The error comes after the progress window has gone.
    EXPECT_EQ(stopped.ui.events.back(), "message error: Чтение. Не могу прочитать!");
    EXPECT_EQ(stopped.ui.events[stopped.ui.events.size() - 2], "progress closed");
}

TEST(ReadSettingList, ValuesPresenceAndMessages) {
    SimBench b;
    auto& settings = b.device().profile().settings;
    settings = {{0, 10}, {1, 11}, {2, 12}, {4, 14}, {25, 125}};  // 3 and 5 never entered
    auto original = b.device().commands()[176];
    b.device().commands()[176] = [original](sim::SimDevice& d, const sim::HartRequest& q) {
        if (q.data.at(0) == 4) return HartReply{8, {}};
        if (q.data.at(0) == 2) return HartReply{0, {2, 0}};
        return original(d, q);
    };
    const SettingListResult r = readSettingList(b.state);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.present, (std::array<bool, 7>{true, true, false, false, false, false, true}));
    EXPECT_EQ(r.values[0], 10u);
    EXPECT_EQ(r.values[1], 11u);
    EXPECT_EQ(r.values[6], 125u);
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"Ошибка в длине данных ответа при чтении параметра 2 !",
                                                             "Неизвестная ошибка при чтении параметра 4 !"}));
    EXPECT_EQ(b.ui.progressTexts.back(), "Чтение параметра 25 : 1");
    EXPECT_FALSE(b.ui.progressOpen);
}

TEST(ReadSettingList, StoppedReportsOnce) {
    SimBench b;
    b.faults().set(sim::Fault::NoAnswer, true);
    testing::EscDuring(b, "Чтение параметра 0 : 2");
    const SettingListResult r = readSettingList(b.state);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не могу прочитать параметры измерений!"});
    EXPECT_FALSE(b.ui.progressOpen);
}

}  // namespace
}  // namespace quillon
