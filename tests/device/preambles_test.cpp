#include <gtest/gtest.h>

#include <algorithm>

#include "device/dialogs.h"
#include "device/preambles.h"
#include "polling_test_support.h"

namespace quillon::testing {
namespace {

// Queues the texts the user types, one per showing of the dialog, and keeps
// what the dialog offered each time.
void TypeCounts(SimBench& b, std::vector<std::string> texts, std::vector<std::string>& offered) {
    for (const auto& t : texts)
        b.ui.onDialog<PreamblesDialog>("PreamblesDialog", [t, &offered](PreamblesDialog& d) {
            offered.push_back(d.text);
            d.text = t;
            return true;
        });
}

// Keeps every request that reaches a handler.
std::shared_ptr<std::vector<sim::HartRequest>> Record(SimBench& b) {
    auto log = std::make_shared<std::vector<sim::HartRequest>>();
    for (auto& [command, handler] : b.device().commands())
        handler = [log, inner = handler](sim::SimDevice& d, const sim::HartRequest& q) {
            log->push_back(q);
            return inner(d, q);
        };
    return log;
}

TEST(Preambles, WholeNumbers) {
    struct Case {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"12", 12},
        {" 7 ", 7},
        {"+3", 3},
        {"-3", -3},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"1.5", std::nullopt},
        {"1,5", std::nullopt},
        {"++1", std::nullopt},
        {"+-1", std::nullopt},
        {"5a", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << c.text;
    EXPECT_EQ(NotWholeNumberText("abc"), "«abc» не является целым числом.");
}

TEST(Preambles, OnlySomeFirmwareMayChangeThem) {
    for (const char* preset : {"rev7", "rev10", "rev13", "rev3", "rev4"}) {
        SimBench b(preset);
        MarkIdentified(b);
        PreamblesCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"Данное устройство не допускает изменение этого параметра!"})
            << preset;
        EXPECT_EQ(b.device().answered, 0u) << preset;
        EXPECT_TRUE(b.ui.dialogsShown.empty()) << preset;
    }
}

// 2 and 51 bring the dialog back without a word; 3 and 50 are written.
TEST(Preambles, RangeOnThePreambleFamily) {
    for (const char* accepted : {"3", "50"}) {
        SimBench b("rev14");
        MarkIdentified(b);
        const auto log = Record(b);
        std::vector<std::string> offered;
        TypeCounts(b, {"2", "51", accepted}, offered);
        PreamblesCommand(b.state);
        EXPECT_EQ(offered.size(), 3u) << accepted;
        EXPECT_EQ(offered[0], "5") << "the count read from setting 22";
        EXPECT_EQ(b.ui.progressTexts[1], "Читаю кол-во преамбул: 1");
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные успешно записаны!"}) << accepted;
        ASSERT_EQ(log->size(), 2u);
        EXPECT_EQ((*log)[0].command, 176);
        EXPECT_EQ((*log)[0].data, std::vector<std::uint8_t>{22});
        EXPECT_EQ((*log)[1].command, 177);
        EXPECT_EQ((*log)[1].data,
                  (std::vector<std::uint8_t>{22, 0, 0, 0, static_cast<std::uint8_t>(std::stoi(accepted))}));
        EXPECT_EQ(b.ui.progressTexts.back(), "Запись количества преамбул . 1");
    }
}

TEST(Preambles, ReadAnswersOfTheFamily) {
    struct Case {
        const char* name;
        std::optional<sim::HartReply> reply;  // nothing: the setting was never entered (code 1)
        std::vector<std::string> messages;
        bool dialog;
        const char* offered;
    } cases[] = {
        {"never entered",
         std::nullopt,
         {"Количество преамбул не было введено, используется значение по умолчанию"},
         true,
         "9"},
        {"code 3", sim::HartReply{3, {}}, {"Данное устройство не поддерживает изменение этого параметра!"}, false, ""},
        {"code 4", sim::HartReply{4, {}}, {"Данное устройство не поддерживает изменение этого параметра!"}, false, ""},
        {"code 2", sim::HartReply{2, {}}, {"Неизвестная ошибка при чтении количества преамбул!"}, true, "9"},
        {"code 0, value cut short",
         sim::HartReply{0, {22, 0, 0}},
         {"Неизвестная ошибка при чтении количества преамбул!"},
         true,
         "9"},
        {"code 0, count 12", sim::HartReply{0, {22, 0, 0, 1, 12}}, {}, true, "12"},
    };
    for (const auto& c : cases) {
        SimBench b("rev14");
        MarkIdentified(b);
        if (c.reply) {
            b.device().commands()[176] = [r = *c.reply](sim::SimDevice&, const sim::HartRequest&) { return r; };
        } else {
            b.device().profile().settings.erase(22);
        }
        std::vector<std::string> offered;
        b.ui.onDialog<PreamblesDialog>("PreamblesDialog", [&offered](PreamblesDialog& d) {
            offered.push_back(d.text);
            return false;
        });
        PreamblesCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(!offered.empty(), c.dialog) << c.name;
        if (c.dialog && !offered.empty()) {
            EXPECT_EQ(offered[0], c.offered) << c.name;
        }
        EXPECT_FALSE(b.ui.progressOpen) << c.name;
        EXPECT_TRUE(b.ui.mainMenuPresent) << c.name;
    }
}

TEST(Preambles, ReadStoppedByTheUser) {
    SimBench b("rev14");
    MarkIdentified(b);
    b.faults().set(sim::Fault::NoAnswer, true);
    bool menuGoneDuringRead = false;
    b.ui.onProcessEvents = [&] {
        menuGoneDuringRead = !b.ui.mainMenuPresent;
        KeyHook(b.state.flags, kKeyEsc);
    };
    PreamblesCommand(b.state);
    EXPECT_TRUE(menuGoneDuringRead);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не могу прочитать количество преамбул в ответе!"});
    EXPECT_TRUE(b.ui.dialogsShown.empty());
    EXPECT_TRUE(b.ui.mainMenuPresent);
    EXPECT_FALSE(b.ui.progressOpen);
    // The message comes after the window and the menu are back.
    const auto& e = b.ui.events;
    const auto closed = std::find(e.begin(), e.end(), "progress closed");
    const auto restored = std::find(e.begin(), e.end(), "menu restored");
    const auto shown = std::find_if(e.begin(), e.end(), [](const auto& s) { return s.rfind("message", 0) == 0; });
    EXPECT_LT(closed, shown);
    EXPECT_LT(restored, shown);
}

TEST(Preambles, Command59OnOtherFirmware) {
    struct Case {
        std::optional<std::uint8_t> code;  // nothing: the simulated device's own answer
        std::vector<std::string> messages;
        int preamblesAfter;
    } cases[] = {
        {std::nullopt, {"Параметр успешно записан!"}, 20},
        {24, {"Ошибка энергонезависимой памяти при записи преамбул!"}, 5},
        // The write lock asks whether to repeat, as every write the device can lock does.
        {7,
         {"Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
          "Повторить попытку?"},
         5},
        {16,
         {"Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
          "Повторить попытку?"},
         5},
        {2, {"Неизвестная ошибка при записи параметра !"}, 5},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        MarkIdentified(b);
        const auto log = Record(b);
        if (c.code)
            b.device().commands()[59] = [code = *c.code](sim::SimDevice&, const sim::HartRequest&) {
                return sim::HartReply{code, {}};
            };
        std::vector<std::string> offered;
        TypeCounts(b, {"20"}, offered);
        PreamblesCommand(b.state);
        ASSERT_EQ(offered.size(), 1u);
        EXPECT_EQ(offered[0], "5");
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << int(c.code.value_or(0));
        EXPECT_EQ(b.state.identity.responsePreambles, c.preamblesAfter);
        EXPECT_EQ(b.ui.progressTexts.back(), "Запись кол-ва преамбул : 1");
        if (!c.code) {
            ASSERT_EQ(log->size(), 1u);
            EXPECT_EQ((*log)[0].command, 59);
            EXPECT_EQ((*log)[0].data, std::vector<std::uint8_t>{20});
        }
    }
}

TEST(Preambles, NotANumberEndsTheCommand) {
    SimBench b("rev6");
    MarkIdentified(b);
    std::vector<std::string> offered;
    TypeCounts(b, {"abc"}, offered);
    PreamblesCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"«abc» не является целым числом."});
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(offered.size(), 1u);
    EXPECT_EQ(b.device().answered, 0u);
}

TEST(Preambles, UnknownCountIdentifiesAgain) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.state.identity.responsePreambles = 0;
    const auto log = Record(b);
    std::vector<std::string> offered;
    b.ui.onDialog<PreamblesDialog>("PreamblesDialog", [&offered](PreamblesDialog& d) {
        offered.push_back(d.text);
        return false;
    });
    PreamblesCommand(b.state);
    ASSERT_FALSE(log->empty());
    EXPECT_EQ((*log)[0].command, 0);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], "5") << "learnt from command 0";
}

TEST(Preambles, FamilyWriteRefused) {
    SimBench b("rev14");
    MarkIdentified(b);
    b.device().lock(7);
    std::vector<std::string> offered;
    TypeCounts(b, {"7"}, offered);
    PreamblesCommand(b.state);  // the repeat question is declined (unscripted: No)
    ASSERT_FALSE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.messages.back().text, "Не удалось записать параметр !");
    EXPECT_EQ(b.state.identity.responsePreambles, 5);
}

}  // namespace
}  // namespace quillon::testing
