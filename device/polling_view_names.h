#pragma once

// Component names of the two polling windows, as the user-interface side
// names its widgets.
namespace quillon::pollview {

// TStatistikaForm.
inline constexpr const char* kValue = "ValueLabel";
inline constexpr const char* kUnit = "UnitLabel";
inline constexpr const char* kAverage = "MediaLabel";
inline constexpr const char* kMinimum = "MinValLabel";
inline constexpr const char* kMaximum = "MaxValLabel";
inline constexpr const char* kStatus = "StatusLabel";
inline constexpr const char* kPeriod = "PeriodLabel";
inline constexpr const char* kFurther[3] = {"Val2Label", "Val3Label", "Val4Label"};
inline constexpr const char* kRequests = "ZaprosovLabel";
inline constexpr const char* kAnswers = "OtvetovLabel";
inline constexpr const char* kCorrect = "RightOtvetovLabel";
inline constexpr const char* kMemo = "TxtMemo";
inline constexpr const char* kButton = "BitBtn1";

// TShowAllForm: four groups, each with its caption, value, average and
// count of correct values, and the shared request and answer counts.
inline constexpr const char* kGroup[4] = {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"};
inline constexpr const char* kGroupValue[4] = {"Value1Label", "Value2Label", "Value3Label", "Value4Label"};
inline constexpr const char* kGroupAverage[4] = {"Average1Label", "Average2Label", "Average3Label", "Average4Label"};
inline constexpr const char* kGroupCorrect[4] = {"Correct1Label", "Correct2Label", "Correct3Label", "Correct4Label"};
inline constexpr const char* kAllRequests = "RequestsLabel";
inline constexpr const char* kAllAnswers = "AnswersLabel";
// The window's hint (tool tip).
inline constexpr const char* kHint = "Hint";

}  // namespace quillon::pollview
