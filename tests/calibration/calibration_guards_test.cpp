#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <limits>

#include "calibration/calibration_command.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_measurement.h"
#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "calibration/new_calibration.h"
#include "device/device_test_support.h"
#include "device/identification.h"
#include "app/menu_commands.h"
#include "device/measuring_channel.h"
#include "link/link_test_support.h"
#include "support/identified_bench.h"
#include "support/request_capture.h"
#include "calibration/menu_items.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::SimBench;

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
constexpr const char* kProtected =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
    "Повторить попытку ?";

// An identified simulated device whose channel question is answered, with
// every line of traffic counted from here on.
struct GuardBench {
    explicit GuardBench(const char* preset) : b(testing::Identified(preset)) {
        for (int i = 0; i < 8; ++i)
            b->ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) {
                d.channel = 0;
                return true;
            });
        b->log([this](const std::string&) { ++traffic; });
    }
    AppState& state() { return b->state; }
    CalibrationSet& set() { return b->state.calibration; }
    std::vector<std::string> said() const { return b->ui.messageTexts(); }
    // The next view records the calibration in memory and is left with `action`.
    void view(int action) {
        b->ui.onDialog<ShowCalibrationDialog>([this, action](ShowCalibrationDialog& d) {
            views.push_back(d);
            shown.push_back(b->state.calibration);
            d.result = action;
            return true;
        });
    }
    std::unique_ptr<SimBench> b;
    int traffic = 0;
    std::vector<ShowCalibrationDialog> views;
    std::vector<CalibrationSet> shown;
};

// A calibration of each form, as the tool would hold it.
void Fill(CalibrationSet& set, CalibrationList list) {
    set.clearLists();
    set.calibrationEnabled = 1;
    switch (list) {
        case CalibrationList::Segments:
            for (std::uint32_t i = 0; i < 7; ++i)
                set.segmentTable.push_back({100000 * i, -50.0f + 10.0f * static_cast<float>(i), 1.0e-4f});
            break;
        case CalibrationList::CodePoints:
            set.codePoints = {{100000, -40.0f, 0}, {400000, 20.0f, 0}, {900000, 85.5f, 0}};
            break;
        case CalibrationList::TemperaturePairs:
            set.temperaturePairs = {{-40.0f, 1100.25f}, {20.0f, 2200.5f}, {85.0f, 3300.75f}};
            break;
    }
}

// Through the simulator, for each of the three device forms: a calibration of
// the device's form is written and read back equal point by point; one of
// another form is refused, naming both forms, before any request.
TEST(SendCalibration, OwnFormIsWrittenAndReadBackOtherFormsAreRefusedUnsent) {
    const struct {
        const char* preset;
        CalibrationList form;
    } devices[] = {{"rev4", CalibrationList::Segments},
                   {"rev6", CalibrationList::CodePoints},
                   {"rev14", CalibrationList::TemperaturePairs}};
    const CalibrationList lists[] = {CalibrationList::Segments, CalibrationList::CodePoints,
                                     CalibrationList::TemperaturePairs};
    for (const auto& device : devices) {
        for (CalibrationList list : lists) {
            SCOPED_TRACE(std::string(device.preset) + " gets " + CalibrationFormName(list));
            GuardBench g(device.preset);
            Fill(g.set(), list);
            const CalibrationSet sent = g.set();
            SendCalibration(g.state(), g.state().calibration, list, false);
            if (list != device.form) {
                EXPECT_EQ(g.said(),
                          std::vector<std::string>{"Калибровка в форме «" + CalibrationFormName(list) +
                                                   "» не может быть записана в датчик, который хранит "
                                                   "калибровку в форме «" +
                                                   CalibrationFormName(device.form) + "». Калибровка не записана!"});
                EXPECT_EQ(g.traffic, 0) << "no request leaves the tool";
                continue;
            }
            EXPECT_GT(g.traffic, 0);
            const std::vector<std::string> said = g.said();
            ASSERT_FALSE(said.empty());
            EXPECT_EQ(said.back(), list == CalibrationList::Segments ? kAccepted : "Калибровка OK!");

            g.view(kViewExit);
            ReadCalibration(g.state(), g.state().calibration);
            ASSERT_EQ(g.shown.size(), 1u) << ::testing::PrintToString(g.said());
            const CalibrationSet& back = g.shown[0];
            switch (list) {
                case CalibrationList::Segments:
                    ASSERT_EQ(back.segmentTable.size(), sent.segmentTable.size());
                    for (std::size_t i = 0; i < sent.segmentTable.size(); ++i) {
                        EXPECT_EQ(back.segmentTable[i].startCode, sent.segmentTable[i].startCode);
                        EXPECT_EQ(back.segmentTable[i].startValue, sent.segmentTable[i].startValue);
                        EXPECT_EQ(back.segmentTable[i].slope, sent.segmentTable[i].slope);
                    }
                    break;
                case CalibrationList::CodePoints:
                    ASSERT_EQ(back.codePoints.size(), sent.codePoints.size());
                    for (std::size_t i = 0; i < sent.codePoints.size(); ++i) {
                        EXPECT_EQ(back.codePoints[i].code, sent.codePoints[i].code);
                        EXPECT_EQ(back.codePoints[i].value, sent.codePoints[i].value);
                    }
                    break;
                case CalibrationList::TemperaturePairs:
                    ASSERT_EQ(back.temperaturePairs.size(), sent.temperaturePairs.size());
                    for (std::size_t i = 0; i < sent.temperaturePairs.size(); ++i) {
                        EXPECT_EQ(back.temperaturePairs[i].value, sent.temperaturePairs[i].value);
                        EXPECT_EQ(back.temperaturePairs[i].sensorReading, sent.temperaturePairs[i].sensorReading);
                    }
                    break;
            }
        }
    }
}

// Tables no device should get: refused with their message, and nothing is sent.
TEST(SendCalibration, DegenerateLongAndNonFiniteTablesAreRefusedUnsent) {
    const struct {
        const char* name;
        const char* preset;
        CalibrationList list;
        void (*spoil)(CalibrationSet&);
        std::string message;
    } cases[] = {
        {"equal codes", "rev6", CalibrationList::CodePoints,
         [](CalibrationSet& s) {
             s.codePoints = {{1000, 1.0f, 0}, {1000, 2.0f, 0}};
         },
         "Коды АЦП точек калибровки должны возрастать и не повторяться!"},
        {"one point", "rev6", CalibrationList::CodePoints, [](CalibrationSet& s) { s.codePoints.resize(1); },
         "Калибровка должна содержать не менее двух точек!"},
        {"no segments", "rev4", CalibrationList::Segments, [](CalibrationSet& s) { s.segmentTable.clear(); },
         "В калибровке нет ни одного отрезка!"},
        {"24 segments for 8 points", "rev4", CalibrationList::Segments,
         [](CalibrationSet& s) { s.segmentTable.resize(24, s.segmentTable.back()); },
         "Калибровка не подходит для этого датчика: нужно 7 отрезков, а в ней 24. Калибровка не записана!"},
        {"NaN slope", "rev4", CalibrationList::Segments, [](CalibrationSet& s) { s.segmentTable[3].slope = kNan; },
         "Калибровка содержит нечисловое значение или наклон (NAN или бесконечность) и не может быть переслана в "
         "датчик!"},
        {"equal readings", "rev14", CalibrationList::TemperaturePairs,
         [](CalibrationSet& s) { s.temperaturePairs[1].sensorReading = s.temperaturePairs[0].sensorReading; },
         "Калибровка содержит нечисловое значение или наклон (NAN или бесконечность) и не может быть переслана в "
         "датчик!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuardBench g(c.preset);
        Fill(g.set(), c.list);
        c.spoil(g.set());
        SendCalibration(g.state(), g.state().calibration, c.list, false);
        EXPECT_EQ(g.said(), std::vector<std::string>{c.message});
        EXPECT_EQ(g.traffic, 0) << "no request leaves the tool";
    }
}

// The view never offers sending a table whose slope does not exist.
TEST(ShowCalibration, NonFiniteSlopeIsNotOfferedForSending) {
    const struct {
        const char* name;
        CalibrationList list;
        void (*spoil)(CalibrationSet&);
        bool sendable;
    } cases[] = {
        {"good pairs", CalibrationList::TemperaturePairs, [](CalibrationSet&) {}, true},
        {"equal readings", CalibrationList::TemperaturePairs,
         [](CalibrationSet& s) { s.temperaturePairs[2].sensorReading = s.temperaturePairs[1].sensorReading; }, false},
        {"NaN value", CalibrationList::CodePoints, [](CalibrationSet& s) { s.codePoints[1].value = kNan; }, false},
        {"infinite segment slope", CalibrationList::Segments,
         [](CalibrationSet& s) { s.segmentTable[0].slope = std::numeric_limits<float>::infinity(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimBench b("rev14");
        Fill(b.state.calibration, c.list);
        c.spoil(b.state.calibration);
        bool offered = !c.sendable;
        b.ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
            offered = d.sendEnabled;
            d.result = kViewSend;  // a form that claims the press is not believed
            return true;
        });
        EXPECT_EQ(ShowCalibration(b.state, b.state.calibration, c.list, true, true).action, c.sendable ? kViewSend : kViewExit);
        EXPECT_EQ(offered, c.sendable);
    }
}

// The second point of a new calibration is checked against the first.
TEST(EnterCalibrationPoint, SecondPointMustDifferFromTheFirst) {
    const struct {
        const char* preset;
        const char* first;
        const char* value;
        const char* message;  // none: accepted
    } cases[] = {
        {"rev6", "1000", "50", "Код АЦП этой точки совпадает с кодом уже введённой точки!"},
        {"rev6", "1001", "10", nullptr},
        {"rev14", "2000", "10", "Значение этой точки совпадает со значением уже введённой точки!"},
        {"rev14", "1000", "20", "Показание датчика в этой точке совпадает с показанием в уже введённой точке!"},
        {"rev14", "3000", "20", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " " + c.first + " " + c.value);
        auto b = testing::Identified(c.preset);
        b->state.decimalSeparator = '.';
        CalibrationSet& set = b->state.calibration;
        if (std::string(c.preset) == "rev6")
            set.codePoints = {{1000, 10.0f, 0}};
        else
            set.temperaturePairs = {{10.0f, 1000.0f}};
        b->ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
            d.adText = c.first;
            d.valueText = c.value;
            d.result = CalibrationPointDialog::kOk;
            return true;
        });
        b->ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
            d.result = CalibrationPointDialog::kStop;
            return true;
        });
        const int r = EnterCalibrationPoint(b->state, b->state.calibration, "0", "0", false);
        EXPECT_EQ(r, c.message ? kPointStop : kPointAccepted);
        EXPECT_EQ(b->ui.messageTexts(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    }
}

// What cannot be saved says so before a file is chosen.
TEST(SaveCalibrationFile, DegenerateListsAreRefusedBeforeTheNameIsAsked) {
    const struct {
        const char* name;
        CalibrationList list;
        void (*spoil)(CalibrationSet&);
        const char* message;
    } cases[] = {
        {"empty segments", CalibrationList::Segments, [](CalibrationSet& s) { s.segmentTable.clear(); },
         "В калибровке нет ни одного отрезка. Запись в файл отменена!"},
        {"equal codes", CalibrationList::CodePoints,
         [](CalibrationSet& s) { s.codePoints[1].code = s.codePoints[0].code; },
         "Коды АЦП точек калибровки должны возрастать и не повторяться!"},
        {"one pair", CalibrationList::TemperaturePairs, [](CalibrationSet& s) { s.temperaturePairs.resize(1); },
         "Калибровка должна содержать не менее двух точек!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimBench b("rev6");
        Fill(b.state.calibration, c.list);
        c.spoil(b.state.calibration);
        EXPECT_FALSE(SaveCalibrationFile(b.state, b.state.calibration, c.list, ""));
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(b.ui.dialogsShown.empty());
    }
}

// Answers to the segment write and the extra-point read, and the pair write's end.
TEST(CalibrationTransfers, DeviceAnswersAndTheirTexts) {
    {
        SCOPED_TRACE("segment write locked until the button is pressed");
        GuardBench g("rev4");
        Fill(g.set(), CalibrationList::Segments);
        auto original = g.b->device().commands()[115];
        auto locked = std::make_shared<int>(2);
        g.b->device().commands()[115] = [original, locked](sim::SimDevice& d, const sim::HartRequest& q) {
            if (*locked > 0) return HartReply{static_cast<std::uint8_t>(--*locked ? 7 : 16), {}};
            return original(d, q);
        };
        auto seen = testing::CaptureRequests(*g.b, 115);
        g.b->ui.answerMessages({MessageAnswer::Yes, MessageAnswer::Yes});
        WriteSegments(g.state(), g.state().calibration, false);
        EXPECT_EQ(g.said(), (std::vector<std::string>{kProtected, kProtected, kAccepted}));
        ASSERT_EQ(seen->size(), 9u) << "the first segment twice more, then the other six";
        EXPECT_EQ((*seen)[0], (*seen)[2]);
    }
    {
        SCOPED_TRACE("segment write locked and given up");
        GuardBench g("rev4");
        Fill(g.set(), CalibrationList::Segments);
        testing::ReplyWith(*g.b, 115, {HartReply{7, {}}});
        auto seen = testing::CountRequests(*g.b, 115);
        WriteSegments(g.state(), g.state().calibration, false);
        EXPECT_EQ(g.said(), (std::vector<std::string>{kProtected, "Не удалось записать калибровку!"}));
        EXPECT_EQ(*seen, 1);
    }
    for (const HartReply& refusal : {HartReply{2, {}}, HartReply{0, {1, 2, 3}}}) {
        SCOPED_TRACE("extra point refused with code " + std::to_string(refusal.responseCode));
        GuardBench g("rev3-hw1");
        testing::ReplyWith(*g.b, 191, {refusal});
        g.view(kViewExit);
        ReadCalibration(g.state(), g.state().calibration);
        EXPECT_EQ(g.said(), std::vector<std::string>{"В датчик не была введена добавочная информация!"});
        ASSERT_EQ(g.views.size(), 1u) << "the good table is shown";
        EXPECT_EQ(g.views[0].lines.size(), 7u);
    }
    {
        SCOPED_TRACE("extra point not answered");
        GuardBench g("rev3-hw1");
        testing::NeverAnswer(*g.b, 191);
        g.view(kViewExit);
        ReadCalibration(g.state(), g.state().calibration);
        EXPECT_EQ(g.said(), std::vector<std::string>{"Не удалось сосчитать дополнительную информацию!"});
        EXPECT_TRUE(g.views.empty());
    }
    {
        SCOPED_TRACE("eight pairs or fewer end with the success text");
        GuardBench g("rev14");
        Fill(g.set(), CalibrationList::TemperaturePairs);
        auto seen = testing::CaptureRequests(*g.b, 182);
        WriteTemperaturePairs(g.state(), g.state().calibration);
        ASSERT_EQ(seen->size(), 1u);
        EXPECT_EQ(seen->at(0).at(0), 0) << "the one-request form";
        EXPECT_EQ(g.said(), std::vector<std::string>{"Калибровка OK!"});
    }
}

// The calibration command asks first; only its new and read paths identify.
TEST(CalibrationCommand, ChoiceComesBeforeIdentification) {
    for (int choice : {CalibrationTypeDialog::kFromFile, CalibrationTypeDialog::kRead}) {
        SCOPED_TRACE(choice);
        SimBench b("rev6", false);
        auto identifications = testing::CountRequests(b, 0);
        int asked = 0;
        b.ui.onDialog<CalibrationTypeDialog>([&](CalibrationTypeDialog& d) {
            EXPECT_EQ(*identifications, 0) << "the choice comes first";
            d.choice = choice;
            return ++asked == 1;
        });
        b.ui.onDialog<CalibrationTypeDialog>([](CalibrationTypeDialog&) { return false; });
        RunMenuCommand(b.state, menu::Calibrovka);
        const auto said = b.ui.messageTexts();
        if (choice == CalibrationTypeDialog::kFromFile) {
            EXPECT_EQ(*identifications, 0);
            EXPECT_EQ(std::count(said.begin(), said.end(), "Не могу узнать длинный адрес!"), 0);
        } else {
            EXPECT_GE(*identifications, 1);
        }
    }
}

// A measurement ended by a request that cannot be built keeps its points.
TEST(NewCalibration, PointsTakenBeforeABrokenRequestStayToBeSaved) {
    const struct {
        std::size_t taken;
        std::string message;
        bool viewed;
    } cases[] = {
        {2,
         "Измерение прервано: запрос к датчику не может быть сформирован. Введено точек: 2 из 4. Их можно просмотреть "
         "и записать в файл.",
         true},
        {1, "Измерение прервано: запрос к датчику не может быть сформирован. Введено точек: 1 из 4.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taken);
        auto b = testing::Identified("rev6");
        b->state.calibration.codePoints = {{1000, 1.0f, 0}, {2000, 2.0f, 0}};
        b->state.calibration.codePoints.resize(c.taken);
        std::vector<ShowCalibrationDialog> views;
        b->ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
            views.push_back(d);
            d.result = kViewExit;
            return true;
        });
        ViewTakenCalibration(b->state, b->state.calibration, kMeasurementBroken, 4);
        ASSERT_FALSE(b->ui.messages.empty());
        EXPECT_EQ(b->ui.messages[0].text, c.message);
        EXPECT_EQ(b->ui.messages[0].icon, MessageIcon::Warning);
        ASSERT_EQ(views.size(), c.viewed ? 1u : 0u);
        if (c.viewed) {
            EXPECT_EQ(views[0].lines.size(), 2u);
            EXPECT_TRUE(views[0].saveEnabled);
            EXPECT_FALSE(views[0].sendEnabled) << "an unfinished calibration is not sent";
        }
    }
}

// After an edit and a send, the edited pair list can still be saved.
TEST(CalibrationCommand, EditedPairFileStaysSaveableAfterASend) {
    testing::TempFolder dir;
    const std::string path = dir.file("pairs.clb");
    std::ofstream(path, std::ios::binary)
        << "[Type_Calibr]\nVer=1\n[Temperature_Calibration]\nT_code0=1\nT_value0=0\nT_code1=2\nT_value1=5\n";
    SimBench b("rev8", false);
    b.ui.onDialog<CalibrationTypeDialog>([](CalibrationTypeDialog& d) {
        d.choice = CalibrationTypeDialog::kFromFile;
        return true;
    });
    b.ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
        d.fileName = path;
        return true;
    });
    std::vector<bool> saveOffered;
    for (int action : {kViewEdit, kViewSend, kViewExit})
        b.ui.onDialog<ShowCalibrationDialog>([&saveOffered, action](ShowCalibrationDialog& d) {
            saveOffered.push_back(d.saveEnabled);
            d.result = action;
            d.selected = 1;
            return true;
        });
    b.ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
        d.adText = "3";
        d.valueText = "6";
        d.result = CalibrationPointDialog::kOk;
        return true;
    });
    CalibrationCommand(b.state, b.state.calibration);
    EXPECT_EQ(saveOffered, (std::vector<bool>{false, true, true}));
    const auto said = b.ui.messageTexts();
    EXPECT_NE(std::find(said.begin(), said.end(),
                        "Калибровка в форме «пары температур» не может быть записана в датчик, который хранит "
                        "калибровку в форме «точки кода АЦП». Калибровка не записана!"),
              said.end());
}

}  // namespace
}  // namespace quillon
