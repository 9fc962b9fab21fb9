#include "cli/number_options.h"

#include <charconv>
#include <cstdio>

#include "device/number_entry.h"

namespace quillon::cli {

namespace {

// The command line takes the point whatever the locale; a comma is taken too,
// as the windows take both.
constexpr char kSeparator = '.';

std::string Normalised(const std::string& text) { return NormaliseDecimalSeparators(text, kSeparator); }

std::string NumberText(double v) { return FormatGeneral(v, 15, kSeparator); }

std::string OutOfRangeText(const std::string& text, const std::string& min, const std::string& max) {
    return "«" + text + "» вне допустимого диапазона: от " + min + " до " + max + ".";
}

}  // namespace

std::optional<double> DecimalInRange(const std::string& text, double min, double max) {
    const auto value = ParseDecimalText(Normalised(text), kSeparator);
    if (!value || *value < min || *value > max) return std::nullopt;
    return value;
}

std::string DecimalRefusal(const std::string& text, double min, double max) {
    const std::string plain = Normalised(text);
    const auto value = ParseDecimalText(plain, kSeparator);
    // A number too large even for a double has the shape of one: it is out of range, not "not a number".
    if (!value) return NotSingleText(plain, kSeparator) == NotDecimalNumberText(plain)
                           ? NotDecimalNumberText(text)
                           : OutOfRangeText(text, NumberText(min), NumberText(max));
    if (*value < min || *value > max) return OutOfRangeText(text, NumberText(min), NumberText(max));
    return {};
}

std::optional<long long> WholeInRange(const std::string& text, long long min, long long max) {
    std::string_view t(text);
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (t.size() > 1 && t.front() == '+' && t[1] != '-') t.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc{} || end != t.data() + t.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::string WholeRefusal(const std::string& text, long long min, long long max) {
    if (WholeInRange(text, min, max)) return {};
    std::string_view t(text);
    const bool digits = !t.empty() && t.find_first_not_of("+-0123456789 \t") == std::string_view::npos &&
                        t.find_first_of("0123456789") != std::string_view::npos;
    if (!digits) return "«" + text + "» не является целым числом.";
    return OutOfRangeText(text, std::to_string(min), std::to_string(max));
}

std::optional<float> SingleNumber(const std::string& text) { return ParseSingleText(Normalised(text), kSeparator); }

std::string SingleRefusal(const std::string& text) {
    if (SingleNumber(text)) return {};
    const std::string plain = Normalised(text);
    const std::string why = NotSingleText(plain, kSeparator);
    // The refusal names the value as it was typed.
    return why == NotDecimalNumberText(plain) ? NotDecimalNumberText(text) : SingleOutOfRangeText(text, kSeparator);
}

CLI::Validator DecimalCheck(double min, double max) {
    return CLI::Validator([min, max](std::string& text) { return DecimalRefusal(text, min, max); }, "");
}

CLI::Validator WholeCheck(long long min, long long max) {
    return CLI::Validator([min, max](std::string& text) { return WholeRefusal(text, min, max); }, "");
}

CLI::Validator SingleCheck() {
    return CLI::Validator([](std::string& text) { return SingleRefusal(text); }, "");
}

CLI::Option* AddDecimal(CLI::App& app, const std::string& name, std::optional<double>& target,
                        const std::string& help, double min, double max) {
    return app
        .add_option_function<std::string>(
            name, [&target, min, max](const std::string& text) { target = DecimalInRange(text, min, max); }, help)
        ->check(DecimalCheck(min, max))
        ->type_name("NUMBER");
}

CLI::Option* AddWhole(CLI::App& app, const std::string& name, std::optional<long long>& target,
                      const std::string& help, long long min, long long max) {
    return app
        .add_option_function<std::string>(
            name, [&target, min, max](const std::string& text) { target = WholeInRange(text, min, max); }, help)
        ->check(WholeCheck(min, max))
        ->type_name("INT");
}

CLI::Option* AddWhole(CLI::App& app, const std::string& name, int& target, const std::string& help, long long min,
                      long long max) {
    return app
        .add_option_function<std::string>(
            name,
            [&target, min, max](const std::string& text) {
                if (const auto v = WholeInRange(text, min, max)) target = static_cast<int>(*v);
            },
            help)
        ->check(WholeCheck(min, max))
        ->type_name("INT")
        ->default_str(std::to_string(target));
}

CLI::Option* AddWhole(CLI::App& app, const std::string& name, std::optional<int>& target, const std::string& help,
                      long long min, long long max) {
    return app
        .add_option_function<std::string>(
            name,
            [&target, min, max](const std::string& text) {
                if (const auto v = WholeInRange(text, min, max)) target = static_cast<int>(*v);
            },
            help)
        ->check(WholeCheck(min, max))
        ->type_name("INT");
}

}  // namespace quillon::cli
