#include <gtest/gtest.h>

#include <memory>

#include "device/addressing.h"
#include "device/dialogs.h"
#include "device_test_support.h"
#include "polling_test_support.h"

namespace {
constexpr const char* kLocked =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика.";
constexpr const char* kLockedRepeat =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
    "Повторить попытку?";
}  // namespace

namespace quillon::testing {
namespace {

struct SeenRequest {
    int command;
    bool longFrame;
    std::vector<std::uint8_t> data;
};

// Records every request that reaches a command handler of the device.
std::shared_ptr<std::vector<SeenRequest>> RecordRequests(SimBench& b) {
    auto log = std::make_shared<std::vector<SeenRequest>>();
    for (auto& [command, handler] : b.device().commands()) {
        handler = [log, command = command, inner = handler](sim::SimDevice& d, const sim::HartRequest& q) {
            log->push_back({command, q.longFrame, q.data});
            return inner(d, q);
        };
    }
    return log;
}

void ChooseShortAddress(SimBench& b, int value) {
    b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [value](ShortAddressDialog& d) {
        d.value = value;
        return true;
    });
}

TEST(ShortAddress, SameAddressSendsNothing) {
    SimBench b("rev6");
    MarkIdentified(b);
    ChooseShortAddress(b, b.state.settings.shortAddress);
    ChangeShortAddrCommand(b.state);
    EXPECT_EQ(b.device().answered, 0u);
    EXPECT_TRUE(b.ui.progressTexts.empty());
    EXPECT_TRUE(b.state.identity.identified);
}

TEST(ShortAddress, StandardAndOlderFirmware) {
    struct Case {
        const char* preset;
        int command;
        bool longFrame;
    } cases[] = {{"rev6", 6, true}, {"rev14", 6, true}, {"rev3", 119, false}, {"rev4", 119, false}};
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        b.state.identity.sensorIdKnown = true;
        const auto log = RecordRequests(b);
        b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [](ShortAddressDialog& d) {
            EXPECT_EQ(d.caption, "Изменение короткого адреса");
            EXPECT_EQ(d.minimum, 0);
            EXPECT_EQ(d.maximum, 15);
            EXPECT_EQ(d.value, 0) << "the current address is offered";
            d.value = 5;
            return true;
        });
        ChangeShortAddrCommand(b.state);
        ASSERT_EQ(log->size(), 1u) << c.preset;
        EXPECT_EQ((*log)[0].command, c.command) << c.preset;
        EXPECT_EQ((*log)[0].longFrame, c.longFrame) << c.preset;
        EXPECT_EQ((*log)[0].data, std::vector<std::uint8_t>{5}) << c.preset;
        EXPECT_EQ(b.ui.progressTexts.back(), "Меняю короткий адрес. Попытка 1") << c.preset;
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные успешно записаны!"}) << c.preset;
        EXPECT_EQ(b.device().profile().shortAddress, 5) << c.preset;
        EXPECT_EQ(b.state.settings.shortAddress, 5) << c.preset;
        EXPECT_FALSE(b.state.identity.identified) << c.preset;
        EXPECT_FALSE(b.state.identity.sensorIdKnown) << c.preset;
        EXPECT_EQ(b.ui.mainCaption, "Обслуживание датчиков температуры. Порт sim0. Адрес 5") << c.preset;
    }
}

TEST(ShortAddress, WriteProtectionAsksToRepeat) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.device().lock(16);
    ChooseShortAddress(b, 7);
    // The user presses the device's button while the first refusal comes in.
    b.ui.onProcessEvents = [&] {
        if (b.device().answered >= 1) b.device().pressButton();
    };
    b.ui.answerMessages({MessageAnswer::Yes, MessageAnswer::Yes});
    ChangeShortAddrCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{kLocked, "Повторить попытку?", "Данные успешно записаны!"}));
    EXPECT_EQ(b.ui.messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(b.state.settings.shortAddress, 7);

    SimBench no("rev6");
    MarkIdentified(no);
    no.device().lock(7);
    ChooseShortAddress(no, 7);
    no.ui.answerMessages({MessageAnswer::Yes, MessageAnswer::No});
    ChangeShortAddrCommand(no.state);
    EXPECT_EQ(no.ui.messageTexts(), (std::vector<std::string>{kLocked, "Повторить попытку?"}));
    EXPECT_EQ(no.state.settings.shortAddress, 0);
    EXPECT_TRUE(no.state.identity.identified);
}

TEST(ShortAddress, WriteProtectionThroughTheFlowComputerAsksToRepeat) {
    // Code 16 read from the answer's own layout after the tunnel unwrapped it.
    for (int format : {11, 33}) {
        SimBench b("rev6");
        b.useFlowComputer({.address = 9, .password = "pw", .format = format, .line = 2});
        MarkIdentified(b);
        b.device().lock(16);
        ChooseShortAddress(b, 7);
        b.ui.onProcessEvents = [&] {
            if (b.device().answered >= 1) b.device().pressButton();
        };
        b.ui.answerMessages({MessageAnswer::Yes, MessageAnswer::Yes});
        ChangeShortAddrCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  (std::vector<std::string>{kLocked, "Повторить попытку?", "Данные успешно записаны!"}))
            << format;
        EXPECT_EQ(b.device().answered, 2u) << format;
        EXPECT_EQ(b.device().profile().shortAddress, 7) << format;
        EXPECT_EQ(b.state.settings.shortAddress, 7) << format;
    }
}

TEST(ShortAddress, FailuresLeaveTheAddress) {
    struct Case {
        const char* preset;
        std::optional<std::uint8_t> code;  // nothing: the device does not answer
        std::vector<std::string> messages;
    } cases[] = {
        {"rev3", 6, {"Ошибка flash-памяти при записи!"}},
        {"rev3", 2, {"Неизвестная ошибка при записи короткого адреса!"}},
        {"rev6", 2, {"Ошибка! Плохой адрес!"}},
        // The request went out and its answer was lost: what the device holds is unknown.
        {"rev6", std::nullopt,
         {"Не удалось записать новый короткий адрес!\nОтвет на запись не получен: неизвестно, приняло ли устройство "
          "новые данные."}},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        if (c.code) {
            for (int command : {6, 119})
                b.device().commands()[static_cast<std::uint8_t>(command)] = [code = *c.code](sim::SimDevice&,
                                                                                             const sim::HartRequest&) {
                    return sim::HartReply{code, {}};
                };
        } else {
            b.faults().set(sim::Fault::NoAnswer, true);
        }
        ChooseShortAddress(b, 9);
        ChangeShortAddrCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.preset;
        EXPECT_EQ(b.state.settings.shortAddress, 0) << c.preset;
        EXPECT_TRUE(b.state.identity.identified) << c.preset;
        if (!c.code) {
            EXPECT_EQ(b.ui.progressTexts.back(), "Меняю короткий адрес. Попытка 5");
        }
    }
}

TEST(LongAddress, DeviceIdBytesAreOneOrTwoHexDigits) {
    struct Case {
        const char* text;
        std::optional<std::uint8_t> value;
    } cases[] = {
        {"a", 0x0A},           {"0B", 0x0B},       {"fF", 0xFF},         {"00", 0x00},         {"g1", std::nullopt},
        {"123", std::nullopt}, {"", std::nullopt}, {" 1", std::nullopt}, {"-1", std::nullopt}, {"x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDeviceIdByte(c.text), c.value) << c.text;
    EXPECT_EQ(HexByteText(0x0A), "0A");
    EXPECT_EQ(HexByteText(0xF3), "F3");
}

// Bad entries bring the dialog back; the good one goes out with command 19.
TEST(LongAddress, DialogShownAgainUntilTheBytesParse) {
    SimBench b("rev8");
    MarkIdentified(b);
    const auto log = RecordRequests(b);
    const auto before = b.state.identity.longAddress;
    int shown = 0;
    auto handler = [&](LongAddressDialog& d) {
        ++shown;
        if (shown == 1) {
            for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(d.edits[i], HexByteText(before[i])) << i;
            d.edits[2] = "g1";
        } else if (shown == 2) {
            d.edits[2] = "123";
        } else {
            d.edits = {"zz", "zz", "a", "0b", "C"};  // the first two are not the user's to change
        }
        return true;
    };
    for (int i = 0; i < 3; ++i) b.ui.onDialog<LongAddressDialog>("LongAddressDialog", handler);
    ChangeLongAddrCommand(b.state);

    EXPECT_EQ(shown, 3);
    ASSERT_GE(b.ui.messages.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(b.ui.messages[i].text, "Ошибка в длинном адресе!");
        EXPECT_EQ(b.ui.messages[i].caption, "Ошибка!");
    }
    ASSERT_EQ(log->size(), 1u);
    EXPECT_EQ((*log)[0].command, 19);
    EXPECT_EQ((*log)[0].data, (std::vector<std::uint8_t>{0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(b.ui.messages.back().text, "Данные были успешно отправлены и приняты к исполнению!");
    EXPECT_EQ(b.device().profile().longAddress[2], 0x0A);
    EXPECT_EQ(b.device().profile().longAddress[0], before[0]);
    EXPECT_FALSE(b.state.identity.identified);
    EXPECT_EQ(b.state.identity.longAddress, before) << "the next identification learns the new one";
}

void EnterDeviceId(SimBench& b, const char* e3, const char* e4, const char* e5) {
    b.ui.onDialog<LongAddressDialog>("LongAddressDialog", [=](LongAddressDialog& d) {
        d.edits[2] = e3;
        d.edits[3] = e4;
        d.edits[4] = e5;
        return true;
    });
}

TEST(LongAddress, ParameterBlockIndexByVariant) {
    struct Case {
        const char* preset;
        std::uint16_t index;
    } cases[] = {{"rev3-hw1", 105}, {"rev3", 127}, {"rev3-hw2", 127}};
    for (const auto& c : cases) {
        SimBench b(c.preset);
        MarkIdentified(b);
        b.device().profile().longAddressIndex = c.index;
        const auto log = RecordRequests(b);
        EnterDeviceId(b, "01", "02", "03");
        ChangeLongAddrCommand(b.state);
        ASSERT_EQ(log->size(), 2u) << c.preset;
        EXPECT_EQ((*log)[0].command, 190) << c.preset;
        // Index least significant byte first, the three bytes, check byte 0x4D ^ 1 ^ 2 ^ 3.
        EXPECT_EQ((*log)[0].data, (std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.index), 0, 1, 2, 3, 0x4D}))
            << c.preset;
        EXPECT_EQ((*log)[1].command, 192) << c.preset;
        EXPECT_EQ((*log)[1].data, std::vector<std::uint8_t>{1}) << c.preset;
        EXPECT_EQ(b.ui.progressTexts,
                  (std::vector<std::string>{"Запрос к  устройству ...", "Пишу длинный адрес. Попытка 1",
                                            "Запрос к  устройству ...", "Переопрос длинного адреса. Попытка 1"}))
            << c.preset;
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"Данные были успешно отправлены и приняты к исполнению!"})
            << c.preset;
        EXPECT_EQ(b.device().profile().longAddress[4], 3) << c.preset;
        EXPECT_FALSE(b.state.identity.identified) << c.preset;
    }
}

TEST(LongAddress, ParameterBlockRefusedAndNotConfirmed) {
    SimBench b("rev3");
    MarkIdentified(b);
    b.device().commands()[190] = [](sim::SimDevice&, const sim::HartRequest&) { return sim::HartReply{2, {}}; };
    auto confirms = CountRequests(b, 192);
    EnterDeviceId(b, "01", "02", "03");
    ChangeLongAddrCommand(b.state);
    // A refused staging is not confirmed: the device would take whatever its block held.
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Произошла ошибка при записи длинного адреса!"});
    EXPECT_EQ(*confirms, 0);
    EXPECT_FALSE(b.state.identity.identified);

    // A confirmation answer without data is not an acceptance.
    SimBench empty("rev3");
    MarkIdentified(empty);
    empty.device().commands()[192] = [](sim::SimDevice&, const sim::HartRequest&) { return sim::HartReply{0, {}}; };
    EnterDeviceId(empty, "01", "02", "03");
    ChangeLongAddrCommand(empty.state);
    EXPECT_EQ(empty.ui.messageTexts(),
              std::vector<std::string>{"Ошибка при перепроверке параметров! Данные не приняты к исполнению!\nЗапись "
                                       "прервана: выполнено 1 из 2. Новый адрес записан в блок параметров, но не "
                                       "подтверждён: устройство может отвечать по прежнему адресу."});
}

TEST(LongAddress, WriteLockOnCommand19) {
    SimBench b("rev8");
    MarkIdentified(b);
    b.device().lock(7);
    EnterDeviceId(b, "01", "02", "03");
    b.ui.onProcessEvents = [&] {
        if (b.device().answered >= 1) b.device().pressButton();
    };
    b.ui.answerMessages({MessageAnswer::Yes});
    ChangeLongAddrCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{kLockedRepeat, "Данные были успешно отправлены и приняты к исполнению!"}));
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(b.device().profile().longAddress[2], 1);
}

TEST(LongAddress, RefusedOrAbandoned) {
    SimBench old("rev4");
    MarkIdentified(old);
    ChangeLongAddrCommand(old.state);
    EXPECT_EQ(old.ui.messageTexts(), std::vector<std::string>{"Эта функция недоступна для текущей версии датчика!"});
    EXPECT_TRUE(old.ui.dialogsShown.empty());

    SimBench cancelled("rev8");
    MarkIdentified(cancelled);
    ChangeLongAddrCommand(cancelled.state);  // no handler: the dialog is cancelled
    EXPECT_EQ(cancelled.device().answered, 0u);
    EXPECT_TRUE(cancelled.state.identity.identified);

    // The user stops the endless attempts: the identity stays as it was.
    SimBench stopped("rev8");
    MarkIdentified(stopped);
    stopped.faults().set(sim::Fault::NoAnswer, true);
    EnterDeviceId(stopped, "01", "02", "03");
    stopped.ui.onProcessEvents = [&] {
        if (stopped.ui.progressTexts.back() == "Пишу длинный адрес. Попытка 3") KeyHook(stopped.state.flags, kKeyEsc);
    };
    ChangeLongAddrCommand(stopped.state);
    EXPECT_EQ(stopped.ui.messageTexts(),
              std::vector<std::string>{"Не удалось записать длинный адрес!\nОтвет на запись не получен: неизвестно, "
                                       "приняло ли устройство новые данные."});
    EXPECT_TRUE(stopped.state.identity.identified);
    EXPECT_FALSE(stopped.ui.progressOpen);
}

}  // namespace
}  // namespace quillon::testing
