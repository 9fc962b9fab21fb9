#include "device/decimal_field.h"

#include "device/number_entry.h"
#include "link/message_boxes.h"

namespace quillon {

std::optional<float> ConvertSingleField(LinkState& s, std::string& field) {
    field = NormaliseDecimalSeparators(field, s.decimalSeparator);
    const std::optional<float> value = ParseSingleText(field, s.decimalSeparator);
    if (!value) ErrorBox(s, NotSingleText(field, s.decimalSeparator));
    return value;
}

}  // namespace quillon
