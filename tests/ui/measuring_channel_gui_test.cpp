#include <gtest/gtest.h>

#include <QRadioButton>

#include "device/measuring_channel.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// The channel question through the registered form: items per revision,
// the current channel preselected, the choice taken on OK only.
TEST(MeasuringChannelForm, ShowsTheItemsAndTakesTheChoiceOnOk) {
    UiBench b("rev16");
    b.start();
    for (bool accept : {true, false}) {
        b.state.identity.softwareRevision = 16;
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        b.state.identity.selectedChannel = 0;
        QStringList items;
        int preselected = -2;
        std::string name;
        b.ui.onDialogShown = [&](QDialog& d) {
            name = FromQ(d.objectName());
            auto* group = Child<ui::RadioGroup>(&d, "ChannelRadioGroup");
            ASSERT_NE(group, nullptr);
            items = group->items();
            preselected = group->itemIndex();
            group->button(1)->click();
            Click(&d, accept ? "OkBitBtn" : "CancelBitBtn");
        };
        EXPECT_EQ(AskMeasuringChannel(b.state), accept);
        EXPECT_EQ(name, "TGetChannelForm");
        EXPECT_EQ(items, (QStringList{"Канал АЦП", "Канал I2C"}));
        EXPECT_EQ(preselected, 0);
        EXPECT_EQ(b.state.identity.selectedChannel, accept ? 1 : 0);
        if (accept) {
            EXPECT_EQ(b.state.identity.calibrationPointCount, 8);
        }
    }
}

}  // namespace
}  // namespace quillon::uitest
