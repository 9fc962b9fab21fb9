#include "monitor/frame_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;

HartFrameInfo Decode(const Bytes& b, FrameDirection d) { return DecodeHartFrame(b.data(), b.size(), d); }
std::string Describe(const Bytes& b, FrameDirection d) { return DescribeHartFrame(Decode(b, d), b.data()); }

TEST(FrameDecoder, LongRequestWithPreamblesAndMasterBit) {
    const Bytes b = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                     0x82, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x00, 0x6E};
    const auto f = Decode(b, FrameDirection::ToDevice);
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.preambles, 9u);
    EXPECT_EQ(f.noiseBefore, 0u);
    EXPECT_TRUE(f.longFrame);
    EXPECT_FALSE(f.fromDevice);
    EXPECT_TRUE(f.primaryMaster);
    EXPECT_EQ(f.command, 1);
    EXPECT_TRUE(f.complete);
    EXPECT_TRUE(f.checkOk);
    EXPECT_EQ(Describe(b, FrameDirection::ToDevice),
              "преамбул 9; разделитель 82 (длинный кадр, ведущий → устройство); адрес 26 0F 09 29 64, основной "
              "ведущий; команда 1 «Чтение первичной переменной»; счётчик байт 0; контрольный байт 6E верный");
}

TEST(FrameDecoder, ShortRequestAndShortAnswer) {
    const Bytes request = {0x02, 0x80, 0x00, 0x00, 0x82};
    EXPECT_EQ(Describe(request, FrameDirection::ToDevice),
              "разделитель 02 (короткий кадр, ведущий → устройство); адрес 0, основной ведущий; команда 0 «Чтение "
              "уникального идентификатора»; счётчик байт 0; контрольный байт 82 верный");

    const Bytes answer = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x06, 0x83, 0x00, 0x0E, 0x00, 0x00, 0xFE,
                          0x26, 0x0F, 0x05, 0x05, 0x01, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x5A};
    const auto f = Decode(answer, FrameDirection::FromDevice);
    EXPECT_EQ(f.preambles, 5u);
    EXPECT_EQ(f.pollingAddress, 3);
    EXPECT_TRUE(f.hasStatus);
    EXPECT_EQ(f.dataCount, 12u);
    EXPECT_TRUE(f.checkOk);
    EXPECT_EQ(Describe(answer, FrameDirection::FromDevice),
              "преамбул 5; разделитель 06 (короткий кадр, ответ устройства); адрес 3, основной ведущий; команда 0 "
              "«Чтение уникального идентификатора»; счётчик байт 14; код ответа 0 (Запрос успешно выполнен!); статус "
              "устройства 00; данные FE 26 0F 05 05 01 06 00 00 00 00 01; контрольный байт 5A верный");
}

TEST(FrameDecoder, LongAnswerWithWriteLockAndNamedStatusBits) {
    const Bytes b = {0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x03, 0x02, 0x07, 0x48, 0x25};
    EXPECT_EQ(Describe(b, FrameDirection::FromDevice),
              "разделитель 86 (длинный кадр, ответ устройства); адрес 26 0F 09 29 64, основной ведущий; команда 3 "
              "«Чтение переменных и тока»; счётчик байт 2; код ответа 7 (Запрещена запись/корректировка калибровки. "
              "Для разрешения необходимо нажать кнопку на корпусе датчика.); статус устройства 48 (Ток фиксирован; "
              "Конфигурация изменена); контрольный байт 25 верный");
}

TEST(FrameDecoder, BurstFrameCarriesTheBurstBit) {
    const Bytes b = {0x81, 0xE6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x07, 0x00, 0x00, 0x20, 0x41, 0xA0, 0x00, 0x00, 0xEB};
    const auto f = Decode(b, FrameDirection::FromDevice);
    ASSERT_TRUE(f.found);
    EXPECT_TRUE(f.burst);
    EXPECT_TRUE(f.burstBit);
    EXPECT_TRUE(f.checkOk);
    EXPECT_EQ(f.dataCount, 5u);
    const std::string text = Describe(b, FrameDirection::FromDevice);
    EXPECT_NE(text.find("разделитель 81 (длинный кадр, пакетный режим)"), std::string::npos) << text;
    EXPECT_NE(text.find("основной ведущий, пакетный режим"), std::string::npos) << text;
}

TEST(FrameDecoder, SecondaryMasterOnAShortRequest) {
    const Bytes b = {0x02, 0x05, 0x00, 0x00, 0x07};
    const auto f = Decode(b, FrameDirection::ToDevice);
    EXPECT_FALSE(f.primaryMaster);
    EXPECT_EQ(f.pollingAddress, 5);
    EXPECT_TRUE(f.checkOk);
}

TEST(FrameDecoder, ResponseCodeClasses) {
    struct Case {
        std::uint8_t code;
        const char* meaning;
    };
    const Case cases[] = {
        {0, "Запрос успешно выполнен!"},
        {2, "Ошибка! Плохой адрес!"},
        {5, "Ошибка! Неправильная длина запроса!"},
        {6, "Ошибка Flash-памяти"},
        {7, "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика."},
        {8, "Неудача при обновлении"},
        {16, "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика."},
        {24, "Ошибка! Ошибка записи в EEPROM-память!"},
        {64, "Ошибка! Команда не задействована!"},
        {33, "Неизвестная ошибка!"},
        {0x80, "ошибка связи у устройства"},
        {0xC8, "ошибка связи у устройства: чётность, контрольный байт"},
        {0xB2, "ошибка связи у устройства: переполнение, кадрирование, переполнение буфера"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResponseCodeMeaning(c.code), c.meaning) << int(c.code);
}

TEST(FrameDecoder, WrongCheckByteIsNamedWithTheRightOne) {
    const Bytes b = {0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x03, 0x02, 0x07, 0x48, 0x26};
    const auto f = Decode(b, FrameDirection::FromDevice);
    EXPECT_TRUE(f.complete);
    EXPECT_FALSE(f.checkOk);
    EXPECT_EQ(f.expectedCheck, 0x25);
    const std::string text = Describe(b, FrameDirection::FromDevice);
    EXPECT_NE(text.find("контрольный байт 26 НЕВЕРНЫЙ (должен быть 25)"), std::string::npos) << text;
}

TEST(FrameDecoder, NoiseBeforeTheStartByteAndAFalseStartInIt) {
    // The noise holds an answer delimiter of its own: it starts no valid frame.
    const Bytes b = {0x06, 0x55, 0x13, 0xFF, 0xFF, 0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x03, 0x02, 0x07, 0x48, 0x25};
    const auto f = Decode(b, FrameDirection::FromDevice);
    EXPECT_EQ(f.start, 5u);
    EXPECT_EQ(f.noiseBefore, 3u);
    EXPECT_EQ(f.preambles, 2u);
    EXPECT_TRUE(f.checkOk);
    EXPECT_EQ(Describe(b, FrameDirection::FromDevice).rfind("байтов до кадра: 3; преамбул 2; ", 0), 0u);
}

TEST(FrameDecoder, BytesAfterTheCheckByteAreCounted) {
    const Bytes b = {0x02, 0x80, 0x00, 0x00, 0x82, 0x00};
    const auto f = Decode(b, FrameDirection::ToDevice);
    EXPECT_TRUE(f.checkOk);
    EXPECT_EQ(f.trailing, 1u);
}

TEST(FrameDecoder, CutOffFramesNeverReadPastWhatArrived) {
    struct Case {
        Bytes bytes;
        bool hasCommand, hasByteCount;
        std::size_t dataCount, missing;
    };
    const Case cases[] = {
        // Byte count 14, but only three status/data bytes came.
        {{0x06, 0x83, 0x00, 0x0E, 0x00, 0x00, 0xFE}, true, true, 1, 12},
        // A byte count of 255 with one status byte in: 254 more and the check byte missing.
        {{0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x03, 0xFF, 0x00}, true, true, 0, 255},
        // The address not even complete.
        {{0x86, 0xA6, 0x0F}, false, false, 0, 0},
        {{0x06}, false, false, 0, 0},
    };
    for (const auto& c : cases) {
        const auto f = Decode(c.bytes, FrameDirection::FromDevice);
        EXPECT_TRUE(f.found);
        EXPECT_FALSE(f.complete);
        EXPECT_EQ(f.hasCommand, c.hasCommand);
        EXPECT_EQ(f.hasByteCount, c.hasByteCount);
        EXPECT_EQ(f.dataCount, c.dataCount);
        EXPECT_EQ(f.missing, c.missing);
        EXPECT_NE(Describe(c.bytes, FrameDirection::FromDevice).find("кадр оборван"), std::string::npos);
    }
}

TEST(FrameDecoder, NothingButNoise) {
    const Bytes b = {0x11, 0x22, 0x33};
    const auto f = Decode(b, FrameDirection::FromDevice);
    EXPECT_FALSE(f.found);
    EXPECT_EQ(f.noiseBefore, 3u);
    EXPECT_EQ(Describe(b, FrameDirection::FromDevice), "кадр HART не найден");
}

TEST(FrameDecoder, TunnelRequestFormatElevenMasksNothingButDecodesEverything) {
    const Bytes b = {0xBB, 0x07, 0x1F, 0x0B, 0x73, 0x65, 0x63, 0x72, 0x65, 0x74, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                     0x20, 0x20, 0x20, 0x20, 0x82, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x00, 0x6E, 0xA8, 0x7C};
    const auto t = DecodeTunnelFrame(b.data(), b.size(), FrameDirection::ToDevice, 4);
    ASSERT_TRUE(t.found);
    EXPECT_EQ(t.address, 7);
    EXPECT_EQ(t.length, 31);
    EXPECT_EQ(t.credentialsOffset, 4u);
    EXPECT_TRUE(t.complete);
    EXPECT_TRUE(t.crcOk);
    ASSERT_TRUE(t.hasHart);
    EXPECT_EQ(t.hart.command, 1);
    EXPECT_TRUE(t.hart.checkOk);
    const std::string text = DescribeTunnelFrame(t, b.data());
    EXPECT_EQ(text.rfind("вычислитель BB, адрес 7, длина 31; формат 11; учётные данные скрыты; CRC 7CA8 верная | "
                         "HART: разделитель 82",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.find("secret"), std::string::npos);
}

TEST(FrameDecoder, TunnelRequestFormatThirtyThreeNamesItsLine) {
    const Bytes b = {0xBB, 0x07, 0x21, 0x21, 0x02, 0x00, 0x73, 0x65, 0x63, 0x72, 0x65,
                     0x74, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                     0x82, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x00, 0x6E, 0xA9, 0x5B};
    const auto t = DecodeTunnelFrame(b.data(), b.size(), FrameDirection::ToDevice, 4);
    EXPECT_TRUE(t.crcOk);
    EXPECT_EQ(t.credentialsOffset, 6u);
    EXPECT_NE(DescribeTunnelFrame(t, b.data()).find("формат 33, линия 2"), std::string::npos);
}

TEST(FrameDecoder, TunnelAnswersGoodBadAndError) {
    const Bytes good = {0x66, 0x07, 0x11, 0x00, 0x86, 0xA6, 0x0F, 0x09, 0x29,
                        0x64, 0x03, 0x02, 0x07, 0x48, 0x25, 0xFF, 0x4A};
    auto t = DecodeTunnelFrame(good.data(), good.size(), FrameDirection::FromDevice, 4);
    EXPECT_TRUE(t.crcOk);
    ASSERT_TRUE(t.hasHart);
    EXPECT_EQ(t.hart.responseCode, 7);

    Bytes badCrc = good;
    badCrc[16] ^= 0x01;
    t = DecodeTunnelFrame(badCrc.data(), badCrc.size(), FrameDirection::FromDevice, 4);
    EXPECT_FALSE(t.crcOk);
    EXPECT_NE(DescribeTunnelFrame(t, badCrc.data()).find("CRC 4BFF НЕВЕРНАЯ (должна быть 4AFF)"), std::string::npos);

    const Bytes error = {0x66, 0x07, 0x09, 0x0B, 0x04, 0x00, 0x00, 0x83, 0x55};
    t = DecodeTunnelFrame(error.data(), error.size(), FrameDirection::FromDevice, 4);
    EXPECT_TRUE(t.errorAnswer);
    EXPECT_EQ(t.errorCode, 4);
    EXPECT_TRUE(t.crcOk);
    EXPECT_FALSE(t.hasHart);
    EXPECT_NE(DescribeTunnelFrame(t, error.data()).find("ответ-ошибка, код 4 (пароль отвергнут)"), std::string::npos);

    // A length byte promising more than came: cut off, and the HART part only as far as it arrived.
    const Bytes cut = {0x66, 0x07, 0xF0, 0x00, 0x86, 0xA6, 0x0F};
    t = DecodeTunnelFrame(cut.data(), cut.size(), FrameDirection::FromDevice, 4);
    EXPECT_FALSE(t.complete);
    EXPECT_EQ(t.missing, 0xF0u - 7u);
    EXPECT_TRUE(t.hasHart);
    EXPECT_FALSE(t.hart.complete);
}

}  // namespace
}  // namespace quillon
