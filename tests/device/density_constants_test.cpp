#include <gtest/gtest.h>

#include <bit>

#include "app/menu_commands.h"
#include "device/density_constants.h"
#include "device/outcome_text.h"
#include "request_capture.h"
#include "device/menu_items.h"

namespace quillon::testing {
namespace {

constexpr const char* kSent = "Данные были успешно успешно отправлены!";
constexpr const char* kNegativePeriod = "Период должен быть положительным!";

Bytes BigEndian(float v) {
    const auto u = std::bit_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u)};
}

Bytes Message114(std::uint8_t first, float constant, std::uint8_t usePeriod, float period) {
    Bytes m{first};
    for (auto x : BigEndian(constant)) m.push_back(x);
    m.push_back(usePeriod);
    for (auto x : BigEndian(period)) m.push_back(x);
    return m;
}

// A density meter bench identified as kind `kind` (0, 1, 2) or the Velkor.
std::unique_ptr<SimBench> Meter(const char* preset, int kind) {
    auto profile = sim::Preset(preset);
    if (kind == 0) profile.longAddress[3] = 0x01;
    auto b = std::make_unique<SimBench>(std::move(profile));
    MarkIdentified(*b);
    b->state.identity.densityMeterKind = kind;
    return b;
}

TEST(DensityFloat, LayoutAgainstWorkedBytes) {
    const struct {
        float value;
        std::array<std::uint8_t, 4> bytes;
    } cases[] = {
        {1.0f, {0x00, 0x00, 0x80, 0x7F}},  {2.0f, {0x00, 0x00, 0x80, 0x80}},
        {0.75f, {0x00, 0x00, 0xC0, 0x7E}}, {1234.5f, {0x00, 0x50, 0x9A, 0x89}},  // 0x449A5000
        {0.0f, {0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToDensityFloat(c.value), c.bytes) << c.value;
        EXPECT_EQ(FromDensityFloat(c.bytes.data()), c.value) << c.value;
    }
    // The sign is not carried.
    EXPECT_EQ(ToDensityFloat(-2.0f), (std::array<std::uint8_t, 4>{0x00, 0x00, 0x80, 0x80}));
    EXPECT_EQ(ToDensityFloat(-0.0f), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(DensityConstants, NotADensityMeter) {
    SimBench b("rev8");
    MarkIdentified(b);
    DensityMeterConstantsCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данное устройство не является плотномером!"});
    EXPECT_EQ(b.device().answered, 0u);
}

TEST(DensityConstants, Kind0WritesTheMessageOnly) {
    auto b = Meter("density5", 0);
    const auto sent = CaptureRequests(*b, 114);
    PlotnoConstDialog seen;
    b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
        seen = d;
        d.useT = true;
        d.temperText = "25,5";
        d.usePer = true;
        d.periodText = "600";
        return true;
    });
    DensityMeterConstantsCommand(b->state);
    EXPECT_EQ(seen.caption, "Константы для плотномера");
    EXPECT_EQ(seen.temperText, "20");
    EXPECT_EQ(seen.periodText, "512");
    EXPECT_TRUE(seen.useTVisible);
    EXPECT_FALSE(seen.typeVisible);
    EXPECT_FALSE(seen.mnogVisible);
    ASSERT_EQ(sent->size(), 1u);
    EXPECT_EQ(sent->at(0), (Bytes{0x01, 0x41, 0xCC, 0x00, 0x00, 0x01, 0x44, 0x16, 0x00, 0x00}));
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{kSent});
    EXPECT_EQ(b->ui.progressTexts.back(), "Запись параметров плотномера. Попытка 1");
    EXPECT_EQ(b->device().answered, 1u) << "nothing is read first";
}

TEST(DensityConstants, NegativePeriodKeepsTheDialog) {
    for (const char* preset : {"density5", "density6"}) {
        for (int kind : {0, std::string(preset) == "density5" ? 1 : 2}) {
            auto b = Meter(preset, kind);
            const auto sent = CaptureRequests(*b, 114);
            b->ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
                d.usePer = true;
                d.periodText = "-1";
                return true;
            });
            std::string periodOnReturn;
            b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
                periodOnReturn = d.periodText;
                return false;
            });
            DensityMeterConstantsCommand(b->state);
            EXPECT_EQ(b->ui.messageTexts().back(), kNegativePeriod) << preset << kind;
            EXPECT_EQ(CountOf(b->ui.dialogsShown, "PlotnoConstDialog"), 2);
            EXPECT_EQ(periodOnReturn, "-1");
            EXPECT_TRUE(sent->empty());
        }
    }
}

TEST(DensityConstants, Kind1ShowsTheStoredConstantAndSendsTheMode) {
    auto b = Meter("density5", 1);
    const auto reads = CaptureRequests(*b, 191);
    const auto sent = CaptureRequests(*b, 114);
    PlotnoConstDialog seen;
    b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
        seen = d;
        d.type = 1;
        return true;  // the empty period is not used, so it need not be a number
    });
    DensityMeterConstantsCommand(b->state);
    ASSERT_EQ(reads->size(), 1u);
    EXPECT_EQ(reads->at(0), (Bytes{0x7F, 0x00, 0x06}));
    EXPECT_TRUE(seen.typeVisible);
    EXPECT_EQ(seen.type, 0);
    EXPECT_EQ(seen.temperText, "998.2");
    EXPECT_EQ(seen.periodText, "");
    EXPECT_FALSE(seen.usePer);
    EXPECT_FALSE(seen.mnogVisible);
    ASSERT_EQ(sent->size(), 1u);
    EXPECT_EQ(sent->at(0), Message114(1, 998.2f, 0, 0.0f));
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{kSent});
    EXPECT_EQ(b->ui.progressTexts.at(1), "Узнаю данные плотномера");
}

TEST(DensityConstants, ConstantBlockFailures) {
    {
        auto b = Meter("density5", 1);
        b->device().setBlockByte(127 + 5, 0x00);  // wrong check byte
        PlotnoConstDialog seen;
        b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
            seen = d;
            return false;
        });
        DensityMeterConstantsCommand(b->state);
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"В датчик не были введены параметры работы!"});
        EXPECT_EQ(seen.temperText, "0");
        EXPECT_EQ(seen.type, 0);
    }
    for (int kind : {1, 2}) {
        auto b = Meter(kind == 1 ? "density5" : "density6", kind);
        const auto reads = CountRequests(*b, 191);
        b->faults().set(sim::Fault::NoAnswer, true);
        DensityMeterConstantsCommand(b->state);
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Не удалось узнать данные плотномера!"});
        EXPECT_EQ(*reads, 5);
        EXPECT_TRUE(b->ui.dialogsShown.empty());
    }
}

TEST(DensityConstants, Kind2WritesMessageFactorAndConfirms) {
    const struct {
        const char* factor;
        bool use;
        Bytes block;  // index, payload, check
    } cases[] = {
        {"2", true, {0x85, 0x00, 0x00, 0x00, 0x80, 0x80, 0x01, 0x4C}},
        {"-2", true, {0x85, 0x00, 0x00, 0x00, 0x80, 0x80, 0x01, 0x4C}},
        {"1,0", true, {0x85, 0x00, 0x00, 0x00, 0x80, 0x7F, 0x01, 0xB3}},
        // Unticked: the stored factor goes back unchanged, marked unused.
        {"5", false, {0x85, 0x00, 0x00, 0x00, 0x80, 0x7F, 0x00, 0xB2}},
    };
    for (const auto& c : cases) {
        auto b = Meter("density6", 2);
        const auto reads = CaptureRequests(*b, 191);
        const auto sent = CaptureRequests(*b, 114);
        const auto blocks = CaptureRequests(*b, 190);
        const auto confirms = CaptureRequests(*b, 192);
        PlotnoConstDialog seen;
        b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
            seen = d;
            d.temperText = "1000";
            d.usePer = true;
            d.periodText = "1500.5";
            d.useMul = c.use;
            d.mnogText = c.factor;
            return true;
        });
        DensityMeterConstantsCommand(b->state);
        ASSERT_EQ(reads->size(), 2u);
        EXPECT_EQ(reads->at(1), (Bytes{0x85, 0x00, 0x06}));
        EXPECT_TRUE(seen.typeVisible);
        EXPECT_FALSE(seen.useTVisible);
        EXPECT_TRUE(seen.mnogVisible);
        EXPECT_TRUE(seen.useMul);
        EXPECT_EQ(seen.mnogText, "1");
        ASSERT_EQ(sent->size(), 1u);
        EXPECT_EQ(sent->at(0), Message114(0, 1000.0f, 1, 1500.5f));
        ASSERT_EQ(blocks->size(), 1u);
        EXPECT_EQ(blocks->at(0), c.block) << c.factor;
        EXPECT_EQ(*confirms, std::vector<Bytes>{Bytes{0x02}});
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Данные записаны!"}) << c.factor;
        EXPECT_EQ(b->ui.progressTexts.back(), "Переопрос параметров. Попытка 1");
    }
}

TEST(DensityConstants, Kind2FactorBlockWithWrongCheckShowsOneUnticked) {
    auto b = Meter("density6", 2);
    b->device().setBlockByte(133, 0x12);  // payload changed, check byte not
    PlotnoConstDialog seen;
    b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
        seen = d;
        return false;
    });
    DensityMeterConstantsCommand(b->state);
    EXPECT_TRUE(b->ui.messages.empty()) << "no message for the factor block";
    EXPECT_EQ(seen.mnogText, "1");
    EXPECT_FALSE(seen.useMul);
}

// The re-check that does not accept the constants is the command's last word:
// no confirmation follows it.
TEST(DensityConstants, Kind2ConfirmationRefusedIsNoSuccess) {
    auto b = Meter("density6", 2);
    ReplyWith(*b, 192, {sim::HartReply{0, {0}}});
    b->ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog&) { return true; });
    DensityMeterConstantsCommand(b->state);
    EXPECT_EQ(b->ui.messageTexts(),
              std::vector<std::string>{"Ошибка при перепроверке параметров! Данные не приняты к исполнению!"});
    DensityConstants c;
    const Outcome o = WriteDensityConstants(b->state, c, NeverRepeat);
    EXPECT_EQ(o.kind, OutcomeKind::Refused);
    EXPECT_EQ(o.reason, "Ошибка при перепроверке параметров! Данные не приняты к исполнению!");
}

TEST(DensityConstants, VelkorSendsOnlyTheMessage) {
    auto b = Meter("velkor", 2);
    const auto reads = CaptureRequests(*b, 191);
    const auto sent = CaptureRequests(*b, 114);
    const auto blocks = CaptureRequests(*b, 190);
    const auto confirms = CaptureRequests(*b, 192);
    PlotnoConstDialog seen;
    b->ui.onDialog<PlotnoConstDialog>([&](PlotnoConstDialog& d) {
        seen = d;
        d.type = 1;  // hidden: must not reach the device
        d.useMul = true;
        d.mnogText = "3";
        return true;
    });
    DensityMeterConstantsCommand(b->state);
    EXPECT_EQ(reads->size(), 1u) << "no factor block";
    EXPECT_FALSE(seen.typeVisible);
    EXPECT_FALSE(seen.mnogVisible);
    EXPECT_FALSE(seen.useTVisible);
    ASSERT_EQ(sent->size(), 1u);
    EXPECT_EQ(sent->at(0), Message114(0, 998.2f, 0, 0.0f));
    EXPECT_TRUE(blocks->empty());
    EXPECT_TRUE(confirms->empty());
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Данные записаны!"});
}

TEST(DensityConstants, WriteFailures) {
    const struct {
        std::uint8_t silentCommand;
        std::vector<std::string> messages;
    } cases[] = {
        // Each text says, on a line of its own, what the meter may hold now.
        {114, {std::string("Не удалось записать данные!\n") + kUnknownEffectText}},
        {190,
         {"Не удалось записать данные!\nЗапись прервана: выполнено 1 из 3. В плотномер записаны новые константы; "
          "поправочный множитель прежний."}},
        {192,
         {"Не удалось переопросить параметры!\nЗапись прервана: выполнено 2 из 3. Константы и поправочный множитель "
          "записаны, но не перепроверены."}},
    };
    for (const auto& c : cases) {
        auto b = Meter("density6", 2);
        // From this command on the meter falls silent, until the user stops the wait.
        auto original = b->device().commands()[c.silentCommand];
        b->device().commands()[c.silentCommand] = [&b, original](sim::SimDevice& d, const sim::HartRequest& q) {
            b->faults().set(sim::Fault::NoAnswer, true);
            return original(d, q);
        };
        b->ui.onProcessEvents = [&] {
            if (b->faults().current() == sim::Fault::NoAnswer) b->state.flags.stopRequested = true;
        };
        b->ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog&) { return true; });
        DensityMeterConstantsCommand(b->state);
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << int(c.silentCommand);
    }
}

// A write the meter refuses is reported through the response-code texts; the
// success box comes only after every write was taken.
TEST(DensityConstants, RefusedWritesAreReportedNotCelebrated) {
    // What a refused factor block leaves: the message went through before it.
    const std::string kFactorLeft =
        "Запись прервана: выполнено 1 из 3. В плотномер записаны новые константы; поправочный множитель прежний.";
    constexpr const char* kProtected =
        "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
        "Повторить попытку?";
    // Code 0 without data stands for an answer without status bytes (byte count 0).
    const sim::HartReply noStatus{0, {}};
    const struct {
        const char* name;
        const char* preset;
        int kind;
        std::uint8_t refusing;                // command that answers with `refusal` once
        sim::HartReply refusal;
        std::vector<MessageAnswer> answers;   // to the questions
        std::vector<std::string> messages;
        std::size_t constants, blocks, confirms;  // requests of 114, 190 and 192
    } cases[] = {
        {"kind 0, lock, no repeat", "density5", 0, 114, {7, {}}, {MessageAnswer::No}, {kProtected}, 1, 0, 0},
        {"kind 0, lock 16, repeated", "density5", 0, 114, {16, {}}, {MessageAnswer::Yes}, {kProtected, kSent}, 2, 0, 0},
        {"kind 0, other code", "density5", 0, 114, {5, {}}, {}, {"Ошибка! Неправильная длина запроса!"}, 1, 0, 0},
        {"kind 1, not implemented", "density5", 1, 114, {64, {}}, {}, {"Ошибка! Команда не задействована!"}, 1, 0, 0},
        {"kind 1, no status bytes", "density5", 1, 114, noStatus, {}, {"Неизвестная ошибка!"}, 1, 0, 0},
        {"kind 2, message refused", "density6", 2, 114, {7, {}}, {MessageAnswer::No}, {kProtected}, 1, 0, 0},
        {"kind 2, block refused", "density6", 2, 190, {24, {}}, {}, {"Ошибка! Ошибка записи в EEPROM-память!\n" + kFactorLeft}, 1, 1, 0},
        {"kind 2, block code 8", "density6", 2, 190, {8, {}}, {}, {"Неизвестная ошибка!\n" + kFactorLeft}, 1, 1, 0},
        {"kind 2, block locked, repeated", "density6", 2, 190, {16, {}}, {MessageAnswer::Yes}, {kProtected, "Данные записаны!"},
         1, 2, 1},
    };
    for (const auto& c : cases) {
        auto b = Meter(c.preset, c.kind);
        // The refusing command answers so once, then as the meter does.
        auto original = b->device().commands()[c.refusing];
        auto refused = std::make_shared<bool>(false);
        b->device().commands()[c.refusing] = [original, refused, reply = c.refusal](sim::SimDevice& d,
                                                                                    const sim::HartRequest& q) {
            if (*refused) return original(d, q);
            *refused = true;
            d.nextAnswerWithoutStatus = reply.responseCode == 0 && reply.data.empty();
            return reply;
        };
        const auto constants = CaptureRequests(*b, 114);
        const auto blocks = CaptureRequests(*b, 190);
        const auto confirms = CaptureRequests(*b, 192);
        for (MessageAnswer a : c.answers) b->ui.answerMessages({a});
        b->ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
            d.temperText = "812";
            return true;
        });
        DensityMeterConstantsCommand(b->state);
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(constants->size(), c.constants) << c.name;
        EXPECT_EQ(blocks->size(), c.blocks) << c.name;
        EXPECT_EQ(confirms->size(), c.confirms) << c.name;
    }
}

// Through the simulated meter: its write lock refuses the message until the
// button is pressed; the repeat then reaches the device.
TEST(DensityConstants, LockedMeterTakesTheConstantAfterTheButton) {
    constexpr const char* kProtected =
        "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
        "Повторить попытку?";
    for (bool pressed : {true, false}) {
        auto b = Meter("density6", 2);
        auto& protection = b->device().profile().protection;
        protection.locked = true;
        const std::uint8_t stored = b->device().blockByte(127);
        b->ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
            d.temperText = "812,25";
            return true;
        });
        // The engineer asks again until the button he pressed after the first
        // question takes effect: the first repeat still meets the lock.
        if (pressed) {
            b->ui.answerMessages({MessageAnswer::Yes, MessageAnswer::Yes});
            b->ui.onProcessEvents = [&] {
                if (!b->ui.messages.empty()) protection.locked = false;
            };
        } else {
            b->ui.answerMessages({MessageAnswer::No});
        }
        DensityMeterConstantsCommand(b->state);
        if (pressed) {
            EXPECT_EQ(b->ui.messageTexts(), (std::vector<std::string>{kProtected, kProtected, "Данные записаны!"}));
            EXPECT_EQ(b->device().blockByte(127), BigEndian(812.25f)[0]);
        } else {
            EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{kProtected});
            EXPECT_EQ(b->device().blockByte(127), stored);
        }
    }
}

TEST(DensityConstants, EndToEndFromTheMenuWithIdentification) {
    SimBench b("density6", false);
    b.ui.onDialog<PlotnoConstDialog>([](PlotnoConstDialog& d) {
        d.temperText = "812,25";
        d.useMul = true;
        d.mnogText = "1.5";
        return true;
    });
    RunMenuCommand(b.state, menu::ConstPlotnomerItem);
    EXPECT_EQ(b.state.identity.densityMeterKind, 2);
    EXPECT_EQ(b.ui.messageTexts().back(), "Данные записаны!");
    // The meter took the constant into its block and keeps the new factor.
    EXPECT_EQ(b.device().blockByte(127), BigEndian(812.25f)[0]);
    EXPECT_EQ(b.device().blockByte(133 + 2), 0xC0);  // 1.5: mantissa 0x400000 with the leading one
    EXPECT_EQ(b.device().blockByte(133 + 3), 0x7F);
}

}  // namespace
}  // namespace quillon::testing
