#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

namespace quillon::cli {

// Every number the command line takes goes through the same checked
// conversions as the windows' fields, with their refusal texts: a value that
// is not a number, not finite, or that a single cannot carry never reaches
// the device or a wait. A refused number is a usage error.

// A decimal number (point or comma) within [min, max]; nothing otherwise.
std::optional<double> DecimalInRange(const std::string& text, double min, double max);
// A whole number within [min, max]; nothing otherwise (no overflow wraps).
std::optional<long long> WholeInRange(const std::string& text, long long min, long long max);
// A number a single carries; nothing for NaN, infinities and beyond the largest single.
std::optional<float> SingleNumber(const std::string& text);

// Why `text` is refused by the conversion above; empty when it is taken.
std::string DecimalRefusal(const std::string& text, double min, double max);
std::string WholeRefusal(const std::string& text, long long min, long long max);
std::string SingleRefusal(const std::string& text);

// The same checks as CLI11 validators, so that --help and the parse refuse alike.
CLI::Validator DecimalCheck(double min, double max);
CLI::Validator WholeCheck(long long min, long long max);
CLI::Validator SingleCheck();

// Options whose value is kept as typed and converted by the functions above
// after the parse; the check runs at the parse.
CLI::Option* AddDecimal(CLI::App& app, const std::string& name, std::optional<double>& target,
                        const std::string& help, double min, double max);
CLI::Option* AddWhole(CLI::App& app, const std::string& name, std::optional<long long>& target,
                      const std::string& help, long long min, long long max);
// A whole number with a default that --help shows.
CLI::Option* AddWhole(CLI::App& app, const std::string& name, int& target, const std::string& help, long long min,
                      long long max);
CLI::Option* AddWhole(CLI::App& app, const std::string& name, std::optional<int>& target, const std::string& help,
                      long long min, long long max);

}  // namespace quillon::cli
