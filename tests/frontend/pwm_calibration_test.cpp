#include <gtest/gtest.h>

#include <bit>

#include "device/device_test_support.h"
#include "device/hex_text.h"
#include "device/identification.h"
#include "frontend/pwm_calibration.h"
#include "frontend/pwm_coefficients.h"
#include "support/sim_fixture.h"
#include "support/request_capture.h"
#include "support/identified_bench.h"
#include "frontend/menu_items.h"

namespace quillon {
namespace {

using testing::CountOf;
using testing::Bits;
using testing::Identified;
using testing::SimBench;

TEST(PwmCoefficients, WorkedExampleInSinglePrecision) {
    const PwmCoefficients k = ComputePwmCoefficients(0.1f, 4.0f, 1000, 0.8f, 20.0f, 9000, 0.5f);
    // The quotient is rounded to a single before the feedback multiplies it.
    const float quotient = static_cast<float>((static_cast<double>(0.8f) - static_cast<double>(0.1f)) / 8000.0);
    EXPECT_EQ(Bits(k.k26), Bits(static_cast<float>(static_cast<double>(quotient) * 0.5)));
    EXPECT_NEAR(k.k26, 0.000043750002, 1e-12);
    EXPECT_EQ(k.k27, 500.0f);
    EXPECT_EQ(k.k28, -1000.0f);

    // Decreasing codes: the difference is taken as a signed number.
    const PwmCoefficients down = ComputePwmCoefficients(0.8f, 20.0f, 9000, 0.1f, 4.0f, 1000, 0.5f);
    EXPECT_EQ(down.k27, 500.0f);
    EXPECT_EQ(down.k28, 9000.0f - 20.0f * 500.0f);
    EXPECT_GT(down.k26, 0.0f);
}

// Codes up to 4294967295 in either order: the span is the true difference,
// never a wrapped 32-bit one, so the signs of k26 and k27 follow the points.
TEST(PwmCoefficients, CodesFarApartKeepTheirSigns) {
    const struct {
        float duty1, output1;
        std::uint32_t code1;
        float duty2, output2;
        std::uint32_t code2;
        double span;
    } cases[] = {
        {0.1f, 4.0f, 0, 0.9f, 20.0f, 4294967295u, 4294967295.0},
        {0.1f, 4.0f, 100, 0.9f, 20.0f, 2147483848u, 2147483748.0},
        {0.9f, 20.0f, 4294967295u, 0.1f, 4.0f, 0, -4294967295.0},
        {0.9f, 20.0f, 3000000000u, 0.1f, 4.0f, 500000000u, -2500000000.0},
    };
    for (const auto& c : cases) {
        const PwmCoefficients k = ComputePwmCoefficients(c.duty1, c.output1, c.code1, c.duty2, c.output2, c.code2, 0.5f);
        const double outputs = static_cast<double>(c.output2) - c.output1;
        const float quotient = static_cast<float>((static_cast<double>(c.duty2) - c.duty1) / c.span);
        EXPECT_EQ(Bits(k.k26), Bits(static_cast<float>(static_cast<double>(quotient) * 0.5))) << c.code2;
        EXPECT_EQ(Bits(k.k27), Bits(static_cast<float>(c.span / outputs))) << c.code2;
        EXPECT_GT(k.k26, 0.0f) << c.code2;
        EXPECT_GT(k.k27, 0.0f) << c.code2;
        EXPECT_EQ(Bits(k.k28), Bits(static_cast<float>(c.code1 - c.output1 * static_cast<double>(k.k27))));
    }
}

struct WindowCase {
    const char* name;
    PwmCalibrationDialog entry;
    std::vector<std::string> messages;  // empty: accepted
};

PwmCalibrationDialog Entry(const char* d1, const char* c1, const char* o1, const char* d2, const char* c2,
                           const char* o2, const char* fb = "0.5") {
    PwmCalibrationDialog d;
    d.duty1 = d1, d.code1 = c1, d.output1 = o1, d.duty2 = d2, d.code2 = c2, d.output2 = o2, d.feedback = fb;
    return d;
}

// The same through the window to the simulated device.
TEST(PwmCalibrationWindow, CodesMoreThanHalfTheRangeApartAreWrittenWithTheirSigns) {
    auto b = Identified("rev6");
    b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
        const PwmCalibrationDialog typed = Entry("0.1", "0", "4", "0.9", "4294967295", "20");
        d.duty1 = typed.duty1, d.code1 = typed.code1, d.output1 = typed.output1;
        d.duty2 = typed.duty2, d.code2 = typed.code2, d.output2 = typed.output2, d.feedback = typed.feedback;
        return true;
    });
    EditPwmCalibration(b->state);
    const auto& settings = b->device().profile().settings;
    EXPECT_EQ(settings.at(5), 4294967295u);
    EXPECT_EQ(settings.at(27), Bits(static_cast<float>(4294967295.0 / 16.0)));
    EXPECT_GT(std::bit_cast<float>(settings.at(26)), 0.0f);
    EXPECT_EQ(settings.at(28), Bits(0.0f - 4.0f * static_cast<float>(4294967295.0 / 16.0)));
}

TEST(PwmCalibrationWindow, ChecksInOrder) {
    const WindowCase cases[] = {
        {"worked", Entry("0.1", "1000", "4", "0.8", "9000", "20"), {}},
        {"duty1 one",
         Entry("1", "1000", "4", "0.8", "9000", "20"),
         {"Скважность 1 должна быть в диапазоне [0-0.999837]!"}},
        {"duty1 limit", Entry("0.999837", "1000", "4", "1", "9000", "20"), {}},
        {"duty2 one", Entry("0.1", "1000", "4", "1", "9000", "20"), {}},
        {"duty2 above",
         Entry("0.1", "1000", "4", "1.01", "9000", "20"),
         {"Скважность 2 должна быть в диапазоне [0-1]!"}},
        {"output1", Entry("0.1", "1000", "30.5", "0.8", "9000", "20"), {"Ток 1 должен быть в диапазоне [0-30]!"}},
        {"output2", Entry("0.1", "1000", "4", "0.8", "9000", "-1"), {"Ток 2 должен быть в диапазоне [0-30]!"}},
        {"code1", Entry("0.1", "-1", "4", "0.8", "9000", "20"), {"Код АЦП 1 должен быть в диапазоне [0-4294967295]!"}},
        {"code2",
         Entry("0.1", "1", "4", "0.8", "4294967296", "20"),
         {"Код АЦП 2 должен быть в диапазоне [0-4294967295]!"}},
        {"equal first", Entry("0.5", "9000", "20", "0.5", "1000", "4"), {"Значения скважности должны отличаться!"}},
        {"rising code",
         Entry("0.1", "9000", "4", "0.8", "9000", "20"),
         {"Значение кода АЦП в точке 1 должно быть меньше значения в точке 2!"}},
        {"rising output",
         Entry("0.1", "1000", "20", "0.8", "9000", "20"),
         {"Значение тока в точке 1 должно быть меньше значения в точке 2!"}},
        {"falling", Entry("0.8", "9000", "20", "0.1", "1000", "4"), {}},
        {"falling code",
         Entry("0.8", "1000", "20", "0.1", "9000", "4"),
         {"Значение кода АЦП в точке 1 должно быть больше значения в точке 2!"}},
        {"falling output",
         Entry("0.8", "9000", "4", "0.1", "1000", "4"),
         {"Значение тока в точке 1 должно быть больше значения в точке 2!"}},
        {"feedback",
         Entry("0.1", "1000", "4", "0.8", "9000", "20", "1.5"),
         {"Коэффициент обратной связи должен быть в диапазоне [0-1]!"}},
        // Codes the whole range apart over outputs 1e-30 apart: setting 27 would
        // be +inf and setting 28 NaN.
        {"coefficients not finite",
         Entry("0.1", "0", "0", "0.8", "4294967295", "1e-30"),
         {"По введённым точкам коэффициенты ШИМ не вычисляются: проверьте значения тока и кода АЦП!"}},
        {"not a code",
         Entry("0.1", "1e3", "4", "0.8", "9000", "20"),
         {"Введены неправильные цифры в поле кода АЦП 1!", "«1e3» не является целым числом."}},
        {"not a duty",
         Entry("0.1", "1000", "4", "Не задана", "9000", "20"),
         {"Введены неправильные цифры в поле скважности 2!", "«Не задана» не является числом."}},
        {"not feedback",
         Entry("0.1", "1000", "4", "0.8", "9000", "20", "?"),
         {"Введены неправильные цифры в поле коэффициента обратной связи!", "«?» не является числом."}},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev6");
        b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
            d.duty1 = c.entry.duty1, d.code1 = c.entry.code1, d.output1 = c.entry.output1;
            d.duty2 = c.entry.duty2, d.code2 = c.entry.code2, d.output2 = c.entry.output2;
            d.feedback = c.entry.feedback;
            return true;
        });
        b->ui.onDialog<PwmCalibrationDialog>([](PwmCalibrationDialog&) { return false; });
        PwmCalibrationWindow(b->state, PwmCalibration{});
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(b->ui.dialogsShown.size(), c.messages.empty() ? 1u : 2u) << c.name;
    }
}

TEST(PwmCalibrationWindow, VoltageVariantTexts) {
    const WindowCase cases[] = {
        {"output1", Entry("0.3", "1000", "31", "0.8", "9000", "3"), {"Напряжение 1 должно быть в диапазоне [0-30]!"}},
        {"output2", Entry("0.3", "1000", "1", "0.8", "9000", "31"), {"Напряжение 2 должно быть в диапазоне [0-30]!"}},
        {"rising",
         Entry("0.3", "1000", "3", "0.8", "9000", "1"),
         {"Значение напряжения в точке 1 должно быть меньше значения в точке 2!"}},
        {"falling",
         Entry("0.8", "9000", "1", "0.3", "1000", "3"),
         {"Значение тока в точке 1 должно быть больше значения в точке 2!"}},
        {"field",
         Entry("0.3", "1000", "x", "0.8", "9000", "3"),
         {"Введены неправильные цифры в поле напряжения 1!", "«x» не является числом."}},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev6-hw1");
        PwmCalibrationDialog shown;
        b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
            shown = d;
            d.duty1 = c.entry.duty1, d.code1 = c.entry.code1, d.output1 = c.entry.output1;
            d.duty2 = c.entry.duty2, d.code2 = c.entry.code2, d.output2 = c.entry.output2;
            d.feedback = c.entry.feedback;
            return true;
        });
        PwmCalibrationWindow(b->state, PwmCalibration{});
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(shown.output1Label, "Напряжение, В");
        EXPECT_EQ(shown.output2Label, "Напряжение, В");
    }
}

TEST(PwmCalibrationWindow, StoredPointsShownWrittenWithCoefficientsAndDutyReleased) {
    auto b = Identified("rev6");
    auto& settings = b->device().profile().settings;
    settings.erase(2);
    settings.erase(3);
    settings[6] = Bits(0.3f);
    PwmCalibrationDialog shown;
    b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
        shown = d;
        return true;  // the absent values do not convert
    });
    b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
        d.duty2 = "0.8";
        d.code1 = "1000";
        return true;
    });
    const auto writes = testing::CaptureRequests(*b, 177);
    EditPwmCalibration(b->state);
    EXPECT_EQ(shown.duty1, "0.10000");
    EXPECT_EQ(shown.output1, "4.00000");
    EXPECT_EQ(shown.code1, "Не задан");
    EXPECT_EQ(shown.duty2, "Не задана");
    EXPECT_EQ(shown.output2, "20.00000");
    EXPECT_EQ(shown.code2, "9000");
    EXPECT_EQ(shown.feedback, "0.50000");
    EXPECT_TRUE(shown.feedbackVisible);
    EXPECT_EQ(shown.output1Label, "Ток, мА :");
    EXPECT_EQ(b->ui.messageTexts(), (std::vector<std::string>{"Введены неправильные цифры в поле скважности 2!",
                                                              "«Не задана» не является числом."}));
    EXPECT_EQ(testing::SettingNumbers(*writes), (std::vector<int>{0, 1, 2, 3, 4, 5, 25, 6, 26, 27, 28}));
    EXPECT_EQ(settings.at(2), 1000u);
    EXPECT_EQ(settings.at(3), Bits(0.8f));
    EXPECT_EQ(settings.at(6), 0x7FA00000u);
    const PwmCoefficients k = ComputePwmCoefficients(0.1f, 4.0f, 1000, 0.8f, 20.0f, 9000, 0.5f);
    EXPECT_EQ(settings.at(26), Bits(k.k26));
    EXPECT_EQ(settings.at(27), Bits(500.0f));
    EXPECT_EQ(settings.at(28), Bits(-1000.0f));
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 6 . 1"), 1);  // setting 25
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 0 . 1"), 2);  // setting 0, then the release
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 3 . 1"), 2);  // setting 3, then 28
}

TEST(PwmCalibrationWindow, FailedWriteStopsAndCancelWritesNothing) {
    auto b = Identified("rev6");
    auto original = b->device().commands()[177];
    b->device().commands()[177] = [original](sim::SimDevice& d, const sim::HartRequest& q) {
        return q.data.at(0) == 2 ? sim::HartReply{3, {}} : original(d, q);
    };
    b->ui.onDialog<PwmCalibrationDialog>([](PwmCalibrationDialog&) { return true; });
    EditPwmCalibration(b->state);
    EXPECT_EQ(b->ui.messageTexts(),
              (std::vector<std::string>{"Ошибка при записи в энергонезависимую память параметра 2 !",
                                        "Не удалось записать параметры!\nЗапись прервана: выполнено 2 из 11. В датчике "
                                        "новые значения параметров 0, 1 и прежние — 2, 3, 4, 5, 25, 6, 26, 27, 28."}));
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Запись параметра 3 . 1"), 0);

    auto c = Identified("rev6");
    auto writes = testing::CountRequests(*c, 177);
    EditPwmCalibration(c->state);  // the window is cancelled
    EXPECT_EQ(*writes, 0);
}

// --- the procedure ---

// Answers setting 21 from a list of codes (0 = no good answer); the user
// stops the measurement during read `stopAfter`, and presses F4 before read
// `resetAt`.
struct FeedbackScript {
    std::vector<std::uint32_t> codes;
    int stopAfter = 3;
    int resetAt = 0;
};

void ScriptMeasurement(SimBench& b, std::vector<FeedbackScript> points) {
    auto reads = std::make_shared<int>(0);
    auto point = std::make_shared<std::size_t>(0);
    auto script = std::make_shared<std::vector<FeedbackScript>>(std::move(points));
    auto original = b.device().commands()[176];
    b.device().commands()[176] = [=, &b](sim::SimDevice& d, const sim::HartRequest& q) -> sim::HartReply {
        if (q.data.at(0) != 21) return original(d, q);
        const FeedbackScript& s = (*script)[std::min(*point, script->size() - 1)];
        const std::uint32_t code = s.codes[std::min<std::size_t>(static_cast<std::size_t>(*reads), s.codes.size() - 1)];
        ++*reads;
        if (*reads >= s.stopAfter) {
            b.state.flags.stopRequested = true;  // "Останов" while this answer is awaited
            *reads = 0;
            ++*point;
        } else if (*reads + 1 == s.resetAt) {
            b.state.flags.resetRequested = true;
        }
        if (code == 0) return sim::HartReply{64, {}};
        return sim::HartReply{0,
                              {21, static_cast<std::uint8_t>(code >> 24), static_cast<std::uint8_t>(code >> 16),
                               static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)}};
    };
}

TEST(PwmCalibrationProcedure, TwoPointsMeasuredAndHandedToTheWindow) {
    auto b = Identified("rev6");
    ScriptMeasurement(*b, {{{1000, 1002, 1001}, 4}, {{9000, 9004}, 3}});
    std::vector<PwmDutyDialog> duties;
    for (int k = 0; k < 2; ++k)
        b->ui.onDialog<PwmDutyDialog>([&](PwmDutyDialog& d) {
            duties.push_back(d);
            return true;
        });
    std::vector<PwmPointDialog> points;
    b->ui.onDialog<PwmPointDialog>([&](PwmPointDialog& d) {
        points.push_back(d);
        return true;
    });
    b->ui.onDialog<PwmPointDialog>([&](PwmPointDialog& d) {
        points.push_back(d);
        d.code = "9001";
        return true;
    });
    PwmCalibrationDialog window;
    b->ui.onDialog<PwmCalibrationDialog>([&](PwmCalibrationDialog& d) {
        window = d;
        return true;
    });
    std::vector<std::uint32_t> fixed;
    auto original = b->device().commands()[177];
    b->device().commands()[177] = [&fixed, original](sim::SimDevice& d, const sim::HartRequest& q) {
        if (q.data.at(0) == 6) fixed.push_back((q.data[1] << 24) | (q.data[2] << 16) | (q.data[3] << 8) | q.data[4]);
        return original(d, q);
    };
    PwmCalibrationProcedure(b->state, b->state.frontend);

    ASSERT_EQ(duties.size(), 2u);
    EXPECT_EQ(duties[0].caption, "Ввод точки калибровки 1 для ШИМ");
    EXPECT_EQ(duties[0].label, "Скважность ШИМ [0-1] :");
    EXPECT_EQ(duties[0].duty, "0.1");
    EXPECT_EQ(duties[1].duty, "0.8");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].caption, "Ввод точки калибровки 1 для ШИМ");
    EXPECT_EQ(points[0].duty, "0.1");
    EXPECT_EQ(points[0].code, "1001");  // floor((1000 + 1002 + 1001) / 3)
    EXPECT_EQ(points[0].output, "4");
    EXPECT_EQ(points[0].outputLabel, "Ток, мА :");
    EXPECT_EQ(points[1].code, "9002");
    EXPECT_EQ(window.duty1, "0.10000");
    EXPECT_EQ(window.code1, "1001");
    EXPECT_EQ(window.code2, "9001");
    EXPECT_EQ(window.output2, "20.00000");
    EXPECT_EQ(window.feedback, "0.50000");
    EXPECT_EQ(fixed, (std::vector<std::uint32_t>{Bits(0.1f), Bits(0.8f), 0x7FA00000u}));
    EXPECT_TRUE(b->ui.messages.empty());
    EXPECT_EQ(CountOf(b->ui.progressTexts, "Фиксирую скважность для точки 2 . 1"), 1);
    ASSERT_EQ(b->ui.views.size(), 2u);
    EXPECT_EQ(b->ui.views[0]->kind, live_view::PwmMeasurement);
    EXPECT_EQ(b->ui.views[0]->caption, "Калибровка");
    EXPECT_EQ(b->ui.views[0]->texts["MediaLabel"], "1001");
    EXPECT_EQ(b->ui.fixedOutputBanner, "");
}

TEST(PwmCalibrationProcedure, NoGoodAnswerGivesCodeZeroAndF4RestartsTheAverage) {
    auto b = Identified("rev6");
    // Point 1: nothing good. Point 2: 100, 100, then F4, then 300, 301.
    ScriptMeasurement(*b, {{{0}, 3}, {{100, 100, 300, 301}, 5, 3}});
    std::vector<std::string> codes;
    for (int k = 0; k < 2; ++k) {
        b->ui.onDialog<PwmDutyDialog>([](PwmDutyDialog&) { return true; });
        b->ui.onDialog<PwmPointDialog>([&codes](PwmPointDialog& d) {
            codes.push_back(d.code);
            return true;
        });
    }
    PwmCalibrationProcedure(b->state, b->state.frontend);
    EXPECT_EQ(codes, (std::vector<std::string>{"0", "300"}));
    const auto& view = *b->ui.views[1];
    EXPECT_EQ(view.history.at("MediaLabel"),
              (std::vector<std::string>{"----------", "100", "100", "----------", "300", "300"}));
    EXPECT_EQ(b->ui.views[0]->texts.at("OtvetovLabel"), "2");  // answers counted, none good
    EXPECT_EQ(b->ui.views[0]->texts.at("RightOtvetovLabel"), "0");
}

TEST(PwmCalibrationProcedure, CancelAfterFixingAsksToReleaseTheDuty) {
    const struct {
        MessageAnswer answer;
        std::uint32_t setting6;
        const char* banner;
    } cases[] = {{MessageAnswer::Yes, 0x7FA00000u, ""},
                 {MessageAnswer::No, Bits(0.25f), "Скважность ШИМ зафиксирована: 0.25000"}};
    for (const auto& c : cases) {
        auto b = Identified("rev6");
        ScriptMeasurement(*b, {{{500}, 2}});
        b->ui.onDialog<PwmDutyDialog>([](PwmDutyDialog& d) {
            d.duty = "0,25";
            return true;
        });
        b->ui.onDialog<PwmPointDialog>([](PwmPointDialog&) { return false; });
        b->ui.answerMessages({c.answer});
        PwmCalibrationProcedure(b->state, b->state.frontend);
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Выйти из режима фиксированной скважности ?"});
        EXPECT_EQ(b->ui.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(b->device().profile().settings.at(6), c.setting6);
        const std::string device = " (датчик " + HexBytesText(b->state.identity.longAddress) + ")";
        EXPECT_EQ(b->ui.fixedOutputBanner, *c.banner ? c.banner + device : "");
        EXPECT_EQ(b->state.frontend.pwmPointDuty[0], 0.25f);
    }

    // Cancel before any duty was fixed asks nothing.
    auto b = Identified("rev6");
    b->ui.onDialog<PwmDutyDialog>([](PwmDutyDialog& d) {
        d.duty = "1.5";
        return true;
    });
    b->ui.onDialog<PwmDutyDialog>([](PwmDutyDialog&) { return false; });
    PwmCalibrationProcedure(b->state, b->state.frontend);
    EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{"Скважность должна быть в диапазоне [0-1]!"});
}

TEST(PwmCalibrationProcedure, VoltageVariantStartsFromItsOwnPoints) {
    auto b = Identified("rev6-hw1");
    b->state.frontend.pwmPointOutput = {7.0f, 8.0f};
    ScriptMeasurement(*b, {{{3000}, 2}});
    PwmDutyDialog duty;
    b->ui.onDialog<PwmDutyDialog>([&](PwmDutyDialog& d) {
        duty = d;
        return true;
    });
    PwmPointDialog point;
    b->ui.onDialog<PwmPointDialog>([&](PwmPointDialog& d) {
        point = d;
        d.output = "31";
        return true;
    });
    b->ui.onDialog<PwmPointDialog>([&](PwmPointDialog&) { return false; });
    PwmCalibrationProcedure(b->state, b->state.frontend);
    EXPECT_EQ(duty.duty, "0.3");
    EXPECT_EQ(point.output, "1");
    EXPECT_EQ(point.outputLabel, "Напряж, В");
    EXPECT_EQ(b->ui.messageTexts(), (std::vector<std::string>{"Значение тока должно быть в диапазоне 0-30 мА!",
                                                              "Выйти из режима фиксированной скважности ?"}));
    EXPECT_EQ(b->state.frontend.pwmPointOutput[0], 31.0f);
}

}  // namespace
}  // namespace quillon
