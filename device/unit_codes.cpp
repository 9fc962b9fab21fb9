#include "device/unit_codes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quillon {

namespace {

// The units the supported transmitters report. Some texts are Russian and some
// English on purpose: they are the texts engineers know from the devices' docs.
constexpr std::array<std::pair<std::uint8_t, const char*>, 21> kUnits{{
    {4, "мм воды"},
    {5, "мм ртути"},
    {7, "бар"},
    {8, "millibars"},
    {9, "грамм/см2"},
    {10, "кг/см2"},
    {11, "Па"},
    {12, "кПа"},
    {14, "Атмосфер"},
    {32, "град. Цельс"},
    {33, "град. Фаренгейта"},
    {36, "mV"},
    {39, "mA"},
    {48, "centimeters"},
    {49, "millimeters"},
    {51, "seconds"},
    {57, "%"},
    {58, "Вольт"},
    {61, "kilograms"},
    {237, "MPa"},
    {253, " "},
}};

}  // namespace

std::string UnitText(std::uint8_t code) {
    const auto it = std::find_if(kUnits.begin(), kUnits.end(), [code](const auto& u) { return u.first == code; });
    return it == kUnits.end() ? "?" : it->second;
}

}  // namespace quillon
