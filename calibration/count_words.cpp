#include "calibration/count_words.h"

namespace quillon {

const char* NumberForm(long long n, const char* one, const char* few, const char* many) {
    const long long tens = (n < 0 ? -n : n) % 100;
    const long long last = tens % 10;
    if (tens >= 11 && tens <= 14) return many;
    if (last == 1) return one;
    if (last >= 2 && last <= 4) return few;
    return many;
}

std::string CountText(long long n, const char* one, const char* few, const char* many) {
    return std::to_string(n) + " " + NumberForm(n, one, few, many);
}

}  // namespace quillon
