// Windows-1251 at the boundaries: every byte string must survive a trip
// through UTF-8, and any text must come out as bytes of the code page.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/accepted_answer.h"
#include "link/cp1251.h"

namespace {

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        if (c < 0x80)
            extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (s.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = Cp1251ToUtf8(bytes);
    fuzz::Require(IsValidUtf8(text), "code-page bytes gave malformed UTF-8");
    fuzz::Require(Utf8ToCp1251(text) == bytes, "code-page bytes did not survive a trip through UTF-8");

    // The same input read as typed text: one byte per character or per offending byte.
    const std::string encoded = Utf8ToCp1251(bytes);
    fuzz::Require(encoded.size() <= bytes.size(), "encoding grew the text");
    fuzz::Require(Utf8ToCp1251(Cp1251ToUtf8(encoded)) == encoded, "encoding is not stable");
    return 0;
}
