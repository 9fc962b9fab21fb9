#include "frontend/output_fields.h"

#include <charconv>

#include "device/number_entry.h"
#include "device/preambles.h"
#include "link/message_boxes.h"

namespace quillon {

std::optional<std::int64_t> ParseWholeNumber64(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<float> TakeSingleField(LinkState& s, std::string& field, const std::string& fieldMessage) {
    field = NormaliseDecimalSeparators(field, s.decimalSeparator);
    if (const std::optional<float> value = ParseSingleText(field, s.decimalSeparator)) return value;
    if (!fieldMessage.empty()) ErrorBox(s, fieldMessage);
    ErrorBox(s, NotSingleText(field, s.decimalSeparator));
    return std::nullopt;
}

std::optional<std::int64_t> TakeWholeField(LinkState& s, const std::string& field, const std::string& fieldMessage) {
    if (const auto value = ParseWholeNumber64(field)) return value;
    if (!fieldMessage.empty()) ErrorBox(s, fieldMessage);
    ErrorBox(s, NotWholeNumberText(field));
    return std::nullopt;
}

std::string SingleText(LinkState& s, float value) { return FormatGeneral(value, 7, s.decimalSeparator); }

}  // namespace quillon
