#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "device/dialogs.h"
#include "device/response_codes.h"

namespace quillon::cli {
namespace {

struct QuestionCase {
    const char* name;
    std::string text;
    MessageButtons buttons;
    bool yes;
    MessageAnswer answer;
    bool refused;  // the run ends with the usage status, naming --yes
};

TEST(CliUserInterface, AnswersTheCoresQuestionsFromItsFlags) {
    const std::vector<QuestionCase> cases = {
        {"write lock, even with --yes", kWriteProtectedQuestion, MessageButtons::YesNo, true, MessageAnswer::No, false},
        {"pairs' write lock", "Запись запрещена. Возможно, нужно нажать кнопку на корпусе датчика. Повторить?",
         MessageButtons::YesNo, true, MessageAnswer::No, false},
        {"existing file, confirmed", "Файл a.clb уже существует. Отменить запись?", MessageButtons::YesNo, true,
         MessageAnswer::No, false},
        {"existing file, unconfirmed", "Файл a.clb уже существует. Отменить запись?", MessageButtons::YesNo, false,
         MessageAnswer::Yes, true},
        {"give up a stopped write", "Отменить запись калибровки?", MessageButtons::YesNo, true, MessageAnswer::Yes,
         false},
        {"wrong length, no endless repeat", "Получена неправильная длина ответа. Повторить попытку?",
         MessageButtons::YesNo, true, MessageAnswer::No, false},
        {"a change, confirmed", "Записать новые значения?", MessageButtons::OkCancel, true, MessageAnswer::Ok, false},
        {"a change, unconfirmed", "Записать новые значения?", MessageButtons::OkCancel, false, MessageAnswer::Cancel,
         true},
        {"density meter's period", "Данное устройство-плотномер.\nВыводить значение периода?", MessageButtons::YesNo,
         true, MessageAnswer::No, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream data, messages;
        Output out(data, messages, false);
        CliUserInterface ui(out, {c.yes, false, false});
        EXPECT_EQ(ui.message(MessageIcon::Confirmation, c.text, c.buttons, {}), c.answer);
        EXPECT_EQ(ui.refusedForYes(), c.refused);
        EXPECT_EQ(messages.str().find("--yes") != std::string::npos, c.refused) << messages.str();
        EXPECT_TRUE(data.str().empty()) << "questions are messages, not results";
    }
}

TEST(CliUserInterface, DialogsAreAnsweredOnceThenCancelled) {
    std::ostringstream data, messages;
    Output out(data, messages, false);
    CliUserInterface ui(out, {});
    ShortAddressDialog d;
    EXPECT_FALSE(ui.show(d)) << "nobody expects this dialog";
    ui.answerDialog<ShortAddressDialog>("ShortAddressDialog", [](ShortAddressDialog& s) {
        s.value = 7;
        return true;
    });
    EXPECT_TRUE(ui.show(d));
    EXPECT_EQ(d.value, 7);
    // The core shows a dialog again when it refused the entries: a script
    // cannot type anew, so the command ends.
    EXPECT_FALSE(ui.show(d));
}

TEST(CliSettingValue, ParsesIntegersBitsAndSingles) {
    const std::vector<std::tuple<std::string, bool, std::optional<std::uint32_t>>> cases = {
        {"1000", false, 0x000003E8},      {"0x3E8", false, 0x000003E8}, {"-1", false, 0xFFFFFFFF},
        {"4294967295", false, 0xFFFFFFFF}, {"4294967296", false, std::nullopt}, {"1.5", false, 0x3FC00000},
        {"1", true, 0x3F800000},          {"-2e0", false, 0xC0000000},  {"12ab", false, std::nullopt},
        {"0x", false, std::nullopt},      {"", false, std::nullopt},    {"1.5x", false, std::nullopt},
        // A single cannot carry these: the windows refuse them, so does the command line.
        {"1e39", false, std::nullopt},    {"-1e39", false, std::nullopt}, {"nan", true, std::nullopt},
        {"inf", true, std::nullopt},      {"1,5", false, 0x3FC00000},
    };
    for (const auto& [text, asFloat, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseSettingValue(text, asFloat), expected);
    }
}

}  // namespace
}  // namespace quillon::cli
