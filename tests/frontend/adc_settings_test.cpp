#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

#include "../device/device_test_support.h"
#include "../device/polling_test_support.h"
#include "device/number_entry.h"
#include "device/outcome_text.h"
#include "device/response_codes.h"
#include "frontend/adc_settings.h"
#include "frontend/adc_wire.h"
#include "support/request_capture.h"

namespace quillon::testing {
namespace {

constexpr const char* kBadAnswer = "Ошибка в ответе!";

// A Velkor device already identified; each dialog answers Cancel unless a test says otherwise.
struct VelkorBench : SimBench {
    VelkorBench() : SimBench("velkor") { MarkIdentified(*this); }
    void cancelAll() {
        ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
        ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
        ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
    }
};

TEST(AdcSettings, OtherDevicesGetOnlyTheInformationBox) {
    for (const char* preset : {"rev6", "rev3-hw1", "rev16"}) {
        SimBench b(preset);
        MarkIdentified(b);
        const unsigned before = b.device().answered;
        AdcSettingsCommand(b.state);
        ASSERT_EQ(b.ui.messages.size(), 1u) << preset;
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(b.ui.messages[0].text,
                  "В этой версии программы для верхнего уровня настройка параметров АЦП не предусмотрена!");
        EXPECT_EQ(b.device().answered, before) << preset;
    }
}

// Everything the device holds, edited in every dialog and written back; the
// bytes on the wire are the ones written out here.
TEST(AdcSettings, ReadsEditsAndWritesAllThreeStepsEndToEnd) {
    VelkorBench b;
    auto converterWrites = CaptureRequests(b, 194);
    auto blockWrites = CaptureRequests(b, 190);
    auto conversionWrites = CaptureRequests(b, 196);
    b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog& d) {
        EXPECT_EQ(d.caption, "Настройки АЦП");
        EXPECT_EQ(d.gainIndex, 2) << "gain byte 0x06 is gain code 2, item \"32\"";
        EXPECT_EQ(d.averagingPoints, 4);
        d.gainIndex = 3;
        d.averagingPoints = 7;
        return true;
    });
    b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog& d) {
        EXPECT_EQ(d.unitCode, 39);
        d.unitCode = 39;
        return true;
    });
    b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog& d) {
        EXPECT_TRUE(d.useConversion);
        EXPECT_EQ(d.current1, "4");
        EXPECT_EQ(d.value1, "1000");
        EXPECT_EQ(d.current2, "20");
        EXPECT_EQ(d.value2, "2000");
        EXPECT_TRUE(d.unitLabelsVisible);
        EXPECT_EQ(d.unitText, "мкс");
        d.current1 = "4,5";
        d.value1 = "1.5";
        d.useConversion = false;
        return true;
    });
    AdcSettingsCommand(b.state);

    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Данные АЦП были успешно отправлены!", "Данные успешно записаны!",
                                        "Параметры преобразования были успешно отправлены!"}));
    for (const auto& m : b.ui.messages) EXPECT_EQ(m.icon, MessageIcon::Information);
    ASSERT_EQ(converterWrites->size(), 1u);
    EXPECT_EQ((*converterWrites)[0], (Bytes{0x00, 0x03, 0x07}));
    ASSERT_EQ(blockWrites->size(), 1u);
    EXPECT_EQ((*blockWrites)[0], (Bytes{0x6D, 0x00, 0x27, 0x6A}));
    ASSERT_EQ(conversionWrites->size(), 1u);
    // 4.5 = 0x40900000, 1.5 = 0x3FC00000, 20 = 0x41A00000, 2000 = 0x44FA0000.
    EXPECT_EQ((*conversionWrites)[0], (Bytes{0x00, 0x40, 0x90, 0x00, 0x00, 0x3F, 0xC0, 0x00, 0x00, 0x41, 0xA0, 0x00,
                                             0x00, 0x44, 0xFA, 0x00, 0x00}));
    EXPECT_EQ(b.ui.progressTexts,
              (std::vector<std::string>{"Запрос к  устройству ...", "Узнаю параметры АЦП", "Запрос к  устройству ...",
                                        "Пишу параметры АЦП. Попытка 1", "Запрос к  устройству ...", "Узнаю ед.измер.",
                                        "Запрос к  устройству ...", "Пишу единицы измерения. Попытка 1",
                                        "Запрос к  устройству ...", "Узнаю параметры преобразования Ток-Значение",
                                        "Запрос к  устройству ...", "Пишу параметры преобразования. Попытка 1"}));
    EXPECT_FALSE(b.ui.progressOpen);
    // The device keeps what was written.
    const auto& conv = b.device().profile().converter;
    EXPECT_EQ((*conv.settings)[0], 3);
    EXPECT_EQ(b.device().blockByte(109), 39);
}

TEST(AdcSettings, ConverterAnswerShapes) {
    const struct {
        const char* name;
        sim::HartReply reply;
        std::vector<std::string> messages;
        int gainIndex;  // -1: the dialog is not shown
        int points;
    } cases[] = {
        {"gain byte 0x06", {0, {0x00, 0x06, 3}}, {}, 2, 3},
        {"gain byte 0xFF", {0, {0x00, 0xFF, 9}}, {}, 3, 9},
        {"defaults", {1, {0x00, 0x03, 2}}, {"В датчике используются параметры по умолчанию!"}, 1, 9},
        {"byte count 7", {0, {0x00, 0x01, 5, 0, 0}}, {kBadAnswer}, -1, 0},
        {"byte count 4", {0, {0x00, 0x01}}, {kBadAnswer}, -1, 0},
        {"echo not 0", {0, {0x01, 0x01, 5}}, {kBadAnswer}, -1, 0},
        {"points out of the spin range", {0, {0x00, 0x00, 200}}, {}, 0, 9},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        ReplyWith(b, 193, {c.reply});
        auto writes = CaptureRequests(b, 194);
        int shownGain = -1, shownPoints = 0;
        b.ui.onDialog<VelkorAdcDialog>([&](VelkorAdcDialog& d) {
            shownGain = d.gainIndex;
            shownPoints = d.averagingPoints;
            return false;
        });
        b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
        b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
        AdcSettingsCommand(b.state);
        auto texts = b.ui.messageTexts();
        texts.resize(std::min(texts.size(), c.messages.size()));
        EXPECT_EQ(texts, c.messages) << c.name;
        EXPECT_EQ(shownGain, c.gainIndex) << c.name;
        if (c.gainIndex >= 0) {
            EXPECT_EQ(shownPoints, c.points) << c.name;
        } else {
            EXPECT_EQ(b.ui.dialogsShown.size(), 0u) << c.name << ": a bad answer ends the command";
        }
        EXPECT_TRUE(writes->empty()) << c.name << ": a cancelled dialog writes nothing";
    }
}

TEST(AdcSettings, WriteAnswersAndFailures) {
    const struct {
        std::uint8_t code;
        const char* message;
        MessageIcon icon;
    } cases[] = {
        {0, "Данные АЦП были успешно отправлены!", MessageIcon::Information},
        {64, "Ошибка! Датчик не воспринял данные!", MessageIcon::Error},
        {6, "Ошибка записи параметров!", MessageIcon::Error},
        {5, "Неизвестная ошибка!", MessageIcon::Error},
        // The write lock asks whether to repeat; declined, it says nothing more.
        {7, kWriteProtectedQuestion, MessageIcon::Warning},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        ReplyWith(b, 194, {{c.code, {}}});
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return true; });
        b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
        b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
        AdcSettingsCommand(b.state);
        ASSERT_FALSE(b.ui.messages.empty());
        EXPECT_EQ(b.ui.messages[0].text, c.message);
        EXPECT_EQ(b.ui.messages[0].icon, c.icon);
        // Whatever the device said, the command goes on to the unit code.
        EXPECT_EQ(b.ui.dialogsShown.size(), 3u) << int(c.code);
    }
}

// A write answered with byte count 0 has no response code: its check byte must
// not pass for one (a zero there would read as success).
TEST(AdcSettings, WriteAnswersWithoutStatusBytesAreFailures) {
    const struct {
        std::uint8_t command;
        const char* message;
    } cases[] = {
        {194, "Неизвестная ошибка!"},
        {190, "Произошла ошибка при записи единицы измерения!"},
        {196, "Ошибка записи! Датчик не воспринял данные!"},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        b.device().commands()[c.command] = [](sim::SimDevice& d, const sim::HartRequest&) {
            d.nextAnswerWithoutStatus = true;
            return sim::HartReply{};
        };
        b.ui.onDialog<VelkorAdcDialog>([&](VelkorAdcDialog&) { return c.command == 194; });
        b.ui.onDialog<UnitsMeasureDialog>([&](UnitsMeasureDialog&) { return c.command == 190; });
        b.ui.onDialog<CurrentToValueDialog>([&](CurrentToValueDialog&) { return c.command == 196; });
        AdcSettingsCommand(b.state);
        ASSERT_EQ(b.ui.messages.size(), 1u) << int(c.command);
        EXPECT_EQ(b.ui.messages[0].text, c.message);
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    }
}

// A failed read ends the command with its step's error; so does a write the user stops.
TEST(AdcSettings, FailedExchangesEndTheCommand) {
    const struct {
        std::uint8_t command;
        bool stopWrite;  // false: the device never answers the read
        const char* message;
        std::size_t dialogs;
    } cases[] = {
        {193, false, "Не удалось сосчитать параметры АЦП!", 0},
        {194, true, "Не удалось записать параметры АЦП!", 1},
        {191, false, "Не удалось узнать код единиц измерения!", 1},
        {190, true, "Не удалось записать единицу измерения!", 2},
        {195, false, "Не могу узнать параметры преобразования!", 2},
        {196, true, "Не удалось записать параметры преобразования!", 3},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return true; });
        b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return true; });
        b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return true; });
        auto tries = CountRequests(b, c.command);
        NeverAnswer(b, c.command);
        if (c.stopWrite) {
            // Stop during the fourth attempt: the write pattern has no limit of its own.
            b.ui.onProcessEvents = [&b] {
                const auto& p = b.ui.progressTexts;
                if (!p.empty() && p.back().ends_with("Попытка 4")) b.state.flags.stopRequested = true;
            };
        }
        AdcSettingsCommand(b.state);
        ASSERT_FALSE(b.ui.messages.empty()) << int(c.command);
        // A stopped write may have reached the device: its text says so on a line of its own.
        const std::string expected = c.stopWrite ? std::string(c.message) + "\n" + kUnknownEffectText : c.message;
        EXPECT_EQ(b.ui.messages.back().text, expected);
        EXPECT_EQ(b.ui.messages.back().icon, MessageIcon::Error);
        EXPECT_EQ(b.ui.dialogsShown.size(), c.dialogs) << int(c.command);
        EXPECT_EQ(*tries, c.stopWrite ? 4 : 5) << int(c.command);
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(AdcSettings, UnitCodeCheckByte) {
    const struct {
        Bytes answer;
        int preset;
        bool warned;
    } cases[] = {
        {{0x20, 0x6D}, 0x20, false},
        {{0x20, 0x00}, 0, true},
        {{0x20}, 0, true},  // too short to carry its check byte
        {{0xFF, 0xFF}, 0, true},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        ReplyWith(b, 191, {{0, c.answer}});
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
        int shown = -1;
        b.ui.onDialog<UnitsMeasureDialog>([&](UnitsMeasureDialog& d) {
            EXPECT_EQ(d.caption, "Единицы измерения ");
            shown = d.unitCode;
            return false;
        });
        b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
        AdcSettingsCommand(b.state);
        EXPECT_EQ(shown, c.preset);
        const bool warned = !b.ui.messages.empty() &&
                            b.ui.messages[0].text == "В датчик не были введены единицы измерения!" &&
                            b.ui.messages[0].icon == MessageIcon::Error;
        EXPECT_EQ(warned, c.warned) << int(c.answer[0]);
    }
}

TEST(AdcSettings, UnitCodeWriteSendsLowByteAndJudgesTheAnswer) {
    const struct {
        int typed;
        std::uint8_t code;
        Bytes data;
        const char* message;
    } cases[] = {
        {39, 0, {0x6D, 0x00, 0x27, 0x6A}, "Данные успешно записаны!"},
        {0, 0, {0x6D, 0x00, 0x00, 0x4D}, "Данные успешно записаны!"},
        {255 + 33, 0, {0x6D, 0x00, 0x20, 0x6D}, "Данные успешно записаны!"},
        {39, 2, {0x6D, 0x00, 0x27, 0x6A}, "Произошла ошибка при записи единицы измерения!"},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        auto writes = CaptureRequests(b, 190);
        if (c.code != 0) ReplyWith(b, 190, {{c.code, {}}});
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
        b.ui.onDialog<UnitsMeasureDialog>([&](UnitsMeasureDialog& d) {
            d.unitCode = c.typed;
            return true;
        });
        b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return false; });
        AdcSettingsCommand(b.state);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text, c.message);
        if (c.code == 0) {
            ASSERT_EQ(writes->size(), 1u);
            EXPECT_EQ((*writes)[0], c.data);
        }
    }
}

TEST(AdcSettings, ConversionRunsOnlyWithADeviceRevision) {
    // The current-output device always reports device revision 4; with 0 the
    // command sends nothing after the unit code.
    for (std::uint8_t revision : {std::uint8_t{0}, std::uint8_t{4}}) {
        VelkorBench b;
        b.state.identity.deviceRevision = revision;
        b.cancelAll();
        auto reads = CountRequests(b, 195);
        AdcSettingsCommand(b.state);
        EXPECT_EQ(*reads, revision == 0 ? 0 : 1);
    }
}

TEST(AdcSettings, ConversionAnswerShapes) {
    const struct {
        const char* name;
        sim::HartReply reply;
        const char* message;  // first box, or nothing
        bool dialog;
    } cases[] = {
        {"not used", {1, Bytes(17, 0)}, "В датчике не используется это преобразование!", true},
        {"byte count 18", {0, Bytes(16, 0)}, kBadAnswer, false},
        {"byte count 20", {0, Bytes(18, 0)}, kBadAnswer, false},
    };
    for (const auto& c : cases) {
        VelkorBench b;
        ReplyWith(b, 195, {c.reply});
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
        b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
        CurrentToValueDialog shown;
        b.ui.onDialog<CurrentToValueDialog>([&](CurrentToValueDialog& d) {
            shown = d;
            return false;
        });
        AdcSettingsCommand(b.state);
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(b.ui.messages[0].text, c.message);
        EXPECT_EQ(b.ui.dialogsShown.size(), c.dialog ? 3u : 2u) << c.name;
        if (c.dialog) {
            // The defaults, not the zeros of the answer.
            EXPECT_FALSE(shown.useConversion);
            EXPECT_EQ(shown.current1 + " " + shown.value1 + " " + shown.current2 + " " + shown.value2, "4 4 20 20");
        }
    }
}

// Bad numbers and currents out of range bring the dialog back; nothing is sent until all fields are good.
TEST(AdcSettings, ConversionEntryIsCheckedBeforeWriting) {
    for (char separator : {',', '.'}) {
        VelkorBench b;
        b.state.decimalSeparator = separator;
        auto writes = CaptureRequests(b, 196);
        b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
        b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
        const std::vector<std::array<const char*, 4>> typed = {
            {"3.9", "0", "20", "100"},   // below 4 mA
            {"4", "0", "20,01", "100"},  // above 20 mA
            {"4", "x", "20", "100"},     // not a number
            {"4", "-1e3", "20", "4,5"},  // accepted: 4 and 20 are inside
        };
        std::vector<std::string> seenCurrent1;
        for (const auto& t : typed) {
            b.ui.onDialog<CurrentToValueDialog>([&, t](CurrentToValueDialog& d) {
                seenCurrent1.push_back(d.current1);
                d.current1 = t[0];
                d.value1 = t[1];
                d.current2 = t[2];
                d.value2 = t[3];
                d.useConversion = true;
                return true;
            });
        }
        AdcSettingsCommand(b.state);
        const std::string sep(1, separator);
        EXPECT_EQ(
            b.ui.messageTexts(),
            (std::vector<std::string>{"Значение тока должно быть в диапазоне [4-20]!",
                                      "Значение тока должно быть в диапазоне [4-20]!", "Введены неправильные цифры!",
                                      NotDecimalNumberText("x"), "Параметры преобразования были успешно отправлены!"}));
        // The dialog comes back with the separators as normalised.
        ASSERT_EQ(seenCurrent1.size(), 4u);
        EXPECT_EQ(seenCurrent1[1], "3" + sep + "9");
        ASSERT_EQ(writes->size(), 1u);
        // 1, 4.0, -1000.0, 20.0, 4.5
        EXPECT_EQ((*writes)[0], (Bytes{0x01, 0x40, 0x80, 0x00, 0x00, 0xC4, 0x7A, 0x00, 0x00, 0x41, 0xA0, 0x00, 0x00,
                                       0x40, 0x90, 0x00, 0x00}));
    }
}

TEST(AdcSettings, ConversionWriteRefused) {
    VelkorBench b;
    ReplyWith(b, 196, {{64, {}}});
    b.ui.onDialog<VelkorAdcDialog>([](VelkorAdcDialog&) { return false; });
    b.ui.onDialog<UnitsMeasureDialog>([](UnitsMeasureDialog&) { return false; });
    b.ui.onDialog<CurrentToValueDialog>([](CurrentToValueDialog&) { return true; });
    AdcSettingsCommand(b.state);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Ошибка записи! Датчик не воспринял данные!");
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
}

// A device fresh from the factory: no converter settings written, no conversion used.
TEST(AdcSettings, SimulatedDeviceWithoutStoredSettingsReportsItsDefaults) {
    VelkorBench b;
    b.device().profile().converter.settings.reset();
    b.device().profile().converter.conversion.reset();
    b.device().profile().parameterBlock.clear();
    b.cancelAll();
    AdcSettingsCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"В датчике используются параметры по умолчанию!",
                                                             "В датчик не были введены единицы измерения!",
                                                             "В датчике не используется это преобразование!"}));
}

TEST(AdcWire, ConversionBytesRoundTrip) {
    const CurrentToValueConversion c{1, 4.0f, -0.5f, 20.0f, 1e6f};
    const ConversionBytes bytes = PackConversion(c);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), (Bytes{0x01, 0x40, 0x80, 0x00, 0x00, 0xBF, 0x00, 0x00, 0x00, 0x41,
                                                        0xA0, 0x00, 0x00, 0x49, 0x74, 0x24, 0x00}));
    const CurrentToValueConversion back = UnpackConversion(bytes.data());
    EXPECT_EQ(back.enabled, 1);
    EXPECT_EQ(back.value1, -0.5f);
    EXPECT_EQ(back.value2, 1e6f);
}

}  // namespace
}  // namespace quillon::testing
