#include "calibration/point_count.h"

#include "device/preambles.h"
#include "link/message_boxes.h"

namespace quillon {

int AskPointCount(DeviceState& s, int min, int max) {
    PointCountDialog dialog;
    dialog.label = "Введите количество точек (" + std::to_string(min) + "-" + std::to_string(max) + "):";
    dialog.text = std::to_string(min);
    for (;;) {
        if (!s.ui.show(dialog)) return 0;
        const auto count = ParseWholeNumber(dialog.text);
        if (!count) {
            ErrorBox(s, "Введены неправильные цифры!");
            ErrorBox(s, NotWholeNumberText(dialog.text));
            continue;
        }
        if (*count < min || *count > max) {
            ErrorBox(s, "Значение вне допустимого диапазона!");
            continue;
        }
        return *count;
    }
}

}  // namespace quillon
