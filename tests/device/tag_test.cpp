#include <gtest/gtest.h>

#include "device/tag.h"
#include "polling_test_support.h"

namespace quillon::testing {
namespace {

void TagAnswer(SimBench& b, sim::HartReply reply) {
    b.device().commands()[20] = [reply](sim::SimDevice&, const sim::HartRequest&) { return reply; };
}

TEST(Tag, AnswersAndTheirMessages) {
    std::vector<std::uint8_t> forty;
    for (int i = 0; i < 40; ++i) forty.push_back(static_cast<std::uint8_t>('A' + i % 26));
    // "ТЕГ-1" in Windows-1251, a zero, then bytes that are not part of the tag.
    const std::vector<std::uint8_t> cyrillic{0xD2, 0xC5, 0xC3, '-', '1', 0, 'X', 'Y'};
    struct Case {
        const char* name;
        sim::HartReply reply;
        MessageIcon icon;
        std::string text;
    } cases[] = {
        {"byte count 2", {0, {}}, MessageIcon::Error, "Ошибка в длине данных ответа!"},
        {"40 data bytes", {0, forty}, MessageIcon::Information, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF"},
        {"Windows-1251 up to the zero", {0, cyrillic}, MessageIcon::Information, "ТЕГ-1"},
        {"code 16", {16, {}}, MessageIcon::Error, "Ошибка \"Access Restricted\"!"},
        {"code 32", {32, {}}, MessageIcon::Error, "Ошибка \"Busy\"!"},
        {"code 5", {5, {'A'}}, MessageIcon::Error, "Неизвестная ошибка в байте статуса!"},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        MarkIdentified(b);
        TagAnswer(b, c.reply);
        ReadingTagCommand(b.state);
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(b.ui.messages[0].icon, c.icon) << c.name;
        EXPECT_EQ(b.ui.messages[0].text, c.text) << c.name;
    }
}

TEST(Tag, SimulatedDeviceTagAndStop) {
    SimBench b("rev6");
    MarkIdentified(b);
    ReadingTagCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"QUILLON SIM"});
    EXPECT_EQ(b.ui.progressTexts.back(), "Читаю тег. Попытка: 1");

    SimBench silent("rev6");
    MarkIdentified(silent);
    silent.faults().set(sim::Fault::NoAnswer, true);
    silent.ui.onProcessEvents = [&] {
        if (silent.ui.progressTexts.back() == "Читаю тег. Попытка: 2") KeyHook(silent.state.flags, kKeyEsc);
    };
    ReadingTagCommand(silent.state);
    EXPECT_EQ(silent.ui.messageTexts(), std::vector<std::string>{"Не удалось прочитать тег!"});
}

}  // namespace
}  // namespace quillon::testing
