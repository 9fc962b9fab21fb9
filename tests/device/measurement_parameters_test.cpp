#include <gtest/gtest.h>

#include <bit>

#include "app/menu_commands.h"
#include "device/measurement_parameters.h"
#include "device/measuring_channel.h"
#include "request_capture.h"
#include "device/menu_items.h"

namespace quillon::testing {
namespace {

constexpr const char* kWritten = "Данные успешно записаны!";

// Set A on a revision-8 (limit 33) and a revision-6 (limit 9) transmitter,
// set B on revision 15 (limit 33): the damping field decides whether anything is written.
TEST(MeasurementParameters, DampingLimitPerRevision) {
    const struct {
        const char* preset;
        const char* damping;
        bool accepted;
    } cases[] = {
        {"rev8", "33", true},  {"rev8", "34", false}, {"rev8", "0", false},   {"rev6", "9", true},
        {"rev6", "10", false}, {"rev15", "33", true}, {"rev15", "34", false}, {"rev14", "1", true},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        const auto writes = CaptureRequests(b, 177);
        const bool multi = std::string(c.preset) == "rev15";
        std::string label;
        if (multi) {
            b.ui.onDialog<MeasParamsMultitDialog>([&](MeasParamsMultitDialog& d) {
                label = d.dempfLabel;
                d.dempfText = c.damping;
                return true;
            });
        } else {
            b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
                label = d.dempfLabel;
                d.dempfText = c.damping;
                return true;
            });
        }
        MeasurementParametersCommand(b.state);
        const bool wide = std::string(c.preset) != "rev6" && std::string(c.preset) != "rev14";
        EXPECT_EQ(label, wide ? "Точек для усреднения (1 - 33) :" : "Точек для усреднения (1 - 9) :") << c.preset;
        if (c.accepted) {
            EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{kWritten}) << c.preset << " " << c.damping;
            EXPECT_EQ(SettingOf(b, 14), std::stoul(c.damping));
        } else {
            EXPECT_EQ(b.ui.messageTexts(),
                      std::vector<std::string>{"Величина демпфирования вне допустимого диапазона! "})
                << c.preset << " " << c.damping;
            EXPECT_TRUE(writes->empty());
        }
    }
}

TEST(MeasurementParameters, SetAReadsShowsAndWritesInOrder) {
    const struct {
        const char* preset;
        std::vector<int> settings;
        std::vector<std::string> shown;  // TimeCalibrP, Dempf, third
        const char* thirdLabel;
    } cases[] = {
        {"rev6", {12, 14, 13}, {"3600", "5", "5400"}, "Период калибровки канала обр.связи, сек :"},
        {"rev9", {12, 14, 11}, {"3600", "5", "600"}, "Период опроса Tокр.среды, сек"},
        {"rev14", {12, 14, 11}, {"900", "9", "60"}, "Период опроса Tокр.среды, сек"},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        const auto reads = CaptureRequests(b, 176);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
            EXPECT_EQ(d.caption, "Параметры измерений");
            EXPECT_TRUE(d.dempfVisible);
            EXPECT_EQ((std::vector<std::string>{d.timeCalibrPText, d.dempfText, d.timeCalibrFeedbackText}), c.shown);
            EXPECT_EQ(d.timeCalibrFeedbackLabel, c.thirdLabel);
            d.timeCalibrPText = "1000";
            d.dempfText = "3";
            d.timeCalibrFeedbackText = " 0 ";
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(SettingNumbers(*reads), c.settings) << c.preset;
        EXPECT_EQ(SettingNumbers(*writes), c.settings) << c.preset;
        // The value goes most significant byte first.
        ASSERT_EQ(writes->size(), 3u);
        EXPECT_EQ(writes->at(0), (Bytes{12, 0x00, 0x00, 0x03, 0xE8}));
        EXPECT_EQ(SettingOf(b, 14), 3u);
        EXPECT_EQ(SettingOf(b, static_cast<std::uint8_t>(c.settings[2])), 0u);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{kWritten});
        EXPECT_EQ(b.ui.progressTexts.at(1), "Чтение параметра 12 : 1");
        EXPECT_EQ(b.ui.progressTexts.back(), "Запись параметра " + std::to_string(c.settings[2]) + " . 1");
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(MeasurementParameters, Revision14DefaultsAfterThreeNotEnteredMessages) {
    SimBench b("rev14");
    MarkIdentified(b);
    for (std::uint8_t n : {11, 12, 14}) b.device().profile().settings.erase(n);
    std::vector<std::string> shown;
    b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
        shown = {d.timeCalibrPText, d.dempfText, d.timeCalibrFeedbackText};
        return false;
    });
    MeasurementParametersCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"Период калибровки основного канала не был введен!",
                                                             "Количество точек демпфирования не было введено!",
                                                             "Период измерения канала Tокр.среды не был введен!"}));
    for (const auto& m : b.ui.messages) EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_EQ(shown, (std::vector<std::string>{"900", "9", "60"}));
}

TEST(MeasurementParameters, I2cChannelLeavesDampingOut) {
    SimBench b("rev16");
    MarkIdentified(b);
    b.state.identity.channelConfig = {0, 0x03, 0, 0};
    const auto reads = CaptureRequests(b, 176);
    const auto writes = CaptureRequests(b, 177);
    b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) {
        d.channel = 1;
        return true;
    });
    b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
        EXPECT_FALSE(d.dempfVisible);
        EXPECT_EQ(d.timeCalibrPText, "3600");
        EXPECT_EQ(d.timeCalibrFeedbackText, "600");
        d.dempfText = "junk that is never read";
        d.timeCalibrPText = "1200";
        d.timeCalibrFeedbackText = "30";
        return true;
    });
    MeasurementParametersCommand(b.state);
    EXPECT_EQ(SettingNumbers(*reads), (std::vector<int>{12, 11}));
    EXPECT_EQ(SettingNumbers(*writes), (std::vector<int>{12, 11}));
    EXPECT_EQ(SettingOf(b, 11), 30u);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{kWritten});
}

TEST(MeasurementParameters, SetAEntryErrorsWriteNothing) {
    const struct {
        const char* main;
        const char* damping;
        const char* third;
        const char* message;
    } cases[] = {
        {"-1", "5", "10", "Значение параметра не может быть отрицательным!"},
        {"10", "5", "-5", "Значение параметра не может быть отрицательным!"},
        {"-1", "50", "10", "Значение параметра не может быть отрицательным!"},
        {"10", "-2", "10", "Величина демпфирования вне допустимого диапазона! "},
        {"1,5", "5", "10", "«1,5» не является целым числом."},
        {"10", "5", "", "«» не является целым числом."},
    };
    for (const auto& c : cases) {
        SimBench b("rev8");
        MarkIdentified(b);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
            d.timeCalibrPText = c.main;
            d.dempfText = c.damping;
            d.timeCalibrFeedbackText = c.third;
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.message}) << c.main << c.damping << c.third;
        EXPECT_TRUE(writes->empty());
        EXPECT_EQ(b.ui.dialogsShown.size(), 1u) << "an entry error ends the command";
    }
}

TEST(MeasurementParameters, ReadFailuresOfSetsAAndB) {
    {
        SimBench b("rev6");
        MarkIdentified(b);
        ReplyWith(b, 176, {sim::HartReply{1, {}}, sim::HartReply{9, {}}, sim::HartReply{0, {13, 0, 0}}});
        std::string main;
        b.ui.onDialog<MeasParamsDialog>([&](MeasParamsDialog& d) {
            main = d.timeCalibrPText + "/" + d.dempfText + "/" + d.timeCalibrFeedbackText;
            return false;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  (std::vector<std::string>{
                      "Период калибровки основного канала не был введен!",
                      "Неизвестная ошибка при чтении количества точек демпфирования !",
                      "Неизвестная ошибка при чтении периода калибровки канала обратной связи по току!"}));
        EXPECT_EQ(main, "3600/5/5400") << "a value cut short keeps the default";
    }
    for (const char* preset : {"rev8", "rev15"}) {
        SimBench b(preset);
        MarkIdentified(b);
        b.faults().set(sim::Fault::NoAnswer, true);
        EscDuring(b, "Чтение параметра");
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не могу прочитать параметры измерений!"});
        EXPECT_TRUE(b.ui.dialogsShown.empty());
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(MeasurementParameters, SetBOrderDefaultsAndChecks) {
    {
        SimBench b("rev15");
        MarkIdentified(b);
        b.device().profile().settings.clear();
        const auto reads = CaptureRequests(b, 176);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<MeasParamsMultitDialog>([&](MeasParamsMultitDialog& d) {
            EXPECT_EQ(d.dempfText, "25");
            EXPECT_EQ(d.timeCalibrPText, "900");
            EXPECT_EQ(d.timeMeasureTokrText, "5");
            EXPECT_EQ(d.timeCalibrTokrText, "120");
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(SettingNumbers(*reads), (std::vector<int>{14, 12, 11, 4}));
        EXPECT_EQ(SettingNumbers(*writes), (std::vector<int>{14, 12, 11, 4}));
        EXPECT_EQ(b.ui.messageTexts(),
                  (std::vector<std::string>{"Количество точек демпфирования не было введено!",
                                            "Период калибровки основного канала не был введен!",
                                            "Период измерения канала Tокр.среды не был введен!",
                                            "Время калибровки канала Tокр.среды не было введено!", kWritten}));
    }
    const struct {
        const char* texts[4];  // damping, 12, 11, 4
        const char* message;
    } cases[] = {
        {{"50", "-1", "-1", "-1"}, "Значение параметра не может быть отрицательным!"},
        {{"50", "1", "-1", "-1"}, "Величина демпфирования вне допустимого диапазона! "},
        {{"5", "1", "-1", "-1"}, "Значение периода измерения Tокр не может быть отрицательным!"},
        {{"5", "1", "1", "-1"}, "Значение периода калибровки Tокр не может быть отрицательным!"},
    };
    for (const auto& c : cases) {
        SimBench b("rev15");
        MarkIdentified(b);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<MeasParamsMultitDialog>([&](MeasParamsMultitDialog& d) {
            d.dempfText = c.texts[0];
            d.timeCalibrPText = c.texts[1];
            d.timeMeasureTokrText = c.texts[2];
            d.timeCalibrTokrText = c.texts[3];
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(writes->empty());
    }
}

TEST(MeasurementParameters, UnknownCodeNamesTheSettingOfSetB) {
    SimBench b("rev15");
    MarkIdentified(b);
    ReplyWith(b, 176, {sim::HartReply{8, {}}});
    b.ui.onDialog<MeasParamsMultitDialog>([](MeasParamsMultitDialog&) { return false; });
    MeasurementParametersCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Неизвестная ошибка при чтении количества точек демпфирования !",
                                        "Неизвестная ошибка при чтении периода калибровки основного канала !",
                                        "Неизвестная ошибка при чтении периода измерения канала Tокр.среды!",
                                        "Неизвестная ошибка при чтении времени калибровки канала Tокр.среды!"}));
}

TEST(MeasurementParameters, RevisionsWithoutParametersSaySo) {
    for (const char* preset : {"rev10", "rev13"}) {
        SimBench b(preset);
        MarkIdentified(b);
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"В этой версии датчика настройка параметров измерений не предусмотрена!"});
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(b.device().answered, 0u);
    }
}

TEST(CathodicSensor, ShuntPresetFollowsTheStoredValueExactly) {
    const struct {
        float shunt;
        int item;
    } cases[] = {{0.0015f, 0}, {0.001f, 1}, {0.00075f, 2}, {0.002f, 3}, {0.00075001f, 3}, {0.0f, 3}};
    for (const auto& c : cases) EXPECT_EQ(ShuntItemFor(c.shunt), c.item) << c.shunt;
    EXPECT_EQ(StandardShuntText(0), "0.0015");
    EXPECT_EQ(StandardShuntText(1), "0.0010");
    EXPECT_EQ(StandardShuntText(2), "0.00075");
    EXPECT_EQ(StandardShuntText(3), "");
    EXPECT_TRUE(ShuntVisible(1));
    EXPECT_FALSE(ShuntVisible(0));
}

TEST(CathodicSensor, ReadsPresetsAndWritesBothSettings) {
    const struct {
        int unit;
        const char* shuntText;
        std::uint32_t unitWritten, shuntWritten;
    } cases[] = {
        {1, "0,002", 1, std::bit_cast<std::uint32_t>(0.002f)},
        {1, "0.0015", 1, std::bit_cast<std::uint32_t>(0.0015f)},
        // A voltage output keeps the stored shunt whatever the hidden field holds.
        {0, "junk", 0, std::bit_cast<std::uint32_t>(0.00075f)},
    };
    for (const auto& c : cases) {
        SimBench b("rev7");
        MarkIdentified(b);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<KatPotParamsDialog>([&](KatPotParamsDialog& d) {
            EXPECT_EQ(d.caption, "Параметры датчика катодного потенциала");
            EXPECT_EQ(d.unit, 1);
            EXPECT_EQ(d.shunt, 2);
            EXPECT_EQ(d.shuntValueText, "0.00075");
            d.unit = c.unit;
            d.shuntValueText = c.shuntText;
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(SettingNumbers(*writes), (std::vector<int>{2, 8}));
        EXPECT_EQ(SettingOf(b, 2), c.unitWritten);
        EXPECT_EQ(SettingOf(b, 8), c.shuntWritten) << c.shuntText;
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{kWritten});
    }
}

TEST(CathodicSensor, ReadFailures) {
    {
        // Not entered: defaults 0 and 0.001, and the dialog still opens.
        SimBench b("rev7");
        MarkIdentified(b);
        b.device().profile().settings.erase(2);
        b.device().profile().settings.erase(8);
        KatPotParamsDialog seen;
        b.ui.onDialog<KatPotParamsDialog>([&](KatPotParamsDialog& d) {
            seen = d;
            return false;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"Единицы выдачи значения не были введены!",
                                                                 "Значение шунта не было введено!"}));
        EXPECT_EQ(seen.unit, 0);
        EXPECT_EQ(seen.shunt, 1);
        EXPECT_EQ(seen.shuntValueText, "0.001");
    }
    for (std::uint8_t code : {3, 4}) {
        SimBench b("rev7");
        MarkIdentified(b);
        const auto reads = CaptureRequests(b, 176);
        ReplyWith(b, 176, {sim::HartReply{code, {}}});
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данный параметр не поддерживается устройством!"});
        EXPECT_EQ(b.device().answered, 1u) << "the second setting is not read";
        EXPECT_TRUE(b.ui.dialogsShown.empty());
    }
    {
        SimBench b("rev7");
        MarkIdentified(b);
        b.faults().set(sim::Fault::NoAnswer, true);
        EscDuring(b, "Чтение параметра 2");
        MeasurementParametersCommand(b.state);
        EXPECT_TRUE(b.ui.messages.empty()) << "a stopped read ends quietly";
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(MeasurementCount, RefusedWithoutAnExchange) {
    const struct {
        const char* preset;
        int densityKind;
    } cases[] = {{"rev3", -1}, {"density5", 1}, {"density6", 2}, {"velkor", 2}};
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        if (c.densityKind >= 0) b.state.identity.densityMeterKind = c.densityKind;
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Эта функция недоступна для текущей версии датчика!"})
            << c.preset;
        EXPECT_EQ(b.device().answered, 0u);
    }
}

TEST(MeasurementCount, ReadChooseAndWrite) {
    SimBench b("rev4");
    MarkIdentified(b);
    const auto writes = CaptureRequests(b, 117);
    b.ui.onDialog<ChangeMeasParamsDialog>([](ChangeMeasParamsDialog& d) {
        EXPECT_EQ(d.caption, "Изменение параметра измерений");
        EXPECT_EQ(d.count, 32);
        d.count = 200;
        return true;
    });
    MeasurementParametersCommand(b.state);
    ASSERT_EQ(writes->size(), 1u);
    EXPECT_EQ(writes->at(0), (Bytes{200, 1}));
    EXPECT_EQ(b.device().profile().measurementCount, 200);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Параметры были успешно записаны!"});
    EXPECT_EQ(b.ui.progressTexts.at(1), "Узнаю параметры измерений");
    EXPECT_EQ(b.ui.progressTexts.back(), "Пишу кол-во измерений. Попытка 1");
}

TEST(MeasurementCount, DeviceAnswers) {
    const struct {
        const char* name;
        sim::HartReply read;
        std::optional<sim::HartReply> write;
        std::vector<std::string> messages;
        int shown;  // count in the dialog; 0 = no dialog
    } cases[] = {
        {"defaults",
         {1, {}},
         sim::HartReply{0, {40}},
         {"В датчике используются параметры по умолчанию!", "Параметры были успешно записаны!"},
         40},
        {"flash", {0, {7}}, sim::HartReply{6, {}}, {"Ошибка flash-памяти при записи!"}, 7},
        {"unknown write", {0, {7}}, sim::HartReply{2, {}}, {"Неизвестная ошибка записи!"}, 7},
        {"no count", {0, {}}, std::nullopt, {"Не удалось сосчитать параметры измерений!"}, 0},
    };
    for (const auto& c : cases) {
        SimBench b("rev4");
        MarkIdentified(b);
        ReplyWith(b, 118, {c.read});
        if (c.write) ReplyWith(b, 117, {*c.write});
        int shown = 0;
        b.ui.onDialog<ChangeMeasParamsDialog>([&](ChangeMeasParamsDialog& d) {
            shown = d.count;
            return true;
        });
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
    }
    {
        SimBench b("rev4");
        MarkIdentified(b);
        const auto reads = CountRequests(b, 118);
        b.faults().set(sim::Fault::NoAnswer, true);
        MeasurementParametersCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не удалось сосчитать параметры измерений!"});
        EXPECT_EQ(*reads, 5) << "five attempts";
        EXPECT_TRUE(b.ui.dialogsShown.empty());
    }
}

// From the menu through identification, on the simulator's own settings.
TEST(MeasurementParameters, EndToEndFromTheMenu) {
    SimBench b("rev9", false);
    b.ui.onDialog<MeasParamsDialog>([](MeasParamsDialog& d) {
        EXPECT_EQ(d.timeCalibrPText, "3600");
        d.dempfText = "20";
        return true;
    });
    RunMenuCommand(b.state, menu::MeasParamsItem);
    EXPECT_TRUE(b.state.identity.identified);
    EXPECT_EQ(b.ui.messageTexts().back(), kWritten);
    EXPECT_EQ(SettingOf(b, 14), 20u);
    EXPECT_EQ(SettingOf(b, 12), 3600u);
}

}  // namespace
}  // namespace quillon::testing
