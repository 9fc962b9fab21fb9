#include <gtest/gtest.h>

#include <bit>

#include "app/menu_commands.h"
#include "device/correction_fit_dialog.h"
#include "device/measuring_channel.h"
#include "device/value_correction.h"
#include "request_capture.h"
#include "support/identified_bench.h"
#include "device/menu_items.h"

namespace quillon::testing {
namespace {

TEST(ValueCorrection, NotEnteredShowsDefaultsInSixDecimals) {
    SimBench b("rev8");
    MarkIdentified(b);
    b.device().profile().settings.erase(15);
    b.device().profile().settings.erase(16);
    PopravkaDialog seen;
    b.ui.onDialog<PopravkaDialog>([&](PopravkaDialog& d) {
        seen = d;
        return false;
    });
    ValueCorrectionCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"Добавка к значению не была введена!",
                                                             "Множитель для коррекции не был введен!"}));
    EXPECT_EQ(seen.caption, "Редактирование поправки");
    EXPECT_EQ(seen.offsetText, "0.000000");
    EXPECT_EQ(seen.factorText, "1.000000");
    EXPECT_EQ(b.ui.progressTexts.at(1), "Чтение параметра 15 : 1");
}

TEST(ValueCorrection, ChannelDecidesTheSettingsAndTypedValuesAreWrittenAsSingles) {
    const struct {
        const char* preset;
        int channel;
        std::uint8_t offset, factor;
        const char* shownOffset;
    } cases[] = {
        {"rev8", 0, 15, 16, "0.000000"},
        {"rev16", 0, 15, 16, "0.000000"},
        {"rev16", 1, 34, 35, "0.250000"},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        const auto reads = CaptureRequests(b, 176);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.channel;
            return true;
        });
        b.ui.onDialog<PopravkaDialog>([&](PopravkaDialog& d) {
            EXPECT_EQ(d.offsetText, c.shownOffset);
            d.offsetText = "-0.5";
            d.factorText = "1,5";
            return true;
        });
        ValueCorrectionCommand(b.state);
        EXPECT_EQ(SettingNumbers(*reads), (std::vector<int>{c.offset, c.factor})) << c.preset;
        ASSERT_EQ(writes->size(), 2u);
        EXPECT_EQ(writes->at(0), (Bytes{c.offset, 0xBF, 0x00, 0x00, 0x00}));
        EXPECT_EQ(writes->at(1), (Bytes{c.factor, 0x3F, 0xC0, 0x00, 0x00}));
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные успешно записаны!"});
        EXPECT_EQ(b.ui.progressTexts.back(), "Запись параметра " + std::to_string(c.factor) + " . 1");
    }
}

TEST(ValueCorrection, DevicesWithoutCorrectionAreRefusedWithoutAnExchange) {
    for (const char* preset : {"rev7", "rev10", "rev3", "rev4"}) {
        SimBench b(preset);
        MarkIdentified(b);
        ValueCorrectionCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"Данное устройство не допускает корректировку значения!"});
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(b.device().answered, 0u) << preset;
    }
}

TEST(ValueCorrection, FailuresEndTheCommand) {
    {
        // Unknown codes keep the defaults and name the value.
        SimBench b("rev6");
        MarkIdentified(b);
        ReplyWith(b, 176, {sim::HartReply{5, {}}});
        b.ui.onDialog<PopravkaDialog>([](PopravkaDialog&) { return false; });
        ValueCorrectionCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  (std::vector<std::string>{"Неизвестная ошибка при чтении корректирующей добавки !",
                                            "Неизвестная ошибка при чтении корректирующего множителя !"}));
    }
    {
        // A stopped read opens no dialog and says nothing.
        SimBench b("rev6");
        MarkIdentified(b);
        b.faults().set(sim::Fault::NoAnswer, true);
        EscDuring(b, "Чтение параметра 15");
        ValueCorrectionCommand(b.state);
        EXPECT_TRUE(b.ui.messages.empty());
        EXPECT_TRUE(b.ui.dialogsShown.empty());
        EXPECT_FALSE(b.ui.progressOpen);
    }
    {
        // A factor that is not a number: the conversion error, nothing written.
        SimBench b("rev6");
        MarkIdentified(b);
        const auto writes = CaptureRequests(b, 177);
        b.ui.onDialog<PopravkaDialog>([](PopravkaDialog& d) {
            d.factorText = "1,5x";
            return true;
        });
        ValueCorrectionCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"«1.5x» не является числом."});
        EXPECT_TRUE(writes->empty());
    }
    {
        // The first failed write ends with the summary.
        SimBench b("rev6");
        MarkIdentified(b);
        ReplyWith(b, 177, {sim::HartReply{3, {}}});
        b.ui.onDialog<PopravkaDialog>([](PopravkaDialog&) { return true; });
        ValueCorrectionCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  (std::vector<std::string>{"Ошибка при записи в энергонезависимую память параметра 15 !",
                                            "Не удалось записать параметры!"}));
    }
}

TEST(ValueCorrection, FitReplacesBothTextsInFourDecimals) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.device().profile().settings[15] = Bits(1.0f);
    PopravkaDialog before, after;
    PodborCoefDialog fitDialog;
    b.ui.onDialog<PopravkaDialog>([&](PopravkaDialog& d) {
        before = d;
        d.left = 210;
        d.top = 120;
        d.fit(d);  // PodborButton
        after = d;
        return true;
    });
    b.ui.onDialog<PodborCoefDialog>([&](PodborCoefDialog& d) {
        fitDialog = d;
        d.real1Text = "-39";
        d.real2Text = "61";
        d.needed1Text = "-40";
        d.needed2Text = "70";
        return true;
    });
    b.ui.answerMessages({MessageAnswer::Ok});
    ValueCorrectionCommand(b.state);
    EXPECT_EQ(before.offsetText, "1.000000");
    EXPECT_EQ(fitDialog.left, 210);
    EXPECT_EQ(fitDialog.top, 120);
    // Raw readings -40 and 60 must become -40 and 70.
    EXPECT_EQ(after.offsetText, "4.0000");
    EXPECT_EQ(after.factorText, "1.1000");
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Требуемое смещение = 4.000, требуемый наклон = 1.100. Принять эти значения?",
                                        "Данные успешно записаны!"}));
    EXPECT_EQ(SettingOf(b, 15), Bits(4.0f));
    EXPECT_EQ(SettingOf(b, 16), Bits(1.1f));
}

TEST(ValueCorrection, EndToEndFromTheMenu) {
    SimBench b("rev14", false);
    b.ui.onDialog<PopravkaDialog>([](PopravkaDialog& d) {
        d.offsetText = "0.25";
        return true;
    });
    RunMenuCommand(b.state, menu::ValueCorrection);
    EXPECT_TRUE(b.state.identity.identified);
    EXPECT_EQ(b.ui.messageTexts().back(), "Данные успешно записаны!");
    EXPECT_EQ(SettingOf(b, 15), Bits(0.25f));
    EXPECT_EQ(SettingOf(b, 16), Bits(1.0f));
}

}  // namespace
}  // namespace quillon::testing
