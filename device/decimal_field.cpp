#include "device/decimal_field.h"

#include "device/number_entry.h"
#include "link/message_boxes.h"

namespace quillon {

std::optional<double> ConvertDecimalField(LinkState& s, std::string& field) {
    field = NormaliseDecimalSeparators(field, s.decimalSeparator);
    const std::optional<double> value = ParseDecimalText(field, s.decimalSeparator);
    if (!value) ErrorBox(s, NotDecimalNumberText(field));
    return value;
}

}  // namespace quillon
