#include "link/report.h"

namespace quillon {

void ShowReport(UserInterface& ui, const Report& report) {
    for (const Box& box : report) ui.message(box.icon, box.text, box.buttons);
}

}  // namespace quillon
