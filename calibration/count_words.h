#pragma once

#include <string>

namespace quillon {

// The form a Russian word takes after the number n: "1 сегмент",
// "2 сегмента", "5 сегментов" (11-14 take the last form).
const char* NumberForm(long long n, const char* one, const char* few, const char* many);

// n followed by the right form: CountText(4, "сегмент", "сегмента", "сегментов") is "4 сегмента".
std::string CountText(long long n, const char* one, const char* few, const char* many);

}  // namespace quillon
