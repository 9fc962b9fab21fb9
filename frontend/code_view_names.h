#pragma once

// Component names of TShowCodeForm, as the user-interface side names its widgets.
namespace quillon::codeview {

inline constexpr int kMaxChannels = 3;
inline constexpr const char* kInfo = "InfoLabel";
inline constexpr const char* kButton = "StopBitBtn";
inline constexpr const char* kGroup[kMaxChannels] = {"GroupBox1", "GroupBox2", "GroupBox3"};
inline constexpr const char* kRequests[kMaxChannels] = {"ZaprosovLabel1", "ZaprosovLabel2", "ZaprosovLabel3"};
inline constexpr const char* kAnswers[kMaxChannels] = {"OtvetovLabel1", "OtvetovLabel2", "OtvetovLabel3"};
inline constexpr const char* kValued[kMaxChannels] = {"RightLabel1", "RightLabel2", "RightLabel3"};
inline constexpr const char* kValue[kMaxChannels] = {"ValueLabel1", "ValueLabel2", "ValueLabel3"};
inline constexpr const char* kAverage[kMaxChannels] = {"MediaLabel1", "MediaLabel2", "MediaLabel3"};

inline constexpr const char* kCaption = "Показ кода АЦП";
inline constexpr const char* kHint = "F4 - Reset, Enter - Stop";
inline constexpr const char* kStopCaption = "Stop";
inline constexpr const char* kDefaultGroupCaptions[kMaxChannels] = {
    "Код АЦП :", "Код Uос относ. опорного :", "Код Uref-Uос :"};

}  // namespace quillon::codeview
