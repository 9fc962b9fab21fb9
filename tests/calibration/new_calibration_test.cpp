#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calibration/calibration_command.h"
#include "calibration/calibration_measurement.h"
#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/new_calibration.h"
#include "calibration/point_count.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "link/frame_codec.h"
#include "link/key_hook.h"
#include "support/request_capture.h"
#include "support/sim_fixture.h"
#include "calibration/menu_items.h"

namespace quillon {
namespace {

using testing::SimBench;

// A simulated device at a reference without noise; the engineer presses Enter
// once the window has counted `validBeforeEnter` valid answers, and types the
// values given for the points in turn while the next reference is applied.
struct ProcedureBench : SimBench {
    explicit ProcedureBench(const char* preset, int channel = 0) : SimBench(preset) {
        device().profile().live.noise = 0;
        EXPECT_TRUE(ensureIdentified(state));
        for (int i = 0; i < 6; ++i)
            ui.onDialog<MeasuringChannelDialog>([channel](MeasuringChannelDialog& d) {
                d.channel = channel;
                return true;
            });
        ui.clearRecord();
        ui.onProcessEvents = [this] {
            // Only the measurement presses Enter; the calibration's views and writes come after it.
            if (ui.views.empty() || !viewed.empty()) return;
            const auto& texts = ui.views.front()->texts;
            const auto valid = texts.find("RightOtvetovLabel");
            if (valid != texts.end() && std::stoi(valid->second) >= validBeforeEnter) state.flags.enterPressed = true;
        };
    }

    void pointCount(const std::string& text) {
        ui.onDialog<PointCountDialog>([text](PointCountDialog& d) {
            d.text = text;
            return true;
        });
    }

    // One point dialog per entry: the value typed, then the reference moves on.
    void points(const std::vector<double>& references, const std::vector<std::string>& values) {
        device().profile().live.reference = references.at(0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double next = i + 1 < references.size() ? references[i + 1] : references.back();
            ui.onDialog<CalibrationPointDialog>([this, value = values[i], next](CalibrationPointDialog& d) {
                prefilled.push_back({d.adText, d.valueText});
                d.valueText = value;
                d.result = CalibrationPointDialog::kOk;
                device().profile().live.reference = next;
                return true;
            });
        }
    }

    // The next view is recorded with the calibration then in memory and left with `action`.
    void view(int action) {
        ui.onDialog<ShowCalibrationDialog>([this, action](ShowCalibrationDialog& d) {
            viewed.push_back(state.calibration);
            viewLines.push_back(d.lines);
            d.result = action;
            return true;
        });
    }

    std::uint32_t codeAt(double reference) {
        const auto& live = device().profile().live;
        return static_cast<std::uint32_t>(std::lround(live.codeAtZero + reference * live.codesPerUnit));
    }

    int validBeforeEnter = 3;
    std::vector<std::pair<std::string, std::string>> prefilled;
    std::vector<CalibrationSet> viewed;
    std::vector<std::vector<std::string>> viewLines;
};

// Three points taken from the simulator in every form, sent, and read back
// from the device equal to what was taken.
TEST(NewCalibration, TakesPointsSendsThemAndTheDeviceReadsThemBack) {
    struct Case {
        const char* preset;
        int channel;
        bool asksCount;           // devices that can be read choose how many points
        const char* sentMessage;  // the last box of the write
    };
    constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
    for (const Case c : {Case{"rev4", 0, false, kAccepted}, Case{"rev6", 0, true, "Калибровка OK!"},
                         Case{"rev8", 0, true, "Калибровка OK!"}, Case{"rev14", 0, true, "Калибровка OK!"},
                         Case{"rev16", 0, true, "Калибровка OK!"}, Case{"rev16", 1, true, "Калибровка OK!"}}) {
        SCOPED_TRACE(std::string(c.preset) + " channel " + std::to_string(c.channel));
        ProcedureBench b(c.preset, c.channel);
        const int wanted = c.asksCount ? 3 : b.state.identity.calibrationPointCount;
        if (c.asksCount) b.pointCount("3");
        std::vector<double> refs;
        std::vector<std::string> values;
        for (int i = 0; i < wanted; ++i) {
            refs.push_back(10.0 + 15.0 * i);
            values.push_back(std::to_string(10 + 15 * i) + ",5");  // a comma, as engineers type it
        }
        b.points(refs, values);
        b.view(kViewSend);
        b.view(kViewExit);
        b.ui.answerMessages({MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Ok});
        NewCalibration(b.state, b.state.calibration);

        ASSERT_EQ(b.prefilled.size(), static_cast<std::size_t>(wanted));
        ASSERT_EQ(b.viewed.size(), 2u) << "the view comes back after sending";
        const CalibrationSet sent = b.viewed[0];
        const bool temperatures = std::string(c.preset) == "rev14" || std::string(c.preset) == "rev16";
        for (int i = 0; i < wanted; ++i) {
            EXPECT_EQ(b.prefilled[i].second, "0");
            if (temperatures && c.channel == 1)
                EXPECT_EQ(b.prefilled[i].first, std::to_string(static_cast<int>(refs[i])) + ".0000");
            else if (temperatures)
                EXPECT_EQ(b.prefilled[i].first, std::to_string(b.codeAt(refs[i])) + ".0000");
            else
                EXPECT_EQ(b.prefilled[i].first, std::to_string(b.codeAt(refs[i])));
        }
        const std::vector<std::string> said = b.ui.messageTexts();
        EXPECT_NE(std::find(said.begin(), said.end(), "Для калибровки необходимо задать " + std::to_string(wanted) + " точек."),
                  said.end());
        if (c.sentMessage) {
            EXPECT_EQ(said.back(), c.sentMessage);
        }
        EXPECT_TRUE(b.state.calibration.codePoints.empty()) << "the lists of the procedure are cleared at its end";
        EXPECT_TRUE(b.state.calibration.segmentTable.empty());

        b.view(kViewExit);
        b.ui.answerMessages({MessageAnswer::Ok, MessageAnswer::Ok});
        ReadCalibration(b.state, b.state.calibration);
        ASSERT_EQ(b.viewed.size(), 3u) << ::testing::PrintToString(b.ui.messageTexts());
        const CalibrationSet& back = b.viewed[2];
        if (temperatures) {
            ASSERT_EQ(back.temperaturePairs.size(), static_cast<std::size_t>(wanted));
            for (int i = 0; i < wanted; ++i) {
                EXPECT_EQ(back.temperaturePairs[i].value, sent.temperaturePairs[i].value);
                EXPECT_EQ(back.temperaturePairs[i].sensorReading, sent.temperaturePairs[i].sensorReading);
                EXPECT_EQ(back.temperaturePairs[i].value, static_cast<float>(refs[i] + 0.5));
            }
        } else if (std::string(c.preset) == "rev4") {
            ASSERT_GE(back.segmentTable.size(), sent.segmentTable.size());
            for (std::size_t i = 0; i < sent.segmentTable.size(); ++i) {
                EXPECT_EQ(back.segmentTable[i].startCode, sent.segmentTable[i].startCode);
                EXPECT_EQ(back.segmentTable[i].startValue, sent.segmentTable[i].startValue);
                EXPECT_EQ(back.segmentTable[i].slope, sent.segmentTable[i].slope);
            }
            EXPECT_EQ(sent.segmentTable.size(), static_cast<std::size_t>(wanted - 1));
        } else {
            ASSERT_EQ(back.codePoints.size(), static_cast<std::size_t>(wanted));
            for (int i = 0; i < wanted; ++i) {
                EXPECT_EQ(back.codePoints[i].code, b.codeAt(refs[i]));
                EXPECT_EQ(back.codePoints[i].value, static_cast<float>(refs[i] + 0.5));
            }
        }
    }
}

TEST(NewCalibration, RefusedDevicesAndCancelledQuestions) {
    struct Case {
        const char* preset;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"rev15",
         {"В данном устройстве используется многотемпературная калибровка. Используйте для калибровки программу "
          "Dravmont.exe !"}},
        {"rev10", {"В данном устройстве функция калибровки не поддерживается!"}},
        {"rev13", {"В данном устройстве функция калибровки не поддерживается!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        SimBench b(c.preset);
        ASSERT_TRUE(ensureIdentified(b.state));
        b.ui.clearRecord();
        NewCalibration(b.state, b.state.calibration);
        EXPECT_EQ(b.ui.messageTexts(), c.messages);
        EXPECT_TRUE(b.ui.views.empty());
    }
    // Cancelling the channel or the number of points ends before anything is measured.
    SimBench channel("rev16");
    NewCalibration(channel.state, channel.state.calibration);
    EXPECT_TRUE(channel.ui.views.empty());
    SimBench count("rev6");
    NewCalibration(count.state, count.state.calibration);
    EXPECT_EQ(count.ui.dialogsShown.back(), "PointCountDialog");
    EXPECT_TRUE(count.ui.views.empty());
}

TEST(NewCalibration, TwoPointsFinishAfterTheSecondAndListTheirLines) {
    ProcedureBench b("rev6");
    b.pointCount("2");
    b.points({10.0, 30.0}, {"10", "30.25"});
    b.view(kViewExit);
    NewCalibration(b.state, b.state.calibration);
    ASSERT_EQ(b.prefilled.size(), 2u);
    ASSERT_EQ(b.viewed.size(), 1u);
    const auto& view = *b.ui.views.at(0);
    EXPECT_EQ(view.kind, live_view::Calibration);
    EXPECT_EQ(view.caption, "Калибровка");
    EXPECT_TRUE(view.visible.at("ListBox1"));
    // 2200000 and 2600000: "1) Код АЦП : " and the code padded to 14 more characters.
    EXPECT_EQ(view.texts.at("ListBox1"),
              "1) Код АЦП : 2200000       Значение : 10.000\n"
              "2) Код АЦП : 2600000       Значение : 30.250");
    EXPECT_EQ(b.state.identity.calibrationPointLimit, 2);
    const CalibrationSet& shown = b.viewed[0];
    ASSERT_EQ(shown.codePoints.size(), 2u);
    // The segments are padded to the device's count, so the whole table is written.
    EXPECT_EQ(shown.segmentTable.size(), static_cast<std::size_t>(b.state.identity.calibrationPointCount - 1));
    EXPECT_FLOAT_EQ(shown.codePoints[0].slope, 20.25f / 400000.0f);
}

TEST(NewCalibration, EnterBeforeAnyValidAnswerOffersZeroAndZero) {
    ProcedureBench b("rev6");
    b.validBeforeEnter = 0;  // Enter during the very first exchange
    b.pointCount("2");
    b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
        b.prefilled.push_back({d.adText, d.valueText});
        d.result = CalibrationPointDialog::kStop;
        return true;
    });
    NewCalibration(b.state, b.state.calibration);
    ASSERT_EQ(b.prefilled.size(), 1u);
    EXPECT_EQ(b.prefilled[0], (std::pair<std::string, std::string>{"0", "0"}));
    EXPECT_TRUE(b.viewed.empty()) << "abandoning shows nothing";
    EXPECT_TRUE(b.state.calibration.codePoints.empty()) << "abandoning discards the points";
}

TEST(NewCalibration, ContinueStartsTheAveragesOverAndNanIsNotAveraged) {
    // The I2C channel of revision 16 reports the temperature itself as a float.
    ProcedureBench b("rev16", 1);
    b.pointCount("2");
    b.device().profile().live.reference = 20.0;
    b.validBeforeEnter = 4;
    int readings = 0;
    auto original = b.device().commands()[176];
    b.device().commands()[176] = [&](sim::SimDevice& d, const sim::HartRequest& q) {
        // Every third reading is not a number.
        d.profile().live.reference = ++readings % 3 == 0 ? std::numeric_limits<double>::quiet_NaN() : 20.0;
        return original(d, q);
    };
    std::vector<std::string> firstTexts;
    b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
        firstTexts.push_back(d.adText);
        d.result = CalibrationPointDialog::kContinue;
        return true;
    });
    b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
        firstTexts.push_back(d.adText);
        d.result = CalibrationPointDialog::kStop;
        return true;
    });
    NewCalibration(b.state, b.state.calibration);
    ASSERT_EQ(firstTexts.size(), 2u);
    EXPECT_EQ(firstTexts[0], "20.0000");
    EXPECT_EQ(firstTexts[1], "20.0000");
    const auto& history = b.ui.views.at(0)->history.at("ValueLabel");
    EXPECT_NE(std::find(history.begin(), history.end(), "NAN"), history.end());
    for (const std::string& mean : b.ui.views.at(0)->history.at("MediaLabel"))
        EXPECT_TRUE(mean == "----------" || mean == "20.00000") << mean;
    const auto& requests = b.ui.views.at(0)->history.at("ZaprosovLabel");
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "0"), 2) << "\"Продолжить\" resets the counters";
}

// Beyond the mean: the spread of the readings averaged, their count and their
// trend, all started over with the averages.
TEST(NewCalibration, SpreadCountAndTrendOfTheReadingsAveraged) {
    struct Case {
        const char* preset;
        int channel;
        std::vector<std::uint32_t> answers;  // as the device reports them, in turn
        const char* deviation;                // sample standard deviation of those
    };
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    const std::vector<Case> cases = {
        // 10, 12, 14: mean 12, squares 4 + 0 + 4 over n - 1 = 2: deviation 2.
        {"rev16", 1, {bits(10.0f), bits(12.0f), bits(14.0f)}, "2.00000"},
        // Codes 2000100 and 2000104: sqrt(8) = 2.83.
        {"rev6", 0, {2000100, 2000104}, "2.8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        ProcedureBench b(c.preset, c.channel);
        b.pointCount("2");
        b.validBeforeEnter = static_cast<int>(c.answers.size());
        std::size_t next = 0;
        b.device().commands()[176] = [&](sim::SimDevice&, const sim::HartRequest& q) {
            const std::uint32_t v = c.answers[next++ % c.answers.size()];
            return sim::HartReply{0, {q.data.at(0), static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                      static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}};
        };
        std::vector<std::string> deviationAtStop, samplesAtStop;
        std::size_t trendAtStop = 0;
        b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
            const auto& view = *b.ui.views.at(0);
            deviationAtStop.push_back(view.texts.at("DeviationLabel"));
            samplesAtStop.push_back(view.texts.at("SamplesLabel"));
            trendAtStop = view.trend.size();
            d.result = CalibrationPointDialog::kStop;
            return true;
        });
        NewCalibration(b.state, b.state.calibration);
        const auto& view = *b.ui.views.at(0);
        EXPECT_TRUE(view.visible.at("SettlingPanel"));
        ASSERT_EQ(deviationAtStop.size(), 1u);
        EXPECT_EQ(deviationAtStop[0], c.deviation);
        EXPECT_EQ(samplesAtStop[0], std::to_string(c.answers.size()));
        EXPECT_EQ(trendAtStop, c.answers.size());
        EXPECT_EQ(view.history.at("DeviationLabel").front(), "----------") << "no spread before two readings";
    }
}

// The keys of the measuring window through the key hook: F4 starts the
// averages over, Esc ends the measuring like Enter.
TEST(NewCalibration, F4StartsTheMeanOverAndEscOpensThePointDialog) {
    ProcedureBench b("rev6");
    b.pointCount("2");
    int readings = 0;
    b.device().commands()[176] = [&](sim::SimDevice&, const sim::HartRequest& q) {
        const std::uint32_t code = ++readings <= 2 ? 1000 : 3000;
        return sim::HartReply{0, {q.data.at(0), 0, static_cast<std::uint8_t>(code >> 16),
                                  static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)}};
    };
    int phase = 0;
    b.ui.onProcessEvents = [&] {
        const std::string valid = b.ui.views.empty() ? "" : b.ui.views[0]->texts["RightOtvetovLabel"];
        if (phase == 0 && valid == "2") {
            KeyHook(b.state.flags, kKeyF4);
            phase = 1;
        } else if (phase == 1 && valid == "3") {
            KeyHook(b.state.flags, kKeyEsc);
            phase = 2;
        }
    };
    std::string first;
    b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
        first = d.adText;
        d.result = CalibrationPointDialog::kStop;
        return true;
    });
    NewCalibration(b.state, b.state.calibration);
    EXPECT_EQ(first, "3000") << "the two readings of 1000 before F4 are not in the mean";
    const auto& requests = b.ui.views.at(0)->history.at("ZaprosovLabel");
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "0"), 2);
}

TEST(NewCalibration, AmbientWindowAlternatesStartingWithTheMainChannel) {
    for (const char* preset : {"rev8", "rev11"}) {
        SCOPED_TRACE(preset);
        ProcedureBench b(preset);
        auto seen = testing::CaptureRequests(b, 176);
        b.pointCount("2");
        b.validBeforeEnter = 4;
        std::vector<std::string> first;
        for (int i = 0; i < 2; ++i)
            b.ui.onDialog<CalibrationPointDialog>([&, i](CalibrationPointDialog& d) {
                first.push_back(d.adText);
                d.result = i == 0 ? CalibrationPointDialog::kContinue : CalibrationPointDialog::kStop;
                return true;
            });
        NewCalibration(b.state, b.state.calibration);
        ASSERT_EQ(b.ui.views.size(), 1u);
        const auto& view = *b.ui.views[0];
        EXPECT_EQ(view.kind, live_view::CalibrationAmbient);
        const std::vector<int> settings = testing::SettingNumbers(*seen);
        ASSERT_GE(settings.size(), 9u);
        // Five requests per point (the fifth is stopped), and after the point the count starts again at the main channel.
        EXPECT_EQ(std::vector<int>(settings.begin(), settings.begin() + 9),
                  (std::vector<int>{19, 20, 19, 20, 19, 19, 20, 19, 20}));
        const auto& live = b.device().profile().live;
        const std::string ambient = std::string(preset) == "rev11"
                                        ? "24.00000"
                                        : std::to_string(std::lround(live.codeAtZero + live.ambient * live.codesPerUnit));
        EXPECT_EQ(view.texts.at("OkrValueLabel"), ambient);
        EXPECT_EQ(view.texts.at("OkrMediaLabel"), ambient);
        EXPECT_EQ(first.at(0), std::to_string(b.codeAt(live.reference)));
    }
}

TEST(NewCalibration, RequestOfEachDevice) {
    struct Case {
        const char* preset;
        int channel;
        std::uint8_t command;
        int setting;  // -1: no data
    };
    for (const Case c : {Case{"rev6", 0, 176, 19}, Case{"rev9-d11", 1, 176, 20}, Case{"rev16", 0, 176, 19},
                         Case{"rev16", 1, 176, 30}, Case{"rev3-hw1", 0, 113, -1}, Case{"rev4", 0, 113, -1}}) {
        SCOPED_TRACE(std::string(c.preset) + " channel " + std::to_string(c.channel));
        ProcedureBench b(c.preset, c.channel);
        AskMeasuringChannel(b.state);
        const MeasurementRequest r = NextMeasurementRequest(b.state.identity, false, 0);
        EXPECT_EQ(r.command, c.command);
        if (c.setting >= 0) {
            EXPECT_EQ(r.setting, c.setting);
        }
        EXPECT_FALSE(r.ambient);
    }
}

TEST(MeasurementReading, ByteOrderAndValidityOfEachAnswer) {
    // Long answers written out byte by byte: delimiter, address, command, byte count, code, status, data.
    struct Case {
        const char* name;
        std::uint8_t command;
        std::vector<std::uint8_t> answer;
        std::optional<std::uint32_t> reading;
    };
    const std::vector<Case> cases = {
        {"setting, most significant first", 176,
         {0x86, 0x80, 1, 2, 3, 4, 176, 7, 0, 0, 19, 0x41, 0xA0, 0x00, 0x00}, 0x41A00000u},
        {"setting with a response code", 176, {0x86, 0x80, 1, 2, 3, 4, 176, 7, 2, 0, 19, 0x41, 0xA0, 0x00, 0x00}, {}},
        {"setting answer too short", 176, {0x86, 0x80, 1, 2, 3, 4, 176, 6, 0, 0, 19, 0x41, 0xA0, 0x00}, {}},
        {"code, least significant first", 113,
         {0x86, 0x80, 1, 2, 3, 4, 113, 7, 0, 0, 0x00, 0x30, 0x14, 0x25, 0x00}, 0x00251430u},
        {"code with another byte count", 113,
         {0x86, 0x80, 1, 2, 3, 4, 113, 8, 0, 0, 0x00, 0x30, 0x14, 0x25, 0x00, 0x00}, {}},
        {"short frame code", 113, {0x06, 0x80, 113, 7, 0, 0, 0x00, 0x01, 0x02, 0x03, 0x00}, 0x00030201u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeBuffer b{};
        std::copy(c.answer.begin(), c.answer.end(), b.response.begin());
        b.response[c.answer.size()] = XorOf(c.answer.data(), c.answer.size());
        b.responseCount = static_cast<std::uint8_t>(c.answer.size() + 1);
        EXPECT_EQ(MeasurementReading(b, {c.command, 19, false}), c.reading);
    }
}

TEST(MeasuredPointLine, ColumnsOfEachForm) {
    DeviceIdentity code;
    code.softwareRevision = 6;
    DeviceIdentity rev14;
    rev14.softwareRevision = 14;
    DeviceIdentity i2c;
    i2c.softwareRevision = 16;
    i2c.selectedChannel = 1;
    struct Case {
        const DeviceIdentity* id;
        int n;
        double reading, value;
        const char* line;
    };
    const std::vector<Case> cases = {
        {&code, 1, 2430000, 21.5, "1) Код АЦП : 2430000       Значение : 21.500"},
        {&code, 12, 16777215, -40, "12) Код АЦП : 16777215      Значение : -40.000"},
        {&rev14, 3, 2430000, 0.0005, "3) Код АЦП: 2430000.000   Значение : 0.001"},
        {&i2c, 2, 100.25, 100, "2) Tдатчика : 100.250       Значение : 100.000"},
        // A reading longer than its column is cut, so the values stay in line.
        {&i2c, 4, 123456789012.5, 1, "4) Tдатчика : 123456789012.5Значение : 1.000"},
    };
    for (const Case& c : cases) EXPECT_EQ(MeasuredPointLine(c.n, *c.id, c.reading, c.value, '.'), c.line);
    EXPECT_EQ(MeasuredPointLine(1, code, 5, 1.25, ','), "1) Код АЦП : 5             Значение : 1,250");
}

TEST(AskPointCount, RangeAndNumberChecksKeepTheDialogOpen) {
    SimBench b("rev6");
    std::vector<std::string> labels, texts;
    for (const char* typed : {"abc", "1", "26", " 25 "}) {
        b.ui.onDialog<PointCountDialog>([&, typed](PointCountDialog& d) {
            EXPECT_EQ(d.caption, "Ввод количества точек");
            labels.push_back(d.label);
            texts.push_back(d.text);
            d.text = typed;
            return true;
        });
    }
    EXPECT_EQ(AskPointCount(b.state, 2, 25), 25);
    EXPECT_EQ(labels.at(0), "Введите количество точек (2-25):");
    EXPECT_EQ(texts, (std::vector<std::string>{"2", "abc", "1", "26"})) << "the typed text is kept";
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Введены неправильные цифры!", "«abc» не является целым числом.",
                                        "Значение вне допустимого диапазона!", "Значение вне допустимого диапазона!"}));
    EXPECT_EQ(AskPointCount(b.state, 2, 8), 0) << "Cancel";
}

// The command's choice: a new calibration is one of three, and the choice comes back after it.
TEST(CalibrationCommand, NewCalibrationFromTheChoiceAndBackToIt) {
    ProcedureBench b("rev6");
    b.ui.onDialog<CalibrationTypeDialog>([](CalibrationTypeDialog& d) {
        d.choice = CalibrationTypeDialog::kNew;
        return true;
    });
    b.pointCount("2");
    b.points({0.0, 50.0}, {"0", "50"});
    b.view(kViewExit);
    CalibrationCommand(b.state, b.state.calibration);
    EXPECT_EQ(b.prefilled.size(), 2u);
    EXPECT_EQ(b.viewed.size(), 1u);
    EXPECT_EQ(std::count(b.ui.dialogsShown.begin(), b.ui.dialogsShown.end(), "CalibrationTypeDialog"), 2);
}

}  // namespace
}  // namespace quillon
