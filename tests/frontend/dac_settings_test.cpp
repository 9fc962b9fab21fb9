#include <gtest/gtest.h>

#include <bit>

#include "device/device_test_support.h"
#include "device/identification.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_record.h"
#include "frontend/dac_settings.h"
#include "frontend/fixed_output.h"
#include "frontend/pwm_calibration.h"
#include "support/sim_fixture.h"
#include "support/request_capture.h"
#include "support/identified_bench.h"

namespace quillon {
namespace {

using testing::CountOf;
using testing::ReplyWith;
using testing::Bits;
using testing::Identified;
using testing::SimBench;


TEST(DacSettings, EachDeviceFamilyGetsItsOwnWayOrTheRefusal) {
    const struct {
        const char* preset;
        const char* dialog;  // nullptr: refused
    } cases[] = {
        {"rev3-hw1", nullptr},
        {"rev3-hw2", nullptr},
        {"rev4", nullptr},
        {"rev10", nullptr},
        {"rev13", nullptr},
        {"rev3", "DacRecordDialog"},
        {"rev7", "DacScalingDialog"},
        {"rev6", "PwmMenuDialog"},
        {"rev8", "DacScalingDialog"},
        {"rev16", "DacScalingDialog"},
    };
    for (const auto& c : cases) {
        auto b = Identified(c.preset);
        DacSettingsCommand(b->state, b->state.frontend);
        if (c.dialog) {
            ASSERT_FALSE(b->ui.dialogsShown.empty()) << c.preset;
            EXPECT_EQ(b->ui.dialogsShown[0], c.dialog) << c.preset;
        } else {
            EXPECT_TRUE(b->ui.dialogsShown.empty()) << c.preset;
            EXPECT_EQ(b->ui.messageTexts(),
                      std::vector<std::string>{"В этой версии датчика настройка параметров ЦАП не предусмотрена!"})
                << c.preset;
        }
    }
}

struct OffsetCase {
    const char* preset;
    const char* offset;
    bool accepted;
};

// Types the offset, then cancels if the dialog comes back.
void RunWithOffset(SimBench& b, const char* offset) {
    b.ui.onDialog<DacScalingDialog>([offset](DacScalingDialog& d) {
        d.offset = offset;
        return true;
    });
    b.ui.onDialog<DacScalingDialog>([](DacScalingDialog&) { return false; });
    DacSettingsCommand(b.state, b.state.frontend);
}

TEST(DacSettings, OffsetRangesOfTheSettingVariants) {
    const OffsetCase cases[] = {
        {"rev7", "-16384", false}, {"rev7", "30001", false},        {"rev7", "-16383", true},
        {"rev7", "30000", true},   {"rev8", "-32768", true},        {"rev8", "32767", true},
        {"rev8", "-32769", false}, {"rev14-hw30", "-1", false},     {"rev14-hw30", "131071", true},
        {"rev14-hw30", "0", true}, {"rev14-hw30", "131072", false},
    };
    for (const auto& c : cases) {
        auto b = Identified(c.preset);
        RunWithOffset(*b, c.offset);
        const std::uint8_t offsetSetting = std::string(c.preset) == "rev7" ? 7 : 13;
        const auto texts = b->ui.messageTexts();
        if (c.accepted) {
            EXPECT_EQ(texts, std::vector<std::string>{"Данные успешно записаны!"}) << c.preset << " " << c.offset;
            EXPECT_EQ(b->device().profile().settings.at(offsetSetting),
                      static_cast<std::uint32_t>(std::stoi(c.offset)));
        } else {
            EXPECT_EQ(texts, std::vector<std::string>{"Смещение находится вне допустимого диапазона!"})
                << c.preset << " " << c.offset;
            EXPECT_EQ(b->ui.dialogsShown.size(), 2u);
        }
    }
}

TEST(DacSettings, SettingVariantsShowReadValuesAndWriteInTheirOrder) {
    auto b = Identified("rev7");
    auto& settings = b->device().profile().settings;
    settings[0] = Bits(-50.0f);
    settings[1] = Bits(150.5f);
    settings[6] = Bits(4096.0f);
    settings[7] = static_cast<std::uint32_t>(-100);
    DacScalingDialog shown;
    b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
        shown = d;
        d.slope = "4000,5";
        d.lowValue = "-10";
        d.highValue = "90.25";
        d.offset = "12";
        return true;
    });
    const auto writes = testing::CaptureRequests(*b, 177);
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(shown.offset, "-100");
    EXPECT_EQ(shown.slope, "4096");
    EXPECT_EQ(shown.lowValue, "-50");
    EXPECT_EQ(shown.highValue, "150.5");
    EXPECT_EQ(shown.slopeLabel, "Значение наклона DAC/мА :");
    EXPECT_EQ(testing::SettingNumbers(*writes), (std::vector<int>{0, 1, 6, 7}));
    EXPECT_EQ(settings.at(0), Bits(-10.0f));
    EXPECT_EQ(settings.at(1), Bits(90.25f));
    EXPECT_EQ(settings.at(6), Bits(4000.5f));
    EXPECT_EQ(settings.at(7), 12u);
    EXPECT_EQ(b->ui.progressTexts.at(1), "Чтение параметра 0 : 1");
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 7 . 1"), 1);
}

TEST(DacSettings, VariantBDefaultsLabelsAndSlopeRange) {
    const struct {
        const char* preset;
        const char* slope;
        const char* offset;
        const char* label1;
        bool warned;
    } cases[] = {
        {"rev8", "65535", "0", "В диапазоне (-32768 - 32767), по умолч 0", false},
        {"rev14-hw30", "20000", "100", "В диапазоне [0 - 131071], по умолч 0", false},
        {"rev14", "65535", "0", "В диапазоне [0 - 131071], по умолч 0", true},
    };
    for (const auto& c : cases) {
        auto b = Identified(c.preset);
        for (int n : {17, 18, 5, 13}) b->device().profile().settings.erase(static_cast<std::uint8_t>(n));
        DacScalingDialog shown;
        b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
            shown = d;
            d.slope = "65536";
            return true;
        });
        b->ui.onDialog<DacScalingDialog>([](DacScalingDialog&) { return false; });
        DacSettingsCommand(b->state, b->state.frontend);
        EXPECT_EQ(shown.slope, c.slope) << c.preset;
        EXPECT_EQ(shown.offset, c.offset) << c.preset;
        EXPECT_EQ(shown.lowValue, "-40");
        EXPECT_EQ(shown.highValue, "60");
        EXPECT_EQ(shown.label1, c.label1);
        EXPECT_EQ(shown.label2, "1 единица ЦАП = 0.000262 mA");
        EXPECT_EQ(shown.slopeLabel, "Наклон (1-65535), по умолч.65535:");
        std::vector<std::string> expected{"Значение для 4 mA не было введено!", "Значение для 20 mA не было введено!",
                                          "Значение наклона ЦАП не было введено!",
                                          "Значение смещения ЦАП не было введено!"};
        if (c.warned)
            expected.push_back(
                "Сейчас работа не через HART-канал! Настройки ЦАП действуют только для HART-интерфейса!");
        expected.push_back("Значение наклона вне допустимого диапазона!");
        EXPECT_EQ(b->ui.messageTexts(), expected) << c.preset;
    }
}

TEST(DacSettings, ReadAnswersOtherThanAValueKeepTheDefault) {
    auto b = Identified("rev7");
    ReplyWith(*b, 176, {{8, {}}});
    DacScalingDialog shown;
    b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
        shown = d;
        return false;
    });
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.messageTexts(),
              (std::vector<std::string>{"Неизвестная ошибка при чтении значения для 4 mA !",
                                        "Неизвестная ошибка при чтении значения для 20 mA !",
                                        "Неизвестная ошибка при чтении значения наклона ЦАП !",
                                        "Неизвестная ошибка при чтении значения смещения ЦАП !"}));
    EXPECT_EQ(shown.lowValue, "0");
    EXPECT_EQ(shown.highValue, "100");
    EXPECT_EQ(shown.slope, "4096");
    EXPECT_EQ(shown.offset, "0");
}

TEST(DacSettings, FieldThatIsNotANumberNamesTheFieldAndComesBack) {
    const struct {
        const char* field;
        const char* text;
        std::vector<std::string> messages;
    } cases[] = {
        {"offset", "1.5", {"Введены неправильные цифры в поле смещения!", "«1.5» не является целым числом."}},
        {"slope", "x", {"Введены неправильные цифры в поле наклона!", "«x» не является числом."}},
        {"low", "4..", {"Введены неправильные цифры в поле значения для 4мА!", "«4..» не является числом."}},
        {"high", "", {"Введены неправильные цифры в поле значения для 20 мА!", "«» не является числом."}},
        {"slope", "-1", {"Значение наклона должно быть положительным!"}},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev7");
        b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
            std::string& field = std::string(c.field) == "offset"  ? d.offset
                                 : std::string(c.field) == "slope" ? d.slope
                                 : std::string(c.field) == "low"   ? d.lowValue
                                                                   : d.highValue;
            field = c.text;
            return true;
        });
        b->ui.onDialog<DacScalingDialog>([](DacScalingDialog&) { return false; });
        DacSettingsCommand(b->state, b->state.frontend);
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << c.field;
        EXPECT_EQ(b->ui.dialogsShown.size(), 2u);
    }
}

TEST(DacSettings, StoppedReadEndsSilentlyAndFailedWriteStops) {
    auto stopped = Identified("rev8");
    testing::NeverAnswer(*stopped, 176);
    testing::EscDuring(*stopped, "Чтение параметра 17 : 3");
    DacSettingsCommand(stopped->state, stopped->state.frontend);
    EXPECT_TRUE(stopped->ui.dialogsShown.empty());
    EXPECT_TRUE(stopped->ui.messages.empty());
    EXPECT_FALSE(stopped->ui.progressOpen);

    auto b = Identified("rev8");
    b->ui.onDialog<DacScalingDialog>([](DacScalingDialog&) { return true; });
    auto original = b->device().commands()[177];
    b->device().commands()[177] = [original](sim::SimDevice& d, const sim::HartRequest& q) {
        return q.data.at(0) == 5 ? sim::HartReply{3, {}} : original(d, q);
    };
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.messageTexts(),
              (std::vector<std::string>{"Ошибка при записи в энергонезависимую память параметра 5 !",
                                        "Не удалось записать параметры!\nЗапись прервана: выполнено 2 из 4. В датчике "
                                        "новые значения параметров 17, 18 и прежние — 5, 13."}));
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 13 . 1"), 0);
}

// --- the parameter-block record ---

// The record bytes as the layout defines them, from the float's own bits.
std::array<std::uint8_t, 7> ExpectedRecord(float slope, int offset) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(slope);
    std::array<std::uint8_t, 7> r{};
    if (bits != 0) {
        const std::uint32_t mantissa = (bits & 0x7FFFFF) | 0x800000;
        r[0] = mantissa & 0xFF;
        r[1] = (mantissa >> 8) & 0xFF;
        r[2] = (mantissa >> 16) & 0xFF;
        r[3] = static_cast<std::uint8_t>(36 - static_cast<int>(bits >> 23));
    } else {
        r[3] = 36;
    }
    const int stored = offset + 16384;
    r[4] = stored & 0xFF;
    r[5] = (stored >> 8) & 0xFF;
    r[6] = 0x4D;
    for (int i = 0; i < 6; ++i) r[6] ^= r[i];
    return r;
}

TEST(DacRecord, EncodesAndDecodesTheSlopeWithoutItsSign) {
    const DacMemoryRecord worked = EncodeDacRecord(655.36f, 0);
    EXPECT_EQ(worked, (DacMemoryRecord{0x0A, 0xD7, 0xA3, 0x9C, 0x00, 0x40,
                                       static_cast<std::uint8_t>(0x4D ^ 0x0A ^ 0xD7 ^ 0xA3 ^ 0x9C ^ 0x00 ^ 0x40)}));
    const struct {
        float slope;
        int offset;
    } cases[] = {{655.36f, 0}, {0.0f, 0},       {27.306667f, -16383}, {18.204445f, 30000},
                 {1.0f, 1},    {0.001f, -1024}, {65535.0f, 8192},     {1e-30f, 0}};
    for (const auto& c : cases) {
        const DacMemoryRecord r = EncodeDacRecord(c.slope, c.offset);
        const auto expected = ExpectedRecord(c.slope, c.offset);
        EXPECT_TRUE(std::equal(r.begin(), r.end(), expected.begin())) << c.slope;
        const DacRecordValues back = DecodeDacRecord(r);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(back.slope), std::bit_cast<std::uint32_t>(c.slope)) << c.slope;
        EXPECT_EQ(back.offset, c.offset);
    }
    // Bit 7 of byte 2 is ignored when read.
    DacMemoryRecord cleared = worked;
    cleared[2] &= 0x7F;
    EXPECT_EQ(DecodeDacRecord(cleared).slope, 655.36f);
}

TEST(DacRecord, CheckedRecordIsShownAndTheEnteredOneWrittenAndRechecked) {
    auto b = Identified("rev3");
    DacRecordDialog shown;
    b->ui.onDialog<DacRecordDialog>([&](DacRecordDialog& d) {
        shown = d;
        d.slope = "655,36";
        d.offset = "0";
        return true;
    });
    // Start from another record so that the write is seen.
    const auto other = EncodeDacRecord(100.0f, 5);
    for (std::size_t i = 0; i < other.size(); ++i)
        b->device().setBlockByte(static_cast<std::uint16_t>(120 + i), other[i]);
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(shown.slope, "100");
    EXPECT_EQ(shown.offset, "5");
    EXPECT_EQ(shown.slopeLabel, "Значение наклона DAC/Цельсий :");
    EXPECT_EQ(shown.label3, "Для датчика (-40 - +60) = 655.36");
    const std::uint8_t expected[] = {
        0x0A, 0xD7, 0xA3, 0x9C, 0x00, 0x40, static_cast<std::uint8_t>(0x4D ^ 0x0A ^ 0xD7 ^ 0xA3 ^ 0x9C ^ 0x00 ^ 0x40)};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(b->device().blockByte(static_cast<std::uint16_t>(120 + i)), expected[i]);
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Данные были успешно отправлены и приняты к исполнению!"});
    EXPECT_EQ(b->ui.progressTexts.at(1), "Узнаю параметры ЦАП");
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Пишу параметры ЦАП. Попытка 1"), 1);
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Переопрос параметров ЦАП. Попытка 1"), 1);
}

TEST(DacRecord, WrongCheckByteGivesTheDefaultsOfTheDeviceType) {
    const struct {
        std::uint8_t deviceType, deviceRevision;
        const char* slope;
        const char* label;
        const char* label3;
    } cases[] = {
        {0x13, 0, "655.36", "Значение наклона DAC/Цельсий :", "Для датчика (-40 - +60) = 655.36"},
        {6, 1, "27.30667", "Значение наклона DAC/мВ :", "Для датчика (800-3200мВ) = 27.306(6) DAC/мВ"},
        {6, 0, "18.20444", "Значение наклона DAC/мВ :", "Для датчика (0-3600мВ) = 18.204444"},
    };
    for (const auto& c : cases) {
        sim::DeviceProfile p = sim::Preset("rev3");
        p.longAddress[1] = c.deviceType;
        p.deviceRevision = c.deviceRevision;
        p.parameterBlock[126] ^= 0x01;
        SimBench b(p);
        ASSERT_TRUE(ensureIdentified(b.state));
        b.ui.clearRecord();
        DacRecordDialog shown;
        b.ui.onDialog<DacRecordDialog>([&](DacRecordDialog& d) {
            shown = d;
            return false;
        });
        DacSettingsCommand(b.state, b.state.frontend);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"В датчик не были введены параметры работы ЦАП!"});
        EXPECT_EQ(shown.slope, c.slope);
        EXPECT_EQ(shown.offset, "0");
        EXPECT_EQ(shown.slopeLabel, c.label);
        EXPECT_EQ(shown.label3, c.label3);
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultDacRecord(DeviceIdentity{}).slope), 0x4423D70Au);
}

TEST(DacRecord, FailedReadStillOpensWithDefaultsAndRefusalsAreReported) {
    auto b = Identified("rev3");
    testing::NeverAnswer(*b, 191);
    b->ui.onDialog<DacRecordDialog>([](DacRecordDialog& d) {
        EXPECT_EQ(d.slope, "655.36");
        d.offset = "-16384";
        return true;
    });
    b->ui.onDialog<DacRecordDialog>([](DacRecordDialog&) { return false; });
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.messageTexts(), (std::vector<std::string>{"Не удалось сосчитать параметры ЦАП!",
                                                              "Смещение находится вне допустимого диапазона!"}));
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Узнаю параметры ЦАП"), 1);

    // A refused write and a re-check answering 0.
    auto r = Identified("rev3");
    ReplyWith(*r, 190, {{5, {}}});
    ReplyWith(*r, 192, {{0, {0}}});
    r->ui.onDialog<DacRecordDialog>([](DacRecordDialog&) { return true; });
    DacSettingsCommand(r->state, r->state.frontend);
    EXPECT_EQ(r->ui.messageTexts(), (std::vector<std::string>{"Произошла ошибка при записи параметров ЦАП!",
                                                              "Ошибка при перепроверке параметров! Данные не приняты к "
                                                              "исполнению!"}));
}

TEST(DacRecord, ReCheckAnsweringZeroIsAnErrorEvenAfterAGoodWrite) {
    auto b = Identified("rev3");
    ReplyWith(*b, 192, {{0, {0}}});
    b->ui.onDialog<DacRecordDialog>([](DacRecordDialog&) { return true; });
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.messageTexts(),
              std::vector<std::string>{"Ошибка при перепроверке параметров! Данные не приняты к исполнению!"});
}

// --- the PWM device menu ---

TEST(PwmMenu, RunsEachChoiceAndComesBackUntilCancel) {
    auto b = Identified("rev6");
    for (auto choice : {PwmMenuChoice::OutputRange, PwmMenuChoice::FixOutput}) {
        b->ui.onDialog<PwmMenuDialog>([choice](PwmMenuDialog& d) {
            EXPECT_EQ(d.caption, "Работа с калибровкой ШИМ");
            d.choice = choice;
            return true;
        });
    }
    b->ui.onDialog<PwmMenuDialog>([](PwmMenuDialog&) { return false; });
    DacScalingDialog range;
    b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
        range = d;
        d.lowValue = "0";
        d.highValue = "100";
        return true;
    });
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.dialogsShown, (std::vector<std::string>{"PwmMenuDialog", "DacScalingDialog", "PwmMenuDialog",
                                                            "FixTokDialog", "PwmMenuDialog"}));
    EXPECT_FALSE(range.scalingVisible);
    EXPECT_EQ(range.lowValue, "-40");
    EXPECT_EQ(range.lowValueLabel, "Значение величины, соответствующее 4mA :");
    EXPECT_EQ(b->device().profile().settings.at(17), Bits(0.0f));
    EXPECT_EQ(b->device().profile().settings.at(18), Bits(100.0f));
}

TEST(PwmMenu, OutputRangeOfTheVoltageVariant) {
    auto b = Identified("rev6-hw1");
    b->device().profile().settings.erase(17);
    DacScalingDialog range;
    b->ui.onDialog<DacScalingDialog>([&](DacScalingDialog& d) {
        range = d;
        d.highValue = "abc";
        return true;
    });
    b->ui.onDialog<DacScalingDialog>([](DacScalingDialog&) { return false; });
    b->ui.onDialog<PwmMenuDialog>([](PwmMenuDialog& d) {
        d.choice = PwmMenuChoice::OutputRange;
        return true;
    });
    DacSettingsCommand(b->state, b->state.frontend);
    EXPECT_EQ(range.lowValueLabel, "Значение величины, соответствующее 0.8 В");
    EXPECT_EQ(range.highValueLabel, "Значение величины, соответствующее 3.2 В");
    EXPECT_EQ(b->ui.messageTexts(), (std::vector<std::string>{"Значение для 0.8 В не было введено!",
                                                              "Введены неправильные цифры в поле значения для 3.2 В!",
                                                              "«abc» не является числом."}));
}

}  // namespace
}  // namespace quillon
