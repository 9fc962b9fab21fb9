#include <gtest/gtest.h>

#include <algorithm>

#include "device/dialogs.h"
#include "device/modbus_address.h"
#include "polling_test_support.h"
#include "device/menu_items.h"

namespace quillon::testing {
namespace {

// Revision 10 has a Modbus address on the direct link's RS-485 speed options.
constexpr int kRs485Speed = 2;

TEST(ModbusAddress, ReadChooseAndWrite) {
    SimBench b("rev10");
    b.state.settings.hartSpeedIndex = kRs485Speed;
    MarkIdentified(b);
    b.device().profile().settings[3] = 0x00000711;  // only the low byte is the address
    b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [](ShortAddressDialog& d) {
        EXPECT_EQ(d.caption, "Modbus-адрес [1-247]");
        EXPECT_EQ(d.okCaption, "Записать");
        EXPECT_EQ(d.minimum, 1);
        EXPECT_EQ(d.maximum, 247);
        EXPECT_EQ(d.value, 0x11);
        d.value = 200;
        return true;
    });
    ChangeModbusAddrCommand(b.state);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.device().profile().settings[3], 200u);
    EXPECT_EQ(b.state.modbusAddress, 200);
    EXPECT_EQ(b.ui.progressTexts[1], "Читаю Modbus-адрес: 1");
    EXPECT_EQ(b.ui.progressTexts.back(), "Запись Modbus-адреса . 1");
    EXPECT_TRUE(b.ui.mainMenuPresent);
}

TEST(ModbusAddress, ADeviceWithoutOneIsRefusedAfterIdentification) {
    // The item stayed visible from an earlier device; the link then led to
    // another, which identification finds to have no Modbus address.
    struct Case {
        const char* preset;
        int hartSpeed;
        bool allowed;
    } cases[] = {
        {"rev10", kRs485Speed, true}, {"rev10", 0, false}, {"rev11-hw1", 0, true}, {"rev6", kRs485Speed, false}};
    for (const auto& c : cases) {
        SimBench b(c.preset, true);
        b.state.settings.hartSpeedIndex = c.hartSpeed;
        b.state.identity.identified = false;  // the link changed since the item was shown
        b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [](ShortAddressDialog&) { return false; });
        ChangeModbusAddrCommand(b.state);
        EXPECT_TRUE(b.state.identity.identified) << c.preset;
        EXPECT_FALSE(b.ui.menuVisible.at(menu::ChangeModbusAddrItem) && !c.allowed) << c.preset;
        const bool read = std::find(b.ui.progressTexts.begin(), b.ui.progressTexts.end(), "Читаю Modbus-адрес: 1") !=
                          b.ui.progressTexts.end();
        EXPECT_EQ(read, c.allowed) << c.preset;
        const auto texts = b.ui.messageTexts();
        const bool refused =
            std::find(texts.begin(), texts.end(), "Эта функция недоступна для текущей версии датчика!") != texts.end();
        EXPECT_EQ(refused, !c.allowed) << c.preset;
    }
}

TEST(ModbusAddress, UnchangedOrCancelledWritesNothing) {
    for (bool ok : {true, false}) {
        SimBench b("rev10");
        b.state.settings.hartSpeedIndex = kRs485Speed;
        MarkIdentified(b);
        b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [ok](ShortAddressDialog&) { return ok; });
        ChangeModbusAddrCommand(b.state);
        EXPECT_EQ(b.device().answered, 1u) << "only the read";
        EXPECT_EQ(b.state.modbusAddress, 1);
    }
}

TEST(ModbusAddress, ReadFailures) {
    struct Case {
        const char* name;
        std::optional<sim::HartReply> reply;  // nothing: the device never answers, the user stops
        const char* message;
    } cases[] = {
        {"code 1", sim::HartReply{1, {3}}, "Датчик не поддерживает данный параметр!"},
        {"code 3", sim::HartReply{3, {}}, "Данное устройство не поддерживает изменение этого параметра!"},
        {"code 4", sim::HartReply{4, {}}, "Данное устройство не поддерживает изменение этого параметра!"},
        {"code 2", sim::HartReply{2, {}}, "Неизвестная ошибка при чтении Modbus-адреса!"},
        {"value cut short", sim::HartReply{0, {3, 0}}, "Неизвестная ошибка при чтении Modbus-адреса!"},
        {"stopped", std::nullopt, "Не удалось прочитать Modbus-адрес!"},
    };
    for (const auto& c : cases) {
        SimBench b("rev10");
        b.state.settings.hartSpeedIndex = kRs485Speed;
        MarkIdentified(b);
        if (c.reply) {
            b.device().commands()[176] = [r = *c.reply](sim::SimDevice&, const sim::HartRequest&) { return r; };
        } else {
            b.faults().set(sim::Fault::NoAnswer, true);
            b.ui.onProcessEvents = [&b] { KeyHook(b.state.flags, kKeyEsc); };
        }
        ChangeModbusAddrCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(b.ui.dialogsShown.empty()) << c.name;
        EXPECT_TRUE(b.ui.mainMenuPresent) << c.name;
        EXPECT_FALSE(b.ui.progressOpen) << c.name;
    }
}

TEST(ModbusAddress, WriteRefused) {
    SimBench b("rev10");
    b.state.settings.hartSpeedIndex = kRs485Speed;
    MarkIdentified(b);
    b.device().commands()[177] = [](sim::SimDevice&, const sim::HartRequest&) { return sim::HartReply{3, {}}; };
    b.ui.onDialog<ShortAddressDialog>("ShortAddressDialog", [](ShortAddressDialog& d) {
        d.value = 5;
        return true;
    });
    ChangeModbusAddrCommand(b.state);
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Ошибка при записи в энергонезависимую память параметра 3 !",
                                        "Не удалось записать параметр !"}));
    EXPECT_EQ(b.state.modbusAddress, 1);
}

}  // namespace
}  // namespace quillon::testing
