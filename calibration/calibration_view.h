#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calibration/calibration_set.h"
#include "device/device_state.h"
#include "calibration/calibration_form.h"

namespace quillon {

// What the engineer chose in the view (the values are the dialog's results).
inline constexpr int kViewSave = 1;
inline constexpr int kViewExit = 2;
inline constexpr int kViewEdit = 4;
inline constexpr int kViewSend = 6;

// The characteristic drawn beside the list: the points in list order and, for
// temperature pairs, the transmitter's reading against the reference.
struct CalibrationChart {
    std::vector<std::pair<double, double>> points;  // x, y
    std::string xTitle;
    std::string yTitle;
    // The segment device's extra point is not a piece of the characteristic:
    // it stands beside the line, with its own name.
    std::optional<std::pair<double, double>> extraPoint;
    std::string extraPointName;
};

// TShowCalibrForm.
struct ShowCalibrationDialog {
    static constexpr const char* kDialogName = "ShowCalibrationDialog";
    std::string caption = "Калибровка";
    std::vector<std::string> lines;  // ListBox1
    int selected = -1;               // selected line, -1 none
    bool saveEnabled = false;        // "Записать в файл"
    bool sendEnabled = false;        // "Переслать в датчик"
    bool enabledBoxVisible = false;  // "Калибровка разрешена"
    bool enabledBoxEnabled = false;
    bool enabledBoxChecked = false;
    CalibrationChart chart;
    int result = kViewExit;  // the button pressed; closing is "Выход"
};

// The list box lines of one list, in the fixed columns the engineers know.
std::vector<std::string> CalibrationViewLines(const CalibrationSet& set, CalibrationList list, const DeviceIdentity& id,
                                              char separator);

// The chart of one list; it shows the same points as the lines.
CalibrationChart CalibrationViewChart(const CalibrationSet& set, CalibrationList list);

struct ViewChoice {
    int action = kViewExit;
    int selected = -1;
    bool edited = false;  // a temperature pair was edited in this view
};

// Shows the list until the engineer saves, sends, exits or (code points)
// asks to edit a point. A temperature pair is edited here and the view comes
// back, with saving allowed after an accepted edit; the caller keeps
// `edited` so that saving stays allowed in the views after it. Sending is
// never offered for a list with a number or slope that is not finite.
ViewChoice ShowCalibration(DeviceState& s, CalibrationSet& cal, CalibrationList list, bool saveAllowed, bool sendAllowed);

}  // namespace quillon
