// Every window of the tool, opened the way the tool opens it, looked at for
// text that does not fit and for a Tab order that wanders. The same walk runs
// again under QT_SCALE_FACTOR=1.25 (see CMakeLists.txt).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <functional>
#include <set>

#include "calibration/calibration_command.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_view.h"
#include "device/correction_fit_dialog.h"
#include "calibration/point_count.h"
#include "device/density_constants.h"
#include "device/dialogs.h"
#include "device/loop_scan.h"
#include "device/measurement_parameters.h"
#include "device/value_correction.h"
#include "frontend/adc_settings.h"
#include "frontend/dac_dialogs.h"
#include "frontend/fixed_output.h"
#include "device/measuring_channel.h"
#include "frontend/pwm_calibration.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/link_dialog.h"
#include "link/link_settings.h"
#include "link/serial_link.h"
#include "link/live_view.h"
#include "ui/live_form.h"
#include "ui/monitor/monitor_form.h"
#include "ui/progress_form.h"
#include "ui/qt_live_view.h"
#include "clipped_texts.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "device/menu_items.h"
#include "frontend/menu_items.h"
#include "calibration/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// Where a widget stands in reading order: a step down, or a step into a column to the right.
bool ReadsAfter(const QRect& a, const QRect& b) { return b.top() >= a.top() || b.left() >= a.right(); }

// The widgets Tab visits in `window`, in the order it visits them.
std::vector<QWidget*> TabChain(QWidget& window) {
    std::vector<QWidget*> chain;
    std::set<QWidget*> seen;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window && seen.insert(w).second;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || !w->isVisibleTo(&window) || !w->isEnabled() ||
            w->focusProxy() || !Inside(w, window))
            continue;
        chain.push_back(w);
    }
    return chain;
}

// Tab goes down and across the fields as one reads them and ends on the buttons.
std::vector<std::string> TabOrderFaults(QWidget& window) {
    std::vector<std::string> faults;
    const auto chain = TabChain(window);
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const QRect a(chain[i - 1]->mapTo(&window, QPoint(0, 0)), chain[i - 1]->size());
        const QRect b(chain[i]->mapTo(&window, QPoint(0, 0)), chain[i]->size());
        if (!ReadsAfter(a, b)) faults.push_back(Describe(chain[i]) + " comes after " + Describe(chain[i - 1]));
    }
    if (qobject_cast<QDialog*>(&window) && !chain.empty() && !qobject_cast<QPushButton*>(chain.back()))
        faults.push_back("Tab ends on " + Describe(chain.back()) + ", not on a button");
    return faults;
}

struct Window {
    std::string name;
    std::vector<std::string> clipped;
    std::vector<std::string> tabFaults;
};

// Opens every window of the tool once and looks at each while it is shown.
class Walk {
public:
    Walk() {
        b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
        b.start();
        // The main window as it opens on that screen (the off-screen one is smaller).
        const qreal scale = b.form->devicePixelRatioF();
        b.form->resize(QSize(static_cast<int>((kScreenWidth - 16) / scale), static_cast<int>((kScreenHeight - 48) / scale)));
        b.form->show();
        b.ui.onDialogShown = [this](QDialog& d) {
            look(d);
            d.reject();
        };
    }

    template <typename Record>
    void dialog(Record record) {
        if constexpr (requires { Record::kDialogName; }) shownNames.insert(Record::kDialogName);
        b.ui.show(record);
    }

    void look(QWidget& w) {
        QCoreApplication::processEvents();
        // QUILLON_FORM_SHOTS=<folder> keeps a picture of each window, to look at by eye.
        if (const QString shots = qEnvironmentVariable("QUILLON_FORM_SHOTS"); !shots.isEmpty())
            w.grab().save(shots + "/" + QString::number(windows.size()) + "-" + w.objectName() + ".png");
        windows.push_back({FromQ(w.objectName()), ClippedTexts(w), TabOrderFaults(w)});
    }

    void run() {
        // The registered records, each with what the tool puts in it.
        // The calibration file dialog is Qt's own: counted, not judged.
        shownNames.insert(CalibrationFileDialog::kDialogName);
        dialog(LoopScanDialog{});
        {
            // The widest rows a scan finds: the longest variant text, a long tag of its 32 characters.
            LoopScanDialog scan;
            DeviceIdentity id;
            id.softwareRevision = 15;
            for (std::uint8_t address : {0, 15, 63}) {
                LoopScanRow row;
                row.shortAddress = address;
                row.longAddress = {0x26, 0x16, 0x01, 0x00, 0x20};
                row.universalRevision = 7;
                row.softwareRevision = 15;
                row.deviceRevision = 12;
                row.hardwareRevision = 10;
                row.variant = DerivedVariantText(id);
                row.tag = "TT-101 REACTOR FEED LINE 2 INLET";
                scan.rows.push_back(row);
            }
            dialog(scan);
        }
        dialog(MeasParamsDialog{});
        dialog(MeasParamsMultitDialog{});
        dialog(KatPotParamsDialog{});
        dialog(ChangeMeasParamsDialog{});
        {
            PopravkaDialog correction;
            correction.offsetText = "0.000";
            correction.factorText = "1.000";
            dialog(correction);
        }
        dialog(PlotnoConstDialog{});
        dialog(CalibrationTypeDialog{});
        dialog(CalibrationPointDialog{});
        {
            ShowCalibrationDialog view;
            view.lines = {"1) Код: 1200000     Тем-ра : -50         Наклон : 0.00005000",
                          "2) Код: 3250000     Тем-ра : 52.5        Наклон : 0.00005000",
                          "3) Код: 4700000     Тем-ра : 125         "};
            view.chart.points = {{1200000, -50}, {3250000, 52.5}, {4700000, 125}};
            view.chart.xTitle = "Код АЦП";
            view.chart.yTitle = "Значение";
            view.chart.extraPoint.emplace(61000, 1.408);
            view.chart.extraPointName = "Добавочная точка";
            view.enabledBoxVisible = true;
            dialog(view);
        }
        dialog(PodborCoefDialog{});
        {
            PointCountDialog count;
            count.label = "Введите количество точек (2-8):";
            count.text = "2";
            dialog(count);
        }
        {
            MeasuringChannelDialog channel;
            channel.items = {"Канал АЦП", "Канал I2C"};
            dialog(channel);
        }
        {
            PwmDutyDialog duty;
            duty.label = "Скважность ШИМ [0-65535] :";
            dialog(duty);
        }
        dialog(PwmPointDialog{});
        dialog(PwmCalibrationDialog{});
        dialog(VelkorAdcDialog{});
        dialog(UnitsMeasureDialog{});
        dialog(CurrentToValueDialog{});
        dialog(DacScalingDialog{});
        dialog(DacRecordDialog{});
        dialog(PwmMenuDialog{});
        dialog(FixTokDialog{});

        // The dialogs of the link and of identification.
        LinkDialog link;
        link.caption = "Параметры связи";
        link.portItems = {"Не выбран", "ttyS7", "ttyUSB0"};
        link.firstByteText = "1000";
        link.nextByteText = "300";
        dialog(link);
        for (int type : {kLinkTunnel, kHartIpLinkItem}) {
            link.linkType = type;
            dialog(link);
        }
        dialog(ChannelDialog{});
        ChannelDialog current;
        current.caption = "Текущие каналы";
        current.editable = false;
        current.channel1Active = true;
        dialog(current);
        dialog(SerialStringDialog{});
        dialog(RequestChoiceDialog{});
        dialog(ShortAddressDialog{});
        dialog(LongAddressDialog{});
        dialog(PreamblesDialog{});
        IdentityWindow identity;
        identity.labels = {"26h 16h 01h 00h 20h", "Software Revision Level : 16.", "Device Revision Level : 1.",
                           "Hardware Revision Level : 0.", "T версии 16 с работой АЦП и датчика I2C"};
        identity.label5Visible = true;
        dialog(identity);

        // A message box: a short text makes it narrow, and its title is the program's name.
        b.ui.answerMessage = nullptr;
        b.ui.message(MessageIcon::Information, "Короткий адрес : 5 !", MessageButtons::Ok);

        // The progress window with the longest action text the tool gives it.
        b.ui.showProgress("Пишу параметры преобразования. Попытка 12");
        look(*b.ui.progressWindow());
        b.ui.closeProgress();

        // The windows of the long loops, inside the main window.
        for (LiveViewKind kind : {live_view::Statistics, live_view::ShowAll, live_view::Calibration,
                                  live_view::CalibrationAmbient, live_view::CodeView}) {
            auto view = b.ui.openLiveView(kind);
            view->show();
            auto* live = static_cast<ui::QtLiveView*>(view.get());
            if (!live->form()) continue;
            look(*live->form());
            // Its frame inside the main window, whole.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(live->form()->parentWidget())) {
                if (!b.form->mdiArea()->viewport()->rect().contains(sub->geometry()))
                    windows.back().clipped.push_back("does not fit the main window's client area");
                for (const std::string& cut : TitleCut(*sub)) windows.back().clipped.push_back(cut);
            }
        }

        // The frame monitor, with an exchange to show in its detail pane.
        auto* monitor = ui::ShowMonitorWindow(b.form.get(), b.state);
        b.state.identity.longAddress = b.device->profile().longAddress;
        WithPortOpen(b.state, [&] {
            BuildLongRequest(b.state.buffer, 20);  // the tag: the longest answer of the usual commands
            Exchange(b.state);
        });
        monitor->refresh();
        if (auto* list = monitor->findChild<QAbstractItemView*>("FramesList"); list && list->model()->rowCount() > 0)
            list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
        look(*monitor);
        monitor->close();

        look(*b.form);
    }

    UiBench b;
    std::vector<Window> windows;
    std::set<std::string> shownNames;
};

TEST(EveryWindow, ShowsItsTextsWholeAndTabsInReadingOrder) {
    Walk walk;
    walk.run();
    // A form registered later is walked too, or this fails.
    EXPECT_EQ(walk.shownNames, walk.b.ui.registeredDialogNames());
    EXPECT_GE(walk.windows.size(), 35u);
    for (const Window& w : walk.windows) {
        for (const std::string& f : w.clipped) ADD_FAILURE() << w.name << ": " << f;
        for (const std::string& f : w.tabFaults) ADD_FAILURE() << w.name << " Tab: " << f;
    }
}

}  // namespace
}  // namespace quillon::uitest
