#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Windows-1251, the 8-bit code page of the flow computer's credentials, of tag
// texts and of the INI files exchanged with the Windows world.
//
// Byte 0x98 has no character in the code page; it maps to U+0098 and back so
// that any byte string survives a trip through UTF-8 unchanged.

// Characters without a place in the code page, and malformed UTF-8 (one '?'
// per offending byte), become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace quillon
