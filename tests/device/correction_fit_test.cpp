#include <gtest/gtest.h>

#include <limits>

#include "device/correction_fit_dialog.h"
#include "support/sim_fixture.h"

namespace quillon::testing {
namespace {

TEST(FitCorrection, UndoesThePresentCorrectionThenFits) {
    const struct {
        float offset, factor, real1, real2, needed1, needed2;
        float fittedFactor, fittedOffset;
    } cases[] = {
        {0, 1, -40, 60, -40, 60, 1, 0},        {1, 1, -39, 61, -40, 60, 1, 0},  // the raw readings are -40 and 60
        {0, 2, -40, 60, -40, 60, 2, 0},                                         // raw -20 and 30
        {0.5f, 1, 0, 100, 0, 50, 0.5f, 0.25f}, {0, 1, 0, 100, 10, 210, 2, 10},
    };
    for (const auto& c : cases) {
        const auto fit = FitCorrection(c.offset, c.factor, c.real1, c.real2, c.needed1, c.needed2);
        ASSERT_TRUE(fit.has_value());
        EXPECT_EQ(fit->factor, c.fittedFactor);
        EXPECT_EQ(fit->offset, c.fittedOffset);
    }
}

TEST(FitCorrection, NoFitWithoutAPresentFactor) {
    EXPECT_FALSE(FitCorrection(0, 0, -40, 60, -40, 60).has_value());
    EXPECT_FALSE(FitCorrection(0, std::numeric_limits<float>::quiet_NaN(), -40, 60, -40, 60).has_value());
    // Readings so close that their difference is lost make no slope either.
    EXPECT_FALSE(FitCorrection(0, 1e-38f, 1e30f, 3e30f, 0, 1).has_value());
}

struct FitBench {
    SimBench b{"rev8"};
    void typed(const char* r1, const char* n1, const char* r2, const char* n2, int left = 10, int top = 20) {
        b.ui.onDialog<PodborCoefDialog>([=](PodborCoefDialog& d) {
            d.real1Text = r1;
            d.needed1Text = n1;
            d.real2Text = r2;
            d.needed2Text = n2;
            d.left = left;
            d.top = top;
            return true;
        });
    }
    void cancelled() {
        b.ui.onDialog<PodborCoefDialog>([](PodborCoefDialog&) { return false; });
    }
};

TEST(CorrectionFitDialog, InitialTextsGiveTheIdentity) {
    FitBench f;
    PodborCoefDialog seen;
    f.b.ui.onDialog<PodborCoefDialog>([&](PodborCoefDialog& d) {
        seen = d;
        return true;
    });
    f.b.ui.answerMessages({MessageAnswer::Ok});
    const auto fit = AskCorrectionFit(f.b.state, 0.0f, 1.0f, 140, 90);
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(seen.caption, "Подбор коэффициентов");
    EXPECT_EQ(seen.left, 140);
    EXPECT_EQ(seen.top, 90);
    EXPECT_EQ((std::vector<std::string>{seen.real1Text, seen.needed1Text, seen.real2Text, seen.needed2Text}),
              (std::vector<std::string>{"-40", "-40", "60", "60"}));
    ASSERT_EQ(f.b.ui.messages.size(), 1u);
    EXPECT_EQ(f.b.ui.messages[0].icon, MessageIcon::Confirmation);
    EXPECT_EQ(f.b.ui.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(f.b.ui.messages[0].text, "Требуемое смещение = 0.000, требуемый наклон = 1.000. Принять эти значения?");
}

TEST(CorrectionFitDialog, RefusalsComeAtTheDialogsCornerAndTheDialogReturns) {
    const struct {
        const char* texts[4];  // real1, needed1, real2, needed2
        const char* message;
    } cases[] = {
        {{"x", "-40", "60", "60"}, "Введены неправильные цифры в поле реального значения нижней точки!"},
        {{"-40", "-40", "", "60"}, "Введены неправильные цифры в поле реального значения верхней точки!"},
        {{"60", "-40", "60", "60"},
         "Реальное значение верхней точки должно быть выше реального значения нижней точки!"},
        {{"61", "x", "60", "x"}, "Реальное значение верхней точки должно быть выше реального значения нижней точки!"},
        {{"-40", "4 0", "60", "60"}, "Введены неправильные цифры в поле требуемого значения нижней точки!"},
        {{"-40", "-40", "60", "1.2.3"}, "Введены неправильные цифры в поле требуемого значения верхней точки!"},
        {{"-40", "60", "60", "60"},
         "Требуемое значение верхней точки должно быть выше требуемого значения нижней точки!"},
    };
    for (const auto& c : cases) {
        FitBench f;
        f.typed(c.texts[0], c.texts[1], c.texts[2], c.texts[3], 333, 44);
        f.cancelled();
        EXPECT_FALSE(AskCorrectionFit(f.b.state, 0.0f, 1.0f, 10, 10).has_value());
        EXPECT_EQ(f.b.ui.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(f.b.ui.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(f.b.ui.messagePlaces[0], (std::pair<int, int>{333, 44})) << "where the dialog was left";
        EXPECT_EQ(f.b.ui.dialogsShown.size(), 2u) << c.message;
    }
}

TEST(CorrectionFitDialog, CommaIsADecimalSeparatorAndTheEditShowsTheSystemOne) {
    FitBench f;
    f.b.state.decimalSeparator = '.';
    PodborCoefDialog second;
    f.typed("-39,5", "-40", "60,5", "60");
    f.b.ui.onDialog<PodborCoefDialog>([&](PodborCoefDialog& d) {
        second = d;
        return false;
    });
    f.b.ui.answerMessages({MessageAnswer::Cancel});
    EXPECT_FALSE(AskCorrectionFit(f.b.state, 0.5f, 1.0f, 0, 0).has_value()) << "the user declined the result";
    EXPECT_EQ(f.b.ui.messageTexts(),
              std::vector<std::string>{"Требуемое смещение = 0.000, требуемый наклон = 1.000. Принять эти значения?"});
    EXPECT_EQ(f.b.ui.dialogsShown.size(), 1u) << "declining closes the dialog";

    FitBench g;
    g.b.state.decimalSeparator = ',';
    g.typed("-39.5", "-40", "60,5", "60");
    g.b.ui.answerMessages({MessageAnswer::Ok});
    const auto fit = AskCorrectionFit(g.b.state, 0.5f, 1.0f, 0, 0);
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->factor, 1.0f);
    EXPECT_EQ(fit->offset, 0.0f);
    EXPECT_EQ(g.b.ui.messageTexts().back(),
              "Требуемое смещение = 0,000, требуемый наклон = 1,000. Принять эти значения?");
}

TEST(CorrectionFitDialog, PresentFactorZeroIsRefusedBeforeTheDialog) {
    FitBench f;
    EXPECT_FALSE(AskCorrectionFit(f.b.state, 1.0f, 0.0f, 70, 80).has_value());
    EXPECT_TRUE(f.b.ui.dialogsShown.empty());
    ASSERT_EQ(f.b.ui.messages.size(), 1u);
    EXPECT_EQ(f.b.ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(f.b.ui.messages[0].text,
              "Поправочный множитель в датчике равен 0: исходные значения восстановить нельзя, подбор невозможен!");
    EXPECT_EQ(f.b.ui.messagePlaces[0], (std::pair<int, int>{70, 80}));
}

}  // namespace
}  // namespace quillon::testing
