#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "device/device_test_support.h"
#include "device/held_output.h"
#include "device/hex_text.h"
#include "device/identification.h"
#include "device/outcome_text.h"
#include "device/polling.h"
#include "frontend/fixed_output.h"
#include "frontend/output_release.h"
#include "support/identified_bench.h"
#include "support/request_capture.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::Identified;
using testing::SimBench;

std::vector<std::uint8_t> BytesOf(float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

void Enter(SimBench& b, const std::string& value) {
    b.ui.onDialog<FixTokDialog>([value](FixTokDialog& d) {
        d.mode = 1;
        d.value = value;
        return true;
    });
}

TEST(FixedOutput, TypedValueBecomesTheSentSingle) {
    const struct {
        const char* preset;
        const char* typed;
        std::vector<std::uint8_t> sent;
    } cases[] = {
        {"rev8", "20", {0x41, 0xA0, 0x00, 0x00}},
        {"rev8", "19.9999995", {0x41, 0xA0, 0x00, 0x00}},
        {"rev8", "19,9999995", {0x41, 0xA0, 0x00, 0x00}},
        {"rev8", "3.9999995", BytesOf(static_cast<float>(3.9999995 + 0.000001))},
        {"rev8", "12", BytesOf(static_cast<float>(12.000001))},
        {"rev6-hw1", "5", BytesOf(5.000001f)},
        {"rev6-hw1", "0.5", BytesOf(static_cast<float>(0.500001))},
    };
    for (const auto& c : cases) {
        auto b = Identified(c.preset);
        auto sent = testing::CaptureRequests(*b, 40);
        Enter(*b, c.typed);
        FixCurrentMenuCommand(b->state, b->state.frontend);
        ASSERT_EQ(sent->size(), 1u) << c.typed;
        EXPECT_EQ(sent->front(), c.sent) << c.typed;
        EXPECT_TRUE(b->ui.messages.empty()) << c.typed;
        EXPECT_EQ(b->ui.progressTexts.back(), "Пишу режим тока: 1");
    }
    EXPECT_GT(static_cast<float>(3.9999995 + 0.000001), 4.0f);
    EXPECT_EQ(FixedOutputRequestValue(20.0), 20.0f);
    EXPECT_GT(FixedOutputRequestValue(20.0000001), 20.0f);
}

TEST(FixedOutput, OutOfRangeCurrentOrBadNumberComesBackWithoutSending) {
    const struct {
        const char* typed;
        std::string message;
    } cases[] = {
        {"20.5", "Значение тока должно быть в диапазоне 4-20 мА!"},
        {"3.9", "Значение тока должно быть в диапазоне 4-20 мА!"},
        {"20.0000001", "Значение тока должно быть в диапазоне 4-20 мА!"},
        {"12mA", "«12mA» не является числом."},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev7");
        auto sent = testing::CaptureRequests(*b, 40);
        Enter(*b, c.typed);
        FixCurrentMenuCommand(b->state, b->state.frontend);  // the dialog comes back and is cancelled
        EXPECT_TRUE(sent->empty()) << c.typed;
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(b->ui.dialogsShown.size(), 2u);
    }
}

TEST(FixedOutput, LeaveSendsZeroAndLastValueFollowsTheRules) {
    auto b = Identified("rev8");
    auto sent = testing::CaptureRequests(*b, 40);
    FixTokDialog first;
    b->ui.onDialog<FixTokDialog>([&](FixTokDialog& d) {
        first = d;
        d.mode = 1;
        d.value = "12.5";
        return true;
    });
    FixCurrentMenuCommand(b->state, b->state.frontend);
    EXPECT_EQ(first.value, "4.0000");
    EXPECT_EQ(first.mode, 0);
    EXPECT_EQ(first.caption, "Ток датчика");
    EXPECT_EQ(first.modes,
              (std::vector<std::string>{"Выйти из режима фиксированного тока", "Войти в режим фиксированного тока"}));
    EXPECT_EQ(first.valueLabel, "Значение тока (4-20), мА :");
    EXPECT_NEAR(OfferedFixedOutput(b->state.identity, b->state.frontend), 12.500001, 1e-6);
    EXPECT_EQ(b->ui.fixedOutputBanner,
              "Ток зафиксирован: 12.5000 мА (датчик " + HexBytesText(b->state.identity.longAddress) + ")");
    EXPECT_NE(b->device().profile().deviceStatus & 0x08, 0);

    b->state.decimalSeparator = ',';
    FixTokDialog second;
    b->ui.onDialog<FixTokDialog>([&](FixTokDialog& d) {
        second = d;
        return true;  // "leave" stays chosen
    });
    FixCurrentMenuCommand(b->state, b->state.frontend);
    EXPECT_EQ(second.value, "12,5000");
    EXPECT_EQ(sent->back(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(OfferedFixedOutput(b->state.identity, b->state.frontend), 4.0);
    EXPECT_EQ(b->ui.fixedOutputBanner, "");
    EXPECT_EQ(b->device().profile().deviceStatus & 0x08, 0);
}

TEST(FixedOutput, VoltageVariantTextsAndTheNextOpeningAfterOnePointFive) {
    auto b = Identified("rev6-hw1");
    FixTokDialog shown;
    b->ui.onDialog<FixTokDialog>([&](FixTokDialog& d) {
        shown = d;
        d.mode = 1;
        d.value = "1.5";
        return true;
    });
    FixCurrentMenuCommand(b->state, b->state.frontend);
    EXPECT_EQ(shown.value, "0.8000");
    EXPECT_EQ(shown.modes,
              (std::vector<std::string>{"Выйти из режима фиксир. напряжения", "Войти в режим фиксир. напряжения"}));
    EXPECT_EQ(shown.valueLabel, "Напряжение (0.8-3.2), В :");
    EXPECT_EQ(OfferedFixedOutput(b->state.identity, b->state.frontend), 4.0);
    EXPECT_EQ(b->ui.fixedOutputBanner,
              "Напряжение зафиксировано: 1.5000 В (датчик " + HexBytesText(b->state.identity.longAddress) + ")");
    b->ui.onDialog<FixTokDialog>([&](FixTokDialog& d) {
        shown = d;
        return false;
    });
    FixCurrentMenuCommand(b->state, b->state.frontend);
    EXPECT_EQ(shown.value, "0.8000");
}

TEST(FixedOutput, RefusedDevicesFailedExchangeAndIdentificationReset) {
    for (const char* preset : {"rev3", "rev10", "rev13"}) {
        auto b = Identified(preset);
        FixCurrentMenuCommand(b->state, b->state.frontend);
        EXPECT_EQ(b->ui.messageTexts(),
                  std::vector<std::string>{"В этой версии датчика не предусмотрена фиксация тока!"});
        EXPECT_TRUE(b->ui.dialogsShown.empty());
    }

    auto b = Identified("rev9");
    b->state.frontend.lastFixedOutput = 10.0;
        b->state.frontend.lastFixedOutputIdentification = b->state.identity.identifications;
    testing::NeverAnswer(*b, 40);
    Enter(*b, "15");
    FixCurrentMenuCommand(b->state, b->state.frontend);
    // The device heard the request and may hold the current: the tool says
    // so, and takes it as held until it is released.
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{std::string("Не могу выполнить запрос!\n") +
                                                             kUnknownEffectText});
    EXPECT_EQ(b->ui.progressTexts.back(), "Пишу режим тока: 5");
    EXPECT_EQ(OfferedFixedOutput(b->state.identity, b->state.frontend), 10.0);
    EXPECT_EQ(b->ui.fixedOutputBanner,
              "Ток зафиксирован: 15.0000 мА (датчик " + HexBytesText(b->state.identity.longAddress) + ")");

    invalidateIdentity(b->state);
    ASSERT_TRUE(ensureIdentified(b->state));
    EXPECT_EQ(OfferedFixedOutput(b->state.identity, b->state.frontend), 4.0);
}

TEST(HeldOutput, PollShowsACurrentFixedByAnotherProgramAndReleaseSendsZero) {
    auto b = Identified("rev8");
    b->device().profile().deviceStatus = 0x08;  // fixed by someone else
    auto polls = testing::CountRequests(*b, 3);
    b->ui.onProcessEvents = [&] {
        if (*polls >= 3) b->state.flags.stopRequested = true;
    };
    RunSimplePoll(b->state, PollRequest::Command3);
    EXPECT_EQ(b->ui.fixedOutputBanner, "Датчик сообщает: ток зафиксирован");
    EXPECT_FALSE(ToolHoldsOutput(b->state));

    b->ui.onProcessEvents = nullptr;
    auto sent = testing::CaptureRequests(*b, 40);
    Enter(*b, "8");
    FixCurrentMenuCommand(b->state, b->state.frontend);
    EXPECT_TRUE(ToolHoldsOutput(b->state));
    EXPECT_EQ(ReleaseBeforeCloseQuestion(b->state),
              "Выход датчика зафиксирован (ток 8.0000 мА).\nСнять фиксацию перед закрытием программы?\n\n"
              "Да - снять фиксацию и закрыть, Нет - закрыть, Отмена - не закрывать.");
    EXPECT_TRUE(ReleaseHeldOutput(b->state));
    EXPECT_EQ(sent->back(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_FALSE(ToolHoldsOutput(b->state));
    EXPECT_EQ(b->device().profile().deviceStatus & 0x08, 0);
}

}  // namespace
}  // namespace quillon
