#include "link/com_ports.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorGenFailure = 31;

bool SameLetter(char a, char upper) { return a == upper || a == upper - 'A' + 'a'; }

}  // namespace

std::optional<int> ComPortNumber(std::string_view name) {
    if (name.rfind("\\\\.\\", 0) == 0) name.remove_prefix(4);
    if (name.size() < 4 || !SameLetter(name[0], 'C') || !SameLetter(name[1], 'O') || !SameLetter(name[2], 'M'))
        return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (digits.front() == '0' || digits.size() > 3) return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > kMaxComNumber) return std::nullopt;
    return number;
}

std::string ComPortName(int number) { return "COM" + std::to_string(number); }

std::string ComDevicePath(int number) { return "\\\\.\\" + ComPortName(number); }

std::vector<std::string> OrderedComPorts(const std::vector<std::string>& listed) {
    std::vector<int> numbers;
    for (const auto& name : listed)
        if (const auto n = ComPortNumber(name)) numbers.push_back(*n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::vector<std::string> names;
    names.reserve(numbers.size());
    for (int n : numbers) names.push_back(ComPortName(n));
    return names;
}

OpenFailure ClassifyComOpenError(std::uint32_t systemError) {
    switch (systemError) {
        case 0: return OpenFailure::None;
        case kErrorAccessDenied: return OpenFailure::Busy;
        case kErrorGenFailure: return OpenFailure::Faulty;
        default: return OpenFailure::NotFound;
    }
}

}  // namespace quillon
